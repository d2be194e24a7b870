#include "report/run/report_run.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QProgressDialog>
#include <QTemporaryFile>
#include <QTimer>

#include "platform/dialogs.h"
#include "report/engine/engine.h"
#include "report/engine/preview_pages.h"
#include "report/model/hooks.h"
#include "report/model/report_calc.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/resources.h"
#include "script/script.h"
#include "script/statements.h"

namespace valmoro::report {

namespace {

EngineStep& engineStep() {
  static EngineStep step;
  return step;
}

void pumpMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace

void setEngineStep(EngineStep step) { engineStep() = std::move(step); }

void InstallReportRun() {
  hooks::setRunMaker([](TfrxReport& report) { return std::make_unique<TfrxReportRun>(report); });
}

TfrxReportRun::TfrxReportRun(TfrxReport& report)
    : report_(report), pages_(std::make_unique<TfrxPreviewPages>(&report)) {
  if (TfrxCustomOutline* outline = report.Outline()) outline->SetHooks(&pages_->Outline());
}

TfrxReportRun::~TfrxReportRun() {
  delete progressWindow_;
  if (TfrxCustomOutline* outline = report_.Outline()) outline->SetHooks(nullptr);
}

// --- Preparing ------------------------------------------------------------------------

bool TfrxReportRun::BuildPages(bool clearFirst) {
  // A run from within this report's own script would free the running program.
  report_.checkScriptIdle();
  report_.checkNotPreparing();
  // 1. Without it the new pages would follow the pages of the last run.
  if (clearFirst) pages_->Clear();
  bool result = false;
  {
    struct Preparing {
      bool& flag;
      ~Preparing() { flag = false; }
    } preparing{report_.preparing_ = true};
    result = buildPagesOnce();
  }
  // 9.
  if (!report_.errors_.isEmpty()) {
    result = false;
    report_.ShowErrors();
  }
  return result;
}

bool TfrxReportRun::buildPagesOnce() {
  // 2.
  report_.errors_.clear();
  report_.terminated_ = false;
  bool result = false;

  // 3. Every listed data set must exist.
  for (int i = 0; i < report_.dataSets_->Count(); ++i) {
    const TfrxDataSetItem* item = report_.dataSets_->Item(i);
    if (!item->DataSet()) report_.errors_.append(formatReportResource(u"clDSNotExist", {item->DataSetName()}));
  }

  if (report_.errors_.isEmpty()) {
    // 4. A copy of the tree to come back to (without the password, which
    // is kept apart).
    const bool destroyForms = report_.engineOptions_->DestroyForms();
    const QString password = report_.reportOptions_->Password();
    QBuffer memoryCopy;
    QTemporaryFile fileCopy;
    QIODevice* copy = nullptr;
    if (destroyForms) {
      if (report_.engineOptions_->UseFileCache()) {
        const QString folder = report_.engineOptions_->TempDir().isEmpty() ? QDir::tempPath() : report_.engineOptions_->TempDir();
        fileCopy.setFileTemplate(QDir(folder).filePath(QStringLiteral("valmoro_XXXXXX.tmp")));
        if (fileCopy.open()) copy = &fileCopy;
      }
      if (!copy) {
        memoryCopy.open(QIODevice::ReadWrite);
        copy = &memoryCopy;
      }
      report_.reportOptions_->SetPassword(QString());
      try {
        report_.SaveToStream(*copy, true);
        if (copy == &fileCopy && (!fileCopy.flush() || fileCopy.error() != QFileDevice::NoError)) {
          // The temporary folder refused part of the copy (a full disk, say):
          // the tree must come back whole, so it is kept in memory instead.
          memoryCopy.open(QIODevice::ReadWrite);
          copy = &memoryCopy;
          report_.SaveToStream(*copy, true);
        }
      } catch (const std::exception& e) {
        report_.reportOptions_->SetPassword(password);
        // Without a copy to come back to the run must not start.
        report_.errors_.append(QString::fromUtf8(e.what()));
        return false;
      }
      report_.reportOptions_->SetPassword(password);
    }

    // 5.-7.
    try {
      report_.runState_ = TfrxRunState();
      report_.runState_.startDateTime = currentDateTimeAsDays();
      if (report_.OnBeginDoc) report_.OnBeginDoc();
      if (report_.PrepareScript()) {
        if (report_.OnAfterScriptCompile) report_.OnAfterScriptCompile();
        if (report_.Script().MainBlock() && report_.Script().MainBlock()->Count() > 0) report_.Script().RunMain();
        if (!report_.terminated_) {
          const EngineStep& step = engineStep();
          if (step ? step(report_, *pages_) : engine::RunEngine(report_, *pages_)) {
            if (report_.OnEndDoc) report_.OnEndDoc();
            result = true;
          }
        }
      }
    } catch (const std::exception& e) {
      // An expression's error is listed before it is raised: once is enough.
      const QString text = QString::fromUtf8(e.what());
      if (report_.errors_.isEmpty() || report_.errors_.last() != text) report_.errors_.append(text);
    }

    // 8. Back to the tree as it was: whatever the script changed is undone.
    if (destroyForms) {
      const QStringList keptErrors = report_.errors_;
      const double sheetOverlap = report_.printOptions_->SheetOverlap();
      report_.restoring_ = true;
      try {
        // A document leaves out values at their defaults: whatever the
        // script set in their place must not outlive the restore.
        report_.resetOwnProperties();
        copy->seek(0);
        report_.ReadFromStream(*copy);
      } catch (const std::exception& e) {
        report_.errors_.append(QString::fromUtf8(e.what()));
      }
      report_.restoring_ = false;
      const QStringList readErrors = report_.errors_;
      report_.errors_ = keptErrors;
      report_.errors_.append(readErrors);
      report_.reportOptions_->SetPassword(password);
      report_.printOptions_->SetSheetOverlap(sheetOverlap);
    }
  }
  return result;
}
// --- Showing ---------------------------------------------------------------------------

void TfrxReportRun::ShowReport(bool clearFirst) {
  // The window opens before the run: it must not show the last run's pages.
  if (clearFirst && !report_.preparing_) pages_->Clear();
  const hooks::PreviewShower& preview = hooks::previewShower();
  if (preview && !report_.oldStyleProgress_ && !report_.noPumping_ && QCoreApplication::instance()) {
    // The preview opens at once and fills while the report is prepared.
    QTimer::singleShot(50, &report_, [this, clearFirst] {
      // Nobody waits for this preparation: an error raised now (a silent
      // mode that re-raises, a report that cannot be prepared) would unwind
      // into the event loop. It is shown instead.
      try {
        BuildPages(clearFirst);
      } catch (const std::exception& e) {
        dialogs::showErrorBox(resources::text(u"mbError"), QString::fromUtf8(e.what()));
      }
    });
    ShowBuiltPages();
    return;
  }
  if (BuildPages(clearFirst)) ShowBuiltPages();
}

void TfrxReportRun::ShowBuiltPages() {
  const hooks::PreviewShower& preview = hooks::previewShower();
  // Hook: the preview window.
  if (!preview) {
    dialogs::showMessage(noPreviewText());
    return;
  }
  preview(report_);
}


// --- Progress ---------------------------------------------------------------------------

void TfrxReportRun::ProgressStart(TfrxReport::ProgressKind kind) {
  if (report_.noPumping_) return;
  if (report_.OnProgressStart) report_.OnProgressStart(&report_, kind);
  const bool wanted = (report_.showProgress_ && kind != TfrxReport::ProgressKind::Preparing) || report_.oldStyleProgress_;
  if (wanted && !progressWindow_ && dialogs::mode() == dialogs::Mode::Gui &&
      qobject_cast<QApplication*>(QCoreApplication::instance())) {
    auto* window = new QProgressDialog();
    window->setWindowTitle(dialogs::applicationTitle());
    window->setCancelButtonText(resources::text(u"2"));
    window->setRange(0, 0);
    window->setMinimumDuration(0);
    window->setLabelText(report_.ProgressText(kind, 0));
    window->show();
    progressWindow_ = window;
  }
  pumpMessages();
}

void TfrxReportRun::Progress(TfrxReport::ProgressKind kind, int pageNumber) {
  if (report_.noPumping_) return;
  bool cancel = false;
  if (report_.OnProgress) report_.OnProgress(&report_, kind, pageNumber, cancel);
  if (auto* window = qobject_cast<QProgressDialog*>(progressWindow_)) {
    window->setLabelText(report_.ProgressText(kind, pageNumber));
    if (window->wasCanceled()) cancel = true;
  }
  if (cancel) report_.SetTerminated(true);
  pumpMessages();
}

void TfrxReportRun::ProgressStop(TfrxReport::ProgressKind kind) {
  if (report_.noPumping_) return;
  if (report_.OnProgressStop) report_.OnProgressStop(&report_, kind);
  if (progressWindow_) {
    delete progressWindow_;
    progressWindow_ = nullptr;
  }
  pumpMessages();
}

}  // namespace valmoro::report
