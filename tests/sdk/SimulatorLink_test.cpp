// The transports and the command protocol against the camera simulator, over USB and over a
// serial pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "sdk/CCommUART.h"
#include "sdk/CCommUSB.h"
#include "sdk/CaptureCommands.h"
#include "sdk/ConfigCommands.h"
#include "sdk/DeviceCommands.h"
#include "sdk/Exchange.h"
#include "sdk/GalleryCommands.h"
#include "sdk/ProductTable.h"
#include "sdk/ResultCommands.h"
#include "sdk/SimulatorProcess.h"
#include "sdk/TemplateCommands.h"

namespace {

using fakes::SimulatorProcess;
using Link = SimulatorProcess::Link;

std::string linkName(const ::testing::TestParamInfo<Link>& param) {
    return param.param == Link::Usb ? "Usb" : "Serial";
}

class SimulatorLinkTest : public ::testing::TestWithParam<Link> {
protected:
    // Starts the simulator and opens the link to it the way the SDK opens a device.
    void start(std::vector<std::string> extra = {"--firmware", "0x2001C"}) {
        sim = std::make_unique<SimulatorProcess>(GetParam(), extra);
        ASSERT_TRUE(sim->ready()) << "ocucam-sim did not come up";
        ASSERT_EQ(openTransport(), CAMX_OK);
        link.transport = transport.get();
        link.kind = GetParam() == Link::Usb ? sdk::LinkKind::Usb : sdk::LinkKind::Serial;
        std::uint32_t first = 0;
        std::uint32_t second = 0;
        ASSERT_EQ(sdk::readFirmwareVersion(link, &first, &second), CAMX_OK);
        link.firmwareVersion = second != 0 ? second : first;
        if (GetParam() == Link::Serial) {
            ASSERT_EQ(sdk::readProductId(link, &productId), CAMX_OK);
        } else {
            const std::string path = sim->devicePath();
            productId = static_cast<std::uint16_t>(
                std::stoul(path.substr(path.find("pid_") + 4, 4), nullptr, 16));
        }
        const sdk::ProductEntry* product = sdk::findProduct(productId);
        ASSERT_NE(product, nullptr);
        link.binocular = sdk::isBinocularType(product->typeCode);
        ASSERT_TRUE(general.reserve(0xAB000) && list.reserve(360396) &&
                    templates.reserve(0xAB000) && stream.reserve(2 * 640 * 480 + 10) &&
                    result.reserve(2 * 640 * 480 + 2048));
    }

    CamxStatus openTransport() {
        if (GetParam() == Link::Usb) {
            transport = std::make_unique<sdk::CCommUSB>();
        } else {
            transport = std::make_unique<sdk::CCommUART>();
        }
        transport->initialise();
        return transport->open(sim->devicePath().c_str(), nullptr);
    }

    void initialise() {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        ASSERT_EQ(sdk::initCamera(link, &width, &height), CAMX_OK);
        ASSERT_EQ(width, 640u);
        ASSERT_EQ(height, 480u);
    }

    // Starts a capture and follows it to its end; returns the live frames seen.
    int captureToTheEnd() {
        sdk::CaptureParameters parameters;
        parameters.count = 3;
        parameters.autoFlag = 1;
        EXPECT_EQ(sdk::startCapture(link, parameters), CAMX_OK);
        int frames = 0;
        std::uint8_t status = 0;
        for (int poll = 0; poll < 2000 && status != 3; ++poll) {
            sdk::ImageInfo images[2];
            std::uint32_t count = 0;
            const CamxStatus got = sdk::readStreamImages(link, stream, 0, images, &count, &status);
            if (got == CAMX_OK) {
                EXPECT_EQ(images[0].width, 640u);
                EXPECT_EQ(images[0].height, 480u);
                EXPECT_EQ(images[0].size, 640u * 480u);
                ++frames;
            } else {
                EXPECT_EQ(got, CAMX_SE_NO_FRAME_AVAILABLE);
                EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_OK);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        EXPECT_EQ(status, 3);
        return frames;
    }

    long controlCount(const std::string& code) {
        const std::string answer = sim->control("count " + code);
        return answer.rfind("ok ", 0) == 0 ? std::stol(answer.substr(3)) : -1;
    }

    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<sdk::CCommObj> transport;
    sdk::DeviceLink link;
    std::uint16_t productId = 0;
    sdk::DataBuffer general;
    sdk::DataBuffer list;
    sdk::DataBuffer templates;
    sdk::DataBuffer stream;
    sdk::DataBuffer result;
};

INSTANTIATE_TEST_SUITE_P(Links, SimulatorLinkTest, ::testing::Values(Link::Usb, Link::Serial),
                         linkName);

// Every exchange pattern, through a whole session: plain exchanges, data in, data out, data out
// and in, over both links.
TEST_P(SimulatorLinkTest, ACompleteSessionUsesEveryExchangePattern) {
    start();
    sdk::DeviceInfo info;
    ASSERT_EQ(sdk::readDeviceInfo(link, productId, general, &info), CAMX_OK);
    EXPECT_STREQ(info.serialNumber, "SIM00001");
    EXPECT_EQ(info.productId, productId);

    sdk::CameraConfig config;
    ASSERT_EQ(sdk::readCameraConfig(link, general, &config), CAMX_OK);
    config.deduplicateOnEnroll = 0;
    config.imposterThreshold = 1.25f;
    ASSERT_EQ(sdk::writeCameraConfig(link, config), CAMX_OK);
    sdk::CameraConfig reread;
    ASSERT_EQ(sdk::readCameraConfig(link, general, &reread), CAMX_OK);
    EXPECT_EQ(reread.deduplicateOnEnroll, 0);
    EXPECT_FLOAT_EQ(reread.imposterThreshold, 1.25f);

    initialise();
    EXPECT_GT(captureToTheEnd(), 0);

    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    sdk::ResultImageRequest raw;
    ASSERT_EQ(sdk::readResultImages(link, result, raw, images, &count), CAMX_OK);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(images[0].format, 2);
    EXPECT_EQ(images[0].size, images[0].width * images[0].height);
    EXPECT_GT(images[0].size, 0u);

    sdk::ResultImageRequest jpeg2000;
    jpeg2000.kind = 2;
    jpeg2000.format = 10;
    jpeg2000.compressionValue = 80;
    ASSERT_EQ(sdk::readResultImages(link, result, jpeg2000, images, &count), CAMX_OK);
    ASSERT_GT(images[0].size, 12u);
    EXPECT_EQ(0, std::memcmp(images[0].data + 4, "jP  ", 4));  // a JP2 file's signature box

    sdk::QualityPair pairs[2];
    ASSERT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_OK);
    EXPECT_EQ(count, 1u);

    sdk::IsoImageRequest iso;
    sdk::DataBlock record;
    ASSERT_EQ(sdk::readIsoImage(link, general, iso, nullptr, false, &record), CAMX_OK);
    ASSERT_GT(record.size, 4u);
    EXPECT_EQ(0, std::memcmp(record.data, "IIR", 4));
    const std::uint8_t when[9] = {0x07, 0xEA, 12, 8, 10, 30, 0, 0, 0};
    const sdk::DataBlock extra{9, when};
    ASSERT_EQ(sdk::readIsoImage(link, general, iso, &extra, true, &record), CAMX_OK);
    EXPECT_EQ(0, std::memcmp(record.data, "IIR", 4));

    sdk::DataBlock capturedTemplate;
    ASSERT_EQ(sdk::readResultTemplate(link, templates, &capturedTemplate), CAMX_OK);
    ASSERT_GT(capturedTemplate.size, 0u);
    const std::vector<std::uint8_t> templateCopy(capturedTemplate.data,
                                                 capturedTemplate.data + capturedTemplate.size);
    const sdk::DataBlock templateBlock{static_cast<std::uint32_t>(templateCopy.size()),
                                       templateCopy.data()};

    const std::uint8_t label[8] = {'l', 'a', 'b', 'e', 'l', 0, 0, 0};
    const sdk::DataBlock labelBlock{8, label};
    sdk::DataBlock made;
    ASSERT_EQ(sdk::readTemplateFromData(link, templates, &labelBlock, &made), CAMX_OK);
    EXPECT_GT(made.size, 0u);
    ASSERT_EQ(sdk::readTemplateFromData(link, templates, nullptr, &made), CAMX_OK);
    ASSERT_EQ(sdk::readResultImagesWithData(link, result, raw, labelBlock, images, &count),
              CAMX_OK);
    EXPECT_GT(images[0].size, 8u);

    ASSERT_EQ(sdk::enroll(link, "alice"), CAMX_OK);
    ASSERT_EQ(sdk::addTemplate(link, "bob", templateBlock), CAMX_OK);
    ASSERT_EQ(sdk::commitGallery(link), CAMX_OK);
    std::vector<const char*> names;
    std::uint32_t enrollees = 0;
    std::uint32_t used = 0;
    std::uint32_t maximum = 0;
    ASSERT_EQ(sdk::listEnrollees(link, list, {&names, &enrollees, &used, &maximum}), CAMX_OK);
    ASSERT_EQ(enrollees, 2u);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_GE(used, 2u);
    EXPECT_GT(maximum, 0u);
    ASSERT_EQ(sdk::loadGallery(link, list, {&names, &enrollees, nullptr, nullptr}), CAMX_OK);
    EXPECT_EQ(enrollees, 2u);

    float distance = 9;
    ASSERT_EQ(sdk::compareWithEnrollee(link, "alice", &distance), CAMX_OK);
    EXPECT_LT(distance, 1.05f);
    ASSERT_EQ(sdk::compareWithTemplate(link, templateBlock, &distance), CAMX_OK);
    EXPECT_LT(distance, 1.05f);
    std::vector<sdk::IdentifyCandidate> candidates;
    ASSERT_EQ(sdk::identify(link, general, 1.05f, &candidates), CAMX_OK);
    ASSERT_EQ(candidates.size(), 2u);
    sdk::MatchRecord match;
    ASSERT_EQ(sdk::readEnrolleeRecord(link, "alice", &match), CAMX_OK);
    EXPECT_GE(match.words[5], 1u);
    ASSERT_EQ(sdk::matchTemplateBlock(link, templateBlock, &match), CAMX_OK);
    sdk::DataBlock enrolled;
    ASSERT_EQ(sdk::readEnrolleeTemplate(link, templates, "bob", &enrolled), CAMX_OK);
    EXPECT_GT(enrolled.size, 0u);

    ASSERT_EQ(sdk::unenroll(link, "bob"), CAMX_OK);
    ASSERT_EQ(sdk::unenrollAll(link), CAMX_OK);
    ASSERT_EQ(sdk::setEyeOption(link, 0), CAMX_OK);
    ASSERT_EQ(sdk::deinitCamera(link), CAMX_OK);
    {
        sdk::ScopedTimeout closing(link, sdk::kClosingTimeoutMs);
        ASSERT_EQ(sdk::sendDeviceState(link, 2, 0, 1000), CAMX_OK);
    }
    EXPECT_EQ(transport->close(), CAMX_OK);
}

TEST_P(SimulatorLinkTest, ABinocularCameraDeliversBothEyes) {
    start({"--model", "bino", "--firmware", "0x2001C"});
    ASSERT_TRUE(link.binocular);
    initialise();
    captureToTheEnd();
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    ASSERT_EQ(sdk::readResultImages(link, result, {}, images, &count), CAMX_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_GT(images[0].size, 0u);
    EXPECT_GT(images[1].size, 0u);
    EXPECT_NE(0, std::memcmp(images[0].data, images[1].data, images[0].size));

    // Two image records with their templates: more than the result buffer was sized for.
    const std::uint8_t label[4] = {'a', 'b', 'c', 'd'};
    ASSERT_EQ(sdk::readResultImagesWithData(link, result, {}, {4, label}, images, &count), CAMX_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_GT(images[1].size, 640u * 480u);

    sdk::QualityPair pairs[2];
    ASSERT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_OK);
    EXPECT_EQ(count, 2u);

    ASSERT_EQ(sim->control("eyes right").rfind("ok", 0), 0u);  // the left eye is covered
    captureToTheEnd();
    const CamxStatus partial = sdk::readResultImages(link, result, {}, images, &count);
    ASSERT_EQ(partial, CAMX_SE_LEFT_FRAME_UNQUALIFIED);
    EXPECT_NE(images[0].data, nullptr);
    EXPECT_EQ(images[1].data, nullptr);
}

TEST_P(SimulatorLinkTest, ResetAtOpenLeavesTheCameraAnswering) {
    start();
    sdk::resetAtOpen(link);
    EXPECT_EQ(controlCount("9005"), 1);
    std::uint8_t status = 0;
    EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_SE_NOT_INIT);
    initialise();
    EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_OK);
}

TEST_P(SimulatorLinkTest, AReplyEchoingAnotherCodeIsInvalid) {
    start();
    initialise();
    ASSERT_EQ(sim->control("echo 200E 2007").rfind("ok", 0), 0u);
    std::uint8_t status = 0;
    EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_OK);  // the link recovers
}

TEST_P(SimulatorLinkTest, PartialSuccessWithoutItsResultsIsInvalid) {
    start();
    initialise();
    captureToTheEnd();
    ASSERT_EQ(sim->control("fail 200C 3008").rfind("ok", 0), 0u);
    sdk::ImageInfo images[2];
    std::uint32_t count = 0;
    EXPECT_EQ(sdk::readResultImages(link, result, {}, images, &count), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(sdk::readResultImages(link, result, {}, images, &count), CAMX_OK);
}

TEST_P(SimulatorLinkTest, AnErrorWithoutResultsIsTheCamerasStatus) {
    start();
    sdk::MatchRecord record;
    EXPECT_EQ(sdk::readEnrolleeRecord(link, "nobody", &record), CAMX_GAL_ID_NOT_EXIST);
    ASSERT_EQ(sim->control("fail 3021 4005").rfind("ok", 0), 0u);
    EXPECT_EQ(sdk::readEnrolleeRecord(link, "nobody", &record), CAMX_GAL_ID_NOT_EXIST);
    std::uint8_t status = 0;
    EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_SE_NOT_INIT);
}

TEST_P(SimulatorLinkTest, ALateReplyAfterATimeOutIsNotTakenForTheNextOne) {
    start();
    initialise();
    ASSERT_EQ(sim->control("delay 200E 400").rfind("ok", 0), 0u);
    const std::string before = sim->control("driver");
    std::uint8_t status = 0;
    {
        sdk::ScopedTimeout quick(link, 100);
        EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_DEVICE_IO_TIMEOUT);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // the late reply arrives
    sdk::QualityPair pairs[2];
    std::uint32_t count = 0;
    // A stale 0x200E reply in the pipe would make this 10.
    EXPECT_EQ(sdk::readResultQuality(link, pairs, &count), CAMX_SE_NO_QUALIFIED_FRAME);
    if (GetParam() == Link::Usb) {
        // Observed at the driver: the 1 ms time-out, its restoration, and the pipe resets.
        const std::string after = sim->control("driver");
        EXPECT_EQ(SimulatorProcess::field(after, "pipe0"),
                  SimulatorProcess::field(before, "pipe0") + 1);
        EXPECT_EQ(SimulatorProcess::field(after, "pipe1"),
                  SimulatorProcess::field(before, "pipe1") + 1);
        EXPECT_GE(SimulatorProcess::field(after, "timeouts-set"),
                  SimulatorProcess::field(before, "timeouts-set") + 3);
    }
}

TEST_P(SimulatorLinkTest, TheWakeUpStepRetriesUntilTheCameraIsAwake) {
    start({"--firmware", "0x40003", "--wake-polls", "2"});
    initialise();
    ASSERT_EQ(sim->control("doze").rfind("ok", 0), 0u);
    const std::string before = sim->control("driver");
    const long wakeCommands = controlCount("10AF");
    std::uint8_t status = 0;
    EXPECT_EQ(sdk::readCaptureStatus(link, &status), CAMX_OK);
    EXPECT_NE(sim->control("state").find("dozing=0"), std::string::npos);
    if (GetParam() == Link::Usb) {
        // Two polls answered 1 (still waking), the third 0.
        EXPECT_EQ(SimulatorProcess::field(sim->control("driver"), "wake-polls"),
                  SimulatorProcess::field(before, "wake-polls") + 3);
    } else {
        EXPECT_EQ(controlCount("10AF"), wakeCommands + 1);
    }
}

TEST_P(SimulatorLinkTest, BadUserIdsSendNothing) {
    start();
    EXPECT_EQ(sdk::enroll(link, std::string(32, 'a').c_str()), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(sdk::enroll(link, "jane-doe"), CAMX_INVALID_PARAMETER);
    EXPECT_EQ(controlCount("8007"), 0);
}

TEST_P(SimulatorLinkTest, ConfigurationDataIsTwentyBytesBefore2001C) {
    start({"--firmware", "0x2001B"});
    std::uint32_t size = 0;
    ASSERT_EQ(sdk::exchangeDataIn(link, 0x10C0, 0, 4, general, &size), CAMX_OK);
    EXPECT_EQ(size, 20u);
    sdk::CameraConfig config;
    ASSERT_EQ(sdk::readCameraConfig(link, general, &config), CAMX_OK);
    config.field10 = config.field10 == 50 ? 51 : 50;
    ASSERT_EQ(sdk::writeCameraConfig(link, config), CAMX_OK);
    sdk::CameraConfig reread;
    ASSERT_EQ(sdk::readCameraConfig(link, general, &reread), CAMX_OK);
    EXPECT_EQ(reread.field10, config.field10);
}

TEST_P(SimulatorLinkTest, ConfigurationDataIsFortySixBytesFrom2001C) {
    start({"--firmware", "0x2001C"});
    std::uint32_t size = 0;
    ASSERT_EQ(sdk::exchangeDataIn(link, 0x10C0, 0, 4, general, &size), CAMX_OK);
    EXPECT_EQ(size, 46u);
    sdk::CameraConfig config;
    ASSERT_EQ(sdk::readCameraConfig(link, general, &config), CAMX_OK);
    config.field12 = config.field12 == 0 ? 1 : 0;
    ASSERT_EQ(sdk::writeCameraConfig(link, config), CAMX_OK);
    sdk::CameraConfig reread;
    ASSERT_EQ(sdk::readCameraConfig(link, general, &reread), CAMX_OK);
    EXPECT_EQ(reread.field12, config.field12);
}

// A camera that refuses a command with a data phase expects no data: none is sent, and the
// link stays in step.
TEST_P(SimulatorLinkTest, ARefusedDataPhaseIsNotSent) {
    start({"--firmware", "0x2001C"});
    const std::vector<std::uint8_t> data(30, 1);
    sdk::commandParameters(link).writeU32(30);  // no configuration is 30 bytes long
    const CamxStatus status = sdk::exchangeDataOut(link, 0x10C1, 4, 0, data.data(), 30);
    // The camera's refusal, not a time-out waiting for a reply to data it never wanted.
    EXPECT_TRUE(status == CAMX_INVALID_PARAMETER || status >= CAMX_DEV_OUTOFMEMORY) << status;
    sdk::CameraConfig config;
    EXPECT_EQ(sdk::readCameraConfig(link, general, &config), CAMX_OK);
}

TEST_P(SimulatorLinkTest, IdentifyWithNoCandidatesReadsNoData) {
    start();
    initialise();
    captureToTheEnd();
    std::vector<sdk::IdentifyCandidate> candidates;
    const CamxStatus status = sdk::identify(link, general, 1.05f, &candidates);
    EXPECT_TRUE(status == CAMX_OK || status == CAMX_GAL_EMPTY) << status;
    EXPECT_TRUE(candidates.empty());
    // Had data been left in the pipe, the next reply would not be 0x200E's.
    std::uint8_t captureStatus = 0;
    EXPECT_EQ(sdk::readCaptureStatus(link, &captureStatus), CAMX_OK);
    EXPECT_EQ(captureStatus, 3);
}

TEST_P(SimulatorLinkTest, APortOrDeviceThatIsNotThereIsTold) {
    start();
    transport->close();
    if (GetParam() == Link::Serial) {
        sdk::CCommUART uart;
        uart.initialise();
        EXPECT_EQ(uart.open((sim->serialLink() + "-missing").c_str(), nullptr),
                  CAMX_DEVICE_NOT_FOUND);
    } else {
        sdk::CCommUSB usb;
        EXPECT_EQ(usb.open((sim->devicePath() + "-missing").c_str(), nullptr),
                  CAMX_DEVICE_OPEN_FAILED);
    }
    // One host at a time.
    ASSERT_EQ(openTransport(), CAMX_OK);
    std::unique_ptr<sdk::CCommObj> second;
    if (GetParam() == Link::Serial) {
        second = std::make_unique<sdk::CCommUART>();
    } else {
        second = std::make_unique<sdk::CCommUSB>();
    }
    EXPECT_EQ(second->open(sim->devicePath().c_str(), nullptr), CAMX_DEVICE_ACCESS_DENIED);
}

TEST(SimulatorDriverVersionTest, Version30000IsRefusedAnd30001Accepted) {
    {
        SimulatorProcess sim(Link::Usb, {"--driver-version", "0x30000"});
        ASSERT_TRUE(sim.ready());
        sdk::CCommUSB usb;
        EXPECT_EQ(usb.open(sim.devicePath().c_str(), nullptr), CAMX_VERSION_INCOMPATIBLE);
        EXPECT_FALSE(usb.isOpen());
    }
    {
        SimulatorProcess sim(Link::Usb, {"--driver-version", "0x30001"});
        ASSERT_TRUE(sim.ready());
        sdk::CCommUSB usb;
        EXPECT_EQ(usb.open(sim.devicePath().c_str(), nullptr), CAMX_OK);
    }
}

TEST(SimulatorFirmwareTest, Firmware30017AsksForTheSecondWord) {
    SimulatorProcess sim(Link::Usb, {"--firmware", "0x30017", "--second-firmware", "0x40002"});
    ASSERT_TRUE(sim.ready());
    sdk::CCommUSB usb;
    ASSERT_EQ(usb.open(sim.devicePath().c_str(), nullptr), CAMX_OK);
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    ASSERT_EQ(usb.firmwareVersion(&first, &second), CAMX_OK);
    EXPECT_EQ(first, 0x30017u);
    EXPECT_EQ(second, 0x40002u);
}

}  // namespace
