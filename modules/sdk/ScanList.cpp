#include "sdk/ScanList.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "sdk/ProductTable.h"

namespace sdk {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool parseHexAfter(const std::string& path, const char* marker, std::uint16_t* value) {
    const std::size_t at = path.find(marker);
    if (at == std::string::npos) {
        return false;
    }
    std::uint32_t number = 0;
    std::size_t digits = 0;
    for (std::size_t i = at + std::strlen(marker); i < path.size(); ++i) {
        const int digit = hexValue(path[i]);
        if (digit < 0) {
            break;
        }
        number = number * 16 + static_cast<std::uint32_t>(digit);
        if (number > 0xFFFF) {
            return false;
        }
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    *value = static_cast<std::uint16_t>(number);
    return true;
}

}  // namespace

bool parseDeviceIds(const std::string& path, std::uint16_t* vendorId, std::uint16_t* productId) {
    return parseHexAfter(path, "vid_", vendorId) && parseHexAfter(path, "pid_", productId);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

ScanList::ScanList() : nameBuffers_{} {
    for (std::size_t i = 0; i < kMaxScanEntries; ++i) {
        namePointers_[i] = nameBuffers_[i];
    }
}

void ScanList::clear() {
    entries_.clear();
    std::memset(nameBuffers_, 0, sizeof nameBuffers_);
}

std::size_t ScanList::rebuild(const std::vector<std::string>& paths) {
    clear();
    for (const std::string& path : paths) {
        if (entries_.size() == kMaxScanEntries) {
            break;
        }
        ScanEntry entry;
        if (!parseDeviceIds(path, &entry.vendorId, &entry.productId) ||
            entry.vendorId != kVendorId) {
            continue;
        }
        const ProductEntry* product = findProduct(entry.productId);
        if (product == nullptr) {
            continue;
        }
        entry.path = path;
        std::snprintf(entry.modelName, sizeof entry.modelName, "%s", product->modelName);
        std::snprintf(entry.displayName, sizeof entry.displayName, "%s #%d", product->modelName,
                      static_cast<int>(entries_.size() + 1));
        std::memcpy(nameBuffers_[entries_.size()], entry.displayName, kDeviceNameSize);
        entries_.push_back(std::move(entry));
    }
    return entries_.size();
}

int ScanList::find(const std::string& name) const {
    int match = -1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (equalsIgnoringCase(name, entries_[i].displayName) ||
            equalsIgnoringCase(name, entries_[i].modelName)) {
            match = static_cast<int>(i);
        }
    }
    return match;
}

bool ScanList::containsPath(const std::string& path) const {
    for (const ScanEntry& entry : entries_) {
        if (equalsIgnoringCase(entry.path, path)) {
            return true;
        }
    }
    return false;
}

}  // namespace sdk
