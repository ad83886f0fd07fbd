#include "capture/DownloadVocabulary.h"

namespace lensws {

const char* const kImageFormatNames[kImageFormatCount] = {"image/raw",
                                                          "image/jpeg",
                                                          "image/jp2",
                                                          "image/png",
                                                          "image/vnd.vantrel.raw",
                                                          "image/vnd.vantrel.jp2"};
const std::uint8_t kImageFormatCodes[kImageFormatCount] = {
    2, kImageFormatJpeg, 10, kImageFormatPng, 130, 138};

const char* const kBiometricFormatNames[kBiometricFormatCount] = {"ISO/IEC 19794-6:2005",
                                                                  "ISO/IEC 19794-6:2011"};

namespace {

struct Term {
    std::string_view name;
    std::int32_t code;
};

constexpr Term kImageKinds[] = {
    {"KIND 1", 1},        {"KIND 2", 2},        {"KIND 3", 3},        {"KIND 7", 7},
    {"KIND 7_1_5", 4103}, {"KIND 7_2_5", 4104}, {"KIND 7_3_5", 4105}, {"KIND 7_5_0", 4106},
};

}  // namespace

std::int32_t imageFormatCode(std::string_view name) {
    for (std::size_t i = 0; i < kImageFormatCount; ++i) {
        if (name == kImageFormatNames[i]) {
            return kImageFormatCodes[i];
        }
    }
    return 0;
}

std::int32_t imageKindCode(std::string_view name) {
    for (const Term& term : kImageKinds) {
        if (term.name == name) {
            return term.code;
        }
    }
    return 0;
}

std::int32_t isoRevisionCode(std::string_view name) {
    if (name == "none") {
        return kNoIsoRecord;
    }
    for (std::size_t i = 0; i < kBiometricFormatCount; ++i) {
        if (name == kBiometricFormatNames[i]) {
            return static_cast<std::int32_t>(i) + 1;
        }
    }
    return 0;
}

const char* imageFormatName(std::int32_t code) {
    for (std::size_t i = 0; i < kImageFormatCount; ++i) {
        if (code == kImageFormatCodes[i]) {
            return kImageFormatNames[i];
        }
    }
    return kImageFormatNames[0];
}

}  // namespace lensws
