#pragma once

// The cameras found by the last device scan: at most five entries, each with the USB
// identifiers read from its device path, the path, its model name from the product table and
// a display name "<model> #<position>". The display names are also kept in five fixed name
// buffers of 64 bytes, which the scan hands out; they stay valid until the next scan.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sdk {

constexpr std::size_t kMaxScanEntries = 5;
constexpr std::size_t kDeviceNameSize = 64;

struct ScanEntry {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string path;
    char displayName[kDeviceNameSize] = {};
    char modelName[kDeviceNameSize] = {};
};

// Reads the vendor and product identifiers of a device path: the hexadecimal numbers right
// after the first "vid_" and the first "pid_". False when either is missing or too large.
bool parseDeviceIds(const std::string& path, std::uint16_t* vendorId, std::uint16_t* productId);

// Case-insensitive (ASCII) comparison, as device paths and names are compared.
bool equalsIgnoringCase(const std::string& a, const std::string& b);

class ScanList {
public:
    ScanList();
    ScanList(const ScanList&) = delete;
    ScanList& operator=(const ScanList&) = delete;

    // Empties the list and fills it, in the order given, with the paths of the maker's accepted
    // cameras; stops after the fifth. Returns the number of entries.
    std::size_t rebuild(const std::vector<std::string>& paths);
    void clear();

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const ScanEntry& entry(std::size_t index) const { return entries_[index]; }

    // The entry whose display name or model name is `name` (case-insensitive; the last match
    // wins), or -1.
    int find(const std::string& name) const;
    bool containsPath(const std::string& path) const;

    // The five name buffers, the first size() of them filled.
    const char* const* names() const { return namePointers_; }

private:
    std::vector<ScanEntry> entries_;
    char nameBuffers_[kMaxScanEntries][kDeviceNameSize];
    const char* namePointers_[kMaxScanEntries];
};

}  // namespace sdk
