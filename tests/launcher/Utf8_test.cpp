#include "Utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace drvlaunch {
namespace {

TEST(Utf8, DecodesEveryLengthOfSequence) {
    // "a", "é" (2 bytes), "€" (3 bytes), "😀" (4 bytes)
    const std::wstring text = wideFromSystem("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(text, std::wstring({L'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(utf8ForDisplay(text), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(Utf8, InvalidBytesComeBackUnchangedForTheSystemAndAsReplacementForDisplay) {
    // A stray continuation byte, a cut sequence, an overlong "/", an encoded surrogate, a value
    // above U+10FFFF and a byte that never appears in UTF-8.
    const std::string cases[] = {"\x80",         "dir\xE2\x82",      "\xC0\xAF",
                                 "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"};
    for (const std::string& bytes : cases) {
        const std::wstring text = wideFromSystem(bytes);
        EXPECT_EQ(systemFromWide(text), bytes);
        const std::string shown = utf8ForDisplay(text);
        EXPECT_NE(shown.find("\xEF\xBF\xBD"), std::string::npos) << shown;
        EXPECT_EQ(wideFromSystem(shown).find(L'\xDC80'), std::wstring::npos);
    }
    // Each undecodable byte is one character of its own.
    EXPECT_EQ(wideFromSystem("\xC0\xAF").size(), 2u);
    EXPECT_EQ(utf8ForDisplay(wideFromSystem("a\xFF"
                                            "b")),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Utf8, AnyByteStringSurvivesTheRoundTrip) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(1, 255);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        for (int i = length(random); i > 0; --i) {
            // Lean towards the bytes that start and continue sequences.
            const int b = byte(random);
            bytes += static_cast<char>(round % 2 == 0 ? b : 0x80 | (b & 0x7F));
        }
        ASSERT_EQ(systemFromWide(wideFromSystem(bytes)), bytes);
    }
}

TEST(Utf8, DisplayNeverCarriesInvalidUtf8) {
    const std::wstring odd = {L'x', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
                              static_cast<wchar_t>(0xDCFF)};
    EXPECT_EQ(utf8ForDisplay(odd), "x\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(systemFromWide(odd), "x\xEF\xBF\xBD\xEF\xBF\xBD\xFF");
}

}  // namespace
}  // namespace drvlaunch
