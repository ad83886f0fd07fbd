#pragma once

// The camera over USB, through its driver (the platform's UsbDriver stand-in): reads and writes
// move blocks and data over the bulk pipes; driver control requests set time-outs, reset pipes,
// read versions and pass vendor requests.
//
// After a transfer failed (8), timed out (9) or was short, or a reply check found the reply
// invalid (10), the next transfer first recovers the pipes: 1 ms time-out, drain the input in
// 1024-byte chunks, restore the time-out, reset pipes 0 and 1.

#include <cstdint>

#include "platform/UsbDriver.h"
#include "sdk/CCommObj.h"

namespace sdk {

class CCommUSB : public CCommObj {
public:
    // Driver versions up to this one are too old for the protocol.
    static constexpr std::uint32_t kOldestRefusedDriverVersion = 0x30000;
    // The firmware answer that asks for a second version word (vendor request 225).
    static constexpr std::uint32_t kFirmwareWithSecondWord = 0x30017;
    static constexpr std::uint8_t kVendorRequestWakeUp = 224;
    static constexpr std::uint8_t kVendorRequestSecondFirmwareWord = 225;
    // The drain after a failure stops after this many chunks even if the device keeps sending.
    static constexpr std::uint32_t kMaxDrainChunks = 16384;

    CCommUSB() = default;
    ~CCommUSB() override = default;

    bool initialise() override;
    void release() override;
    CamxStatus open(const char* path, const std::uint32_t* baudRate) override;
    CamxStatus write(const void* bytes, std::uint32_t count) override;
    CamxStatus read(void* buffer, std::uint32_t count) override;
    CamxStatus driverCommand() override;
    bool setTimeout(std::uint32_t milliseconds) override;
    CamxStatus pipeControl(std::uint32_t selector, std::uint32_t value, DataBuffer* drain) override;
    CamxStatus vendorRequest(bool directionIn, std::uint8_t request,
                             std::uint32_t* answer) override;
    bool isOpen() const override { return driver_.isOpen(); }

    // `second` is the second word asked for when the first is exactly 0x30017 (0 otherwise or
    // when that request fails). 8 when the request fails.
    CamxStatus firmwareVersion(std::uint32_t* first, std::uint32_t* second) override;

protected:
    void closeHandle() override;

private:
    // Sends the driver's time-out request without changing `timeout_`.
    bool applyTimeout(std::uint32_t milliseconds);
    void recover();
    CamxStatus simpleRequest(std::uint32_t code, std::uint32_t input, std::uint32_t* output);

    platform::UsbDriver driver_;
};

}  // namespace sdk
