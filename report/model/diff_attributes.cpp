// The compact attribute form that prepared pages store objects in: only what
// differs from a reference object of the same class, with one-letter names
// for the bounds and the text. Booleans are "1"/"0", enumerations and
// colours numbers, floats the system's general form. The document reader
// reads it back with the ordinary attribute rules.

#include <charconv>
#include <cmath>

#include "platform/locale.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report_xml.h"
#include "report/model/shape_view.h"

namespace valmoro::report {

namespace {

// Days with the precision of a millisecond, a point for the decimals.
QString formatDays(double days) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, days, std::chars_format::fixed, 9);
  QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
  while (text.endsWith(u'0')) text.chop(1);
  if (text.endsWith(u'.')) text.chop(1);
  return text;
}

class Parts {
public:
  void add(QStringView name, const QString& value) {
    text_ += QLatin1Char(' ');
    text_ += name;
    text_ += QLatin1String("=\"");
    text_ += value;
    text_ += QLatin1Char('"');
  }
  void number(QStringView name, qint64 value) { add(name, QString::number(value)); }
  void colour(QStringView name, TColor value) { number(name, qint32(value)); }
  void real(QStringView name, double value) { add(name, locale::formatFloatGeneral(value)); }
  void flag(QStringView name, bool value) { add(name, value ? QStringLiteral("1") : QStringLiteral("0")); }
  void text(QStringView name, const QString& value) { add(name, frxEscape(value)); }

  QString take() { return std::move(text_); }

private:
  QString text_;
};

// A frame value when it differs from the reference's frame. A side's value
// is written when the frame's own value of that kind changed and the side
// differs from its frame (reading the frame's value sets every side first),
// otherwise when it differs from the reference's side.
void frameParts(Parts& out, const TfrxFrame& f, const TfrxFrame& r) {
  if (f.Color() != r.Color()) out.colour(u"Frame.Color", f.Color());
  if (f.DropShadow() != r.DropShadow()) out.flag(u"Frame.DropShadow", f.DropShadow());
  if (f.ShadowColor() != r.ShadowColor()) out.colour(u"Frame.ShadowColor", f.ShadowColor());
  if (coordinatesDiffer(f.ShadowWidth(), r.ShadowWidth())) out.real(u"Frame.ShadowWidth", f.ShadowWidth());
  if (f.Style() != r.Style()) out.number(u"Frame.Style", f.Style());
  if (f.Typ() != r.Typ()) out.number(u"Frame.Typ", f.Typ().toInt());
  if (coordinatesDiffer(f.Width(), r.Width())) out.real(u"Frame.Width", f.Width());

  const struct {
    const char16_t* name;
    const TfrxFrameLine* line;
    const TfrxFrameLine* reference;
  } sides[] = {{u"Frame.LeftLine", f.LeftLine(), r.LeftLine()},
               {u"Frame.TopLine", f.TopLine(), r.TopLine()},
               {u"Frame.RightLine", f.RightLine(), r.RightLine()},
               {u"Frame.BottomLine", f.BottomLine(), r.BottomLine()}};
  const bool colourChanged = f.Color() != r.Color();
  const bool styleChanged = f.Style() != r.Style();
  const bool widthChanged = coordinatesDiffer(f.Width(), r.Width());
  for (const auto& side : sides) {
    const QString prefix = QString::fromUtf16(side.name);
    const TfrxFrameLine& line = *side.line;
    if (colourChanged ? line.Color() != f.Color() : line.Color() != side.reference->Color())
      out.colour(QString(prefix + QLatin1String(".Color")), line.Color());
    if (styleChanged ? line.Style() != f.Style() : line.Style() != side.reference->Style())
      out.number(QString(prefix + QLatin1String(".Style")), line.Style());
    if (widthChanged ? coordinatesDiffer(line.Width(), f.Width())
                     : coordinatesDiffer(line.Width(), side.reference->Width()))
      out.real(QString(prefix + QLatin1String(".Width")), line.Width());
  }
}

void viewParts(Parts& out, const TfrxView& v, const TfrxView& r) {
  if (v.BrushStyle() != r.BrushStyle()) out.number(u"BrushStyle", v.BrushStyle());
  if (v.Align() != r.Align()) out.number(u"Align", v.Align());
  if (v.Color() != r.Color()) out.colour(u"Color", v.Color());
  frameParts(out, *v.Frame(), *r.Frame());
  if (v.Cursor() != r.Cursor()) out.number(u"Cursor", v.Cursor());
  if (v.Printable() != r.Printable()) out.flag(u"Printable", v.Printable());
  if (v.TagStr() != r.TagStr()) out.text(u"TagStr", v.TagStr());
  if (v.URL() != r.URL()) out.text(u"URL", v.URL());
}

// The parts of a date-time a display picture shows (the pictures of
// FormatDateTime; "m" right after an hour is the minute).
struct ShownParts {
  bool year = false, month = false, day = false, hour = false, minute = false, second = false, msec = false;
};

ShownParts shownParts(const QString& picture) {
  ShownParts shown;
  if (picture.isEmpty()) {
    // The general form: the date, and the time unless it is midnight.
    shown = {true, true, true, true, true, true, false};
    return shown;
  }
  bool afterHour = false;
  const qsizetype n = picture.size();
  for (qsizetype i = 0; i < n;) {
    const QChar c = picture[i].toLower();
    if (c == u'"' || c == u'\'') {
      const qsizetype end = picture.indexOf(picture[i], i + 1);
      i = end < 0 ? n : end + 1;
      continue;
    }
    qsizetype run = 1;
    while (i + run < n && picture[i + run].toLower() == c) ++run;
    switch (c.unicode()) {
      case 'c': shown = {true, true, true, true, true, true, shown.msec}; break;
      case 'y': shown.year = true; break;
      case 'd':
        if (run >= 5) shown.year = shown.month = shown.day = true;
        else if (run <= 2) shown.day = true;
        break;
      case 'm': (afterHour && run <= 2 ? shown.minute : shown.month) = true; break;
      case 'h': shown.hour = true; break;
      case 'n': shown.minute = true; break;
      case 's': shown.second = true; break;
      case 'z': shown.msec = true; break;
      case 't': shown.hour = shown.minute = true; shown.second = shown.second || run >= 2; break;
      default: break;
    }
    if (c.isLetter()) afterHour = c == u'h';
    i += run;
  }
  return shown;
}

// Whether the shown text of a date-time view loses part of its value: a
// spreadsheet cell then needs the value itself, not the text read back.
bool textLosesDate(const TfrxCustomMemoView& m) {
  const TfrxFormat& format = *m.DisplayFormat();
  const script::Variant& value = m.Value();
  if (format.Kind() != fkDateTime || !value.IsNumeric()) return false;
  const ShownParts shown = shownParts(format.FormatStr());
  if (!shown.year || !shown.month || !shown.day) return true;
  const double days = value.ToDouble();
  const qint64 ms = qint64(std::llround((days - std::floor(days)) * 86400000.0)) % 86400000;
  if (!shown.hour && ms >= 3600000) return true;
  if (!shown.minute && ms % 3600000 >= 60000) return true;
  if (!shown.second && ms % 60000 >= 1000) return true;
  return !shown.msec && ms % 1000 != 0;
}

void memoParts(Parts& out, const TfrxCustomMemoView& m, const TfrxCustomMemoView& r) {
  if (m.AutoWidth() != r.AutoWidth()) out.flag(u"AutoWidth", m.AutoWidth());
  if (coordinatesDiffer(m.CharSpacing(), r.CharSpacing())) out.real(u"CharSpacing", m.CharSpacing());
  if (coordinatesDiffer(m.GapX(), r.GapX())) out.real(u"GapX", m.GapX());
  if (coordinatesDiffer(m.GapY(), r.GapY())) out.real(u"GapY", m.GapY());
  if (m.HAlign() != r.HAlign()) out.number(u"HAlign", m.HAlign());
  if (m.Highlight()->Active() != r.Highlight()->Active()) out.flag(u"Highlight.Active", m.Highlight()->Active());
  if (coordinatesDiffer(m.LineSpacing(), r.LineSpacing())) out.real(u"LineSpacing", m.LineSpacing());
  if (m.UseDefaultCharset() != r.UseDefaultCharset()) out.flag(u"UseDefaultCharset", m.UseDefaultCharset());
  out.text(u"u", m.Text());
  if (coordinatesDiffer(m.ParagraphGap(), r.ParagraphGap())) out.real(u"ParagraphGap", m.ParagraphGap());
  if (m.Rotation() != r.Rotation()) out.number(u"Rotation", m.Rotation());
  if (m.RTLReading() != r.RTLReading()) out.flag(u"RTLReading", m.RTLReading());
  if (m.Underlines() != r.Underlines()) out.flag(u"Underlines", m.Underlines());
  if (m.VAlign() != r.VAlign()) out.number(u"VAlign", m.VAlign());
  if (m.WordWrap() != r.WordWrap()) out.flag(u"WordWrap", m.WordWrap());
  const TfrxFormat& f = *m.DisplayFormat();
  const TfrxFormat& rf = *r.DisplayFormat();
  if (f.Kind() != rf.Kind()) out.number(u"DisplayFormat.Kind", f.Kind());
  if (f.DecimalSeparator() != rf.DecimalSeparator())
    out.text(u"DisplayFormat.DecimalSeparator", f.DecimalSeparator());
  if (f.ThousandSeparator() != rf.ThousandSeparator())
    out.text(u"DisplayFormat.ThousandSeparator", f.ThousandSeparator());
  if (f.FormatStr() != rf.FormatStr()) out.text(u"DisplayFormat.FormatStr", f.FormatStr());
  if (m.FirstParaBreak()) out.flag(u"FirstParaBreak", true);
  if (m.LastParaBreak()) out.flag(u"LastParaBreak", true);
  // The date-time itself (days since 1899-12-30) when the text does not
  // show all of it, for the spreadsheet export.
  if (textLosesDate(m)) out.add(u"v", formatDays(m.Value().ToDouble()));
}

}  // namespace

QString TfrxComponent::DiffAttributes(const TfrxComponent& reference) const {
  Parts out;
  const auto* memo = qobject_cast<const TfrxCustomMemoView*>(this);
  if (coordinatesDiffer(left_, reference.left_)) out.real(u"l", left_);
  if (qobject_cast<const TfrxBand*>(this) || coordinatesDiffer(top_, reference.top_)) out.real(u"t", top_);
  if (!(memo && memo->AutoWidth()) && coordinatesDiffer(width_, reference.width_)) out.real(u"w", width_);
  if (coordinatesDiffer(height_, reference.height_)) out.real(u"h", height_);
  if (visible_ != reference.visible_) out.flag(u"Visible", visible_);
  if (!parentFont_) {
    const ReportFont& f = *font_;
    const ReportFont& r = *reference.font_;
    if (f.Name() != r.Name()) out.text(u"Font.Name", f.Name());
    if (f.Size() != r.Size()) out.number(u"Font.Size", f.Size());
    if (f.Color() != r.Color()) out.colour(u"Font.Color", f.Color());
    if (f.Style() != r.Style()) out.number(u"Font.Style", f.Style().toInt());
    if (f.Charset() != r.Charset()) out.number(u"Font.Charset", f.Charset());
  }
  if (parentFont_ != reference.parentFont_) out.flag(u"ParentFont", parentFont_);
  if (tag_ != reference.tag_) out.number(u"Tag", tag_);

  const auto* view = qobject_cast<const TfrxView*>(this);
  const auto* viewReference = qobject_cast<const TfrxView*>(&reference);
  if (!view || !viewReference) {
    if (const auto* header = qobject_cast<const TfrxGroupHeader*>(this); header && header->DrillDown())
      out.text(u"DrillName", header->DrillName());
    return out.take();
  }
  viewParts(out, *view, *viewReference);
  if (const auto* r = qobject_cast<const TfrxCustomMemoView*>(&reference); memo && r) memoParts(out, *memo, *r);
  if (const auto* picture = qobject_cast<const TfrxPictureView*>(this)) {
    out.number(u"ImageIndex", picture->ImageIndex());
    if (picture->Transparent()) out.flag(u"Transparent", true);
    if (picture->TransparentColor() != clWhite) out.colour(u"TransparentColor", picture->TransparentColor());
  }
  const auto* shape = qobject_cast<const TfrxShapeView*>(this);
  const auto* shapeReference = qobject_cast<const TfrxShapeView*>(&reference);
  if (shape && shapeReference && shape->Shape() != shapeReference->Shape()) out.number(u"Shape", shape->Shape());
  return out.take();
}

}  // namespace valmoro::report
