#include "camera/CameraHolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "camera/Camx2000Impl.h"
#include "camera/CreateCamera.h"
#include "sdk/SdkSimFixture.h"

namespace {

using simtest::SdkSimTest;
using simtest::SimCamera;
using simtest::SimCameraOptions;
using vantrel_camera::CameraConnection;
using vantrel_camera::CameraHolder;
using vantrel_camera::Camx2000Impl;
using vantrel_camera::OcuScanner;

// The real camera with the scan's answer rearranged: the SDK's scan lists cameras sorted by
// their device paths, so every monocular product comes before every binocular one; this puts
// the names in the order a test needs, or answers an empty list with success.
class ReorderingCamera : public Camx2000Impl {
public:
    enum class Order { AsScanned, Reversed, Empty };

    explicit ReorderingCamera(Order order) : order_(order) {}

    CamxStatus scanDevices(vantrel_camera::NameList* names, std::uint32_t* count) override {
        const CamxStatus status = Camx2000Impl::scanDevices(names, count);
        if (status != CAMX_OK) {
            return status;
        }
        if (order_ == Order::Empty) {
            *count = 0;
            return CAMX_OK;
        }
        copies_.assign(*names, *names + *count);
        if (order_ == Order::Reversed) {
            std::reverse(copies_.begin(), copies_.end());
        }
        pointers_.clear();
        for (const std::string& name : copies_) {
            pointers_.push_back(name.c_str());
        }
        *names = pointers_.data();
        return CAMX_OK;
    }

private:
    Order order_;
    std::vector<std::string> copies_;
    std::vector<const char*> pointers_;
};

CameraHolder::CameraFactory reordering(ReorderingCamera::Order order) {
    return [order](std::uint32_t kind) -> std::unique_ptr<OcuScanner> {
        if (kind != 1) {
            return nullptr;
        }
        return std::make_unique<ReorderingCamera>(order);
    };
}

void countBusy(void* context) {
    ++*static_cast<int*>(context);
}

class CameraHolderTest : public SdkSimTest {
protected:
    static std::string serialOf(OcuScanner& camera) {
        vantrel_camera::DeviceInfo info;
        if (camera.getDeviceInfo(&info) != CAMX_OK) {
            return "";
        }
        return info.serialNumber;
    }

    int busy = 0;
};

TEST_F(CameraHolderTest, NoCameraAnswersNotFoundAndCallsTheBusyCallback) {
    CameraHolder holder(vantrel_camera::createCamera);
    EXPECT_EQ(holder.connectCamera(&countBusy, &busy), CAMX_DEVICE_NOT_FOUND);
    EXPECT_EQ(busy, 1);
    ASSERT_NE(holder.camera(), nullptr);
    EXPECT_EQ(holder.camera()->isOpen(), 0);
    EXPECT_EQ(holder.connectCamera(), CAMX_DEVICE_NOT_FOUND);  // without a callback
}

TEST_F(CameraHolderTest, EmptyScanWithSuccessThrows) {
    addCamera();
    CameraHolder holder(reordering(ReorderingCamera::Order::Empty));
    try {
        holder.connectCamera(&countBusy, &busy);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "No Tavisor camera available.");
    }
    EXPECT_EQ(busy, 0);
}

TEST_F(CameraHolderTest, NoCameraObjectThrows) {
    CameraHolder holder([](std::uint32_t) { return std::unique_ptr<OcuScanner>(); });
    try {
        holder.connectCamera();
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Memory allocation failed");
    }
    EXPECT_EQ(vantrel_camera::createCamera(2), nullptr);
    EXPECT_NE(vantrel_camera::createCamera(1), nullptr);
}

TEST_F(CameraHolderTest, MonocularCameraIsTakenFirst) {
    SimCamera& mono = addCamera(serialNumbered(1));
    SimCamera& bino = addCamera(serialNumbered(2, "bino"));
    CameraHolder holder(vantrel_camera::createCamera);
    ASSERT_EQ(holder.connectCamera(&countBusy, &busy), CAMX_OK);
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(holder.camera()->isBinocular(), 0);
    EXPECT_EQ(mono.state("open"), "1");
    EXPECT_EQ(bino.state("open"), "0");
    EXPECT_EQ(bino.count(0x10A1), 0);  // never opened
}

TEST_F(CameraHolderTest, MonocularCameraIsPreferredOverBinocularOnesBeforeIt) {
    SimCamera& mono = addCamera(serialNumbered(1));
    SimCamera& binoA = addCamera(serialNumbered(2, "bino"));
    SimCamera& binoB = addCamera(serialNumbered(3, "bino"));
    CameraHolder holder(reordering(ReorderingCamera::Order::Reversed));
    ASSERT_EQ(holder.connectCamera(&countBusy, &busy), CAMX_OK);
    EXPECT_EQ(holder.camera()->isBinocular(), 0);
    EXPECT_EQ(serialOf(*holder.camera()), "SIM00001");
    EXPECT_EQ(mono.state("open"), "1");
    EXPECT_TRUE(released(binoA));
    EXPECT_TRUE(released(binoB));
    // Both binocular cameras were opened and tried, and none is still held by the SDK.
    EXPECT_GT(binoA.count(0x5001), 0);
    EXPECT_GT(binoB.count(0x5001), 0);
    Camx2000Impl other;
    EXPECT_EQ(other.openDevice("Tavisor CMX-2000D #2"), CAMX_OK);
}

TEST_F(CameraHolderTest, OnlyBinocularCamerasKeepTheFirstOpen) {
    SimCamera& first = addCamera(serialNumbered(1, "bino"));
    SimCamera& second = addCamera(serialNumbered(2, "bino"));
    CameraHolder holder(vantrel_camera::createCamera);
    ASSERT_EQ(holder.connectCamera(&countBusy, &busy), CAMX_OK);
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(holder.camera()->isBinocular(), 1);
    EXPECT_EQ(serialOf(*holder.camera()), "SIM00001");
    EXPECT_EQ(first.state("open"), "1");
    EXPECT_TRUE(released(second));
    EXPECT_GT(second.count(0x5001), 0);  // tried and closed
    // The kept camera captures with both eyes.
    ASSERT_EQ(holder.camera()->initCamera(nullptr, nullptr), CAMX_OK);
    EXPECT_EQ(first.state("initialised"), "1");
}

TEST_F(CameraHolderTest, CameraWhoseInformationFailsIsClosedAndTheNextTried) {
    SimCamera& broken = addCamera(serialNumbered(1));
    SimCamera& good = addCamera(serialNumbered(2));
    ASSERT_EQ(broken.control("fail 1005 1008"), "ok");
    CameraHolder holder(vantrel_camera::createCamera);
    ASSERT_EQ(holder.connectCamera(), CAMX_OK);
    EXPECT_EQ(serialOf(*holder.camera()), "SIM00002");
    EXPECT_TRUE(released(broken));
    EXPECT_EQ(good.state("open"), "1");
}

TEST_F(CameraHolderTest, BinocularCameraKeptWhenALaterCameraFails) {
    SimCamera& broken = addCamera(serialNumbered(1));
    SimCamera& bino = addCamera(serialNumbered(2, "bino"));
    ASSERT_EQ(broken.control("fail 1005 1008"), "ok");
    // Binocular first, then the monocular one whose information cannot be read.
    CameraHolder holder(reordering(ReorderingCamera::Order::Reversed));
    ASSERT_EQ(holder.connectCamera(&countBusy, &busy), CAMX_OK);
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(holder.camera()->isBinocular(), 1);
    EXPECT_EQ(bino.state("open"), "1");
    EXPECT_TRUE(released(broken));
}

TEST_F(CameraHolderTest, LastFailureIsReturned) {
    SimCamera& broken = addCamera(serialNumbered(1));
    ASSERT_EQ(broken.control("fail 1005 1008"), "ok");
    CameraHolder holder(vantrel_camera::createCamera);
    EXPECT_EQ(holder.connectCamera(&countBusy, &busy), CAMX_DEV_BAD_DATA);
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(holder.camera()->isOpen(), 0);
}

TEST_F(CameraHolderTest, SerialLineFromTheConnectionSettings) {
    SimCameraOptions options = serialCamera("ttyCam", 230400);
    SimCamera& sim = addCamera(options);
    addCamera(serialNumbered(1));  // a USB camera that must not be used
    CameraHolder holder(vantrel_camera::createCamera);
    CameraConnection connection;
    connection.kind = CameraConnection::Kind::Serial;
    connection.serialPort = options.serialLink;
    connection.baudRate = 230400;
    holder.setConnection(connection);
    ASSERT_EQ(holder.connectCamera(), CAMX_OK);
    sdk::SdkConfig config;
    ASSERT_EQ(holder.camera()->getSdkConfig(&config), CAMX_OK);
    EXPECT_EQ(config.connectionKind, sdk::kConnectionSerial);
    EXPECT_EQ(config.baudRate, 230400u);
    EXPECT_EQ(config.flowControl, 0u);
    EXPECT_EQ(serialOf(*holder.camera()), "SERttyCam");
    EXPECT_EQ(sim.state("open"), "1");
    std::uint32_t width = 0;
    ASSERT_EQ(holder.camera()->initCamera(&width, nullptr), CAMX_OK);
    EXPECT_EQ(width, 640u);

    // Back to USB: the serial camera is closed and the USB one found.
    holder.setConnection(CameraConnection());
    ASSERT_EQ(holder.connectCamera(), CAMX_OK);
    EXPECT_EQ(serialOf(*holder.camera()), "SIM00001");
    EXPECT_TRUE(released(sim));
}

TEST_F(CameraHolderTest, SerialPortMissingIsNotFound) {
    CameraHolder holder(vantrel_camera::createCamera);
    CameraConnection connection;
    connection.kind = CameraConnection::Kind::Serial;
    connection.serialPort = dir.path() + "/ttyNone";
    holder.setConnection(connection);
    EXPECT_EQ(holder.connectCamera(&countBusy, &busy), CAMX_DEVICE_NOT_FOUND);
    EXPECT_EQ(busy, 1);
}

TEST_F(CameraHolderTest, DestructionDisconnects) {
    SimCamera& sim = addCamera();
    {
        CameraHolder holder(vantrel_camera::createCamera);
        ASSERT_EQ(holder.connectCamera(), CAMX_OK);
        ASSERT_EQ(holder.camera()->initCamera(nullptr, nullptr), CAMX_OK);
    }
    EXPECT_TRUE(released(sim));
    EXPECT_EQ(sim.count(0x2007), 1);
    EXPECT_EQ(sim.count(0x8015), 1);
    EXPECT_EQ(sim.count(0x8016), 0);
    EXPECT_EQ(sim.count(0x5001), 1);
}

TEST_F(CameraHolderTest, ProcessHolderIsOneObject) {
    EXPECT_EQ(&CameraHolder::instance(), &CameraHolder::instance());
    EXPECT_EQ(CameraHolder::instance().connection().kind, CameraConnection::Kind::Usb);
}

}  // namespace
