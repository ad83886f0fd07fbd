#pragma once

#include <cstdint>

#include "web/MetaData.h"

namespace lensws {

// The device information of GET /1.0/deviceinfo, a dictionary named "deviceInfo".
class DeviceInfoMetaData : public MetaData {
public:
    explicit DeviceInfoMetaData(vtl_base_type::ByteAllocator& pool);

    // Adds the items in their order: "productID" (type 1), "productName" (6), "isBinocular"
    // (type 1: 1 or 0), "serialNumber" (6), "propertyFlag", "kernelVersion", "kernelRevision",
    // "deviceFeatures" (type 2 each).
    void addDeviceInfo(std::int32_t productId, const char* productName, bool isBinocular,
                       const char* serialNumber, std::uint32_t propertyFlag,
                       std::uint32_t kernelVersion, std::uint32_t kernelRevision,
                       std::uint32_t deviceFeatures);
};

}  // namespace lensws
