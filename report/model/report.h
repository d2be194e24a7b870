#pragma once
// The root of a report tree. This is the part of the report object the tree
// itself needs: the name index, the style list, the data set lookup and the
// current object. Loading, preparing and showing reports build on it.

#include <memory>

#include "report/model/component.h"
#include "report/model/name_index.h"

namespace valmoro::report {

class TfrxDataSet;
class TfrxStyles;

class TfrxReport : public TfrxComponent {
  Q_OBJECT
public:
  TfrxReport();
  ~TfrxReport() override;

  // A report is always a root: any parent is refused with ReportError.
  void SetParent(TfrxComponent* parent) override;

  // Named text styles that text views refer to by their Style.
  TfrxStyles* Styles() const { return styles_; }

  // Hook for the data set lists: the data set a DataSetName refers to, or
  // none. Without data set lists no name resolves.
  virtual TfrxDataSet* FindDataSet(const QString& userName) const;

  // The object being processed; its name prefixes error texts.
  QString CurObject() const { return curObject_; }
  virtual void SetCurrentObject(TfrxComponent* object);

  // The names of the report's objects; kept by the objects themselves.
  NameIndex& Names() { return names_; }
  const NameIndex& Names() const { return names_; }

private:
  NameIndex names_;
  TfrxStyles* styles_;
  QString curObject_;
};

}  // namespace valmoro::report
