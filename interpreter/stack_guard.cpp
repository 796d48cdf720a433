// Guards the process stack against macros that nest deeply (recursion, bracket towers): the engine refuses to
// go deeper when less than a safety margin of the current thread's stack is left.
#include "engine.h"

#include <cstddef>
#if defined(__linux__)
#include <pthread.h>
#endif

namespace {

// The sanitizers enlarge stack frames, so they get a larger margin.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kMargin = 1024 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr size_t kMargin = 1024 * 1024;
#else
constexpr size_t kMargin = 256 * 1024;
#endif
#else
constexpr size_t kMargin = 256 * 1024;
#endif

// The lowest usable address of this thread's stack, or nullptr when the platform does not tell.
const char* StackLimit() {
    const char* low = nullptr;
#if defined(__linux__)
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* address = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attr, &address, &size) == 0) low = static_cast<const char*>(address);
        pthread_attr_destroy(&attr);
    }
#endif
    return low;
}

} // namespace

// Asked once per thread: the platform's answer, the margin above the limit, or an address below every frame
// when the platform does not tell.
const char* cMoMacro_Engine::FindStackFloor() {
    const char* limit = StackLimit();
    tStackFloor = limit ? limit + kMargin : reinterpret_cast<const char*>(1);
    return tStackFloor;
}
