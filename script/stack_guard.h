#pragma once
// Scripts may recurse without end; the engine checks the machine stack at
// each routine call and each nested build step, and raises a clear error
// long before the stack would overflow.

#include <cstdint>

namespace valmoro::script {

namespace detail {
// The lowest stack address a check lets pass, per thread; 0 until known.
extern thread_local constinit std::uintptr_t stackLimit;
std::uintptr_t computeStackLimit();
[[noreturn]] void stackOverflow();
}  // namespace detail

// True when less than a safety margin of the current thread's stack is left.
inline bool StackIsLow() {
  std::uintptr_t limit = detail::stackLimit;
  if (limit == 0) limit = detail::stackLimit = detail::computeStackLimit();
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < limit;
}

// Raises RunError (EStackOverflow) when StackIsLow().
inline void CheckStack() {
  if (StackIsLow()) detail::stackOverflow();
}

}  // namespace valmoro::script
