#pragma once
// A value the data-access layer refused for one field. Its message names the
// field as the table does ("Pole „Wilgotnosc”: …"); a window that shows the
// field under another label (a form's caption, a grid's column title) names
// it that way instead, so the user reads the name that is on the screen.

#include <QString>
#include <functional>

#include "platform/database.h"

namespace valmoro::db {

class FieldError : public DbError {
public:
  FieldError(const QString& field, const QString& problem)
      : DbError(messageFor(field, problem)), field_(field), problem_(problem) {}

  // The field's name in the table.
  const QString& field() const { return field_; }
  // The message with the field named by the given label.
  QString messageNaming(const QString& label) const { return messageFor(label, problem_); }

  static QString messageFor(const QString& label, const QString& problem) {
    return QStringLiteral("Pole „%1”: %2").arg(label, problem);
  }

private:
  QString field_;
  QString problem_;
};

// How a window names a table's field; an empty answer keeps the table's name.
using FieldLabels = std::function<QString(const QString& field)>;

// The text to show for an error of the layer: a refused value names its field
// by the window's label for it.
inline QString userMessage(const DbError& error, const FieldLabels& labels) {
  const auto* refused = dynamic_cast<const FieldError*>(&error);
  if (!refused || !labels) return error.message();
  const QString label = labels(refused->field());
  return label.isEmpty() ? error.message() : refused->messageNaming(label);
}

}  // namespace valmoro::db
