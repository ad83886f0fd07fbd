#pragma once

#include <chrono>
#include <string>

namespace lensws {

// A request of the service to itself: GET /1.0/info on one of its own listening ports, which
// only an answering worker can serve. The watchdog asks it whether the web server still works.
//
// The port is the first plain one of the configured listening ports (the first TLS one when
// there is no plain one; redirecting ports are skipped), at the address it is bound to, or at
// the loopback address when it listens on every address.
class ServerProbe {
public:
    // `listeningPorts` as configured: comma-separated entries "[ADDRESS:]PORT[s|r]", where an
    // IPv6 address is written in brackets and a leading "+" listens on IPv4 and IPv6.
    explicit ServerProbe(const std::string& listeningPorts);

    // False when no entry names a port to probe.
    bool valid() const { return port_ > 0; }
    const std::string& host() const { return host_; }
    int port() const { return port_; }
    bool tls() const { return tls_; }

    // True when the server's answer begins with an HTTP 200 status line within about
    // `timeout` (each step waits at most the time that is left). A TLS port is probed
    // over TLS without checking the certificate.
    bool answers(std::chrono::milliseconds timeout) const;

private:
    std::string host_;
    int port_ = 0;
    bool tls_ = false;
};

}  // namespace lensws
