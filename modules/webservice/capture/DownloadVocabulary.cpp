#include "capture/ImageFormats.h"

namespace lensws {

const char* const kImageFormatNames[kImageFormatCount] = {"image/raw",
                                                          "image/jpeg",
                                                          "image/jp2",
                                                          "image/png",
                                                          "image/vnd.vantrel.raw",
                                                          "image/vnd.vantrel.jp2"};
const std::uint8_t kImageFormatCodes[kImageFormatCount] = {2, 6, 10, 14, 130, 138};

const char* const kBiometricFormatNames[kBiometricFormatCount] = {"ISO/IEC 19794-6:2005",
                                                                  "ISO/IEC 19794-6:2011"};

}  // namespace lensws
