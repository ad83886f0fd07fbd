#pragma once

#include <new>

#include "web/JsonResponder.h"
#include "web/ResultDocument.h"
#include "web/ResultStatus.h"

struct mg_connection;

namespace lensws {

class IdentifiedList;
class MetaData;

// The convention every request operation follows: build the result, fill it, and send it in
// every case. `fill(result)` validates the request, calls the service and fills the result; it
// returns the dictionary to send along, or null. An allocation failure escaping `fill` answers
// memoryAllocationFailed, any other exception failure (without a message, and without the
// dictionary, which may be half built). Objects the answer borrows (dictionary, lists) must be
// declared by the caller before this call so that they outlive the writing. Returns true: the
// request counts as handled even when the answer could not be written.
template <class Fill>
bool answerJson(mg_connection* connection, Fill&& fill);

// The same for an answer that may end with the "identified" list: `fill` points `identified`
// at the list to send after the other members, or leaves it null. An exception escaping `fill`
// drops the list.
template <class Fill>
bool answerJson(mg_connection* connection, const IdentifiedList*& identified, Fill&& fill);

// Sends `result` (and `dictionary` and `identified`, each may be null). When the connection fails
// halfway through the body, the result is turned into failure and sent once more, which normally
// fails at once because the peer is gone.
void sendResult(JsonResponder& responder, ResultDocument& result, const MetaData* dictionary,
                const IdentifiedList* identified = nullptr);

// Answers the JSON result unsupported.
bool answerUnsupported(mg_connection* connection);

template <class Fill>
bool answerJson(mg_connection* connection, Fill&& fill) {
    const IdentifiedList* identified = nullptr;
    return answerJson(connection, identified, fill);
}

template <class Fill>
bool answerJson(mg_connection* connection, const IdentifiedList*& identified, Fill&& fill) {
    ResultDocument result;
    JsonResponder responder(connection);
    const MetaData* dictionary = nullptr;
    try {
        dictionary = fill(result);
    } catch (const std::bad_alloc&) {
        result.setStatus(ResultStatus::memoryAllocationFailed);
        identified = nullptr;
    } catch (...) {
        result.setStatus(ResultStatus::failure);
        identified = nullptr;
    }
    sendResult(responder, result, dictionary, identified);
    return true;
}

}  // namespace lensws
