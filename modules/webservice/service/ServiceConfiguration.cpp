#include "service/ServiceConfiguration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "service/ConfigFile.h"

namespace lensws {

namespace {

bool fileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool join(const std::string& home, const std::string& value, std::string& out) {
    std::string joined = home + "/" + value;
    if (joined.size() >= ServiceConfiguration::kMaxPath) {
        return false;
    }
    out = std::move(joined);
    return true;
}

std::string workingDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return ".";
    }
    return buffer;
}

}  // namespace

std::string ServiceConfiguration::locate(const char* home) {
    if (home == nullptr || std::strlen(home) > kMaxPath) {
        return "./config.ini";
    }
    std::string preferred = std::string(home) + "/conf/config.ini";
    if (fileExists(preferred)) {
        return preferred;
    }
    return std::string(home) + "/config.ini";
}

bool ServiceConfiguration::apply(const ConfigFile& file, const std::string& home,
                                 std::string& problem) {
    std::string certificate;
    std::string password;
    std::string token;
    if (!join(home, file.get("SERVER_SSL_CERTICICATE"), certificate)) {
        problem = "SERVER_SSL_CERTICICATE";
        return false;
    }
    if (!join(home, file.get("HTPASSWD_FILE"), password)) {
        problem = "HTPASSWD_FILE";
        return false;
    }
    if (!join(home, file.get("TOKEN_FILE"), token)) {
        problem = "TOKEN_FILE";
        return false;
    }
    listeningPorts = file.get("SERVER_PORTS");
    documentRoot = file.get("SERVER_DUCUMENT_ROOT");
    if (documentRoot == ".") {
        documentRoot = home;
    }
    certificateFile = std::move(certificate);
    passwordFile = std::move(password);
    digestDomain = file.get("DIGEST_DOMAIN");
    tokenFile = std::move(token);
    camera = {file.get("CAMERA_CONNECTION"), file.get("CAMERA_SERIAL_PORT"),
              file.get("CAMERA_BAUD_RATE"), file.get("CAMERA_FLOW_CONTROL")};
    configFile = file.fileName();
    return true;
}

bool ServiceConfiguration::load(const char* home, std::string& problem) {
    const char* usableHome = (home != nullptr && *home != '\0') ? home : nullptr;
    ConfigFile file;
    if (!file.load(locate(usableHome).c_str())) {
        return true;
    }
    return apply(file, usableHome != nullptr ? std::string(usableHome) : workingDirectory(),
                 problem);
}

}  // namespace lensws
