// The report's lifecycle: clearing, loading and saving documents, preparing
// (with the restore of the tree afterwards), showing, errors and progress.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTemporaryFile>
#include <QTimer>

#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/settings_store.h"
#include "report/engine/preview_pages.h"
#include "report/model/dialog.h"
#include "report/model/hooks.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_calc.h"
#include "report/model/report_document.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/resources.h"
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

// --- Preparing ------------------------------------------------------------------------

bool TfrxReport::BuildPages(bool clearFirst) {
  // A run from within this report's own script would free the running program.
  checkScriptIdle();
  checkNotPreparing();
  // 1. Without it the new pages would follow the pages of the last run.
  if (clearFirst) PreviewPages().Clear();
  bool result = false;
  {
    struct Preparing {
      bool& flag;
      ~Preparing() { flag = false; }
    } preparing{preparing_ = true};
    result = buildPagesOnce();
  }
  // 9.
  if (!errors_.isEmpty()) {
    result = false;
    ShowErrors();
  }
  return result;
}

bool TfrxReport::buildPagesOnce() {
  // 2.
  errors_.clear();
  terminated_ = false;
  bool result = false;

  // 3. Every listed data set must exist.
  for (int i = 0; i < dataSets_->Count(); ++i) {
    const TfrxDataSetItem* item = dataSets_->Item(i);
    if (!item->DataSet()) errors_.append(formatResource(u"clDSNotExist", {item->DataSetName()}));
  }

  if (errors_.isEmpty()) {
    // 4. A copy of the tree to come back to (without the password, which
    // is kept apart).
    const bool destroyForms = engineOptions_->DestroyForms();
    const QString password = reportOptions_->Password();
    QBuffer memoryCopy;
    QTemporaryFile fileCopy;
    QIODevice* copy = nullptr;
    if (destroyForms) {
      if (engineOptions_->UseFileCache()) {
        const QString folder = engineOptions_->TempDir().isEmpty() ? QDir::tempPath() : engineOptions_->TempDir();
        fileCopy.setFileTemplate(QDir(folder).filePath(QStringLiteral("valmoro_XXXXXX.tmp")));
        if (fileCopy.open()) copy = &fileCopy;
      }
      if (!copy) {
        memoryCopy.open(QIODevice::ReadWrite);
        copy = &memoryCopy;
      }
      reportOptions_->SetPassword(QString());
      try {
        SaveToStream(*copy, true);
        if (copy == &fileCopy && (!fileCopy.flush() || fileCopy.error() != QFileDevice::NoError)) {
          // The temporary folder refused part of the copy (a full disk, say):
          // the tree must come back whole, so it is kept in memory instead.
          memoryCopy.open(QIODevice::ReadWrite);
          copy = &memoryCopy;
          SaveToStream(*copy, true);
        }
      } catch (const std::exception& e) {
        reportOptions_->SetPassword(password);
        // Without a copy to come back to the run must not start.
        errors_.append(QString::fromUtf8(e.what()));
        return false;
      }
      reportOptions_->SetPassword(password);
    }

    // 5.-7.
    try {
      runState_ = TfrxRunState();
      runState_.startDateTime = currentDateTimeAsDays();
      if (OnBeginDoc) OnBeginDoc();
      if (PrepareScript()) {
        if (OnAfterScriptCompile) OnAfterScriptCompile();
        if (Script().MainBlock() && Script().MainBlock()->Count() > 0) Script().RunMain();
        if (!terminated_) {
          const hooks::EngineRunner& runner = hooks::engineRunner();
          if (!runner) {
            // Hook: the band engine. Without it nothing is prepared, and
            // the run must not pass for a successful one.
            errors_.append(kNoEngine);
          } else if (runner(*this)) {
            if (OnEndDoc) OnEndDoc();
            result = true;
          }
        }
      }
    } catch (const std::exception& e) {
      // An expression's error is listed before it is raised: once is enough.
      const QString text = QString::fromUtf8(e.what());
      if (errors_.isEmpty() || errors_.last() != text) errors_.append(text);
    }

    // 8. Back to the tree as it was: whatever the script changed is undone.
    if (destroyForms) {
      const QStringList keptErrors = errors_;
      const double sheetOverlap = printOptions_->SheetOverlap();
      restoring_ = true;
      try {
        // A document leaves out values at their defaults: whatever the
        // script set in their place must not outlive the restore.
        resetOwnProperties();
        copy->seek(0);
        ReadFromStream(*copy);
      } catch (const std::exception& e) {
        errors_.append(QString::fromUtf8(e.what()));
      }
      restoring_ = false;
      const QStringList readErrors = errors_;
      errors_ = keptErrors;
      errors_.append(readErrors);
      reportOptions_->SetPassword(password);
      printOptions_->SetSheetOverlap(sheetOverlap);
    }
  }
  return result;
}

void TfrxReport::SetTerminated(bool value) {
  terminated_ = value;
  if (value && script_) script_->StopRun();
}

// --- Showing ---------------------------------------------------------------------------

void TfrxReport::ShowReport(bool clearFirst) {
  // The window opens before the run: it must not show the last run's pages.
  if (clearFirst && !preparing_) PreviewPages().Clear();
  const hooks::PreviewShower& preview = hooks::previewShower();
  if (preview && !oldStyleProgress_ && !noPumping_ && QCoreApplication::instance()) {
    // The preview opens at once and fills while the report is prepared.
    QTimer::singleShot(50, this, [this, clearFirst] {
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

void TfrxReport::ShowBuiltPages() {
  const hooks::PreviewShower& preview = hooks::previewShower();
  // Hook: the preview window.
  if (!preview) {
    dialogs::showMessage(kNoPreview);
    return;
  }
  preview(*this);
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

namespace {
void pumpMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}
}  // namespace

void TfrxReport::ProgressStart(ProgressKind kind) {
  if (noPumping_) return;
  if (OnProgressStart) OnProgressStart(this, kind);
  const bool wanted = (showProgress_ && kind != ProgressKind::Preparing) || oldStyleProgress_;
  if (wanted && !progressWindow_ && dialogs::mode() == dialogs::Mode::Gui &&
      qobject_cast<QApplication*>(QCoreApplication::instance())) {
    auto* window = new QProgressDialog();
    window->setWindowTitle(dialogs::applicationTitle());
    window->setCancelButtonText(resources::text(u"2"));
    window->setRange(0, 0);
    window->setMinimumDuration(0);
    window->setLabelText(ProgressText(kind, 0));
    window->show();
    progressWindow_ = window;
  }
  pumpMessages();
}

void TfrxReport::Progress(ProgressKind kind, int pageNumber) {
  if (noPumping_) return;
  bool cancel = false;
  if (OnProgress) OnProgress(this, kind, pageNumber, cancel);
  if (auto* window = qobject_cast<QProgressDialog*>(progressWindow_)) {
    window->setLabelText(ProgressText(kind, pageNumber));
    if (window->wasCanceled()) cancel = true;
  }
  if (cancel) SetTerminated(true);
  pumpMessages();
}

void TfrxReport::ProgressStop(ProgressKind kind) {
  if (noPumping_) return;
  if (OnProgressStop) OnProgressStop(this, kind);
  if (progressWindow_) {
    delete progressWindow_;
    progressWindow_ = nullptr;
  }
  pumpMessages();
}

}  // namespace valmoro::report
