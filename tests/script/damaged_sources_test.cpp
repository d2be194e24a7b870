// Damaged sources give errors with positions, never crashes or hangs.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "parse_support.h"
#include "qt_printers.h"
#include "script/script_error.h"
#include "script/script_parse_command.h"

namespace valmoro::script::test {
namespace {

QString damagedDir() { return QStringLiteral(VALMORO_SOURCE_DIR "/tests/script/data/damaged"); }

TEST(DamagedSources, EachGivesItsError) {
  QFile manifest(damagedDir() + "/expected.txt");
  ASSERT_TRUE(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
  QStringList listed;
  while (!manifest.atEnd()) {
    const QString line = QString::fromUtf8(manifest.readLine()).trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QString file = line.section('\t', 0, 0);
    const QString expected = line.section('\t', 1);
    listed << file;
    const QString path = damagedDir() + "/" + file;
    const Parsed parsed = Parse(LanguageForFileName(path), ReadSourceFile(path));
    EXPECT_FALSE(parsed.ok) << file.toStdString();
    EXPECT_EQ(ErrorOf(parsed), expected) << file.toStdString();
  }
  const QStringList files = QDir(damagedDir()).entryList({"*.pas", "*.cpp", "*.js", "*.bas"}, QDir::Files);
  EXPECT_EQ(listed.size(), files.size());
  for (const QString& file : files) EXPECT_TRUE(listed.contains(file)) << file.toStdString();
}

const char* const kPascal =
    "program P;\nuses 'none.pas';\nconst C = $1F;\nvar a: array[1..2] of Integer; s: String = 'x''y';\n"
    "function F(var x: Integer): Boolean;\nbegin Result := not (x > 1) end;\n"
    "begin\n  { comment } (* another *)\n  for i := 1 to 2 do a[i] := i * 2 div 1;\n"
    "  case i of 1: s := #13#10; 2..3: ; else s := <Wpisy.\"Data\">; end;\n"
    "  try while F(i) do Inc(i) finally i := -1 end;\n  repeat with s do x; until True\nend.";
const char* const kCpp =
    "#include \"none.cpp\"\n#define C 0x1F\nint a[2][3], s = 1;\nint F(int &x) { return !(x > 1); }\n"
    "{\n  /* comment */ for (i = 0; i < 2; i++) { a[i][0] = i * 2 % 3; }\n"
    "  switch (i) { case 1: s = \"\\x41\\n\"; default: { s += <Wpisy.\"Data\">; } }\n"
    "  try { do x--; while (F(i)); } except { delete s; }\n}";
const char* const kJScript =
    "import \"none.js\";\nvar a[2], s = \"it's\";\nfunction F(&x) { return !(x > 1) }\n"
    "for (i = 0; i < 2; i++) { a[i] = i * 2 % 3 }\nswitch (i) { case 1: s = 0x10; default: s = <W.\"D\"> }\n"
    "try { do x--; while (F(i)); } finally { with (s) y() }\n";
const char* const kBasic =
    "Imports \"none.bas\"\nDim a[2], s As String = \"x\"\"y\"\nFunction F(ByRef x) As Boolean\n"
    "  Return Not (x > 1) ' comment\nEnd Function\nFor i = 1 To 2 Step 1\n  a[i] = i * 2 \\ 1 & \"s\"\nNext\n"
    "Select Case i\nCase 1, 2: s = <Wpisy.\"Data\">\nCase Else:\n  s = 0x1F + _\n   1\nEnd Select\n"
    "Try\n  While F(i)\n    i = i + 1\n  Wend\nCatch\nEnd Try\nIf i Then\n  x = 1\nElseIf j Then\n  y\nEnd If\n";

// Units may be named; none has a text, so each is an empty unit.
Parsed parsePrefix(const QString& language, const QString& source) {
  TfsScript script;
  script.OnGetUnit = [](TfsScript*, const QString&, QString&) {};
  return Parse(language, source, &script);
}

TEST(DamagedSources, EveryCutOfAValidProgramIsHandled) {
  const struct {
    const char* language;
    const char* source;
    bool strictEnd;  // the language needs its last character: every shorter cut is an error
  } samples[] = {{"PascalScript", kPascal, true},
                 {"C++Script", kCpp, true},
                 {"JScript", kJScript, false},
                 {"BasicScript", kBasic, false}};
  for (const auto& sample : samples) {
    const QString source = QString::fromUtf8(sample.source);
    const Parsed whole = parsePrefix(sample.language, source);
    ASSERT_TRUE(whole.ok) << sample.language << ": " << ErrorOf(whole).toStdString();
    for (qsizetype length = 0; length < source.size(); ++length) {
      const Parsed cut = parsePrefix(sample.language, source.left(length));
      if (sample.strictEnd) {
        EXPECT_FALSE(cut.errorText.isEmpty()) << sample.language << " cut at " << length;
      } else if (!cut.ok) {
        // Only the start rule matching nothing may fail without a message.
        EXPECT_TRUE(!cut.errorText.isEmpty() || QString(sample.language) == "BasicScript")
            << sample.language << " cut at " << length;
      }
      // A position names a place inside the cut source (or just past it).
      if (!cut.errorText.isEmpty()) {
        const qsizetype line = cut.errorPosition.section(':', 0, 0).toLongLong();
        EXPECT_GE(line, 1);
        EXPECT_LE(line, SplitSourceLines(source.left(length)).size() + 1);
      }
    }
  }
}

TEST(DamagedSources, ControlCharactersAndStrayBytes) {
  QString noise;
  for (int c = 0; c < 160; ++c) noise += QChar(c);
  noise += QChar(0xD800);  // a lone surrogate
  for (const char* language : {"PascalScript", "C++Script"}) {
    const Parsed parsed = Parse(language, noise + noise);
    EXPECT_EQ(ErrorOf(parsed), "3:20: '" + QString(language == QString("PascalScript") ? "BEGIN" : "{") +
                                   "' expected")
        << language;
  }
  // These two stop quietly at the first line they cannot read.
  EXPECT_TRUE(Parse("JScript", noise).ok);
  EXPECT_EQ(ErrorOf(Parse("BasicScript", noise)), "ok");
}

}  // namespace
}  // namespace valmoro::script::test
