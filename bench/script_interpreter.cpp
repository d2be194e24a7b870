// The interpreter against Lua 5.4 on the same small programs, side by side
// in one run: a counting loop of 10,000,000 additions, a recursive Fibonacci
// of 27 and 1,000,000 string appends. Target: each PascalScript program
// within 3 times the Lua time.
//
// Lua runs as "lua5.4" (Debian package lua5.4) in a child process and times
// itself with os.clock, so its start-up is not counted; ours is timed around
// RunMain with the same processor clock (not the wall clock: the machine may
// be busy with other work). Both take the best of several runs.
//
// Usage: bench_script_interpreter [runs] [program name]
// Prints plain "name: value" lines.

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>

#include "platform/dialogs.h"
#include "script/script.h"

using namespace valmoro;
using namespace valmoro::script;

namespace {

struct Program {
  const char* name;
  const char* pascal;
  const char* lua;         // the same program, the variables local as ours are slots
  const char* luaGlobals;  // the same with global variables, as the Pascal program declares them
  const char* resultName;  // the variable holding the result
  const char* expected;
};

const Program kPrograms[] = {
    {"loop_10M_additions",
     "var i: Integer; s: Extended;\n"
     "begin\n  s := 0;\n  for i := 1 to 10000000 do\n    s := s + i;\nend.",
     "local s = 0.0\nfor i = 1, 10000000 do s = s + i end\nresult = s",
     "s = 0.0\nfor i = 1, 10000000 do s = s + i end\nresult = s", "s", "50000005000000"},
    {"fibonacci_27",
     "var r: Integer;\n"
     "function Fib(n: Integer): Integer;\nbegin\n  if n < 2 then Result := n\n"
     "  else Result := Fib(n - 1) + Fib(n - 2);\nend;\n"
     "begin\n  r := Fib(27);\nend.",
     "local function fib(n) if n < 2 then return n else return fib(n - 1) + fib(n - 2) end end\nresult = fib(27)",
     "function fib(n) if n < 2 then return n else return fib(n - 1) + fib(n - 2) end end\nresult = fib(27)", "r",
     "196418"},
    {"string_1M_appends",
     "var i: Integer; s: String;\n"
     "begin\n  s := '';\n  for i := 1 to 1000000 do\n    s := s + 'x';\nend.",
     // Lua strings are immutable: "s = s .. 'x'" copies the whole string each
     // time (minutes for a million); its own way to append is a buffer table.
     "local b = {}\nfor i = 1, 1000000 do b[#b + 1] = 'x' end\nlocal s = table.concat(b)\nresult = #s",
     "b = {}\nfor i = 1, 1000000 do b[#b + 1] = 'x' end\ns = table.concat(b)\nresult = #s", "s", nullptr},
};

// Seconds of one run of a Lua chunk, timed inside Lua; negative on failure.
double luaSeconds(const char* chunk, QString* result) {
  const QString script = QStringLiteral("local t0 = os.clock()\n") + QString::fromUtf8(chunk) +
                         QStringLiteral("\nlocal t1 = os.clock()\nprint(string.format('%.6f', t1 - t0))\nprint(result)\n");
  QProcess lua;
  lua.start(QStringLiteral("lua5.4"), {QStringLiteral("-")});
  if (!lua.waitForStarted(5000)) return -1;
  lua.write(script.toUtf8());
  lua.closeWriteChannel();
  if (!lua.waitForFinished(600000) || lua.exitCode() != 0) return -1;
  const QStringList lines = QString::fromUtf8(lua.readAllStandardOutput()).split(QLatin1Char('\n'));
  if (lines.size() < 2) return -1;
  *result = lines[1].trimmed();
  bool ok = false;
  const double seconds = lines[0].trimmed().toDouble(&ok);  // Lua prints "." whatever the locale
  return ok ? seconds : -1;
}

// Seconds of RunMain of a compiled program; the result variable's text.
double pascalSeconds(const char* source, const char* resultName, QString* result) {
  TfsScript script;
  script.AddRuntimeLibrary();
  script.Lines = SplitSourceLines(QString::fromUtf8(source));
  if (!script.CompileSource()) {
    std::fprintf(stderr, "compile error %s: %s\n", qPrintable(script.ErrorPosition), qPrintable(script.ErrorText));
    return -1;
  }
  const std::clock_t start = std::clock();
  script.RunMain();
  const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
  const Variant value = script.FindSymbol(QString::fromLatin1(resultName))->GetValue();
  *result = value.IsString() ? Variant(int(value.AsString().size())).ToString() : value.ToString();
  return seconds;
}

std::string fixed(double value, int decimals) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return std::string(buf, r.ptr);
}

void line(const char* program, const char* what, const std::string& value) {
  std::fputs((std::string(program) + "." + what + ": " + value + "\n").c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  dialogs::setMode(dialogs::Mode::Console);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  bool allWithin = true;
  const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  for (const Program& p : kPrograms) {
    if (!only.isEmpty() && only != QLatin1String(p.name)) continue;
    double ours = std::numeric_limits<double>::max();
    double luaLocal = std::numeric_limits<double>::max();
    double luaGlobal = std::numeric_limits<double>::max();
    QString ourResult, luaResult, luaGlobalResult;
    for (int r = 0; r < runs; ++r) {
      const double a = pascalSeconds(p.pascal, p.resultName, &ourResult);
      const double b = luaSeconds(p.lua, &luaResult);
      const double c = luaSeconds(p.luaGlobals, &luaGlobalResult);
      if (a < 0 || b < 0 || c < 0) {
        std::fprintf(stderr, "%s: run failed (is lua5.4 installed?)\n", p.name);
        return 1;
      }
      ours = std::min(ours, a);
      luaLocal = std::min(luaLocal, b);
      luaGlobal = std::min(luaGlobal, c);
    }
    const QString expected = p.expected ? QString::fromLatin1(p.expected) : luaResult;
    if (ourResult.remove(QLatin1Char(' ')).remove(QChar(0xA0)) != expected)
      std::fprintf(stderr, "%s: result %s, expected %s\n", p.name, qPrintable(ourResult), qPrintable(expected));
    const double ratio = ours / luaLocal;
    allWithin = allWithin && ratio <= 3.0;
    line(p.name, "pascal_ms", fixed(ours * 1000, 1));
    line(p.name, "lua_ms", fixed(luaLocal * 1000, 1));
    line(p.name, "lua_globals_ms", fixed(luaGlobal * 1000, 1));
    line(p.name, "ratio", fixed(ratio, 2) + " (target <= 3)");
    line(p.name, "ratio_vs_lua_globals", fixed(ours / luaGlobal, 2));
  }
  std::fputs(allWithin ? "all_within_target: yes\n" : "all_within_target: no\n", stdout);
  return 0;
}
