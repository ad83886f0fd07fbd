#pragma once

// Command and reply blocks of the camera's command protocol.
//
// Both are exactly 88 bytes on the wire, little-endian:
//
//   offset size  command block                       reply block
//   0      4     magic 0xADDE3201 (01 32 DE AD)      magic as the camera sent it (not checked)
//   4      4     12 + parameter bytes used           12 + inline result bytes
//   8      2     command code                        command code echoed
//   10     2     0                                   status: 0 or a camera status (>= 0x1001)
//   12     76    parameters (unused bytes are 0)     inline results
//
// Parameters and results are addressed from offset 12 ("p0" is block offset 12). A reply is
// matched to its command only by the echoed code; integrity rests on the transport. Bulk data,
// when a command has any, travels as separate transfers whose length the preceding reply
// announces in its 32-bit result p0.

#include <cstddef>
#include <cstdint>

#include "sdk/ByteReader.h"
#include "sdk/ByteWriter.h"
#include "sdk/SdkStatus.h"

namespace sdk {

constexpr std::size_t kBlockSize = 88;
constexpr std::size_t kBlockHeaderSize = 12;
constexpr std::size_t kMaxParameterBytes = kBlockSize - kBlockHeaderSize;  // 76
constexpr std::uint32_t kCommandMagic = 0xADDE3201;

struct ReplyHeader {
    std::uint32_t magic = 0;
    std::uint32_t length = 0;
    std::uint16_t code = 0;
    std::uint16_t status = 0;
};

// Statuses after which the data announced by a reply is still read: success and the two
// "one eye unqualified" partial successes.
inline bool carriesData(CamxStatus status) {
    return status == CAMX_OK || status == CAMX_SE_RIGHT_FRAME_UNQUALIFIED ||
           status == CAMX_SE_LEFT_FRAME_UNQUALIFIED;
}

// A writer over the parameter area of `block`; clears the 76 parameter bytes first so that
// reserved and unused bytes go out as 0.
ByteWriter parameterWriter(std::uint8_t* block);

// Fills magic, length (12 + `parameterCount`), `code` and status 0. The parameters were
// written beforehand. `parameterCount` is at most 76.
void encodeCommandHeader(std::uint8_t* block, std::uint16_t code, std::uint32_t parameterCount);

ReplyHeader decodeReplyHeader(const std::uint8_t* block);

// Number of inline result bytes a reply carries: its length minus 12, 0 for a length below 12.
std::uint32_t resultCount(const ReplyHeader& reply);

// The outcome of a reply to command `code` that must carry at least `minResults` result bytes:
// 10 when it echoes another code; otherwise its status, except that a data-carrying status
// (0, 0x3007, 0x3008) with fewer than `minResults` result bytes, or with a length that no
// block can hold (above 88), gives 10.
CamxStatus checkReply(const ReplyHeader& reply, std::uint16_t code, std::uint32_t minResults);

// A reader over the inline results of a reply, bounded by what the reply says it carries.
ByteReader resultReader(const std::uint8_t* block, const ReplyHeader& reply);

}  // namespace sdk
