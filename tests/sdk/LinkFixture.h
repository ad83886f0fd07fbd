#pragma once

// A device link over a FakeTransport with the device's buffers, for the command tests.

#include <gtest/gtest.h>

#include "sdk/DataBuffer.h"
#include "sdk/DeviceLink.h"
#include "sdk/FakeTransport.h"

namespace fakes {

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        link.transport = &transport;
        link.kind = sdk::LinkKind::Usb;
        link.firmwareVersion = 0x2001C;
        ASSERT_TRUE(buffer.reserve(0xAB000));
    }
    // The parameters of the one command sent, up to its parameter count.
    Bytes sentParameters(std::size_t index = 0) const {
        const FakeTransport::Command& c = transport.commands.at(index);
        return Bytes(c.parameters.begin(), c.parameters.begin() + c.paramCount());
    }

    FakeTransport transport;
    sdk::DeviceLink link;
    sdk::DataBuffer buffer;
};

}  // namespace fakes
