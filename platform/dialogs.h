#pragma once
// Message boxes and modal dialogs. Every box the program shows goes through
// here, so that the same code runs as a desktop window, headless under tests
// (the texts are recorded instead of shown) and in command-line tools (the
// texts go to standard error).

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

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
// A path as a message shows it: native separators, and when it is longer
// than maxLength, shortened in the middle with "…" so that the file name
// (and as much of the folders next to it as fits) stays readable.
QString shortPath(const QString& path, int maxLength = 60);

void showMessage(const QString& text, QWidget* parent = nullptr);

// An error box: the same plain box, used for failures reported by a layer.
void showError(const QString& text, QWidget* parent = nullptr);

// A question with the buttons "Tak" and "Nie"; true for "Tak". In Recording
// mode the question is recorded and answered from the queued answers ("Tak"
// when none is queued); in Console mode the answer is "Nie".
bool confirm(const QString& text, QWidget* parent = nullptr);
void queueAnswer(bool yes);

// The buttons of a message dialog, one bit each.
enum Button : unsigned {
  ButtonYes = 1u << 0,
  ButtonNo = 1u << 1,
  ButtonOk = 1u << 2,
  ButtonCancel = 1u << 3,
  ButtonAbort = 1u << 4,
  ButtonRetry = 1u << 5,
  ButtonIgnore = 1u << 6,
  ButtonAll = 1u << 7,
  ButtonNoToAll = 1u << 8,
  ButtonYesToAll = 1u << 9,
  ButtonHelp = 1u << 10,
};
enum class Severity { Warning, Error, Information, Confirmation, Custom };
// A message with a choice of buttons (OK alone when none is given); gives the
// button chosen. Recording mode records the text and answers with the next
// queued button if it is offered, else with the first button offered;
// Console modes print the text with the answer, the first button offered.
unsigned messageDialog(const QString& text, Severity severity, unsigned buttons, QWidget* parent = nullptr);
void queueButtonAnswer(unsigned button);
// A line of text asked for; nullopt when cancelled. Recording mode records
// the prompt and answers with the next queued text (a queued nullopt
// cancels), else with the default. Console modes print the prompt and read
// a line from standard input; nullopt when the input has ended.
std::optional<QString> inputText(const QString& caption, const QString& prompt, const QString& defaultValue,
                                 QWidget* parent = nullptr);
void queueTextAnswer(std::optional<QString> text);

// A password asked for: an edit box that shows "*" for every character, the
// buttons OK (default) and Cancel with the given texts; nullopt when
// cancelled. Recording mode records the prompt and answers from the queued
// texts as inputText does (no queued text cancels); Console modes print the
// prompt and read a line from standard input.
std::optional<QString> inputPassword(const QString& caption, const QString& prompt, const QString& okText,
                                     const QString& cancelText, QWidget* parent = nullptr);

// An error box with its own caption and the error icon, one OK button.
// Recording mode records the text; Console modes print it.
void showErrorBox(const QString& caption, const QString& text, QWidget* parent = nullptr);

// ---- File, colour, font and print dialogs -------------------------------------
// Each gives nullopt (or false) when cancelled. Recording mode records the
// dialog's title (its usual caption when it has none: "Otwórz", "Zapisz
// jako", "Kolor", "Czcionka", "Drukuj", "Ustawienia wydruku") and answers
// with the next queued answer of its kind; with none queued the dialog is
// cancelled, so a test never picks a file or prints by accident. Console
// modes print the title: a file dialog then reads a file name from standard
// input and a colour dialog a colour ("#RRGGBB" or a colour name), an empty
// line, a colour that is not one or the end of input cancelling; font and
// print dialogs are cancelled, as there is nobody to choose.

struct FileDialogRequest {
  bool save = false;  // a save dialog, else an open dialog
  QString title;
  QString fileName;  // proposed name
  QString initialDir;
  // Pairs of description and patterns, all separated by "|":
  // "Raporty (*.fr3)|*.fr3|Wszystkie pliki (*.*)|*.*". Patterns within a
  // pair are separated by ";".
  QString filter;
  int filterIndex = 1;  // the pair shown first, from 1
  QString defaultExt;   // without the dot; given to a chosen name without an extension
  bool multiSelect = false;
  bool fileMustExist = false;
  bool overwritePrompt = false;
};
struct FileDialogAnswer {
  QStringList files;  // one unless several were allowed and chosen
  int filterIndex = 1;
};
std::optional<FileDialogAnswer> fileDialog(const FileDialogRequest& request, QWidget* parent = nullptr);
// The files a queued answer chooses (nullopt cancels).
void queueFileAnswer(std::optional<QStringList> files);

std::optional<QColor> colorDialog(const QColor& initial, const QString& title = QString(), QWidget* parent = nullptr);
void queueColorAnswer(std::optional<QColor> color);

// The font with its colour (a font dialog also offers the colour).
struct FontChoice {
  QFont font;
  QColor color = Qt::black;
};
std::optional<FontChoice> fontDialog(const FontChoice& initial, const QString& title = QString(),
                                     QWidget* parent = nullptr);
void queueFontAnswer(std::optional<FontChoice> font);

struct PrintSettings {
  enum class Range { AllPages, Selection, PageNumbers };
  int copies = 1;
  bool collate = false;
  Range range = Range::AllPages;
  int fromPage = 0;
  int toPage = 0;
  int minPage = 0;  // 0 and 0: no limits
  int maxPage = 0;
  bool printToFile = false;
  // What the dialog offers besides all pages.
  bool allowPageNumbers = false;
  bool allowSelection = false;
  bool allowPrintToFile = true;
};
// The print dialog (setupOnly: the printer setup dialog); true when accepted,
// with the settings changed to what was chosen.
bool printDialog(PrintSettings& settings, bool setupOnly, const QString& title = QString(), QWidget* parent = nullptr);
// A queued answer accepts with these settings (nullopt cancels).
void queuePrintAnswer(std::optional<PrintSettings> settings);

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
