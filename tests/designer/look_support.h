#pragma once
// What the tests of the frame, fill, picture and style editors share:
// objects' attributes as documents write them, and widgets driven as a
// user drives them.

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include "designer_support.h"
#include "report/model/edit/commands.h"
#include "report/model/serializer.h"

namespace valmoro::designer::testing {

// The object's attribute text as the document writes it.
inline QString attributesOf(report::TfrxReport& report, const QString& name) {
  report::TfrxComponent* object = report.FindObject(name);
  if (object == nullptr) return QStringLiteral("<no %1>").arg(name);
  report::TfrxXMLSerializer serializer(&report);
  return serializer.ObjToXML(*object);
}

// Only the attributes matching `pattern`, in document order, blank-separated.
inline QString attributesMatching(const QString& attributes, const QString& pattern) {
  QStringList found;
  QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(attributes);
  while (it.hasNext()) found.append(it.next().captured(1));
  return found.join(QLatin1Char(' '));
}

inline QString frameAttributes(report::TfrxReport& report, const QString& name) {
  return attributesMatching(attributesOf(report, name), QStringLiteral(R"((Frame\.[A-Za-z.]+="[^"]*"))"));
}

// Color and BrushStyle of the object itself (not of its font or frame).
inline QString fillAttributes(report::TfrxReport& report, const QString& name) {
  return attributesMatching(attributesOf(report, name), QStringLiteral(R"((?<![.\w])((?:Color|BrushStyle)="[^"]*"))"));
}

// A choice made in a combo box as the mouse or keyboard makes it.
inline void choose(QComboBox* combo, int index) {
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}
inline void chooseText(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  choose(combo, index);
}

// Typed over what the field holds, key by key as the keyboard gives it
// (Polish letters included).
inline void typeOver(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(edit, &press);
  }
}

inline void clickCancel(QWidget* dialog) {
  auto* box = dialog->findChild<QDialogButtonBox*>();
  ASSERT_NE(box, nullptr);
  box->button(QDialogButtonBox::Cancel)->click();
}

// A new object under a parent, as the designer inserts it; its name.
inline QString insertObject(Designed& d, const QString& className, const QString& parent, const QRectF& bounds) {
  QString name;
  EXPECT_EQ(d.document->Run([&] {
    auto* command = new report::edit::InsertCommand(d.report, className, parent, bounds);
    name = command->InsertedName();
    return command;
  }),
            QString());
  return name;
}

}  // namespace valmoro::designer::testing
