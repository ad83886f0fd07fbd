#include "web/DeviceInfoMetaData.h"

namespace lensws {

DeviceInfoMetaData::DeviceInfoMetaData(vtl_base_type::ByteAllocator& pool)
    : MetaData(pool, "deviceInfo") {}

void DeviceInfoMetaData::addDeviceInfo(std::int32_t productId, const char* productName,
                                       bool isBinocular, const char* serialNumber,
                                       std::uint32_t propertyFlag, std::uint32_t kernelVersion,
                                       std::uint32_t kernelRevision, std::uint32_t deviceFeatures) {
    addInt("productID", productId);
    addString("productName", productName);
    addInt("isBinocular", isBinocular ? 1 : 0);
    addString("serialNumber", serialNumber);
    addUint("propertyFlag", propertyFlag);
    addUint("kernelVersion", kernelVersion);
    addUint("kernelRevision", kernelRevision);
    addUint("deviceFeatures", deviceFeatures);
}

}  // namespace lensws
