#include "preview/print_run.h"

#include <QDir>
#include <QFileInfo>

#include <QCoreApplication>
#include <cmath>

#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/paper_table.h"
#include "platform/printers.h"
#include "preview/print_dialog.h"
#include "preview/print_math.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"
#include "script/script.h"
#include "script/variant.h"

namespace valmoro::preview {

namespace {

using printers::Orientation;
using printers::TfrxCustomPrinter;
using report::TfrxReport;
using report::TfrxReportPage;

constexpr double kPixelsPerMm = 3.77953;

Orientation orientationOf(const TfrxReportPage& page) {
  return page.Orientation() == report::poLandscape ? Orientation::Landscape : Orientation::Portrait;
}

class Run {
public:
  Run(TfrxReport& report, PrintablePages& pages, TfrxCustomPrinter& printer)
      : report_(report), pages_(pages), printer_(printer), options_(*report.PrintOptions()) {}

  int execute();

private:
  // The page index of a position, or −1 when it is skipped.
  int pageAt(int position, bool filterOddEven) const;
  bool terminated() const { return report_.Terminated(); }
  // The page's object with the copies and the copy number of this pass; false
  // to stop the loop.
  struct PageStart {
    int index = -1;
    TfrxReportPage* page = nullptr;
    int deviceCopies = 1;
    int bin = 0;
    int duplex = 0;
  };
  // Steps common to the default, scale and split modes; nothing when the
  // position is skipped; stop set when printing ends here.
  std::optional<PageStart> startPage(int position, bool& stop, bool toggleParity);
  bool printOnePage(int position);
  bool printOnePageSplit(int position);
  void join();
  bool pageLoop(bool (Run::*print)(int));
  // Begins a sheet side, draws, ends it; `times` sides when the printer does
  // not make the copies itself.
  void printSides(int times, const std::function<void(gfx::Canvas&)>& draw);
  void beginDocIfNeeded();
  void remember(const TfrxReportPage& page, int bin, Orientation orientation, int duplex);

  TfrxReport& report_;
  PrintablePages& pages_;
  TfrxCustomPrinter& printer_;
  report::TfrxPrintOptions& options_;
  std::vector<int> list_;
  int positions_ = 0;
  int copies_ = 1;
  int copy_ = 1;
  bool started_ = false;
  int sides_ = 0;
  double sheetWidth_ = 0, sheetHeight_ = 0, overlap_ = 0;
  int prevPaper_ = -1;
  long prevWidth_ = -1, prevHeight_ = -1;
  int prevBin_ = -1;
  Orientation prevOrientation_ = Orientation::Portrait;
  int prevDuplex_ = 0;
  bool parity_ = false;
};

int Run::pageAt(int position, bool filterOddEven) const {
  const int count = pages_.Count();
  if (position >= count) return -1;
  const int index = list_.empty() ? position : list_[size_t(position)] - 1;
  if (index < 0 || index >= count) return -1;
  if (filterOddEven) {
    const int number = index + 1;
    if (options_.PrintPages() == report::ppOdd && number % 2 == 0) return -1;
    if (options_.PrintPages() == report::ppEven && number % 2 == 1) return -1;
  }
  return index;
}

void Run::beginDocIfNeeded() {
  if (started_) return;
  printer_.BeginDoc();
  started_ = true;
}

void Run::printSides(int times, const std::function<void(gfx::Canvas&)>& draw) {
  for (int i = 0; i < times; ++i) {
    printer_.BeginPage();
    if (gfx::Canvas* canvas = printer_.Canvas()) draw(*canvas);
    printer_.EndPage();
    ++sides_;
  }
}

std::optional<Run::PageStart> Run::startPage(int position, bool& stop, bool toggleParity) {
  stop = false;
  PageStart s;
  s.index = pageAt(position, true);
  if (s.index < 0) return std::nullopt;
  if (terminated()) {
    printer_.Abort();
    stop = true;
    return std::nullopt;
  }
  s.page = pages_.Page(s.index);
  if (!s.page) return std::nullopt;
  const bool collate = options_.Collate();
  s.deviceCopies = collate ? 1 : copies_;
  const int copyNo = collate ? copy_ : 1;
  pages_.SetCopyNo(copyNo);
  if (report_.OnPrintPage) report_.OnPrintPage(s.page, copyNo);
  s.bin = s.index == 0 ? s.page->Bin() : s.page->BinOtherPages();
  s.duplex = options_.Duplex() != 0 ? options_.Duplex() : int(s.page->Duplex());
  if (toggleParity) {
    if (s.duplex != prevDuplex_) parity_ = false;
    if (s.duplex == report::dmVertical || s.duplex == report::dmHorizontal) parity_ = !parity_;
  }
  return s;
}

void Run::remember(const TfrxReportPage& page, int bin, Orientation orientation, int duplex) {
  prevPaper_ = page.PaperSize();
  prevWidth_ = std::lround(page.PaperWidth());
  prevHeight_ = std::lround(page.PaperHeight());
  prevBin_ = bin;
  prevOrientation_ = orientation;
  prevDuplex_ = duplex;
}

bool Run::printOnePage(int position) {
  bool stop = false;
  const std::optional<PageStart> s = startPage(position, stop, true);
  if (!s) return !stop;
  const TfrxReportPage& page = *s->page;
  const Orientation orientation = orientationOf(page);
  const bool scale = options_.PrintMode() == report::pmScale;
  if (!scale) {
    if (!started_ || page.PaperSize() != prevPaper_ || std::lround(page.PaperWidth()) != prevWidth_ ||
        std::lround(page.PaperHeight()) != prevHeight_ || s->bin != prevBin_ || orientation != prevOrientation_ ||
        s->duplex != prevDuplex_)
      printer_.SetPrintParams(page.PaperSize(), page.PaperWidth(), page.PaperHeight(), orientation, s->bin,
                              s->duplex, s->deviceCopies);
  } else if (!started_ || s->bin != prevBin_ || orientation != prevOrientation_ || s->duplex != prevDuplex_) {
    printer_.SetPrintParams(options_.PrintOnSheet(), sheetWidth_, sheetHeight_, orientation, s->bin, s->duplex,
                            s->deviceCopies);
    sheetWidth_ = printer_.PaperWidth();
    sheetHeight_ = printer_.PaperHeight();
  }
  beginDocIfNeeded();
  double sx = 1, sy = 1;
  if (scale) {
    sx = sheetWidth_ / page.PaperWidth();
    sy = sheetHeight_ / page.PaperHeight();
    pages_.SetPrintScale(std::min(sx, sy));
  }
  const int dpiX = printer_.DPIX(), dpiY = printer_.DPIY();
  const double ox = -printer_.LeftMargin() * dpiX / 25.4, oy = -printer_.TopMargin() * dpiY / 25.4;
  const int index = s->index;
  printSides(printer_.DeviceMakesCopies() ? 1 : s->deviceCopies, [&](gfx::Canvas& canvas) {
    pages_.DrawPage(index, canvas, dpiX / 96.0 * sx, dpiY / 96.0 * sy, ox, oy);
  });
  report_.Progress(TfrxReport::ProgressKind::Printing, index + 1);
  remember(page, s->bin, orientation, s->duplex);
  pages_.ClearPageCache();
  return true;
}

bool Run::printOnePageSplit(int position) {
  bool stop = false;
  const std::optional<PageStart> s = startPage(position, stop, false);
  if (!s) return !stop;
  const TfrxReportPage& page = *s->page;
  const double pw = page.PaperWidth(), ph = page.PaperHeight();
  Fit f = fit(pw, ph, sheetWidth_, sheetHeight_);
  double rx = 0, ry = 0;
  if (f.across > 1) rx = overlap_ + printer_.TopMargin() + printer_.BottomMargin();
  if (f.down > 1) ry = overlap_ + printer_.LeftMargin() + printer_.RightMargin();
  if (f.rotated) std::swap(rx, ry);
  f = fit(pw, ph, sheetWidth_ - rx, sheetHeight_ - ry);
  const Orientation sheetOrientation = f.rotated ? Orientation::Landscape : Orientation::Portrait;
  if (!started_ || sheetOrientation != prevOrientation_)
    printer_.SetPrintParams(options_.PrintOnSheet(), sheetWidth_, sheetHeight_, sheetOrientation, s->bin, s->duplex,
                            s->deviceCopies);
  beginDocIfNeeded();

  const double dpiX = printer_.DPIX(), dpiY = printer_.DPIY();
  const double W = dpiX / 25.4 * (f.rotated ? sheetHeight_ : sheetWidth_);
  const double H = dpiY / 25.4 * (f.rotated ? sheetWidth_ : sheetHeight_);
  const double L = printer_.LeftMargin() * dpiX / 25.4, T = printer_.TopMargin() * dpiY / 25.4;
  const double R = printer_.RightMargin() * dpiX / 25.4, B = printer_.BottomMargin() * dpiY / 25.4;
  const double ox = overlap_ * dpiX / 25.4, oy = overlap_ * dpiY / 25.4;
  const int index = s->index;
  double ay = 0;
  for (int r = 0; r < f.down; ++r) {
    const double y = r == 0 ? -T : -ay;
    double ax = 0;
    for (int c = 0; c < f.across; ++c) {
      const double x = c == 0 ? -L : -ax;
      const gfx::Rect clip{int(std::lround(c > 0 ? L + ox : L)), int(std::lround(r > 0 ? T + oy : T)),
                           int(std::lround(pw * kPixelsPerMm * dpiX / 96 - R)) - 1,
                           int(std::lround(ph * kPixelsPerMm * dpiY / 96 - B)) - 1};
      printSides(printer_.DeviceMakesCopies() ? 1 : s->deviceCopies, [&](gfx::Canvas& canvas) {
        canvas.pushClip(clip);
        try {
          pages_.DrawPage(index, canvas, dpiX / 96, dpiY / 96, x, y);
        } catch (...) {
          canvas.popClip();
          throw;
        }
        canvas.popClip();
      });
      ax += (W - L - R) - ox;
    }
    ay += (H - T - B) - oy;
  }
  report_.Progress(TfrxReport::ProgressKind::Printing, index + 1);
  prevOrientation_ = orientationOf(page);
  pages_.ClearPageCache();
  return true;
}

void Run::join() {
  if (positions_ <= 0 || pages_.Count() == 0) return;
  const int firstIndex = pageAt(0, false);
  if (firstIndex < 0) return;
  TfrxReportPage* first = pages_.Page(firstIndex);
  if (!first) return;
  const double fw = first->PaperWidth(), fh = first->PaperHeight();
  Fit f = fit(sheetWidth_, sheetHeight_, fw, fh);
  if (f.rotated) std::swap(f.across, f.down);
  const Orientation sheetOrientation = f.rotated ? Orientation::Landscape : Orientation::Portrait;
  const int duplex = options_.Duplex() != 0 ? options_.Duplex() : int(first->Duplex());
  printer_.SetPrintParams(options_.PrintOnSheet(), sheetWidth_, sheetHeight_, sheetOrientation, first->Bin(), duplex,
                          1);
  beginDocIfNeeded();
  const double dpiX = printer_.DPIX(), dpiY = printer_.DPIY();
  const double cw = dpiX / 25.4 * fw, ch = dpiY / 25.4 * fh;
  const double L = printer_.LeftMargin() * dpiX / 25.4, T = printer_.TopMargin() * dpiY / 25.4;
  int q = -1;
  while (q < positions_ - 1) {
    int i = 1;
    printer_.BeginPage();
    gfx::Canvas* canvas = printer_.Canvas();
    double y = -T;
    bool more = true;
    for (int r = 0; r < f.down && more; ++r) {
      double x = -L;
      for (int c = 0; c < f.across; ++c) {
        pages_.SetCopyNo(i);
        int index;
        if (i == 1) {
          ++q;
          index = q < positions_ ? pageAt(q, false) : -1;
        } else {
          pages_.ClearPageCache();
          index = pageAt(q, false);
        }
        i = i + 1 > copies_ ? 1 : i + 1;
        if (index < 0) {
          more = false;
          break;
        }
        if (canvas) pages_.DrawPage(index, *canvas, dpiX / 96, dpiY / 96, x, y);
        x += cw;
      }
      y += ch;
    }
    printer_.EndPage();
    ++sides_;
    report_.Progress(TfrxReport::ProgressKind::Printing, q);
    if (terminated()) {
      printer_.Abort();
      return;
    }
    pages_.ClearPageCache();
  }
}

bool Run::pageLoop(bool (Run::*print)(int)) {
  if (options_.Reverse()) {
    for (int p = positions_ - 1; p >= 0; --p)
      if (!(this->*print)(p)) return false;
  } else {
    for (int p = 0; p < positions_; ++p)
      if (!(this->*print)(p)) return false;
  }
  return true;
}

int Run::execute() {
  const report::TfrxPrintMode mode = options_.PrintMode();
  if (mode != report::pmDefault) {
    // The sheet every page goes on.
    if (options_.PrintOnSheet() == printers::kCustomPaperSize || options_.PrintOnSheet() == 0)
      printer_.SetViewParams(printers::kCustomPaperSize, printer_.PaperWidth(), printer_.PaperHeight(),
                             Orientation::Portrait);
    else
      printer_.SetViewParams(options_.PrintOnSheet(), 0, 0, Orientation::Portrait);
    sheetWidth_ = printer_.PaperWidth();
    sheetHeight_ = printer_.PaperHeight();
    overlap_ = options_.SheetOverlap();
  }
  list_ = parsePageNumbers(options_.PageNumbers(), pages_.Count());

  report_.SetTerminated(false);
  report_.ProgressStart(TfrxReport::ProgressKind::Printing);
  const QString name = report_.ReportOptions()->Name();
  printer_.SetTitle(name.isEmpty() ? report_.FileName() : name);
  copies_ = std::max(1, options_.Copies());
  positions_ = list_.empty() ? pages_.Count() : int(list_.size());
  started_ = false;
  parity_ = false;
  prevDuplex_ = 0;
  try {
    auto runMode = [&] {
      switch (mode) {
        case report::pmSplit: pageLoop(&Run::printOnePageSplit); break;
        case report::pmJoin: join(); break;
        default: pageLoop(&Run::printOnePage); break;
      }
    };
    if (options_.Collate()) {
      for (int copy = 1; copy <= copies_; ++copy) {
        copy_ = copy;
        runMode();
        if (parity_ && printer_.Printing()) {
          // The next copy starts on a sheet of its own.
          printer_.BeginPage();
          printer_.EndPage();
          ++sides_;
        }
        parity_ = false;
        if (terminated()) break;
      }
    } else {
      copy_ = 1;
      runMode();
    }
    if (started_) printer_.EndDoc();
  } catch (...) {
    // A failed run leaves no job (nor file) behind that looks complete.
    if (printer_.Printing()) printer_.Abort();
    report_.ProgressStop(TfrxReport::ProgressKind::Printing);
    throw;
  }
  report_.ProgressStop(TfrxReport::ProgressKind::Printing);
  return sides_;
}

QString res(const char* name) { return report::resources::text(QString::fromLatin1(name)); }

}  // namespace

int PrintRun(TfrxReport& report, PrintablePages& pages, TfrxCustomPrinter& printer) {
  Run run(report, pages, printer);
  return run.execute();
}

bool Print(TfrxReport& report, PrintablePages& pages, const PrintContext& context) {
  printers::TfrxPrinters& list = printers::frxPrinters();
  // Without a printer the pages can still go into a PDF file: the virtual
  // printer's place is taken by Qt's PDF output, if the user wants it.
  std::unique_ptr<printers::TfrxPrinter> pdfPrinter;
  if (!list.HasPhysicalPrinters()) {
    if (!dialogs::confirm(res("clNoPrinters") + QStringLiteral(".\rCzy zapisać wydruk do pliku PDF?"), context.parent))
      return false;
    const std::optional<QString> file = AskPdfFileName(QStringLiteral("Drukuj do pliku PDF"), context.parent);
    if (!file) return false;
    pdfPrinter = std::make_unique<printers::TfrxPrinter>(QString(), QString());
    pdfPrinter->Init();
    pdfPrinter->SetFileName(*file);
  }
  pages.SetPrintScale(1);
  report::TfrxPrintOptions& options = *report.PrintOptions();
  report::TfrxPrintOptions kept;
  kept.Assign(options);
  int duplex = options.Duplex();
  const int named = list.IndexOf(options.Printer());
  if (named >= 0 && named != list.PrinterIndex()) list.SetPrinterIndex(named);

  QString dialogFile;
  if (options.ShowDialog() && !pdfPrinter) {
    TfrxPrintDialog dialog(report, duplex, context.currentPage, context.parent);
    const bool ok = context.runDialog ? context.runDialog(dialog) : dialog.execute();
    if (!ok) {
      pages.SetCopyNo(0);
      options.Assign(kept);
      return false;
    }
    duplex = dialog.Duplex();
    options.SetDuplex(duplex);
    dialogFile = dialog.OutputFileName();
  }

  bool locked = false;
  auto finish = [&] {
    if (report.OnAfterPrintReport) report.OnAfterPrintReport(&report);
    pages.SetCopyNo(0);
    options.Assign(kept);
    options.SetDuplex(duplex);
    if (locked && context.lockPreview) context.lockPreview(false);
  };
  try {
    if (report.OnPrintReport) report.OnPrintReport(&report);
    if (!report.OnReportPrint().isEmpty()) {
      script::Variant args = script::Variant::FromArray(script::VariantArray::Of({script::Variant::FromObject(&report)}));
      report.Script().CallRoutine(report.OnReportPrint(), args);
    }
    if (context.lockPreview) {
      context.lockPreview(true);
      locked = true;
    }
    TfrxCustomPrinter* printer = pdfPrinter ? pdfPrinter.get() : list.Printer();
    if (printer && printer->Initialized()) {
      // A file named by the options wins; otherwise the dialog's choice
      // (without a dialog: the printer itself).
      if (!pdfPrinter)
        printer->SetFileName(!options.OutputFileName().isEmpty() ? options.OutputFileName() : dialogFile);
      PrintRun(report, pages, *printer);
    } else {
      dialogs::showErrorBox(res("mbError"), printers::printerTexts().invalidPrinter, context.parent);
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return true;
}

}  // namespace valmoro::preview
