#include "service/ServerOptions.h"

namespace lensws {

namespace {

std::string baseName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file name as a literal CivetWeb pattern: its pattern characters match any one character.
std::string literalPattern(const std::string& name) {
    std::string out;
    for (char c : name) {
        bool special = c == '*' || c == '?' || c == '|' || c == '$' || c == ',';
        out += special ? '?' : c;
    }
    return out;
}

const char* const kErrorLogFile = "server_error.log";
// How long a worker waits for a request to arrive and for each write of an answer to go out.
const char* const kRequestTimeoutMs = "500";

}  // namespace

std::string hiddenFilesPattern(const std::vector<std::string>& paths) {
    std::string pattern;
    auto add = [&pattern](const std::string& name) {
        if (!pattern.empty()) {
            pattern += '|';
        }
        pattern += name + "$|**/" + name + "$";
    };
    for (const std::string& path : paths) {
        std::string name = literalPattern(baseName(path));
        if (name.empty()) {
            continue;
        }
        add(name);
        add(name + ".tmp");
    }
    return pattern;
}

std::vector<std::string> serverOptions(const ServiceConfiguration& configuration) {
    // The error log is written into the working directory, which is the document root unless
    // configured otherwise.
    std::vector<std::string> hidden = {configuration.certificateFile, configuration.passwordFile,
                                       configuration.tokenFile, kErrorLogFile};
    hidden.push_back(configuration.configFile.empty() ? std::string("config.ini")
                                                      : configuration.configFile);
    return {
        "document_root",
        configuration.documentRoot,
        "listening_ports",
        configuration.listeningPorts,
        "num_threads",
        "5",
        "ssl_certificate",
        configuration.certificateFile,
        "ssl_protocol_version",
        "3",
        "authentication_domain",
        configuration.digestDomain,
        "error_log_file",
        kErrorLogFile,
        "access_control_allow_origin",
        "*",
        "access_control_allow_methods",
        "",
        "max_request_size",
        "65536",
        "static_file_max_age",
        "0",
        "request_timeout_ms",
        kRequestTimeoutMs,
        "hide_files_patterns",
        hiddenFilesPattern(hidden),
    };
}

}  // namespace lensws
