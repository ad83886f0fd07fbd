#include "service/ServiceRuntime.h"

#include <CivetServer.h>

#include "access/AccessTokenStore.h"
#include "capture/CameraController.h"
#include "capture/ServiceContext.h"
#include "service/DigestAuthGuard.h"
#include "service/HandlerSet.h"
#include "service/RouteTable.h"
#include "service/ServerOptions.h"
#include "web/WSMemPool.h"

namespace lensws {

ServiceRuntime::ServiceRuntime(const ServiceConfiguration& configuration, std::FILE* out)
    : configuration_(configuration), out_(out) {}

ServiceRuntime::~ServiceRuntime() {
    shutdown();
}

void ServiceRuntime::start() {
    WSMemPool::create();
    poolCreated_ = true;
    routeAllocator_ = std::make_unique<RouteAllocator>();
    routes_ = std::make_unique<RouteTable>(*routeAllocator_);
    context_ = std::make_unique<ServiceContext>();
    tokens_ = std::make_unique<AccessTokenStore>(configuration_.tokenFile.c_str());
    handlers_ =
        std::make_unique<HandlerSet>(context_.get(), tokens_.get(), configuration_.passwordFile,
                                     configuration_.digestDomain, *routes_);
    adminGuard_ =
        std::make_unique<DigestAuthGuard>(configuration_.passwordFile, configuration_.digestDomain);

    server_ = std::make_unique<CivetServer>(serverOptions(configuration_));
    // Registered before anything else: the administration area is guarded from the first
    // request on (the routes are not there yet, and the static "/admin" area is only open for
    // the moment between the start of listening and this call).
    server_->addAuthHandler("/admin", adminGuard_.get());
    server_->addAuthHandler("/1.0/admin", adminGuard_.get());

    std::fprintf(out_, "Service hosted at http://localhost:%s\n",
                 configuration_.listeningPorts.c_str());
    std::fflush(out_);
    for (const RouteEntry& entry : *routes_) {
        server_->addHandler(entry.route, entry.handler);
    }
}

void ServiceRuntime::shutdown() {
    if (server_) {
        // A capture request and the previews of a capture hold their workers until the
        // capture ends; the server waits for its workers, so the capture is stopped first.
        if (context_) {
            context_->cameraController().cancelCapture();
        }
        server_->close();
    }
    server_.reset();
    adminGuard_.reset();
    handlers_.reset();
    tokens_.reset();
    context_.reset();
    routes_.reset();
    routeAllocator_.reset();
    if (poolCreated_) {
        poolCreated_ = false;
        WSMemPool::release(out_);
        std::fflush(out_);
    }
}

}  // namespace lensws
