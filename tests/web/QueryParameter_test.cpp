#include "web/QueryParameter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using lensws::lookupQueryParameter;
using lensws::QueryValue;

QueryValue find(const char* query, const char* name) {
    return lookupQueryParameter(query, std::strlen(query), name);
}

TEST(QueryParameter, ValueRunsToTheNextAmpersandOrTheEnd) {
    const char* query = "session_id=abc&user_id=u1";
    QueryValue session = find(query, "session_id");
    ASSERT_TRUE(session.present());
    EXPECT_EQ(session.view(), "abc");
    EXPECT_EQ(session.data(), query + 11);
    EXPECT_EQ(session.length(), 3u);
    EXPECT_EQ(find(query, "user_id").view(), "u1");
}

TEST(QueryParameter, EqualsThenAmpersandGivesAnEmptyValue) {
    QueryValue value = find("session_id=&user_id=x", "session_id");
    ASSERT_TRUE(value.present());
    EXPECT_EQ(value.length(), 0u);
}

TEST(QueryParameter, EqualsAtTheVeryEndIsAbsent) {
    QueryValue value = find("user_id=x&session_id=", "session_id");
    EXPECT_FALSE(value.present());
    EXPECT_EQ(value.data(), nullptr);
    EXPECT_EQ(value.length(), 0u);
}

TEST(QueryParameter, NameMustStandAtTheStartOrAfterAmpersand) {
    EXPECT_FALSE(find("xsession_id=abc", "session_id").present());
    EXPECT_EQ(find("xsession_id=abc&session_id=def", "session_id").view(), "def");
    EXPECT_FALSE(find("a=1;session_id=abc", "session_id").present());
}

TEST(QueryParameter, NameMustBeFollowedByEquals) {
    EXPECT_FALSE(find("session_id", "session_id").present());
    EXPECT_FALSE(find("session_idx=1", "session_id").present());
    EXPECT_EQ(find("session_idx=1&session_id=2", "session_id").view(), "2");
    EXPECT_FALSE(find("session_id&x=1", "session_id").present());
}

TEST(QueryParameter, AnOccurrenceInsideAValueDoesNotCount) {
    EXPECT_EQ(find("a=session_id=1&session_id=2", "session_id").view(), "2");
    EXPECT_EQ(find("a=x&session_id=1", "x").view(), "");
    EXPECT_FALSE(find("a=b", "b").present());
}

TEST(QueryParameter, FirstCountingOccurrenceWins) {
    EXPECT_EQ(find("id=1&id=2", "id").view(), "1");
}

TEST(QueryParameter, AbsentForEmptyNamesAndQueries) {
    EXPECT_FALSE(find("a=1", "").present());
    EXPECT_FALSE(find("&a=1", "&a").present());
    EXPECT_FALSE(find("", "a").present());
    EXPECT_FALSE(lookupQueryParameter(nullptr, 5, "a").present());
    EXPECT_FALSE(lookupQueryParameter("a=1", 0, "a").present());
    EXPECT_FALSE(lookupQueryParameter("a=1", nullptr).present());
    EXPECT_FALSE(lookupQueryParameter(static_cast<const char*>(nullptr), "a").present());
}

TEST(QueryParameter, ValuesAreTakenAsTheyStand) {
    EXPECT_EQ(find("user_id=a%2Db", "user_id").view(), "a%2Db");
    EXPECT_EQ(find("user_id=a+b", "user_id").view(), "a+b");
    EXPECT_EQ(find("user_id= a b ", "user_id").view(), " a b ");
    EXPECT_EQ(find("user_id=a=b", "user_id").view(), "a=b");
}

TEST(QueryParameter, NamesAreCaseSensitive) {
    EXPECT_FALSE(find("Session_Id=1", "session_id").present());
    EXPECT_EQ(find("Session_Id=1&session_id=2", "session_id").view(), "2");
}

TEST(QueryParameter, TheLengthBoundsTheSearch) {
    const char* query = "a=1&session_id=abcdef";
    // The text beyond the given length is not part of the query.
    EXPECT_EQ(lookupQueryParameter(query, 18, "session_id").view(), "abc");
    EXPECT_FALSE(lookupQueryParameter(query, 15, "session_id").present());
    EXPECT_FALSE(lookupQueryParameter(query, 14, "session_id").present());
    EXPECT_FALSE(lookupQueryParameter(query, 10, "session_id").present());
}

TEST(QueryParameter, ControlCharactersAndInvalidUtf8AreOrdinaryBytes) {
    const std::string query = std::string("x=\x01\xff\xfe&id=\x80\n", 11);
    QueryValue value = lookupQueryParameter(query.data(), query.size(), "id");
    ASSERT_TRUE(value.present());
    EXPECT_EQ(value.view(), std::string("\x80\n"));
    const std::string withZero = std::string("a=\0&id=7", 8);
    EXPECT_EQ(lookupQueryParameter(withZero.data(), withZero.size(), "id").view(), "7");
}

TEST(QueryParameter, ZeroTerminatedOverload) {
    EXPECT_EQ(lookupQueryParameter("session_id=1&b=2", "b").view(), "2");
}

}  // namespace
