// Handlers of report events in the four script languages: what fits an
// event, the text of a new handler, where it goes, and that the engine
// compiles the result.
#include <gtest/gtest.h>

#include "designer/event_handlers.h"
#include "qt_printers.h"
#include "report/model/report.h"

using namespace valmoro;
using namespace valmoro::designer;

namespace {

QStringList lines(const char* text) { return QString::fromUtf8(text).split(QLatin1Char('\n')); }

// Compiles the script as preparing a report does; the error list when it fails.
QString compileError(const QString& language, const QStringList& script) {
  report::TfrxReport report;
  report.SetScriptLanguage(language);
  report.SetScriptText(script);
  if (report.PrepareScript()) return QString();
  return report.Errors().join(QLatin1Char('\n')) + QStringLiteral(" in:\n") + script.join(QLatin1Char('\n'));
}

TEST(EventHandlers, ParametersFollowWhatTheEnginePasses) {
  const QList<EventParameter> print = eventParameters(QStringLiteral("OnBeforePrint"));
  ASSERT_EQ(print.size(), 1);
  EXPECT_EQ(print[0].name, "Sender");
  EXPECT_EQ(print[0].type, "TfrxComponent");
  EXPECT_FALSE(print[0].byReference);

  const QList<EventParameter> click = eventParameters(QStringLiteral("OnPreviewClick"));
  ASSERT_EQ(click.size(), 4);
  EXPECT_EQ(click[0].type, "TfrxView");
  EXPECT_EQ(click[3].name, "Modified");
  EXPECT_TRUE(click[3].byReference);

  const QList<EventParameter> dialogs = eventParameters(QStringLiteral("OnRunDialogs"));
  ASSERT_EQ(dialogs.size(), 1);
  EXPECT_TRUE(dialogs[0].byReference);
  EXPECT_EQ(eventParameters(QStringLiteral("OnKeyDown")).size(), 3);
  EXPECT_EQ(eventParameters(QStringLiteral("OnCloseQuery")).size(), 2);
}

TEST(EventHandlers, ProceduresThatFitAnEventByTheirParameters) {
  const QStringList pascal = lines(
      "procedure Jeden(Sender: TfrxComponent);\nbegin\nend;\n\n"
      "procedure Cztery(Sender: TfrxView; Button: TMouseButton; Shift: Integer; var Modified: Boolean);\nbegin\nend;\n\n"
      "function Dwa(a, b: Integer): Integer;\nbegin\n  Result := a + b;\nend;\n\nbegin\nend.");
  const QList<ScriptProcedure> all = scriptProcedures(QStringLiteral("PascalScript"), pascal);
  ASSERT_EQ(all.size(), 3);
  EXPECT_EQ(all[0].name, "Jeden");
  EXPECT_EQ(all[0].line, 1);
  EXPECT_EQ(all[1].parameterCount, 4);
  EXPECT_EQ(all[1].line, 5);
  EXPECT_EQ(all[2].name, "Dwa");
  EXPECT_EQ(all[2].parameterCount, 2);
  EXPECT_EQ(fittingProcedures(QStringLiteral("PascalScript"), pascal, QStringLiteral("OnBeforePrint")),
            QStringList{"Jeden"});
  EXPECT_EQ(fittingProcedures(QStringLiteral("PascalScript"), pascal, QStringLiteral("OnPreviewDblClick")),
            QStringList{"Cztery"});
  EXPECT_EQ(fittingProcedures(QStringLiteral("PascalScript"), pascal, QStringLiteral("OnKeyPress")),
            QStringList{"Dwa"});

  const QStringList cpp = lines("void A(TfrxComponent Sender)\n{\n}\nint B(int x, int &y)\n{\n  return x;\n}\n{\n}");
  EXPECT_EQ(fittingProcedures(QStringLiteral("C++Script"), cpp, QStringLiteral("OnAfterPrint")), QStringList{"A"});
  const QStringList js = lines("function A(Sender)\n{\n}\nfunction B(x, &y) { return x; }\nA(nil);");
  EXPECT_EQ(fittingProcedures(QStringLiteral("JScript"), js, QStringLiteral("OnKeyPress")), QStringList{"B"});
  const QStringList basic = lines("Sub A(Sender)\nEnd Sub\nFunction B(x, ByRef y)\n  Return x\nEnd Function\n");
  EXPECT_EQ(fittingProcedures(QStringLiteral("BasicScript"), basic, QStringLiteral("OnAfterData")), QStringList{"A"});
  // A script that does not parse offers nothing rather than guesses.
  EXPECT_TRUE(scriptProcedures(QStringLiteral("PascalScript"), lines("procedure X(;\nbegin")).isEmpty());
}

TEST(EventHandlers, NameIsObjectAndEvent) {
  EXPECT_EQ(handlerName(QStringLiteral("MemoTemperatura"), QStringLiteral("OnBeforePrint")),
            "MemoTemperaturaOnBeforePrint");
}

TEST(EventHandlers, PascalHandlerGoesBeforeTheMainBlockAndCompiles) {
  const QStringList script = lines("procedure Stara(Sender: TfrxComponent);\nbegin\nend;\n\nbegin\n\nend.");
  const InsertedHandler h = insertHandler(QStringLiteral("PascalScript"), script, QStringLiteral("TytulOnBeforePrint"),
                                          eventParameters(QStringLiteral("OnBeforePrint")));
  EXPECT_EQ(h.script.join('\n'),
            "procedure Stara(Sender: TfrxComponent);\nbegin\nend;\n\n"
            "procedure TytulOnBeforePrint(Sender: TfrxComponent);\nbegin\n\nend;\n\nbegin\n\nend.");
  EXPECT_EQ(h.line, 5);
  EXPECT_EQ(h.bodyLine, 7);
  EXPECT_EQ(compileError(QStringLiteral("PascalScript"), h.script), QString());

  // A main block behind the end of a routine gets a line of its own.
  const InsertedHandler joined = insertHandler(QStringLiteral("PascalScript"), lines("procedure A;\nbegin\nend; begin end."),
                                               QStringLiteral("B"), eventParameters(QStringLiteral("OnClick")));
  EXPECT_EQ(joined.script.join('\n'),
            "procedure A;\nbegin\nend; \nprocedure B(Sender: TfrxComponent);\nbegin\n\nend;\n\nbegin end.");
  EXPECT_EQ(compileError(QStringLiteral("PascalScript"), joined.script), QString());
}

TEST(EventHandlers, ByReferenceParametersInEachLanguage) {
  const QList<EventParameter> click = eventParameters(QStringLiteral("OnPreviewClick"));
  EXPECT_EQ(handlerText(QStringLiteral("PascalScript"), QStringLiteral("P"), click).first(),
            "procedure P(Sender: TfrxView; Button: TMouseButton; Shift: Integer; var Modified: Boolean);");
  EXPECT_EQ(handlerText(QStringLiteral("C++Script"), QStringLiteral("P"), click).first(),
            "void P(TfrxView Sender, TMouseButton Button, int Shift, bool &Modified)");
  EXPECT_EQ(handlerText(QStringLiteral("JScript"), QStringLiteral("P"), click).first(),
            "function P(Sender, Button, Shift, &Modified)");
  EXPECT_EQ(handlerText(QStringLiteral("BasicScript"), QStringLiteral("P"), click).first(),
            "Sub P(Sender, Button, Shift, ByRef Modified)");
}

TEST(EventHandlers, EveryLanguageCompilesItsNewHandlers) {
  const struct {
    const char* language;
    const char* script;
    const char* expected;
  } cases[] = {
      {"PascalScript", "", "procedure MemoOnBeforePrint(Sender: TfrxComponent);\nbegin\n\nend;\n\nbegin\n\nend."},
      {"C++Script", "int x = 1;\n{\n  x = 2;\n}",
       "int x = 1;\nvoid MemoOnBeforePrint(TfrxComponent Sender)\n{\n\n}\n\n{\n  x = 2;\n}"},
      {"C++Script", "", "void MemoOnBeforePrint(TfrxComponent Sender)\n{\n\n}\n\n{\n\n}"},
      {"JScript", "var x = 1;", "var x = 1;\n\nfunction MemoOnBeforePrint(Sender)\n{\n\n}"},
      {"BasicScript", "Dim x\nx = 1", "Dim x\nx = 1\n\nSub MemoOnBeforePrint(Sender)\n\nEnd Sub"},
  };
  for (const auto& c : cases) {
    const QString language = QString::fromLatin1(c.language);
    const QStringList script = QString::fromUtf8(c.script).isEmpty() ? QStringList() : lines(c.script);
    const InsertedHandler h = insertHandler(language, script, QStringLiteral("MemoOnBeforePrint"),
                                            eventParameters(QStringLiteral("OnBeforePrint")));
    EXPECT_EQ(h.script.join('\n'), QString::fromUtf8(c.expected)) << c.language;
    EXPECT_EQ(compileError(language, h.script), QString()) << c.language;
    EXPECT_EQ(fittingProcedures(language, h.script, QStringLiteral("OnAfterPrint")),
              QStringList{"MemoOnBeforePrint"})
        << c.language;
    // The line given is the handler's empty body.
    ASSERT_GE(h.bodyLine, 1);
    ASSERT_LE(h.bodyLine, h.script.size());
    EXPECT_TRUE(h.script[h.bodyLine - 1].isEmpty()) << c.language;
    EXPECT_TRUE(h.script[h.line - 1].contains("MemoOnBeforePrint")) << c.language;
  }
  // Handlers with parameters written back compile too.
  for (const char* language : {"PascalScript", "C++Script", "JScript", "BasicScript"}) {
    const QString name = QString::fromLatin1(language);
    const InsertedHandler h = insertHandler(name, {}, QStringLiteral("MemoOnPreviewClick"),
                                            eventParameters(QStringLiteral("OnPreviewClick")));
    EXPECT_EQ(compileError(name, h.script), QString()) << language;
  }
}

}  // namespace
