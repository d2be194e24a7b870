#pragma once
// The base of every export filter, the process-wide list of filters the
// preview's export menu shows, and the export run that drives a filter over
// prepared pages page by page and object by object.
//
// A filter knows nothing of bands, data or scripts: it receives finished
// pages whose objects carry absolute positions (pixels from the paper's
// top-left corner) and text that is already expanded.

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "report/model/report_error.h"

class QIODevice;
class QSaveFile;

namespace valmoro::report {
class TfrxComponent;
class TfrxCustomPreviewPages;
class TfrxReport;
class TfrxReportPage;
class TfrxView;
}  // namespace valmoro::report

namespace valmoro::exports {

class ExportOptionsForm;

// Raised for failures of the output (file cannot be created or written);
// the message is the text shown to the user.
class ExportError : public report::ReportError {
public:
  using report::ReportError::ReportError;
};

class TfrxCustomExportFilter : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  Q_PROPERTY(bool ShowDialog READ ShowDialog WRITE SetShowDialog)
  Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
  Q_PROPERTY(bool ExportNotPrintable READ ExportNotPrintable WRITE SetExportNotPrintable)
  Q_PROPERTY(bool UseFileCache READ UseFileCache WRITE SetUseFileCache)
  Q_PROPERTY(QString DefaultPath READ DefaultPath WRITE SetDefaultPath)
  Q_PROPERTY(bool ShowProgress READ ShowProgress WRITE SetShowProgress)
  Q_PROPERTY(bool OverwritePrompt READ OverwritePrompt WRITE SetOverwritePrompt)
  Q_CLASSINFO("default:Tag", "0")
  Q_CLASSINFO("default:ShowDialog", "true")
  Q_CLASSINFO("default:ExportNotPrintable", "false")

public:
  // Sets the creation defaults and appends the filter to ExportFilterList.
  explicit TfrxCustomExportFilter(QObject* owner = nullptr);
  // Removes every list item that refers to the filter.
  ~TfrxCustomExportFilter() override;
  TfrxCustomExportFilter(const TfrxCustomExportFilter&) = delete;
  TfrxCustomExportFilter& operator=(const TfrxCustomExportFilter&) = delete;

  // --- Published -------------------------------------------------------------
  QString Name() const { return objectName(); }
  void SetName(const QString& value) { setObjectName(value); }
  int Tag() const { return tag_; }
  void SetTag(int value) { tag_ = value; }
  bool ShowDialog() const { return showDialog_; }
  void SetShowDialog(bool value) { showDialog_ = value; }
  QString FileName() const { return fileName_; }
  void SetFileName(const QString& value) { fileName_ = value; }
  bool ExportNotPrintable() const { return exportNotPrintable_; }
  void SetExportNotPrintable(bool value) { exportNotPrintable_ = value; }
  bool UseFileCache() const { return useFileCache_; }
  void SetUseFileCache(bool value) { useFileCache_ = value; }
  QString DefaultPath() const { return defaultPath_; }
  void SetDefaultPath(const QString& value) { defaultPath_ = value; }
  bool ShowProgress() const { return showProgress_; }
  void SetShowProgress(bool value) { showProgress_ = value; }
  bool OverwritePrompt() const { return overwritePrompt_; }
  void SetOverwritePrompt(bool value) { overwritePrompt_ = value; }
  // Raised with the filter as sender just before BeginExport.
  std::function<void(TfrxCustomExportFilter* Sender)> OnBeginExport;

  // --- Run-time fields ------------------------------------------------------------
  report::TfrxReport* Report() const { return report_; }
  void SetReport(report::TfrxReport* value) { report_ = value; }
  // An output stream of the caller: written instead of a file, never closed,
  // never opened afterwards.
  QIODevice* Stream() const { return stream_; }
  void SetStream(QIODevice* value) { stream_ = value; }
  bool CurrentPageOnly() const { return currentPageOnly_; }
  void SetCurrentPageOnly(bool value) { currentPageOnly_ = value; }
  QString PageRange() const { return pageRange_; }
  void SetPageRange(const QString& value) { pageRange_ = value; }
  bool Subordinate() const { return subordinate_; }
  void SetSubordinate(bool value) { subordinate_ = value; }
  bool SuppressPageHeadersFooters() const { return suppressPageHeadersFooters_; }
  void SetSuppressPageHeadersFooters(bool value) { suppressPageHeadersFooters_ = value; }
  QString FileExtension() const { return fileExtension_; }
  QString FileTypeFilter() const { return fileTypeFilter_; }
  // The open-after-export choice of the filters that have one.
  bool OpenAfterExport() const { return openAfterExport_; }
  void SetOpenAfterExport(bool value) { openAfterExport_ = value; }

  // --- Operations, called only by the export run --------------------------------
  // The caption of the export menu item (without "...").
  virtual QString FilterCaption() const;
  // 1 = OK, 2 = Cancel.
  virtual int ShowOptionsDialog();
  // True when the output is open and the export may go on.
  virtual bool BeginExport();
  // One object of a page: bands and views, printable or not.
  virtual void ExportView(report::TfrxComponent* object) = 0;
  // Finishes the output (called only after a successful BeginExport).
  virtual void EndExport();
  virtual void ClosePage(report::TfrxReportPage* page, int index);
  virtual void OpenPage(report::TfrxReportPage* page, int index);

  // --- Helpers for descendants ----------------------------------------------------
  // Whether ExportView takes the object: views only, non-printable ones only
  // with ExportNotPrintable.
  bool IsExportableView(const report::TfrxComponent* object) const;

protected:
  void SetFileExtension(const QString& value) { fileExtension_ = value; }
  void SetFileTypeFilter(const QString& value) { fileTypeFilter_ = value; }

  // The output file naming of BeginExport: the temporary name of a
  // subordinate run, DefaultPath in front of a bare name. False when there is
  // no file name and no Stream (BeginExport then returns false).
  // With doubleSeparator false no "/" is added when DefaultPath already
  // ends with one.
  bool ResolveOutputFileName(bool doubleSeparator = true);

  // The output of the PDF and RTF filters: the caller's Stream, or a
  // temporary file beside FileName that CommitOutput renames into place, so
  // that a failed or cancelled export never leaves a file that looks
  // finished. Throws ExportError when the file cannot be created.
  QIODevice* OpenOutput();
  // Renames the finished file into place (nothing for a Stream); throws
  // ExportError when that fails. DiscardOutput drops an unfinished file.
  void CommitOutput();
  void DiscardOutput();
  QIODevice* Output() const { return output_; }
  // Opens the written file with the desktop's program when the
  // open-after-export choice is set and no Stream was used; failures are
  // ignored.
  void OpenResultIfAsked();

  // The common part of the options dialogs: page range group, the
  // subordinate rules, the initial file name, reading the range back and the
  // save dialog. fill adds the filter's own options to the form; apply reads
  // them back on OK. Returns 1 (OK) or 2 (Cancel).
  int RunOptionsDialog(const QString& caption, const std::function<void(ExportOptionsForm& form)>& fill,
                       const std::function<void(const ExportOptionsForm& form)>& apply);

private:
  int tag_ = 0;
  bool showDialog_ = true;
  QString fileName_;
  bool exportNotPrintable_ = false;
  bool useFileCache_ = true;
  QString defaultPath_;
  bool showProgress_ = true;
  bool overwritePrompt_ = false;
  report::TfrxReport* report_ = nullptr;
  QIODevice* stream_ = nullptr;
  bool currentPageOnly_ = false;
  QString pageRange_;
  bool subordinate_ = false;
  bool suppressPageHeadersFooters_ = false;
  QString fileExtension_;
  QString fileTypeFilter_;
  bool openAfterExport_ = false;
  std::unique_ptr<QSaveFile> file_;
  QIODevice* output_ = nullptr;
};

// --- The list of filters -------------------------------------------------------------

class TfrxExportFilterItem {
public:
  explicit TfrxExportFilterItem(TfrxCustomExportFilter* filter) : Filter(filter) {}
  TfrxCustomExportFilter* Filter;
};

class TfrxExportFilterCollection {
public:
  int Count() const { return int(items_.size()); }
  const TfrxExportFilterItem& Item(int index) const { return items_.at(index); }
  // Appends unless the filter is already listed; true when appended.
  bool Register(TfrxCustomExportFilter* filter);
  // Removes every item of the filter.
  void Unregister(TfrxCustomExportFilter* filter);
  QList<TfrxCustomExportFilter*> Filters() const;

private:
  QList<TfrxExportFilterItem> items_;
};

// The process-wide list, in registration order.
TfrxExportFilterCollection& ExportFilterList();

// --- The export run -----------------------------------------------------------------

// What the run needs from a preview window showing the pages; absent when
// the report has none.
struct ExportPreviewLink {
  int currentPage = 0;  // 0-based page the preview shows
  std::function<void()> lockRepaint;
  std::function<void()> unlockAndRefresh;
};

// Page numbers (1-based) of a range text: spaces removed, "," between
// items, "a-b" every number from a to b (nothing when a > b), a trailing
// "-" runs to count; empty text gives an empty set (all pages). Throws
// ExportError for text that is not made of numbers.
QSet<int> ParsePageRange(const QString& text, int count);

// Runs filter over the prepared pages; the only caller of the filter's
// operations. False when there was no filter, the dialog was cancelled or an
// error ended the run (its message then goes to the report's error list and
// through the report's error handler).
bool ExportPreparedPages(report::TfrxCustomPreviewPages& pages, TfrxCustomExportFilter* filter,
                         const std::optional<ExportPreviewLink>& preview = std::nullopt);

}  // namespace valmoro::exports
