#pragma once

#include <type_traits>

#include "web/JsonValue.h"

namespace lensws {

// A non-owning reference to a function object (typically a lambda) callable as
// `bool (const JsonValue&)`: the reader RequestDocument hands a body member to. Costs no
// allocation; the callable must outlive the reference, which holds for the usual call
// `request.readMember("name", [&](const JsonValue& v) { ... })`.
class MemberReader {
public:
    template <class Callable,
              class = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, MemberReader>>>
    MemberReader(Callable&& callable)  // NOLINT: implicit on purpose
        : object_(const_cast<void*>(static_cast<const void*>(&callable))),
          call_([](void* object, const JsonValue& value) -> bool {
              return (*static_cast<std::remove_reference_t<Callable>*>(object))(value);
          }) {}

    bool operator()(const JsonValue& value) const { return call_(object_, value); }

private:
    void* object_;
    bool (*call_)(void*, const JsonValue&);
};

}  // namespace lensws
