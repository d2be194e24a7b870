#include "report/engine/value_format.h"

#include "platform/locale.h"
#include "report/model/format.h"
#include "script/sys_format.h"

namespace valmoro::report::engine {

using script::Variant;
using script::VarKind;

ValueFormat ValueFormat::Of(const TfrxFormat& format) {
  return ValueFormat{format.Kind(), format.FormatStr(), format.DecimalSeparator(), format.ThousandSeparator()};
}

ValueFormat ParseInlineFormat(QStringView text) {
  ValueFormat format;
  if (text.isEmpty()) return format;
  const QChar kind = text[0].toUpper();
  QString rest = text.sliced(1).toString();
  if (kind == u'N') {
    format.kind = fkNumeric;
    for (QChar& c : rest) {
      if (c == u',' || c == u'-' || c == u'.') {
        format.decimalSeparator = QString(c);
        c = u'.';
      }
    }
  } else if (kind == u'D' || kind == u'T') {
    format.kind = fkDateTime;
  } else if (kind == u'B') {
    format.kind = fkBoolean;
  }
  format.formatStr = std::move(rest);
  return format;
}

QString PlainText(const Variant& value) {
  try {
    return value.ToString();
  } catch (...) {
    return QString();
  }
}

bool IsZeroNumber(const Variant& value) {
  switch (value.Kind()) {
    case VarKind::Integer:
      return value.AsInt() == 0;
    case VarKind::Int64:
    case VarKind::Currency:
      return value.AsInt64() == 0;
    case VarKind::Double:
    case VarKind::Date:
      return value.AsDouble() == 0;
    default:
      return false;
  }
}

namespace {

QString formatNumber(const Variant& value, const ValueFormat& format) {
  const QString& picture = format.formatStr;
  QString text;
  if (picture.contains(u'#'))
    text = locale::formatFloat(picture, value.ToDouble());
  else if (picture.contains(u'd') || picture.contains(u'u'))
    text = script::FormatText(picture, Variant::FromInt64(value.ToInt64()));
  else
    text = script::FormatText(picture, Variant(value.ToDouble()));

  // The separators the format asks for, in place of the locale's.
  const locale::Formats& regional = locale::formats();
  qsizetype decimalAt = -1;
  if (format.decimalSeparator.size() == 1 && format.decimalSeparator[0] != regional.decimalSeparator)
    decimalAt = text.lastIndexOf(regional.decimalSeparator);
  if (format.thousandSeparator.size() == 1 && format.thousandSeparator[0] != regional.thousandSeparator)
    text.replace(regional.thousandSeparator, format.thousandSeparator[0]);
  if (decimalAt >= 0) text[decimalAt] = format.decimalSeparator[0];
  return text;
}

bool isTrue(const Variant& value) {
  switch (value.Kind()) {
    case VarKind::Boolean:
      return value.AsBool();
    case VarKind::Integer:
    case VarKind::Int64:
    case VarKind::Double:
    case VarKind::Currency:
      return value.ToDouble() != 0;
    case VarKind::String:
      return value.AsString().trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
    default:
      return false;
  }
}

QString formatBoolean(const Variant& value, const QString& texts) {
  const qsizetype comma = texts.indexOf(u',');
  if (isTrue(value)) return comma < 0 ? texts : texts.mid(comma + 1);
  return comma < 0 ? QString() : texts.left(comma);
}

}  // namespace

QString FormatValue(const Variant& value, const ValueFormat& format) {
  if (value.IsVoid()) return QString();
  try {
    switch (format.kind) {
      case fkNumeric:
        return formatNumber(value, format);
      case fkDateTime:
        return script::FormatDateTimeText(format.formatStr, value.ToDate());
      case fkBoolean:
        return formatBoolean(value, format.formatStr);
      case fkText:
        break;
    }
  } catch (...) {
    // A value the format cannot take: its plain text below.
  }
  return PlainText(value);
}

}  // namespace valmoro::report::engine
