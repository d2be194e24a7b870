#include "export/ie_matrix.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/painter_canvas.h"
#include "report/model/band.h"
#include "report/model/format.h"
#include "report/model/frame.h"
#include "report/model/highlight.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/resources.h"
#include "report/model/shape_view.h"
#include "report/paint/draw_text.h"

namespace valmoro::exports {

using namespace report;

namespace {

constexpr TColor kNone = 536870911;  // clNone: no fill
constexpr TColor kWhite = 16777215;
constexpr int kRecentPositions = 100;
// Windows 1250, the program's system code page.
constexpr int kEastEuropeCharset = 238;
// Pictures drawn for metafiles get this many device pixels per report pixel,
// so a word processor shows them sharper than the screen does.
constexpr int kMetafileScale = 3;

TfrxIEMFont fontOf(const ReportFont& font) {
  TfrxIEMFont result;
  result.Name = font.Name();
  result.Size = font.Size();
  result.Height = font.Height();
  result.Style = unsigned(font.Style().toInt());
  result.Color = font.Color();
  return result;
}

int roundInt(Extended value) { return int(std::llround(std::clamp<Extended>(value, -1e9L, 1e9L))); }

// The index of the first position >= value (bisection over sorted positions).
int firstAtLeast(const std::vector<Extended>& list, Extended value) {
  return int(std::lower_bound(list.begin(), list.end(), value) - list.begin());
}

}  // namespace

bool TfrxIEMStyle::IsEqual(const TfrxIEMStyle& o) const {
  return Font.Size == o.Font.Size && HAlign == o.HAlign && VAlign == o.VAlign && Font.Color == o.Font.Color &&
         Font.Name == o.Font.Name && Font.Style == o.Font.Style && FrameTyp == o.FrameTyp &&
         FrameWidth == o.FrameWidth && FrameColor == o.FrameColor && FrameStyle == o.FrameStyle &&
         Color == o.Color && FormatKind == o.FormatKind && DecimalSeparator == o.DecimalSeparator &&
         FormatStr == o.FormatStr && LineSpacing == o.LineSpacing && GapX == o.GapX && GapY == o.GapY &&
         ParagraphGap == o.ParagraphGap && CharSpacing == o.CharSpacing && Charset == o.Charset &&
         WordBreak == o.WordBreak && Rotation == o.Rotation && BrushStyle == o.BrushStyle;
}

TfrxIEMatrix::TfrxIEMatrix() = default;

TfrxIEMatrix::~TfrxIEMatrix() { Clear(); }

void TfrxIEMatrix::Clear() {
  objects_.clear();
  owned_.clear();
  styles_.clear();
  xPos_.clear();
  yPos_.clear();
  pages_.clear();
  fontCharsets_.clear();
  cells_.clear();
  width_ = height_ = 0;
  deltaY_ = 0;
  maxWidth_ = maxHeight_ = 0;
  minLeft_ = minTop_ = 99999;
}

// --- Styles ------------------------------------------------------------------------

int TfrxIEMatrix::AddStyle(const TfrxIEMStyle& style) {
  for (size_t i = 0; i < styles_.size(); ++i)
    if (styles_[i]->IsEqual(style)) return int(i);
  styles_.push_back(std::make_unique<TfrxIEMStyle>(style));
  return int(styles_.size()) - 1;
}

int TfrxIEMatrix::charsetOf(const QString& fontName, int charset) {
  if (charset != DEFAULT_CHARSET) return charset;
  const QString key = fontName + QLatin1Char('=');
  for (const QString& entry : fontCharsets_)
    if (entry.startsWith(key)) return entry.mid(key.size()).toInt();
  // Fonts here carry no code page of their own: the default character set is
  // that of the system code page.
  fontCharsets_.append(key + QString::number(kEastEuropeCharset));
  return kEastEuropeCharset;
}

int TfrxIEMatrix::makeStyle(TfrxView* view) {
  TfrxIEMStyle style;
  if (auto* memo = qobject_cast<TfrxCustomMemoView*>(view)) {
    const bool highlighted = memo->Highlight()->Active() && memo->Highlight()->Font() != nullptr;
    style.Font = fontOf(highlighted ? *memo->Highlight()->Font() : *memo->Font());
    style.Color = highlighted ? memo->Highlight()->Color() : memo->Color();
    style.FormatKind = memo->DisplayFormat()->Kind();
    style.DecimalSeparator = memo->DisplayFormat()->DecimalSeparator();
    style.FormatStr = memo->DisplayFormat()->FormatStr();
    style.HAlign = memo->HAlign();
    style.VAlign = memo->VAlign();
    style.LineSpacing = memo->LineSpacing();
    style.GapX = memo->GapX();
    style.GapY = memo->GapY();
    style.CharSpacing = memo->CharSpacing();
    style.ParagraphGap = memo->ParagraphGap();
    style.WordBreak = memo->WordBreak();
    style.Rotation = memo->Rotation();
    style.BrushStyle = memo->BrushStyle();
    style.FrameTyp = memo->Frame()->Typ();
    style.FrameWidth = float(memo->Frame()->Width());
    style.FrameColor = memo->Frame()->Color();
    style.FrameStyle = memo->Frame()->Style();
    style.Charset = charsetOf(style.Font.Name, memo->Font()->Charset());
  } else if (qobject_cast<TfrxCustomLineView*>(view) != nullptr && (view->Width() == 0 || view->Height() == 0)) {
    style.Color = view->Color();
    style.FrameTyp = view->Width() == 0 ? TfrxFrameTypes(ftLeft) : TfrxFrameTypes(ftTop);
    style.FrameWidth = float(view->Frame()->Width());
    style.FrameColor = view->Frame()->Color();
    style.FrameStyle = view->Frame()->Style();
    style.Font.Name = QStringLiteral("Arial");
    style.Font.Size = 1;
  } else {
    auto* shape = qobject_cast<TfrxShapeView*>(view);
    if (shape != nullptr && shape->Shape() == skRectangle) return -1;
    style.Font = fontOf(*view->Font());
    style.Color = view->Color();
    style.BrushStyle = view->BrushStyle();
    if (qobject_cast<TfrxCustomLineView*>(view) == nullptr) style.FrameTyp = view->Frame()->Typ();
    style.FrameWidth = float(view->Frame()->Width());
    style.FrameColor = view->Frame()->Color();
    style.FrameStyle = view->Frame()->Style();
  }
  if (DotMatrixFonts) style.Font.Size = 9;
  return AddStyle(style);
}

int TfrxIEMatrix::styleWithSides(const TfrxIEMStyle& base, TfrxFrameTypes sides) {
  TfrxIEMStyle style = base;
  style.FrameTyp = sides;
  return AddStyle(style);
}

int TfrxIEMatrix::styleWithFill(const TfrxIEMStyle& base, TColor fill) {
  TfrxIEMStyle style = base;
  style.Color = fill;
  return AddStyle(style);
}

TfrxIEMStyle* TfrxIEMatrix::GetStyleById(int index) const {
  if (index < 0 || index >= int(styles_.size())) return nullptr;
  return styles_[size_t(index)].get();
}

// --- Adding views ------------------------------------------------------------------

TfrxIEMObject* TfrxIEMatrix::newObject() {
  owned_.push_back(std::make_unique<TfrxIEMObject>());
  return owned_.back().get();
}

void TfrxIEMatrix::addPosition(std::vector<Extended>& list, Extended value) {
  const size_t from = list.size() > kRecentPositions ? list.size() - kRecentPositions : 0;
  for (size_t i = list.size(); i > from; --i)
    if (list[i - 1] == value) return;
  list.push_back(value);
}

void TfrxIEMatrix::addInternalObject(TfrxIEMObject* object, Extended left, Extended top, Extended width,
                                     Extended height) {
  object->Left = left;
  object->Top = top;
  object->Width = width;
  object->Height = height;
  maxWidth_ = std::max(maxWidth_, left + width);
  maxHeight_ = std::max(maxHeight_, top + height);
  minLeft_ = std::min(minLeft_, left);
  minTop_ = std::min(minTop_, top);
  addPosition(xPos_, left);
  addPosition(xPos_, left + width);
  addPosition(yPos_, top);
  addPosition(yPos_, top + height);
  TfrxIEMObjectList placement;
  placement.Obj = object;
  objects_.push_back(placement);
}

void TfrxIEMatrix::addShadowed(TfrxCustomMemoView* memo) {
  TfrxFrame* frame = memo->Frame();
  const double shadow = frame->ShadowWidth();
  const double width = memo->Width();
  const double height = memo->Height();
  memo->SetWidth(width - shadow);
  memo->SetHeight(height - shadow);
  frame->SetDropShadow(false);
  AddView(memo);
  frame->SetDropShadow(true);
  memo->SetWidth(width);
  memo->SetHeight(height);

  auto strip = [&](double left, double top, double w, double h) {
    TfrxMemoView cell;
    cell.SetName(QStringLiteral("Shadow"));
    cell.SetParentFont(false);
    cell.Font()->SetSize(1);
    cell.SetColor(frame->ShadowColor());
    cell.SetBounds(left, top, w, h);
    AddView(&cell);
  };
  const double left = memo->AbsLeft();
  const double top = memo->AbsTop();
  strip(left + width - shadow, top + shadow, shadow, height - shadow);
  strip(left + shadow, top + height - shadow, width - shadow, shadow);
}

void TfrxIEMatrix::addShape(TfrxView* shape) {
  const double left = shape->AbsLeft();
  const double top = shape->AbsTop();
  const double width = shape->Width();
  const double height = shape->Height();
  if (shape->Color() == kNone) {
    auto edge = [&](double l, double t, double w, double h) {
      TfrxLineView line;
      line.SetName(QStringLiteral("Line"));
      line.Frame()->Assign(*shape->Frame());
      line.SetBounds(l, t, w, h);
      AddView(&line);
    };
    edge(left, top, width, 0);
    edge(left, top, 0, height);
    edge(left, top + height, width, 0);
    edge(left + width, top, 0, height);
    return;
  }
  TfrxMemoView rect;
  rect.SetName(QStringLiteral("Rect"));
  rect.Frame()->Assign(*shape->Frame());
  rect.Frame()->SetTyp(TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom));
  rect.SetColor(shape->Color());
  rect.SetParentFont(false);
  rect.Font()->SetSize(1);
  rect.SetBounds(left, top, width, height);
  AddView(&rect);
}

QStringList TfrxIEMatrix::textOf(TfrxCustomMemoView* memo) {
  if (!((StripHtmlTags && memo->AllowHTMLTags()) || PreWrapText)) return memo->Memo();
  TfrxDrawText::Locker lock;
  TfrxDrawText& dt = memo->Report() != nullptr ? memo->Report()->DrawText() : TfrxDrawText::Shared();
  const bool highlighted = memo->Highlight()->Active() && memo->Highlight()->Font() != nullptr;
  dt.SetFont(highlighted ? *memo->Highlight()->Font() : *memo->Font());
  dt.SetOptions(memo->WordWrap(), memo->AllowHTMLTags(), memo->Rotation(), memo->Wysiwyg(), memo->Clipped(),
                memo->WordBreak(), memo->RTLReading());
  dt.SetGaps(memo->ParagraphGap(), memo->CharSpacing(), memo->LineSpacing());
  const gfx::Rect box = memo->TextBox(1, 1, 0, 0);
  dt.SetDimensions(1, 1, 1, box, box);
  dt.SetText(memo->Memo());
  QStringList lines = dt.WrappedText();
  if (memo->AllowHTMLTags())
    for (QString& line : lines) line = dt.TextWithoutTags(line);
  return lines;
}

void TfrxIEMatrix::drawPicture(TfrxIEMObject* object, TfrxView* view) {
  TfrxFrame saved;
  saved.Assign(*view->Frame());
  const bool isLine = qobject_cast<TfrxCustomLineView*>(view) != nullptr;
  const bool dropFrame = view->Frame()->Typ() != TfrxFrameTypes() && view->Frame()->Width() > 0;
  if (dropFrame && !isLine) view->Frame()->SetWidth(0);

  Extended dx = view->Width();
  Extended dy = view->Height();
  if (roundInt(dx) == 0) dx = 1;
  if (roundInt(dy) == 0) dy = 1;
  Extended drawLeft = view->AbsLeft();
  Extended drawTop = view->AbsTop();
  if (dx < 0) {
    dx = -dx;
    object->Left -= dx;
    drawLeft -= dx;
  }
  if (dy < 0) {
    dy = -dy;
    object->Top -= dy;
    drawTop -= dy;
  }
  object->Width = dx;
  object->Height = dy;

  const int scale = PicturesAsMetafiles ? kMetafileScale : 1;
  const int w = PicturesAsMetafiles ? roundInt(dx) : roundInt(dx) + 1;
  const int h = PicturesAsMetafiles ? roundInt(dy) : roundInt(dy) + 1;
  QImage image(std::max(1, w * scale), std::max(1, h * scale), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    gfx::PainterCanvas canvas(image, 96 * scale);
    report::PaintContext context;
    context.purpose = report::PaintPurpose::Export;
    context.scaleX = context.scaleY = scale;
    context.offsetX = -double(drawLeft) * scale;
    context.offsetY = -double(drawTop) * scale;
    view->Paint(canvas, context);
  }
  if (PicturesAsMetafiles) object->Metafile = EnhancedMetafileFromImage(image, w, h);
  else object->Image = image.convertToFormat(QImage::Format_RGB888);
  view->Frame()->Assign(saved);
}

void TfrxIEMatrix::addLine(TfrxView* view) {
  // A line is a cell without text whose border is the line.
  auto* object = newObject();
  object->Name = view->Name();
  object->URL = view->URL();
  object->StyleIndex = makeStyle(view);
  object->Style = GetStyleById(object->StyleIndex);
  Extended left = view->AbsLeft();
  Extended top = view->AbsTop();
  Extended width = view->Width();
  Extended height = view->Height();
  if (width < 0) {
    left += width;
    width = -width;
  }
  if (height < 0) {
    top += height;
    height = -height;
  }
  if (left < 0) left = 0;
  top = top < 0 ? deltaY_ : top + deltaY_;
  if (view->Parent() != nullptr && (headerBand_ != nullptr || footerBand_ != nullptr)) {
    object->Header = view->Parent() == headerBand_;
    object->Footer = view->Parent() == footerBand_;
  }
  addInternalObject(object, left, top, width, height);
}

void TfrxIEMatrix::AddView(TfrxView* view) {
  if (view == nullptr) return;
  const bool background = view->Name() == QLatin1String("_pagebackground");
  if (background && !TakePageBackground) return;

  auto* memo = qobject_cast<TfrxCustomMemoView*>(view);
  if (memo != nullptr && memo->Frame()->DropShadow()) {
    addShadowed(memo);
    return;
  }
  auto* shape = qobject_cast<TfrxShapeView*>(view);
  if (shape != nullptr && shape->Shape() == skRectangle) {
    addShape(shape);
    return;
  }
  auto* line = qobject_cast<TfrxCustomLineView*>(view);
  if (line != nullptr && (line->Width() == 0 || line->Height() == 0)) {
    addLine(view);
    return;
  }

  auto* object = newObject();
  object->Name = view->Name();
  object->URL = view->URL();
  object->StyleIndex = makeStyle(view);
  object->Style = GetStyleById(object->StyleIndex);
  const Extended absLeft = view->AbsLeft();
  const Extended absTop = view->AbsTop();
  object->Left = absLeft < 0 ? 0 : absLeft;
  object->Top = absTop < 0 ? deltaY_ : absTop + deltaY_;
  object->Width = view->Width();
  object->Height = view->Height();

  const bool divertedMemo =
      memo != nullptr && ((HatchAsPicture && memo->BrushStyle() != bsSolid && memo->BrushStyle() != bsClear) ||
                          (RotatedTextAsPicture && memo->Rotation() != 0));
  if (memo != nullptr && !divertedMemo) {
    object->Memo = textOf(memo);
    object->IsText = true;
    if (memo->DisplayFormat()->Kind() == fkDateTime && memo->Value().IsNumeric())
      object->DateValue = memo->Value().ToDouble();
    object->RTL = memo->RTLReading();
    object->HTMLTags = memo->AllowHTMLTags() && !StripHtmlTags;
  } else if (TakePictures && !(background && !PageBackgroundAsPicture)) {
    object->IsText = false;
    drawPicture(object, view);
  }
  if (view->Parent() != nullptr && (headerBand_ != nullptr || footerBand_ != nullptr)) {
    object->Header = view->Parent() == headerBand_;
    object->Footer = view->Parent() == footerBand_;
  }
  addInternalObject(object, object->Left, object->Top, object->Width, object->Height);
}

void TfrxIEMatrix::AddPageRecord(TPrinterOrientation orientation, bool mirrorMargins, int pageIndex,
                                 Extended bottomMargin, Extended rightMargin, Extended topMargin, Extended leftMargin,
                                 Extended height, Extended width) {
  deltaY_ = maxHeight_;
  TfrxIEMPage page;
  page.Bottom = maxHeight_;
  page.Orientation = orientation;
  page.Width = width;
  page.Height = height;
  page.TopMargin = topMargin;
  page.BottomMargin = bottomMargin;
  page.LeftMargin = leftMargin;
  page.RightMargin = rightMargin;
  if (mirrorMargins && pageIndex % 2 == 1) {
    std::swap(page.LeftMargin, page.RightMargin);
    page.Mirror = true;
  }
  pages_.push_back(page);
}

// --- Building the grid -----------------------------------------------------------------

void TfrxIEMatrix::step() {
  if (progressOpen_) Progress->Step();
}

void TfrxIEMatrix::cleanPositions(std::vector<Extended>& list, Extended limit) {
  std::sort(list.begin(), list.end());
  step();
  // A run of near positions collapses onto its last (greatest) member.
  std::vector<Extended> merged;
  merged.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    if (i + 1 < list.size() && list[i + 1] - list[i] < MergeTolerance) continue;
    merged.push_back(list[i]);
  }
  list.swap(merged);
  step();
  if (limit > 0) {
    const size_t count = list.size();
    bool added = false;
    for (size_t i = 0; i + 1 < count; ++i) {
      const Extended gap = list[i + 1] - list[i];
      if (gap <= limit) continue;
      const long long pieces = (long long)(gap / limit);
      for (long long k = 1; k <= pieces; ++k) {
        const Extended position = list[i] + Extended(k) * limit;
        const size_t before = list.size();
        addPosition(list, position);
        added = added || list.size() != before;
      }
    }
    if (added) std::sort(list.begin(), list.end());
    // An added position equal to a neighbour further back is no new column.
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  step();
  step();
}

void TfrxIEMatrix::placeObjects() {
  auto place = [](const std::vector<Extended>& list, Extended start, Extended size, int& index, int& span) {
    index = firstAtLeast(list, start);
    if (index >= int(list.size())) index = std::max(0, int(list.size()) - 1);
    span = 0;
    if (size == 0) return;
    const Extended end = start + size;
    int i = index;
    while (i + 1 < int(list.size()) && list[size_t(i)] < end) {
      ++i;
      ++span;
    }
  };
  for (TfrxIEMObjectList& placement : objects_) {
    TfrxIEMObject* object = placement.Obj;
    place(xPos_, object->Left, object->Width, placement.x, placement.dx);
    place(yPos_, object->Top, object->Height, placement.y, placement.dy);
  }
}

void TfrxIEMatrix::fillCells() {
  cells_.assign(size_t(width_) * size_t(height_), -1);
  for (size_t i = 0; i < objects_.size(); ++i) {
    const TfrxIEMObjectList& p = objects_[i];
    if (p.dx <= 0 || p.dy <= 0) continue;
    TfrxIEMObject* object = p.Obj;
    if (object->Style != nullptr && object->Style->Color == kNone) {
      const int under = Cell(p.x, p.y);
      if (under >= 0) {
        const TfrxIEMStyle* below = objects_[size_t(under)].Obj->Style;
        if (below != nullptr && below->Color != object->Style->Color && below->Color != object->Style->Font.Color) {
          object->StyleIndex = styleWithFill(*object->Style, below->Color);
          object->Style = GetStyleById(object->StyleIndex);
        }
      }
    }
    for (int y = p.y; y < p.y + p.dy && y < height_; ++y)
      for (int x = p.x; x < p.x + p.dx && x < width_; ++x) cells_[size_t(x) + size_t(y) * size_t(width_)] = int(i);
  }
}

void TfrxIEMatrix::cutPiece(int index, int x, int y, int dx, int dy) {
  TfrxIEMObject* whole = objects_[size_t(index)].Obj;
  TfrxIEMObject* piece = newObject();
  piece->StyleIndex = whole->StyleIndex;
  piece->Style = whole->Style;
  piece->IsText = whole->IsText;
  piece->RTL = whole->RTL;
  piece->Header = whole->Header;
  piece->Footer = whole->Footer;
  piece->Name = whole->Name;
  piece->HTMLTags = whole->HTMLTags;
  piece->Left = xPos_[size_t(x)];
  piece->Top = yPos_[size_t(y)];
  piece->Width = xPos_[size_t(x + dx)] - piece->Left;
  piece->Height = yPos_[size_t(y + dy)] - piece->Top;
  piece->Parent = whole;
  // The piece that still sees most of the whole object carries its content.
  if (whole->Top + whole->Height - piece->Top > whole->Height / 3 &&
      whole->Left + whole->Width - piece->Left > whole->Width / 3) {
    piece->Image = whole->Image;
    piece->Metafile = whole->Metafile;
    piece->URL = whole->URL;
    piece->Memo = whole->Memo;
    piece->DateValue = whole->DateValue;
    whole->Image = QImage();
    whole->Metafile.clear();
    whole->URL.clear();
    whole->Memo.clear();
    whole->IsText = true;
  }
  TfrxIEMObjectList placement;
  placement.Obj = piece;
  placement.x = x;
  placement.y = y;
  placement.dx = dx;
  placement.dy = dy;
  placement.Exist = true;
  objects_.push_back(placement);
  const int pieceIndex = int(objects_.size()) - 1;
  for (int yy = y; yy < y + dy; ++yy)
    for (int xx = x; xx < x + dx; ++xx) cells_[size_t(xx) + size_t(yy) * size_t(width_)] = pieceIndex;

  if (whole->Style != nullptr) {
    TfrxFrameTypes sides = whole->Style->FrameTyp;
    auto sameEdge = [](Extended a, Extended b) { return std::fabs(double(a - b)) < 1e-6; };
    if (!sameEdge(piece->Top, whole->Top)) sides &= ~TfrxFrameTypes(ftTop);
    if (!sameEdge(piece->Left, whole->Left)) sides &= ~TfrxFrameTypes(ftLeft);
    if (!sameEdge(piece->Top + piece->Height, whole->Top + whole->Height)) sides &= ~TfrxFrameTypes(ftBottom);
    if (!sameEdge(piece->Left + piece->Width, whole->Left + whole->Width)) sides &= ~TfrxFrameTypes(ftRight);
    if (sides != whole->Style->FrameTyp) {
      piece->StyleIndex = styleWithSides(*whole->Style, sides);
      piece->Style = GetStyleById(piece->StyleIndex);
    }
  }
}

void TfrxIEMatrix::splitCovered() {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const int index = cells_[size_t(x) + size_t(y) * size_t(width_)];
      if (index < 0 || objects_[size_t(index)].Exist) continue;
      // The rectangle of equal indices starting here.
      int dx = 0;
      while (x + dx < width_ && cells_[size_t(x + dx) + size_t(y) * size_t(width_)] == index) ++dx;
      int dy = 1;
      while (y + dy < height_) {
        int run = 0;
        while (x + run < width_ && run < dx && cells_[size_t(x + run) + size_t(y + dy) * size_t(width_)] == index)
          ++run;
        if (run < dx) break;
        ++dy;
      }
      const TfrxIEMObjectList& p = objects_[size_t(index)];
      if (p.x == x && p.y == y && p.dx == dx && p.dy == dy) {
        objects_[size_t(index)].Exist = true;
        continue;
      }
      cutPiece(index, x, y, dx, dy);
    }
  }
}

void TfrxIEMatrix::mergeSharedBorders() {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const int index = Cell(x, y);
      if (index < 0) continue;
      const TfrxIEMObjectList& p = objects_[size_t(index)];
      if (p.x != x || p.y != y) continue;  // each object once, at its top-left cell
      TfrxIEMObject* object = p.Obj;
      if (object->Style == nullptr) continue;
      TfrxFrameTypes sides = object->Style->FrameTyp;
      const TfrxIEMObject* above = GetObject(x, y - 1);
      if (above != nullptr && above != object && above->Style != nullptr && (sides & ftTop) &&
          (above->Style->FrameTyp & ftBottom) && above->Style->FrameWidth == object->Style->FrameWidth &&
          above->Style->FrameColor == object->Style->FrameColor)
        sides &= ~TfrxFrameTypes(ftTop);
      const TfrxIEMObject* left = GetObject(x - 1, y);
      if (left != nullptr && left != object && left->Style != nullptr && (sides & ftLeft) &&
          (left->Style->FrameTyp & ftRight) && left->Style->FrameWidth == object->Style->FrameWidth &&
          left->Style->FrameColor == object->Style->FrameColor)
        sides &= ~TfrxFrameTypes(ftLeft);
      if (sides != object->Style->FrameTyp) {
        object->StyleIndex = styleWithSides(*object->Style, sides);
        object->Style = GetStyleById(object->StyleIndex);
      }
    }
  }
}

void TfrxIEMatrix::removeEmptyRows() {
  int y = 0;
  while (y < height_ - 1) {
    bool empty = true;
    for (int x = 0; x < width_ && empty; ++x) empty = cells_[size_t(x) + size_t(y) * size_t(width_)] < 0;
    if (!empty) {
      ++y;
      continue;
    }
    const Extended rowHeight = yPos_[size_t(y) + 1] - yPos_[size_t(y)];
    for (size_t i = size_t(y) + 1; i < yPos_.size(); ++i) yPos_[i] -= rowHeight;
    yPos_.erase(yPos_.begin() + y);
    cells_.erase(cells_.begin() + qsizetype(y) * width_, cells_.begin() + qsizetype(y + 1) * width_);
    --height_;
  }
}

void TfrxIEMatrix::BuildGrid() {
  progressOpen_ = ProgressVisible && Progress != nullptr;
  if (progressOpen_) Progress->Start(resources::text(u"ProgressWait"), 11);

  if (AddFillCell) {
    TfrxIEMStyle fill;
    fill.Color = kWhite;
    TfrxIEMObject* object = newObject();
    object->StyleIndex = AddStyle(fill);
    object->Style = GetStyleById(object->StyleIndex);
    object->Left = FillFromMinimum ? std::min<Extended>(minLeft_, maxWidth_) : 0;
    object->Top = FillFromMinimum ? std::min<Extended>(minTop_, maxHeight_) : 0;
    object->Width = maxWidth_;
    object->Height = maxHeight_;
    TfrxIEMObjectList placement;
    placement.Obj = object;
    objects_.insert(objects_.begin(), placement);
    xPos_.push_back(0);
    yPos_.push_back(0);
  }

  cleanPositions(xPos_, ColumnWidthLimit);
  cleanPositions(yPos_, RowHeightLimit);
  placeObjects();
  step();
  width_ = int(xPos_.size());
  height_ = int(yPos_.size());
  fillCells();
  step();
  splitCovered();
  step();
  if (MergeSharedBorders) mergeSharedBorders();
  if (progressOpen_) Progress->Stop();
  progressOpen_ = false;
  if (!KeepEmptyRows) removeEmptyRows();
}

// --- Reading -------------------------------------------------------------------------

int TfrxIEMatrix::Cell(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  return cells_[size_t(x) + size_t(y) * size_t(width_)];
}

TfrxIEMObject* TfrxIEMatrix::GetObject(int x, int y) const { return GetObjectById(Cell(x, y)); }

TfrxIEMObject* TfrxIEMatrix::GetObjectById(int index) const {
  if (index < 0 || index >= int(objects_.size())) return nullptr;
  return objects_[size_t(index)].Obj;
}

bool TfrxIEMatrix::GetObjectPos(int index, int& x, int& y, int& dx, int& dy) const {
  if (index < 0 || index >= int(objects_.size())) return false;
  const TfrxIEMObjectList& p = objects_[size_t(index)];
  x = p.x;
  y = p.y;
  dx = p.dx;
  dy = p.dy;
  return true;
}

Extended TfrxIEMatrix::GetPageBottom(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].Bottom : 0;
}
Extended TfrxIEMatrix::GetPageWidth(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].Width : 0;
}
Extended TfrxIEMatrix::GetPageHeight(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].Height : 0;
}
Extended TfrxIEMatrix::GetPageLMargin(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].LeftMargin : 0;
}
Extended TfrxIEMatrix::GetPageTMargin(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].TopMargin : 0;
}
Extended TfrxIEMatrix::GetPageBMargin(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].BottomMargin : 0;
}
Extended TfrxIEMatrix::GetPageRMargin(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].RightMargin : 0;
}
TPrinterOrientation TfrxIEMatrix::GetPageOrientation(int page) const {
  return page >= 0 && page < int(pages_.size()) ? pages_[size_t(page)].Orientation : poPortrait;
}
Extended TfrxIEMatrix::GetXPosById(int index) const {
  return index >= 0 && index < int(xPos_.size()) ? xPos_[size_t(index)] : 0;
}
Extended TfrxIEMatrix::GetYPosById(int index) const {
  return index >= 0 && index < int(yPos_.size()) ? yPos_[size_t(index)] : 0;
}

}  // namespace valmoro::exports
