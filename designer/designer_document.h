#pragma once
// The report a designer window edits, with everything the window's parts
// share: the undo stack every change goes through, the selection, the page
// being shown, the display options and the file. Widgets read it and call
// it; none of them changes the report in another way, so undo, the
// recovery journal and the modified flag see every change.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUndoStack>
#include <functional>
#include <memory>

#include "designer/design_options.h"
#include "report/model/changes.h"

namespace valmoro::report {
class TfrxComponent;
class TfrxPage;
class TfrxReport;
namespace edit {
class EditCommand;
}
}  // namespace valmoro::report

namespace valmoro::designer {

class RecoveryJournal;
class WholeReportCommand;

// What the designer component gives every report it opens and every page
// and object it creates (the designer component's settings).
struct DesignerDefaults {
  QString scriptLanguage = QStringLiteral("PascalScript");
  QString fontName = QStringLiteral("Arial");
  int fontHeightPixels = 13;
  double marginMillimetres = 10;
  int paperSize = 9;
  bool landscape = false;
  // The workspace background runs from the window colour to this colour.
  quint32 gradientEnd = 11982554;
  QString templateExtension = QStringLiteral("fr3");
  bool rightToLeft = false;
  // New text views take the band's font only when this is set.
  bool memoParentFont = false;
};

class DesignerDocument : public QObject, private report::ReportObserver {
  Q_OBJECT

public:
  // Edits `report` in place; the caller keeps it alive while the document lives.
  explicit DesignerDocument(report::TfrxReport& report, DesignerDefaults defaults = {}, QObject* parent = nullptr);
  ~DesignerDocument() override;

  report::TfrxReport& Report() const { return report_; }
  const DesignerDefaults& Defaults() const { return defaults_; }
  QUndoStack& UndoStack() { return undo_; }
  DesignOptions& Options() { return options_; }
  const DesignOptions& Options() const { return options_; }
  // Tells the parts that read the options (workspace, rulers) to look again.
  void OptionsChanged() { emit optionsChanged(); }

  // --- Editing ------------------------------------------------------------------
  // Makes an edit: `make` builds the command (which makes and checks the
  // change, throwing ReportError with a Polish message when it is refused);
  // the command is then pushed. Refusals are not shown here: the message
  // is returned (empty on success) for the caller to show.
  QString Run(const std::function<report::edit::EditCommand*()>& make);
  // The same for a command that is not one of the model's (a group of
  // them, a whole-report change); pushing runs its redo().
  void Push(QUndoCommand* command);
  // Ends a gesture (a drag, a run of arrow-key nudges, typing into one
  // field): the next command starts a step of its own instead of merging
  // into the last one.
  void EndGesture();
  // A change the model's commands do not cover (the report's variables,
  // data sets, script text, report options): `change` is applied to the
  // report as one undo step, kept as the whole document before and after.
  QString ChangeReport(const QString& text, const std::function<void(report::TfrxReport&)>& change);

  // --- Pages --------------------------------------------------------------------
  // The pages the designer shows as tabs: report pages and dialog pages, in
  // the report's order (the data page is not among them).
  QList<report::TfrxPage*> Pages() const;
  report::TfrxPage* CurrentPage() const;
  void SetCurrentPage(report::TfrxPage* page);

  // --- Selection ----------------------------------------------------------------
  // In the order of selecting: the first is the reference of alignment.
  // An object that goes (deleted, undone) leaves the selection by itself.
  const QList<report::TfrxComponent*>& Selection() const;
  bool IsSelected(const report::TfrxComponent* object) const;
  QStringList SelectedNames() const;
  void SetSelection(const QList<report::TfrxComponent*>& objects);
  void Select(report::TfrxComponent* object);
  void AddToSelection(report::TfrxComponent* object);
  void ToggleSelected(report::TfrxComponent* object);
  void ClearSelection();
  // Selects the objects of the current page named so (those that exist).
  void SelectNames(const QStringList& names);

  // --- Files --------------------------------------------------------------------
  QString FileName() const { return fileName_; }
  // Names the file a report without one is saved to (its journal with it).
  void SetFileName(const QString& fileName);
  // Changed since opened or last saved (the undo stack away from its clean
  // state).
  bool IsModified() const { return !undo_.isClean(); }
  // A new empty report: one report page with the designer's defaults.
  void NewReport();
  // Opens a document; throws ReportError with a Polish message (the report
  // is then empty). A missing file gives an empty report with that name, so
  // that saving creates it.
  void Open(const QString& fileName);
  // Writes the document to its file (or to `fileName`, which becomes the
  // document's): first to a temporary file beside it, then the old file is
  // kept as FILE.bak and the new one renamed into place. Throws ReportError
  // with a Polish message and leaves the document as it was.
  void Save();
  void SaveAs(const QString& fileName);
  // The document as it would be saved.
  QByteArray DocumentBytes() const;

  // --- Recovery -----------------------------------------------------------------
  // Where the recovery journal of a document file is kept.
  static QString RecoveryPath(const QString& fileName);
  // Whether a journal left by an earlier run exists for the document file
  // (a crash or a kill while it had unsaved changes).
  static bool HasRecovery(const QString& fileName);
  // Replaces the report by the journal's content; the document is then
  // modified (saving writes it to the file). Throws ReportError.
  void RestoreRecovery();
  // Drops the journal (after saving, after closing without saving).
  void DiscardRecovery();
  RecoveryJournal* Journal() const { return journal_.get(); }

signals:
  void selectionChanged();
  void currentPageChanged();
  // Something of the report changed (each announcement of the model).
  void changed(const report::ReportChange& change);
  // The whole report was replaced (new, opened, restored): every view reads it again.
  void documentReplaced();
  void modifiedChanged(bool modified);
  // A page was added, removed or moved (once the edit that did it is over).
  void pagesChanged();
  void fileNameChanged(const QString& fileName);
  void optionsChanged();
  // The recovery journal could not be written (the designer says so; the
  // edits themselves are not affected).
  void journalFailed(const QString& message);

private:
  friend class WholeReportCommand;
  void reportChanged(const report::ReportChange& change) override;
  void markDesigning();
  // After a new or opened document: first page, nothing selected, a new journal.
  void afterReplace();
  // A journal for the document's file (none without a file).
  void newJournal();
  // After the whole report was read again within the same document (undo
  // of a whole-report change): the same page and selection by name.
  void reloaded(const QString& pageName, const QStringList& selection);
  void writeFile(const QString& fileName);

  report::TfrxReport& report_;
  DesignerDefaults defaults_;
  DesignOptions options_;
  QUndoStack undo_;
  // Drops selected objects that are gone (deleted with an object that was
  // deleted, read again by an undo); says so when any went.
  void prune() const;
  // After each step: the selection pruned, a page shown, pagesChanged said.
  void settle();
  bool pagesChanged_ = false;

  // Guarded: objects deleted with their parent leave no dangling pointer.
  mutable QList<QPointer<report::TfrxComponent>> guarded_;
  mutable QList<report::TfrxComponent*> selection_;
  mutable QSet<const report::TfrxComponent*> selected_;
  mutable bool removals_ = false;
  report::TfrxPage* currentPage_ = nullptr;
  QString fileName_;
  std::unique_ptr<RecoveryJournal> journal_;
  bool pushing_ = false;
};

}  // namespace valmoro::designer
