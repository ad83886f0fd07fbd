#include "web/CppMemory.h"

namespace vtl_base_type {

void* CppMemory::allocate(std::size_t n) {
    return new unsigned char[n];
}

void CppMemory::release(void* p) {
    delete[] static_cast<unsigned char*>(p);
}

}  // namespace vtl_base_type
