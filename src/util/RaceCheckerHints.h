#pragma once
// Tells the thread race checker (ThreadSanitizer) of a hand-over between threads that it cannot
// see because it is made inside a library it does not instrument, such as Qt's event queue: what a
// thread did before HandedOver(token) counts as done before what another thread does after
// TakenOver(token) with the same token. While a TUnrecordedAccesses lives, the checker records
// none of its thread's memory accesses: for what Qt's inline code writes on one side of such a
// hand-over and reads on the other. Nothing in other builds.
#if defined(__SANITIZE_THREAD__)
#define HM_RACE_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define HM_RACE_CHECKER 1
#endif
#endif

#ifdef HM_RACE_CHECKER
extern "C" {
void __tsan_acquire(void* addr);
void __tsan_release(void* addr);
void AnnotateIgnoreWritesBegin(const char* file, int line);
void AnnotateIgnoreWritesEnd(const char* file, int line);
}
inline void HandedOver(const void* token) { __tsan_release(const_cast<void*>(token)); }
inline void TakenOver(const void* token) { __tsan_acquire(const_cast<void*>(token)); }
class TUnrecordedAccesses {
 public:
  TUnrecordedAccesses() { AnnotateIgnoreWritesBegin(__FILE__, __LINE__); }
  ~TUnrecordedAccesses() { AnnotateIgnoreWritesEnd(__FILE__, __LINE__); }
  TUnrecordedAccesses(const TUnrecordedAccesses&) = delete;
  TUnrecordedAccesses& operator=(const TUnrecordedAccesses&) = delete;
};
#else
inline void HandedOver(const void*) {}
inline void TakenOver(const void*) {}
class TUnrecordedAccesses {
 public:
  TUnrecordedAccesses() {}  // user-provided, so an unused one draws no warning
};
#endif
