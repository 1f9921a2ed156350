#pragma once
// Where work passes from one thread to another through Qt (a pool's queue, a future's end, a
// queued call), the ordering comes from locks inside Qt's own library. Built with
// ThreadSanitizer against a Qt that is not, those locks are invisible to it, and every value a
// worker hands back would look like a race. HandOver and TakeOver name that edge to it: what a
// thread did before HandOver(token) is seen by a thread after a later TakeOver(token). Outside a
// ThreadSanitizer build they are nothing.
//
// Use them only where Qt really orders the two, never to quiet a report one does not understand.

#if defined(__SANITIZE_THREAD__)
#define Q32_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define Q32_THREAD_SANITIZER 1
#endif
#endif

#ifdef Q32_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

#include <functional>

class QObject;

namespace q32 {

inline void HandOver([[maybe_unused]] const void* token) {
#ifdef Q32_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(token));
#endif
}

inline void TakeOver([[maybe_unused]] const void* token) {
#ifdef Q32_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(token));
#endif
}

// Calls call() on context's thread: at once when already on it, otherwise later through its event
// loop, and never when context is gone by then. Unlike a queued call, everything the calling
// thread did before is seen by call() under ThreadSanitizer too.
void CallOnThreadOf(QObject* context, std::function<void()> call);

} // namespace q32
