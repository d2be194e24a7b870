#pragma once
// The lists a report keeps beside its object tree: the data sets it uses and
// its variables. Documents store them in the report element's property data
// (see TfrxReport::WriteExtraData).
//
// The process-wide global variables (scripts see them as frxGlobalVariables)
// are a TfrxVariables as well.

#include <QList>
#include <QStringList>
#include <QVariant>

#include "report/model/data_set.h"
#include "report/model/persistent.h"

class QIODevice;

namespace valmoro::report {

class TfrxReport;

// The process-wide global variables.
class TfrxVariables;
TfrxVariables* GlobalVariables();

class TfrxDataSetItem : public Persistent {
  Q_OBJECT
  Q_PROPERTY(valmoro::report::TfrxDataSet* DataSet READ DataSet WRITE SetDataSet)
  Q_PROPERTY(QString DataSetName READ DataSetName WRITE SetDataSetName)

public:
  // The report looks names up; without one no name resolves.
  explicit TfrxDataSetItem(TfrxReport* report = nullptr, QObject* owner = nullptr);

  TfrxDataSet* DataSet() const { return link_.dataSet(); }
  void SetDataSet(TfrxDataSet* dataSet) { link_.setDataSet(dataSet); }
  // The data set's user name; setting it looks the data set up, an empty
  // name clears the reference.
  QString DataSetName() const { return link_.name(); }
  void SetDataSetName(const QString& name);

private:
  TfrxReport* report_;
  DataSetLink link_;
};

class TfrxReportDataSets : public Persistent {
  Q_OBJECT
public:
  explicit TfrxReportDataSets(TfrxReport* report = nullptr);

  TfrxDataSetItem* Add();
  // An item referring to the data set.
  TfrxDataSetItem* Add(TfrxDataSet* dataSet);
  int Count() const { return int(items_.size()); }
  TfrxDataSetItem* Item(int index) const { return items_.at(index); }
  void Clear();
  // The item referring to the data set, or none.
  TfrxDataSetItem* Find(const TfrxDataSet* dataSet) const;
  // The item whose data set's user name is the name, ignoring letter case.
  TfrxDataSetItem* Find(const QString& userName) const;
  // Binds every listed data set to the report (SetReportRef) and starts its
  // run; EndRun ends the run of every listed data set.
  void BeginRun();
  void EndRun();

private:
  TfrxReport* report_;
  QList<TfrxDataSetItem*> items_;
};

// A named value. A name that begins with a blank marks a category entry.
class TfrxVariable : public Persistent {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(QVariant Value READ Value WRITE SetValue)

public:
  explicit TfrxVariable(QObject* owner = nullptr) : Persistent(owner), value_(QVariant::fromValue(nullptr)) {}

  QString Name() const { return name_; }
  void SetName(const QString& value) { name_ = value; }
  // Created Null.
  QVariant Value() const { return value_; }
  void SetValue(const QVariant& value) { value_ = value; }

private:
  QString name_;
  QVariant value_;
};

// An ordered list of variables. An entry whose name begins with a blank is a
// category: the entries after it, up to the next category, are its
// variables. Names compare exactly (letter case counts).
class TfrxVariables : public Persistent {
  Q_OBJECT
public:
  explicit TfrxVariables(QObject* owner = nullptr) : Persistent(owner) {}

  TfrxVariable* Add();
  // A new entry inserted at index.
  TfrxVariable* Insert(int index);
  int Count() const { return int(items_.size()); }
  TfrxVariable* Item(int index) const { return items_.at(index); }
  void Clear();

  // Index of the entry with that exact name, -1 when absent.
  int IndexOf(const QString& name) const;
  // The value of a variable, Null (an invalid QVariant) when absent.
  QVariant Value(const QString& name) const;
  // Sets the value, appending a new entry when the name is absent.
  void SetValue(const QString& name, const QVariant& value);
  // Category names (without their blank), in order.
  QStringList Categories() const;
  // The variables of a category; '' gives the entries before the first category.
  QStringList VariablesOf(const QString& category) const;
  // Adds a variable after the last one of its category (the category entry
  // is appended when missing); a name that exists anywhere only gets the
  // new value.
  void AddVariable(const QString& category, const QString& name, const QVariant& value);
  // Deletes a category entry with its variables.
  void DeleteCategory(const QString& name);
  void DeleteVariable(const QString& name);
  void Delete(int index);

  // The variables file: a document with the root "variables" (letter case
  // ignored when reading) and one "item" per entry carrying its Name and
  // Value attributes; other elements are skipped. Loading replaces the list;
  // a file that cannot be read or has another root raises ReportError and
  // leaves the list as it was.
  void LoadFromFile(const QString& fileName);
  void SaveToFile(const QString& fileName) const;
  void LoadFromStream(QIODevice& stream);
  void SaveToStream(QIODevice& stream) const;

private:
  QList<TfrxVariable*> items_;
};

}  // namespace valmoro::report
