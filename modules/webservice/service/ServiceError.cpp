#include "service/ServiceError.h"

#include "platform/ServiceManager.h"

namespace lensws {

namespace {

struct ErrorText {
    std::uint32_t error;
    const char* text;
};

using namespace platform::service_error;

constexpr ErrorText kErrorTexts[] = {
    {kAccessDenied, "The requested access was denied."},
    {kInvalidHandle, "The handle to the specified service control manager database is invalid."},
    {kInvalidParameter, "Invalid parameter."},
    {kInvalidName, "The specified service name is invalid."},
    {kAlreadyRunning, "An instance of the application is already running."},
    {kNoSuchAccount,
     "The user account name specified in the lpServiceStartName parameter does not exist."},
    {kServiceDisabled,
     "The service cannot be started, either because it is disabled or because it has no "
     "enabled devices associated with it."},
    {kCircularDependency, "A circular service dependency was specified."},
    {kServiceDoesNotExist, "The specified service does not exist."},
    {kDatabaseDoesNotExist, "The specified service control database does not exist."},
    {kMarkedForDelete,
     "The specified service already exists in this database and has been marked for deletion."},
    {kServiceExists, "The specified service already exists."},
    {kDuplicateDisplayName,
     "The display name already exists in the service control manager database either as a "
     "service name or as another display name."},
};

}  // namespace

const char* serviceErrorText(std::uint32_t error) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.error == error) {
            return entry.text;
        }
    }
    return nullptr;
}

void reportServiceError(std::uint32_t error, std::FILE* out) {
    if (const char* text = serviceErrorText(error)) {
        std::fprintf(out, "%s\n", text);
    } else {
        std::fprintf(out, "System error: %d\n", static_cast<int>(error));
    }
}

}  // namespace lensws
