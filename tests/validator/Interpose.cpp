// Counts heap allocations and lock calls made by threads marked as inside
// processing. The program replaces the C allocator and the pthread locking
// calls for the whole process (it is linked with -rdynamic, so the dlopen'ed
// plug-in binds to these too) and forwards to glibc's own functions.
#include <atomic>
#include <cstddef>

#include "tests/validator/Realtime.h"

namespace validator {

namespace {
// Constant-initialised, so reading it needs no allocation or lock of its own.
thread_local std::atomic<bool> inside{false};
std::atomic<long> allocations{0};
std::atomic<long> locks{0};
}  // namespace

void markProcessing(bool on) { inside.store(on); }
std::atomic<bool>& processingMark() { return inside; }

}  // namespace validator

using validator::inside;

// The C allocator is replaced only without ASan or TSan: their own allocators
// must see every block.
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && defined(__GLIBC__)
static inline void countAllocation() {
    if (inside.load(std::memory_order_relaxed)) validator::allocations.fetch_add(1, std::memory_order_relaxed);
}
// Each allocating call counts, then hands the request to glibc.
#define HOK_COUNTED_ALLOC(type, name, params, call) \
    type name params {                              \
        countAllocation();                          \
        return call;                                \
    }
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
HOK_COUNTED_ALLOC(void*, malloc, (size_t n), __libc_malloc(n))
HOK_COUNTED_ALLOC(void*, calloc, (size_t a, size_t b), __libc_calloc(a, b))
HOK_COUNTED_ALLOC(void*, realloc, (void* p, size_t n), __libc_realloc(p, n))
HOK_COUNTED_ALLOC(void*, memalign, (size_t a, size_t n), __libc_memalign(a, n))
HOK_COUNTED_ALLOC(void*, aligned_alloc, (size_t a, size_t n), __libc_memalign(a, n))
HOK_COUNTED_ALLOC(int, posix_memalign, (void** p, size_t a, size_t n), (*p = __libc_memalign(a, n)) ? 0 : 12)
void free(void* p) { __libc_free(p); }
}
long validator::allocationsCounted() { return allocations.load(); }
#elif defined(__SANITIZE_ADDRESS__) && defined(__linux__)
// ASan keeps its allocator but reports every block it hands out to a hook.
// (Declared here: GCC installs the sanitizer runtime without its headers.)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
static void onAllocation(const volatile void*, size_t) {
    if (inside.load(std::memory_order_relaxed)) validator::allocations.fetch_add(1, std::memory_order_relaxed);
}
static void onRelease(const volatile void*) {}
static const bool hooked = __sanitizer_install_malloc_and_free_hooks(onAllocation, onRelease) != 0;
long validator::allocationsCounted() { return hooked ? allocations.load() : -1; }
#else
long validator::allocationsCounted() { return -1; }
#endif

// TSan replaces the locking calls itself and tracks every mutex through them.
#if defined(__linux__) && defined(__GLIBC__) && !defined(__SANITIZE_THREAD__)
#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

namespace {
// The next definition of `name` after this program's: glibc's, or a
// sanitizer's wrapper around it. Looked up once; a repeated look-up by a
// racing thread finds the same function.
template <typename F>
F next(std::atomic<void*>& slot, const char* name) {
    void* f = slot.load(std::memory_order_acquire);
    if (!f) {
        f = dlsym(RTLD_NEXT, name);
        slot.store(f, std::memory_order_release);
    }
    return reinterpret_cast<F>(f);
}
}  // namespace

#define HOK_COUNTED_LOCK(name, params, args, ...)                                              \
    extern "C" int name params __VA_ARGS__ {                                                   \
        static std::atomic<void*> slot{nullptr};                                               \
        if (inside.load(std::memory_order_relaxed)) validator::locks.fetch_add(1, std::memory_order_relaxed); \
        return next<int(*) params>(slot, #name) args;                                          \
    }

HOK_COUNTED_LOCK(pthread_mutex_lock, (pthread_mutex_t * m), (m), noexcept)
HOK_COUNTED_LOCK(pthread_mutex_trylock, (pthread_mutex_t * m), (m), noexcept)
HOK_COUNTED_LOCK(pthread_mutex_timedlock, (pthread_mutex_t * m, const struct timespec* t), (m, t), noexcept)
HOK_COUNTED_LOCK(pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l), noexcept)
HOK_COUNTED_LOCK(pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l), noexcept)
HOK_COUNTED_LOCK(pthread_rwlock_tryrdlock, (pthread_rwlock_t * l), (l), noexcept)
HOK_COUNTED_LOCK(pthread_rwlock_trywrlock, (pthread_rwlock_t * l), (l), noexcept)
HOK_COUNTED_LOCK(pthread_rwlock_timedrdlock, (pthread_rwlock_t * l, const struct timespec* t), (l, t), noexcept)
HOK_COUNTED_LOCK(pthread_rwlock_timedwrlock, (pthread_rwlock_t * l, const struct timespec* t), (l, t), noexcept)
HOK_COUNTED_LOCK(pthread_spin_lock, (pthread_spinlock_t * l), (l), noexcept)
HOK_COUNTED_LOCK(pthread_spin_trylock, (pthread_spinlock_t * l), (l), noexcept)
HOK_COUNTED_LOCK(sem_wait, (sem_t * s), (s))
HOK_COUNTED_LOCK(sem_trywait, (sem_t * s), (s), noexcept)
HOK_COUNTED_LOCK(sem_timedwait, (sem_t * s, const struct timespec* t), (s, t))

long validator::locksCounted() { return locks.load(); }
#else
long validator::locksCounted() { return -1; }
#endif
