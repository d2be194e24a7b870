#pragma once
// Run-time failures of the report model: an exception carrying the message
// text a user or a script sees.

#include <QString>
#include <stdexcept>

namespace valmoro::report {

class ReportError : public std::runtime_error {
public:
  explicit ReportError(const QString& message) : std::runtime_error(message.toStdString()) {}
  QString message() const { return QString::fromUtf8(what()); }
};

}  // namespace valmoro::report
