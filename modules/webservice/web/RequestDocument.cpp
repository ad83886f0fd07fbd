#include "web/RequestDocument.h"

#include <new>

namespace lensws {

RequestDocument::RequestDocument(mg_connection* connection, void* scratch, std::size_t scratchSize)
    : connectionBody_(connection),
      body_(&connectionBody_),
      allocator_(scratch, scratchSize, kHeapChunk),
      document_(&allocator_, kParseStackCapacity, &allocator_) {}

RequestDocument::RequestDocument(RequestBody& body, void* scratch, std::size_t scratchSize)
    : connectionBody_(nullptr),
      body_(&body),
      allocator_(scratch, scratchSize, kHeapChunk),
      document_(&allocator_, kParseStackCapacity, &allocator_) {}

bool RequestDocument::load() {
    const long long length = body_->contentLength();
    // Bodies above the limit are refused before a byte of them is read or buffered.
    if (length <= 0 || length > kMaxBodyLength) {
        return false;
    }
    const std::size_t room = static_cast<std::size_t>(length) + 1;
    char* text = nullptr;
    try {
        text = static_cast<char*>(allocator_.allocate(room));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The web server delivers at most the declared length; more than that means the body
    // does not match its declaration.
    std::size_t received = 0;
    while (received < room) {
        const int n = body_->read(text + received, room - received);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        received += static_cast<std::size_t>(n);
    }
    if (received == room) {
        return false;
    }
    text[received] = '\0';
    // The iterative parser accepts exactly what the recursive one does, but a deeply nested
    // body (a mebibyte of "[") cannot exhaust the worker thread's stack.
    document_.Parse<rapidjson::kParseIterativeFlag>(text);
    return !document_.HasParseError() && document_.IsObject();
}

bool RequestDocument::readMember(const char* name, MemberReader reader) {
    if (state_ == State::Unread) {
        state_ = load() ? State::Parsed : State::Failed;
    }
    if (state_ != State::Parsed) {
        return false;
    }
    const auto member = document_.FindMember(name);
    if (member == document_.MemberEnd()) {
        return false;
    }
    return reader(member->value);
}

}  // namespace lensws
