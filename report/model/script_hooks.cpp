#include "report/model/script_hooks.h"

#include "report/model/report_error.h"

namespace valmoro::report {

ReportEngineHooks& TfrxCustomEngine::hooks(const char* operation) const {
  if (!hooks_) hooks::missingHook(QStringLiteral("Silnik raportu"), QString::fromLatin1(operation));
  return *hooks_;
}

ReportOutlineHooks& TfrxCustomOutline::hooks(const char* operation) const {
  if (!hooks_) hooks::missingHook(QStringLiteral("Spis treści raportu"), QString::fromLatin1(operation));
  return *hooks_;
}

namespace hooks {

namespace {

ReportLayoutHooks* layoutHooks = nullptr;
ReportDialogHooks* dialogHooks = nullptr;

}  // namespace

void setReportLayoutHooks(ReportLayoutHooks* layout) { layoutHooks = layout; }
ReportLayoutHooks* reportLayoutHooks() { return layoutHooks; }

void setReportDialogHooks(ReportDialogHooks* dialogs) { dialogHooks = dialogs; }
ReportDialogHooks* reportDialogHooks() { return dialogHooks; }

void missingHook(const QString& what, const QString& operation) {
  throw ReportError(QStringLiteral("%1: ta funkcja nie jest jeszcze dostępna w tej wersji programu (%2)").arg(what, operation));
}

}  // namespace hooks
}  // namespace valmoro::report
