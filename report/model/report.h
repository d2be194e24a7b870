#pragma once
// The root of a report tree. This is the part of the report object the tree
// and its documents need: the name index, the published properties with the
// option records, the data set list, variables and styles, the data set
// lookup, the current object and the error list. Loading, preparing and
// showing reports build on it.

#include <QStringList>
#include <memory>

#include "report/model/component.h"
#include "report/model/data_set.h"
#include "report/model/name_index.h"
#include "report/model/report_options.h"

namespace valmoro::report {

class TfrxDataSet;
class TfrxReportDataSets;
class TfrxStyles;
class TfrxVariables;

class TfrxReport : public TfrxComponent {
  Q_OBJECT
  Q_MOC_INCLUDE("report/model/report_lists.h")
  Q_PROPERTY(QString Version READ Version WRITE SetVersion)
  Q_PROPERTY(QString ParentReport READ ParentReport WRITE SetParentReport)
  Q_PROPERTY(valmoro::report::TfrxDataSet* DataSet READ DataSet WRITE SetDataSet)
  Q_PROPERTY(QString DataSetName READ DataSetName WRITE SetDataSetName)
  Q_PROPERTY(bool DotMatrixReport READ DotMatrixReport WRITE SetDotMatrixReport)
  Q_PROPERTY(valmoro::report::TfrxEngineOptions* EngineOptions READ EngineOptions WRITE SetEngineOptions)
  Q_PROPERTY(QString IniFile READ IniFile WRITE SetIniFile)
  Q_PROPERTY(bool OldStyleProgress READ OldStyleProgress WRITE SetOldStyleProgress)
  Q_PROPERTY(valmoro::report::TfrxPreviewOptions* PreviewOptions READ PreviewOptions WRITE SetPreviewOptions)
  Q_PROPERTY(valmoro::report::TfrxPrintOptions* PrintOptions READ PrintOptions WRITE SetPrintOptions)
  Q_PROPERTY(valmoro::report::TfrxReportOptions* ReportOptions READ ReportOptions WRITE SetReportOptions)
  Q_PROPERTY(QString ScriptLanguage READ ScriptLanguage WRITE SetScriptLanguage)
  Q_PROPERTY(QStringList ScriptText READ ScriptText WRITE SetScriptText)
  Q_PROPERTY(bool ShowProgress READ ShowProgress WRITE SetShowProgress)
  Q_PROPERTY(bool StoreInDFM READ StoreInDFM WRITE SetStoreInDFM)
  Q_PROPERTY(QString OnRunDialogs READ OnRunDialogs WRITE SetOnRunDialogs)
  Q_PROPERTY(QString OnStartReport READ OnStartReport WRITE SetOnStartReport)
  Q_PROPERTY(QString OnStopReport READ OnStopReport WRITE SetOnStopReport)
  Q_PROPERTY(QString OnReportPrint READ OnReportPrint WRITE SetOnReportPrint)
  Q_CLASSINFO("default:Version", "4.9")
  Q_CLASSINFO("default:IniFile", "\\Software\\Rozi Razadaz")
  Q_CLASSINFO("default:ScriptLanguage", "PascalScript")
  Q_CLASSINFO("default:DotMatrixReport", "false")
  Q_CLASSINFO("default:OldStyleProgress", "false")
  Q_CLASSINFO("default:ShowProgress", "true")
  Q_CLASSINFO("default:StoreInDFM", "true")

public:
  TfrxReport();
  ~TfrxReport() override;

  // A report is always a root: any parent is refused with ReportError.
  void SetParent(TfrxComponent* parent) override;

  // --- Published properties -------------------------------------------------
  // Always "4.9", whatever is set.
  QString Version() const { return QStringLiteral("4.9"); }
  void SetVersion(const QString&) {}
  // File of an ancestor report.
  QString ParentReport() const { return parentReport_; }
  void SetParentReport(const QString& value) { parentReport_ = value; }
  // The whole report runs once per record of this data set.
  TfrxDataSet* DataSet() const { return dataSet_.dataSet(); }
  void SetDataSet(TfrxDataSet* dataSet) { dataSet_.setDataSet(dataSet); }
  QString DataSetName() const { return dataSet_.name(); }
  void SetDataSetName(const QString& name) { dataSet_.setName(name, this); }
  bool DotMatrixReport() const { return dotMatrixReport_; }
  void SetDotMatrixReport(bool value) { dotMatrixReport_ = value; }
  TfrxEngineOptions* EngineOptions() const { return engineOptions_; }
  void SetEngineOptions(const TfrxEngineOptions* value);
  // Where the designer and dialogs keep their settings.
  QString IniFile() const { return iniFile_; }
  void SetIniFile(const QString& value) { iniFile_ = value; }
  bool OldStyleProgress() const { return oldStyleProgress_; }
  void SetOldStyleProgress(bool value) { oldStyleProgress_ = value; }
  TfrxPreviewOptions* PreviewOptions() const { return previewOptions_; }
  void SetPreviewOptions(const TfrxPreviewOptions* value);
  TfrxPrintOptions* PrintOptions() const { return printOptions_; }
  void SetPrintOptions(const TfrxPrintOptions* value);
  TfrxReportOptions* ReportOptions() const { return reportOptions_; }
  void SetReportOptions(const TfrxReportOptions* value);
  QString ScriptLanguage() const { return scriptLanguage_; }
  void SetScriptLanguage(const QString& value) { scriptLanguage_ = value; }
  QStringList ScriptText() const { return scriptText_; }
  void SetScriptText(const QStringList& value) { scriptText_ = value; }
  bool ShowProgress() const { return showProgress_; }
  void SetShowProgress(bool value) { showProgress_ = value; }
  bool StoreInDFM() const { return storeInDFM_; }
  void SetStoreInDFM(bool value) { storeInDFM_ = value; }
  // Names of script procedures.
  QString OnRunDialogs() const { return onRunDialogs_; }
  void SetOnRunDialogs(const QString& value) { onRunDialogs_ = value; }
  QString OnStartReport() const { return onStartReport_; }
  void SetOnStartReport(const QString& value) { onStartReport_ = value; }
  QString OnStopReport() const { return onStopReport_; }
  void SetOnStopReport(const QString& value) { onStopReport_ = value; }
  QString OnReportPrint() const { return onReportPrint_; }
  void SetOnReportPrint(const QString& value) { onReportPrint_ = value; }

  // --- Lists kept in the document's property data ---------------------------
  TfrxReportDataSets* DataSets() const { return dataSets_; }
  TfrxVariables* Variables() const { return variables_; }
  // Named text styles that text views refer to by their Style.
  TfrxStyles* Styles() const { return styles_; }

  // Left and Top (the report's place on its window), then "Datasets",
  // "Variables" and "Style", each only when it has entries.
  void WriteExtraData(stream::ComponentWriter& out) const override;
  bool ReadExtraData(const QString& name, stream::ComponentReader& in) override;
  // Empties the three lists: the property data read next holds them whole.
  void ClearExtraData() override;

  // Hook for the data set lists: the data set a DataSetName refers to, or
  // none. Without data set lists no name resolves.
  virtual TfrxDataSet* FindDataSet(const QString& userName) const;

  // The object being processed; its name prefixes error texts.
  QString CurObject() const { return curObject_; }
  virtual void SetCurrentObject(TfrxComponent* object);

  // Errors met while loading or preparing, one text per line.
  QStringList& Errors() { return errors_; }
  const QStringList& Errors() const { return errors_; }

  // The names of the report's objects; kept by the objects themselves.
  NameIndex& Names() { return names_; }
  const NameIndex& Names() const { return names_; }

private:
  NameIndex names_;
  QString parentReport_;
  DataSetLink dataSet_;
  bool dotMatrixReport_ = false;
  TfrxEngineOptions* engineOptions_;
  QString iniFile_;
  bool oldStyleProgress_ = false;
  TfrxPreviewOptions* previewOptions_;
  TfrxPrintOptions* printOptions_;
  TfrxReportOptions* reportOptions_;
  QString scriptLanguage_;
  QStringList scriptText_;
  bool showProgress_ = true;
  bool storeInDFM_ = true;
  QString onRunDialogs_, onStartReport_, onStopReport_, onReportPrint_;
  TfrxReportDataSets* dataSets_;
  TfrxVariables* variables_;
  TfrxStyles* styles_;
  QString curObject_;
  QStringList errors_;
};

}  // namespace valmoro::report
