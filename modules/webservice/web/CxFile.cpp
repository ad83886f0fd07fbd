#include "web/CxFile.h"

namespace vtl_base_type {

CxFile::~CxFile() = default;

bool CxFile::putByte(unsigned char c) {
    return write(&c, 1, 1) == 1;
}

}  // namespace vtl_base_type
