#pragma once
// The rows of a data band in the order of its sort keys: a data set that
// walks another one in that order. Each First reads the keys of every row
// of the source's range (a detail band's range changes with its master row)
// and sorts them, stably; the rows themselves stay where they are, the
// source is moved to each in turn, so every expression reading the source
// by name sees the current row.

#include <QList>
#include <vector>

#include "report/model/band.h"
#include "report/model/data_set.h"
#include "script/variant.h"

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::report::engine {

class SortedRows : public TfrxDataSet {
  Q_OBJECT

public:
  // `band` names the expressions' errors; its keys are taken now.
  SortedRows(TfrxDataSet& source, TfrxReport& report, TfrxDataBand& band);

  void First() override;
  void Next() override;
  void Prior() override;
  bool Eof() override;
  void MoveToRecord(int recNo) override;
  int RecordCount() override;

  QString DisplayText(const QString& fieldName) override { return source_.DisplayText(fieldName); }
  int DisplayWidth(const QString& fieldName) override { return source_.DisplayWidth(fieldName); }
  TfrxFieldType FieldType(const QString& fieldName) override { return source_.FieldType(fieldName); }
  QVariant Value(const QString& fieldName) override { return source_.Value(fieldName); }
  int FieldsCount() override { return source_.FieldsCount(); }
  bool IsBlobField(const QString& fieldName) override { return source_.IsBlobField(fieldName); }
  void GetFieldList(QStringList& list) override { source_.GetFieldList(list); }

  // Orders two keys of the same expression: nothing first, then Booleans
  // and numbers (dates too) by value, then texts by the regional order
  // without regard to case (letter case decides only between otherwise
  // equal texts, so equal texts stay together).
  static int CompareKeys(const script::Variant& a, const script::Variant& b);

private:
  struct Row {
    int recNo = 0;
    std::vector<script::Variant> keys;
  };
  void moveSource();

  TfrxDataSet& source_;
  TfrxReport& report_;
  TfrxDataBand& band_;
  QList<TfrxSortKey> keys_;
  std::vector<Row> rows_;
  int position_ = 0;
};

}  // namespace valmoro::report::engine
