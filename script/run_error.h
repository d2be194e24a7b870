#pragma once
// Run-time failures of scripts. Every one is a ScriptError, so a script's
// try-except catches it; the class name is what the script then reads from
// ExceptionClassName.

#include <QString>

#include "script_error.h"

namespace valmoro::script {

// Class names a script can test ExceptionClassName against.
namespace error_class {
inline constexpr const char* Exception = "Exception";            // raised by the script itself, or by a host
inline constexpr const char* ConvertError = "EConvertError";     // a value that cannot be converted
inline constexpr const char* DivByZero = "EDivByZero";           // integer division or modulus by zero
inline constexpr const char* ZeroDivide = "EZeroDivide";         // floating-point division by zero
inline constexpr const char* InvalidOp = "EInvalidOp";           // 0 / 0 and the like
inline constexpr const char* IntOverflow = "EIntOverflow";       // a result or a narrowing out of range
inline constexpr const char* RangeError = "ERangeError";         // array or string index out of bounds
inline constexpr const char* StackOverflow = "EStackOverflow";   // routine calls nested too deeply
inline constexpr const char* InvalidOperation = "EInvalidOperation";  // nil objects, wrong classes
inline constexpr const char* OutOfMemory = "EOutOfMemory";       // a size beyond its limit, a failed allocation
}  // namespace error_class

class RunError : public ScriptError {
public:
  RunError(const char* className, const QString& message)
      : ScriptError(message), className_(QString::fromLatin1(className)) {}
  RunError(const QString& className, const QString& message) : ScriptError(message), className_(className) {}
  const QString& className() const { return className_; }

private:
  QString className_;
};

// The class name a script sees for any engine error.
inline QString ExceptionClassNameOf(const ScriptError& error) {
  if (const auto* run = dynamic_cast<const RunError*>(&error)) return run->className();
  return QString::fromLatin1(error_class::Exception);
}

}  // namespace valmoro::script
