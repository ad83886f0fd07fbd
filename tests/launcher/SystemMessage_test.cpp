#include "SystemMessage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "LocaleEnvironment.h"

namespace drvlaunch {
namespace {

using testing::LocaleEnvironment;

TEST(SystemMessage, KnownCodesHaveTheSystemsText) {
    LocaleEnvironment locale("C");
    EXPECT_EQ(systemMessage(ENOENT), std::optional<std::wstring>(L"No such file or directory"));
    EXPECT_EQ(systemMessage(EACCES), std::optional<std::wstring>(L"Permission denied"));
    EXPECT_EQ(systemMessage(ENOSYS), std::optional<std::wstring>(L"Function not implemented"));
}

TEST(SystemMessage, UnknownCodeHasNoText) {
    EXPECT_EQ(systemMessage(0x7ABC), std::nullopt);
    EXPECT_EQ(systemMessage(-5), std::nullopt);
}

TEST(SystemMessage, UserLocaleThatIsNotInstalledFallsBackToEnglish) {
    LocaleEnvironment locale("xx_NOWHERE.UTF-8");
    EXPECT_EQ(systemMessage(ENOENT), std::optional<std::wstring>(L"No such file or directory"));
}

TEST(SystemMessage, TextOfAnInstalledUtf8LocaleIsDecoded) {
    LocaleEnvironment locale("C.UTF-8");
    EXPECT_EQ(systemMessage(ENOENT), std::optional<std::wstring>(L"No such file or directory"));
}

}  // namespace
}  // namespace drvlaunch
