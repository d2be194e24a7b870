#pragma once
// The script engine's run-time failures: an exception carrying the message
// text that the caller shows or turns into a script's ErrorText.

#include <QString>
#include <stdexcept>

namespace valmoro::script {

class ScriptError : public std::runtime_error {
public:
  explicit ScriptError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

private:
  QString message_;
};

}  // namespace valmoro::script
