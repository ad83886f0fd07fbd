#pragma once

// The exchange primitives of the command protocol. Each takes the link's lock for its whole
// exchange. Parameters are written beforehand with commandParameters(); results are read
// afterwards with replyResults(). A transport failure at any step ends the exchange with the
// transport's status (8 failed, 9 timed out, 10 short); 4 when the transport is not open.

#include <cstdint>

#include "sdk/ByteReader.h"
#include "sdk/ByteWriter.h"
#include "sdk/DataBuffer.h"
#include "sdk/DeviceLink.h"
#include "sdk/SdkStatus.h"

namespace sdk {

// Time-outs of the commands that take long on the camera.
constexpr std::uint32_t kGalleryTimeoutMs = 300000;  // load gallery, commit gallery
constexpr std::uint32_t kIdentifyTimeoutMs = 59000;

// A writer over the command block's parameters, cleared to 0.
ByteWriter commandParameters(DeviceLink& link);
// A reader over the inline results of the last reply.
ByteReader replyResults(const DeviceLink& link);

// Wakes a dozing camera (firmware 0x40000 and later) before a command; see Exchange.cpp.
void wakeUp(DeviceLink& link);

// Wakes the camera when its firmware needs it, discards pending input, applies the link's
// time-out, fills the block header and writes the 88 bytes.
CamxStatus sendCommand(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount);
// Reads one reply block and checks it (checkReply); the outcome is also stored as the
// transport's last status.
CamxStatus readReply(DeviceLink& link, std::uint16_t code, std::uint32_t minResults);
CamxStatus exchange(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                    std::uint32_t minResults);
// Command, acknowledgement, `size` data bytes, final reply. A refused acknowledgement ends the
// exchange with its status before any data goes out.
CamxStatus exchangeDataOut(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                           std::uint32_t minResults, const std::uint8_t* data, std::uint32_t size);
// Command and reply; when the reply's status carries data, the data length announced at p0
// is read into `buffer` (grown when needed, see prepareDataBuffer; its length and `size` set
// accordingly).
CamxStatus exchangeDataIn(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                          std::uint32_t minResults, DataBuffer& buffer, std::uint32_t* size);
// exchangeDataOut's data phase when `outSize` > 0, then exchangeDataIn's reply and data.
CamxStatus exchangeDataOutIn(DeviceLink& link, std::uint16_t code, std::uint32_t paramCount,
                             std::uint32_t minResults, const std::uint8_t* outData,
                             std::uint32_t outSize, DataBuffer& buffer, std::uint32_t* size);

// Reads the data phase announced at p0 of the last reply into `buffer`; used after a reply
// that was read separately.
CamxStatus readAnnouncedData(DeviceLink& link, DataBuffer& buffer, std::uint32_t* size);

// Longest data phase the host accepts; a camera announcing more is taken to send garbage.
constexpr std::uint32_t kMaxDataPhaseBytes = 64u << 20;

// Makes `buffer` hold a data phase of `length` bytes, growing it when needed. 10 for a length
// above kMaxDataPhaseBytes, 12 when the buffer cannot grow. On failure the data is left in the
// pipe and the transport's last status says so, so that a USB link drains it before the next
// transfer.
CamxStatus prepareDataBuffer(DeviceLink& link, DataBuffer& buffer, std::uint32_t length);

}  // namespace sdk
