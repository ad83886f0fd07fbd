#pragma once

#include <cstdio>
#include <memory>

#include "service/ServiceConfiguration.h"
#include "web/InlineAllocator.h"

class CivetServer;

namespace lensws {

class AccessTokenStore;
class DigestAuthGuard;
class HandlerSet;
class RouteTable;
class ServiceContext;

// Every long-lived object of a running service, owned here and built in start-up order:
// the shared memory pool, the route table's private allocator and the table, the capture
// service's context, the access token store, the handlers, the administration guard and the
// web server. Destruction runs in the reverse order and releases the pool last, which prints
// its statistics line.
class ServiceRuntime {
public:
    static constexpr std::size_t kRouteAllocatorFirstBlock = 256;
    static constexpr std::size_t kRouteAllocatorGrowth = 0x10000;

    // `configuration` must outlive the runtime; messages go to `out`.
    ServiceRuntime(const ServiceConfiguration& configuration, std::FILE* out);
    ~ServiceRuntime();
    ServiceRuntime(const ServiceRuntime&) = delete;
    ServiceRuntime& operator=(const ServiceRuntime&) = delete;

    // Builds everything, starts the web server (which listens from then on), prints the banner
    // with the configured ports and registers the routes in order. Throws what a step throws
    // (CivetException when the server cannot start); whatever was built stays until shutdown.
    void start();

    // Closes the web server (no new connections; running requests finish), then destroys
    // everything in reverse order of construction and releases the pool. Safe to call again.
    void shutdown();

    const RouteTable* routes() const { return routes_.get(); }

private:
    using RouteAllocator =
        vtl_base_type::InlineAllocator<kRouteAllocatorFirstBlock, kRouteAllocatorGrowth>;

    const ServiceConfiguration& configuration_;
    std::FILE* out_;
    bool poolCreated_ = false;
    std::unique_ptr<RouteAllocator> routeAllocator_;
    std::unique_ptr<RouteTable> routes_;
    std::unique_ptr<ServiceContext> context_;
    std::unique_ptr<AccessTokenStore> tokens_;
    std::unique_ptr<HandlerSet> handlers_;
    std::unique_ptr<DigestAuthGuard> adminGuard_;
    std::unique_ptr<CivetServer> server_;
};

}  // namespace lensws
