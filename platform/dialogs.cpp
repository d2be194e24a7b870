#include "dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
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
  QList<std::optional<QStringList>> fileAnswers;
  QList<std::optional<QColor>> colorAnswers;
  QList<std::optional<FontChoice>> fontAnswers;
  QList<std::optional<PrintSettings>> printAnswers;
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

// A box stands over its parent only while the parent is on the screen; the
// main window exists before it is shown (its start-up messages come then),
// and a box over an unseen window would stand in a corner of the screen.
QWidget* ownerFor(QWidget* parent) { return parent && parent->window()->isVisible() ? parent : nullptr; }

// The text as a box lays it out: a path (a run of characters without blanks
// holding "/" or "\\") is broken only when no screen line can hold it, never
// after each of its separators. Word joiners are invisible and forbid a break.
QString boxText(const QString& text) {
  const QString lines = displayText(text);
  QString out;
  out.reserve(lines.size() + 16);
  qsizetype i = 0;
  while (i < lines.size()) {
    if (lines[i].isSpace()) {
      out += lines[i++];
      continue;
    }
    qsizetype end = i;
    while (end < lines.size() && !lines[end].isSpace()) ++end;
    const QStringView word = QStringView(lines).mid(i, end - i);
    const bool path = word.contains(QLatin1Char('/')) || word.contains(QLatin1Char('\\'));
    for (qsizetype k = 0; k < word.size(); ++k) {
      out += word[k];
      if (path && k + 1 < word.size() && !word[k].isLetterOrNumber() && !word[k].isHighSurrogate())
        out += QChar(0x2060);
    }
    i = end;
  }
  return out;
}

}  // namespace

void setMode(Mode m) { state().mode = m; }
Mode mode() { return state().mode; }

QString applicationTitle() { return state().title; }
void setApplicationTitle(const QString& title) { state().title = title; }

QString shortPath(const QString& path, int maxLength) {
  const QString native = QDir::toNativeSeparators(path);
  if (native.size() <= maxLength) return native;
  const QChar separator = QDir::separator();
  const QStringList parts = native.split(separator);
  if (parts.size() < 3) return native;  // a bare name: nothing to take out
  // The start (the root and the first folder), then the end, folder by
  // folder from the file name back, while it fits.
  const QString head = parts[0] + separator + parts[1] + separator + QStringLiteral("…");
  QString tail = separator + parts.last();
  for (qsizetype i = parts.size() - 2; i > 1; --i) {
    const QString longer = separator + parts[i] + tail;
    if (head.size() + longer.size() > maxLength) break;
    tail = longer;
  }
  // The file name is never cut, even when it alone is longer.
  return head + tail;
}

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
  QMessageBox box(QMessageBox::NoIcon, s.title, boxText(text), QMessageBox::Ok, ownerFor(parent));
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
  QMessageBox box(QMessageBox::Question, s.title, boxText(text), QMessageBox::Yes | QMessageBox::No, ownerFor(parent));
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
  QMessageBox box(kIcons[int(severity)], s.title, boxText(text), QMessageBox::NoButton, ownerFor(parent));
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
  const QString text =
      QInputDialog::getText(ownerFor(parent), caption, boxText(prompt), QLineEdit::Normal, defaultValue, &ok);
  return ok ? std::optional<QString>(text) : std::nullopt;
}

void queueTextAnswer(std::optional<QString> text) { state().textAnswers.append(std::move(text)); }

std::optional<QString> inputPassword(const QString& caption, const QString& prompt, const QString& okText,
                                     const QString& cancelText, QWidget* parent) {
  State& s = state();
  switch (s.mode) {
    case Mode::Recording:
      s.recorded.append(prompt);
      return s.textAnswers.isEmpty() ? std::nullopt : s.textAnswers.takeFirst();
    case Mode::Console:
    case Mode::Output:
      return inputText(caption, prompt, QString(), parent);
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
  QInputDialog dialog(ownerFor(parent));
  dialog.setWindowTitle(caption);
  dialog.setLabelText(boxText(prompt));
  dialog.setTextEchoMode(QLineEdit::Password);
  dialog.setOkButtonText(okText);
  dialog.setCancelButtonText(cancelText);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

void showErrorBox(const QString& caption, const QString& text, QWidget* parent) {
  State& s = state();
  if (s.mode != Mode::Gui || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
    showMessage(text, parent);
    return;
  }
  QMessageBox box(QMessageBox::Critical, caption, boxText(text), QMessageBox::Ok, ownerFor(parent));
  box.exec();
}

// ---- File, colour, font and print dialogs -------------------------------------------

namespace {

QString captionOr(const QString& title, const char* fallback) {
  return title.isEmpty() ? QString::fromUtf8(fallback) : title;
}

// "Opis|*.a;*.b|Opis2|*.c" as Qt's filter lines "Opis (*.a *.b)".
QStringList qtFilters(const QString& filter) {
  QStringList out;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out << parts[i] + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
  }
  return out;
}

QString withDefaultExt(const QString& file, const QString& ext) {
  if (ext.isEmpty() || file.isEmpty() || !QFileInfo(file).suffix().isEmpty()) return file;
  return file + QLatin1Char('.') + (ext.startsWith(QLatin1Char('.')) ? ext.mid(1) : ext);
}

}  // namespace

std::optional<FileDialogAnswer> fileDialog(const FileDialogRequest& request, QWidget* parent) {
  State& s = state();
  const QString caption = captionOr(request.title, request.save ? "Zapisz jako" : "Otwórz");
  std::optional<QStringList> chosen;
  int filterIndex = request.filterIndex;
  switch (s.mode) {
    case Mode::Recording:
      s.recorded.append(caption);
      if (!s.fileAnswers.isEmpty()) chosen = s.fileAnswers.takeFirst();
      break;
    case Mode::Console:
    case Mode::Output: {
      // The same reader as every other question, so answers stay in order.
      const std::optional<QString> line = inputText(caption, caption + QLatin1Char(':'), request.fileName, parent);
      if (line && !line->trimmed().isEmpty()) chosen = QStringList{line->trimmed()};
      break;
    }
    case Mode::Gui: {
      if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
      QFileDialog dialog(parent, caption, request.initialDir);
      dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      dialog.setFileMode(request.save ? QFileDialog::AnyFile
                         : request.multiSelect ? QFileDialog::ExistingFiles
                         : request.fileMustExist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
      if (!request.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
      const QStringList filters = qtFilters(request.filter);
      if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
          dialog.selectNameFilter(filters[request.filterIndex - 1]);
      }
      if (!request.defaultExt.isEmpty()) dialog.setDefaultSuffix(request.defaultExt);
      if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
      if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
      chosen = dialog.selectedFiles();
      if (const qsizetype i = filters.indexOf(dialog.selectedNameFilter()); i >= 0) filterIndex = int(i) + 1;
      break;
    }
  }
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  FileDialogAnswer answer;
  for (const QString& file : *chosen) answer.files << withDefaultExt(file, request.defaultExt);
  if (!request.multiSelect) answer.files = answer.files.mid(0, 1);
  answer.filterIndex = filterIndex;
  return answer;
}

void queueFileAnswer(std::optional<QStringList> files) { state().fileAnswers.append(std::move(files)); }

std::optional<QColor> colorDialog(const QColor& initial, const QString& title, QWidget* parent) {
  State& s = state();
  const QString caption = captionOr(title, "Kolor");
  switch (s.mode) {
    case Mode::Recording:
      s.recorded.append(caption);
      return s.colorAnswers.isEmpty() ? std::nullopt : s.colorAnswers.takeFirst();
    case Mode::Console:
    case Mode::Output: {
      const std::optional<QString> line =
          inputText(caption, caption + QStringLiteral(" (#RRGGBB):"), initial.name(), parent);
      if (!line || line->trimmed().isEmpty()) return std::nullopt;
      const QColor color = QColor::fromString(line->trimmed());
      if (!color.isValid()) return std::nullopt;
      return color;
    }
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
  const QColor color = QColorDialog::getColor(initial, parent, caption);
  return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

void queueColorAnswer(std::optional<QColor> color) { state().colorAnswers.append(std::move(color)); }

std::optional<FontChoice> fontDialog(const FontChoice& initial, const QString& title, QWidget* parent) {
  State& s = state();
  const QString caption = captionOr(title, "Czcionka");
  switch (s.mode) {
    case Mode::Recording:
      s.recorded.append(caption);
      return s.fontAnswers.isEmpty() ? std::nullopt : s.fontAnswers.takeFirst();
    case Mode::Console:
    case Mode::Output:
      printLine(s.mode == Mode::Output ? stdout : stderr, caption + QStringLiteral(" [Anuluj]"));
      return std::nullopt;
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, initial.font, parent, caption);
  if (!ok) return std::nullopt;
  return FontChoice{font, initial.color};
}

void queueFontAnswer(std::optional<FontChoice> font) { state().fontAnswers.append(std::move(font)); }

bool printDialog(PrintSettings& settings, bool setupOnly, const QString& title, QWidget* parent) {
  State& s = state();
  const QString caption = captionOr(title, setupOnly ? "Ustawienia wydruku" : "Drukuj");
  switch (s.mode) {
    case Mode::Recording: {
      s.recorded.append(caption);
      if (s.printAnswers.isEmpty()) return false;
      const std::optional<PrintSettings> answer = s.printAnswers.takeFirst();
      if (!answer) return false;
      settings = *answer;
      return true;
    }
    case Mode::Console:
    case Mode::Output:
      printLine(s.mode == Mode::Output ? stdout : stderr, caption + QStringLiteral(" [Anuluj]"));
      return false;
    case Mode::Gui:
      break;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  QPrinter printer;
  if (setupOnly) {
    QPageSetupDialog dialog(&printer, parent);
    dialog.setWindowTitle(caption);
    return dialog.exec() == QDialog::Accepted;
  }
  printer.setCopyCount(std::max(1, settings.copies));
  printer.setCollateCopies(settings.collate);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(caption);
  QAbstractPrintDialog::PrintDialogOptions options;
  if (settings.allowPageNumbers) options |= QAbstractPrintDialog::PrintPageRange;
  if (settings.allowSelection) options |= QAbstractPrintDialog::PrintSelection;
  if (settings.allowPrintToFile) options |= QAbstractPrintDialog::PrintToFile;
  options |= QAbstractPrintDialog::PrintCollateCopies;
  dialog.setOptions(options);
  if (settings.minPage > 0 || settings.maxPage > 0) dialog.setMinMax(settings.minPage, settings.maxPage);
  if (settings.fromPage > 0 && settings.toPage >= settings.fromPage)
    dialog.setFromTo(settings.fromPage, settings.toPage);
  if (settings.range == PrintSettings::Range::PageNumbers) dialog.setPrintRange(QAbstractPrintDialog::PageRange);
  else if (settings.range == PrintSettings::Range::Selection) dialog.setPrintRange(QAbstractPrintDialog::Selection);
  if (dialog.exec() != QDialog::Accepted) return false;
  settings.copies = printer.copyCount();
  settings.collate = printer.collateCopies();
  settings.printToFile = !printer.outputFileName().isEmpty();
  switch (dialog.printRange()) {
    case QAbstractPrintDialog::PageRange:
      settings.range = PrintSettings::Range::PageNumbers;
      settings.fromPage = dialog.fromPage();
      settings.toPage = dialog.toPage();
      break;
    case QAbstractPrintDialog::Selection:
      settings.range = PrintSettings::Range::Selection;
      break;
    default:
      settings.range = PrintSettings::Range::AllPages;
      break;
  }
  return true;
}

void queuePrintAnswer(std::optional<PrintSettings> settings) { state().printAnswers.append(std::move(settings)); }

QStringList recordedMessages() { return state().recorded; }
void clearRecordedMessages() {
  state().recorded.clear();
  state().answers.clear();
  state().buttonAnswers.clear();
  state().textAnswers.clear();
  state().fileAnswers.clear();
  state().colorAnswers.clear();
  state().fontAnswers.clear();
  state().printAnswers.clear();
}

RecordingScope::RecordingScope() : previous_(mode()) {
  setMode(Mode::Recording);
  clearRecordedMessages();
}

RecordingScope::~RecordingScope() { setMode(previous_); }

}  // namespace valmoro::dialogs
