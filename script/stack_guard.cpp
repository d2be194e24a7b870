#include "stack_guard.h"

#include <pthread.h>

#include <QString>
#include <cstdint>

#include "run_error.h"

namespace valmoro::script {

namespace {

// Room kept free below the deepest check: what one script call level and the
// host code it calls may use (generous, for sanitizer builds).
constexpr std::uintptr_t kMargin = 1024 * 1024;

}  // namespace

namespace detail {

thread_local constinit std::uintptr_t stackLimit = 0;

std::uintptr_t computeStackLimit() {
  pthread_attr_t attr;
  std::uintptr_t low = 1;  // unknown: no limit, but not asked again
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void* addr = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &addr, &size) == 0 && size > 2 * kMargin)
      low = reinterpret_cast<std::uintptr_t>(addr) + kMargin;
    pthread_attr_destroy(&attr);
  }
  return low;
}

void stackOverflow() {
  throw RunError(error_class::StackOverflow, QStringLiteral("Stack overflow: routine calls nested too deeply"));
}

}  // namespace detail

}  // namespace valmoro::script
