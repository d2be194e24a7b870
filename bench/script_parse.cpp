// Source parser speed: a 10,000-line PascalScript source to program XML
// (target under 0.3 s), and the one-line expression function that every
// report expression becomes (target under 50 µs once the grammar is loaded).

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "script/il_parser.h"
#include "script/script.h"

using namespace valmoro::script;

namespace {

QString largeSource(int lines) {
  QStringList out;
  out << "program Big;"
      << "var i, j, total: Integer; s: String; a: array[0..99] of Extended;";
  int routine = 0;
  while (out.size() < lines - 12) {
    out << QString("function F%1(x: Integer; var y: String): Boolean;").arg(routine) << "var k: Integer;"
        << "begin"
        << "  { accumulate } k := x * 2 + (x div 3) mod 7 - $1F;"
        << "  if (k > 10) and not (x in [1, 3..5]) then y := y + 'a''b' + #13#10 else y := '';"
        << "  for k := 0 to 99 do a[k] := a[k] * 1.5e-3 + k;"
        << "  case x of 1: Result := True; 2, 3: Result := False; else Result := k <> 0; end;"
        << "  while k > 0 do begin k := k - 1; if k = 5 then break; end;"
        << "  try Inc(total) finally s := IntToStr(total) end;"
        << "  Result := <Wpisy.\"Data\"> <> Null;"
        << "end;";
    ++routine;
  }
  out << "begin";
  while (out.size() < lines - 1) out << "  total := total + F1(i, s); s := s + 'x';";
  out << "end.";
  return JoinSourceLines(out);
}

double median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

}  // namespace

int main() {
  TfsScript script;
  const QString big = largeSource(10000);
  {
    TfsILParser warm(&script);
    warm.SelectLanguage("PascalScript");  // the grammar is read here, once
    if (!warm.BuildProgramXml(big)) {
      std::printf("large source failed: %s %s\n", qPrintable(script.ErrorPosition), qPrintable(script.ErrorText));
      return 1;
    }
  }
  std::vector<double> bigTimes;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer timer;
    timer.start();
    TfsILParser parser(&script);
    parser.SelectLanguage("PascalScript");
    parser.BuildProgramXml(big);
    bigTimes.push_back(double(timer.nsecsElapsed()) / 1e9);
  }
  std::printf("10,000-line PascalScript to program XML: %.3f s (median of 5; target < 0.3 s)\n", median(bigTimes));

  const QStringList expressions = {"<Wpisy.\"Temperatura\"> * 1.8 + 32", "<Wpisy.\"Data\">",
                                   "IIF(Page > 1, 'Strona ' + IntToStr(Page), '')", "Line mod 2 = 0"};
  for (const QString& expression : expressions) {
    const QString source = "function fsEvaluateFUNC: Variant; begin Result := " + expression + " end; begin end.";
    {
      TfsScript check;
      TfsILParser parser(&check);
      parser.SelectLanguage("PascalScript");
      if (!parser.BuildProgramXml(source)) {
        std::printf("expression failed: %s\n", qPrintable(expression));
        return 1;
      }
    }
    const int rounds = 20000;
    std::vector<double> times;
    for (int block = 0; block < 5; ++block) {
      QElapsedTimer timer;
      timer.start();
      for (int i = 0; i < rounds; ++i) {
        TfsScript child;
        TfsILParser parser(&child);
        parser.SelectLanguage("PascalScript");
        parser.BuildProgramXml(source);
      }
      times.push_back(double(timer.nsecsElapsed()) / 1e3 / rounds);
    }
    std::printf("expression function %-50s %6.2f µs (target < 50 µs)\n", qPrintable(expression), median(times));
  }
  return 0;
}
