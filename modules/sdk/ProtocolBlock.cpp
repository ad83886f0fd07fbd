#include "sdk/ProtocolBlock.h"

#include <algorithm>
#include <cstring>

namespace sdk {

ByteWriter parameterWriter(std::uint8_t* block) {
    std::memset(block + kBlockHeaderSize, 0, kMaxParameterBytes);
    return ByteWriter(block + kBlockHeaderSize, kMaxParameterBytes);
}

void encodeCommandHeader(std::uint8_t* block, std::uint16_t code, std::uint32_t parameterCount) {
    ByteWriter header(block, kBlockHeaderSize);
    header.writeU32(kCommandMagic);
    header.writeU32(static_cast<std::uint32_t>(kBlockHeaderSize) + parameterCount);
    header.writeU16(code);
    header.writeU16(0);
}

ReplyHeader decodeReplyHeader(const std::uint8_t* block) {
    ByteReader header(block, kBlockHeaderSize);
    ReplyHeader reply;
    header.readU32(&reply.magic);
    header.readU32(&reply.length);
    header.readU16(&reply.code);
    header.readU16(&reply.status);
    return reply;
}

std::uint32_t resultCount(const ReplyHeader& reply) {
    return reply.length < kBlockHeaderSize
               ? 0
               : reply.length - static_cast<std::uint32_t>(kBlockHeaderSize);
}

CamxStatus checkReply(const ReplyHeader& reply, std::uint16_t code, std::uint32_t minResults) {
    if (reply.code != code) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    const CamxStatus status = reply.status;
    if (carriesData(status) && (resultCount(reply) < minResults || reply.length > kBlockSize)) {
        return CAMX_DEVICE_IO_DATA_INVALID;
    }
    return status;
}

ByteReader resultReader(const std::uint8_t* block, const ReplyHeader& reply) {
    const std::size_t count = std::min<std::size_t>(resultCount(reply), kMaxParameterBytes);
    return ByteReader(block + kBlockHeaderSize, count);
}

}  // namespace sdk
