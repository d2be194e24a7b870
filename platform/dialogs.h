#pragma once
// Message boxes and modal dialogs. Every box the program shows goes through
// here, so that the same code runs as a desktop window, headless under tests
// (the texts are recorded instead of shown) and in command-line tools (the
// texts go to standard error).

#include <QString>
#include <QStringList>

class QWidget;

namespace valmoro::dialogs {

enum class Mode {
  Gui,        // real modal boxes
  Recording,  // nothing shown; every text is kept for the caller to inspect
  Console,    // the text goes to standard error, one line per "\r"
  Output,     // as Console, but to standard output (what a script run shows is its output)
};

void setMode(Mode mode);
Mode mode();

// The application title shown in the caption of every box ("Valmoro").
QString applicationTitle();
void setApplicationTitle(const QString& title);

// A plain box with one OK button. A carriage return in the text breaks the line.
void showMessage(const QString& text, QWidget* parent = nullptr);

// An error box: the same plain box, used for failures reported by a layer.
void showError(const QString& text, QWidget* parent = nullptr);

// A question with the buttons "Tak" and "Nie"; true for "Tak". In Recording
// mode the question is recorded and answered from the queued answers ("Tak"
// when none is queued); in Console mode the answer is "Nie".
bool confirm(const QString& text, QWidget* parent = nullptr);
void queueAnswer(bool yes);

// Recorded texts (Recording mode), in the order they were shown, exactly as the
// program passed them (with their "\r").
QStringList recordedMessages();
void clearRecordedMessages();

// While alive, switches to Recording mode and clears what was recorded; the
// previous mode comes back when it goes out of scope.
class RecordingScope {
public:
  RecordingScope();
  ~RecordingScope();
  RecordingScope(const RecordingScope&) = delete;
  RecordingScope& operator=(const RecordingScope&) = delete;
  QStringList messages() const { return recordedMessages(); }

private:
  Mode previous_;
};

}  // namespace valmoro::dialogs
