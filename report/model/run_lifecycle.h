#pragma once
// The report's run: preparing its pages, showing them, the progress of long
// work, and the prepared pages themselves. The model knows only this
// interface; the run layer above the band engine (report/run/) provides it
// through hooks::setRunMaker, installed by installReportSubsystem().

#include <QString>

#include "report/model/report.h"

namespace valmoro::report {

class TfrxPreviewPages;

class TfrxRunLifecycle {
public:
  virtual ~TfrxRunLifecycle() = default;
  TfrxRunLifecycle() = default;
  TfrxRunLifecycle(const TfrxRunLifecycle&) = delete;
  TfrxRunLifecycle& operator=(const TfrxRunLifecycle&) = delete;

  // What TfrxReport's methods of the same names do (report.h).
  virtual bool BuildPages(bool clearFirst) = 0;
  virtual void ShowReport(bool clearFirst) = 0;
  virtual void ShowBuiltPages() = 0;
  virtual void ProgressStart(TfrxReport::ProgressKind kind) = 0;
  virtual void Progress(TfrxReport::ProgressKind kind, int pageNumber) = 0;
  virtual void ProgressStop(TfrxReport::ProgressKind kind) = 0;
  // The prepared pages the run owns (report/engine/preview_pages.h); none
  // in a program without the band engine.
  virtual TfrxPreviewPages* PreparedPages() = 0;
};

// What a report says when it is asked to prepare or show pages and the
// program has no band engine or no preview window.
QString noEngineText();
QString noPreviewText();

}  // namespace valmoro::report
