#pragma once

#include <cstddef>
#include <string_view>

struct mg_connection;

namespace lensws {

class CameraController;

// Serves, for a stream name, the live preview of the running capture on `connection`: a multipart
// JPEG stream (one part per camera frame this listener took in) that ends with the closing boundary
// when the capture ends, when the camera reports an error, when the client goes away, or when the
// stream's frame is missing. The frames are sent as the camera callback encoded them. When no
// capture runs, or three listeners are registered already, the answer is a JSON failure instead.
// Holds the calling worker thread for the whole stream; no service lock is held while writing.
// "stream" and "stream1" show the first image (the only one of a monocular camera), "stream2"
// the second image of a binocular pair. False, with nothing written, for any other name.
bool servePreviewStream(mg_connection* connection, CameraController& controller,
                        std::string_view name);

}  // namespace lensws
