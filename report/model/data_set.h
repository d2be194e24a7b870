#pragma once
// Report data sets: objects that expose named fields, a current record and
// movement through a range of records. The band engine moves through them,
// expressions read field values and display texts.
//
// TfrxDataSet holds the range rules; TfrxUserDataSet takes its fields and
// values from application handlers; TfrxDBDataset wraps a data set of the
// data-access layer (db::DataSet). Every data set is listed in one
// process-wide list while it exists (GlobalDataSets).

#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "report/model/dialog.h"
#include "report/model/enums.h"

class QIODevice;

namespace valmoro::db {
class DataSet;
class Field;
}

namespace valmoro::report {

class TfrxReport;
class TfrxDataSet;

// Application handlers of the movement operations.
using TfrxNotifyEvent = std::function<void(TfrxDataSet* Sender)>;
using TfrxCheckEOFEvent = std::function<void(TfrxDataSet* Sender, bool& Eof)>;

class TfrxDataSet : public TfrxDialogComponent {
  Q_OBJECT
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(valmoro::report::TfrxRangeBegin RangeBegin READ RangeBegin WRITE SetRangeBegin)
  Q_PROPERTY(valmoro::report::TfrxRangeEnd RangeEnd READ RangeEnd WRITE SetRangeEnd)
  Q_PROPERTY(int RangeEndCount READ RangeEndCount WRITE SetRangeEndCount)
  Q_PROPERTY(QString UserName READ UserName WRITE SetUserName)
  Q_CLASSINFO("default:Enabled", "true")
  Q_CLASSINFO("default:RangeBegin", "rbFirst")
  Q_CLASSINFO("default:RangeEnd", "reLast")
  Q_CLASSINFO("default:RangeEndCount", "0")

public:
  explicit TfrxDataSet(TfrxComponent* parent = nullptr);
  ~TfrxDataSet() override;

  // --- Published properties -------------------------------------------------
  // Offered to reports through the global data set list.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  TfrxRangeBegin RangeBegin() const { return rangeBegin_; }
  void SetRangeBegin(TfrxRangeBegin value) { rangeBegin_ = value; }
  TfrxRangeEnd RangeEnd() const { return rangeEnd_; }
  void SetRangeEnd(TfrxRangeEnd value) { rangeEnd_ = value; }
  int RangeEndCount() const { return rangeEndCount_; }
  void SetRangeEndCount(int value) { rangeEndCount_ = value; }
  // The name under which reports and expressions know the data set.
  QString UserName() const { return userName_; }
  // A name that is blank after trimming fails with "prInvProp"; the old name stays.
  virtual void SetUserName(const QString& name);
  // A data set without a user name takes its new name as user name.
  void SetName(const QString& name) override;

  // --- Application handlers ---------------------------------------------------
  TfrxCheckEOFEvent OnCheckEOF;
  TfrxNotifyEvent OnFirst;
  TfrxNotifyEvent OnNext;
  TfrxNotifyEvent OnPrior;
  TfrxNotifyEvent OnOpen;
  TfrxNotifyEvent OnClose;

  // --- Fields -----------------------------------------------------------------
  // Base answers: '' / 10 / fftNumeric / Null.
  virtual QString DisplayText(const QString& fieldName);
  virtual int DisplayWidth(const QString& fieldName);
  virtual TfrxFieldType FieldType(const QString& fieldName);
  virtual QVariant Value(const QString& fieldName);

  // --- A report run -----------------------------------------------------------
  // Bound to one run of a report between BeginRun and EndRun.
  virtual void BeginRun();
  virtual void EndRun();

  // --- Movement ---------------------------------------------------------------
  virtual void Open();
  virtual void Close();
  virtual void First();
  virtual void Next();
  virtual void Prior();
  virtual bool Eof();
  // To the record with the given RecNo of the range (one already met from
  // First): by First and Next unless the data set can go there directly.
  virtual void MoveToRecord(int recNo);
  virtual int FieldsCount();
  virtual bool IsBlobField(const QString& fieldName);
  virtual int RecordCount();
  // Copies a field's content into a device (bytes) or a text list (lines).
  virtual void CopyBlobTo(const QString& fieldName, QIODevice& target);
  virtual void CopyBlobTo(const QString& fieldName, QStringList& target);
  virtual void GetFieldList(QStringList& list);
  // The name is one of GetFieldList's.
  bool HasField(const QString& fieldName);

  // 0-based number of the current record within the range.
  int RecNo() const { return recNo_; }

  // The report this data set serves in the current run; its error list
  // receives the errors of field look-ups.
  TfrxReport* ReportRef() const;
  void SetReportRef(TfrxReport* report);

protected:
  // The end flag of the base movement rules.
  bool eofFlag_ = false;
  int recNo_ = 0;

private:
  bool enabled_ = true;
  TfrxRangeBegin rangeBegin_ = rbFirst;
  TfrxRangeEnd rangeEnd_ = reLast;
  int rangeEndCount_ = 0;
  QString userName_;
  QPointer<QObject> reportRef_;  // a TfrxReport
};

// A data set whose fields and values come from application handlers. Data
// bands own one each to run a fixed number of rows.
class TfrxUserDataSet : public TfrxDataSet {
  Q_OBJECT
  Q_PROPERTY(QStringList Fields READ Fields WRITE SetFields)

public:
  explicit TfrxUserDataSet(TfrxComponent* parent = nullptr);

  QStringList Fields() const { return fields_; }
  void SetFields(const QStringList& value) { fields_ = value; }

  std::function<void(const QString& VarName, QVariant& Value)> OnGetValue;
  std::function<void(TfrxDataSet* Sender, const QString& VarName, QVariant& Value)> OnNewGetValue;

  QString DisplayText(const QString& fieldName) override;
  QVariant Value(const QString& fieldName) override;
  int FieldsCount() override;
  void GetFieldList(QStringList& list) override;

private:
  QStringList fields_;
};

// A data set bound to a database data set: field map, aliases, hidden
// fields and the saved position for rbCurrent / reCurrent.
class TfrxCustomDBDataSet : public TfrxDataSet {
  Q_OBJECT
  Q_PROPERTY(bool CloseDataSource READ CloseDataSource WRITE SetCloseDataSource)
  Q_PROPERTY(QStringList FieldAliases READ FieldAliases WRITE SetFieldAliases)
  Q_PROPERTY(bool OpenDataSource READ OpenDataSource WRITE SetOpenDataSource)
  Q_CLASSINFO("default:CloseDataSource", "false")
  Q_CLASSINFO("default:OpenDataSource", "true")

public:
  explicit TfrxCustomDBDataSet(TfrxComponent* parent = nullptr);

  bool CloseDataSource() const { return closeDataSource_; }
  void SetCloseDataSource(bool value) { closeDataSource_ = value; }
  // Lines "database field=alias"; a "-" in front of the database field hides it.
  QStringList FieldAliases() const { return fieldAliases_; }
  void SetFieldAliases(const QStringList& value) { fieldAliases_ = value; }
  bool OpenDataSource() const { return openDataSource_; }
  void SetOpenDataSource(bool value) { openDataSource_ = value; }

  // The database field name an alias stands for (the name itself when no
  // alias line matches exactly).
  QString ConvertAlias(const QString& fieldName) const;

private:
  bool closeDataSource_ = false;
  QStringList fieldAliases_;
  bool openDataSource_ = true;
};

// The data set reports of this program use: a data-access layer data set.
// Implemented in db_data_set.cpp.
class TfrxDBDataset : public TfrxCustomDBDataSet {
  Q_OBJECT
  Q_PROPERTY(bool BCDToCurrency READ BCDToCurrency WRITE SetBCDToCurrency)
  Q_CLASSINFO("default:BCDToCurrency", "false")

public:
  explicit TfrxDBDataset(TfrxComponent* parent = nullptr);
  ~TfrxDBDataset() override;

  // The database data set (not owned; forgotten when it is destroyed).
  // Documents never hold it: the application sets it from code, so it is no
  // published property.
  db::DataSet* DataSet() const;
  void SetDataSet(db::DataSet* dataSet);
  bool BCDToCurrency() const { return bcdToCurrency_; }
  void SetBCDToCurrency(bool value) { bcdToCurrency_ = value; }

  QString DisplayText(const QString& fieldName) override;
  int DisplayWidth(const QString& fieldName) override;
  TfrxFieldType FieldType(const QString& fieldName) override;
  QVariant Value(const QString& fieldName) override;
  void BeginRun() override;
  void EndRun() override;
  void Open() override;
  void Close() override;
  void First() override;
  void Next() override;
  void Prior() override;
  bool Eof() override;
  void MoveToRecord(int recNo) override;
  int FieldsCount() override;
  bool IsBlobField(const QString& fieldName) override;
  int RecordCount() override;
  void CopyBlobTo(const QString& fieldName, QIODevice& target) override;
  void CopyBlobTo(const QString& fieldName, QStringList& target) override;
  void GetFieldList(QStringList& list) override;

private:
  struct State;
  // Listening to the database data set's opening and closing, for one run.
  void connectDataSet();
  void disconnectDataSet();
  // Opens for this run when not yet opened; false without a database data set.
  bool ensureOpened();
  void buildFieldMap();
  // The database field bound to a report field name; found tells whether
  // the name is in the field map at all.
  int mappedField(const QString& fieldName, bool* found) const;
  // "Nieznaleziono pola: <UserName>."<field>"" and the same text, prefixed
  // with the current object's name, in the report's error list.
  QString fieldNotFoundText(const QString& fieldName) const;
  void fileFieldError(const QString& fieldName);
  // The database field of a report field name on the current record, the
  // data set opened for this run first; none when it is not open, or when the
  // name is unknown (then also filed as an error).
  std::optional<db::Field> currentField(const QString& fieldName);

  bool bcdToCurrency_ = false;
  std::unique_ptr<State> d_;
};

// A database connection placed in a report.
class TfrxCustomDatabase : public TfrxDialogComponent {
  Q_OBJECT
public:
  explicit TfrxCustomDatabase(TfrxComponent* parent = nullptr) : TfrxDialogComponent(parent) {}
};

// The process-wide list of data sets: every TfrxDataSet is in it while it
// exists. Adding, removing and searching hold one mutex.
namespace GlobalDataSets {
// The data set whose UserName equals the name exactly, skipping data sets
// that belong to a report other than forReport (none: any).
TfrxDataSet* Find(const QString& userName, const TfrxReport* forReport = nullptr);
// Enabled data sets with a user name.
QList<TfrxDataSet*> Offered();
int Count();
}  // namespace GlobalDataSets

// A reference to a data set in its two forms. The object reference clears
// itself when the data set is destroyed; the name then stays as it was given.
class DataSetLink {
public:
  TfrxDataSet* dataSet() const { return dataSet_.data(); }
  // The data set's user name while it is referenced, else the stored name.
  QString name() const;
  // Also stores the data set's user name (empty for none).
  void setDataSet(TfrxDataSet* dataSet);
  // Stores the name and looks the data set up through owner's report (none
  // outside a report).
  void setName(const QString& name, const TfrxComponent& owner);
  // The same through a report known beforehand (none: no lookup).
  void setName(const QString& name, const TfrxReport* report);

private:
  QPointer<TfrxDataSet> dataSet_;
  QString name_;
};

}  // namespace valmoro::report
