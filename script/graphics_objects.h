#pragma once
// Drawing objects for scripts: fonts, pens, brushes, canvases, and the
// graphics they draw on (bitmaps over QImage, metafiles over QPicture) with
// the picture that holds one of them.
//
// Colours are integers 0x00BBGGRR (a system colour is 0xFF0000nn, clNone
// and clDefault are the special values of platform/graphics_names.h).
// Sizes are pixels at 96 per inch, so a font of 10 points is 13 pixels high
// whatever the device.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPicture>
#include <QPointer>
#include <QString>
#include <functional>

#include "host_persistent.h"

class QPainter;

namespace valmoro::script::graphics {

// 0x00BBGGRR (or a system colour) as a Qt colour; clNone is transparent,
// clDefault an invalid colour (the owner's default applies).
QColor ColorFromValue(int color);
int ValueFromColor(const QColor& color);

// Members of TFontStyles, as bits.
inline constexpr int fsBold = 1;
inline constexpr int fsItalic = 2;
inline constexpr int fsUnderline = 4;
inline constexpr int fsStrikeOut = 8;

class TFont : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Charset READ charset WRITE setCharset)
  Q_PROPERTY(int Color READ color WRITE setColor)
  Q_PROPERTY(int Height READ height WRITE setHeight)
  Q_PROPERTY(QString Name READ name WRITE setName)
  Q_PROPERTY(int Pitch READ pitch WRITE setPitch)
  Q_PROPERTY(int Size READ size WRITE setSize)

public:
  Q_INVOKABLE explicit TFont(QObject* parent = nullptr);

  int charset() const { return charset_; }
  void setCharset(int charset);
  int color() const { return color_; }
  void setColor(int color);
  // Negative: the character height in pixels without the internal leading,
  // as the size gives it.
  int height() const;
  void setHeight(int height);
  QString name() const { return font_.family(); }
  void setName(const QString& name);
  int pitch() const { return pitch_; }
  void setPitch(int pitch);
  int size() const { return size_; }
  void setSize(int size);
  int style() const;
  void setStyle(int bits);

  // The Qt font (pixel size from Size) and the colour of the text.
  QFont qfont() const { return font_; }
  QColor qcolor() const { return ColorFromValue(color_); }
  void setFromQFont(const QFont& font);
  bool AssignFrom(QObject* source) override;

signals:
  void changed();

private:
  QFont font_;
  int size_ = 10;
  int color_ = 0xFF000008;  // clWindowText
  int pitch_ = 0;
  int charset_ = 1;
};

class TPen : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Color READ color WRITE setColor)
  Q_PROPERTY(int Mode READ mode WRITE setMode)
  Q_PROPERTY(int Style READ style WRITE setStyle)
  Q_PROPERTY(int Width READ width WRITE setWidth)

public:
  // TPenStyle and TPenMode in order.
  enum Style { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
  enum Mode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
  };
  Q_INVOKABLE explicit TPen(QObject* parent = nullptr) : TPersistent(parent) {}

  int color() const { return color_; }
  void setColor(int c) { color_ = c; }
  int mode() const { return mode_; }
  void setMode(int m) { mode_ = m; }
  int style() const { return style_; }
  void setStyle(int s) { style_ = s; }
  int width() const { return width_; }
  void setWidth(int w) { width_ = w < 1 ? 1 : w; }
  bool AssignFrom(QObject* source) override;

private:
  int color_ = 0;  // clBlack
  int mode_ = pmCopy;
  int style_ = psSolid;
  int width_ = 1;
};

class TBrush : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Color READ color WRITE setColor)
  Q_PROPERTY(int Style READ style WRITE setStyle)

public:
  // TBrushStyle in order.
  enum Style { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
  Q_INVOKABLE explicit TBrush(QObject* parent = nullptr) : TPersistent(parent) {}

  int color() const { return color_; }
  void setColor(int c) { color_ = c; }
  int style() const { return style_; }
  void setStyle(int s) { style_ = s; }
  bool AssignFrom(QObject* source) override;

private:
  int color_ = 0xFFFFFF;  // clWhite
  int style_ = bsSolid;
};

class TCanvas;

// A picture of some kind: a bitmap or a metafile.
class TGraphic : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Height READ height WRITE setHeight)
  Q_PROPERTY(int Width READ width WRITE setWidth)

public:
  explicit TGraphic(QObject* parent = nullptr) : TPersistent(parent) {}
  virtual int height() const = 0;
  virtual void setHeight(int height) = 0;
  virtual int width() const = 0;
  virtual void setWidth(int width) = 0;
  virtual bool empty() const = 0;
  // Raise EFOpenError / EFCreateError / EInvalidGraphic on failure.
  virtual void loadFromFile(const QString& fileName) = 0;
  virtual void saveToFile(const QString& fileName) const = 0;
  // Draws the whole graphic into the rectangle.
  virtual void drawInto(QPainter& painter, const QRect& target) const = 0;
};

class TBitmap : public TGraphic {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TBitmap(QObject* parent = nullptr);

  int height() const override { return height_; }
  void setHeight(int height) override { resize(width_, height); }
  int width() const override { return width_; }
  void setWidth(int width) override { resize(width, height_); }
  bool empty() const override { return image_.isNull(); }
  // PNG, JPEG, BMP and whatever else QImage reads; saving picks the format
  // by the file's extension (BMP when there is none it knows).
  void loadFromFile(const QString& fileName) override;
  void saveToFile(const QString& fileName) const override;
  void drawInto(QPainter& painter, const QRect& target) const override;
  bool AssignFrom(QObject* source) override;

  // New area is white, as on a fresh bitmap.
  void resize(int width, int height);
  QImage& image() { return image_; }
  const QImage& image() const { return image_; }
  void setImage(const QImage& image);
  TCanvas* canvas();

private:
  // The size stays when one side is 0 (and the image with it empty).
  QImage image_;
  int width_ = 0;
  int height_ = 0;
  QPointer<TCanvas> canvas_;
};

// A recorded drawing (the drawing commands of a TMetafileCanvas).
class TMetafile : public TGraphic {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TMetafile(QObject* parent = nullptr) : TGraphic(parent) {}

  int height() const override { return height_; }
  void setHeight(int height) override { height_ = std::max(0, height); }
  int width() const override { return width_; }
  void setWidth(int width) override { width_ = std::max(0, width); }
  bool empty() const override { return picture_.isNull(); }
  // Metafile files are a Windows format this program neither reads nor
  // writes; both raise EInvalidGraphic.
  void loadFromFile(const QString& fileName) override;
  void saveToFile(const QString& fileName) const override;
  void drawInto(QPainter& painter, const QRect& target) const override;
  bool AssignFrom(QObject* source) override;

  QPicture& picture() { return picture_; }

private:
  QPicture picture_;
  int width_ = 0;
  int height_ = 0;
};

// Holds one graphic of any kind.
class TPicture : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(int Height READ height)
  Q_PROPERTY(int Width READ width)

public:
  Q_INVOKABLE explicit TPicture(QObject* parent = nullptr) : TPersistent(parent) {}

  int height() const { return graphic_ ? graphic_->height() : 0; }
  int width() const { return graphic_ ? graphic_->width() : 0; }
  TGraphic* graphic() const { return graphic_; }
  // A copy of the graphic (none clears the picture).
  void setGraphic(TGraphic* graphic);
  // The graphic as a bitmap; a picture holding something else gets an empty
  // bitmap in its place.
  TBitmap* bitmap();
  void loadFromFile(const QString& fileName);
  void saveToFile(const QString& fileName) const;
  bool AssignFrom(QObject* source) override;

signals:
  void changed();

private:
  QPointer<TGraphic> graphic_;
};

// Draws with a pen, a brush and a font on a bitmap, on a metafile, or on a
// window while it paints. A canvas without any of them raises
// "Canvas does not allow drawing".
class TCanvas : public TPersistent {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TCanvas(QObject* parent = nullptr);
  ~TCanvas() override;

  TFont* font();
  TPen* pen();
  TBrush* brush();
  QPoint penPos() const { return penPos_; }
  void setPenPos(QPoint p) { penPos_ = p; }

  void attachBitmap(TBitmap* bitmap) { bitmap_ = bitmap; }
  // While a window paints, its painter (none when done).
  void setPainter(QPainter* painter) { painter_ = painter; }
  bool canDraw() const { return painter_ || bitmap_ || metafilePainter_; }

  void moveTo(int x, int y) { penPos_ = QPoint(x, y); }
  void lineTo(int x, int y);
  void rectangle(int x1, int y1, int x2, int y2);
  void ellipse(int x1, int y1, int x2, int y2);
  void roundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void fillRect(int x1, int y1, int x2, int y2);
  void textOut(int x, int y, const QString& text);
  void draw(int x, int y, TGraphic* graphic);
  void stretchDraw(int x1, int y1, int x2, int y2, TGraphic* graphic);
  int textWidth(const QString& text) const;
  int textHeight(const QString& text) const;
  // -1 (clNone) where there is no pixel to read.
  int pixel(int x, int y) const;
  void setPixel(int x, int y, int color);

protected:
  // A canvas that records into a metafile keeps its painter open until it
  // is freed.
  QPainter* metafilePainter_ = nullptr;

private:
  void paint(const std::function<void(QPainter&)>& draw);
  void applyPen(QPainter& p) const;
  void applyBrush(QPainter& p) const;

  QPointer<TFont> font_;
  QPointer<TPen> pen_;
  QPointer<TBrush> brush_;
  QPoint penPos_;
  QPointer<TBitmap> bitmap_;
  QPainter* painter_ = nullptr;
};

// Records what is drawn on it into a metafile; the metafile receives the
// drawing when the canvas is freed.
class TMetafileCanvas : public TCanvas {
  Q_OBJECT

public:
  explicit TMetafileCanvas(TMetafile* metafile, QObject* parent = nullptr);
  ~TMetafileCanvas() override;

private:
  QPointer<TMetafile> metafile_;
  QPicture recording_;
};

}  // namespace valmoro::script::graphics
