#pragma once
// What scripts reach of the parts that run a report: the band engine
// ("Engine"), the outline of the prepared pages ("Outline"), text measuring
// and the values of the last preparation, and the windows of dialog pages.
//
// Hook: each of these is implemented by the part that provides it (the band
// engine, the prepared pages, the dialog controls). The script classes call
// through these interfaces; while nothing is installed, a call that needs one
// raises ReportError naming what is missing, instead of pretending.

#include <QObject>
#include <QString>
#include <QVariant>

namespace valmoro::report {

class TfrxBand;
class TfrxCustomMemoView;
class TfrxDialogControl;
class TfrxDialogPage;
class TfrxStretcheable;

// Hook: the band engine implements this for the run it performs.
class ReportEngineHooks {
public:
  virtual ~ReportEngineHooks() = default;
  virtual void AddAnchor(const QString& text) = 0;
  virtual void NewPage() = 0;
  virtual void NewColumn() = 0;
  virtual void ShowBand(TfrxBand* band) = 0;
  virtual void StopReport() = 0;
  virtual double FreeSpace() = 0;
  virtual int GetAnchorPage(const QString& text) = 0;
  // The run's published state by name: CurX, CurY, CurColumn, CurVColumn,
  // PageHeight, PageWidth, DoublePass, FinalPass, TotalPages, StartDate,
  // StartTime, SecondScriptCall. Only CurX and CurY can be set.
  virtual QVariant State(const QString& name) = 0;
  virtual void SetState(const QString& name, const QVariant& value) = 0;
};

// Hook: the outline of the prepared pages implements this.
class ReportOutlineHooks {
public:
  virtual ~ReportOutlineHooks() = default;
  virtual void AddItem(const QString& text) = 0;
  virtual void LevelRoot() = 0;
  virtual void LevelUp() = 0;
};

// The engine as scripts see it. The report registers one as "Engine" before
// each preparation; the engine gives it its hooks.
class TfrxCustomEngine : public QObject {
  Q_OBJECT
public:
  explicit TfrxCustomEngine(ReportEngineHooks* hooks = nullptr, QObject* parent = nullptr)
      : QObject(parent), hooks_(hooks) {}

  ReportEngineHooks* Hooks() const { return hooks_; }
  void SetHooks(ReportEngineHooks* hooks) { hooks_ = hooks; }

  void AddAnchor(const QString& text) { hooks("AddAnchor").AddAnchor(text); }
  void NewPage() { hooks("NewPage").NewPage(); }
  void NewColumn() { hooks("NewColumn").NewColumn(); }
  void ShowBand(TfrxBand* band) { hooks("ShowBand").ShowBand(band); }
  void StopReport() { hooks("StopReport").StopReport(); }
  double FreeSpace() { return hooks("FreeSpace").FreeSpace(); }
  int GetAnchorPage(const QString& text) { return hooks("GetAnchorPage").GetAnchorPage(text); }
  QVariant State(const QString& name) { return hooks("State").State(name); }
  void SetState(const QString& name, const QVariant& value) { hooks("SetState").SetState(name, value); }

private:
  ReportEngineHooks& hooks(const char* operation) const;
  ReportEngineHooks* hooks_;
};

class TfrxEngine : public TfrxCustomEngine {
  Q_OBJECT
public:
  explicit TfrxEngine(ReportEngineHooks* hooks = nullptr, QObject* parent = nullptr)
      : TfrxCustomEngine(hooks, parent) {}
};

// The outline as scripts see it ("Outline").
class TfrxCustomOutline : public QObject {
  Q_OBJECT
public:
  explicit TfrxCustomOutline(ReportOutlineHooks* hooks = nullptr, QObject* parent = nullptr)
      : QObject(parent), hooks_(hooks) {}

  ReportOutlineHooks* Hooks() const { return hooks_; }
  void SetHooks(ReportOutlineHooks* hooks) { hooks_ = hooks; }

  void AddItem(const QString& text) { hooks("AddItem").AddItem(text); }
  void LevelRoot() { hooks("LevelRoot").LevelRoot(); }
  void LevelUp() { hooks("LevelUp").LevelUp(); }

private:
  ReportOutlineHooks& hooks(const char* operation) const;
  ReportOutlineHooks* hooks_;
};

class TfrxOutline : public TfrxCustomOutline {
  Q_OBJECT
public:
  explicit TfrxOutline(ReportOutlineHooks* hooks = nullptr, QObject* parent = nullptr)
      : TfrxCustomOutline(hooks, parent) {}
};

// Hook: what the engine keeps of the last preparation. Installed once for
// the process. (Views measure themselves: CalcHeight, CalcWidth.)
class ReportLayoutHooks {
public:
  virtual ~ReportLayoutHooks() = default;
  // The value a text view showed last (Null before any preparation).
  virtual QVariant MemoValue(const TfrxCustomMemoView& view) = 0;
  // Whether the band is being printed again on a new page because it did
  // not fit.
  virtual bool Overflow(const TfrxBand& band) = 0;
};

// Hook: the windows of dialog pages, which come with the dialog controls.
class ReportDialogHooks {
public:
  virtual ~ReportDialogHooks() = default;
  virtual int ShowModal(TfrxDialogPage& page) = 0;
  virtual int ModalResult(const TfrxDialogPage& page) = 0;
  virtual void SetModalResult(TfrxDialogPage& page, int result) = 0;
  virtual void SetFocus(TfrxDialogControl& control) = 0;
};

namespace hooks {

// None installed: a text view has no value yet (Null) and no band has
// overflowed.
void setReportLayoutHooks(ReportLayoutHooks* layout);
ReportLayoutHooks* reportLayoutHooks();

// None installed: ShowModal, setting ModalResult and SetFocus raise; the
// modal result reads 0 (mrNone).
void setReportDialogHooks(ReportDialogHooks* dialogs);
ReportDialogHooks* reportDialogHooks();

// The error raised when a hook is missing: "<what>: ta funkcja nie jest
// jeszcze dostępna w tej wersji programu (<operation>)".
[[noreturn]] void missingHook(const QString& what, const QString& operation);

}  // namespace hooks
}  // namespace valmoro::report
