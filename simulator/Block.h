#pragma once

// The camera's side of the 88-byte command and reply blocks. All fields are little-endian:
//
//   offset 0  u32 magic 0xADDE3201     offset 8  u16 command code (echoed in the reply)
//   offset 4  u32 length = 12 + used   offset 10 u16 0 in a command, the status in a reply
//   offset 12 76 bytes of parameters (command) or inline results (reply)

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ocusim {

constexpr std::size_t kBlockSize = 88;
constexpr std::size_t kBlockHeaderSize = 12;
constexpr std::size_t kMaxInlineBytes = kBlockSize - kBlockHeaderSize;
constexpr std::uint32_t kBlockMagic = 0xADDE3201;

struct CommandBlock {
    std::uint16_t code = 0;
    std::vector<std::uint8_t> params;  // exactly the parameter bytes the length field announces
};

enum class BlockError {
    None,
    WrongSize,  // not 88 bytes: not a command block at all
    BadMagic,   // 88 bytes that do not start with the magic: line noise, ignored
    BadLength,  // a command whose length field lies outside 12..88: answered as bad data
};

// Decodes one command block. With BadLength, `block.code` still holds the command code so that
// the camera can answer it.
BlockError decodeCommandBlock(const std::uint8_t* bytes, std::size_t size, CommandBlock& block);

struct Reply {
    std::uint16_t code = 0;
    std::uint16_t status = 0;
    std::vector<std::uint8_t> results;  // at most kMaxInlineBytes
};

// The 88 bytes of a reply block; unused inline bytes are zero. Results longer than the block
// holds are cut (the command handlers never produce them).
std::vector<std::uint8_t> encodeReply(const Reply& reply);

// Where a command block starts in a byte stream: the offset of the first complete magic, or of a
// trailing partial magic, or `size` when there is neither (used to resynchronise a serial line).
std::size_t findMagic(const std::uint8_t* bytes, std::size_t size);

}  // namespace ocusim
