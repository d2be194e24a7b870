#include "report/engine/sorted_rows.h"

#include <algorithm>

#include "report/model/report.h"
#include "script/string_list.h"

namespace valmoro::report::engine {

using script::Variant;
using script::VarKind;

SortedRows::SortedRows(TfrxDataSet& source, TfrxReport& report, TfrxDataBand& band)
    : source_(source), report_(report), band_(band), keys_(band.SortKeys()) {}

namespace {

int rank(const Variant& v) {
  if (v.IsVoid()) return 0;
  if (v.Kind() == VarKind::Boolean || v.IsNumeric()) return 1;
  if (v.IsString()) return 2;
  return 3;
}

}  // namespace

int SortedRows::CompareKeys(const Variant& a, const Variant& b) {
  const int ra = rank(a), rb = rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  if (ra == 1) {
    const double x = a.Kind() == VarKind::Boolean ? double(a.AsBool()) : a.ToDouble();
    const double y = b.Kind() == VarKind::Boolean ? double(b.AsBool()) : b.ToDouble();
    return x < y ? -1 : x > y ? 1 : 0;
  }
  if (ra == 2) {
    if (const int c = script::CompareTextRegional(a.AsString(), b.AsString()); c != 0) return c;
    const int c = a.AsString().compare(b.AsString(), Qt::CaseSensitive);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  return 0;
}

void SortedRows::First() {
  TfrxDataSet::First();
  rows_.clear();
  position_ = 0;
  report_.SetCurrentObject(&band_);
  source_.First();
  while (!source_.Eof() && !report_.Terminated()) {
    Row row;
    row.recNo = source_.RecNo();
    row.keys.reserve(std::size_t(keys_.size()));
    for (const TfrxSortKey& key : keys_) row.keys.push_back(report_.CalcVariant(key.expression));
    rows_.push_back(std::move(row));
    source_.Next();
  }
  std::stable_sort(rows_.begin(), rows_.end(), [this](const Row& a, const Row& b) {
    for (qsizetype i = 0; i < keys_.size(); ++i) {
      const int c = CompareKeys(a.keys[std::size_t(i)], b.keys[std::size_t(i)]);
      if (c != 0) return keys_[i].descending ? c > 0 : c < 0;
    }
    return false;
  });
  moveSource();
}

void SortedRows::Next() {
  if (position_ < int(rows_.size())) ++position_;
  recNo_ = position_;
  moveSource();
}

void SortedRows::Prior() {
  if (position_ > 0) --position_;
  recNo_ = position_;
  moveSource();
}

bool SortedRows::Eof() { return position_ >= int(rows_.size()); }

void SortedRows::MoveToRecord(int recNo) {
  position_ = std::clamp(recNo, 0, int(rows_.size()));
  recNo_ = position_;
  moveSource();
}

int SortedRows::RecordCount() { return int(rows_.size()); }

void SortedRows::moveSource() {
  if (position_ < int(rows_.size())) source_.MoveToRecord(rows_[std::size_t(position_)].recNo);
}

}  // namespace valmoro::report::engine
