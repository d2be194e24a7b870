#include "graphics_objects.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPalette>
#include <cmath>

#include "memory_limits.h"
#include "platform/graphics_names.h"
#include "run_error.h"

namespace valmoro::script::graphics {

namespace {

constexpr int kClNone = int(names::clNone);
constexpr int kClDefault = int(names::clDefault);

// Pixels at 96 per inch for a size in points, and back.
int pixelsOfPoints(int points) { return int(std::lround(points * 96.0 / 72.0)); }
int pointsOfPixels(int pixels) { return int(std::lround(pixels * 72.0 / 96.0)); }

QColor systemColor(int index) {
  const QPalette palette = qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::palette()
                                                                                       : QPalette(Qt::white);
  switch (index) {
    case 5:  // clWindow
      return palette.color(QPalette::Base);
    case 4:   // clMenu
    case 15:  // clBtnFace
    case 22:  // cl3DLight
      return palette.color(QPalette::Button);
    case 13:  // clHighlight
      return palette.color(QPalette::Highlight);
    case 14:  // clHighlightText
      return palette.color(QPalette::HighlightedText);
    case 16:  // clBtnShadow
    case 17:  // clGrayText
      return palette.color(QPalette::Disabled, QPalette::Text);
    case 20:  // clBtnHighlight
      return palette.color(QPalette::Light);
    case 24:  // clInfoBk
      return palette.color(QPalette::ToolTipBase);
    case 1:   // clBackground
    case 12:  // clAppWorkSpace
      return palette.color(QPalette::Window);
    default:  // the text colours and the frames
      return palette.color(QPalette::WindowText);
  }
}

// Measuring and drawing text needs the font database of a GUI application.
void checkFonts() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    throw RunError(error_class::InvalidOperation, QStringLiteral("Fonts are not available in this program"));
}

[[noreturn]] void invalidGraphic(const QString& message) { throw RunError(QStringLiteral("EInvalidGraphic"), message); }

}  // namespace

QColor ColorFromValue(int color) {
  if (color == kClNone) return QColor(Qt::transparent);
  if (color == kClDefault) return QColor();
  const auto value = quint32(color);
  if ((value & 0xFF000000u) == 0xFF000000u) return systemColor(int(value & 0xFFu));
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

int ValueFromColor(const QColor& color) {
  if (!color.isValid()) return kClDefault;
  if (color.alpha() == 0) return kClNone;
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

// ---- TFont ----------------------------------------------------------------------------------------

TFont::TFont(QObject* parent) : TPersistent(parent) {
  font_.setFamily(QStringLiteral("Arial"));
  font_.setPixelSize(pixelsOfPoints(size_));
}

void TFont::setCharset(int charset) {
  charset_ = charset;
  emit changed();
}

void TFont::setColor(int color) {
  color_ = color;
  emit changed();
}

int TFont::height() const { return -pixelsOfPoints(size_); }

void TFont::setHeight(int height) {
  // A positive height includes the internal leading; both count as the
  // character height here.
  const int pixels = std::max(1, std::abs(height));
  size_ = std::max(1, pointsOfPixels(pixels));
  font_.setPixelSize(pixels);
  emit changed();
}

void TFont::setName(const QString& name) {
  font_.setFamily(name);
  emit changed();
}

void TFont::setPitch(int pitch) {
  pitch_ = pitch;
  font_.setFixedPitch(pitch == 2);
  if (pitch == 2) font_.setStyleHint(QFont::Monospace);
  emit changed();
}

void TFont::setSize(int size) {
  size_ = std::max(1, size);
  font_.setPixelSize(pixelsOfPoints(size_));
  emit changed();
}

int TFont::style() const {
  int bits = 0;
  if (font_.bold()) bits |= fsBold;
  if (font_.italic()) bits |= fsItalic;
  if (font_.underline()) bits |= fsUnderline;
  if (font_.strikeOut()) bits |= fsStrikeOut;
  return bits;
}

void TFont::setStyle(int bits) {
  font_.setBold(bits & fsBold);
  font_.setItalic(bits & fsItalic);
  font_.setUnderline(bits & fsUnderline);
  font_.setStrikeOut(bits & fsStrikeOut);
  emit changed();
}

void TFont::setFromQFont(const QFont& font) {
  font_ = font;
  if (font.pixelSize() > 0) size_ = std::max(1, pointsOfPixels(font.pixelSize()));
  else if (font.pointSize() > 0) size_ = font.pointSize();
  font_.setPixelSize(pixelsOfPoints(size_));
  emit changed();
}

bool TFont::AssignFrom(QObject* source) {
  auto* other = qobject_cast<TFont*>(source);
  if (!other) return false;
  font_ = other->font_;
  size_ = other->size_;
  color_ = other->color_;
  pitch_ = other->pitch_;
  charset_ = other->charset_;
  emit changed();
  return true;
}

bool TPen::AssignFrom(QObject* source) {
  auto* other = qobject_cast<TPen*>(source);
  if (!other) return false;
  color_ = other->color_;
  mode_ = other->mode_;
  style_ = other->style_;
  width_ = other->width_;
  return true;
}

bool TBrush::AssignFrom(QObject* source) {
  auto* other = qobject_cast<TBrush*>(source);
  if (!other) return false;
  color_ = other->color_;
  style_ = other->style_;
  return true;
}

// ---- TBitmap --------------------------------------------------------------------------------------

TBitmap::TBitmap(QObject* parent) : TGraphic(parent) {}

void TBitmap::resize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  // Refused before anything changes; a size of zero in one direction holds
  // no pixels and is allowed, whatever the other.
  if (qint64(width) * height > kMaxBitmapPixels) BitmapTooLarge();
  if (width == 0 || height == 0) {
    width_ = width;
    height_ = height;
    image_ = QImage();
    return;
  }
  if (width == image_.width() && height == image_.height()) {
    width_ = width;
    height_ = height;
    return;
  }
  QImage resized(width, height, QImage::Format_RGB32);
  if (resized.isNull()) OutOfMemory();  // Qt gives a null image when it cannot allocate
  width_ = width;
  height_ = height;
  resized.fill(Qt::white);
  if (!image_.isNull()) {
    QPainter p(&resized);
    p.drawImage(0, 0, image_);
  }
  image_ = resized;
}

void TBitmap::setImage(const QImage& image) {
  image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
  width_ = image_.width();
  height_ = image_.height();
}

void TBitmap::loadFromFile(const QString& fileName) {
  if (!QFileInfo(fileName).isFile())
    throw RunError(QStringLiteral("EFOpenError"), QStringLiteral("Cannot open file \"%1\"").arg(fileName));
  QImageReader reader(fileName);
  reader.setDecideFormatFromContent(true);
  const QImage loaded = reader.read();
  if (loaded.isNull()) invalidGraphic(QStringLiteral("Bitmap image is not valid (%1)").arg(fileName));
  setImage(loaded);
}

void TBitmap::saveToFile(const QString& fileName) const {
  const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
  const QList<QByteArray> known = QImageWriter::supportedImageFormats();
  const QByteArray format = known.contains(suffix) ? suffix : QByteArray("bmp");
  if (image_.isNull()) invalidGraphic(QStringLiteral("Bitmap is empty"));
  QImageWriter writer(fileName, format);
  if (!writer.write(image_))
    throw RunError(QStringLiteral("EFCreateError"), QStringLiteral("Cannot create file \"%1\"").arg(fileName));
}

void TBitmap::drawInto(QPainter& painter, const QRect& target) const {
  if (!image_.isNull()) painter.drawImage(target, image_);
}

bool TBitmap::AssignFrom(QObject* source) {
  if (auto* other = qobject_cast<TBitmap*>(source)) {
    image_ = other->image_;
    width_ = other->width_;
    height_ = other->height_;
    return true;
  }
  if (auto* picture = qobject_cast<TPicture*>(source)) {
    if (auto* bitmap = qobject_cast<TBitmap*>(picture->graphic())) return AssignFrom(bitmap);
    setImage(QImage());
    return true;
  }
  return false;
}

TCanvas* TBitmap::canvas() {
  if (!canvas_) {
    canvas_ = new TCanvas(this);
    canvas_->attachBitmap(this);
  }
  return canvas_;
}

// ---- TMetafile ------------------------------------------------------------------------------------

void TMetafile::loadFromFile(const QString& fileName) {
  invalidGraphic(QStringLiteral("Metafile files are not supported (%1)").arg(fileName));
}

void TMetafile::saveToFile(const QString& fileName) const {
  invalidGraphic(QStringLiteral("Metafile files are not supported (%1)").arg(fileName));
}

void TMetafile::drawInto(QPainter& painter, const QRect& target) const {
  if (picture_.isNull()) return;
  const QRect bounds = width_ > 0 && height_ > 0 ? QRect(0, 0, width_, height_) : picture_.boundingRect();
  if (bounds.isEmpty()) return;
  painter.save();
  painter.translate(target.topLeft());
  painter.scale(double(target.width()) / bounds.width(), double(target.height()) / bounds.height());
  painter.translate(-bounds.topLeft());
  painter.drawPicture(0, 0, picture_);
  painter.restore();
}

bool TMetafile::AssignFrom(QObject* source) {
  auto* other = qobject_cast<TMetafile*>(source);
  if (!other) return false;
  picture_ = other->picture_;
  width_ = other->width_;
  height_ = other->height_;
  return true;
}

// ---- TPicture -------------------------------------------------------------------------------------

void TPicture::setGraphic(TGraphic* graphic) {
  // The picture's own graphic stays as it is.
  if (graphic && graphic == graphic_.data()) return;
  // The copy is made before the old graphic goes, so a graphic that cannot
  // be copied leaves the picture as it was.
  TGraphic* copy = nullptr;
  if (graphic) {
    copy = qobject_cast<TGraphic*>(graphic->metaObject()->newInstance(Q_ARG(QObject*, this)));
    if (!copy || !copy->AssignFrom(graphic)) {
      delete copy;
      invalidGraphic(QStringLiteral("Cannot copy the graphic"));
    }
  }
  delete graphic_.data();
  graphic_ = copy;
  emit changed();
}

TBitmap* TPicture::bitmap() {
  auto* bitmap = qobject_cast<TBitmap*>(graphic_.data());
  if (!bitmap) {
    delete graphic_.data();
    bitmap = new TBitmap(this);
    graphic_ = bitmap;
    emit changed();
  }
  return bitmap;
}

void TPicture::loadFromFile(const QString& fileName) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->loadFromFile(fileName);
  delete graphic_.data();
  bitmap->setParent(this);
  graphic_ = bitmap.release();
  emit changed();
}

void TPicture::saveToFile(const QString& fileName) const {
  if (!graphic_) invalidGraphic(QStringLiteral("Picture is empty"));
  graphic_->saveToFile(fileName);
}

bool TPicture::AssignFrom(QObject* source) {
  if (auto* other = qobject_cast<TPicture*>(source)) {
    setGraphic(other->graphic());
    return true;
  }
  if (auto* graphic = qobject_cast<TGraphic*>(source)) {
    setGraphic(graphic);
    return true;
  }
  if (!source) {
    setGraphic(nullptr);
    return true;
  }
  return false;
}

// ---- TCanvas --------------------------------------------------------------------------------------

TCanvas::TCanvas(QObject* parent) : TPersistent(parent) {}

TCanvas::~TCanvas() = default;

TFont* TCanvas::font() {
  if (!font_) font_ = new TFont(this);
  return font_;
}

TPen* TCanvas::pen() {
  if (!pen_) pen_ = new TPen(this);
  return pen_;
}

TBrush* TCanvas::brush() {
  if (!brush_) brush_ = new TBrush(this);
  return brush_;
}

void TCanvas::applyPen(QPainter& p) const {
  TPen* pn = const_cast<TCanvas*>(this)->pen();
  static const Qt::PenStyle kStyles[] = {Qt::SolidLine,      Qt::DashLine, Qt::DotLine,  Qt::DashDotLine,
                                         Qt::DashDotDotLine, Qt::NoPen,    Qt::SolidLine};
  const int style = pn->style();
  QPen pen(ColorFromValue(pn->color()));
  pen.setWidth(pn->width());
  pen.setStyle(style >= 0 && style < 7 ? kStyles[style] : Qt::SolidLine);
  pen.setJoinStyle(Qt::MiterJoin);
  pen.setCapStyle(Qt::SquareCap);
  switch (pn->mode()) {
    case TPen::pmBlack:
      pen.setColor(Qt::black);
      break;
    case TPen::pmWhite:
      pen.setColor(Qt::white);
      break;
    case TPen::pmNop:
      pen.setStyle(Qt::NoPen);
      break;
    case TPen::pmNot:
      p.setCompositionMode(QPainter::RasterOp_NotDestination);
      break;
    case TPen::pmNotCopy:
      p.setCompositionMode(QPainter::RasterOp_NotSource);
      break;
    case TPen::pmXor:
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      break;
    case TPen::pmNotXor:
      p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
      break;
    case TPen::pmMerge:
      p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
      break;
    case TPen::pmMask:
      p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
      break;
    default:
      break;
  }
  p.setPen(pen);
}

void TCanvas::applyBrush(QPainter& p) const {
  TBrush* br = const_cast<TCanvas*>(this)->brush();
  static const Qt::BrushStyle kStyles[] = {Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
                                           Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
  const int style = br->style();
  p.setBrush(QBrush(ColorFromValue(br->color()), style >= 0 && style < 8 ? kStyles[style] : Qt::SolidPattern));
}

void TCanvas::paint(const std::function<void(QPainter&)>& draw) {
  if (painter_ || metafilePainter_) {
    QPainter& p = painter_ ? *painter_ : *metafilePainter_;
    p.save();
    draw(p);
    p.restore();
    return;
  }
  if (bitmap_) {
    if (bitmap_->image().isNull()) return;  // an empty bitmap has nothing to draw on
    QPainter p(&bitmap_->image());
    draw(p);
    return;
  }
  throw RunError(QStringLiteral("EInvalidOperation"), QStringLiteral("Canvas does not allow drawing"));
}

void TCanvas::lineTo(int x, int y) {
  const QPoint from = penPos_;
  paint([&](QPainter& p) {
    applyPen(p);
    p.drawLine(from, QPoint(x, y));
  });
  penPos_ = QPoint(x, y);
}

// Shapes fill the rectangle from (x1, y1) up to, but not including, (x2, y2).
void TCanvas::rectangle(int x1, int y1, int x2, int y2) {
  paint([&](QPainter& p) {
    applyPen(p);
    applyBrush(p);
    p.drawRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized().adjusted(0, 0, -1, -1));
  });
}

void TCanvas::ellipse(int x1, int y1, int x2, int y2) {
  paint([&](QPainter& p) {
    applyPen(p);
    applyBrush(p);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawEllipse(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized().adjusted(0, 0, -1, -1));
  });
}

void TCanvas::roundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  paint([&](QPainter& p) {
    applyPen(p);
    applyBrush(p);
    p.drawRoundedRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized().adjusted(0, 0, -1, -1), x3 / 2.0,
                      y3 / 2.0);
  });
}

void TCanvas::fillRect(int x1, int y1, int x2, int y2) {
  paint([&](QPainter& p) {
    applyBrush(p);
    p.fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized(), p.brush());
  });
}

void TCanvas::textOut(int x, int y, const QString& text) {
  checkFonts();
  const QFont f = font()->qfont();
  const QFontMetrics metrics(f);
  const int width = metrics.horizontalAdvance(text);
  paint([&](QPainter& p) {
    // The text cell is filled with the brush unless the brush is clear.
    if (brush()->style() != TBrush::bsClear)
      p.fillRect(QRect(x, y, width, metrics.height()), ColorFromValue(brush()->color()));
    p.setFont(f);
    p.setPen(font()->qcolor());
    p.drawText(QPoint(x, y + metrics.ascent()), text);
  });
  penPos_ = QPoint(x + width, y);
}

void TCanvas::draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->empty()) return;
  paint([&](QPainter& p) { graphic->drawInto(p, QRect(x, y, graphic->width(), graphic->height())); });
}

void TCanvas::stretchDraw(int x1, int y1, int x2, int y2, TGraphic* graphic) {
  if (!graphic || graphic->empty()) return;
  paint([&](QPainter& p) { graphic->drawInto(p, QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).normalized()); });
}

int TCanvas::textWidth(const QString& text) const {
  checkFonts();
  return QFontMetrics(const_cast<TCanvas*>(this)->font()->qfont()).horizontalAdvance(text);
}

int TCanvas::textHeight(const QString&) const {
  checkFonts();
  return QFontMetrics(const_cast<TCanvas*>(this)->font()->qfont()).height();
}

int TCanvas::pixel(int x, int y) const {
  if (!bitmap_ || !bitmap_->image().valid(x, y)) return kClNone;
  return ValueFromColor(QColor(bitmap_->image().pixel(x, y)));
}

void TCanvas::setPixel(int x, int y, int color) {
  if (bitmap_ && !painter_) {
    if (bitmap_->image().valid(x, y)) bitmap_->image().setPixel(x, y, ColorFromValue(color).rgb());
    return;
  }
  paint([&](QPainter& p) {
    p.setPen(ColorFromValue(color));
    p.drawPoint(x, y);
  });
}

// ---- TMetafileCanvas ----------------------------------------------------------------------------------

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, QObject* parent) : TCanvas(parent), metafile_(metafile) {
  metafilePainter_ = new QPainter(&recording_);
}

TMetafileCanvas::~TMetafileCanvas() {
  metafilePainter_->end();
  delete metafilePainter_;
  metafilePainter_ = nullptr;
  if (metafile_) {
    metafile_->picture() = recording_;
    const QRect bounds = recording_.boundingRect();
    if (metafile_->width() == 0) metafile_->setWidth(bounds.right() + 1);
    if (metafile_->height() == 0) metafile_->setHeight(bounds.bottom() + 1);
  }
}

}  // namespace valmoro::script::graphics
