#include "sdk/Exchange.h"

#include <chrono>
#include <thread>

#include "sdk/CommandCode.h"

namespace sdk {

namespace {

constexpr std::uint8_t kUsbWakeUpRequest = 224;
constexpr int kUsbWakeUpAttempts = 5;
constexpr std::uint32_t kUsbWakeUpAwake = 0;
constexpr std::uint32_t kUsbWakeUpDozing = 1;
constexpr auto kUsbWakeUpPause = std::chrono::milliseconds(5);
constexpr auto kSerialWakeUpPause = std::chrono::milliseconds(100);

bool transportOpen(const DeviceLink& link) {
    return link.transport != nullptr && link.transport->isOpen();
}

// Vendor request 224 answers 0 when the camera is awake and 1 while it is still waking; any
// other answer ends the polling as well.
void wakeUpUsb(DeviceLink& link) {
    std::uint32_t answer = kUsbWakeUpDozing;
    for (int attempt = 0; attempt < kUsbWakeUpAttempts; ++attempt) {
        const CamxStatus status = link.transport->vendorRequest(false, kUsbWakeUpRequest, &answer);
        if (status == CAMX_OK && answer == kUsbWakeUpAwake) {
            return;
        }
        std::this_thread::sleep_for(kUsbWakeUpPause);
        if (answer != kUsbWakeUpDozing) {
            return;
        }
    }
}

// Command 0x10AF in blocks of its own, so that the parameters already written for the command
// that follows stay untouched. A non-zero answer means the camera was asleep and needs a moment.
void wakeUpSerial(DeviceLink& link) {
    CCommObj& transport = *link.transport;
    transport.discardInput();
    transport.setTimeout(link.timeoutMs);
    std::uint8_t block[kBlockSize] = {};
    encodeCommandHeader(block, command::kWakeUp, 0);
    if (transport.write(block, kBlockSize) != CAMX_OK ||
        transport.read(block, kBlockSize) != CAMX_OK) {
        return;
    }
    const ReplyHeader reply = decodeReplyHeader(block);
    if (checkReply(reply, command::kWakeUp, 4) != CAMX_OK) {
        return;
    }
    std::uint32_t asleep = 0;
    ByteReader results = resultReader(block, reply);
    if (results.readU32(&asleep) && asleep != 0) {
        std::this_thread::sleep_for(kSerialWakeUpPause);
    }
}

}  // namespace

ByteWriter commandParameters(DeviceLink& link) {
    return parameterWriter(link.commandBlock);
}

ByteReader replyResults(const DeviceLink& link) {
    return resultReader(link.replyBlock, link.reply);
}

void wakeUp(DeviceLink& link) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (!transportOpen(link)) {
        return;
    }
    if (link.kind == LinkKind::Usb) {
        wakeUpUsb(link);
    } else {
        wakeUpSerial(link);
    }
}

CamxStatus sendCommand(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (!transportOpen(link)) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    if (paramCount > kMaxParameterBytes) {
        return CAMX_INVALID_PARAMETER;
    }
    if (link.needsWakeUp()) {
        wakeUp(link);
    }
    CCommObj& transport = *link.transport;
    transport.discardInput();
    transport.setTimeout(link.timeoutMs);
    encodeCommandHeader(link.commandBlock, code, paramCount);
    return transport.write(link.commandBlock, kBlockSize);
}

CamxStatus readReply(DeviceLink& link, std::uint16_t code, std::uint32_t minResults) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    if (!transportOpen(link)) {
        return CAMX_DEVICE_NOT_OPEN;
    }
    link.reply = ReplyHeader();
    const CamxStatus transferred = link.transport->read(link.replyBlock, kBlockSize);
    if (transferred != CAMX_OK) {
        return transferred;
    }
    link.reply = decodeReplyHeader(link.replyBlock);
    const CamxStatus status = checkReply(link.reply, code, minResults);
    link.transport->setLastStatus(status);
    return status;
}

CamxStatus exchange(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                    std::uint32_t minResults) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    const CamxStatus sent = sendCommand(link, code, paramCount);
    if (sent != CAMX_OK) {
        return sent;
    }
    return readReply(link, code, minResults);
}

CamxStatus exchangeDataOut(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                           std::uint32_t minResults, const std::uint8_t* data, std::uint32_t size) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    CamxStatus status = exchange(link, code, paramCount, 0);
    if (status != CAMX_OK) {
        return status;
    }
    status = link.transport->write(data, size);
    if (status != CAMX_OK) {
        return status;
    }
    return readReply(link, code, minResults);
}

CamxStatus readAnnouncedData(DeviceLink& link, DataBuffer& buffer, std::uint32_t* size) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *size = 0;
    buffer.setLength(0);
    std::uint32_t announced = 0;
    ByteReader results = replyResults(link);
    if (!results.readU32(&announced)) {
        link.transport->setLastStatus(CAMX_DEVICE_IO_DATA_INVALID);
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    const CamxStatus prepared = prepareDataBuffer(link, buffer, announced);
    if (prepared != CAMX_OK) {
        return prepared;
    }
    if (announced > 0) {
        const CamxStatus status = link.transport->read(buffer.data(), announced);
        if (status != CAMX_OK) {
            return status;
        }
    }
    buffer.setLength(announced);
    *size = announced;
    return CAMX_OK;
}

CamxStatus prepareDataBuffer(DeviceLink& link, DataBuffer& buffer, std::uint32_t length) {
    CamxStatus status = CAMX_OK;
    if (length > kMaxDataPhaseBytes) {
        status = CAMX_DEVICE_IO_DATA_INVALID;
    } else if (!buffer.reserve(length)) {
        status = CAMX_MEMORY_ALLOCATION_FAILED;
    }
    if (status != CAMX_OK) {
        // The data stays in the pipe; a failure status makes the next transfer drain it.
        link.transport->setLastStatus(CAMX_DEVICE_IO_DATA_INVALID);
    }
    return status;
}

CamxStatus exchangeDataIn(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                          std::uint32_t minResults, DataBuffer& buffer, std::uint32_t* size) {
    return exchangeDataOutIn(link, code, paramCount, minResults, nullptr, 0, buffer, size);
}

CamxStatus exchangeDataOutIn(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                             std::uint32_t minResults, const std::uint8_t* outData,
                             std::uint32_t outSize, DataBuffer& buffer, std::uint32_t* size) {
    std::lock_guard<std::recursive_mutex> guard(link.lock);
    *size = 0;
    buffer.setLength(0);
    CamxStatus status = sendCommand(link, code, paramCount);
    if (status != CAMX_OK) {
        return status;
    }
    if (outSize > 0) {
        status = readReply(link, code, 0);
        if (status != CAMX_OK) {
            return status;
        }
        status = link.transport->write(outData, outSize);
        if (status != CAMX_OK) {
            return status;
        }
    }
    status = readReply(link, code, minResults);
    if (!carriesData(status)) {
        return status;
    }
    const CamxStatus read = readAnnouncedData(link, buffer, size);
    return read != CAMX_OK ? read : status;
}

}  // namespace sdk
