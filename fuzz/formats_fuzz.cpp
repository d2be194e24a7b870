// Fuzzing the parsers and formatters of dates, numbers and display formats:
// the Polish date, time and number parsers, the script's number and
// date-time pictures, and the display formats of text views (inline
// " #..." formats as well as format strings), over a few kinds of value.
// Nothing may crash, hang or grow without bound; a text a parser accepts
// must format and parse back to the same value.

#include <QDateTime>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "platform/locale.h"
#include "report/engine/value_format.h"
#include "report/model/format.h"
#include "script/script_error.h"
#include "script/sys_format.h"
#include "script/variant.h"

using namespace valmoro;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  QString folder;
  if (!fuzz::wantSeeds(&folder)) return 0;
  int n = 0;
  for (const char* seed : {"11.12.2026", "2026-12-11", "11.12.2026 14:05:09", "14:05", "1 234,56", "-0,5", "1e308",
                           "%2.2f", "%2.2n", "%2.2m", "%g", "%d", "#,##0.00", "dd.mm.yyyy hh:nn:ss", "dddd, d mmmm yyyy",
                           "Tak,Nie", "N%2.2f", "D dd.mm.yy", "B Tak,Nie", "%-10.3s|%5d|%x", "\"c\"yyyy am/pm"})
    fuzz::writeSeed(folder, QString::number(++n), QByteArray(seed));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::startOnce("formats_fuzz");
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

  if (const std::optional<QDate> date = locale::parseDate(text)) {
    if (!date->isValid()) std::abort();
    if (locale::parseDate(locale::formatDate(*date)) != date) std::abort();
  }
  (void)locale::parseTime(text);
  (void)locale::parseDateTime(text);
  if (const std::optional<double> number = locale::parseFloat(text); number && std::isfinite(*number)) {
    const std::optional<double> back = locale::parseFloat(locale::formatFloatGeneral(*number));
    // The general form keeps 15 significant digits, as the program shows
    // numbers: back within that, not bit for bit.
    if (!back || std::abs(*back - *number) > std::abs(*number) * 1e-14) std::abort();
  }

  const double values[] = {0, -1234.5678, 1e300, 46280.75, std::nan("")};
  try {
    for (const double v : values) (void)locale::formatFloat(text, v);
  } catch (...) {
  }
  for (const double v : values) {
    try {
      (void)script::FormatDateTimeText(text, v);
    } catch (const script::ScriptError&) {
    }
    try {
      (void)script::FormatText(text, script::Variant(v));
    } catch (const script::ScriptError&) {
    }
  }

  const script::Variant samples[] = {script::Variant(), script::Variant(1234.5), script::Variant(qint64(-7)),
                                     script::Variant(QStringLiteral("tekst")), script::Variant(true)};
  const report::engine::ValueFormat inline_ = report::engine::ParseInlineFormat(text);
  for (const script::Variant& v : samples) (void)report::engine::FormatValue(v, inline_);
  for (int kind = 0; kind < 4; ++kind) {
    report::engine::ValueFormat format;
    format.kind = report::TfrxFormatKind(kind);
    format.formatStr = text;
    format.decimalSeparator = QStringLiteral(",");
    for (const script::Variant& v : samples) (void)report::engine::FormatValue(v, format);
  }
  return 0;
}
