#include "designer/designer_document.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "designer/recovery_journal.h"
#include "designer/script_text_command.h"
#include "platform/file_errors.h"
#include "report/model/dialog.h"
#include "report/model/edit/commands.h"
#include "report/model/report.h"
#include "report/model/published.h"
#include "report/model/report_document.h"
#include "report/model/report_error.h"
#include "report/model/report_font.h"
#include "report/model/report_page.h"

namespace valmoro::designer {

using report::ReportChange;
using report::ReportError;
using report::TfrxComponent;
using report::TfrxPage;
using report::TfrxReport;

namespace {

QByteArray documentOf(const TfrxReport& report) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  report::writeReportDocument(report, buffer);
  return buffer.data();
}

// The whole report put back from a document text (undo of a change the
// model's commands do not cover, a restored journal).
void readDocument(TfrxReport& report, const QByteArray& bytes) {
  // The report's own settings the document leaves out are at their defaults.
  report::resetToDeclaredDefaults(report);
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  if (!report::readReportDocument(report, buffer))
    throw ReportError(QStringLiteral("Nie można odczytać raportu: %1").arg(report.Errors().join(QStringLiteral("; "))));
}

}  // namespace

// A change of the report as a whole, kept as the document before and after.
class WholeReportCommand final : public QUndoCommand {
public:
  WholeReportCommand(DesignerDocument& document, const QString& text, QByteArray before, QByteArray after)
      : document_(document), before_(std::move(before)), after_(std::move(after)) {
    setText(text);
  }
  void redo() override {
    if (first_) {
      first_ = false;  // made already by ChangeReport
      return;
    }
    put(after_);
  }
  void undo() override { put(before_); }

private:
  void put(const QByteArray& bytes) {
    const QStringList selected = document_.SelectedNames();
    const QString page = document_.CurrentPage() ? document_.CurrentPage()->Name() : QString();
    readDocument(document_.Report(), bytes);
    document_.reloaded(page, selected);
  }

  DesignerDocument& document_;
  QByteArray before_, after_;
  bool first_ = true;
};

DesignerDocument::DesignerDocument(TfrxReport& report, DesignerDefaults defaults, QObject* parent)
    : QObject(parent), report_(report), defaults_(std::move(defaults)) {
  // Long edits (a thousand moves, a long session of typing) keep their way back.
  undo_.setUndoLimit(0);
  report_.AddObserver(this);
  if (!report_.FileName().isEmpty()) fileName_ = QFileInfo(report_.FileName()).absoluteFilePath();
  connect(&undo_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
  connect(&undo_, &QUndoStack::indexChanged, this, [this] {
    // After an undo or a redo whatever runs next starts its own step: an
    // undone drag is not continued by the next one.
    if (!pushing_) EndGesture();
    settle();
    if (journal_) {
      if (undo_.isClean()) journal_->Discard();
      else journal_->Changed();
    }
  });
  afterReplace();
}

DesignerDocument::~DesignerDocument() {
  // Closing without a crash leaves no journal behind, saved or not: the
  // window has asked about unsaved changes by then.
  if (journal_) journal_->Discard();
  undo_.clear();
  report_.RemoveObserver(this);
}

// --- Editing ------------------------------------------------------------------------

QString DesignerDocument::Run(const std::function<report::edit::EditCommand*()>& make) {
  report::edit::EditCommand* command = nullptr;
  try {
    command = make();
  } catch (const ReportError& e) {
    return e.message();
  }
  if (command == nullptr) return QString();
  Push(command);
  return QString();
}

void DesignerDocument::Push(QUndoCommand* command) {
  pushing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{pushing_};
  undo_.push(command);
  settle();
}

void DesignerDocument::settle() {
  prune();
  // The page shown went (deleted, undone): the first one is shown.
  if (currentPage_ == nullptr) {
    const QList<TfrxPage*> pages = Pages();
    if (!pages.isEmpty()) {
      currentPage_ = pages.first();
      emit currentPageChanged();
    }
  }
  if (pagesChanged_) {
    pagesChanged_ = false;
    emit pagesChanged();
  }
}

void DesignerDocument::EndGesture() {
  if (undo_.index() == 0) return;
  auto* top = const_cast<QUndoCommand*>(undo_.command(undo_.index() - 1));
  if (auto* edit = dynamic_cast<report::edit::EditCommand*>(top)) edit->Seal();
  if (auto* script = dynamic_cast<ScriptTextCommand*>(top)) script->Seal();
}

QString DesignerDocument::ChangeReport(const QString& text, const std::function<void(TfrxReport&)>& change) {
  QByteArray before = documentOf(report_);
  try {
    change(report_);
  } catch (const ReportError& e) {
    // Back to where it was: a half-made change must not stay.
    const QStringList selected = SelectedNames();
    const QString page = currentPage_ ? currentPage_->Name() : QString();
    readDocument(report_, before);
    reloaded(page, selected);
    return e.message();
  }
  QByteArray after = documentOf(report_);
  if (after == before) return QString();
  Push(new WholeReportCommand(*this, text, std::move(before), std::move(after)));
  return QString();
}

// --- Pages --------------------------------------------------------------------------

QList<TfrxPage*> DesignerDocument::Pages() const {
  QList<TfrxPage*> pages;
  for (TfrxComponent* child : report_.Objects())
    if (qobject_cast<report::TfrxReportPage*>(child) || qobject_cast<report::TfrxDialogPage*>(child))
      pages.append(static_cast<TfrxPage*>(child));
  return pages;
}

TfrxPage* DesignerDocument::CurrentPage() const { return currentPage_; }

void DesignerDocument::SetCurrentPage(TfrxPage* page) {
  if (page == currentPage_) return;
  currentPage_ = page;
  ClearSelection();
  emit currentPageChanged();
}

// --- Selection ----------------------------------------------------------------------

void DesignerDocument::prune() const {
  if (!removals_) return;
  removals_ = false;
  if (!guarded_.contains(nullptr)) return;
  selection_.clear();
  selected_.clear();
  for (const QPointer<TfrxComponent>& object : guarded_)
    if (object) {
      selection_.append(object.data());
      selected_.insert(object.data());
    }
  guarded_.removeAll(nullptr);
  emit const_cast<DesignerDocument*>(this)->selectionChanged();
}

const QList<TfrxComponent*>& DesignerDocument::Selection() const {
  prune();
  return selection_;
}

bool DesignerDocument::IsSelected(const TfrxComponent* object) const {
  prune();
  return selected_.contains(object);
}

QStringList DesignerDocument::SelectedNames() const {
  prune();
  QStringList names;
  names.reserve(selection_.size());
  for (const TfrxComponent* object : selection_) names.append(object->Name());
  return names;
}

void DesignerDocument::SetSelection(const QList<TfrxComponent*>& objects) {
  QList<TfrxComponent*> unique;
  QSet<const TfrxComponent*> seen;
  unique.reserve(objects.size());
  seen.reserve(objects.size());
  for (TfrxComponent* object : objects)
    if (object != nullptr && !seen.contains(object)) {
      seen.insert(object);
      unique.append(object);
    }
  prune();
  if (unique == selection_) return;
  selection_ = std::move(unique);
  selected_ = std::move(seen);
  guarded_.clear();
  for (TfrxComponent* object : selection_) guarded_.append(object);
  EndGesture();
  emit selectionChanged();
}

void DesignerDocument::Select(TfrxComponent* object) {
  SetSelection(object ? QList<TfrxComponent*>{object} : QList<TfrxComponent*>{});
}

void DesignerDocument::AddToSelection(TfrxComponent* object) {
  if (object == nullptr || IsSelected(object)) return;
  selection_.append(object);
  selected_.insert(object);
  guarded_.append(object);
  EndGesture();
  emit selectionChanged();
}

void DesignerDocument::ToggleSelected(TfrxComponent* object) {
  if (object == nullptr) return;
  if (!IsSelected(object)) {
    AddToSelection(object);
    return;
  }
  guarded_.removeAt(selection_.indexOf(object));
  selection_.removeOne(object);
  selected_.remove(object);
  EndGesture();
  emit selectionChanged();
}

void DesignerDocument::ClearSelection() { SetSelection({}); }

void DesignerDocument::SelectNames(const QStringList& names) {
  QList<TfrxComponent*> objects;
  for (const QString& name : names) {
    TfrxComponent* object = currentPage_ ? currentPage_->FindObject(name) : nullptr;
    if (object == nullptr && name.compare(currentPage_ ? currentPage_->Name() : QString(), Qt::CaseInsensitive) == 0)
      object = currentPage_;
    if (object != nullptr) objects.append(object);
  }
  SetSelection(objects);
}

void DesignerDocument::reportChanged(const ReportChange& change) {
  // What comes into the report while it is designed is designed too.
  if (change.kind == ReportChange::Kind::Inserted && change.object) change.object->SetDesigning(true);
  if (change.kind == ReportChange::Kind::Removed) {
    if (selected_.remove(change.object)) {
      guarded_.removeAt(selection_.indexOf(change.object));
      selection_.removeOne(change.object);
      emit selectionChanged();
    }
    // Its children go with it, announced or not: looked for once the
    // deletion is over.
    removals_ = true;
  }
  if (change.kind != ReportChange::Kind::Property &&
      (change.oldParent == &report_ || change.newParent == &report_)) {
    pagesChanged_ = true;
    if (change.object == currentPage_) {
      currentPage_ = nullptr;
      emit currentPageChanged();
    }
  }
  // A journal being taken no longer matches the report: taken again.
  if (journal_ && !undo_.isClean()) journal_->Changed();
  emit changed(change);
}

// --- Files --------------------------------------------------------------------------

void DesignerDocument::markDesigning() {
  // Restrictions apply to what the designer shows.
  for (TfrxComponent* object : report_.AllObjects()) object->SetDesigning(true);
}

void DesignerDocument::reloaded(const QString& pageName, const QStringList& selection) {
  markDesigning();
  const QList<TfrxPage*> pages = Pages();
  currentPage_ = pages.isEmpty() ? nullptr : pages.first();
  for (TfrxPage* page : pages)
    if (page->Name().compare(pageName, Qt::CaseInsensitive) == 0) currentPage_ = page;
  selection_.clear();
  selected_.clear();
  guarded_.clear();
  emit documentReplaced();
  emit currentPageChanged();
  SelectNames(selection);
  emit selectionChanged();
}

void DesignerDocument::afterReplace() {
  selection_.clear();
  selected_.clear();
  guarded_.clear();
  currentPage_ = nullptr;
  if (Pages().isEmpty()) {
    // The designer always shows a page to put things on; a report without
    // pages gets one with the designer's defaults (as a new report does).
    const report::changes::Silence silence;
    auto* page = new report::TfrxReportPage(&report_);
    page->CreateUniqueName();
    page->SetPaperSize(defaults_.paperSize);
    page->SetOrientation(defaults_.landscape ? report::poLandscape : report::poPortrait);
    page->SetLeftMargin(defaults_.marginMillimetres);
    page->SetRightMargin(defaults_.marginMillimetres);
    page->SetTopMargin(defaults_.marginMillimetres);
    page->SetBottomMargin(defaults_.marginMillimetres);
    page->SetDesigning(true);
  }
  markDesigning();
  const QList<TfrxPage*> pages = Pages();
  currentPage_ = pages.isEmpty() ? nullptr : pages.first();
  // The journal of the file opened; one a crash left stays to be offered.
  newJournal();
  emit documentReplaced();
  emit currentPageChanged();
  emit selectionChanged();
}

void DesignerDocument::NewReport() {
  undo_.clear();
  report_.Clear();
  report_.SetScriptLanguage(defaults_.scriptLanguage);
  report_.EnsureDataPage();
  fileName_.clear();
  afterReplace();
  emit fileNameChanged(fileName_);
  emit modifiedChanged(false);
}

void DesignerDocument::Open(const QString& fileName) {
  undo_.clear();
  fileName_ = QFileInfo(fileName).absoluteFilePath();
  try {
    if (!report_.LoadFromFile(fileName_)) {
      report_.SetScriptLanguage(defaults_.scriptLanguage);
      report_.EnsureDataPage();
    }
  } catch (const ReportError&) {
    afterReplace();
    emit fileNameChanged(fileName_);
    throw;
  }
  afterReplace();
  emit fileNameChanged(fileName_);
  emit modifiedChanged(false);
}

void DesignerDocument::SetFileName(const QString& fileName) {
  const QString path = fileName.isEmpty() ? QString() : QFileInfo(fileName).absoluteFilePath();
  if (path == fileName_) return;
  if (journal_) journal_->Discard();
  fileName_ = path;
  newJournal();
  emit fileNameChanged(fileName_);
}

void DesignerDocument::newJournal() {
  journal_.reset();
  if (fileName_.isEmpty()) return;
  journal_ = std::make_unique<RecoveryJournal>(RecoveryPath(fileName_), report_);
  connect(journal_.get(), &RecoveryJournal::writeFailed, this, &DesignerDocument::journalFailed);
}

QByteArray DesignerDocument::DocumentBytes() const { return documentOf(report_); }

void DesignerDocument::writeFile(const QString& fileName) {
  const QFileInfo info(fileName);
  const QDir folder = info.absoluteDir();
  if (!folder.exists())
    throw ReportError(QStringLiteral("Folder %1 nie istnieje.").arg(QDir::toNativeSeparators(folder.path())));
  // The version being replaced stays as FILE.bak (copied first, so that a
  // failed save leaves the document's file as it was).
  if (info.exists()) {
    const QString backup = fileName + QStringLiteral(".bak");
    const QString partial = backup + QStringLiteral(".tmp");
    QFile::remove(partial);
    if (QFile::copy(fileName, partial)) {
      QFile::remove(backup);
      QFile::rename(partial, backup);
    }
  }
  report_.WriteToFile(fileName);
}

void DesignerDocument::Save() {
  if (fileName_.isEmpty()) throw ReportError(QStringLiteral("Raport nie ma jeszcze nazwy pliku: użyj „Zapisz jako…”."));
  writeFile(fileName_);
  undo_.setClean();
  if (journal_) journal_->Discard();
}

void DesignerDocument::SaveAs(const QString& fileName) {
  const QString path = QFileInfo(fileName).absoluteFilePath();
  writeFile(path);
  SetFileName(path);
  undo_.setClean();
  if (journal_) journal_->Discard();
}

// --- Recovery -----------------------------------------------------------------------

QString DesignerDocument::RecoveryPath(const QString& fileName) {
  const QString absolute = QFileInfo(fileName).absoluteFilePath();
  const QByteArray key = QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
  return folder + QStringLiteral("/odzyskiwanie/") + QFileInfo(fileName).completeBaseName() + QLatin1Char('-') +
         QString::fromLatin1(key) + QStringLiteral(".fr3");
}

bool DesignerDocument::HasRecovery(const QString& fileName) { return QFileInfo::exists(RecoveryPath(fileName)); }

void DesignerDocument::RestoreRecovery() {
  QFile file(RecoveryPath(fileName_));
  if (!file.open(QIODevice::ReadOnly))
    throw ReportError(QStringLiteral("Nie można otworzyć kopii odzyskiwania %1: %2")
                          .arg(file.fileName(), files::ioErrorText(file)));
  const QByteArray recovered = file.readAll();
  const QByteArray current = DocumentBytes();
  if (recovered == current) return;
  const QString page = currentPage_ ? currentPage_->Name() : QString();
  readDocument(report_, recovered);
  reloaded(page, {});
  // Restored, the document differs from its file: one step that undo can
  // take back to the file's version, and saving writes it.
  Push(new WholeReportCommand(*this, QStringLiteral("Odzyskanie raportu"), current, recovered));
  if (journal_) journal_->Changed();
}

void DesignerDocument::DiscardRecovery() {
  if (journal_) journal_->Discard();
  else QFile::remove(RecoveryPath(fileName_));
}

}  // namespace valmoro::designer
