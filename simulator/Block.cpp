#include "simulator/Block.h"

#include <algorithm>

#include "simulator/ByteReader.h"
#include "simulator/ByteWriter.h"

namespace ocusim {

namespace {
constexpr std::uint8_t kMagicBytes[4] = {0x01, 0x32, 0xDE, 0xAD};
}

BlockError decodeCommandBlock(const std::uint8_t* bytes, std::size_t size, CommandBlock& block) {
    if (size != kBlockSize) {
        return BlockError::WrongSize;
    }
    ByteReader reader(bytes, size);
    const std::uint32_t magic = reader.u32();
    const std::uint32_t length = reader.u32();
    block.code = reader.u16();
    reader.u16();
    if (magic != kBlockMagic) {
        return BlockError::BadMagic;
    }
    if (length < kBlockHeaderSize || length > kBlockSize) {
        block.params.clear();
        return BlockError::BadLength;
    }
    const std::uint8_t* params = reader.bytes(length - kBlockHeaderSize);
    block.params.assign(params, params + (length - kBlockHeaderSize));
    return BlockError::None;
}

std::vector<std::uint8_t> encodeReply(const Reply& reply) {
    const std::size_t used = std::min(reply.results.size(), kMaxInlineBytes);
    ByteWriter writer(kBlockSize);
    writer.u32(kBlockMagic);
    writer.u32(static_cast<std::uint32_t>(kBlockHeaderSize + used));
    writer.u16(reply.code);
    writer.u16(reply.status);
    writer.bytes(reply.results.data(), used);
    writer.fill(0, kMaxInlineBytes - used);
    return writer.take();
}

std::size_t findMagic(const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t start = 0; start < size; ++start) {
        const std::size_t available = std::min<std::size_t>(4, size - start);
        if (std::equal(bytes + start, bytes + start + available, kMagicBytes)) {
            return start;
        }
    }
    return size;
}

}  // namespace ocusim
