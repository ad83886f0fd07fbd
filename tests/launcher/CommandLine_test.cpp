#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace drvlaunch {
namespace {

using Items = std::vector<std::wstring>;

TEST(CommandLine, ProgramWithoutBlanksIsLeftUnquoted) {
    const std::wstring line = buildCommandLine(L"/opt/ocu/drivers/dpinst64.exe", L"/lm");
    EXPECT_EQ(line, L"/opt/ocu/drivers/dpinst64.exe /lm");
    EXPECT_EQ(splitCommandLine(line), (Items{L"/opt/ocu/drivers/dpinst64.exe", L"/lm"}));
}

TEST(CommandLine, ProgramWithBlanksIsQuotedAndReadWhole) {
    const std::wstring program = L"/opt/my dir/\tx /drivers/dpinst32.exe";
    const std::wstring line = buildCommandLine(program, L"/lm");
    EXPECT_EQ(line, L"\"" + program + L"\" /lm");
    EXPECT_EQ(splitCommandLine(line), (Items{program, L"/lm"}));
}

TEST(CommandLine, BackslashesInTheProgramPathAreLiteral) {
    const std::wstring program = L"C:\\Ocu Service\\dir\\\\drivers/dpinst64.exe";
    EXPECT_EQ(splitCommandLine(buildCommandLine(program, L"/lm")), (Items{program, L"/lm"}));
    EXPECT_EQ(splitCommandLine(L"C:\\a\\b.exe x"), (Items{L"C:\\a\\b.exe", L"x"}));
}

TEST(CommandLine, AProgramPathWithADoubleQuoteCannotBeCarried) {
    EXPECT_TRUE(canCarryProgramPath(L"/opt/a b/c"));
    EXPECT_FALSE(canCarryProgramPath(L"/opt/a\"b/c"));
    EXPECT_FALSE(canCarryProgramPath(L"\"/opt/c"));
}

TEST(CommandLine, UnquotedProgramEndsAtTheFirstBlank) {
    // Windows would try "/tmp/my", then "/tmp/my dir/x.exe"; this reader never searches.
    EXPECT_EQ(splitCommandLine(L"/tmp/my dir/x.exe /lm"),
              (Items{L"/tmp/my", L"dir/x.exe", L"/lm"}));
    EXPECT_EQ(splitCommandLine(L"  \t/bin/x"), (Items{L"/bin/x"}));
}

TEST(CommandLine, QuotedProgramEndsAtItsClosingQuote) {
    EXPECT_EQ(splitCommandLine(L"\"a b\"c d"), (Items{L"a b", L"c", L"d"}));
    EXPECT_EQ(splitCommandLine(L"\"a b"), (Items{L"a b"}));
    EXPECT_EQ(splitCommandLine(L"\"\" x"), (Items{L"", L"x"}));
}

TEST(CommandLine, ArgumentsFollowTheQuoteAndBackslashRules) {
    const struct {
        const wchar_t* line;
        Items items;
    } cases[] = {
        {L"p a\tb   c", {L"p", L"a", L"b", L"c"}},
        {L"p \"a b\" c", {L"p", L"a b", L"c"}},
        {L"p a\"b c\"d", {L"p", L"ab cd"}},
        {L"p a\\\\b", {L"p", L"a\\\\b"}},        // backslashes alone are literal
        {L"p a\\\"b", {L"p", L"a\"b"}},          // \" is a literal quote
        {L"p a\\\\\"b c\"", {L"p", L"a\\b c"}},  // 2 backslashes, then quoting
        {L"p a\\\\\\\"b", {L"p", L"a\\\"b"}},    // 3 backslashes, literal quote
        {L"p \"\"", {L"p", L""}},                // an empty argument
        {L"p \"unclosed arg", {L"p", L"unclosed arg"}},
        {L"p a\\", {L"p", L"a\\"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitCommandLine(c.line), c.items)
            << std::string(c.line, c.line + wcslen(c.line));
    }
}

TEST(CommandLine, EmptyLineHasNoItems) {
    EXPECT_TRUE(splitCommandLine(L"").empty());
    EXPECT_TRUE(splitCommandLine(L" \t ").empty());
}

}  // namespace
}  // namespace drvlaunch
