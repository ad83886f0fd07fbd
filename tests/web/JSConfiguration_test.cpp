#include "web/JSConfiguration.h"

#include <gtest/gtest.h>

#include <string>

#include "web/InlineAllocator.h"
#include "web/JsonText.h"
#include "web/RequestDocument.h"
#include "web/TextBody.h"

namespace {

using lensws::JSConfiguration;
using lensws::JsonValue;
using lensws::MetadataItem;
using lensws::RequestDocument;
using webtest::TextBody;

// Reads `text` as a request body through the configuration reader, as POST /1.0/configure does.
class ConfigurationTest : public ::testing::Test {
protected:
    bool read(const std::string& text) {
        TextBody body(text);
        alignas(8) char scratch[2048];
        RequestDocument request(body, scratch, sizeof scratch);
        return request.readMember(
            "configuration", [this](const JsonValue& value) { return configuration.read(value); });
    }
    bool readItems(const std::string& items) {
        return read(R"({"configuration": {"item": [)" + items + "]}}");
    }

    vtl_base_type::InlineAllocator<2048> pool;
    JSConfiguration configuration{pool};
};

TEST_F(ConfigurationTest, TheDocumentTheServiceAccepts) {
    ASSERT_TRUE(read(R"({"configuration": {"item": [
        {"key": "deduplicationEnroll", "value": true},
        {"key": "genuineThreshold", "value": 1.05},
        {"key": "imposterThreshold", "value": 1.1},
        {"key": "qualityStreaming", "value": 50},
        {"key": "qualitySample", "value": 80}]}})"));
    bool dedup = false;
    float genuine = 0;
    float imposter = 0;
    std::int32_t streaming = 0;
    std::int32_t sample = 0;
    EXPECT_TRUE(configuration.getBool("deduplicationEnroll", dedup));
    EXPECT_TRUE(configuration.getFloat("genuineThreshold", genuine));
    EXPECT_TRUE(configuration.getFloat("imposterThreshold", imposter));
    EXPECT_TRUE(configuration.getInt("qualityStreaming", streaming));
    EXPECT_TRUE(configuration.getInt("qualitySample", sample));
    EXPECT_TRUE(dedup);
    EXPECT_EQ(genuine, 1.05f);
    EXPECT_EQ(imposter, 1.1f);
    EXPECT_EQ(streaming, 50);
    EXPECT_EQ(sample, 80);
    EXPECT_STREQ(configuration.name(), "configuration");
}

TEST_F(ConfigurationTest, WholeNumberIsAnIntegerNotAFloat) {
    ASSERT_TRUE(readItems(R"({"key": "genuineThreshold", "value": 1})"));
    float genuine = 0;
    EXPECT_FALSE(configuration.getFloat("genuineThreshold", genuine));
    std::int32_t asInt = 0;
    EXPECT_TRUE(configuration.getInt("genuineThreshold", asInt));
    EXPECT_EQ(asInt, 1);
}

TEST_F(ConfigurationTest, FractionOrExponentMakesAFloat) {
    ASSERT_TRUE(readItems(R"({"key": "a", "value": 1.0}, {"key": "b", "value": 2e0},
                             {"key": "c", "value": 50.5}, {"key": "d", "value": -3.4028234e38})"));
    float value = 0;
    EXPECT_TRUE(configuration.getFloat("a", value));
    EXPECT_EQ(value, 1.0f);
    EXPECT_TRUE(configuration.getFloat("b", value));
    EXPECT_EQ(value, 2.0f);
    std::int32_t asInt = 0;
    EXPECT_FALSE(configuration.getInt("c", asInt));
    EXPECT_TRUE(configuration.getFloat("d", value));
}

TEST_F(ConfigurationTest, ValueTypesInTheirOrder) {
    ASSERT_TRUE(readItems(R"(
        {"key": "int", "value": -2147483648},
        {"key": "uint", "value": 4294967295},
        {"key": "int64", "value": 4294967296},
        {"key": "negative64", "value": -2147483649},
        {"key": "text", "value": "x"},
        {"key": "bool", "value": false},
        {"key": "float", "value": 0.5},
        {"key": "double", "value": 3.5e38},
        {"key": "null", "value": null},
        {"key": "array", "value": [1, 2]})"));
    const auto type = [this](const char* key) {
        const MetadataItem* item = configuration.find(key);
        return item != nullptr ? static_cast<int>(item->valueType()) : -1;
    };
    EXPECT_EQ(type("int"), 1);
    EXPECT_EQ(type("uint"), 2);
    EXPECT_EQ(type("int64"), 0);
    EXPECT_EQ(type("negative64"), 0);
    EXPECT_EQ(type("text"), 6);
    EXPECT_EQ(type("bool"), 5);
    EXPECT_EQ(type("float"), 3);
    EXPECT_EQ(type("double"), 4);
    EXPECT_EQ(type("null"), 0);
    EXPECT_EQ(type("array"), 0);
    EXPECT_EQ(configuration.find("uint")->uintValue(), 4294967295u);
    EXPECT_EQ(configuration.find("double")->doubleValue(), 3.5e38);
    EXPECT_STREQ(configuration.find("text")->textValue(), "x");
}

TEST_F(ConfigurationTest, NullOrArrayValueReadsButTheLookUpFails) {
    ASSERT_TRUE(readItems(R"({"key": "deduplicationEnroll", "value": null},
                             {"key": "qualitySample", "value": [80]})"));
    bool dedup = false;
    std::int32_t sample = 0;
    EXPECT_FALSE(configuration.getBool("deduplicationEnroll", dedup));
    EXPECT_FALSE(configuration.getInt("qualitySample", sample));
}

TEST_F(ConfigurationTest, ObjectValueMakesTheWholeDocumentInvalid) {
    EXPECT_FALSE(readItems(R"({"key": "a", "value": 1}, {"key": "b", "value": {}})"));
}

TEST_F(ConfigurationTest, OnlyTheFirstItemOfAKeyCounts) {
    ASSERT_TRUE(readItems(R"({"key": "deduplicationEnroll", "value": 1},
                             {"key": "deduplicationEnroll", "value": true})"));
    bool dedup = false;
    EXPECT_FALSE(configuration.getBool("deduplicationEnroll", dedup));
    EXPECT_EQ(configuration.itemCount(), 2u);
}

TEST_F(ConfigurationTest, ElementsThatAreNotObjectsAreSkipped) {
    ASSERT_TRUE(readItems(R"(1, "two", null, [3], true, {"key": "qualitySample", "value": 80})"));
    EXPECT_EQ(configuration.itemCount(), 1u);
    std::int32_t sample = 0;
    EXPECT_TRUE(configuration.getInt("qualitySample", sample));
}

TEST_F(ConfigurationTest, ItemsNeedAStringKeyAndAValue) {
    EXPECT_FALSE(readItems(R"({"value": 1})"));
    EXPECT_FALSE(readItems(R"({"key": 5, "value": 1})"));
    EXPECT_FALSE(readItems(R"({"key": "a"})"));
}

TEST_F(ConfigurationTest, ConfigurationMustBeAnObjectWithAnItemArray) {
    EXPECT_FALSE(read(R"({"configuration": []})"));
    EXPECT_FALSE(read(R"({"configuration": {"items": []}})"));
    EXPECT_FALSE(read(R"({"configuration": {"item": {}}})"));
    EXPECT_FALSE(read(R"({"config": {"item": []}})"));
    EXPECT_TRUE(read(R"({"configuration": {"item": []}})"));
    EXPECT_EQ(configuration.itemCount(), 0u);
}

TEST_F(ConfigurationTest, KeysAreExactAndCaseSensitive) {
    ASSERT_TRUE(readItems(R"({"key": "QualitySample", "value": 80},
                             {"key": "qualitySample ", "value": 80})"));
    std::int32_t sample = 0;
    EXPECT_FALSE(configuration.getInt("qualitySample", sample));
}

TEST_F(ConfigurationTest, OtherKeysAreKeptAndWrittenBack) {
    ASSERT_TRUE(readItems(R"({"key": "genuineThreshold", "value": 1.05},
                             {"key": "extra", "value": "kept"})"));
    lensws::ResultDocument result;
    result.setStatus(lensws::ResultStatus::success);
    EXPECT_EQ(webtest::render(result, &configuration), R"({
    "status": "success",
    "configuration": [
        {
            "key": "genuineThreshold",
            "value": 1.050000
        },
        {
            "key": "extra",
            "value": "kept"
        }
    ]
})");
}

}  // namespace
