// valmoro-report pages FILE.fp3: the pages of a prepared report with their
// logical numbers and sizes, then its outline.

#include <cmath>

#include "platform/locale.h"
#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/report_xml.h"
#include "tools/command_registry.h"

namespace valmoro::tools {

namespace {

int pages(const QStringList& args);

const Command kPages{QStringLiteral("pages"), QStringLiteral("FILE.fp3"),
                     QStringLiteral("list the pages of a prepared report (number, logical number and total, size "
                                    "in mm) and its outline"),
                     pages};

QString millimetres(double mm) { return locale::formatFloatGeneral(std::round(mm * 10) / 10); }

void printOutline(const report::TfrxXMLItem& element, int level) {
  for (int i = 0; i < element.Count(); ++i) {
    const report::TfrxXMLItem& item = *element.Items(i);
    printOut(QString(level * 2 + 2, QLatin1Char(' ')) + item.Prop(QStringLiteral("text")) +
             QStringLiteral(" (strona %1, %2 px)")
                 .arg(item.Prop(QStringLiteral("page")).toInt() + 1)
                 .arg(item.Prop(QStringLiteral("top")).toInt()));
    printOutline(item, level + 1);
  }
}

int pages(const QStringList& args) {
  if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) return usageError(kPages);
  report::TfrxReport report;
  report.SetNoPumping(true);
  report::TfrxPreviewPages& store = report.PreviewPages();
  try {
    if (!store.LoadFromFile(args[0])) {
      printOut(QStringLiteral("Nie znaleziono pliku %1").arg(args[0]));
      return 1;
    }
  } catch (const report::ReportError& e) {
    printOut(QStringLiteral("Nie można odczytać pliku %1: %2").arg(args[0], e.message()));
    return 1;
  }
  for (int i = 0; i < store.Count(); ++i) {
    const auto [n, t] = store.LogicalNumbers(i);
    QString line = QStringLiteral("Strona %1: numer %2 z %3").arg(i + 1).arg(n > 0 ? n : i + 1).arg(t);
    const report::TfrxReportPage* page = nullptr;
    try {
      page = store.Page(i);
    } catch (const report::ReportError&) {
      page = nullptr;
    }
    if (!page)
      line += QStringLiteral(", uszkodzona");
    else
      line += QStringLiteral(", %1 × %2 mm").arg(millimetres(page->PaperWidth()), millimetres(page->PaperHeight()));
    printOut(line);
  }
  const report::TfrxXMLItem* outline = store.OutlineNode();
  if (outline->Count() > 0) {
    printOut(QStringLiteral("Spis:"));
    printOutline(*outline, 0);
  }
  return 0;
}

const bool registered = registerCommand(kPages);

}  // namespace

}  // namespace valmoro::tools
