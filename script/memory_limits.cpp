#include "memory_limits.h"

#include <QString>

#include "run_error.h"

namespace valmoro::script {

namespace {

[[noreturn]] void outOfMemory(const QString& detail) {
  throw RunError(error_class::OutOfMemory, QStringLiteral("Out of memory: ") + detail);
}

}  // namespace

void OutOfMemory() { throw RunError(error_class::OutOfMemory, QStringLiteral("Out of memory")); }

void StringTooLong() {
  outOfMemory(QStringLiteral("a string may hold at most %1 characters").arg(kMaxStringLength));
}

void ListTooLong() { outOfMemory(QStringLiteral("a list may hold at most %1 items").arg(kMaxListItems)); }

void StreamTooLarge() {
  outOfMemory(QStringLiteral("a stream may hold, or give at once, at most %1 bytes").arg(kMaxStreamSize));
}

void BitmapTooLarge() { outOfMemory(QStringLiteral("a bitmap may hold at most %1 pixels").arg(kMaxBitmapPixels)); }

void ArrayTooLarge() { throw RunError(error_class::RangeError, QStringLiteral("Array too large")); }

}  // namespace valmoro::script
