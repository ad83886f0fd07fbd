#include "web/WSMemPool.h"

#include <atomic>

namespace lensws {

namespace {

using vtl_base_type::ByteAllocator;
using vtl_base_type::ServiceMemoryPool;

// The first chunk of the process-wide allocator.
alignas(8) unsigned char staticArea[WSMemPool::kStaticAreaSize];

std::atomic<ByteAllocator*> allocator{nullptr};
std::atomic<ServiceMemoryPool*> pool{nullptr};

}  // namespace

void WSMemPool::create() {
    if (allocator.load() == nullptr) {
        allocator.store(new ByteAllocator(staticArea, kStaticAreaSize, kGrowthStep));
    }
    if (pool.load() == nullptr) {
        pool.store(new ServiceMemoryPool(allocator.load()));
    }
}

ServiceMemoryPool* WSMemPool::access() {
    return pool.load();
}

void WSMemPool::releaseBlock(void* block) {
    ServiceMemoryPool* p = pool.load();
    if (block != nullptr && p != nullptr) {
        p->release(block);
    }
}

void WSMemPool::release(std::FILE* out) {
    delete pool.exchange(nullptr);
    ByteAllocator* a = allocator.exchange(nullptr);
    if (a != nullptr) {
        std::fprintf(out, "\nWSMemPool: Size: %10d, Capacity: %10d \n", static_cast<int>(a->size()),
                     static_cast<int>(a->capacity()));
        delete a;
    }
}

}  // namespace lensws
