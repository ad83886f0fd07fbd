/* Loaded by CivetWeb in place of the system's libssl.so (see CMakeLists.txt): forwards the one
 * function CivetWeb 1.15 looks up by a name that OpenSSL 3 no longer exports. Every other
 * symbol CivetWeb looks up is found in libssl.so.3, which this library depends on. */

#include <openssl/ssl.h>

#undef SSL_get_peer_certificate

X509* SSL_get_peer_certificate(const SSL* ssl);

/* The same function under its OpenSSL 3 name: the caller owns a reference to the result. */
X509* SSL_get_peer_certificate(const SSL* ssl) { return SSL_get1_peer_certificate(ssl); }
