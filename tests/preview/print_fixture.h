#pragma once
// A printer that records what a print run asks of it, and prepared pages
// made in the test that write their number and copy on the canvas.

#include <QString>
#include <QStringList>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/printers.h"
#include "platform/recording_canvas.h"
#include "preview/print_run.h"
#include "report/model/report_page.h"

namespace valmoro::preview::testing {

// The virtual printer's papers and margins (600 dpi, 5 mm), but it prints:
// every call is a line of the log.
class RecordingPrinter : public printers::TfrxVirtualPrinter {
public:
  RecordingPrinter(QStringList& log, bool makesCopies = true)
      : TfrxVirtualPrinter(QStringLiteral("Rejestrator"), QString()), log_(log), makesCopies_(makesCopies) {
    Init();
    SetViewParams(9, 0, 0, printers::Orientation::Portrait);
  }
  void BeginDoc() override {
    printing_ = true;
    log_ << QStringLiteral("doc");
  }
  void EndDoc() override {
    if (!printing_) return;
    printing_ = false;
    log_ << QStringLiteral("end doc");
  }
  void Abort() override {
    log_ << QStringLiteral("abort");
    printing_ = false;
  }
  void BeginPage() override {
    canvas_ = std::make_unique<gfx::RecordingCanvas>(600, gfx::DeviceKind::Printer);
    log_ << QStringLiteral("page");
  }
  void EndPage() override { canvas_.reset(); }
  void SetPrintParams(int paperSize, double w, double h, printers::Orientation o, int bin, int duplex,
                      int copies) override {
    TfrxVirtualPrinter::SetPrintParams(paperSize, w, h, o, bin, duplex, copies);
    log_ << QStringLiteral("params %1 %2x%3 %4 bin %5 duplex %6 copies %7")
                .arg(paperSize)
                .arg(std::lround(PaperWidth()))
                .arg(std::lround(PaperHeight()))
                .arg(o == printers::Orientation::Landscape ? "L" : "P")
                .arg(bin)
                .arg(duplex)
                .arg(copies);
  }
  bool DeviceMakesCopies() const override { return makesCopies_; }
  gfx::Canvas* Canvas() override { return canvas_.get(); }

private:
  QStringList& log_;
  bool makesCopies_;
  std::unique_ptr<gfx::RecordingCanvas> canvas_;
};

struct PageSpec {
  int paperSize = 9;
  report::TPrinterOrientation orientation = report::poPortrait;
  double width = 0, height = 0;  // for paper 256
  int bin = 7, binOtherPages = 7;
  report::TfrxDuplexMode duplex = report::dmNone;
};

// Pages that draw "Strona N kopia C" 100 pixels (96 dpi) in from the paper's
// corner and log each drawing as "draw N copy C".
class FakePages : public PrintablePages {
public:
  FakePages(QStringList& log, std::vector<PageSpec> specs, bool logScale = false)
      : log_(log), logScale_(logScale) {
    for (const PageSpec& s : specs) {
      auto page = std::make_unique<report::TfrxReportPage>();
      page->SetOrientation(s.orientation);
      if (s.paperSize == 256) {
        page->SetPaperWidth(s.width);
        page->SetPaperHeight(s.height);
      } else {
        page->SetPaperSize(s.paperSize);
      }
      page->SetBin(s.bin);
      page->SetBinOtherPages(s.binOtherPages);
      page->SetDuplex(s.duplex);
      pages_.push_back(std::move(page));
    }
  }
  FakePages(QStringList& log, int count) : FakePages(log, std::vector<PageSpec>(size_t(count))) {}

  int Count() const override { return int(pages_.size()); }
  report::TfrxReportPage* Page(int index) override { return pages_[size_t(index)].get(); }
  void DrawPage(int index, gfx::Canvas& canvas, double sx, double sy, double ox, double oy) override {
    QString line = QStringLiteral("draw %1 copy %2").arg(index + 1).arg(copyNo_);
    if (logScale_)
      line += QStringLiteral(" scale %1 %2 at %3 %4")
                  .arg(sx, 0, 'f', 4)
                  .arg(sy, 0, 'f', 4)
                  .arg(std::lround(ox))
                  .arg(std::lround(oy));
    log_ << line;
    gfx::Font font;
    font.name = QStringLiteral("Arial");
    font.height = -int(std::lround(12.0 * canvas.dpiY() / 72));
    canvas.setFont(font);
    canvas.textOut(QPoint(int(std::lround(ox + 100 * sx)), int(std::lround(oy + 100 * sy))),
                   QStringLiteral("Strona %1 kopia %2").arg(index + 1).arg(copyNo_));
  }
  void ClearPageCache() override {}
  void SetPrintScale(double scale) override { printScale_ = scale; }
  void SetCopyNo(int copyNo) override { copyNo_ = copyNo; }

  double printScale_ = 1;
  int copyNo_ = 0;

private:
  QStringList& log_;
  bool logScale_;
  std::vector<std::unique_ptr<report::TfrxReportPage>> pages_;
};

// Only the lines that start with one of the prefixes.
inline QStringList only(const QStringList& log, const QStringList& prefixes) {
  QStringList out;
  for (const QString& line : log)
    for (const QString& p : prefixes)
      if (line.startsWith(p)) {
        out << line;
        break;
      }
  return out;
}

}  // namespace valmoro::preview::testing
