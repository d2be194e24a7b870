// The report's lifecycle: clearing, loading and saving documents, errors, and
// the hand-over of preparing, showing and progress to the report's run.

#include <QFile>
#include <QFileInfo>

#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/settings_store.h"
#include "report/model/dialog.h"
#include "report/model/hooks.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_calc.h"
#include "report/model/report_document.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/resources.h"
#include "report/model/run_lifecycle.h"
#include "report/model/style.h"
#include "script/script.h"
#include "script/statements.h"

namespace valmoro::report {

namespace {

// A resource text with its "%s" / "%d" markers replaced by the arguments in order.
QString formatResource(QStringView name, const QStringList& args) {
  QString text = resources::text(name);
  qsizetype from = 0;
  for (const QString& arg : args) {
    qsizetype at = -1;
    for (qsizetype i = from; i + 1 < text.size(); ++i) {
      if (text[i] == QLatin1Char('%') && (text[i + 1] == QLatin1Char('s') || text[i + 1] == QLatin1Char('d'))) {
        at = i;
        break;
      }
    }
    if (at < 0) break;
    text.replace(at, 2, arg);
    from = at + arg.size();
  }
  return text;
}

const QString kNoEngine = QStringLiteral(
    "Brak silnika raportów: przygotowanie stron raportu nie jest jeszcze dostępne w tej wersji programu");
const QString kNoPreview =
    QStringLiteral("Podgląd raportu nie jest jeszcze dostępny w tej wersji programu");
const QString kNoDesigner =
    QStringLiteral("Projektant raportów nie jest jeszcze dostępny w tej wersji programu");

}  // namespace

QString formatReportResource(QStringView name, const QStringList& args) { return formatResource(name, args); }

// --- Clear ------------------------------------------------------------------------

void TfrxReport::checkNotPreparing() const {
  if (preparing_) throw ReportError(QStringLiteral("Raport jest właśnie przygotowywany"));
}

void TfrxReport::Clear() {
  checkScriptIdle();
  checkNotPreparing();
  RemoveChildren();
  dataSets_->Clear();
  variables_->Clear();
  styles_->Clear();
  resetOwnProperties();
  // What the script and the expressions knew of the old tree goes with it.
  ResetScript();
}

void TfrxReport::resetOwnProperties() {
  engineOptions_->SetConvertNulls(true);
  engineOptions_->SetIgnoreDevByZero(false);
  engineOptions_->SetDoublePass(false);
  previewOptions_->SetOutlineExpand(true);
  previewOptions_->SetOutlineVisible(false);
  previewOptions_->SetOutlineWidth(120);
  previewOptions_->SetPagesInCache(50);
  previewOptions_->SetThumbnailVisible(false);
  {
    const TfrxPrintOptions defaults;
    printOptions_->Assign(defaults);
  }
  {
    const TfrxReportOptions defaults;  // a new creation moment
    reportOptions_->Assign(defaults);
  }
  dataSet_.setDataSet(nullptr);
  dotMatrixReport_ = false;
  parentReport_.clear();
  scriptLanguage_ = QStringLiteral("PascalScript");
  scriptText_ = QStringList{QStringLiteral("begin"), QString(), QStringLiteral("end.")};
  onRunDialogs_.clear();
  onStartReport_.clear();
  onStopReport_.clear();
}

// --- Loading and saving -------------------------------------------------------------

bool TfrxReport::LoadFromFile(const QString& fileName, bool requireFile) {
  Clear();
  fileName_.clear();
  const QFileInfo info(fileName);
  const bool exists = info.exists() && info.isFile();
  if (exists || requireFile) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
      throw ReportError(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, files::ioErrorText(file)));
    fileName_ = fileName;
    ReadFromStream(file);
  }
  return exists;
}

void TfrxReport::ReadFromStream(QIODevice& stream) {
  // 1. What a document may not change.
  errors_.clear();
  TfrxEngineOptions engineCopy;
  engineCopy.Assign(*engineOptions_);
  TfrxPreviewOptions previewCopy;
  previewCopy.Assign(*previewOptions_);
  const QString iniFile = iniFile_;
  const bool oldStyleProgress = oldStyleProgress_;
  const bool showProgress = showProgress_;
  const bool storeInDFM = storeInDFM_;

  // 2. The document. Lists it does not hold stay empty.
  ClearExtraData();
  try {
    TfrxComponent::ReadFromStream(stream);
  } catch (const ReportError& e) {
    errors_.append(e.message());
  }

  // 3. Data sets and databases live on a data page.
  EnsureDataPage();

  // 4. Application settings back; the document keeps only its own options.
  const bool convertNulls = engineOptions_->ConvertNulls();
  const bool ignoreDevByZero = engineOptions_->IgnoreDevByZero();
  const bool doublePass = engineOptions_->DoublePass();
  engineOptions_->Assign(engineCopy);
  engineOptions_->SetConvertNulls(convertNulls);
  engineOptions_->SetIgnoreDevByZero(ignoreDevByZero);
  engineOptions_->SetDoublePass(doublePass);
  const bool outlineVisible = previewOptions_->OutlineVisible();
  const int outlineWidth = previewOptions_->OutlineWidth();
  const bool outlineExpand = previewOptions_->OutlineExpand();
  const int pagesInCache = previewOptions_->PagesInCache();
  const bool thumbnailVisible = previewOptions_->ThumbnailVisible();
  previewOptions_->Assign(previewCopy);
  previewOptions_->SetOutlineVisible(outlineVisible);
  previewOptions_->SetOutlineWidth(outlineWidth);
  previewOptions_->SetOutlineExpand(outlineExpand);
  previewOptions_->SetPagesInCache(pagesInCache);
  previewOptions_->SetThumbnailVisible(thumbnailVisible);
  iniFile_ = iniFile;
  oldStyleProgress_ = oldStyleProgress;
  showProgress_ = showProgress;
  storeInDFM_ = storeInDFM;

  // 5. The password arrives unscrambled from the document reader.
  // 6. A protected report opens only with its password.
  if (!restoring_ && !noPumping_) {
    const QString password = reportOptions_->Password();
    if (!password.isEmpty() && password != enteredPassword_) {
      const std::optional<QString> typed = dialogs::inputPassword(
          resources::text(u"5000"), resources::text(u"5001"), resources::text(u"1"), resources::text(u"2"));
      if (typed && *typed == password) {
        enteredPassword_ = password;
      } else {
        errors_.append(QStringLiteral("Invalid password"));
        // Cleared before the errors are shown: showing may raise, and the
        // protected report must not stay loaded either way.
        Clear();
        ShowErrors();
        return;
      }
    }
  }

  // 7.
  if (!restoring_ && !errors_.isEmpty()) ShowErrors();
}

void TfrxReport::EnsureDataPage() {
  for (TfrxComponent* child : Objects())
    if (qobject_cast<TfrxDataPage*>(child)) return;
  auto* page = new TfrxDataPage(this);
  if (FindObject(QStringLiteral("Data"))) page->CreateUniqueName();
  else page->SetName(QStringLiteral("Data"));
  // First among the report's children: the others go behind it in order.
  QList<TfrxComponent*> others;
  for (TfrxComponent* child : Objects())
    if (child != page) others.append(child);
  if (!others.isEmpty()) {
    TfrxComponent holder;
    for (TfrxComponent* child : others) child->SetParent(&holder);
    for (TfrxComponent* child : others) child->SetParent(this);
  }
  // Data sets and databases found elsewhere (older documents kept them on
  // dialog pages) move onto it, side by side.
  double left = 60;
  for (TfrxComponent* object : AllObjects()) {
    if (!qobject_cast<TfrxDialogComponent*>(object) || object->Parent() == page) continue;
    object->SetParent(page);
    object->SetTop(20);
    object->SetLeft(left);
    left += 64;
  }
}

void TfrxReport::WriteToFile(const QString& fileName) { saveReportDocument(*this, fileName); }

std::unique_ptr<settings::SettingsStore> TfrxReport::OpenIniFile() const {
  return std::make_unique<settings::SettingsStore>(iniFile_);
}

// --- Preparing and showing: the run's work --------------------------------------

namespace {

// The run of a program without the band engine: nothing is prepared, and
// the run must not pass for a successful one.
class TfrxNoRun final : public TfrxRunLifecycle {
public:
  explicit TfrxNoRun(TfrxReport& report) : report_(report) {}
  bool BuildPages(bool) override {
    report_.Errors().clear();
    report_.Errors().append(noEngineText());
    report_.ShowErrors();
    return false;
  }
  void ShowReport(bool clearFirst) override {
    if (BuildPages(clearFirst)) ShowBuiltPages();
  }
  void ShowBuiltPages() override { dialogs::showMessage(noPreviewText()); }
  void ProgressStart(TfrxReport::ProgressKind kind) override {
    if (!report_.NoPumping() && report_.OnProgressStart) report_.OnProgressStart(&report_, kind);
  }
  void Progress(TfrxReport::ProgressKind kind, int pageNumber) override {
    if (report_.NoPumping() || !report_.OnProgress) return;
    bool cancel = false;
    report_.OnProgress(&report_, kind, pageNumber, cancel);
    if (cancel) report_.SetTerminated(true);
  }
  void ProgressStop(TfrxReport::ProgressKind kind) override {
    if (!report_.NoPumping() && report_.OnProgressStop) report_.OnProgressStop(&report_, kind);
  }
  TfrxPreviewPages* PreparedPages() override { return nullptr; }

private:
  TfrxReport& report_;
};

}  // namespace

QString noEngineText() { return kNoEngine; }
QString noPreviewText() { return kNoPreview; }

TfrxRunLifecycle& TfrxReport::Run() {
  if (!run_) {
    const hooks::RunMaker& maker = hooks::runMaker();
    if (maker) run_ = maker(*this);
    if (!run_) run_ = std::make_unique<TfrxNoRun>(*this);
  }
  return *run_;
}

TfrxPreviewPages& TfrxReport::PreviewPages() {
  TfrxPreviewPages* pages = Run().PreparedPages();
  if (!pages) throw ReportError(noEngineText());
  return *pages;
}

bool TfrxReport::BuildPages(bool clearFirst) { return Run().BuildPages(clearFirst); }
void TfrxReport::ShowReport(bool clearFirst) { Run().ShowReport(clearFirst); }
void TfrxReport::ShowBuiltPages() { Run().ShowBuiltPages(); }
void TfrxReport::ProgressStart(ProgressKind kind) { Run().ProgressStart(kind); }
void TfrxReport::Progress(ProgressKind kind, int pageNumber) { Run().Progress(kind, pageNumber); }
void TfrxReport::ProgressStop(ProgressKind kind) { Run().ProgressStop(kind); }

void TfrxReport::SetTerminated(bool value) {
  terminated_ = value;
  if (value && script_) script_->StopRun();
}

void TfrxReport::OpenDesigner(bool modal, bool mdiChild) {
  ResetScript();
  const hooks::DesignerOpener& designer = hooks::designerOpener();
  // Hook: the designer window.
  if (!designer) {
    dialogs::showMessage(kNoDesigner);
    return;
  }
  designer(*this, modal, mdiChild);
}

// --- Errors ------------------------------------------------------------------------------

QString TfrxReport::ErrorsText() const {
  return resources::text(u"clErrors") + QStringLiteral("\r\n") + errors_.join(QStringLiteral("\r\n"));
}

void TfrxReport::ShowErrors() {
  if (errors_.isEmpty()) return;
  switch (engineOptions_->NewSilentMode()) {
    case simMessageBoxes:
      dialogs::showErrorBox(resources::text(u"mbError"), ErrorsText());
      break;
    case simSilent:
      break;
    case simReThrow:
      throw ReportError(ErrorsText());
  }
}

// --- Progress ---------------------------------------------------------------------------

QString TfrxReport::ProgressText(ProgressKind kind, int pageNumber) const {
  QStringView name;
  switch (kind) {
    case ProgressKind::Preparing:
      name = runState_.finalPass ? u"prRunning" : u"prRunningFirst";
      break;
    case ProgressKind::Exporting:
      name = u"prExporting";
      break;
    case ProgressKind::Printing:
      name = u"prPrinting";
      break;
  }
  return formatResource(name, {QString::number(pageNumber)});
}

}  // namespace valmoro::report
