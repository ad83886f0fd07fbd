#include "web/PathTokenizer.h"

#include <gtest/gtest.h>

namespace {

using lensws::PathTokenizer;

TEST(PathTokenizer, SplitsTheRouteIntoSegments) {
    PathTokenizer path("/1.0/users/id");
    EXPECT_EQ(path.segment(), "");
    EXPECT_EQ(path.first(), "1.0");
    EXPECT_EQ(path.next(), "users");
    EXPECT_EQ(path.next(), "id");
    EXPECT_EQ(path.next(), "");
}

TEST(PathTokenizer, RunsOfSlashesAreSkipped) {
    PathTokenizer path("//1.0///admin//token/");
    EXPECT_EQ(path.first(), "1.0");
    EXPECT_EQ(path.next(), "admin");
    EXPECT_EQ(path.next(), "token");
    EXPECT_EQ(path.next(), "");
}

TEST(PathTokenizer, SkipCallsNextThatManyTimes) {
    PathTokenizer path("/1.0/admin/token/generate");
    EXPECT_EQ(path.skip(2), "admin");
    EXPECT_EQ(path.skip(2), "generate");
    EXPECT_EQ(path.skip(0), "generate");
    EXPECT_EQ(path.skip(-1), "generate");
}

TEST(PathTokenizer, FirstStartsOver) {
    PathTokenizer path("/1.0/lock");
    path.skip(2);
    EXPECT_EQ(path.first(), "1.0");
    EXPECT_EQ(path.next(), "lock");
}

TEST(PathTokenizer, AfterTheEmptyEndSegmentNextStartsOverAtTheBeginning) {
    PathTokenizer path("/1.0/");
    EXPECT_EQ(path.first(), "1.0");
    EXPECT_EQ(path.next(), "");
    EXPECT_EQ(path.next(), "1.0");
}

TEST(PathTokenizer, SegmentIsAViewIntoTheUri) {
    const char* uri = "/1.0/stream1";
    PathTokenizer path(uri);
    const std::string_view word = path.skip(2);
    EXPECT_EQ(word.data(), uri + 5);
    EXPECT_EQ(word.size(), 7u);
}

TEST(PathTokenizer, WithoutLeadingSlashAndEmptyUris) {
    PathTokenizer relative("1.0/info");
    EXPECT_EQ(relative.first(), "1.0");
    EXPECT_EQ(relative.next(), "info");
    PathTokenizer empty("");
    EXPECT_EQ(empty.first(), "");
    EXPECT_EQ(empty.next(), "");
    PathTokenizer slashes("///");
    EXPECT_EQ(slashes.first(), "");
    PathTokenizer none(nullptr);
    EXPECT_EQ(none.first(), "");
}

}  // namespace
