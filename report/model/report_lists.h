#pragma once
// The lists a report keeps beside its object tree: the data sets it uses and
// its variables. Documents store them in the report element's property data
// (see TfrxReport::WriteExtraData).
//
// Hook: finding entries by name, categories of variables, running the data
// sets and the variables file come with the data sets and the report object;
// these classes hold what documents store.

#include <QList>
#include <QVariant>

#include "report/model/data_set.h"
#include "report/model/persistent.h"

namespace valmoro::report {

class TfrxReport;

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
  int Count() const { return int(items_.size()); }
  TfrxDataSetItem* Item(int index) const { return items_.at(index); }
  void Clear();

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

class TfrxVariables : public Persistent {
  Q_OBJECT
public:
  explicit TfrxVariables(QObject* owner = nullptr) : Persistent(owner) {}

  TfrxVariable* Add();
  int Count() const { return int(items_.size()); }
  TfrxVariable* Item(int index) const { return items_.at(index); }
  void Clear();

private:
  QList<TfrxVariable*> items_;
};

}  // namespace valmoro::report
