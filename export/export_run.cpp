// The export run: prepared pages drive a filter page by page and object by
// object, in one fixed order, with progress, cancelling and one error trap.

#include <QCoreApplication>

#include "export/export_filter.h"
#include "platform/dialogs.h"
#include "report/engine/memo_expansion.h"
#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/frame.h"
#include "report/model/highlight.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/report_font.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"
#include "report/model/units.h"

namespace valmoro::exports {

using namespace report;

namespace {

// Settles what a text view shows on paper: the highlight font, the page
// count and copy placeholders, the width of an auto-width view.
void prepareMemo(TfrxCustomMemoView& memo, int totalPages) {
  if (memo.Highlight()->Active() && memo.Highlight()->Font() != nullptr) memo.SetFont(memo.Highlight()->Font());
  const QString text = memo.Text();
  const QString filled = engine::FillPlaceholders(memo, text, totalPages, 1);
  if (filled != text) memo.SetText(filled);
  if (memo.AutoWidth()) memo.SetWidth(memo.CalcWidth());
}

class PageExporter {
public:
  PageExporter(TfrxCustomPreviewPages& pages, TfrxCustomExportFilter& filter, bool hasPreview)
      : pages_(pages), filter_(filter), hasPreview_(hasPreview) {}

  void exportPage(int index, const QSet<int>& selected) {
    if (!selected.isEmpty() && !selected.contains(index + 1)) return;
    TfrxReportPage* page = pages_.Page(index);
    if (page == nullptr) return;
    TfrxReport* report = filter_.Report();
    if (filter_.ShowProgress() && report != nullptr) report->Progress(TfrxReport::ProgressKind::Exporting, index + 1);

    filter_.OpenPage(page, index);
    try {
      sendPage(*page, index);
    } catch (...) {
      placeBack(*page);
      filter_.ClosePage(page, index);
      throw;
    }
    placeBack(*page);
    filter_.ClosePage(page, index);
  }

private:
  void sendPage(TfrxReportPage& page, int index) {
    const bool mirrored = page.MirrorMargins() && index % 2 == 1;
    page.SetLeft((mirrored ? page.RightMargin() : page.LeftMargin()) * fr01cm);
    page.SetTop(page.TopMargin() * fr01cm);

    {
      TfrxPictureView background;
      background.SetName(QStringLiteral("_pagebackground"));
      background.SetColor(page.Color());
      background.SetFrame(page.Frame());
      background.SetPicture(page.BackPicture());
      background.SetStretched(true);
      background.SetKeepAspectRatio(false);
      background.SetBounds(page.Left(), page.Top(),
                           page.PaperWidth() * fr01cm - (page.LeftMargin() + page.RightMargin()) * fr01cm,
                           page.PaperHeight() * fr01cm - (page.TopMargin() + page.BottomMargin()) * fr01cm);
      filter_.ExportView(&background);
    }

    const int last = pages_.Count() - 1;
    const QList<TfrxComponent*> objects = page.Objects();
    for (TfrxComponent* object : objects) {
      if (filter_.SuppressPageHeadersFooters()) {
        if (qobject_cast<TfrxPageHeader*>(object) != nullptr && index != 0) continue;
        if (qobject_cast<TfrxPageFooter*>(object) != nullptr && index != last) continue;
      }
      send(object);
      for (TfrxComponent* child : object->Objects()) send(child);
    }
  }

  void send(TfrxComponent* object) {
    if (auto* memo = qobject_cast<TfrxCustomMemoView*>(object)) prepareMemo(*memo, pages_.Count());
    filter_.ExportView(object);
  }

  // The page is shared with the preview's cache: it goes back to its place.
  void placeBack(TfrxReportPage& page) {
    Q_UNUSED(hasPreview_);
    page.SetLeft(0);
    page.SetTop(0);
  }

  TfrxCustomPreviewPages& pages_;
  TfrxCustomExportFilter& filter_;
  bool hasPreview_;
};

void pumpMessages(const TfrxReport* report) {
  if (report != nullptr && report->NoPumping()) return;
  if (dialogs::mode() == dialogs::Mode::Gui) QCoreApplication::processEvents();
}

}  // namespace

bool ExportPreparedPages(TfrxCustomPreviewPages& pages, TfrxCustomExportFilter* filter,
                         const std::optional<ExportPreviewLink>& preview) {
  pages.SetCopyNo(0);
  if (filter == nullptr) return false;
  TfrxReport* report = pages.Report();
  filter->SetReport(report);
  if (filter->ShowDialog() && filter->ShowOptionsDialog() != 1) return false;
  if (filter->CurrentPageOnly())
    filter->SetPageRange(QString::number(preview.has_value() ? preview->currentPage + 1 : 1));
  bool result = true;
  if (report != nullptr) report->SetTerminated(false);
  const QSet<int> selected = ParsePageRange(filter->PageRange(), pages.Count());

  try {
    if (filter->OnBeginExport) filter->OnBeginExport(filter);
    if (!filter->BeginExport()) return true;
    if (preview.has_value() && preview->lockRepaint) preview->lockRepaint();
    const bool progress = filter->ShowProgress() && report != nullptr;
    if (progress) report->ProgressStart(TfrxReport::ProgressKind::Exporting);
    auto finish = [&]() {
      if (preview.has_value() && preview->unlockAndRefresh) preview->unlockAndRefresh();
      if (progress) report->ProgressStop(TfrxReport::ProgressKind::Exporting);
      filter->EndExport();
    };
    PageExporter exporter(pages, *filter, preview.has_value());
    try {
      for (int i = 0; i < pages.Count(); ++i) {
        exporter.exportPage(i, selected);
        if (report != nullptr && report->Terminated()) break;
        pumpMessages(report);
      }
    } catch (...) {
      try {
        finish();
      } catch (...) {
        // The first error is the one the user needs to see.
      }
      throw;
    }
    finish();
    // A cancelled export wrote nothing (the filters drop their output on a
    // terminated run): it must not look like a success.
    if (report != nullptr && report->Terminated()) result = false;
  } catch (const std::exception& error) {
    result = false;
    if (report == nullptr) throw;
    const auto* reportError = dynamic_cast<const ReportError*>(&error);
    report->Errors().append(reportError != nullptr ? reportError->message() : QString::fromUtf8(error.what()));
    report->ShowErrors();
  }
  return result;
}

}  // namespace valmoro::exports
