#pragma once

#include <cstddef>

namespace lensws {

// Where a JsonOutputStream sends its full buffers: the connection in the service, a capture
// buffer in tests. `write` answers the number of bytes it took (the web server's mg_write
// convention: 0 when the connection is closed, -1 on error).
class ByteSink {
public:
    virtual ~ByteSink();
    virtual int write(const char* bytes, std::size_t length) = 0;
};

}  // namespace lensws
