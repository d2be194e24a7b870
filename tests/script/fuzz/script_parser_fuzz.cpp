// libFuzzer harness for the script source parser and the engine's XML reader.
// Built only with -DVALMORO_FUZZ=ON and clang; run for example as
//   fuzz/script_parser_fuzz -max_total_time=900 -timeout=5 CORPUS_DIR tests/script/data/damaged
//
// The first byte picks what the rest is fed to: one of the four languages
// (the rest is UTF-8 source text) or the XML reader. A parse must end in a
// program or in a syntax error; a program's XML must survive being written
// out and read back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "script/il_parser.h"
#include "script/script.h"
#include "script/script_error.h"
#include "script/xml_document.h"

using namespace valmoro::script;

namespace {

const char* const kLanguages[] = {"PascalScript", "C++Script", "JScript", "BasicScript"};

void check(bool condition) {
  if (!condition) std::abort();
}

void fuzzSource(const char* language, const QByteArray& bytes) {
  TfsScript script;
  // Units resolve to a small fixed text so that include handling is exercised
  // without touching the file system.
  script.OnGetUnit = [](TfsScript*, const QString& name, QString& text) {
    if (name.size() < 3) text = QStringLiteral("x");
  };
  script.Lines = SplitSourceLines(QString::fromUtf8(bytes));
  TfsILParser parser(&script);
  parser.SelectLanguage(QString::fromLatin1(language));
  try {
    const bool ok = parser.BuildProgramXml(script.SourceText());
    if (ok) {
      check(script.ErrorText.isEmpty());
      const QByteArray written = parser.ProgramXml().SaveToData();
      TfsXMLDocument back;
      back.LoadFromData(written);
      check(back.SaveToData() == written);
    } else if (!script.ErrorText.isEmpty()) {
      check(script.ErrorPosition.contains(QLatin1Char(':')));
    }
  } catch (const ScriptError&) {
    // Unknown language in a directive: an error, not a crash.
  }
}

// Arbitrary documents need not survive a write (an element without a name
// writes as "</>"); reading and writing them must simply not fail badly.
void fuzzXml(const QByteArray& bytes) {
  TfsXMLDocument doc;
  try {
    doc.LoadFromData(bytes);
    TfsXMLDocument back;
    back.LoadFromData(doc.SaveToData());
  } catch (const ScriptError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
  const unsigned pick = data[0] % 5;
  if (pick < 4)
    fuzzSource(kLanguages[pick], bytes);
  else
    fuzzXml(bytes);
  return 0;
}
