#include "preview/preview_install.h"

#include <QApplication>
#include <QPointer>
#include <memory>

#include "preview/preview.h"
#include "preview/preview_form.h"
#include "preview/print_install.h"
#include "preview/report_page_source.h"
#include "report/engine/preview_pages.h"
#include "report/model/hooks.h"
#include "report/model/report.h"
#include "report/model/report_options.h"
#include "report/run/install.h"

namespace valmoro::preview {

namespace {

QPointer<TfrxPreviewForm>& openForm() {
  static QPointer<TfrxPreviewForm> form;
  return form;
}

// While a preview window is open, the report's preparation progress also
// goes to it; the application's own handlers keep being called.
class ProgressLink {
public:
  ProgressLink(report::TfrxReport& report, TfrxPreview* preview)
      : report_(report),
        preview_(preview),
        start_(report.OnProgressStart),
        progress_(report.OnProgress),
        stop_(report.OnProgressStop) {
    using Kind = report::TfrxReport::ProgressKind;
    report.OnProgressStart = [this](report::TfrxReport* sender, Kind kind) {
      if (start_) start_(sender, kind);
      if (kind == Kind::Preparing && preview_) preview_->PrepareStart();
    };
    report.OnProgress = [this](report::TfrxReport* sender, Kind kind, int page, bool& cancel) {
      if (progress_) progress_(sender, kind, page, cancel);
      if (kind != Kind::Preparing || !preview_) return;
      // The store reports every page; a run that did not announce its start
      // starts with its first page.
      if (!preview_->Busy()) preview_->PrepareStart();
      preview_->PreparePage(page - 1, sender->RunState().finalPass);
    };
    report.OnProgressStop = [this](report::TfrxReport* sender, Kind kind) {
      if (stop_) stop_(sender, kind);
      if (kind == Kind::Preparing && preview_ && preview_->Busy()) preview_->PrepareEnd();
    };
  }
  ~ProgressLink() {
    report_.OnProgressStart = start_;
    report_.OnProgress = progress_;
    report_.OnProgressStop = stop_;
  }
  ProgressLink(const ProgressLink&) = delete;
  ProgressLink& operator=(const ProgressLink&) = delete;

private:
  report::TfrxReport& report_;
  QPointer<TfrxPreview> preview_;
  std::function<void(report::TfrxReport*, report::TfrxReport::ProgressKind)> start_;
  std::function<void(report::TfrxReport*, report::TfrxReport::ProgressKind, int, bool&)> progress_;
  std::function<void(report::TfrxReport*, report::TfrxReport::ProgressKind)> stop_;
};

}  // namespace

TfrxPreviewForm* OpenPreviewForm() { return openForm().data(); }

void ShowPreviewForm(report::TfrxReport& report) {
  auto source = std::make_shared<ReportPageSource>(report.PreviewPages());
  auto* form = new TfrxPreviewForm(QApplication::activeWindow());
  form->Init(source.get(), &report);
  auto link = std::make_shared<ProgressLink>(report, form->Preview());
  openForm() = form;
  if (report.PreviewOptions()->Modal()) {
    form->exec();
    delete form;
    return;
  }
  // A window left open keeps its pages and progress link until it goes.
  form->setAttribute(Qt::WA_DeleteOnClose);
  QObject::connect(form, &QObject::destroyed, [source, link] {});
  form->show();
}

void installReportWindows() {
  report::installReportSubsystem();
  InstallPreview();
  // The preview's Print command, and new pages on the current printer's paper.
  InstallPrinting();
}

void InstallPreview() { report::hooks::setPreviewShower([](report::TfrxReport& report) { ShowPreviewForm(report); }); }

}  // namespace valmoro::preview
