#pragma once

#include <cstddef>

struct mg_connection;

namespace lensws {

class IdentifiedList;
class JsonWriter;
class MetaData;
class ResultDocument;

// Writes the service's answers on one connection: the JSON result, the CORS preflight answer
// and the multipart preview-stream framing. Short-lived: one per request, on the handler's
// stack. The connection must outlive it.
class JsonResponder {
public:
    explicit JsonResponder(mg_connection* connection) : connection_(connection) {}

    // Writes the response object {result members, then the dictionary member when `dictionary`
    // is given, then "identified" when `identified` is given} as an HTTP 200 JSON answer.
    // Returns false, writing nothing, when the result's status was never set, and false when
    // the header could not be written. The body is measured first (content-length), then sent
    // through a 536-byte buffer; a short socket write throws std::runtime_error
    // "Socket writing failed!" (the handler then answers failure).
    bool writeResult(ResultDocument& result, const MetaData* dictionary = nullptr,
                     const IdentifiedList* identified = nullptr);

    // The CORS preflight answer echoing the request's Origin and Access-Control-Request-Method
    // (absent headers as empty values); no body. True in every case.
    bool writePreflight();

    // Multipart preview stream (boundary "vantrel"). Each returns the web server's count of
    // bytes written (of the last piece, for a part), or 0 or below on failure; a write the
    // server cut short (a client that stopped taking data) is a failure.
    int writeStreamHeader();
    int writeStreamPart(const void* bytes, std::size_t length);
    int writeStreamEnd();

    // The response object of writeResult, for any writer.
    static void writeResponseObject(JsonWriter& writer, const ResultDocument& result,
                                    const MetaData* dictionary, const IdentifiedList* identified);

private:
    mg_connection* connection_;
};

}  // namespace lensws
