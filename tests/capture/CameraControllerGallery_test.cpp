#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "camera/Camx2000Impl.h"
#include "capture/CameraController.h"
#include "sdk/SdkSimFixture.h"
#include "sdk/SdkStatus.h"
#include "web/IdentifiedList.h"
#include "web/InlineAllocator.h"
#include "web/TextList.h"

namespace lensws {
namespace {

using vantrel_camera::IdentifyCandidate;

// The real camera for connecting, initializing and configuring; its gallery and matching
// answers are the test's.
class ScriptedCamera : public vantrel_camera::Camx2000Impl {
public:
    CamxStatus enrollStatus = CAMX_OK;
    CamxStatus commitStatus = CAMX_OK;
    int commits = 0;
    CamxStatus compareStatus = CAMX_OK;
    float distance = 0;
    CamxStatus identifyStatus = CAMX_OK;
    std::vector<IdentifyCandidate> candidates;
    CamxStatus listStatus = CAMX_OK;
    std::vector<const char*> names;
    std::uint32_t usedTemplates = 0;
    std::uint32_t maxTemplates = 0;
    CamxStatus unenrollStatus = CAMX_OK;
    CamxStatus recordStatus = CAMX_OK;
    vantrel_camera::MatchRecord record;

    CamxStatus enrollCapture(const char*) override { return enrollStatus; }
    CamxStatus commitGallery() override {
        ++commits;
        return commitStatus;
    }
    CamxStatus compareWithEnrollee(const char*, float* out) override {
        if (compareStatus == CAMX_OK) {
            *out = distance;
        }
        return compareStatus;
    }
    CamxStatus identifyCapture(float, const IdentifyCandidate** out,
                               std::uint32_t* count) override {
        *out = candidates.empty() ? nullptr : candidates.data();
        *count = static_cast<std::uint32_t>(candidates.size());
        return identifyStatus;
    }
    CamxStatus listEnrollees(vantrel_camera::NameList* list, std::uint32_t* count,
                             std::uint32_t* used, std::uint32_t* maximum) override {
        if (list != nullptr) {
            *list = names.empty() ? nullptr : names.data();
        }
        if (count != nullptr) {
            *count = static_cast<std::uint32_t>(names.size());
        }
        if (used != nullptr) {
            *used = usedTemplates;
        }
        if (maximum != nullptr) {
            *maximum = maxTemplates;
        }
        return listStatus;
    }
    CamxStatus unenroll(const char*) override { return unenrollStatus; }
    CamxStatus getEnrolleeRecord(const char*, vantrel_camera::MatchRecord* out) override {
        *out = record;
        return recordStatus;
    }
};

IdentifyCandidate candidate(const std::string& id, float distance) {
    IdentifyCandidate entry;
    id.copy(entry.userId, sizeof entry.userId);
    entry.distance = distance;
    return entry;
}

// A configured controller whose camera answers as each test scripts it.
class CameraControllerGalleryTest : public simtest::SdkSimTest {
protected:
    void SetUp() override {
        SdkSimTest::SetUp();
        addCamera();
        holder = std::make_unique<vantrel_camera::CameraHolder>(
            [](std::uint32_t) -> std::unique_ptr<vantrel_camera::OcuScanner> {
                return std::make_unique<ScriptedCamera>();
            });
        controller = std::make_unique<CameraController>(*holder);
        const char* message = nullptr;
        ASSERT_EQ(controller->initialize(&message), ResultStatus::success);
        ASSERT_EQ(controller->configure(kThreshold, 1.1f, 0, 50, 80), ResultStatus::success);
        camera = static_cast<ScriptedCamera*>(holder->camera());
    }
    // The controller and its camera go before the simulator stops.
    void TearDown() override {
        controller.reset();
        holder.reset();
        SdkSimTest::TearDown();
    }

    static constexpr float kThreshold = 0.75f;

    std::unique_ptr<vantrel_camera::CameraHolder> holder;
    std::unique_ptr<CameraController> controller;
    ScriptedCamera* camera = nullptr;
};

std::string text(const char* message) {
    return message != nullptr ? message : "";
}

TEST_F(CameraControllerGalleryTest, EnrollmentAnswers) {
    struct Row {
        CamxStatus enroll, commit;
        ResultStatus status;
        const char* message;
        int commits;
    };
    const Row table[] = {
        {CAMX_OK, CAMX_OK, ResultStatus::success, "", 1},
        {CAMX_GAL_ID_NOT_ENOUGH_SLOT, CAMX_OK, ResultStatus::failure,
         "Cannot enroll more to this userId.", 0},
        {CAMX_GAL_ID_SLOT_FULL, CAMX_OK, ResultStatus::failure,
         "Cannot enroll more to this userId.", 0},
        {CAMX_INVALID_PARAMETER, CAMX_OK, ResultStatus::invalidId, "Invalid userId.", 0},
        {CAMX_GAL_ENROLL_DUPLICATED, CAMX_OK, ResultStatus::duplicatedEnrollment,
         "Duplicated enrollment.", 0},
        {CAMX_GAL_FULL, CAMX_OK, ResultStatus::sensorFailure, "", 0},
        // An enrollment the camera cannot make permanent is no success.
        {CAMX_OK, CAMX_DEV_IO_FAILED, ResultStatus::sensorFailure, "", 1},
    };
    for (const Row& row : table) {
        camera->enrollStatus = row.enroll;
        camera->commitStatus = row.commit;
        camera->commits = 0;
        const char* message = nullptr;
        EXPECT_EQ(controller->enrollUser("alice", &message), row.status) << std::hex << row.enroll;
        EXPECT_EQ(text(message), row.message) << std::hex << row.enroll;
        EXPECT_EQ(camera->commits, row.commits) << std::hex << row.enroll;
    }
}

// Smaller distances are more alike; a distance equal to the threshold is not a match.
TEST_F(CameraControllerGalleryTest, VerificationAnswers) {
    struct Row {
        CamxStatus compare;
        float distance;
        ResultStatus status;
        bool matched;
        const char* message;
    };
    const Row table[] = {
        {CAMX_OK, 0.1f, ResultStatus::success, true, ""},
        {CAMX_OK, std::nextafter(kThreshold, 0.0f), ResultStatus::success, true, ""},
        {CAMX_OK, kThreshold, ResultStatus::success, false, ""},
        {CAMX_OK, 1.9f, ResultStatus::success, false, ""},
        {CAMX_GAL_ID_NOT_EXIST, 0.1f, ResultStatus::invalidId, false, "User ID does not exist."},
        {CAMX_SE_NO_QUALIFIED_FRAME, 0.1f, ResultStatus::sensorFailure, false, ""},
    };
    for (const Row& row : table) {
        camera->compareStatus = row.compare;
        camera->distance = row.distance;
        const char* message = nullptr;
        bool matched = !row.matched;
        EXPECT_EQ(controller->verifyUser("alice", &message, matched), row.status) << row.distance;
        EXPECT_EQ(text(message), row.message) << row.distance;
        if (row.status == ResultStatus::success) {
            EXPECT_EQ(matched, row.matched) << row.distance;
        }
    }
}

TEST_F(CameraControllerGalleryTest, IdentificationKeepsTheCameraOrderAndWholeIdentifiers) {
    const std::string longest(32, 'x');  // fills the camera's field without a terminator
    camera->candidates = {candidate("bob", 0.2f), candidate("alice", 0.1f)};
    camera->candidates.push_back(candidate(longest, 0.3f));
    camera->candidates.back().userId[32] = 'y';

    vtl_base_type::InlineAllocator<256> pool;
    IdentifiedList identified(pool);
    identified.add("stale", 1.0f);
    ASSERT_EQ(controller->identifyUser(identified), ResultStatus::success);
    ASSERT_EQ(identified.size(), 3u);
    EXPECT_STREQ(identified[0].userId, "bob");
    EXPECT_EQ(identified[0].distance, 0.2f);
    EXPECT_STREQ(identified[1].userId, "alice");
    EXPECT_EQ(identified[2].userId, longest);

    camera->candidates.clear();
    ASSERT_EQ(controller->identifyUser(identified), ResultStatus::success);
    EXPECT_TRUE(identified.empty());

    camera->identifyStatus = CAMX_GAL_EMPTY;
    EXPECT_EQ(controller->identifyUser(identified), ResultStatus::sensorFailure);
}

// An empty gallery reported with the camera's own status is an empty answer, not a failure.
TEST_F(CameraControllerGalleryTest, GalleryListings) {
    struct Row {
        CamxStatus list;
        std::vector<const char*> names;
        ResultStatus status;
    };
    const Row table[] = {
        {CAMX_OK, {"alice", "bob"}, ResultStatus::success},
        {CAMX_OK, {}, ResultStatus::success},
        {CAMX_GAL_EMPTY, {}, ResultStatus::success},
        {CAMX_DEVICE_IO_DATA_INVALID, {}, ResultStatus::sensorFailure},
    };
    for (const Row& row : table) {
        camera->listStatus = row.list;
        camera->names = row.names;
        camera->usedTemplates = static_cast<std::uint32_t>(row.names.size() * 2);
        camera->maxTemplates = 1000;

        CameraController::GalleryCounts counts;
        ASSERT_EQ(controller->getGalleryCounts(counts), row.status) << std::hex << row.list;
        vtl_base_type::InlineAllocator<256> pool;
        TextList users(pool);
        ASSERT_EQ(controller->listUsers(users), row.status) << std::hex << row.list;
        if (row.status != ResultStatus::success) {
            continue;
        }
        EXPECT_EQ(counts.usedIds, row.names.size());
        EXPECT_EQ(counts.usedTemplates, row.names.size() * 2);
        EXPECT_EQ(counts.maxTemplates, 1000u);
        EXPECT_EQ(counts.maxIds, 1000u);
        EXPECT_EQ(counts.maxTemplatesPerId, 8u);
        std::vector<std::string> listed;
        for (const TextList::Entry& entry : users) {
            listed.emplace_back(entry.text, entry.length);
        }
        EXPECT_EQ(listed, std::vector<std::string>(row.names.begin(), row.names.end()));
    }
}

TEST_F(CameraControllerGalleryTest, DeletionAnswers) {
    struct Row {
        CamxStatus unenroll, commit;
        ResultStatus status;
        int commits;
    };
    const Row table[] = {
        {CAMX_OK, CAMX_OK, ResultStatus::success, 1},
        {CAMX_GAL_ID_NOT_EXIST, CAMX_OK, ResultStatus::success, 0},
        {CAMX_GAL_EMPTY, CAMX_OK, ResultStatus::success, 0},
        // Removing the last user may leave the camera reporting its gallery empty.
        {CAMX_OK, CAMX_GAL_EMPTY, ResultStatus::success, 1},
        {CAMX_OK, CAMX_DEV_IO_FAILED, ResultStatus::sensorFailure, 1},
        {CAMX_INVALID_PARAMETER, CAMX_OK, ResultStatus::sensorFailure, 0},
    };
    for (const Row& row : table) {
        for (const char* user : {"alice", static_cast<const char*>(nullptr)}) {
            camera->unenrollStatus = row.unenroll;
            camera->commitStatus = row.commit;
            camera->commits = 0;
            EXPECT_EQ(controller->deleteUser(user), row.status) << std::hex << row.unenroll;
            EXPECT_EQ(camera->commits, row.commits) << std::hex << row.unenroll;
        }
    }
}

TEST_F(CameraControllerGalleryTest, TemplateInformation) {
    camera->record.words[0] = 2;
    camera->record.words[1] = 0x40000;
    camera->record.words[2] = 1;
    camera->record.words[3] = 3;
    camera->record.words[4] = 0;
    camera->record.words[5] = 4;
    CameraController::TemplateInfo info;
    const char* message = nullptr;
    ASSERT_EQ(controller->getTemplateInfo("alice", info, &message), ResultStatus::success);
    EXPECT_EQ(std::vector<std::uint32_t>(std::begin(info.words), std::end(info.words)),
              (std::vector<std::uint32_t>{2, 0x40000, 1, 3, 0, 4}));

    camera->recordStatus = CAMX_GAL_ID_NOT_EXIST;
    EXPECT_EQ(controller->getTemplateInfo("alice", info, &message), ResultStatus::invalidId);
    EXPECT_EQ(text(message), "User ID does not exist.");
    camera->recordStatus = CAMX_DEV_IO_FAILED;
    message = nullptr;
    EXPECT_EQ(controller->getTemplateInfo("alice", info, &message), ResultStatus::sensorFailure);
    EXPECT_EQ(message, nullptr);
}

}  // namespace
}  // namespace lensws
