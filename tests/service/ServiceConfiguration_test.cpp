#include "service/ServiceConfiguration.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <string>

#include "service/ConfigFile.h"
#include "support/TempDir.h"

namespace lensws {
namespace {

using testsupport::TempDir;

const char* const kFullFile =
    "SERVER_PORTS = 9000\n"
    "SERVER_DUCUMENT_ROOT = /srv/www\n"
    "SERVER_SSL_CERTICICATE = \"ssl/my cert.pem\"\n"
    "HTPASSWD_FILE = resource/htpasswd\n"
    "DIGEST_DOMAIN = example\n"
    "TOKEN_FILE = resource/t.ini\n";

TEST(ServiceConfigurationTest, DefaultsAreTheBuiltInValues) {
    ServiceConfiguration configuration;
    EXPECT_EQ(configuration.listeningPorts, "8081, 4444s");
    EXPECT_EQ(configuration.documentRoot, ".");
    EXPECT_EQ(configuration.certificateFile, "ssl/localhost.pem");
    EXPECT_EQ(configuration.passwordFile, "resource/password");
    EXPECT_EQ(configuration.digestDomain, "administration");
    EXPECT_EQ(configuration.tokenFile, "resource/tokens.ini");
    EXPECT_EQ(configuration.configFile, "");
}

TEST(ServiceConfigurationTest, LocatePrefersConfInTheHome) {
    TempDir home;
    EXPECT_EQ(ServiceConfiguration::locate(home.path().c_str()), home.file("config.ini"));
    home.write("config.ini", "A = 1\n");
    EXPECT_EQ(ServiceConfiguration::locate(home.path().c_str()), home.file("config.ini"));
    home.write("conf/config.ini", "A = 2\n");
    EXPECT_EQ(ServiceConfiguration::locate(home.path().c_str()), home.file("conf/config.ini"));
}

TEST(ServiceConfigurationTest, LocateWithoutUsableHomeUsesTheWorkingDirectory) {
    EXPECT_EQ(ServiceConfiguration::locate(nullptr), "./config.ini");
    std::string longHome = "/" + std::string(260, 'h');
    EXPECT_EQ(ServiceConfiguration::locate(longHome.c_str()), "./config.ini");
    std::string limitHome = std::string(260, 'h');
    EXPECT_EQ(ServiceConfiguration::locate(limitHome.c_str()), limitHome + "/config.ini");
}

TEST(ServiceConfigurationTest, ApplyJoinsPathsToTheHome) {
    TempDir home;
    ConfigFile file;
    ASSERT_TRUE(file.load(home.write("config.ini", kFullFile).c_str()));
    ServiceConfiguration configuration;
    std::string problem;
    ASSERT_TRUE(configuration.apply(file, "/opt/ocu", problem));
    EXPECT_EQ(configuration.listeningPorts, "9000");
    EXPECT_EQ(configuration.documentRoot, "/srv/www");
    EXPECT_EQ(configuration.certificateFile, "/opt/ocu/ssl/my cert.pem");
    EXPECT_EQ(configuration.passwordFile, "/opt/ocu/resource/htpasswd");
    EXPECT_EQ(configuration.digestDomain, "example");
    EXPECT_EQ(configuration.tokenFile, "/opt/ocu/resource/t.ini");
    EXPECT_EQ(configuration.configFile, home.file("config.ini"));
}

TEST(ServiceConfigurationTest, DotDocumentRootIsTheHomeAndMissingKeysAreEmpty) {
    TempDir home;
    ConfigFile file;
    ASSERT_TRUE(file.load(home.write("config.ini", "SERVER_DUCUMENT_ROOT = .\n").c_str()));
    ServiceConfiguration configuration;
    std::string problem;
    ASSERT_TRUE(configuration.apply(file, "/opt/ocu", problem));
    EXPECT_EQ(configuration.documentRoot, "/opt/ocu");
    EXPECT_EQ(configuration.listeningPorts, "");
    EXPECT_EQ(configuration.digestDomain, "");
    EXPECT_EQ(configuration.certificateFile, "/opt/ocu/");
    EXPECT_EQ(configuration.tokenFile, "/opt/ocu/");
}

TEST(ServiceConfigurationTest, JoinedPathMustFitTheBuffer) {
    TempDir home;
    const std::string base = "/opt";  // joined: "/opt/" + value
    ConfigFile file;
    std::string fits(ServiceConfiguration::kMaxPath - 1 - 5, 'f');
    ASSERT_TRUE(file.load(home.write("config.ini", "TOKEN_FILE = " + fits + "\n").c_str()));
    ServiceConfiguration configuration;
    std::string problem;
    ASSERT_TRUE(configuration.apply(file, base, problem));
    EXPECT_EQ(configuration.tokenFile.size(), ServiceConfiguration::kMaxPath - 1);

    ASSERT_TRUE(file.load(
        home.write("config.ini", "SERVER_PORTS = 1\nHTPASSWD_FILE = " + fits + "x\n").c_str()));
    ServiceConfiguration refused;
    EXPECT_FALSE(refused.apply(file, base, problem));
    EXPECT_EQ(problem, "HTPASSWD_FILE");
    EXPECT_EQ(refused.listeningPorts, "8081, 4444s");
    EXPECT_EQ(refused.passwordFile, "resource/password");
}

TEST(ServiceConfigurationTest, LoadWithoutFileKeepsTheDefaults) {
    TempDir home;
    ServiceConfiguration configuration;
    std::string problem;
    ASSERT_TRUE(configuration.load(home.path().c_str(), problem));
    EXPECT_EQ(configuration.listeningPorts, "8081, 4444s");
    EXPECT_EQ(configuration.tokenFile, "resource/tokens.ini");
    EXPECT_EQ(configuration.configFile, "");
}

TEST(ServiceConfigurationTest, LoadReadsConfBeforeTheHomeFile) {
    TempDir home;
    home.write("config.ini", "SERVER_PORTS = 1\n");
    home.write("conf/config.ini", "SERVER_PORTS=2\nTOKEN_FILE = t.ini\n");
    ServiceConfiguration configuration;
    std::string problem;
    ASSERT_TRUE(configuration.load(home.path().c_str(), problem));
    EXPECT_EQ(configuration.listeningPorts, "2");
    EXPECT_EQ(configuration.tokenFile, home.path() + "/t.ini");
    EXPECT_EQ(configuration.configFile, home.file("conf/config.ini"));
}

TEST(ServiceConfigurationTest, WithoutHomeTheWorkingDirectoryIsTheHome) {
    TempDir home;
    home.write("config.ini", "SERVER_DUCUMENT_ROOT = .\nTOKEN_FILE = t.ini\n");
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(home.path().c_str()), 0);
    ServiceConfiguration unset;
    ServiceConfiguration empty;
    std::string problem;
    bool loadedUnset = unset.load(nullptr, problem);
    bool loadedEmpty = empty.load("", problem);
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(loadedUnset);
    ASSERT_TRUE(loadedEmpty);
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(home.path().c_str(), resolved), nullptr);
    EXPECT_EQ(unset.documentRoot, resolved);
    EXPECT_EQ(unset.tokenFile, std::string(resolved) + "/t.ini");
    EXPECT_EQ(unset.configFile, "./config.ini");
    EXPECT_EQ(empty.tokenFile, unset.tokenFile);
}

TEST(ServiceConfigurationTest, OverlongHomeWithAFileInTheWorkingDirectoryRefusesToStart) {
    TempDir cwd;
    cwd.write("config.ini", "TOKEN_FILE = t.ini\n");
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(cwd.path().c_str()), 0);
    std::string longHome = "/" + std::string(300, 'h');
    ServiceConfiguration configuration;
    std::string problem;
    bool loaded = configuration.load(longHome.c_str(), problem);
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(problem, "SERVER_SSL_CERTICICATE");
}

}  // namespace
}  // namespace lensws
