// Fuzzes the configuration file reader: any bytes as config.ini, with predefined variables, then
// the settings the service takes from it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "service/ConfigFile.h"
#include "service/ServiceConfiguration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    if (file == nullptr) {
        return 0;
    }
    static const std::vector<std::string> predefined = {"HOME=/srv/ocu", "SELF=%SELF%%SELF%",
                                                        "EMPTY=", "BARE"};
    lensws::ConfigFile config;
    config.read(file, "fuzz.ini", predefined);
    std::fclose(file);

    lensws::ServiceConfiguration settings;
    std::string problem;
    settings.apply(config, "/srv/ocu", problem);
    for (const char* key : {"SERVER_PORTS", "", "A", "%"}) {
        if (config.get(key).size() > lensws::ConfigFile::kMaxValueLength) {
            __builtin_trap();
        }
        if (const lensws::ConfigFile* block = config.block(key)) {
            block->get(key);
        }
    }
    return 0;
}
