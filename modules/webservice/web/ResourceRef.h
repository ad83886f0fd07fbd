#pragma once

namespace lensws {

// A resource of a parameter descriptor, written as {"uri", "contentType", "relationship"}
// (each left out when empty). The texts live in the request's pool.
struct ResourceRef {
    const char* uri = nullptr;
    const char* contentType = nullptr;
    const char* relationship = nullptr;
};

}  // namespace lensws
