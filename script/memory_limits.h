#pragma once
// A script decides how big its strings, arrays, lists and streams grow. A
// runaway script (a string doubled in a loop, SetLength with a wild number)
// must end in a run-time error the script can catch, never in the process
// running out of memory or aborting: every size a script controls is checked
// against a limit here before anything is allocated, and an allocation that
// fails anyway becomes the same kind of error (OutOfMemory).
//
// The limits are far beyond what report scripts need, and low enough that
// reaching one costs a few hundred megabytes at most.

#include <QtGlobal>

namespace valmoro::script {

// Characters of one string: 64 Mi (128 MiB of text).
inline constexpr qint64 kMaxStringLength = qint64(1) << 26;
// Elements of one array: 16 Mi (256 MiB of values).
inline constexpr qint64 kMaxArrayElements = qint64(1) << 24;
// Items of one list (string lists, object lists): 4 Mi; each item of a
// string list costs some 40 bytes besides its text.
inline constexpr qint64 kMaxListItems = qint64(1) << 22;
// Bytes of one memory stream, and of what is read from a stream at once.
inline constexpr qint64 kMaxStreamSize = qint64(1) << 29;
// Pixels of one bitmap: 64 Mi, 256 MiB at four bytes each (what Qt's image
// reader allows by default).
inline constexpr qint64 kMaxBitmapPixels = qint64(1) << 26;

// EOutOfMemory "Out of memory": an allocation failed.
[[noreturn]] void OutOfMemory();
// EOutOfMemory, naming the limit that a string, a list, a stream or a
// bitmap would pass.
[[noreturn]] void StringTooLong();
[[noreturn]] void ListTooLong();
[[noreturn]] void StreamTooLarge();
[[noreturn]] void BitmapTooLarge();
// ERangeError "Array too large".
[[noreturn]] void ArrayTooLarge();

inline void CheckStringLength(qint64 length) {
  if (length > kMaxStringLength) StringTooLong();
}
// The length of a concatenation, checked before it is made.
inline void CheckStringLength(qint64 a, qint64 b) {
  if (a > kMaxStringLength - b) StringTooLong();
}
inline void CheckArrayElements(qint64 count) {
  if (count > kMaxArrayElements) ArrayTooLarge();
}
inline void CheckListItems(qint64 count) {
  if (count > kMaxListItems) ListTooLong();
}
inline void CheckStreamSize(qint64 size) {
  if (size > kMaxStreamSize) StreamTooLarge();
}

}  // namespace valmoro::script
