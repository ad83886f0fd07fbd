#include "service/HandlerSet.h"

#include "access/AdminConfigHandler.h"
#include "access/PasswordHandler.h"
#include "access/TokenHandler.h"
#include "access/TokensHandler.h"
#include "capture/CameraHandler.h"
#include "capture/CaptureHandler.h"
#include "capture/ConfigureHandler.h"
#include "capture/DeviceHandler.h"
#include "capture/DownloadHandler.h"
#include "capture/EnrollHandler.h"
#include "capture/GalleryHandler.h"
#include "capture/IdentifyHandler.h"
#include "capture/InitializeHandler.h"
#include "capture/LockHandler.h"
#include "capture/RegisterHandler.h"
#include "capture/RequestCommandHandler.h"
#include "capture/RootStreamHandler.h"
#include "capture/SampleQualityHandler.h"
#include "capture/ServiceInfoHandler.h"
#include "capture/StreamHandler.h"
#include "capture/UserHandler.h"
#include "capture/UsersHandler.h"
#include "capture/VerifyHandler.h"
#include "service/RouteTable.h"

namespace lensws {

// Members in route order: constructed 1 to 25, destroyed 25 to 1.
struct HandlerSet::Handlers {
    Handlers(ServiceContext* context, AccessTokenStore* tokens, const std::string& passwordFile,
             const std::string& realm)
        : configure(context),
          lock(context),
          registration(context, tokens),
          info(context),
          initialize(context),
          capture(context),
          verify(context),
          identify(context),
          download(context),
          users(context),
          user(context),
          gallery(context),
          enroll(context),
          camera(context),
          device(context),
          stream(context),
          token(tokens),
          tokenList(tokens),
          adminConfig(tokens),
          password(passwordFile, realm),
          sampleQuality(context),
          command(context),
          rootStream(context),
          rootStream1(context),
          rootStream2(context) {}

    ConfigureHandler configure;
    LockHandler lock;
    RegisterHandler registration;
    ServiceInfoHandler info;
    InitializeHandler initialize;
    CaptureHandler capture;
    VerifyHandler verify;
    IdentifyHandler identify;
    DownloadHandler download;
    UsersHandler users;
    UserHandler user;
    GalleryHandler gallery;
    EnrollHandler enroll;
    CameraHandler camera;
    DeviceHandler device;
    StreamHandler stream;
    TokenHandler token;
    TokensHandler tokenList;
    AdminConfigHandler adminConfig;
    PasswordHandler password;
    SampleQualityHandler sampleQuality;
    RequestCommandHandler command;
    RootStreamHandler rootStream;
    RootStreamHandler rootStream1;
    RootStreamHandler rootStream2;
};

HandlerSet::HandlerSet(ServiceContext* context, AccessTokenStore* tokens,
                       const std::string& passwordFile, const std::string& realm,
                       RouteTable& routes)
    : handlers_(std::make_unique<Handlers>(context, tokens, passwordFile, realm)) {
    Handlers& h = *handlers_;
    routes.append("/1.0/configure", &h.configure);
    routes.append("/1.0/lock", &h.lock);
    routes.append("/1.0/register", &h.registration);
    routes.append("/1.0/info", &h.info);
    routes.append("/1.0/initialize", &h.initialize);
    routes.append("/1.0/capture", &h.capture);
    routes.append("/1.0/verifycapture", &h.verify);
    routes.append("/1.0/identifycapture", &h.identify);
    routes.append("/1.0/download", &h.download);
    routes.append("/1.0/users", &h.users);
    routes.append("/1.0/user", &h.user);
    routes.append("/1.0/gallery", &h.gallery);
    routes.append("/1.0/enroll", &h.enroll);
    routes.append("/1.0/camera", &h.camera);
    routes.append("/1.0/deviceinfo", &h.device);
    routes.append("/1.0/getstream", &h.stream);
    routes.append("/1.0/admin/token", &h.token);
    routes.append("/1.0/admin/tokens", &h.tokenList);
    routes.append("/1.0/admin/config", &h.adminConfig);
    routes.append("/1.0/admin/password", &h.password);
    routes.append("/1.0/samplequality", &h.sampleQuality);
    routes.append("/1.0/", &h.command);
    routes.append("/stream", &h.rootStream);
    routes.append("/stream1", &h.rootStream1);
    routes.append("/stream2", &h.rootStream2);
}

HandlerSet::~HandlerSet() = default;

}  // namespace lensws
