#pragma once
// How much heap the process holds now, to tell memory that comes back from
// memory that stays. Under AddressSanitizer its allocator's own count (blocks
// freed but waiting in its quarantine are not held), else malloc's.

#include <QtGlobal>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define VALMORO_HEAP_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VALMORO_HEAP_ASAN 1
#endif
#endif

#ifdef VALMORO_HEAP_ASAN
#include <sanitizer/lsan_interface.h>
// The sanitizer runtime's count of the bytes allocated and not freed (its
// header does not come with every compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace valmoro::testing {

inline qint64 heapInUse() {
#ifdef VALMORO_HEAP_ASAN
  return qint64(__sanitizer_get_current_allocated_bytes());
#else
  return qint64(mallinfo2().uordblks);
#endif
}

// Whether the leak checker finds memory nothing points to any more (it
// prints what it found); false without one.
inline bool leaksFound() {
#ifdef VALMORO_HEAP_ASAN
  return __lsan_do_recoverable_leak_check() != 0;
#else
  return false;
#endif
}

}  // namespace valmoro::testing
