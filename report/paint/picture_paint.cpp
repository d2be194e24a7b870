// Drawing of picture views and of a report page's background.

#include <QPainter>
#include <array>

#include "platform/canvas.h"
#include "report/model/picture_view.h"
#include "report/model/report_page.h"
#include "report/paint/paint_support.h"

namespace valmoro::report {

namespace {

// The picture on a bitmap of its own pixel size: what shows through its
// transparent parts is white, as on paper.
QImage onWhiteBitmap(const QImage& image) {
  QImage bitmap(image.size(), QImage::Format_RGB32);
  if (bitmap.isNull()) return image;  // too large to copy: drawn as it is
  bitmap.fill(Qt::white);
  QPainter painter(&bitmap);
  painter.drawImage(0, 0, image);
  return bitmap;
}

// The designer's sign for a picture view without a picture: a small framed
// landscape with a sun.
void drawPictureSymbol(gfx::Canvas& canvas, int x, int y) {
  canvas.setBackground(std::nullopt);
  canvas.setPen({gfx::rgb(0x80, 0x80, 0x80), 1, gfx::PenStyle::Solid});
  canvas.setBrush({gfx::rgb(0xE8, 0xF4, 0xFF), gfx::BrushStyle::Solid});
  canvas.rectangle({x, y, x + 16, y + 14});
  canvas.setPen({gfx::rgb(0x30, 0x90, 0x30), 1, gfx::PenStyle::Solid});
  canvas.setBrush({gfx::rgb(0x50, 0xB0, 0x50), gfx::BrushStyle::Solid});
  const std::array<QPoint, 4> hill{QPoint(x + 1, y + 12), QPoint(x + 6, y + 6), QPoint(x + 14, y + 12),
                                   QPoint(x + 1, y + 12)};
  canvas.polygon(hill);
  canvas.setPen({gfx::rgb(0xE0, 0xA0, 0x00), 1, gfx::PenStyle::Solid});
  canvas.setBrush({gfx::rgb(0xFF, 0xD0, 0x20), gfx::BrushStyle::Solid});
  canvas.ellipse({x + 10, y + 2, x + 14, y + 6});
}

}  // namespace

void TfrxPictureView::Paint(gfx::Canvas& canvas, const PaintContext& context) {
  const double scaleX = context.scaleX, scaleY = context.scaleY;
  const bool onPaper = context.picturesAsOnPaper();
  ComputeDeviceRect(canvas, scaleX, scaleY, context.offsetX, context.offsetY);
  PaintFill();
  const DeviceBox& b = box_;
  gfx::Rect r{b.x, b.y, b.x1, b.y1};

  if (!Picture()->IsEmpty()) {
    // Pictures that cannot be decoded (damaged data, kinds kept only as
    // bytes) show nothing rather than failing the whole page.
    const QImage image = Picture()->Image();
    const double pw = image.width(), ph = image.height();
    if (!image.isNull() && pw > 0 && ph > 0) {
      if (Stretched()) {
        if (KeepAspectRatio()) {
          const double kx = b.dx / pw, ky = b.dy / ph;
          if (ky > kx)
            r.bottom = r.top + paint::round(ph * kx);
          else
            r.right = r.left + paint::round(pw * ky);
        }
        if (Center()) {
          const int mx = (b.dx - r.width()) / 2, my = (b.dy - r.height()) / 2;
          r = {r.left + mx, r.top + my, r.right + mx, r.bottom + my};
        }
        DrawGraphic(r, onPaper);
      } else {
        canvas.pushClip({b.x, b.y, b.x1, b.y1});
        const int iw = paint::round(scaleX * pw), ih = paint::round(scaleY * ph);
        if (Center()) {
          r.left += (b.dx - iw) / 2;
          r.top += (b.dy - ih) / 2;
        }
        r.right = r.left + iw;
        r.bottom = r.top + ih;
        DrawGraphic(r, onPaper);
        canvas.popClip();
      }
    }
  } else if (context.designing()) {
    drawPictureSymbol(canvas, b.x + 1, b.y + 2);
  }
  PaintFrame();
}

void TfrxPictureView::DrawGraphic(const gfx::Rect& target, bool onPaper) {
  if (!box_.canvas || target.isEmpty()) return;
  gfx::Canvas& canvas = *box_.canvas;
  canvas.setBrush({gfx::clWhite, gfx::BrushStyle::Solid});
  const QImage image = Picture()->Image();
  const bool plainBitmap = Picture()->GraphicClass() == QLatin1String("TBitmap");
  const std::optional<gfx::Color> key =
      Transparent() ? std::optional<gfx::Color>(paint::color(TransparentColor())) : std::nullopt;
  if (onPaper || HightQuality() || (Transparent() && !plainBitmap)) {
    // Through a bitmap of the picture's own size: smooth on screen and on
    // paper, except that one-bit pictures on paper keep their hard edges and
    // transparent ones leave out their key colour instead.
    const bool oneBit = image.depth() == 1;
    const bool smooth = !Transparent() && !(onPaper && oneBit);
    canvas.drawImage(target, onWhiteBitmap(image), key, smooth);
  } else {
    canvas.drawImage(target, image, plainBitmap ? key : std::nullopt, false);
  }
}

void TfrxReportPage::PaintBackground(gfx::Canvas& canvas, const PaintContext& context) {
  TfrxPictureView& view = *background_;
  view.SetWidth((PaperWidth() - LeftMargin() - RightMargin()) * fr01cm);
  view.SetHeight((PaperHeight() - TopMargin() - BottomMargin()) * fr01cm);
  if (!BackPictureVisible() || (context.picturesAsOnPaper() && !BackPicturePrintable())) return;
  view.Paint(canvas, context.movedBy(context.scaleX * LeftMargin() * fr01cm, context.scaleY * TopMargin() * fr01cm));
}

}  // namespace valmoro::report
