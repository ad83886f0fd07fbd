/* LD_PRELOAD library counting heap allocations of a running program: every malloc, calloc,
 * realloc and aligned allocation (operator new included, which calls malloc). On SIGUSR2 it
 * writes "allocations=N frees=M" to standard error, so that a benchmark can read the counts
 * before and after a number of requests. */

#define _GNU_SOURCE
#include <signal.h>
#include <stdatomic.h>
#include <stddef.h>
#include <string.h>
#include <unistd.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* block, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);
extern void __libc_free(void* block);

static atomic_ulong allocations;
static atomic_ulong frees;

void* malloc(size_t size) {
    atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
    atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
    return __libc_realloc(block, size);
}

void* memalign(size_t alignment, size_t size) {
    atomic_fetch_add_explicit(&allocations, 1, memory_order_relaxed);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** out, size_t alignment, size_t size) {
    void* block = memalign(alignment, size);
    if (block == NULL) {
        return 12; /* ENOMEM */
    }
    *out = block;
    return 0;
}

void free(void* block) {
    if (block != NULL) {
        atomic_fetch_add_explicit(&frees, 1, memory_order_relaxed);
    }
    __libc_free(block);
}

static size_t appendNumber(char* out, unsigned long value) {
    char digits[24];
    size_t count = 0;
    do {
        digits[count++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (size_t i = 0; i < count; ++i) {
        out[i] = digits[count - 1 - i];
    }
    return count;
}

static void report(int signal) {
    (void)signal;
    char line[96];
    size_t length = 0;
    memcpy(line + length, "allocations=", 12);
    length += 12;
    length += appendNumber(line + length, atomic_load(&allocations));
    memcpy(line + length, " frees=", 7);
    length += 7;
    length += appendNumber(line + length, atomic_load(&frees));
    line[length++] = '\n';
    ssize_t written = write(STDERR_FILENO, line, length);
    (void)written;
}

__attribute__((constructor)) static void installReport(void) {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = report;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR2, &action, NULL);
}
