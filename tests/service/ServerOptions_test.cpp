#include "service/ServerOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lensws {
namespace {

ServiceConfiguration configured() {
    ServiceConfiguration configuration;
    configuration.listeningPorts = "127.0.0.1:9000,127.0.0.1:9443s";
    configuration.documentRoot = "/home/ocu";
    configuration.certificateFile = "/home/ocu/ssl/localhost.pem";
    configuration.passwordFile = "/home/ocu/resource/password";
    configuration.digestDomain = "administration";
    configuration.tokenFile = "/home/ocu/resource/tokens.ini";
    configuration.configFile = "/home/ocu/conf/config.ini";
    return configuration;
}

TEST(ServerOptionsTest, ListHoldsEveryOptionInOrder) {
    std::vector<std::string> expected = {
        "document_root",
        "/home/ocu",
        "listening_ports",
        "127.0.0.1:9000,127.0.0.1:9443s",
        "num_threads",
        "5",
        "ssl_certificate",
        "/home/ocu/ssl/localhost.pem",
        "ssl_protocol_version",
        "3",
        "authentication_domain",
        "administration",
        "error_log_file",
        "server_error.log",
        "access_control_allow_origin",
        "*",
        "access_control_allow_methods",
        "",
        "max_request_size",
        "65536",
        "static_file_max_age",
        "0",
        "request_timeout_ms",
        "500",
        "hide_files_patterns",
        "localhost.pem$|**/localhost.pem$|localhost.pem.tmp$|**/localhost.pem.tmp$|"
        "password$|**/password$|password.tmp$|**/password.tmp$|"
        "tokens.ini$|**/tokens.ini$|tokens.ini.tmp$|**/tokens.ini.tmp$|"
        "server_error.log$|**/server_error.log$|server_error.log.tmp$|**/server_error.log.tmp$|"
        "config.ini$|**/config.ini$|config.ini.tmp$|**/config.ini.tmp$",
    };
    EXPECT_EQ(serverOptions(configured()), expected);
}

TEST(ServerOptionsTest, KeepAliveAndProtectUriAreLeftOut) {
    std::vector<std::string> options = serverOptions(configured());
    for (std::size_t i = 0; i < options.size(); i += 2) {
        EXPECT_NE(options[i], "enable_keep_alive");
        EXPECT_NE(options[i], "protect_uri");
    }
}

TEST(ServerOptionsTest, WithoutConfigFileTheDefaultNameIsHidden) {
    ServiceConfiguration defaults;
    std::vector<std::string> options = serverOptions(defaults);
    ASSERT_EQ(options.size() % 2, 0u);
    EXPECT_EQ(options[options.size() - 2], "hide_files_patterns");
    EXPECT_NE(options.back().find("|**/config.ini$"), std::string::npos);
    EXPECT_EQ(options[1], ".");
    EXPECT_EQ(options[7], "ssl/localhost.pem");
}

TEST(ServerOptionsTest, PatternCharactersInNamesMatchAnyCharacter) {
    EXPECT_EQ(hiddenFilesPattern({"/x/a*b?c|d$e,f"}),
              "a?b?c?d?e?f$|**/a?b?c?d?e?f$|a?b?c?d?e?f.tmp$|**/a?b?c?d?e?f.tmp$");
    EXPECT_EQ(hiddenFilesPattern({"/x/dir/"}), "");
    EXPECT_EQ(hiddenFilesPattern({"plain"}), "plain$|**/plain$|plain.tmp$|**/plain.tmp$");
}

}  // namespace
}  // namespace lensws
