#pragma once
// The report's four option records. Documents store them as dotted
// attributes of the report element (EngineOptions.DoublePass,
// PreviewOptions.Buttons, ReportOptions.Name ...). What the options do belongs
// to the report's operations, the engine, the preview and printing.

#include <QStringList>

#include "report/model/enums.h"
#include "report/model/persistent.h"
#include "report/model/picture.h"

namespace valmoro::report {

class TfrxEngineOptions : public Persistent {
  Q_OBJECT
  Q_PROPERTY(bool ConvertNulls READ ConvertNulls WRITE SetConvertNulls)
  Q_PROPERTY(bool DoublePass READ DoublePass WRITE SetDoublePass)
  Q_PROPERTY(int MaxMemSize READ MaxMemSize WRITE SetMaxMemSize)
  Q_PROPERTY(bool PrintIfEmpty READ PrintIfEmpty WRITE SetPrintIfEmpty)
  Q_PROPERTY(bool SilentMode READ SilentMode WRITE SetSilentMode)
  Q_PROPERTY(valmoro::report::TfrxSilentMode NewSilentMode READ NewSilentMode WRITE SetNewSilentMode)
  Q_PROPERTY(QString TempDir READ TempDir WRITE SetTempDir)
  Q_PROPERTY(bool UseFileCache READ UseFileCache WRITE SetUseFileCache)
  Q_PROPERTY(bool IgnoreDevByZero READ IgnoreDevByZero WRITE SetIgnoreDevByZero)
  Q_CLASSINFO("default:ConvertNulls", "true")
  Q_CLASSINFO("default:DoublePass", "false")
  Q_CLASSINFO("default:MaxMemSize", "10")
  Q_CLASSINFO("default:PrintIfEmpty", "true")
  Q_CLASSINFO("default:SilentMode", "false")
  Q_CLASSINFO("default:NewSilentMode", "simMessageBoxes")
  Q_CLASSINFO("default:UseFileCache", "false")
  Q_CLASSINFO("default:IgnoreDevByZero", "false")

public:
  explicit TfrxEngineOptions(QObject* owner = nullptr) : Persistent(owner) {}

  bool ConvertNulls() const { return convertNulls_; }
  void SetConvertNulls(bool value) { convertNulls_ = value; }
  bool DoublePass() const { return doublePass_; }
  void SetDoublePass(bool value) { doublePass_ = value; }
  // Megabytes of prepared pages kept in memory.
  int MaxMemSize() const { return maxMemSize_; }
  void SetMaxMemSize(int value) { maxMemSize_ = value; }
  bool PrintIfEmpty() const { return printIfEmpty_; }
  void SetPrintIfEmpty(bool value) { printIfEmpty_ = value; }
  // A Boolean view of NewSilentMode: true is simSilent.
  bool SilentMode() const { return silentMode_ == simSilent; }
  void SetSilentMode(bool value) { silentMode_ = value ? simSilent : simMessageBoxes; }
  TfrxSilentMode NewSilentMode() const { return silentMode_; }
  void SetNewSilentMode(TfrxSilentMode value) { silentMode_ = value; }
  // Empty: the system's temporary folder.
  QString TempDir() const { return tempDir_; }
  void SetTempDir(const QString& value) { tempDir_ = value; }
  bool UseFileCache() const { return useFileCache_; }
  void SetUseFileCache(bool value) { useFileCache_ = value; }
  bool IgnoreDevByZero() const { return ignoreDevByZero_; }
  void SetIgnoreDevByZero(bool value) { ignoreDevByZero_ = value; }

  // Not stored in documents.
  bool UseGlobalDataSetList() const { return useGlobalDataSetList_; }
  void SetUseGlobalDataSetList(bool value) { useGlobalDataSetList_ = value; }
  bool DestroyForms() const { return destroyForms_; }
  void SetDestroyForms(bool value) { destroyForms_ = value; }

  void Assign(const TfrxEngineOptions& source);

private:
  bool convertNulls_ = true;
  bool doublePass_ = false;
  int maxMemSize_ = 10;
  bool printIfEmpty_ = true;
  TfrxSilentMode silentMode_ = simMessageBoxes;
  QString tempDir_;
  bool useFileCache_ = false;
  bool ignoreDevByZero_ = false;
  bool useGlobalDataSetList_ = true;
  bool destroyForms_ = true;
};

class TfrxPrintOptions : public Persistent {
  Q_OBJECT
  Q_PROPERTY(int Copies READ Copies WRITE SetCopies)
  Q_PROPERTY(bool Collate READ Collate WRITE SetCollate)
  Q_PROPERTY(QString PageNumbers READ PageNumbers WRITE SetPageNumbers)
  Q_PROPERTY(QString Printer READ Printer WRITE SetPrinter)
  Q_PROPERTY(valmoro::report::TfrxPrintMode PrintMode READ PrintMode WRITE SetPrintMode)
  Q_PROPERTY(int PrintOnSheet READ PrintOnSheet WRITE SetPrintOnSheet)
  Q_PROPERTY(valmoro::report::TfrxPrintPages PrintPages READ PrintPages WRITE SetPrintPages)
  Q_PROPERTY(bool Reverse READ Reverse WRITE SetReverse)
  Q_PROPERTY(bool ShowDialog READ ShowDialog WRITE SetShowDialog)
  Q_PROPERTY(bool SwapPageSize READ SwapPageSize WRITE SetSwapPageSize STORED false)
  Q_CLASSINFO("default:Copies", "1")
  Q_CLASSINFO("default:Printer", "Domyślny")
  Q_CLASSINFO("default:Collate", "true")
  Q_CLASSINFO("default:PrintMode", "pmDefault")
  Q_CLASSINFO("default:PrintOnSheet", "0")
  Q_CLASSINFO("default:PrintPages", "ppAll")
  Q_CLASSINFO("default:Reverse", "false")
  Q_CLASSINFO("default:ShowDialog", "true")

public:
  // The printer is "Domyślny", the default one.
  explicit TfrxPrintOptions(QObject* owner = nullptr);

  int Copies() const { return copies_; }
  void SetCopies(int value) { copies_ = value; }
  bool Collate() const { return collate_; }
  void SetCollate(bool value) { collate_ = value; }
  QString PageNumbers() const { return pageNumbers_; }
  void SetPageNumbers(const QString& value) { pageNumbers_ = value; }
  QString Printer() const { return printer_; }
  void SetPrinter(const QString& value) { printer_ = value; }
  TfrxPrintMode PrintMode() const { return printMode_; }
  void SetPrintMode(TfrxPrintMode value) { printMode_ = value; }
  int PrintOnSheet() const { return printOnSheet_; }
  void SetPrintOnSheet(int value) { printOnSheet_ = value; }
  TfrxPrintPages PrintPages() const { return printPages_; }
  void SetPrintPages(TfrxPrintPages value) { printPages_ = value; }
  bool Reverse() const { return reverse_; }
  void SetReverse(bool value) { reverse_ = value; }
  bool ShowDialog() const { return showDialog_; }
  void SetShowDialog(bool value) { showDialog_ = value; }
  bool SwapPageSize() const { return swapPageSize_; }
  void SetSwapPageSize(bool value) { swapPageSize_ = value; }

  // Not stored in documents.
  int PagesOnSheet() const { return pagesOnSheet_; }
  void SetPagesOnSheet(int value) { pagesOnSheet_ = value; }
  // Millimetres, for the split print mode.
  double SheetOverlap() const { return sheetOverlap_; }
  void SetSheetOverlap(double value) { sheetOverlap_ = value; }
  // 0 as each page says, 1 vertical, 2 horizontal, 3 simplex.
  int Duplex() const { return duplex_; }
  void SetDuplex(int value) { duplex_ = value; }
  // Prints into this file instead of the printer when not empty.
  QString OutputFileName() const { return outputFileName_; }
  void SetOutputFileName(const QString& value) { outputFileName_ = value; }

  void Assign(const TfrxPrintOptions& source);

private:
  int copies_ = 1;
  bool collate_ = true;
  QString pageNumbers_;
  QString printer_;
  TfrxPrintMode printMode_ = pmDefault;
  int printOnSheet_ = 0;
  TfrxPrintPages printPages_ = ppAll;
  bool reverse_ = false;
  bool showDialog_ = true;
  bool swapPageSize_ = false;
  int pagesOnSheet_ = 0;
  double sheetOverlap_ = 3;
  int duplex_ = 0;
  QString outputFileName_;
};

class TfrxPreviewOptions : public Persistent {
  Q_OBJECT
  Q_PROPERTY(bool AllowEdit READ AllowEdit WRITE SetAllowEdit)
  Q_PROPERTY(valmoro::report::TfrxPreviewButtons Buttons READ Buttons WRITE SetButtons)
  Q_PROPERTY(bool DoubleBuffered READ DoubleBuffered WRITE SetDoubleBuffered)
  Q_PROPERTY(bool Maximized READ Maximized WRITE SetMaximized)
  Q_PROPERTY(bool MDIChild READ MDIChild WRITE SetMDIChild)
  Q_PROPERTY(bool Modal READ Modal WRITE SetModal)
  Q_PROPERTY(bool OutlineExpand READ OutlineExpand WRITE SetOutlineExpand)
  Q_PROPERTY(bool OutlineVisible READ OutlineVisible WRITE SetOutlineVisible)
  Q_PROPERTY(int OutlineWidth READ OutlineWidth WRITE SetOutlineWidth)
  Q_PROPERTY(int PagesInCache READ PagesInCache WRITE SetPagesInCache)
  Q_PROPERTY(bool ThumbnailVisible READ ThumbnailVisible WRITE SetThumbnailVisible)
  Q_PROPERTY(bool ShowCaptions READ ShowCaptions WRITE SetShowCaptions)
  Q_PROPERTY(double Zoom READ Zoom WRITE SetZoom)
  Q_PROPERTY(valmoro::report::TfrxZoomMode ZoomMode READ ZoomMode WRITE SetZoomMode)
  Q_PROPERTY(bool PictureCacheInFile READ PictureCacheInFile WRITE SetPictureCacheInFile)
  Q_CLASSINFO("default:AllowEdit", "true")
  Q_CLASSINFO("default:Buttons",
              "pbPrint|pbLoad|pbSave|pbExport|pbZoom|pbFind|pbOutline|pbPageSetup|pbTools|pbEdit|pbNavigator|"
              "pbExportQuick")
  Q_CLASSINFO("default:DoubleBuffered", "true")
  Q_CLASSINFO("default:Maximized", "true")
  Q_CLASSINFO("default:MDIChild", "false")
  Q_CLASSINFO("default:Modal", "true")
  Q_CLASSINFO("default:OutlineExpand", "true")
  Q_CLASSINFO("default:OutlineVisible", "false")
  Q_CLASSINFO("default:OutlineWidth", "120")
  Q_CLASSINFO("default:PagesInCache", "50")
  Q_CLASSINFO("default:ThumbnailVisible", "false")
  Q_CLASSINFO("default:ShowCaptions", "false")
  Q_CLASSINFO("default:ZoomMode", "zmDefault")
  Q_CLASSINFO("default:PictureCacheInFile", "false")

public:
  explicit TfrxPreviewOptions(QObject* owner = nullptr) : Persistent(owner) {}

  bool AllowEdit() const { return allowEdit_; }
  void SetAllowEdit(bool value) { allowEdit_ = value; }
  TfrxPreviewButtons Buttons() const { return buttons_; }
  void SetButtons(TfrxPreviewButtons value) { buttons_ = value; }
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
  bool Maximized() const { return maximized_; }
  void SetMaximized(bool value) { maximized_ = value; }
  bool MDIChild() const { return mdiChild_; }
  void SetMDIChild(bool value) { mdiChild_ = value; }
  bool Modal() const { return modal_; }
  void SetModal(bool value) { modal_ = value; }
  bool OutlineExpand() const { return outlineExpand_; }
  void SetOutlineExpand(bool value) { outlineExpand_ = value; }
  bool OutlineVisible() const { return outlineVisible_; }
  void SetOutlineVisible(bool value) { outlineVisible_ = value; }
  int OutlineWidth() const { return outlineWidth_; }
  void SetOutlineWidth(int value) { outlineWidth_ = value; }
  int PagesInCache() const { return pagesInCache_; }
  void SetPagesInCache(int value) { pagesInCache_ = value; }
  bool ThumbnailVisible() const { return thumbnailVisible_; }
  void SetThumbnailVisible(bool value) { thumbnailVisible_ = value; }
  bool ShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool value) { showCaptions_ = value; }
  double Zoom() const { return zoom_; }
  void SetZoom(double value) { zoom_ = value; }
  TfrxZoomMode ZoomMode() const { return zoomMode_; }
  void SetZoomMode(TfrxZoomMode value) { zoomMode_ = value; }
  bool PictureCacheInFile() const { return pictureCacheInFile_; }
  void SetPictureCacheInFile(bool value) { pictureCacheInFile_ = value; }

  void Assign(const TfrxPreviewOptions& source);

private:
  bool allowEdit_ = true;
  TfrxPreviewButtons buttons_ = TfrxPreviewButtons(0xFFF);
  bool doubleBuffered_ = true;
  bool maximized_ = true;
  bool mdiChild_ = false;
  bool modal_ = true;
  bool outlineExpand_ = true;
  bool outlineVisible_ = false;
  int outlineWidth_ = 120;
  int pagesInCache_ = 50;
  bool thumbnailVisible_ = false;
  bool showCaptions_ = false;
  double zoom_ = 1;
  TfrxZoomMode zoomMode_ = zmDefault;
  bool pictureCacheInFile_ = false;
};

class TfrxReportOptions : public Persistent {
  Q_OBJECT
  Q_PROPERTY(QString Author READ Author WRITE SetAuthor)
  Q_PROPERTY(bool Compressed READ Compressed WRITE SetCompressed)
  Q_PROPERTY(QString ConnectionName READ ConnectionName WRITE SetConnectionName)
  Q_PROPERTY(double CreateDate READ CreateDate WRITE SetCreateDate)
  Q_PROPERTY(QStringList Description READ Description WRITE SetDescription)
  Q_PROPERTY(QString InitString READ InitString WRITE SetInitString)
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(double LastChange READ LastChange WRITE SetLastChange)
  Q_PROPERTY(QString Password READ Password WRITE SetPassword)
  Q_PROPERTY(valmoro::report::ReportPicture* Picture READ Picture WRITE SetPicture)
  Q_PROPERTY(QString VersionBuild READ VersionBuild WRITE SetVersionBuild)
  Q_PROPERTY(QString VersionMajor READ VersionMajor WRITE SetVersionMajor)
  Q_PROPERTY(QString VersionMinor READ VersionMinor WRITE SetVersionMinor)
  Q_PROPERTY(QString VersionRelease READ VersionRelease WRITE SetVersionRelease)
  Q_CLASSINFO("default:Compressed", "false")

public:
  // Created and last changed now.
  explicit TfrxReportOptions(QObject* owner = nullptr);

  QString Author() const { return author_; }
  void SetAuthor(const QString& value) { author_ = value; }
  // Kept and stored only: documents are never compressed.
  bool Compressed() const { return compressed_; }
  void SetCompressed(bool value) { compressed_ = value; }
  QString ConnectionName() const { return connectionName_; }
  void SetConnectionName(const QString& value) { connectionName_ = value; }
  // Days since 30 December 1899, the fraction being the time of day.
  double CreateDate() const { return createDate_; }
  void SetCreateDate(double value) { createDate_ = value; }
  QStringList Description() const { return description_; }
  void SetDescription(const QStringList& value) { description_ = value; }
  // Printer initialisation of dot-matrix printers.
  QString InitString() const { return initString_; }
  void SetInitString(const QString& value) { initString_ = value; }
  QString Name() const { return name_; }
  void SetName(const QString& value) { name_ = value; }
  double LastChange() const { return lastChange_; }
  void SetLastChange(double value) { lastChange_ = value; }
  // Plain in memory; documents hold it scrambled (see report_document.h).
  QString Password() const { return password_; }
  void SetPassword(const QString& value) { password_ = value; }
  ReportPicture* Picture() const { return picture_; }
  void SetPicture(const ReportPicture* picture);
  QString VersionBuild() const { return versionBuild_; }
  void SetVersionBuild(const QString& value) { versionBuild_ = value; }
  QString VersionMajor() const { return versionMajor_; }
  void SetVersionMajor(const QString& value) { versionMajor_ = value; }
  QString VersionMinor() const { return versionMinor_; }
  void SetVersionMinor(const QString& value) { versionMinor_ = value; }
  QString VersionRelease() const { return versionRelease_; }
  void SetVersionRelease(const QString& value) { versionRelease_ = value; }

  void Assign(const TfrxReportOptions& source);

private:
  QString author_;
  bool compressed_ = false;
  QString connectionName_;
  double createDate_;
  QStringList description_;
  QString initString_;
  QString name_;
  double lastChange_;
  QString password_;
  ReportPicture* picture_;
  QString versionBuild_, versionMajor_, versionMinor_, versionRelease_;
};

// The current moment as days since 30 December 1899 (local time).
double currentDateTimeAsDays();

}  // namespace valmoro::report
