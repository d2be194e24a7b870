#include "export/export_filter.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QUrl>

#include "export/export_options_dialog.h"
#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "report/model/report.h"
#include "report/model/view.h"

namespace valmoro::exports {

// --- The list of filters ---------------------------------------------------------------

bool TfrxExportFilterCollection::Register(TfrxCustomExportFilter* filter) {
  if (filter == nullptr) return false;
  for (const TfrxExportFilterItem& item : items_)
    if (item.Filter == filter) return false;
  items_.append(TfrxExportFilterItem(filter));
  return true;
}

void TfrxExportFilterCollection::Unregister(TfrxCustomExportFilter* filter) {
  items_.removeIf([filter](const TfrxExportFilterItem& item) { return item.Filter == filter; });
}

QList<TfrxCustomExportFilter*> TfrxExportFilterCollection::Filters() const {
  QList<TfrxCustomExportFilter*> result;
  result.reserve(items_.size());
  for (const TfrxExportFilterItem& item : items_) result.append(item.Filter);
  return result;
}

TfrxExportFilterCollection& ExportFilterList() {
  static TfrxExportFilterCollection list;
  return list;
}

// --- The filter base ---------------------------------------------------------------------

TfrxCustomExportFilter::TfrxCustomExportFilter(QObject* owner) : QObject(owner) {
  ExportFilterList().Register(this);
}

TfrxCustomExportFilter::~TfrxCustomExportFilter() {
  ExportFilterList().Unregister(this);
  DiscardOutput();
}

QString TfrxCustomExportFilter::FilterCaption() const { return QString(); }

int TfrxCustomExportFilter::ShowOptionsDialog() { return 1; }

bool TfrxCustomExportFilter::BeginExport() { return true; }

void TfrxCustomExportFilter::EndExport() {}

void TfrxCustomExportFilter::ClosePage(report::TfrxReportPage*, int) {}

void TfrxCustomExportFilter::OpenPage(report::TfrxReportPage*, int) {}

bool TfrxCustomExportFilter::IsExportableView(const report::TfrxComponent* object) const {
  const auto* view = qobject_cast<const report::TfrxView*>(object);
  if (view == nullptr) return false;
  return view->Printable() || exportNotPrintable_;
}

bool TfrxCustomExportFilter::ResolveOutputFileName(bool doubleSeparator) {
  if (subordinate_) {
    const QString extension = fileExtension_;
    QString base;
    if (report_ != nullptr && !report_->FileName().isEmpty()) {
      QString name = report_->FileName();
      name.replace(QLatin1Char('\\'), QLatin1Char('/'));
      base = QFileInfo(name).completeBaseName();
    } else {
      // A fresh, unpredictable name made by the system, so the run never
      // writes over another program's temporary file.
      QTemporaryFile probe(QDir(QDir::tempPath()).filePath(QStringLiteral("frXXXXXX")));
      if (probe.open()) base = QFileInfo(probe.fileName()).completeBaseName();
      else base = QStringLiteral("fr") + QString::number(QDateTime::currentMSecsSinceEpoch(), 36);
    }
    fileName_ = QDir(QDir::tempPath()).filePath(base + extension);
  }
  if (fileName_.isEmpty() && stream_ == nullptr) return false;
  if (!fileName_.isEmpty()) {
    QString name = fileName_;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool hasDirectory = name.contains(QLatin1Char('/'));
    if (!hasDirectory && !defaultPath_.isEmpty()) {
      QString path = defaultPath_;
      path.replace(QLatin1Char('\\'), QLatin1Char('/'));
      if (doubleSeparator || !path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
      name = path + name;
    }
    fileName_ = name;
  }
  return true;
}

QIODevice* TfrxCustomExportFilter::OpenOutput() {
  DiscardOutput();
  if (stream_ != nullptr) {
    output_ = stream_;
    return output_;
  }
  // QSaveFile writes to a uniquely named temporary file in the target's
  // folder and renames it over the target only on commit.
  auto file = std::make_unique<QSaveFile>(fileName_);
  if (!file->open(QIODevice::WriteOnly))
    throw ExportError(QStringLiteral("Nie można utworzyć pliku %1: %2")
                          .arg(QDir::toNativeSeparators(fileName_), files::ioErrorText(*file)));
  file_ = std::move(file);
  output_ = file_.get();
  return output_;
}

void TfrxCustomExportFilter::CommitOutput() {
  if (file_ == nullptr) {
    output_ = nullptr;
    return;
  }
  std::unique_ptr<QSaveFile> file = std::move(file_);
  output_ = nullptr;
  if (!files::commitFile(*file))
    throw ExportError(QStringLiteral("Nie można zapisać pliku %1: %2")
                          .arg(QDir::toNativeSeparators(fileName_), files::ioErrorText(*file)));
}

void TfrxCustomExportFilter::DiscardOutput() {
  if (file_ != nullptr) file_->cancelWriting();
  file_.reset();
  output_ = nullptr;
}

void TfrxCustomExportFilter::OpenResultIfAsked() {
  if (!openAfterExport_ || stream_ != nullptr || fileName_.isEmpty()) return;
  // Only a real desktop opens files; tests and command-line runs never do.
  if (dialogs::mode() != dialogs::Mode::Gui) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileName_).absoluteFilePath()));
}

int TfrxCustomExportFilter::RunOptionsDialog(const QString& caption,
                                             const std::function<void(ExportOptionsForm& form)>& fill,
                                             const std::function<void(const ExportOptionsForm& form)>& apply) {
  ExportOptionsForm form;
  form.caption = caption;
  if (fill) fill(form);
  if (subordinate_) {
    form.hide(QStringLiteral("OpenAfterExport"));
    form.setChecked(QStringLiteral("OpenAfterExport"), false);
    openAfterExport_ = false;
  }
  QString initialName = fileName_;
  if (initialName.isEmpty() && !subordinate_ && report_ != nullptr && !report_->FileName().isEmpty()) {
    QString name = report_->FileName();
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    initialName = QFileInfo(name).completeBaseName() + fileExtension_;
  }
  if (!pageRange_.isEmpty()) {
    form.pageChoice = ExportOptionsForm::PageChoice::Pages;
    form.pageNumbers = pageRange_;
  } else {
    form.pageChoice = ExportOptionsForm::PageChoice::All;
  }
  if (!runExportOptionsForm(form)) return 2;

  if (apply) apply(form);
  if (subordinate_) openAfterExport_ = false;
  pageRange_.clear();
  currentPageOnly_ = false;
  if (form.pageChoice == ExportOptionsForm::PageChoice::Current) currentPageOnly_ = true;
  else if (form.pageChoice == ExportOptionsForm::PageChoice::Pages) pageRange_ = form.pageNumbers;
  if (subordinate_) return 1;

  dialogs::FileDialogRequest request;
  request.save = true;
  request.fileName = initialName;
  request.initialDir = defaultPath_;
  request.filter = fileTypeFilter_;
  request.defaultExt = fileExtension_.startsWith(QLatin1Char('.')) ? fileExtension_.mid(1) : fileExtension_;
  request.overwritePrompt = overwritePrompt_;
  const auto answer = dialogs::fileDialog(request);
  if (!answer.has_value() || answer->files.isEmpty()) return 2;
  fileName_ = answer->files.first();
  return 1;
}

// --- Page ranges --------------------------------------------------------------------------

namespace {

int parsePageNumber(const QString& text, const QString& whole) {
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok) throw ExportError(QStringLiteral("'%1' nie jest prawidłowym zakresem stron").arg(whole));
  return value;
}

}  // namespace

QSet<int> ParsePageRange(const QString& text, int count) {
  QString compact = text;
  compact.remove(QLatin1Char(' '));
  QSet<int> pages;
  if (compact.isEmpty()) return pages;
  if (compact.endsWith(QLatin1Char('-'))) compact += QString::number(count);
  for (const QString& item : compact.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const qsizetype dash = item.indexOf(QLatin1Char('-'));
    if (dash < 0) {
      pages.insert(parsePageNumber(item, text));
      continue;
    }
    const int first = parsePageNumber(item.left(dash), text);
    const int last = parsePageNumber(item.mid(dash + 1), text);
    // Pages outside 1..count never match, so a huge range costs nothing.
    for (int page = std::max(first, 1); page <= std::min(last, count); ++page) pages.insert(page);
  }
  return pages;
}

}  // namespace valmoro::exports
