// The dialog functions in recording mode: what they show is recorded and
// they answer from queued answers (or their defaults).

#include <gtest/gtest.h>

#include "run_support.h"
#include "script/module_dialogs.h"

namespace valmoro::script::test {

namespace {

// Runs with the dialogs module; answers are queued inside the recording
// scope of the run, through the queue callback.
QString RunWithDialogs(const QString& source, const std::function<void()>& queue = {}) {
  TfsScript script;
  script.AddRuntimeLibrary();
  script.AddSymbol(QString(), new TfsDialogsModule(&script));
  script.SyntaxType = QStringLiteral("PascalScript");
  script.Lines = SplitSourceLines(source);
  dialogs::RecordingScope recording;
  if (queue) queue();
  if (!script.CompileSource()) return script.ErrorPosition + QStringLiteral(": ") + script.ErrorText;
  try {
    script.RunMain();
  } catch (const ScriptError& e) {
    return ExceptionClassNameOf(e) + QStringLiteral(": ") + e.message();
  }
  return recording.messages().join(QLatin1Char('\n'));
}

}  // namespace

TEST(DialogFunctions, MessageDlgAnswersWithModalResults) {
  EXPECT_EQ(RunWithDialogs("begin ShowMessage(MessageDlg('Usunąć?', mtConfirmation, [mbYes, mbNo], 0) = mrYes) end."),
            "Usunąć?\nTrue");
  EXPECT_EQ(RunWithDialogs("begin ShowMessage(MessageDlg('Usunąć?', mtConfirmation, [mbYes, mbNo], 0) = mrNo) end.",
                           [] { dialogs::queueButtonAnswer(dialogs::ButtonNo); }),
            "Usunąć?\nTrue");
  // A queued button that is not offered is no answer: the first one offered is.
  EXPECT_EQ(RunWithDialogs("begin ShowMessage(MessageDlg('x', mtError, [mbOK, mbCancel], 0)) end.",
                           [] { dialogs::queueButtonAnswer(dialogs::ButtonYes); }),
            "x\n1");
  EXPECT_EQ(RunWithDialogs("begin ShowMessage(MessageDlg('x', mtWarning, [mbAbort, mbRetry, mbIgnore], 0)) end.",
                           [] { dialogs::queueButtonAnswer(dialogs::ButtonIgnore); }),
            "x\n5");
}

TEST(DialogFunctions, InputBoxAndInputQuery) {
  EXPECT_EQ(RunWithDialogs("begin ShowMessage(InputBox('Tytuł', 'Imię:', 'Jan')) end."), "Imię:\nJan");
  EXPECT_EQ(RunWithDialogs("begin ShowMessage(InputBox('Tytuł', 'Imię:', 'Jan')) end.",
                           [] { dialogs::queueTextAnswer(QStringLiteral("Żaneta")); }),
            "Imię:\nŻaneta");
  // Cancelled: InputBox gives its default, InputQuery False and the value unchanged.
  EXPECT_EQ(RunWithDialogs("var s: String;\nbegin s := 'stare';\n"
                           "ShowMessage(InputBox('T', 'P1', 'domyślny'));\n"
                           "ShowMessage(InputQuery('T', 'P2', s)); ShowMessage(s);\n"
                           "ShowMessage(InputQuery('T', 'P3', s)); ShowMessage(s) end.",
                           [] {
                             dialogs::queueTextAnswer(std::nullopt);
                             dialogs::queueTextAnswer(std::nullopt);
                             dialogs::queueTextAnswer(QStringLiteral("nowe"));
                           }),
            "P1\ndomyślny\nP2\nFalse\nstare\nP3\nTrue\nnowe");
}

}  // namespace valmoro::script::test
