#include "web/JsonResponder.h"

#include <civetweb.h>

#include <cstdio>

#include "web/ByteSink.h"
#include "web/IdentifiedList.h"
#include "web/JsonOutputStream.h"
#include "web/JsonWriter.h"
#include "web/MetaData.h"
#include "web/ResultDocument.h"

namespace lensws {

namespace {

constexpr char kStreamHeader[] =
    "HTTP/1.1 200 OK\r\n"
    "Access-Control-Allow-Origin: *\r\n"
    "Cache-Control: no-cache, no-store, must-revalidate\r\n"
    "Pragma: no-cache\r\n"
    "Expires: 0\r\n"
    "Content-Type: multipart/x-mixed-replace;boundary=vantrel\r\n"
    "\r\n";
constexpr char kStreamEnd[] = "--vantrel--";
// "--vantrel", the two header lines with a length of up to 20 digits, and the blank line.
constexpr std::size_t kStreamPartHeadCapacity = 96;

// mg_write, except that a write the web server cut short counts as failed (-1). The server
// gives up on a client that takes nothing for its request time-out and then reports the bytes
// it did send; going on after them would put the next part inside this one.
int writeWhole(mg_connection* connection, const void* bytes, std::size_t length) {
    const int written = mg_write(connection, bytes, length);
    if (written <= 0) {
        return written;
    }
    return static_cast<std::size_t>(written) == length ? written : -1;
}

// The body of a JSON answer goes to the connection.
class ConnectionSink : public ByteSink {
public:
    explicit ConnectionSink(mg_connection* connection) : connection_(connection) {}
    int write(const char* bytes, std::size_t length) override {
        return mg_write(connection_, bytes, length);
    }

private:
    mg_connection* connection_;
};

const char* headerOrEmpty(mg_connection* connection, const char* name) {
    const char* value = mg_get_header(connection, name);
    return value != nullptr ? value : "";
}

}  // namespace

void JsonResponder::writeResponseObject(JsonWriter& writer, const ResultDocument& result,
                                        const MetaData* dictionary,
                                        const IdentifiedList* identified) {
    writer.startObject();
    result.writeMembers(writer);
    if (dictionary != nullptr) {
        dictionary->write(writer);
    }
    if (identified != nullptr) {
        writer.key("identified");
        identified->write(writer);
    }
    writer.endObject();
}

bool JsonResponder::writeResult(ResultDocument& result, const MetaData* dictionary,
                                const IdentifiedList* identified) {
    if (!result.hasStatus()) {
        return false;
    }
    std::size_t length = 0;
    {
        JsonOutputStream counter;
        JsonWriter writer(counter);
        writeResponseObject(writer, result, dictionary, identified);
        length = counter.count();
    }
    // The length is printed as an unsigned size, so no body length can wrap to a negative one.
    const int written = mg_printf(connection_,
                                  "HTTP/1.1 200\r\n"
                                  "content-length: %zu\r\n"
                                  "Content-Type: application/json; charset=UTF-8\r\n"
                                  "status: 200\r\n"
                                  "Access-Control-Allow-Origin: *\r\n"
                                  "Cache-Control: no-cache, no-store, must-revalidate\r\n"
                                  "Pragma: no-cache\r\n"
                                  "Expires: 0\r\n"
                                  "\r\n",
                                  length);
    if (written <= 0) {
        return false;
    }
    ConnectionSink sink(connection_);
    JsonOutputStream out(sink);
    JsonWriter writer(out);
    writeResponseObject(writer, result, dictionary, identified);
    out.Flush();
    return true;
}

bool JsonResponder::writePreflight() {
    mg_printf(connection_,
              "HTTP/1.1 200\r\n"
              "status: 200\r\n"
              "Access-Control-Allow-Origin: %s\r\n"
              "Access-Control-Allow-Methods: %s\r\n"
              "Access-Control-Allow-Headers: %s\r\n"
              "\r\n",
              headerOrEmpty(connection_, "Origin"),
              headerOrEmpty(connection_, "Access-Control-Request-Method"), "accept, content-type");
    return true;
}

int JsonResponder::writeStreamHeader() {
    return writeWhole(connection_, kStreamHeader, sizeof kStreamHeader - 1);
}

int JsonResponder::writeStreamPart(const void* bytes, std::size_t length) {
    char head[kStreamPartHeadCapacity];
    const int headLength = std::snprintf(head, sizeof head,
                                         "--vantrel\r\n"
                                         "Content-Type: image/jpeg\r\n"
                                         "Content-length: %zu\r\n"
                                         "\r\n",
                                         length);
    int written = writeWhole(connection_, head, static_cast<std::size_t>(headLength));
    if (written <= 0) {
        return written;
    }
    written = writeWhole(connection_, bytes, length);
    if (written <= 0) {
        return written;
    }
    return writeWhole(connection_, "\r\n", 2);
}

int JsonResponder::writeStreamEnd() {
    return writeWhole(connection_, kStreamEnd, sizeof kStreamEnd - 1);
}

}  // namespace lensws
