#include "dialogs.h"

#include <QApplication>
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

QStringList recordedMessages() { return state().recorded; }
void clearRecordedMessages() {
  state().recorded.clear();
  state().answers.clear();
}

RecordingScope::RecordingScope() : previous_(mode()) {
  setMode(Mode::Recording);
  clearRecordedMessages();
}

RecordingScope::~RecordingScope() { setMode(previous_); }

}  // namespace valmoro::dialogs
