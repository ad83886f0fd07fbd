#include "capture/IHandler.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "capture/CameraHandler.h"
#include "capture/CaptureHandler.h"
#include "capture/ConfigureHandler.h"
#include "capture/DeviceHandler.h"
#include "capture/DownloadHandler.h"
#include "capture/EnrollHandler.h"
#include "capture/GalleryHandler.h"
#include "capture/HandlerFixture.h"
#include "capture/IdentifyHandler.h"
#include "capture/InitializeHandler.h"
#include "capture/SampleQualityHandler.h"
#include "capture/StreamHandler.h"
#include "capture/UserHandler.h"
#include "capture/UsersHandler.h"
#include "capture/VerifyHandler.h"

namespace lensws {
namespace {

using testsupport::HttpAnswer;

// The handlers of the camera side, with the methods each implements.
struct Route {
    const char* path;
    std::vector<const char*> methods;
};

class CameraSideHandlersTest : public testsupport::HandlerFixture {
protected:
    CameraSideHandlersTest() {
        add<ConfigureHandler>("/1.0/configure", {"GET", "POST"});
        add<InitializeHandler>("/1.0/initialize", {"POST", "DELETE"});
        add<CaptureHandler>("/1.0/capture", {"POST"});
        add<VerifyHandler>("/1.0/verifycapture", {"POST"});
        add<IdentifyHandler>("/1.0/identifycapture", {"POST"});
        add<DownloadHandler>("/1.0/download", {"GET", "POST"});
        add<UsersHandler>("/1.0/users", {"GET", "DELETE"});
        add<UserHandler>("/1.0/user", {"GET", "POST", "DELETE"});
        add<GalleryHandler>("/1.0/gallery", {"GET"});
        add<EnrollHandler>("/1.0/enroll", {"POST"});
        add<CameraHandler>("/1.0/camera", {"GET"});
        add<DeviceHandler>("/1.0/deviceinfo", {"GET"});
        add<StreamHandler>("/1.0/getstream", {"GET"});
        add<SampleQualityHandler>("/1.0/samplequality", {"GET"});
    }

    template <class Handler>
    void add(const char* path, std::vector<const char*> methods) {
        handlers.push_back(std::make_unique<Handler>(&context));
        server.add(path, handlers.back().get());
        routes.push_back({path, std::move(methods)});
    }

    std::vector<std::unique_ptr<IHandler>> handlers;
    std::vector<Route> routes;
};

TEST_F(CameraSideHandlersTest, ImplementedMethodsAnswerJsonOthersFallThrough) {
    for (const Route& route : routes) {
        for (const char* method : {"GET", "POST", "PUT", "DELETE"}) {
            bool implemented = false;
            for (const char* m : route.methods) {
                implemented = implemented || std::string(m) == method;
            }
            HttpAnswer answer = server.request(method, route.path);
            if (implemented) {
                EXPECT_NE(answer.statusName(), "<absent>") << method << " " << route.path;
            } else {
                EXPECT_EQ(answer.statusName(), "<absent>") << method << " " << route.path;
            }
        }
    }
}

TEST_F(CameraSideHandlersTest, EveryRouteAnswersThePreflight) {
    for (const Route& route : routes) {
        HttpAnswer answer =
            server.request("OPTIONS", route.path, "",
                           "Origin: https://app.test\r\nAccess-Control-Request-Method: POST\r\n");
        EXPECT_EQ(answer.head,
                  "HTTP/1.1 200\r\nstatus: 200\r\nAccess-Control-Allow-Origin: https://app.test\r\n"
                  "Access-Control-Allow-Methods: POST\r\nAccess-Control-Allow-Headers: accept, "
                  "content-type")
            << route.path;
    }
}

TEST_F(CameraSideHandlersTest, PreflightWithoutHeadersSendsEmptyValues) {
    HttpAnswer answer = server.request("OPTIONS", "/1.0/capture");
    EXPECT_EQ(
        answer.head,
        "HTTP/1.1 200\r\nstatus: 200\r\nAccess-Control-Allow-Origin: \r\n"
        "Access-Control-Allow-Methods: \r\nAccess-Control-Allow-Headers: accept, content-type");
}

}  // namespace
}  // namespace lensws
