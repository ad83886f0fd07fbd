#include "web/MetaData.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "web/DeviceInfoMetaData.h"
#include "web/DownloadMetaData.h"
#include "web/IdentifiedList.h"
#include "web/InlineAllocator.h"
#include "web/JsonText.h"

namespace {

using lensws::DeviceInfoMetaData;
using lensws::DownloadMetaData;
using lensws::IdentifiedList;
using lensws::MetaData;
using lensws::MetadataItem;
using lensws::ResultDocument;
using lensws::ResultStatus;
using webtest::render;

class MetaDataTest : public ::testing::Test {
protected:
    MetaDataTest() { result.setStatus(ResultStatus::success); }
    vtl_base_type::InlineAllocator<4096> pool;
    ResultDocument result;
};

TEST_F(MetaDataTest, DictionaryWithoutItemsWritesNothing) {
    MetaData empty(pool);
    EXPECT_EQ(render(result, &empty), "{\n    \"status\": \"success\"\n}");
}

TEST_F(MetaDataTest, NameDefaultsToMetadata) {
    MetaData plain(pool);
    MetaData unnamed(pool, "");
    MetaData named(pool, "gallery");
    EXPECT_STREQ(plain.name(), "metadata");
    EXPECT_STREQ(unnamed.name(), "metadata");
    EXPECT_STREQ(named.name(), "gallery");
}

TEST_F(MetaDataTest, TypedItemsInInsertionOrder) {
    MetaData info(pool);
    info.addInt("sessionTimeout", -600);
    info.addIntFromByte("byte", 255);
    info.addUint("lockStealingPreventionPeriod", 4000000000u);
    info.addFloat("genuineThreshold", 1.05f);
    info.addBool("deduplicationEnroll", true);
    info.addString("text", "a\tb");
    info.addString("emptyText", "");
    info.addInt("sessionTimeout", 1);  // duplicate keys are kept
    EXPECT_EQ(info.itemCount(), 8u);
    EXPECT_EQ(render(result, &info), R"({
    "status": "success",
    "metadata": [
        {
            "key": "sessionTimeout",
            "value": -600
        },
        {
            "key": "byte",
            "value": 255
        },
        {
            "key": "lockStealingPreventionPeriod",
            "value": 4000000000
        },
        {
            "key": "genuineThreshold",
            "value": 1.050000
        },
        {
            "key": "deduplicationEnroll",
            "value": true
        },
        {
            "key": "text",
            "value": "a\tb"
        },
        {
            "key": "emptyText"
        },
        {
            "key": "sessionTimeout",
            "value": 1
        }
    ]
})");
}

TEST_F(MetaDataTest, ItemWithoutKeyOrValue) {
    MetaData dictionary(pool);
    MetadataItem bare(pool);
    dictionary.addItem(bare);
    MetadataItem doubled(pool);
    doubled.setDouble(640);
    dictionary.addItem(doubled);
    EXPECT_EQ(render(result, &dictionary), R"({
    "status": "success",
    "metadata": [
        {},
        {
            "value": 640.0
        }
    ]
})");
}

// The configuration description of GET /1.0/configure after initialization.
TEST_F(MetaDataTest, ConfigurationDescriptionWithDescriptorsAndRanges) {
    MetaData description(pool);
    {
        MetadataItem item(pool);
        item.setKey("resolution");
        lensws::ParameterDescriptor& d = item.setDescriptor();
        d.setName("resolution");
        d.setReadOnly(true);
        d.setResolution(640, 480, "pixel");
        description.addItem(item);
    }
    const std::pair<const char*, int> qualities[] = {{"qualityStreaming", 50},
                                                     {"qualitySample", 80}};
    for (const auto& [key, quality] : qualities) {
        MetadataItem item(pool);
        item.setKey(key);
        item.setInt(quality);
        item.setRange(0, 100, true, true);
        description.addItem(item);
    }
    description.addFloat("genuineThreshold", 1.05f);
    description.addFloat("imposterThreshold", 1.1f);
    description.addBool("deduplicationEnroll", false);
    {
        MetadataItem item(pool);
        item.setKey("imageFormat");
        lensws::ParameterDescriptor& d = item.setDescriptor();
        d.setName("imageFormat");
        d.setReadOnly(true);
        const char* formats[] = {"image/raw",
                                 "image/jpeg",
                                 "image/jp2",
                                 "image/png",
                                 "image/vnd.vantrel.raw",
                                 "image/vnd.vantrel.jp2"};
        d.setStrings(formats, 6);
        description.addItem(item);
    }
    {
        MetadataItem item(pool);
        item.setKey("biometricFormat");
        lensws::ParameterDescriptor& d = item.setDescriptor();
        d.setName("biometricFormat");
        d.setReadOnly(true);
        const char* formats[] = {"ISO/IEC 19794-6:2005", "ISO/IEC 19794-6:2011"};
        d.setStrings(formats, 2);
        description.addItem(item);
    }
    EXPECT_EQ(render(result, &description), R"({
    "status": "success",
    "metadata": [
        {
            "key": "resolution",
            "value": {
                "name": "resolution",
                "type": "Resolution",
                "readOnly": true,
                "defaultValue": {
                    "width": 640.0,
                    "height": 480.0,
                    "unit": "pixel"
                }
            }
        },
        {
            "key": "qualityStreaming",
            "value": 50,
            "range": {
                "minimum": 0,
                "maximum": 100,
                "minimumIsExclusive": true,
                "maximumIsExclusive": true
            }
        },
        {
            "key": "qualitySample",
            "value": 80,
            "range": {
                "minimum": 0,
                "maximum": 100,
                "minimumIsExclusive": true,
                "maximumIsExclusive": true
            }
        },
        {
            "key": "genuineThreshold",
            "value": 1.050000
        },
        {
            "key": "imposterThreshold",
            "value": 1.100000
        },
        {
            "key": "deduplicationEnroll",
            "value": false
        },
        {
            "key": "imageFormat",
            "value": {
                "name": "imageFormat",
                "type": "String",
                "readOnly": true,
                "defaultValue": [
                    "image/raw",
                    "image/jpeg",
                    "image/jp2",
                    "image/png",
                    "image/vnd.vantrel.raw",
                    "image/vnd.vantrel.jp2"
                ]
            }
        },
        {
            "key": "biometricFormat",
            "value": {
                "name": "biometricFormat",
                "type": "String",
                "readOnly": true,
                "defaultValue": [
                    "ISO/IEC 19794-6:2005",
                    "ISO/IEC 19794-6:2011"
                ]
            }
        }
    ]
})");
}

// The service information of GET /1.0/info.
TEST_F(MetaDataTest, ServiceInformationWithAResourceDescriptor) {
    MetaData info(pool);
    info.addUint("sessionTimeout", 600);
    info.addUint("lockStealingPreventionPeriod", 30);
    MetadataItem preview(pool);
    preview.setKey("livePreview");
    lensws::ParameterDescriptor& d = preview.setDescriptor();
    d.setName("livePreview");
    d.setReadOnly(true);
    d.addResource("http://localhost:8081/1.0/stream", "multipart/x-mixed-replace", "livePreview");
    info.addItem(preview);
    EXPECT_EQ(render(result, &info), R"({
    "status": "success",
    "metadata": [
        {
            "key": "sessionTimeout",
            "value": 600
        },
        {
            "key": "lockStealingPreventionPeriod",
            "value": 30
        },
        {
            "key": "livePreview",
            "value": {
                "name": "livePreview",
                "type": "Resource",
                "readOnly": true,
                "defaultValue": [
                    {
                        "uri": "http://localhost:8081/1.0/stream",
                        "contentType": "multipart/x-mixed-replace",
                        "relationship": "livePreview"
                    }
                ]
            }
        }
    ]
})");
}

TEST_F(MetaDataTest, DescriptorCornerCases) {
    MetaData dictionary(pool);
    MetadataItem unset(pool);
    unset.setKey("unset");
    unset.setDescriptor();
    dictionary.addItem(unset);
    MetadataItem resources(pool);
    resources.setKey("resources");
    lensws::ParameterDescriptor& d = resources.setDescriptor();
    d.addResource("", nullptr, "rel");
    d.addResource("u2", "c2", "");
    dictionary.addItem(resources);
    MetadataItem emptyStrings(pool);
    emptyStrings.setKey("strings");
    emptyStrings.setDescriptor().setStrings(nullptr, 0);
    dictionary.addItem(emptyStrings);
    MetadataItem noUnit(pool);
    noUnit.setKey("size");
    noUnit.setDescriptor().setResolution(0.5, 1e21, nullptr);
    dictionary.addItem(noUnit);
    EXPECT_EQ(render(result, &dictionary), R"({
    "status": "success",
    "metadata": [
        {
            "key": "unset",
            "value": {
                "type": "Unknown",
                "readOnly": false
            }
        },
        {
            "key": "resources",
            "value": {
                "type": "Resource",
                "readOnly": false,
                "defaultValue": [
                    {
                        "relationship": "rel"
                    },
                    {
                        "uri": "u2",
                        "contentType": "c2"
                    }
                ]
            }
        },
        {
            "key": "strings",
            "value": {
                "type": "String",
                "readOnly": false
            }
        },
        {
            "key": "size",
            "value": {
                "type": "Resolution",
                "readOnly": false,
                "defaultValue": {
                    "width": 0.5,
                    "height": 1e21
                }
            }
        }
    ]
})");
}

TEST_F(MetaDataTest, DeviceInformation) {
    DeviceInfoMetaData device(pool);
    device.addDeviceInfo(0x1234, "IrisCam B2", true, "SN-0001", 1u, 0x00010002u, 7u, 0xFFFFFFFFu);
    EXPECT_EQ(render(result, &device), R"({
    "status": "success",
    "deviceInfo": [
        {
            "key": "productID",
            "value": 4660
        },
        {
            "key": "productName",
            "value": "IrisCam B2"
        },
        {
            "key": "isBinocular",
            "value": 1
        },
        {
            "key": "serialNumber",
            "value": "SN-0001"
        },
        {
            "key": "propertyFlag",
            "value": 1
        },
        {
            "key": "kernelVersion",
            "value": 65538
        },
        {
            "key": "kernelRevision",
            "value": 7
        },
        {
            "key": "deviceFeatures",
            "value": 4294967295
        }
    ]
})");
}

TEST_F(MetaDataTest, DownloadMetadataFollowsTheResultMembers) {
    DownloadMetaData download(pool);
    download.setImageFormat("image/jpeg");
    download.setSubmodality("rightIris");
    result.setSensorData("QUJD", 4);
    EXPECT_EQ(render(result, &download), R"({
    "status": "success",
    "sensorData": "QUJD",
    "metadata": [
        {
            "key": "imageFormat",
            "value": "image/jpeg"
        },
        {
            "key": "submodality",
            "value": "rightIris"
        }
    ]
})");
}

TEST_F(MetaDataTest, IdentifiedListComesLastWithFixedDistances) {
    IdentifiedList identified(pool);
    identified.reserve(1);
    identified.add("alice", 0.25f);
    identified.add("", 1.0f);
    identified.add("0123456789abcdef0123456789abcdefTOO_LONG", 2.0f);
    MetaData dictionary(pool);
    dictionary.addUint("usedIds", 3);
    result.addCaptureId("c");
    EXPECT_EQ(render(result, &dictionary, &identified), R"({
    "status": "success",
    "captureIds": [
        "c"
    ],
    "metadata": [
        {
            "key": "usedIds",
            "value": 3
        }
    ],
    "identified": [
        {
            "id": "alice",
            "distance": 0.250000
        },
        {
            "distance": 1.000000
        },
        {
            "id": "0123456789abcdef0123456789abcdef",
            "distance": 2.000000
        }
    ]
})");
}

TEST_F(MetaDataTest, EmptyIdentifiedListIsAnEmptyArray) {
    IdentifiedList identified(pool);
    EXPECT_EQ(render(result, nullptr, &identified),
              "{\n    \"status\": \"success\",\n    \"identified\": []\n}");
}

TEST_F(MetaDataTest, IdentifiedListGrowsBeyondItsReservation) {
    IdentifiedList identified(pool);
    for (int i = 0; i < 40; ++i) {
        identified.add(std::to_string(i).c_str(), static_cast<float>(i));
    }
    ASSERT_EQ(identified.size(), 40u);
    EXPECT_STREQ(identified[0].userId, "0");
    EXPECT_STREQ(identified[39].userId, "39");
    EXPECT_EQ(identified[39].distance, 39.0f);
    identified.clear();
    EXPECT_TRUE(identified.empty());
}

TEST_F(MetaDataTest, FindTakesTheFirstItemWithTheKey) {
    MetaData dictionary(pool);
    dictionary.addInt("a", 1);
    dictionary.addInt("a", 2);
    ASSERT_NE(dictionary.find("a"), nullptr);
    EXPECT_EQ(dictionary.find("a")->intValue(), 1);
    EXPECT_EQ(dictionary.find("A"), nullptr);
    int sum = 0;
    for (const MetadataItem& item : dictionary) {
        sum += item.intValue();
    }
    EXPECT_EQ(sum, 3);
}

}  // namespace
