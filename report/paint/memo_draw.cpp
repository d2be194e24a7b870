// Text views: their text box, measured height and width, output in parts
// when a band is split, and drawing.

#include <algorithm>
#include <cmath>

#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/paint/draw_text.h"

namespace valmoro::report {

namespace {

int roundEven(double v) {
  if (!(v == v)) return 0;
  return int(std::clamp(std::nearbyint(v), -1e8, 1e8));
}

TfrxDrawText& drawTextOf(TfrxCustomMemoView& view) {
  if (TfrxReport* report = view.Report()) return report->DrawText();
  return TfrxDrawText::Shared();
}

// A box too large to wrap anything: measuring the natural size.
constexpr gfx::Rect kOpenBox{0, 0, 10000, 10000};

// The font the view shows its text in.
const ReportFont& shownFont(const TfrxCustomMemoView& view) {
  return view.Highlight()->Active() ? *view.Highlight()->Font() : *view.Font();
}

// Everything but the text: font, options, gaps and boxes. Tags count when
// the view allows them and the output does.
void configure(TfrxDrawText& dt, const TfrxCustomMemoView& view, double printScale, const gfx::Rect& textBox,
               const gfx::Rect& scaledBox, double scaleX, double scaleY, bool htmlTags = true) {
  dt.SetFont(shownFont(view));
  dt.SetOptions(view.WordWrap(), view.AllowHTMLTags() && htmlTags, view.Rotation(), view.Wysiwyg(), view.Clipped(),
                view.WordBreak(), view.RTLReading());
  dt.SetGaps(view.ParagraphGap(), view.CharSpacing(), view.LineSpacing());
  dt.SetDimensions(scaleX, scaleY, printScale, textBox, scaledBox);
}

// The frame's and shadow's share of the height (top, bottom) or width.
double frameExtra(const TfrxFrame& frame, TfrxFrameType nearSide, TfrxFrameType farSide) {
  double extra = 0;
  if (frame.Typ() & nearSide) extra += (frame.Width() - 1) / 2;
  if (frame.Typ() & farSide) extra += frame.Width() / 2;
  if (frame.DropShadow()) extra += frame.ShadowWidth();
  return extra;
}

// Lines at CR LF, LF or CR; a final line break adds no empty line.
QStringList splitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    lines.append(text.mid(start, end - start));
    if (end < text.size() && text[end] == u'\r') ++end;
    if (end < text.size() && text[end] == u'\n') ++end;
    start = end;
  }
  return lines;
}

}  // namespace

gfx::Rect TfrxCustomMemoView::TextBox(double sx, double sy, double ox, double oy) const {
  const TfrxFrame& frame = *Frame();
  int fx = roundEven(ox + sx * AbsLeft());
  int fy = roundEven(oy + sy * AbsTop());
  int fx1 = roundEven(ox + sx * (AbsLeft() + Width()));
  int fy1 = roundEven(oy + sy * (AbsTop() + Height()));
  if (frame.DropShadow()) {
    fx1 -= roundEven(sx * frame.ShadowWidth());
    fy1 -= roundEven(sy * frame.ShadowWidth());
  }
  const double fw = frame.Width();
  const auto typ = frame.Typ();
  gfx::Rect box;
  box.left = fx + ((typ & ftLeft) ? roundEven((sx * fw - 1) / 2) : 0) + roundEven(sx * GapX());
  box.top = fy + ((typ & ftTop) ? roundEven((sy * fw - 1) / 2) : 0) + roundEven(sy * GapY());
  box.right = fx1 - ((typ & ftRight) ? roundEven(sx * fw / 2) : 0) - roundEven(sx * GapX()) + 1;
  box.bottom = fy1 - ((typ & ftBottom) ? roundEven(sy * fw / 2) : 0) - roundEven(sy * GapY()) + 1;
  return box;
}

double TfrxCustomMemoView::CalcHeight() {
  TfrxDrawText::Locker lock;
  TfrxDrawText& dt = drawTextOf(*this);
  const gfx::Rect box = AutoWidth() ? kOpenBox : TextBox(1, 1, 0, 0);
  configure(dt, *this, 1, box, box, 1, 1);
  dt.SetText(Memo());
  return std::nearbyint(dt.TextHeight() + 2 * GapY() + frameExtra(*Frame(), ftTop, ftBottom));
}

double TfrxCustomMemoView::CalcWidth() {
  TfrxDrawText::Locker lock;
  TfrxDrawText& dt = drawTextOf(*this);
  configure(dt, *this, 1, kOpenBox, kOpenBox, 1, 1);
  dt.SetText(Memo());
  return std::nearbyint(dt.TextWidth() + 2 * GapX() + frameExtra(*Frame(), ftLeft, ftRight));
}

void TfrxCustomMemoView::InitPart() {
  partText_ = Text();
  SetFirstParaBreak(false);
  SetLastParaBreak(false);
}

double TfrxCustomMemoView::GetPart() {
  SetText(partText_);
  TfrxDrawText::Locker lock;
  TfrxDrawText& dt = drawTextOf(*this);
  const gfx::Rect box = TextBox(1, 1, 0, 0);
  configure(dt, *this, 1, box, box, 1, 1);
  dt.SetText(Memo());
  const int lines = dt.LineCount();
  const TfrxDrawText::SplitResult part = dt.Split();
  SetText(part.fitted);
  partText_ = part.remaining;
  SetLastParaBreak(part.paragraphContinues);
  if (lines > 0 && dt.LineCount() == 0) return Height();
  return dt.SpareHeight();
}

void TfrxCustomMemoView::Paint(gfx::Canvas& canvas, const PaintContext& context) {
  const double scaleX = context.scaleX, scaleY = context.scaleY;
  const double offsetX = context.offsetX, offsetY = context.offsetY;
  // What the view shows: in the designer a bound view names its field;
  // elsewhere the placeholders known only now are filled.
  QStringList text = Memo();
  if (context.designing()) {
    if (DataSet() && !DataField().isEmpty())
      text = QStringList{QStringLiteral("[") + DataSetName() + QStringLiteral(".\"") + DataField() +
                         QStringLiteral("\"]")};
  } else if (context.fillPlaceholders) {
    text = splitLines(context.fillPlaceholders(*this, Text(), context.totalPages, context.copyNumber));
  }

  TfrxDrawText::Locker lock;
  TfrxDrawText& dt = drawTextOf(*this);

  if (AutoWidth() && !context.designing()) {
    configure(dt, *this, 1, kOpenBox, kOpenBox, 1, 1, context.htmlTags);
    dt.SetText(text);
    const double width = dt.TextWidth() + 2 * GapX() + frameExtra(*Frame(), ftLeft, ftRight);
    if (std::isfinite(width) && std::abs(width - Width()) > 0.0001) {
      const double oldWidth = Width();
      if (HAlign() == haRight)
        SetLeft(Left() + oldWidth - width);
      else if (HAlign() == haCenter)
        SetLeft(Left() + (oldWidth - width) / 2);
      SetWidth(width);
      if (auto* band = qobject_cast<TfrxBand*>(Parent())) band->ArrangeAlignedChildren();
    }
  }

  ComputeDeviceRect(canvas, scaleX, scaleY, offsetX, offsetY);
  // An active highlight fills in its own colour.
  if (Highlight()->Active()) box_.color = Highlight()->Color();
  PaintFill();
  PaintFrame();

  const double printScale =
      canvas.textAtDeviceResolution() && canvas.dpiY() > 0 ? scaleY * 96 / canvas.dpiY() : 1;
  configure(dt, *this, printScale, TextBox(1, 1, 0, 0), TextBox(scaleX, scaleY, offsetX, offsetY), scaleX, scaleY,
            context.htmlTags);
  dt.SetInkRight(box_.x1);
  dt.SetText(text);
  dt.SetParaBreaks(FirstParaBreak(), LastParaBreak());

  if (Underlines() && ((Rotation() % 360) + 360) % 360 == 0) {
    const double step = dt.LineHeight() * scaleY;
    // Rules closer than a pixel would only paint the view black.
    if (std::isfinite(step) && step >= 1) {
      gfx::Pen pen;
      pen.color = Frame()->Color();
      pen.width = box_.fw;
      canvas.setPen(pen);
      double y = box_.y + (GapY() - LineSpacing() + 1) * scaleY + step;
      // Rules lie across the view: none above its top.
      if (std::isfinite(y) && y < box_.y) y += std::ceil((box_.y - y) / step) * step;
      for (; std::isfinite(y) && y < box_.y1; y += step) {
        const int row = roundEven(y);
        canvas.line(QPoint(box_.x, row), QPoint(box_.x1, row));
      }
    }
  }

  dt.Draw(canvas, HAlign(), VAlign());
}

}  // namespace valmoro::report
