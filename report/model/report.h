#pragma once
// The root of a report tree. This is the part of the report object the tree
// and its documents need: the name index, the published properties with the
// option records, the data set list, variables and styles, the data set
// lookup, the current object and the error list. Loading, preparing and
// showing reports build on it.

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "report/model/changes.h"
#include "report/model/component.h"
#include "report/model/data_set.h"
#include "report/model/name_index.h"
#include "report/model/report_options.h"

namespace valmoro::script {
class TfsScript;
class Variant;
}  // namespace valmoro::script

namespace valmoro::settings {
class SettingsStore;
}

namespace valmoro::report {

// The values of the system variables ("Date", "Page", "Line#" ...) during a
// run. The band engine fills them; Date and Time come from the run's start.
struct TfrxRunState {
  double startDateTime = 0;  // days since 30 December 1899
  int page = 1;              // "Page": logical page number
  int pageNo = 1;            // "Page#": physical page number
  int totalPages = 0;        // "TotalPages": logical total
  int totalPagesNo = 0;      // "TotalPages#": the engine's total pages
  int line = 0;              // "Line": row number within the band
  int lineThrough = 0;       // "Line#": row number through the run
  bool finalPass = true;     // false during the first pass of a double pass
};

class TfrxDataSet;
class TfrxCustomEngine;
class TfrxDrawText;
class TfrxCustomOutline;
class TfrxExpressionCache;
class TfrxNameCache;
struct TfrxNameInfo;
class TfrxPreviewPages;
class TfrxRunLifecycle;
class TfrxView;
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
  // The settings store IniFile names (a user key "\Software\..." or an INI file).
  std::unique_ptr<settings::SettingsStore> OpenIniFile() const;
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

  // The data set a DataSetName refers to, or none: from the global data set
  // list (exact user name, data sets of other reports skipped) when the
  // engine options say so, else from DataSets ignoring letter case.
  virtual TfrxDataSet* FindDataSet(const QString& userName) const;
  // A data set of DataSets by user name, ignoring letter case.
  TfrxDataSet* GetDataset(const QString& alias) const;

  // --- Lifecycle (report_run.cpp) ---------------------------------------------
  // Empties the report (objects, lists, most options) to a new one; options
  // the application set (preview buttons and the like) stay.
  void Clear();
  // Clear, then read the file when it exists (or raise the file system's
  // error when RequireFile is set). True when the file existed.
  bool LoadFromFile(const QString& fileName, bool requireFile = false);
  // Reads a document into the report: the tree, a data page for the data
  // sets, the options a document may not change put back, the password
  // asked for, and the errors shown.
  void ReadFromStream(QIODevice& stream);
  // Writes the whole report; raises ReportError when the file cannot be
  // written (an old file stays as it was).
  void WriteToFile(const QString& fileName);
  // Makes sure the report has a data page ("Data", first among the children)
  // and moves every data set and database of the report onto it.
  void EnsureDataPage();
  // The file last loaded (empty when none).
  QString FileName() const { return fileName_; }
  // Prepares the report; false with the error list filled (and shown) when
  // it failed.
  bool BuildPages(bool clearFirst = true);
  // Prepares and shows the prepared pages.
  void ShowReport(bool clearFirst = true);
  // Shows what BuildPages prepared.
  void ShowBuiltPages();
  // Opens the designer for this report.
  void OpenDesigner(bool modal = true, bool mdiChild = false);
  // Stops a preparation (and a running script) when set.
  bool Terminated() const { return terminated_; }
  // A preparation is under way (its progress lets the event loop run).
  bool Preparing() const { return preparing_; }
  void SetTerminated(bool value);
  // No progress and no message loop pumping (command-line and batch use).
  bool NoPumping() const { return noPumping_; }
  void SetNoPumping(bool value) { noPumping_ = value; }
  // The password last entered successfully for this report.
  QString EnteredPassword() const { return enteredPassword_; }

  // Shows the error list as NewSilentMode says: a message box, nothing, or
  // ReportError raised with the text.
  void ShowErrors();
  // The text shown for the error list: "clErrors", CR LF, the lines.
  QString ErrorsText() const;

  // --- Progress (carried out by the run, report/run/) -------------------------------
  enum class ProgressKind { Preparing, Exporting, Printing };
  // Called by the engine, printing and exporting. A window only in the
  // desktop mode of the dialog layer; otherwise the listener (if any) hears
  // of it. Nothing at all in no-pumping mode.
  void ProgressStart(ProgressKind kind);
  void Progress(ProgressKind kind, int pageNumber);
  void ProgressStop(ProgressKind kind);
  // The progress text of a kind for a page ("Tworzenie strony 3").
  QString ProgressText(ProgressKind kind, int pageNumber) const;
  // Application handlers; a handler of Progress may set cancel to stop the run.
  std::function<void(TfrxReport* Sender, ProgressKind Kind)> OnProgressStart;
  std::function<void(TfrxReport* Sender, ProgressKind Kind, int Progress, bool& Cancel)> OnProgress;
  std::function<void(TfrxReport* Sender, ProgressKind Kind)> OnProgressStop;

  // --- Application handlers -----------------------------------------------------
  std::function<void()> OnBeginDoc;
  std::function<void()> OnEndDoc;
  std::function<void()> OnAfterScriptCompile;
  // Asked for a name the data fields and system variables did not answer;
  // a valid value answers.
  std::function<void(const QString& VarName, QVariant& Value)> OnGetValue;
  std::function<void(TfrxReport* Sender, const QString& VarName, QVariant& Value)> OnNewGetValue;
  // Printing: before the first page, for every page printed (with its copy
  // number) and after the last one (also when printing failed).
  std::function<void(TfrxReport* Sender)> OnPrintReport;
  std::function<void(TfrxComponent* Page, int CopyNo)> OnPrintPage;
  std::function<void(TfrxReport* Sender)> OnAfterPrintReport;

  // --- Script and expressions (report_script.cpp, report_calc.cpp) ---------------
  // The report's script program (with the runtime library).
  script::TfsScript& Script();
  // Registers the report's objects and functions in the script and compiles
  // ScriptText; false with "clScrError" in the error list when it does not
  // compile.
  bool PrepareScript();
  // Empties the script and the expression cache and registers the report's
  // functions again (no objects, nothing compiled).
  void ResetScript();
  // Evaluates an expression in the report (names, then the expression cache).
  // Errors are listed and raised as ReportError.
  QVariant Calc(const QString& expr);
  // The same with the script's own value type; fromScript selects the error
  // text of a call from a script.
  script::Variant CalcVariant(const QString& expr, bool fromScript = false);
  // Resolves a name: data field, system variable, application handlers,
  // report variable, global variable, script variable. False when none has it.
  bool GetVariableValue(const QString& name, script::Variant& value);
  // Step 1 of it: a name DataSet."Field" of a data set in DataSets, its
  // value with ConvertNulls applied. False for any other name.
  bool LookupDataField(const QString& name, QVariant& value);
  // What preparing would say of an expression without evaluating it (after
  // PrepareScript): its compile error, or a data field (also a <DataSet."Field">
  // reference inside it) that its data set does not have. Empty when none.
  QString CheckExpression(const QString& expr);
  // The number of compiled entries of the expression cache.
  int ExpressionCacheCount() const;
  // The values of system variables, kept up to date by the engine.
  TfrxRunState& RunState() { return runState_; }
  const TfrxRunState& RunState() const { return runState_; }
  // The engine's objects as scripts see them ("Engine", "Outline").
  TfrxCustomEngine* Engine() const { return engine_; }
  TfrxCustomOutline* Outline() const { return outline_; }

  // Measures, wraps and draws the text of the report's text views
  // (report/paint/draw_text.h); made on first use.
  TfrxDrawText& DrawText();

  // The report's run (report/model/run_lifecycle.h): preparing, showing,
  // progress and the prepared pages; made on first use by the run layer
  // (report/run/report_run.h).
  TfrxRunLifecycle& Run();
  // The prepared pages the run owns (report/engine/preview_pages.h); raises
  // ReportError in a program without the band engine.
  TfrxPreviewPages& PreviewPages();
  // Drill-down group names the user expanded in the preview (DrillName of
  // the group headers); the engine prints their detail.
  QStringList& ExpandedDrillNames() { return expandedDrillNames_; }

  // Application handlers of clicks in the preview. Button: 0 left, 1 right,
  // 2 middle; Shift: TfrxShiftFlag bits; setting Modified stores the page
  // back.
  std::function<void(TfrxView* Sender, int Button, int Shift, bool& Modified)> OnClickObject;
  std::function<void(TfrxView* Sender, int Button, int Shift, bool& Modified)> OnDblClickObject;
  std::function<void(TfrxView* Sender)> OnMouseOverObject;

  // The object being processed; its name prefixes error texts.
  QString CurObject() const { return curObject_; }
  virtual void SetCurrentObject(TfrxComponent* object);

  // Errors met while loading or preparing, one text per line.
  QStringList& Errors() { return errors_; }
  const QStringList& Errors() const { return errors_; }

  // The names of the report's objects; kept by the objects themselves.
  NameIndex& Names() { return names_; }
  const NameIndex& Names() const { return names_; }

  // Those told of every change of the report's objects (report/model/
  // changes.h); an observer must be removed before it goes.
  void AddObserver(ReportObserver* observer);
  void RemoveObserver(ReportObserver* observer);
  void Announce(const ReportChange& change) const;

private:
  bool dataFieldValue(const TfrxNameInfo& info, QVariant& value);
  NameIndex names_;
  std::vector<ReportObserver*> observers_;
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
  bool terminated_ = false;
  bool noPumping_ = false;
  QString fileName_;
  QString enteredPassword_;
  // While the report reads itself back after a run: no password prompt.
  bool restoring_ = false;
  TfrxRunState runState_;
  std::unique_ptr<script::TfsScript> script_;
  std::unique_ptr<TfrxExpressionCache> expressions_;
  TfrxCustomEngine* engine_;
  TfrxCustomOutline* outline_;
  std::unique_ptr<TfrxNameCache> nameCache_;
  std::unique_ptr<TfrxDrawText> drawText_;
  std::unique_ptr<TfrxRunLifecycle> run_;
  QStringList expandedDrillNames_;
  void RegisterScriptClass(const QMetaObject* classType);
  // Raises ReportError while the report's script or one of its expressions
  // is executing: clearing, reloading or preparing the report then would
  // free the program that is running.
  void checkScriptIdle() const;
  // The report's own properties and options that Clear resets (children,
  // lists and script aside).
  void resetOwnProperties();
  // Expressions being evaluated now (their programs belong to the cache).
  int evaluating_ = 0;
  // BuildPages is under way: progress lets the event loop run, and a second
  // request arriving meanwhile must not start over on the same tree.
  bool preparing_ = false;
  void checkNotPreparing() const;
  // The script and the expression cache are made on first use: most
  // reports are only read and written.
  TfrxExpressionCache& Expressions();
  friend class TfrxExpressionCache;
  friend class ReportScriptFunctions;
  // The run layer prepares the tree and puts it back afterwards.
  friend class TfrxReportRun;
};

}  // namespace valmoro::report
