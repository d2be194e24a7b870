#include "report/model/report_options.h"

#include <QDateTime>

#include "report/model/resources.h"

namespace valmoro::report {

double currentDateTimeAsDays() {
  const QDateTime now = QDateTime::currentDateTime();
  static const QDate epoch(1899, 12, 30);
  return double(epoch.daysTo(now.date())) + now.time().msecsSinceStartOfDay() / 86400000.0;
}

void TfrxEngineOptions::Assign(const TfrxEngineOptions& source) {
  convertNulls_ = source.convertNulls_;
  doublePass_ = source.doublePass_;
  maxMemSize_ = source.maxMemSize_;
  printIfEmpty_ = source.printIfEmpty_;
  silentMode_ = source.silentMode_;
  tempDir_ = source.tempDir_;
  useFileCache_ = source.useFileCache_;
  ignoreDevByZero_ = source.ignoreDevByZero_;
  useGlobalDataSetList_ = source.useGlobalDataSetList_;
  destroyForms_ = source.destroyForms_;
}

TfrxPrintOptions::TfrxPrintOptions(QObject* owner) : Persistent(owner), printer_(resources::text(u"prDefault")) {}

void TfrxPrintOptions::Assign(const TfrxPrintOptions& source) {
  copies_ = source.copies_;
  collate_ = source.collate_;
  pageNumbers_ = source.pageNumbers_;
  printer_ = source.printer_;
  printMode_ = source.printMode_;
  printOnSheet_ = source.printOnSheet_;
  printPages_ = source.printPages_;
  reverse_ = source.reverse_;
  showDialog_ = source.showDialog_;
  swapPageSize_ = source.swapPageSize_;
  pagesOnSheet_ = source.pagesOnSheet_;
  sheetOverlap_ = source.sheetOverlap_;
  duplex_ = source.duplex_;
  outputFileName_ = source.outputFileName_;
}

void TfrxPreviewOptions::Assign(const TfrxPreviewOptions& source) {
  allowEdit_ = source.allowEdit_;
  buttons_ = source.buttons_;
  doubleBuffered_ = source.doubleBuffered_;
  maximized_ = source.maximized_;
  mdiChild_ = source.mdiChild_;
  modal_ = source.modal_;
  outlineExpand_ = source.outlineExpand_;
  outlineVisible_ = source.outlineVisible_;
  outlineWidth_ = source.outlineWidth_;
  pagesInCache_ = source.pagesInCache_;
  thumbnailVisible_ = source.thumbnailVisible_;
  showCaptions_ = source.showCaptions_;
  zoom_ = source.zoom_;
  zoomMode_ = source.zoomMode_;
  pictureCacheInFile_ = source.pictureCacheInFile_;
}

TfrxReportOptions::TfrxReportOptions(QObject* owner)
    : Persistent(owner),
      createDate_(currentDateTimeAsDays()),
      lastChange_(createDate_),
      picture_(new ReportPicture(this)) {}

void TfrxReportOptions::SetPicture(const ReportPicture* picture) {
  if (picture) picture_->Assign(*picture);
}

void TfrxReportOptions::Assign(const TfrxReportOptions& source) {
  author_ = source.author_;
  compressed_ = source.compressed_;
  connectionName_ = source.connectionName_;
  createDate_ = source.createDate_;
  description_ = source.description_;
  initString_ = source.initString_;
  name_ = source.name_;
  lastChange_ = source.lastChange_;
  password_ = source.password_;
  picture_->Assign(*source.picture_);
  versionBuild_ = source.versionBuild_;
  versionMajor_ = source.versionMajor_;
  versionMinor_ = source.versionMinor_;
  versionRelease_ = source.versionRelease_;
}

}  // namespace valmoro::report
