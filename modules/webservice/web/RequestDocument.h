#pragma once

#include <cstddef>

#include "web/GrowingAllocator.h"
#include "web/JsonValue.h"
#include "web/MemberReader.h"
#include "web/RequestBody.h"

struct mg_connection;

namespace lensws {

// Reads a JSON request body and hands one member of its top-level object to a reader.
//
// The body is read and parsed once, on the first readMember: the declared content length must
// be from 1 to 1 MiB (1048576 bytes; a larger body is refused at once, unread); length + 1
// bytes are taken from the parser's allocator; at most length + 1 bytes are read (a body that
// fills them all is refused; a short body is parsed as far as it came, behind a terminating
// zero); the text must be exactly one JSON value (white space around it allowed) whose root is
// an object.
//
// The body text, the parsed values and the parse stack (256 bytes at first) come from an
// allocator that works in the caller's scratch area first and then on the heap in 1024-byte
// chunks; everything is released with the document. One request, one thread.
class RequestDocument {
public:
    static constexpr long long kMaxBodyLength = 1048576;
    static constexpr std::size_t kHeapChunk = 1024;
    static constexpr std::size_t kParseStackCapacity = 256;

    // `scratch` (`scratchSize` bytes, typically on the handler's stack) and `connection` must
    // outlive the document.
    RequestDocument(mg_connection* connection, void* scratch, std::size_t scratchSize);
    // The same over any body source (not owned).
    RequestDocument(RequestBody& body, void* scratch, std::size_t scratchSize);
    RequestDocument(const RequestDocument&) = delete;
    RequestDocument& operator=(const RequestDocument&) = delete;

    // False when the body is absent, too large, unreadable, not a JSON object or lacks the
    // member `name` (exact, case-sensitive); otherwise the reader's answer for the member's
    // value. The value stays valid as long as the document.
    bool readMember(const char* name, MemberReader reader);

private:
    enum class State { Unread, Parsed, Failed };

    bool load();

    ConnectionBody connectionBody_;
    RequestBody* body_;
    vtl_base_type::ByteAllocator allocator_;
    JsonDocument document_;
    State state_ = State::Unread;
};

}  // namespace lensws
