#pragma once

#include <cstddef>

struct mg_connection;

namespace lensws {

// Where a RequestDocument takes the request body from: the connection in the service
// (ConnectionBody), a fixed text in tests and fuzzing.
class RequestBody {
public:
    virtual ~RequestBody();
    // The declared content length; negative when there is none.
    virtual long long contentLength() = 0;
    // Reads at most `length` bytes; the count read, 0 at the end, negative on error.
    virtual int read(void* buffer, std::size_t length) = 0;
};

// The body of a web-server connection (mg_get_request_info's content length, mg_read). The
// connection must outlive it.
class ConnectionBody : public RequestBody {
public:
    explicit ConnectionBody(mg_connection* connection) : connection_(connection) {}
    long long contentLength() override;
    int read(void* buffer, std::size_t length) override;

private:
    mg_connection* connection_;
};

}  // namespace lensws
