#pragma once
// Report data sets as far as the object tree needs them: the classes, the
// user name reports know a data set by, and the two-form references (object
// and user name) that views, data bands and pages hold.
//
// Hook: moving through records, fields, ranges and the data set lists come
// with the data sets themselves.

#include <QPointer>

#include "report/model/dialog.h"

namespace valmoro::report {

class TfrxReport;

class TfrxDataSet : public TfrxDialogComponent {
  Q_OBJECT
  Q_PROPERTY(QString UserName READ UserName WRITE SetUserName)

public:
  explicit TfrxDataSet(TfrxComponent* parent = nullptr) : TfrxDialogComponent(parent) {}

  // The name under which reports and expressions know the data set.
  QString UserName() const { return userName_; }
  // A name that is blank after trimming fails with "prInvProp"; the old name stays.
  virtual void SetUserName(const QString& name);
  // A data set without a user name takes its new name as user name.
  void SetName(const QString& name) override;

private:
  QString userName_;
};

class TfrxUserDataSet : public TfrxDataSet {
  Q_OBJECT
public:
  explicit TfrxUserDataSet(TfrxComponent* parent = nullptr) : TfrxDataSet(parent) {}
};

class TfrxCustomDBDataSet : public TfrxDataSet {
  Q_OBJECT
public:
  explicit TfrxCustomDBDataSet(TfrxComponent* parent = nullptr) : TfrxDataSet(parent) {}
};

// A database connection placed in a report.
class TfrxCustomDatabase : public TfrxDialogComponent {
  Q_OBJECT
public:
  explicit TfrxCustomDatabase(TfrxComponent* parent = nullptr) : TfrxDialogComponent(parent) {}
};

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
