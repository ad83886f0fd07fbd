#pragma once

#include <string>
#include <vector>

#include "service/ServiceConfiguration.h"

namespace lensws {

// The web server's option list for a configuration, as (name, value) pairs in order:
//
//   document_root, listening_ports, num_threads "5", ssl_certificate, ssl_protocol_version "3"
//   (TLS 1.1 and newer), authentication_domain, error_log_file "server_error.log",
//   access_control_allow_origin "*",
//
// and what CivetWeb 1.15 needs besides to serve the routes as they are meant:
//
//   access_control_allow_methods ""  CivetWeb answers every CORS preflight itself while this is
//                                    non-empty; empty, the handlers' own preflight answers go out.
//   max_request_size "65536"         a digest-authenticated administration request repeats its
//                                    request target (with a token of up to 8192 bytes) in the
//                                    Authorization header: more than the default 16 KiB.
//   static_file_max_age "0"          static files (the console) are not cached: after an
//                                    upgrade a browser never mixes old and new console modules.
//   request_timeout_ms "500"         how long a worker waits for a request's header to arrive, and
//                                    for any progress of a write to a client. The five workers are
//                                    all there is: the library's 30 s let fifty idle or half-sent
//                                    connections keep every client waiting for minutes. A client
//                                    that reads, however slowly, makes progress and keeps its
//                                    preview; one that stops reading for half a second with full
//                                    socket buffers loses it.
//   hide_files_patterns              the configuration file, the token file, the password file,
//                                    the web server's error log, the TLS certificate (with its key)
//                                    and the temporary files of each are never served as static
//                                    files or listed.
//
// There is no protect_uri: DigestAuthGuard guards "/admin" and "/1.0/admin" as the
// authorization handler of those URIs, which takes the place of protect_uri for them (and,
// unlike it, refuses when the password file cannot be read). CivetWeb's protect_uri matching
// also reads past the end of request URIs shorter than the protected prefix.
//
// Keep-alive stays off (CivetWeb's default): each of the five workers serves one connection
// at a time, so an idle keep-alive connection would hold a worker that other clients wait for;
// a preview stream ends by closing its connection; and a JSON answer goes out in several writes
// (header, then 536-byte pieces), which on a kept-alive connection meet the client's delayed
// acknowledgement and wait about 40 ms each. Without keep-alive the closing of the connection
// sends what is left at once.
std::vector<std::string> serverOptions(const ServiceConfiguration& configuration);

// The hide_files_patterns value hiding the files named by these paths and their ".tmp"
// companions, wherever they are asked for (CivetWeb matches a full path for a request and a
// bare name in a directory listing). Pattern characters in a name match any character there.
std::string hiddenFilesPattern(const std::vector<std::string>& paths);

}  // namespace lensws
