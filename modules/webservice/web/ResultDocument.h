#pragma once

#include <cstddef>

#include "web/InlineAllocator.h"
#include "web/JsonWritable.h"
#include "web/ResultStatus.h"
#include "web/TextList.h"

namespace lensws {

class JsonWriter;

// The result object of every JSON answer, filled by a handler and written by
// JsonResponder::writeResult. Members, in the order they are written, and when:
//
//   "status"              always (a document whose status was never set is not written)
//   "message"             not empty (owned copy, or the status's default text)
//   "sessionId"           not empty (owned copy)
//   "matched"             once set
//   "token"               not empty (owned copy)
//   "tokenAuthentication" once set
//   "badFields"           list not empty (owned copies)
//   "captureIds"          list not empty (owned copies)
//   <named list>          a name was set; an empty or absent list is written as []
//   "userIds"             a list was attached (empty: [])
//   "sensorData"          set (borrowed text of explicit length)
//   "template"            set (borrowed text of explicit length)
//   "userInfo"            set (borrowed object)
//   "userInfos"           set and not empty (borrowed objects)
//   "quality"             set (borrowed object)
//   "cameraModality"      set and not empty (borrowed text)
//   "devices"             list not empty (owned copies)
//   "streamUrls"          list not empty (owned copies)
//   "streamDatas"         a list was attached (empty: []; borrowed texts of explicit length)
//
// A new document has the status failure but no status text, so it is not written until
// setStatus is called.
//
// Owned copies live in the document's own allocator: a 512-byte area inside the document, then
// 64 KiB heap chunks, all released with the document; a typical answer needs no heap. Borrowed
// items stay the handler's and must live until the document has been written. One request,
// one thread.
class ResultDocument {
public:
    ResultDocument();
    ResultDocument(const ResultDocument&) = delete;
    ResultDocument& operator=(const ResultDocument&) = delete;

    // Stores the code and its name. success removes the message; any other status takes
    // `message` when it is not empty, else the status's default message. A later call
    // replaces both.
    void setStatus(ResultStatus status, const char* message = nullptr);

    // Copy the text in, replacing an earlier one.
    void setSessionId(const char* sessionId);
    void setToken(const char* token);

    void setMatched(bool matched);
    void setTokenAuthentication(bool on);

    // Append a copy; an absent or empty text is ignored.
    void addBadField(const char* name);
    void addCaptureId(const char* captureId);
    void addDevice(const char* device);
    void addStreamUrl(const char* url);
    // Empties "captureIds" (a capture whose matching failed answers none).
    void clearCaptureIds();

    // Copies `name` and attaches `list` (borrowed; may be null, written as []).
    void setNamedList(const char* name, const TextList* list);
    // Attaches the user identifiers (borrowed).
    void setUserIds(const TextList* userIds);
    // Attach borrowed texts of explicit length; a null text leaves the member unset.
    void setSensorData(const char* text, std::size_t length);
    void setTemplate(const char* text, std::size_t length);
    // Attach borrowed objects; null leaves the member unset.
    void setUserInfo(const JsonWritable* userInfo);
    void setUserInfos(const JsonWritable* const* userInfos, std::size_t count);
    void setQuality(const JsonWritable* quality);
    // Attaches a borrowed zero-terminated text.
    void setCameraModality(const char* modality);
    // Attaches the preview snapshots (borrowed).
    void setStreamDatas(const TextList* streamDatas);

    int statusCode() const { return static_cast<int>(status_); }
    ResultStatus status() const { return status_; }
    // True once setStatus was called: only then is the document written.
    bool hasStatus() const { return statusName_ != nullptr; }
    // Null before setStatus.
    const char* statusName() const { return statusName_; }
    // Null when there is no message.
    const char* message() const { return message_; }
    const TextList& badFields() const { return badFields_; }
    const TextList& captureIds() const { return captureIds_; }

    // Writes the members above (not the enclosing braces) in their order.
    void writeMembers(JsonWriter& writer) const;

private:
    // A copy of `text` in the document's allocator; null for null.
    const char* copy(const char* text);

    vtl_base_type::InlineAllocator<512> allocator_;
    ResultStatus status_ = ResultStatus::failure;
    const char* statusName_ = nullptr;
    const char* message_ = nullptr;
    const char* sessionId_ = nullptr;
    const char* token_ = nullptr;
    bool matchedSet_ = false;
    bool matched_ = false;
    bool tokenAuthenticationSet_ = false;
    bool tokenAuthentication_ = false;
    TextList badFields_;
    TextList captureIds_;
    TextList devices_;
    TextList streamUrls_;
    const char* listName_ = nullptr;
    const TextList* namedList_ = nullptr;
    const TextList* userIds_ = nullptr;
    const char* sensorData_ = nullptr;
    std::size_t sensorDataLength_ = 0;
    const char* template_ = nullptr;
    std::size_t templateLength_ = 0;
    const JsonWritable* userInfo_ = nullptr;
    const JsonWritable* const* userInfos_ = nullptr;
    std::size_t userInfoCount_ = 0;
    const JsonWritable* quality_ = nullptr;
    const char* cameraModality_ = nullptr;
    const TextList* streamDatas_ = nullptr;
};

}  // namespace lensws
