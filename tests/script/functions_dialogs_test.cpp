// The dialog functions in recording mode: what they show is recorded and
// they answer from queued answers (or their defaults).

#include <gtest/gtest.h>

#include "run_support.h"
#include "script/module_classes.h"
#include "script/module_dialogs.h"
#include "script/module_graphics.h"

namespace valmoro::script::test {

namespace {

enum class Modules { Dialogs, WithClasses, WithGraphics };

// Runs with the dialogs module (and, when asked, the classes module for
// TComponent and string lists and the graphics module for TFont); answers
// are queued inside the recording scope of the run, through the queue
// callback.
QString RunScriptWith(Modules modules, const QString& source, const std::function<void()>& queue) {
  TfsScript script;
  script.AddRuntimeLibrary();
  if (modules != Modules::Dialogs) script.AddSymbol(QString(), new TfsClassesModule(&script));
  script.AddSymbol(QString(), new TfsDialogsModule(&script));
  if (modules == Modules::WithGraphics) script.AddSymbol(QString(), new TfsGraphicsModule(&script));
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

QString RunWithDialogs(const QString& source, const std::function<void()>& queue = {}) {
  return RunScriptWith(Modules::Dialogs, source, queue);
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


namespace {

QString RunDialogClasses(const QString& source, const std::function<void()>& queue = {}, bool graphics = false) {
  return RunScriptWith(graphics ? Modules::WithGraphics : Modules::WithClasses, source, queue);
}

}  // namespace

TEST(DialogClasses, OpenAndSaveDialogsAnswerFromTheQueue) {
  const QString source = QStringLiteral(
      "var o: TOpenDialog; s: TSaveDialog;\n"
      "begin o := TOpenDialog.Create(nil); o.Title := 'Wybierz raport'; o.FileName := 'stary.fr3';\n"
      "o.Filter := 'Raporty (*.fr3)|*.fr3|Wszystkie (*.*)|*.*'; o.DefaultExt := 'fr3';\n"
      "ShowMessage(o.Execute); ShowMessage(o.FileName); ShowMessage(o.Options and 128);\n"
      "ShowMessage(o.Execute); ShowMessage(o.FileName); ShowMessage(o.Options and 128);\n"
      "o.Options := [ofAllowMultiSelect, ofFileMustExist]; ShowMessage(o.Execute);\n"
      "ShowMessage(o.Files.CommaText + ' ' + o.FileName); ShowMessage(o.Options);\n"
      "s := TSaveDialog.Create(o); ShowMessage(s.Execute); ShowMessage(s.FileName = '');\n"
      "ShowMessage(s.Owner = o); o.Free; ShowMessage(s = nil) end.");
  EXPECT_EQ(RunDialogClasses(source,
                             [] {
                               dialogs::queueFileAnswer(QStringList{"/tmp/nowy"});
                               dialogs::queueFileAnswer(QStringList{"/tmp/dane.txt"});
                               dialogs::queueFileAnswer(QStringList{"/tmp/a.fr3", "/tmp/b.fr3"});
                               dialogs::queueFileAnswer(std::nullopt);
                             }),
            "Wybierz raport\nTrue\n/tmp/nowy.fr3\n0\nWybierz raport\nTrue\n/tmp/dane.txt\n128\n"
            "Wybierz raport\nTrue\n/tmp/a.fr3,/tmp/b.fr3 /tmp/a.fr3\n576\n"
            "Zapisz jako\nFalse\nTrue\nTrue\nTrue");
  // Nothing queued: the dialog counts as cancelled and FileName stays.
  EXPECT_EQ(RunDialogClasses("var o: TOpenDialog;\nbegin o := TOpenDialog.Create(nil); o.FileName := 'x';\n"
                             "ShowMessage(o.Execute); ShowMessage(o.FileName); ShowMessage(o.ClassName); o.Free end."),
            "Otwórz\nFalse\nx\nTOpenDialog");
}

TEST(DialogClasses, ColourFontAndPrintDialogs) {
  const QString source = QStringLiteral(
      "var c: TColorDialog; f: TFontDialog; p: TPrintDialog; u: TPrinterSetupDialog;\n"
      "begin c := TColorDialog.Create(nil); c.Color := 255; ShowMessage(c.Execute); ShowMessage(c.Color);\n"
      "ShowMessage(c.Execute); ShowMessage(c.Color);\n"
      "f := TFontDialog.Create(nil); f.Font.Name := 'Courier New'; f.Font.Size := 9;\n"
      "ShowMessage(f.Execute); ShowMessage(f.Font.Name + ' ' + IntToStr(f.Font.Size) + ' ' + IntToStr(f.Font.Style));\n"
      "ShowMessage(f.Options);\n"
      "p := TPrintDialog.Create(nil); p.Options := [poPageNums]; p.MinPage := 1; p.MaxPage := 9;\n"
      "ShowMessage(p.Execute); ShowMessage(IntToStr(p.Copies) + ' ' + IntToStr(p.FromPage) + '-' + IntToStr(p.ToPage));\n"
      "ShowMessage(p.PrintRange = prPageNums); ShowMessage(p.Collate);\n"
      "ShowMessage(p.Execute); ShowMessage(p.Copies);\n"
      "u := TPrinterSetupDialog.Create(nil); ShowMessage(u.Execute);\n"
      "c.Free; f.Free; p.Free; u.Free end.");
  EXPECT_EQ(RunDialogClasses(source,
                             [] {
                               dialogs::queueColorAnswer(QColor(0x11, 0x22, 0x33));
                               dialogs::queueColorAnswer(std::nullopt);
                               QFont font(QStringLiteral("Liberation Serif"));
                               font.setPointSize(14);
                               font.setBold(true);
                               font.setUnderline(true);
                               dialogs::queueFontAnswer(dialogs::FontChoice{font, Qt::black});
                               dialogs::PrintSettings settings;
                               settings.copies = 3;
                               settings.collate = true;
                               settings.range = dialogs::PrintSettings::Range::PageNumbers;
                               settings.fromPage = 2;
                               settings.toPage = 5;
                               dialogs::queuePrintAnswer(settings);
                               dialogs::queuePrintAnswer(std::nullopt);
                             }),
            "Kolor\nTrue\n3351057\nKolor\nFalse\n3351057\n"
            "Czcionka\nTrue\nLiberation Serif 14 5\n4\n"
            "Drukuj\nTrue\n3 2-5\nTrue\nTrue\nDrukuj\nFalse\n3\nUstawienia wydruku\nFalse");
}

// With the graphics module, the dialog's font is a TFont, served through
// that class's members (Style included), whichever module came first.
TEST(DialogClasses, FontDialogUsesTheScriptsTFont) {
  EXPECT_EQ(RunDialogClasses("var f: TFontDialog;\nbegin f := TFontDialog.Create(nil); f.Font.Size := 8;\n"
                             "ShowMessage(f.Font.ClassName); ShowMessage(f.Execute);\n"
                             "ShowMessage(f.Font.Name + ' ' + IntToStr(f.Font.Size) + ' ' + IntToStr(f.Font.Color));\n"
                             "ShowMessage(fsItalic in f.Font.Style); ShowMessage(fsBold in f.Font.Style); f.Free end.",
                             [] {
                               QFont font(QStringLiteral("Liberation Mono"));
                               font.setPointSize(12);
                               font.setItalic(true);
                               dialogs::queueFontAnswer(dialogs::FontChoice{font, QColor(0, 0, 255)});
                             },
                             true),
            "TFont\nCzcionka\nTrue\nLiberation Mono 12 16711680\nTrue\nFalse");
}

TEST(DialogClasses, ErrorsReachScripts) {
  EXPECT_EQ(RunDialogClasses("var d: TOpenDialog;\nbegin\n"
                             "try d.Execute except ShowMessage(ExceptionClassName) end;\n"
                             "d := TOpenDialog.Create(nil); d.Free;\n"
                             "try ShowMessage(d.FileName) except ShowMessage(ExceptionClassName) end end."),
            "EInvalidOperation\nEInvalidOperation");
}


TEST(DialogClasses, AFreedFilesOrColoursListIsMadeAnew) {
  EXPECT_EQ(RunDialogClasses("var o: TOpenDialog; c: TColorDialog;\n"
                             "begin o := TOpenDialog.Create(nil); o.Files.Free; ShowMessage(o.Files.Count);\n"
                             "ShowMessage(o.Execute); ShowMessage(o.Files.CommaText);\n"
                             "c := TColorDialog.Create(o); c.CustomColors.Free; c.CustomColors.Add('ColorA=FF0000');\n"
                             "ShowMessage(c.CustomColors.Text); o.Free end.",
                             [] { dialogs::queueFileAnswer(QStringList{"/tmp/a.fr3"}); }),
            "0\nOtwórz\nTrue\n/tmp/a.fr3\nColorA=FF0000\r\n");
}

}  // namespace valmoro::script::test
