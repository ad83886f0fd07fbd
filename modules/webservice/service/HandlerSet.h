#pragma once

#include <memory>
#include <string>

namespace lensws {

class AccessTokenStore;
class RouteTable;
class ServiceContext;

// The service's handler objects, one per route, constructed in route order and destroyed in
// the reverse order. Construction appends every route to the table: the 22 routes of the API,
//
//    1 /1.0/configure        ConfigureHandler         12 /1.0/gallery          GalleryHandler
//    2 /1.0/lock             LockHandler              13 /1.0/enroll           EnrollHandler
//    3 /1.0/register         RegisterHandler          14 /1.0/camera           CameraHandler
//    4 /1.0/info             ServiceInfoHandler       15 /1.0/deviceinfo       DeviceHandler
//    5 /1.0/initialize       InitializeHandler        16 /1.0/getstream        StreamHandler
//    6 /1.0/capture          CaptureHandler           17 /1.0/admin/token      TokenHandler
//    7 /1.0/verifycapture    VerifyHandler            18 /1.0/admin/tokens     TokensHandler
//    8 /1.0/identifycapture  IdentifyHandler          19 /1.0/admin/config     AdminConfigHandler
//    9 /1.0/download         DownloadHandler          20 /1.0/admin/password   PasswordHandler
//   10 /1.0/users            UsersHandler             21 /1.0/samplequality    SampleQualityHandler
//   11 /1.0/user             UserHandler              22 /1.0/ RequestCommandHandler
//
// then the preview streams at the root, where GET /1.0/info advertises them:
//
//   23 /stream   24 /stream1   25 /stream2   RootStreamHandler
//
// The handlers keep non-owning pointers to the context and the token store, which must outlive
// the set; the table keeps non-owning pointers to the handlers.
class HandlerSet {
public:
    HandlerSet(ServiceContext* context, AccessTokenStore* tokens, const std::string& passwordFile,
               const std::string& realm, RouteTable& routes);
    ~HandlerSet();
    HandlerSet(const HandlerSet&) = delete;
    HandlerSet& operator=(const HandlerSet&) = delete;

private:
    struct Handlers;
    std::unique_ptr<Handlers> handlers_;
};

}  // namespace lensws
