#include "sdk/ProductTable.h"

namespace sdk {

const ProductEntry kProducts[kProductCount] = {
    {0x2001, "Tavisor CMX-2000", 0x01000000},  {0x2002, "Tavisor CMX-2000S", 0x01000000},
    {0x2003, "Tavisor CMX-2100", 0x02000000},  {0x2004, "Tavisor CMX-2100S", 0x02000000},
    {0x2101, "Tavisor CMX-2000D", 0x01010000}, {0x2102, "Tavisor CMX-2000DS", 0x01010000},
    {0x2103, "Tavisor CMX-2200D", 0x02010000}, {0x2104, "Tavisor CMX-2200DS", 0x02010000},
};

const ProductEntry* findProduct(std::uint16_t productId) {
    for (const ProductEntry& entry : kProducts) {
        if (entry.productId == productId) {
            return &entry;
        }
    }
    return nullptr;
}

const ProductEntry& defaultProduct(bool binocular) {
    for (const ProductEntry& entry : kProducts) {
        if (isBinocularType(entry.typeCode) == binocular) {
            return entry;
        }
    }
    return kProducts[0];
}

}  // namespace sdk
