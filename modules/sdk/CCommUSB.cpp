#include "sdk/CCommUSB.h"

#include <cstring>

#include "platform/UsbWire.h"

namespace sdk {

namespace usbwire = platform::usbwire;

namespace {

std::uint32_t decodeU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void encodeU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

bool needsRecovery(CamxStatus status) {
    return status == CAMX_DEVICE_IO_FAILED || status == CAMX_DEVICE_IO_TIMEOUT ||
           status == CAMX_DEVICE_IO_DATA_INVALID;
}

CamxStatus transferStatus(platform::UsbIoResult result, std::size_t done, std::uint32_t asked) {
    switch (result) {
        case platform::UsbIoResult::Ok:
            return done == asked ? CAMX_OK : CAMX_DEVICE_IO_DATA_INVALID;
        case platform::UsbIoResult::TimedOut:
            return CAMX_DEVICE_IO_TIMEOUT;
        case platform::UsbIoResult::Failed:
            break;
    }
    return CAMX_DEVICE_IO_FAILED;
}

}  // namespace

bool CCommUSB::initialise() {
    return true;
}

void CCommUSB::release() {}

CamxStatus CCommUSB::open(const char* path, const std::uint32_t*) {
    if (isOpen()) {
        close();
    }
    if (path == nullptr || std::strlen(path) > kMaxPathLength) {
        return CAMX_DEVICE_OPEN_FAILED;
    }
    switch (driver_.open(path)) {
        case platform::UsbOpenResult::Ok:
            break;
        case platform::UsbOpenResult::AccessDenied:
            return CAMX_DEVICE_ACCESS_DENIED;
        case platform::UsbOpenResult::NotFound:
        case platform::UsbOpenResult::Failed:
            return CAMX_DEVICE_OPEN_FAILED;
    }
    std::uint32_t version = 0;
    CamxStatus status = simpleRequest(usbwire::kIoctlDriverVersion, 0, &version);
    if (status == CAMX_OK && version <= kOldestRefusedDriverVersion) {
        status = CAMX_VERSION_INCOMPATIBLE;
    }
    if (status != CAMX_OK) {
        driver_.close();
        return status;
    }
    path_ = path;
    timeout_ = 0;
    lastStatus_ = CAMX_OK;
    return CAMX_OK;
}

void CCommUSB::closeHandle() {
    driver_.close();
}

CamxStatus CCommUSB::simpleRequest(std::uint32_t code, std::uint32_t input, std::uint32_t* output) {
    std::uint8_t in[4];
    std::uint8_t out[4] = {0, 0, 0, 0};
    encodeU32(in, input);
    std::size_t outSize = 0;
    if (driver_.control(code, in, sizeof in, out, sizeof out, &outSize) !=
            platform::UsbIoResult::Ok ||
        outSize < sizeof out) {
        return CAMX_DEVICE_IO_FAILED;
    }
    *output = decodeU32(out);
    return CAMX_OK;
}

CamxStatus CCommUSB::firmwareVersion(std::uint32_t* first, std::uint32_t* second) {
    *second = 0;
    if (simpleRequest(usbwire::kIoctlFirmwareVersion, 0, first) != CAMX_OK) {
        return CAMX_DEVICE_IO_FAILED;
    }
    if (*first == kFirmwareWithSecondWord) {
        std::uint32_t word = 0;
        if (vendorRequest(false, kVendorRequestSecondFirmwareWord, &word) == CAMX_OK) {
            *second = word;
        }
    }
    return CAMX_OK;
}

bool CCommUSB::applyTimeout(std::uint32_t milliseconds) {
    std::uint32_t ignored = 0;
    return simpleRequest(usbwire::kIoctlSetTimeout, milliseconds, &ignored) == CAMX_OK;
}

bool CCommUSB::setTimeout(std::uint32_t milliseconds) {
    timeout_ = milliseconds;
    return isOpen() && applyTimeout(milliseconds);
}

void CCommUSB::recover() {
    applyTimeout(1);
    std::uint8_t chunk[1024];
    for (std::uint32_t drained = 0; drained < kMaxDrainChunks; ++drained) {
        std::size_t got = 0;
        if (driver_.read(chunk, sizeof chunk, &got) != platform::UsbIoResult::Ok ||
            got != sizeof chunk) {
            break;
        }
    }
    applyTimeout(timeout_);
    pipeControl(0, 3, nullptr);
    pipeControl(1, 3, nullptr);
}

CamxStatus CCommUSB::write(const void* bytes, std::uint32_t count) {
    if (needsRecovery(lastStatus_)) {
        recover();
    }
    std::size_t written = 0;
    const platform::UsbIoResult result = driver_.write(bytes, count, &written);
    lastStatus_ = transferStatus(result, written, count);
    return lastStatus_;
}

CamxStatus CCommUSB::read(void* buffer, std::uint32_t count) {
    if (needsRecovery(lastStatus_)) {
        recover();
    }
    std::size_t received = 0;
    const platform::UsbIoResult result = driver_.read(buffer, count, &received);
    if (result == platform::UsbIoResult::Ok && received == 0 && count > 0) {
        lastStatus_ = CAMX_DEVICE_IO_TIMEOUT;  // an empty transfer counts as no answer
    } else {
        lastStatus_ = transferStatus(result, received, count);
    }
    return lastStatus_;
}

CamxStatus CCommUSB::driverCommand() {
    if (!isOpen()) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    std::uint32_t ignored = 0;
    return simpleRequest(usbwire::kIoctlDriverCommand, 0, &ignored);
}

CamxStatus CCommUSB::pipeControl(std::uint32_t selector, std::uint32_t value, DataBuffer* drain) {
    if (!isOpen()) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    static constexpr std::uint32_t kPipeRequests[] = {usbwire::kIoctlPipe0, usbwire::kIoctlPipe1,
                                                      usbwire::kIoctlPipe2, usbwire::kIoctlPipe3};
    if (selector == 4) {
        std::size_t none = 0;
        driver_.control(usbwire::kIoctlPipeReset, nullptr, 0, nullptr, 0, &none);
        return CAMX_OK;
    }
    if (selector > 3) {
        return CAMX_INVALID_PARAMETER;
    }
    if (drain != nullptr && drain->data() != nullptr) {
        applyTimeout(1);
        drain->setLength(drain->capacity());
        std::size_t got = 0;
        driver_.read(drain->data(), drain->length(), &got);
        drain->setLength(got);
        applyTimeout(timeout_);
    }
    std::uint8_t in[4];
    encodeU32(in, value);
    std::size_t none = 0;
    if (driver_.control(kPipeRequests[selector], in, sizeof in, nullptr, 0, &none) !=
        platform::UsbIoResult::Ok) {
        return CAMX_DEVICE_IO_FAILED;
    }
    return CAMX_OK;
}

CamxStatus CCommUSB::vendorRequest(bool directionIn, std::uint8_t request, std::uint32_t* answer) {
    // Bytes 3-6 carry no defined value and go out as 0.
    const std::uint8_t in[7] = {2, static_cast<std::uint8_t>(directionIn ? 1 : 2), request, 0, 0, 0,
                                0};
    std::uint8_t out[5] = {0, 0, 0, 0, 0};
    std::size_t outSize = 0;
    if (driver_.control(usbwire::kIoctlVendorRequest, in, sizeof in, out, sizeof out, &outSize) !=
            platform::UsbIoResult::Ok ||
        outSize < 4) {
        return CAMX_DEVICE_IO_FAILED;
    }
    *answer = decodeU32(out);
    return CAMX_OK;
}

}  // namespace sdk
