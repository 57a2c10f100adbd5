// The validator defines the C allocation and blocking-lock functions itself, so that the
// plug-in's calls (and those of the C++ runtime it uses) land here first; they forward to the C
// library. Counting is per thread and only inside the plug-in's real-time calls.
#include "CallCounter.h"

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {

enum Kind { Malloc, Calloc, Realloc, AlignedAlloc, Free, MutexLock, RwLock, SemWait, CondWait, KindCount };
const char* const kKindNames[KindCount] = {"malloc",
                                           "calloc",
                                           "realloc",
                                           "aligned allocation",
                                           "free",
                                           "pthread_mutex_lock",
                                           "pthread_rwlock lock",
                                           "sem_wait",
                                           "pthread_cond_wait"};

thread_local bool countingHere = false;
std::atomic<long> counts[KindCount];

inline void count(Kind kind)
{
    if (countingHere)
        counts[kind].fetch_add(1, std::memory_order_relaxed);
}

template <class Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

void* malloc(size_t size)
{
    count(Malloc);
    return __libc_malloc(size);
}

void* calloc(size_t n, size_t size)
{
    count(Calloc);
    return __libc_calloc(n, size);
}

void* realloc(void* p, size_t size)
{
    count(Realloc);
    return __libc_realloc(p, size);
}

void free(void* p)
{
    if (p)
        count(Free);
    __libc_free(p);
}

void* memalign(size_t alignment, size_t size)
{
    count(AlignedAlloc);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    count(AlignedAlloc);
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size)
{
    count(AlignedAlloc);
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)))
        return EINVAL;
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    static auto real = next<int (*)(pthread_mutex_t*)>("pthread_mutex_lock");
    count(MutexLock);
    return real(mutex);
}

int pthread_rwlock_rdlock(pthread_rwlock_t* lock)
{
    static auto real = next<int (*)(pthread_rwlock_t*)>("pthread_rwlock_rdlock");
    count(RwLock);
    return real(lock);
}

int pthread_rwlock_wrlock(pthread_rwlock_t* lock)
{
    static auto real = next<int (*)(pthread_rwlock_t*)>("pthread_rwlock_wrlock");
    count(RwLock);
    return real(lock);
}

int sem_wait(sem_t* semaphore)
{
    static auto real = next<int (*)(sem_t*)>("sem_wait");
    count(SemWait);
    return real(semaphore);
}

int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex)
{
    static auto real = next<int (*)(pthread_cond_t*, pthread_mutex_t*)>("pthread_cond_wait");
    count(CondWait);
    return real(condition, mutex);
}

} // extern "C"

namespace callcounter {

bool available()
{
    return true;
}

void reset()
{
    for (auto& c : counts)
        c = 0;
}

long total()
{
    long sum = 0;
    for (auto& c : counts)
        sum += c;
    return sum;
}

std::string report()
{
    std::string text;
    for (int k = 0; k < KindCount; ++k)
        if (long n = counts[k])
            text += (text.empty() ? "" : ", ") + std::to_string(n) + " x " + kKindNames[k];
    return text;
}

} // namespace callcounter

CountedCalls::CountedCalls(bool counting) : active(counting)
{
    if (active)
        countingHere = true;
}

CountedCalls::~CountedCalls()
{
    if (active)
        countingHere = false;
}
