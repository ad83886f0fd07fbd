#include "capture/UserRecord.h"

#include <gtest/gtest.h>

#include <string>

#include "web/JsonText.h"
#include "web/RequestDocument.h"
#include "web/TextBody.h"
#include "web/WSMemPool.h"

namespace lensws {
namespace {

// The record read from the "userInfo" member of `body`; false when the reader refused it.
bool readRecord(const std::string& body, UserRecord& record) {
    webtest::TextBody source(body);
    alignas(8) char scratch[2048];
    RequestDocument request(source, scratch, sizeof scratch);
    return request.readMember("userInfo",
                              [&](const JsonValue& value) { return record.read(value); });
}

std::string written(const UserRecord& record) {
    return webtest::renderValue([&](JsonWriter& writer) { record.writeJson(writer); });
}

const char kComplete[] =
    R"({"userInfo": {"biographicInfo": {"name": "Alice", "age": 41, "address": "",)"
    R"( "phone": "555", "blob": "AAEC/w=="}, "pid": "P-7", "role": 2, "group": -1,)"
    R"( "irisTemplates": [{"submodality": "leftIris", "data": "AA=="}]}})";

// What is read is written back in the same form; empty texts and absent bytes are left out,
// and the templates are not read.
TEST(UserRecord, ReadsAndWritesTheSameForm) {
    WSMemPool::create();
    UserRecord record;
    record.irisTemplates.push_back({2, {1}});
    ASSERT_TRUE(readRecord(kComplete, record));
    EXPECT_TRUE(record.irisTemplates.empty());
    EXPECT_EQ(record.blob, (std::vector<std::uint8_t>{0, 1, 2, 255}));
    EXPECT_EQ(written(record),
              "{\n"
              "    \"biographicInfo\": {\n"
              "        \"name\": \"Alice\",\n"
              "        \"age\": 41,\n"
              "        \"phone\": \"555\",\n"
              "        \"blob\": \"AAEC/w==\"\n"
              "    },\n"
              "    \"pid\": \"P-7\",\n"
              "    \"role\": 2,\n"
              "    \"group\": -1\n"
              "}");

    record.blob.clear();
    record.irisTemplates.push_back({1, {0xFB, 0xFF}});
    record.irisTemplates.push_back({7, {}});
    EXPECT_EQ(written(record),
              "{\n"
              "    \"biographicInfo\": {\n"
              "        \"name\": \"Alice\",\n"
              "        \"age\": 41,\n"
              "        \"phone\": \"555\"\n"
              "    },\n"
              "    \"pid\": \"P-7\",\n"
              "    \"role\": 2,\n"
              "    \"group\": -1,\n"
              "    \"irisTemplates\": [\n"
              "        {\n"
              "            \"submodality\": \"rightIris\",\n"
              "            \"data\": \"+/8=\"\n"
              "        },\n"
              "        {\n"
              "            \"submodality\": \"unknownIris\"\n"
              "        }\n"
              "    ]\n"
              "}");
}

TEST(UserRecord, EveryMemberIsRequiredWithItsType) {
    const std::string biographic =
        R"("biographicInfo": {"name": "A", "age": 1, "address": "B", "phone": "C", "blob": ""})";
    const std::string rest = R"("pid": "D", "role": 1, "group": 2)";
    UserRecord record;
    ASSERT_TRUE(readRecord("{\"userInfo\": {" + biographic + ", " + rest + "}}", record));
    EXPECT_TRUE(record.blob.empty());

    const std::string refused[] = {
        R"({"userInfo": []})",
        "{\"userInfo\": {" + rest + "}}",
        R"({"userInfo": {"biographicInfo": "A", )" + rest + "}}",
        R"({"userInfo": {"biographicInfo": {"age": 1, "address": "B", "phone": "C", "blob": ""}, )" +
            rest + "}}",
        R"({"userInfo": {"biographicInfo": {"name": "A", "age": "1", "address": "B", "phone": "C", "blob": ""}, )" +
            rest + "}}",
        R"({"userInfo": {"biographicInfo": {"name": "A", "age": 1.5, "address": "B", "phone": "C", "blob": ""}, )" +
            rest + "}}",
        R"({"userInfo": {"biographicInfo": {"name": "A", "age": 1, "address": "B", "phone": "C"}, )" +
            rest + "}}",
        "{\"userInfo\": {" + biographic + R"(, "role": 1, "group": 2}})",
        "{\"userInfo\": {" + biographic + R"(, "pid": 4, "role": 1, "group": 2}})",
        "{\"userInfo\": {" + biographic + R"(, "pid": "D", "role": 1}})",
        "{\"userInfo\": {" + biographic + R"(, "pid": "D", "role": true, "group": 2}})",
        "{\"userInfo\": {" + biographic + R"(, "pid": "D", "role": 1, "group": 4294967295}})",
    };
    for (const std::string& body : refused) {
        EXPECT_FALSE(readRecord(body, record)) << body;
    }
}

}  // namespace
}  // namespace lensws
