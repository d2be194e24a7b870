#include "preview/print_install.h"

#include <memory>

#include "platform/dialogs.h"
#include "platform/printers.h"
#include "preview/page_source.h"
#include "preview/preview_hooks.h"
#include "preview/print_math.h"
#include "preview/print_run.h"
#include "preview/report_page_source.h"
#include "report/engine/preview_pages.h"
#include "report/model/hooks.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"

namespace valmoro::preview {

namespace {

QString res(const char* name) { return report::resources::text(QString::fromLatin1(name)); }

// A report's prepared pages as the print run sees them.
class StorePages : public PrintablePages {
public:
  explicit StorePages(report::TfrxCustomPreviewPages& store) : store_(store) {}
  int Count() const override { return store_.Count(); }
  report::TfrxReportPage* Page(int index) override { return store_.Page(index); }
  void DrawPage(int index, gfx::Canvas& canvas, double sx, double sy, double ox, double oy) override {
    store_.DrawPage(index, canvas, sx, sy, ox, oy);
  }
  void ClearPageCache() override { store_.ClearPageCache(); }
  // Text views take the print scale from the printer canvas's scale.
  void SetPrintScale(double) override {}
  void SetCopyNo(int copyNo) override { store_.SetCopyNo(copyNo); }

private:
  report::TfrxCustomPreviewPages& store_;
};

// Any other pages the preview shows.
class SourcePages : public PrintablePages {
public:
  explicit SourcePages(PageSource& source) : source_(source) {}
  int Count() const override { return source_.Count(); }
  report::TfrxReportPage* Page(int index) override { return source_.Page(index); }
  void DrawPage(int index, gfx::Canvas& canvas, double sx, double sy, double ox, double oy) override {
    source_.DrawPage(index, canvas, sx, sy, ox, oy);
  }
  void ClearPageCache() override {}
  void SetPrintScale(double) override {}
  void SetCopyNo(int) override {}

private:
  PageSource& source_;
};

bool printShowingErrors(report::TfrxReport& report, PrintablePages& pages, int currentPage, QWidget* parent) {
  PrintContext context;
  context.parent = parent;
  context.currentPage = currentPage;
  try {
    return Print(report, pages, context);
  } catch (const PageNumbersError& e) {
    dialogs::showErrorBox(res("mbError"), e.text(), parent);
  } catch (const printers::PrinterError& e) {
    dialogs::showErrorBox(res("mbError"), e.text(), parent);
  } catch (const std::exception& e) {
    dialogs::showErrorBox(res("mbError"), QString::fromUtf8(e.what()), parent);
  }
  return false;
}

}  // namespace

bool PrintPreparedPages(report::TfrxReport& report, report::TfrxCustomPreviewPages& pages, int currentPage,
                        QWidget* parent) {
  StorePages printable(pages);
  return printShowingErrors(report, printable, currentPage, parent);
}

std::unique_ptr<PrintablePages> printablePages(report::TfrxCustomPreviewPages& pages) {
  return std::make_unique<StorePages>(pages);
}

void InstallPrinting() {
  printers::PrinterTexts texts;
  texts.custom = res("prCustom");
  texts.defaultSource = res("prDefault");
  texts.virtualPrinter = res("prVirtual");
  texts.errorCaption = res("mbError");
  printers::setPrinterTexts(texts);

  report::hooks::setPrinterDefaults([] {
    report::hooks::PrinterPaper paper;
    if (printers::TfrxCustomPrinter* p = printers::frxPrinters().Printer(); p && p->Initialized()) {
      paper.paperSize = p->DefPaper();
      paper.paperWidth = p->DefPaperWidth();
      paper.paperHeight = p->DefPaperHeight();
      paper.orientation =
          p->DefOrientation() == printers::Orientation::Landscape ? report::poLandscape : report::poPortrait;
    }
    return paper;
  });

  // The preview counts its current page from 0.
  hooks::setPrintRunner([](PageSource& source, report::TfrxReport* report, int currentPage, QWidget* parent) {
    // Pages without a report print with the default options.
    std::unique_ptr<report::TfrxReport> own;
    if (!report) {
      own = std::make_unique<report::TfrxReport>();
      report = own.get();
    }
    if (auto* store = dynamic_cast<ReportPageSource*>(&source)) {
      StorePages printable(store->Pages());
      return printShowingErrors(*report, printable, currentPage + 1, parent);
    }
    SourcePages printable(source);
    return printShowingErrors(*report, printable, currentPage + 1, parent);
  });
}

}  // namespace valmoro::preview
