#include "Console.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "CapturedOutput.h"
#include "Utf8.h"

namespace drvlaunch {
namespace {

using testing::CapturedOutput;

TEST(Console, WritesUtf8WhateverTheLocale) {
    // The plain "C" locale can show no character above U+007F through the C library's wide
    // output; the console does not depend on it.
    std::setlocale(LC_ALL, "C");
    CapturedOutput output;
    Console console(output.fd());
    console.print(L"Application directory: /opt/\u03a9\u03bc\u03ad\u03b3\u03b1-\u65e5\u672c\n");
    console.print(L"\U0001F600");
    EXPECT_EQ(output.text(),
              "Application directory: /opt/\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1-"
              "\xE6\x97\xA5\xE6\x9C\xAC\n\xF0\x9F\x98\x80");
}

TEST(Console, ShowsAnUndecodableByteAsTheReplacementCharacter) {
    CapturedOutput output;
    Console console(output.fd());
    console.print(wideFromSystem("/tmp/\xFF\n"));
    EXPECT_EQ(output.text(), "/tmp/\xEF\xBF\xBD\n");
}

TEST(Console, LongTextIsWrittenWhole) {
    CapturedOutput output;
    Console console(output.fd());
    const std::wstring text(300000, L'\u00e9');
    console.print(text);
    EXPECT_EQ(output.text().size(), 600000u);
}

}  // namespace
}  // namespace drvlaunch
