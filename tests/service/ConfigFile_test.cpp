#include "service/ConfigFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace lensws {
namespace {

using testsupport::TempDir;

class ConfigFileTest : public ::testing::Test {
protected:
    // Loads `text` as a file and returns whether it loaded.
    bool load(const std::string& text, const std::vector<std::string>& predefined = {}) {
        return config.load(directory.write("config.ini", text).c_str(), predefined);
    }

    TempDir directory;
    ConfigFile config;
};

TEST_F(ConfigFileTest, MissingFileDoesNotLoad) {
    EXPECT_FALSE(config.load(directory.file("absent.ini").c_str()));
    EXPECT_EQ(config.get("SERVER_PORTS"), "");
}

TEST_F(ConfigFileTest, EmptyFileLoads) {
    EXPECT_TRUE(load(""));
    EXPECT_EQ(config.get(""), "");
}

TEST_F(ConfigFileTest, BlanksAroundTheEqualsSignDoNotMatter) {
    ASSERT_TRUE(load("SERVER_PORTS = 9000\nOTHER=9001\n\t TABBED\t=\t x y \t\r\n"));
    EXPECT_EQ(config.get("SERVER_PORTS"), "9000");
    EXPECT_EQ(config.get("OTHER"), "9001");
    EXPECT_EQ(config.get("TABBED"), "x y");
}

TEST_F(ConfigFileTest, OnlyTheFirstEqualsSignSplits) {
    ASSERT_TRUE(load("PAIR = a=b=c\n"));
    EXPECT_EQ(config.get("PAIR"), "a=b=c");
}

TEST_F(ConfigFileTest, KeysAndValuesAreCaseSensitiveAndNotUnescaped) {
    ASSERT_TRUE(load("Key = Value%20\\n\n"));
    EXPECT_EQ(config.get("Key"), "Value%20\\n");
    EXPECT_EQ(config.get("KEY"), "");
}

TEST_F(ConfigFileTest, CommentIsOnlyAHashAtTheVeryStart) {
    ASSERT_TRUE(load("#SERVER_PORTS = 1\n #SERVER_PORTS = 2\n"));
    EXPECT_EQ(config.get("SERVER_PORTS"), "");
    EXPECT_EQ(config.get("#SERVER_PORTS"), "2");
}

TEST_F(ConfigFileTest, HashInsideALineIsPartOfTheValue) {
    ASSERT_TRUE(load("COLOUR = #ff0000 # red\n"));
    EXPECT_EQ(config.get("COLOUR"), "#ff0000 # red");
}

TEST_F(ConfigFileTest, QuotesAreRemovedOnceAtEachEnd) {
    ASSERT_TRUE(
        load("A = \"/path with blanks/x.pem\"\nB = \"\"q\"\"\nC = \"open\nD = close\"\n"
             "E = \"\n\"F\" = 1\n"));
    EXPECT_EQ(config.get("A"), "/path with blanks/x.pem");
    EXPECT_EQ(config.get("B"), "\"q\"");
    EXPECT_EQ(config.get("C"), "open");
    EXPECT_EQ(config.get("D"), "close");
    EXPECT_EQ(config.get("E"), "\"");
    EXPECT_EQ(config.get("F"), "1");
}

TEST_F(ConfigFileTest, EmptyValuesAreEmptyNotALineEnd) {
    ASSERT_TRUE(load("A =\nB = \r\nC = \"\"\nE=\n"));
    EXPECT_EQ(config.get("A"), "");
    EXPECT_EQ(config.get("B"), "");
    EXPECT_EQ(config.get("C"), "");
    EXPECT_EQ(config.get("E"), "");
}

TEST_F(ConfigFileTest, ALastLineWithoutLineEndCounts) {
    ASSERT_TRUE(load("A = 1\nLAST = 2"));
    EXPECT_EQ(config.get("LAST"), "2");
}

TEST_F(ConfigFileTest, LinesOfTwoCharactersOrLessAreNoKeys) {
    // The line end counts: "=1" alone is two characters, "=1" with its line end three.
    ASSERT_TRUE(load("=1"));
    EXPECT_EQ(config.get(""), "");
    ASSERT_TRUE(load("=1\n"));
    EXPECT_EQ(config.get(""), "1");
    ASSERT_TRUE(load("=1\r\n"));
    EXPECT_EQ(config.get(""), "1");
}

TEST_F(ConfigFileTest, LeadingEqualsSignGivesTheEmptyKey) {
    ASSERT_TRUE(load("= value\n"));
    EXPECT_EQ(config.get(""), "value");
}

TEST_F(ConfigFileTest, LaterValueReplacesEarlier) {
    ASSERT_TRUE(load("A = 1\nA = 2\n"));
    EXPECT_EQ(config.get("A"), "2");
}

TEST_F(ConfigFileTest, LineWithAClosingParenthesisIsNoKey) {
    ASSERT_TRUE(load("A = f(x)\nB = 1\n"));
    EXPECT_EQ(config.get("A"), "");
    EXPECT_EQ(config.get("B"), "1");
}

TEST_F(ConfigFileTest, BlocksHoldTheirOwnKeys) {
    ASSERT_TRUE(
        load("TOP = 1\nSERVER = (\nPORT = 80\nINNER = (\nDEEP = yes\n)\nAFTER = 2\n)\n"
             "BACK = 3\n"));
    EXPECT_EQ(config.get("TOP"), "1");
    EXPECT_EQ(config.get("BACK"), "3");
    EXPECT_EQ(config.get("PORT"), "");
    EXPECT_EQ(config.get("SERVER"), "");
    const ConfigFile* server = config.block("SERVER");
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->get("PORT"), "80");
    EXPECT_EQ(server->get("AFTER"), "2");
    EXPECT_EQ(server->get("DEEP"), "");
    EXPECT_EQ(server->fileName(), "SERVER, " + directory.file("config.ini"));
    const ConfigFile* inner = server->block("INNER");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->get("DEEP"), "yes");
    EXPECT_EQ(inner->fileName(), "INNER, " + directory.file("config.ini"));
}

TEST_F(ConfigFileTest, ReopenedBlockReplacesTheOlder) {
    ASSERT_TRUE(load("B = (\nX = 1\n)\nB = (\nY = 2\n)\n"));
    ASSERT_NE(config.block("B"), nullptr);
    EXPECT_EQ(config.block("B")->get("X"), "");
    EXPECT_EQ(config.block("B")->get("Y"), "2");
}

TEST_F(ConfigFileTest, AnyLineWithAClosingParenthesisClosesTheBlock) {
    ASSERT_TRUE(load("B = (\nX = 1\n  ) trailing words\nTOP = 2\n"));
    EXPECT_EQ(config.get("TOP"), "2");
    EXPECT_EQ(config.block("B")->get("TOP"), "");
}

TEST_F(ConfigFileTest, CommentedClosingLineDoesNotClose) {
    ASSERT_TRUE(load("B = (\n#)\nX = 1\n)\n"));
    EXPECT_EQ(config.get("X"), "");
    EXPECT_EQ(config.block("B")->get("X"), "1");
}

TEST_F(ConfigFileTest, StrayClosingLineLeavesTheTopLevelInPlace) {
    ASSERT_TRUE(load(")\n)\nA = 1\nB = (\n)\n)\nC = 2\n"));
    EXPECT_EQ(config.get("A"), "1");
    EXPECT_EQ(config.get("C"), "2");
}

TEST_F(ConfigFileTest, UnclosedBlockKeepsItsKeys) {
    ASSERT_TRUE(load("B = (\nX = 1\n"));
    EXPECT_EQ(config.block("B")->get("X"), "1");
}

TEST_F(ConfigFileTest, ReferencesExpandToEarlierValues) {
    ASSERT_TRUE(
        load("ROOT = /srv\nDATA = %ROOT%/data\nLOG = %DATA%/log and %ROOT%\n"
             "LATE = %LATER%\nLATER = x\n"));
    EXPECT_EQ(config.get("DATA"), "/srv/data");
    EXPECT_EQ(config.get("LOG"), "/srv/data/log and /srv");
    EXPECT_EQ(config.get("LATE"), "%LATER%");
}

TEST_F(ConfigFileTest, EveryOccurrenceIsReplacedPassByPass) {
    ASSERT_TRUE(load("A = x\nB = %A%-%A%-%A%\n"));
    EXPECT_EQ(config.get("B"), "x-x-x");
}

TEST_F(ConfigFileTest, InnerBlockNamesComeBeforeOuterOnes) {
    ASSERT_TRUE(
        load("NAME = outer\nONLY = top\nB = (\nNAME = inner\nV = %NAME%/%ONLY%\n)\n"
             "W = %NAME%\n"));
    EXPECT_EQ(config.block("B")->get("V"), "inner/top");
    EXPECT_EQ(config.get("W"), "outer");
}

TEST_F(ConfigFileTest, PredefinedVariablesExpandLast) {
    ASSERT_TRUE(load("A = %HOME%/a\nHOME = shadow\nB = %HOME%/b\nC = %EMPTY%|%BARE%|\n",
                     {"HOME=/home/x=y", "EMPTY=", "BARE"}));
    EXPECT_EQ(config.get("A"), "/home/x=y/a");
    EXPECT_EQ(config.get("B"), "shadow/b");
    EXPECT_EQ(config.get("C"), "||");
}

TEST_F(ConfigFileTest, SelfReferenceExpandsWithinBounds) {
    ASSERT_TRUE(load("A = x%A%\nA = %A%\nB = %B%%B%\nB = %B%\n"));
    std::string a = config.get("A");
    EXPECT_EQ(a.size(), static_cast<std::size_t>(ConfigFile::kMaxExpansionPasses) + 3);
    EXPECT_EQ(a.substr(a.size() - 4), "x%A%");
    EXPECT_LE(config.get("B").size(), ConfigFile::kMaxValueLength);
}

TEST_F(ConfigFileTest, ExpansionStopsBeforeTheLengthBound) {
    std::string text = "A = " + std::string(1000, 'a') + "\n";
    std::string previous = "A";
    for (int i = 0; i < 12; ++i) {
        std::string name = "N" + std::to_string(i);
        text += name + " = %" + previous + "%%" + previous + "%\n";
        previous = name;
    }
    ASSERT_TRUE(load(text));
    EXPECT_EQ(config.get("N5").size(), 64000u);
    EXPECT_LE(config.get("N11").size(), ConfigFile::kMaxValueLength);
}

TEST_F(ConfigFileTest, LongLinesAreReadInPiecesOf1023) {
    // "LONG = " and 1016 characters fill the first piece; the rest is a line of its own.
    ASSERT_TRUE(load("LONG = " + std::string(1016, 'v') + "X = tail\nNEXT = 1\n"));
    EXPECT_EQ(config.get("LONG"), std::string(1016, 'v'));
    EXPECT_EQ(config.get("X"), "tail");
    EXPECT_EQ(config.get("NEXT"), "1");
}

TEST_F(ConfigFileTest, ReloadingForgetsThePreviousContents) {
    ASSERT_TRUE(load("A = 1\nB = (\n)\n"));
    ASSERT_TRUE(load("C = 2\n"));
    EXPECT_EQ(config.get("A"), "");
    EXPECT_EQ(config.block("B"), nullptr);
    EXPECT_EQ(config.get("C"), "2");
}

}  // namespace
}  // namespace lensws
