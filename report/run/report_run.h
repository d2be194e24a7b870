#pragma once
// The run of a report, above the band engine: preparing its pages (a copy of
// the tree taken first and read back afterwards, the script's main block,
// the band engine), showing them in the preview, the progress of long work,
// and the prepared pages themselves, which the run owns and which also serve
// as the script's "Outline".

#include <functional>
#include <memory>

#include "report/model/run_lifecycle.h"

class QObject;

namespace valmoro::report {

class TfrxPreviewPages;

class TfrxReportRun final : public TfrxRunLifecycle {
public:
  explicit TfrxReportRun(TfrxReport& report);
  ~TfrxReportRun() override;

  bool BuildPages(bool clearFirst) override;
  void ShowReport(bool clearFirst) override;
  void ShowBuiltPages() override;
  void ProgressStart(TfrxReport::ProgressKind kind) override;
  void Progress(TfrxReport::ProgressKind kind, int pageNumber) override;
  void ProgressStop(TfrxReport::ProgressKind kind) override;
  TfrxPreviewPages* PreparedPages() override { return pages_.get(); }

private:
  // Steps 2 to 8 of BuildPages: the preparation and the restore afterwards.
  bool buildPagesOnce();

  TfrxReport& report_;
  std::unique_ptr<TfrxPreviewPages> pages_;
  QObject* progressWindow_ = nullptr;  // the progress dialog while one is open
};

// Makes TfrxReportRun the run of every report (hooks::setRunMaker).
void InstallReportRun();

// The preparing step of a run: the band engine, unless a test puts a
// stand-in here (empty puts the band engine back).
using EngineStep = std::function<bool(TfrxReport& report, TfrxPreviewPages& pages)>;
void setEngineStep(EngineStep step);

}  // namespace valmoro::report
