#include "capture/PreviewStream.h"

#include "capture/CameraController.h"
#include "capture/FrameReceiver.h"
#include "web/JsonResponder.h"
#include "web/RequestAnswer.h"
#include "web/WSMemPool.h"

namespace lensws {

namespace {

// Writes one part per notification taken in, until the capture ends, the camera reports an
// error or a write fails (the client went away, or the stream's frame is missing).
void streamFrames(JsonResponder& responder, FrameReceiver& receiver, std::size_t frameIndex) {
    for (bool stop = false; !stop;) {
        receiver.waitPending(platform::Event::kInfinite);
        if (receiver.hasFrames()) {
            stop = responder.writeStreamPart(receiver.frame(frameIndex),
                                             receiver.frameSize(frameIndex)) < 1;
        }
        stop = stop || receiver.captureState() >= FrameNotification::kCaptureComplete ||
               receiver.status() != ResultStatus::success;
        receiver.acknowledge();
    }
}

}  // namespace

bool servePreviewStream(mg_connection* connection, CameraController& controller,
                        std::string_view name) {
    std::size_t frameIndex = 0;
    if (name == "stream2") {
        frameIndex = 1;
    } else if (name != "stream" && name != "stream1") {
        return false;
    }
    FrameReceiver receiver(true, WSMemPool::access());
    const StreamClient client = receiver.client(StreamClient::kPreview);
    const char* message = nullptr;
    const ResultStatus status = controller.addStreamClient(client, &message);
    if (status != ResultStatus::success) {
        return answerJson(connection, [&](ResultDocument& result) -> const MetaData* {
            result.setStatus(status, message);
            return nullptr;
        });
    }
    JsonResponder responder(connection);
    if (responder.writeStreamHeader() > 0) {
        streamFrames(responder, receiver, frameIndex);
        responder.writeStreamEnd();
    }
    controller.removeStreamClient(client);
    return true;
}

}  // namespace lensws
