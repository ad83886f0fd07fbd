// The gallery's persistence: commit writes the file atomically, load reads it back and drops
// what was not committed, a damaged file is refused, and capacity limits hold.

#include "simulator/Gallery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "sdk/SdkStatus.h"
#include "simulator/GalleryFile.h"
#include "simulator/IrisMatcher.h"
#include "simulator/Random.h"

namespace ocusim {
namespace {

EyeTemplate randomTemplate(std::uint64_t seed, std::uint8_t eye = 0) {
    EyeTemplate eyeTemplate;
    eyeTemplate.eyePosition = eye;
    eyeTemplate.quality = 80;
    eyeTemplate.creatorVersion = 0x40003;
    Random random(seed);
    for (int i = 0; i < IrisCode::kCells; ++i) {
        eyeTemplate.code.bits[i] = static_cast<std::uint8_t>(random.next() & 3);
        eyeTemplate.code.mask[i] = 3;
    }
    return eyeTemplate;
}

class GalleryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ocusim-gallery-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        directory_ = pattern;
        file_ = directory_ + "/gallery.dat";
    }
    void TearDown() override {
        ::unlink(file_.c_str());
        ::unlink((file_ + ".tmp").c_str());
        ::rmdir(directory_.c_str());
    }
    std::vector<std::uint8_t> fileBytes() const {
        std::vector<std::uint8_t> bytes;
        bool exists = false;
        EXPECT_TRUE(readWholeFile(file_, bytes, exists));
        EXPECT_TRUE(exists);
        return bytes;
    }
    void writeBytes(const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(file_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    std::string directory_;
    std::string file_;
};

TEST_F(GalleryFileTest, CommittedEnrolleesSurviveARestart) {
    {
        Gallery gallery(1000, file_);
        EXPECT_EQ(gallery.open(), CAMX_OK);  // no file yet: empty
        EXPECT_EQ(gallery.add("alice", {randomTemplate(1, 1), randomTemplate(2, 2)}, false, 1.1f),
                  CAMX_OK);
        EXPECT_EQ(gallery.add("bob", {randomTemplate(3)}, false, 1.1f), CAMX_OK);
        EXPECT_EQ(gallery.commit(), CAMX_OK);
        EXPECT_EQ(gallery.add("uncommitted", {randomTemplate(4)}, false, 1.1f), CAMX_OK);
    }
    EXPECT_NE(::access((file_ + ".tmp").c_str(), F_OK), 0);
    Gallery reopened(1000, file_);
    ASSERT_EQ(reopened.open(), CAMX_OK);
    ASSERT_EQ(reopened.enrolleeCount(), 2u);
    EXPECT_EQ(reopened.enrollees()[0].id, "alice");
    EXPECT_EQ(reopened.enrollees()[1].id, "bob");
    EXPECT_EQ(reopened.templateCount(), 3u);
    EXPECT_EQ(reopened.find("alice")->templates[1].eyePosition, 2);
    EXPECT_FLOAT_EQ(
        IrisMatcher::distance(reopened.find("bob")->templates[0].code, randomTemplate(3).code),
        0.0f);
    EXPECT_EQ(reopened.find("uncommitted"), nullptr);
}

TEST_F(GalleryFileTest, LoadDropsUncommittedChangesAndRereadsTheFile) {
    Gallery gallery(1000, file_);
    gallery.open();
    gallery.add("alice", {randomTemplate(1)}, false, 1.1f);
    gallery.commit();
    gallery.add("bob", {randomTemplate(2)}, false, 1.1f);
    gallery.remove("alice");
    EXPECT_EQ(gallery.load(), CAMX_OK);
    ASSERT_EQ(gallery.enrolleeCount(), 1u);
    EXPECT_EQ(gallery.enrollees()[0].id, "alice");
    gallery.removeAll();
    gallery.commit();
    EXPECT_EQ(gallery.load(), CAMX_OK);
    EXPECT_EQ(gallery.enrolleeCount(), 0u);
}

TEST_F(GalleryFileTest, ADamagedFileIsRefusedAndLeavesTheGalleryAsItWas) {
    Gallery writer(1000, file_);
    writer.open();
    writer.add("alice", {randomTemplate(1)}, false, 1.1f);
    writer.add("bob", {randomTemplate(2)}, false, 1.1f);
    writer.commit();
    const std::vector<std::uint8_t> good = fileBytes();

    for (std::size_t offset : {0ul, 5ul, 13ul, good.size() / 2, good.size() - 1}) {
        std::vector<std::uint8_t> flipped = good;
        flipped[offset] ^= 0x10;
        writeBytes(flipped);
        Gallery reader(1000, file_);
        EXPECT_EQ(reader.open(), CAMX_GAL_LOAD_FAILED) << "byte " << offset;
        EXPECT_EQ(reader.enrolleeCount(), 0u);
    }
    for (std::size_t cut = 0; cut < good.size(); cut += good.size() / 7 + 1) {
        std::vector<Enrollee> parsed;
        EXPECT_FALSE(
            parseGallery(std::vector<std::uint8_t>(good.begin(), good.begin() + cut), parsed));
        EXPECT_TRUE(parsed.empty());
    }
    // A working gallery keeps its enrollees when a reload fails.
    writeBytes(good);
    Gallery gallery(1000, file_);
    ASSERT_EQ(gallery.open(), CAMX_OK);
    writeBytes({1, 2, 3});
    EXPECT_EQ(gallery.load(), CAMX_GAL_LOAD_FAILED);
    EXPECT_EQ(gallery.enrolleeCount(), 2u);
}

TEST_F(GalleryFileTest, APausedCommitLeavesTheOldFileInPlaceUntilItsRename) {
    Gallery gallery(1000, file_);
    gallery.open();
    gallery.add("alice", {randomTemplate(1)}, false, 1.1f);
    ASSERT_EQ(gallery.commit(), CAMX_OK);
    const std::vector<std::uint8_t> old = fileBytes();
    gallery.add("bob", {randomTemplate(2)}, false, 1.1f);
    gallery.pauseNextCommit(std::chrono::milliseconds(400));
    std::uint32_t status = 1;
    std::thread committing([&] { status = gallery.commit(); });
    bool seen = false;
    for (int i = 0; i < 5000 && !seen; ++i) {
        seen = ::access((file_ + ".tmp").c_str(), F_OK) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(fileBytes(), old);
    committing.join();
    EXPECT_EQ(status, CAMX_OK);
    EXPECT_NE(::access((file_ + ".tmp").c_str(), F_OK), 0);
    Gallery reopened(1000, file_);
    ASSERT_EQ(reopened.open(), CAMX_OK);
    EXPECT_EQ(reopened.enrolleeCount(), 2u);
}

TEST_F(GalleryFileTest, AFailedCommitReportsAnIoFailureAndChangesNothing) {
    Gallery gallery(1000, directory_ + "/missing/gallery.dat");
    gallery.open();
    gallery.add("alice", {randomTemplate(1)}, false, 1.1f);
    EXPECT_EQ(gallery.commit(), CAMX_DEV_IO_FAILED);
    EXPECT_EQ(gallery.load(), CAMX_OK);
    EXPECT_EQ(gallery.enrolleeCount(), 0u);
}

TEST(Gallery, WithoutAFileTheCommittedGalleryLivesInMemory) {
    Gallery gallery(1000, "");
    EXPECT_EQ(gallery.open(), CAMX_OK);
    gallery.add("alice", {randomTemplate(1)}, false, 1.1f);
    EXPECT_EQ(gallery.load(), CAMX_OK);
    EXPECT_EQ(gallery.enrolleeCount(), 0u);
    gallery.add("alice", {randomTemplate(1)}, false, 1.1f);
    EXPECT_EQ(gallery.commit(), CAMX_OK);
    gallery.removeAll();
    EXPECT_EQ(gallery.load(), CAMX_OK);
    EXPECT_EQ(gallery.enrolleeCount(), 1u);
}

TEST(Gallery, CapacityLimitsTheTemplateCount) {
    Gallery gallery(3, "");
    EXPECT_EQ(gallery.add("a", {randomTemplate(1), randomTemplate(2)}, false, 1.1f), CAMX_OK);
    EXPECT_EQ(gallery.add("b", {randomTemplate(3), randomTemplate(4)}, false, 1.1f),
              CAMX_GAL_NOT_ENOUGH_SLOT);
    EXPECT_EQ(gallery.add("b", {randomTemplate(3)}, false, 1.1f), CAMX_OK);
    EXPECT_EQ(gallery.add("c", {randomTemplate(5)}, false, 1.1f), CAMX_GAL_FULL);
    EXPECT_EQ(gallery.add("c", {}, false, 1.1f), CAMX_TPL_UNAVAILABLE);
}

}  // namespace
}  // namespace ocusim
