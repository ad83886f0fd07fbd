#include "imaging/EncoderFormat.h"

namespace lensws {

int encoderFormatFor(int serviceFormat) {
    switch (serviceFormat) {
        case 6:
            return kEncoderJpeg;
        case 10:
            return kEncoderJpeg2000;
        case 14:
            return kEncoderPng;
        default:
            return 0;
    }
}

}  // namespace lensws
