#include "dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QTextStream>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <cstdio>

namespace valmoro::dialogs {
namespace {

struct State {
  Mode mode = Mode::Gui;
  QString title = QStringLiteral("Valmoro");
  QStringList recorded;
  QList<bool> answers;
  QList<unsigned> buttonAnswers;
  QList<std::optional<QString>> textAnswers;
};

State& state() {
  static State s;
  return s;
}

// A "\r" alone breaks the line; "\r\n" is one break, not two.
QString displayText(const QString& text) {
  QString out = text;
  out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return out;
}

}  // namespace

void setMode(Mode m) { state().mode = m; }
Mode mode() { return state().mode; }

QString applicationTitle() { return state().title; }
void setApplicationTitle(const QString& title) { state().title = title; }

void showMessage(const QString& text, QWidget* parent) {
  State& s = state();
  switch (s.mode) {
    case Mode::Recording:
      s.recorded.append(text);
      return;
    case Mode::Console:
    case Mode::Output: {
      FILE* stream = s.mode == Mode::Output ? stdout : stderr;
      const QByteArray bytes = displayText(text).toUtf8();
      std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
      std::fputc('\n', stream);
      std::fflush(stream);
      return;
    }
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    // No widgets to show a box with: never lose the text.
    const QByteArray bytes = displayText(text).toUtf8();
    std::fprintf(stderr, "%s\n", bytes.constData());
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, s.title, displayText(text), QMessageBox::Ok, parent);
  box.exec();
}

void showError(const QString& text, QWidget* parent) { showMessage(text, parent); }

bool confirm(const QString& text, QWidget* parent) {
  State& s = state();
  switch (s.mode) {
    case Mode::Recording:
      s.recorded.append(text);
      return s.answers.isEmpty() ? true : s.answers.takeFirst();
    case Mode::Console:
    case Mode::Output: {
      const QByteArray bytes = displayText(text).toUtf8();
      std::fprintf(s.mode == Mode::Output ? stdout : stderr, "%s [Nie]\n", bytes.constData());
      return false;
    }
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  QMessageBox box(QMessageBox::Question, s.title, displayText(text), QMessageBox::Yes | QMessageBox::No, parent);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("Tak"));
  box.button(QMessageBox::No)->setText(QStringLiteral("Nie"));
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void queueAnswer(bool yes) { state().answers.append(yes); }

namespace {

struct ButtonInfo {
  unsigned bit;
  QMessageBox::StandardButton standard;
  const char* text;
};
// In the order the buttons stand in a dialog. The texts are set on each
// button, so a standard button only gives its role (Qt has no "All").
constexpr ButtonInfo kButtons[] = {
    {ButtonYes, QMessageBox::Yes, "Tak"},
    {ButtonNo, QMessageBox::No, "Nie"},
    {ButtonOk, QMessageBox::Ok, "OK"},
    {ButtonCancel, QMessageBox::Cancel, "Anuluj"},
    {ButtonAbort, QMessageBox::Abort, "Przerwij"},
    {ButtonRetry, QMessageBox::Retry, "Ponów"},
    {ButtonIgnore, QMessageBox::Ignore, "Ignoruj"},
    {ButtonAll, QMessageBox::YesToAll, "Wszystko"},
    {ButtonNoToAll, QMessageBox::NoToAll, "Nie dla wszystkich"},
    {ButtonYesToAll, QMessageBox::SaveAll, "Tak dla wszystkich"},
    {ButtonHelp, QMessageBox::Help, "Pomoc"},
};

unsigned firstButton(unsigned buttons) {
  for (const ButtonInfo& b : kButtons)
    if (buttons & b.bit) return b.bit;
  return ButtonOk;
}

void printLine(FILE* stream, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace

unsigned messageDialog(const QString& text, Severity severity, unsigned buttons, QWidget* parent) {
  State& s = state();
  if (buttons == 0) buttons = ButtonOk;
  switch (s.mode) {
    case Mode::Recording: {
      s.recorded.append(text);
      if (!s.buttonAnswers.isEmpty()) {
        const unsigned answer = s.buttonAnswers.takeFirst();
        if (buttons & answer) return answer;
      }
      return firstButton(buttons);
    }
    case Mode::Console:
    case Mode::Output: {
      const unsigned answer = firstButton(buttons);
      QString label;
      for (const ButtonInfo& b : kButtons)
        if (b.bit == answer) label = QString::fromUtf8(b.text);
      printLine(s.mode == Mode::Output ? stdout : stderr, displayText(text) + QStringLiteral(" [") + label + QLatin1Char(']'));
      return answer;
    }
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    printLine(stderr, displayText(text));
    return firstButton(buttons);
  }
  static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::Warning, QMessageBox::Critical, QMessageBox::Information,
                                                 QMessageBox::Question, QMessageBox::NoIcon};
  QMessageBox box(kIcons[int(severity)], s.title, displayText(text), QMessageBox::NoButton, parent);
  for (const ButtonInfo& b : kButtons)
    if (buttons & b.bit) box.addButton(b.standard)->setText(QString::fromUtf8(b.text));
  const int chosen = box.exec();
  for (const ButtonInfo& b : kButtons)
    if ((buttons & b.bit) && chosen == b.standard) return b.bit;
  // Closed without a button: Cancel when offered, else the first one.
  return buttons & ButtonCancel ? ButtonCancel : firstButton(buttons);
}

void queueButtonAnswer(unsigned button) { state().buttonAnswers.append(button); }

std::optional<QString> inputText(const QString& caption, const QString& prompt, const QString& defaultValue,
                                 QWidget* parent) {
  State& s = state();
  switch (s.mode) {
    case Mode::Recording:
      s.recorded.append(prompt);
      return s.textAnswers.isEmpty() ? std::optional<QString>(defaultValue) : s.textAnswers.takeFirst();
    case Mode::Console:
    case Mode::Output: {
      FILE* stream = s.mode == Mode::Output ? stdout : stderr;
      const QByteArray bytes = displayText(prompt).toUtf8();
      std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
      std::fputc(' ', stream);
      std::fflush(stream);
      // One stream for the process: it reads ahead, and what it has read
      // belongs to the next question.
      static QTextStream in(stdin);
      QString line;
      if (!in.readLineInto(&line)) {
        std::fputc('\n', stream);
        return std::nullopt;
      }
      return line;
    }
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
  bool ok = false;
  const QString text = QInputDialog::getText(parent, caption, displayText(prompt), QLineEdit::Normal, defaultValue, &ok);
  return ok ? std::optional<QString>(text) : std::nullopt;
}

void queueTextAnswer(std::optional<QString> text) { state().textAnswers.append(std::move(text)); }

QStringList recordedMessages() { return state().recorded; }
void clearRecordedMessages() {
  state().recorded.clear();
  state().answers.clear();
  state().buttonAnswers.clear();
  state().textAnswers.clear();
}

RecordingScope::RecordingScope() : previous_(mode()) {
  setMode(Mode::Recording);
  clearRecordedMessages();
}

RecordingScope::~RecordingScope() { setMode(previous_); }

}  // namespace valmoro::dialogs
