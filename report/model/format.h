#pragma once
// Display format of a text view's value: kind, format text and separators.

#include "report/model/enums.h"
#include "report/model/persistent.h"

namespace valmoro::report {

class TfrxFormat : public Persistent {
  Q_OBJECT
  Q_PROPERTY(QString DecimalSeparator READ DecimalSeparator WRITE SetDecimalSeparator)
  Q_PROPERTY(QString ThousandSeparator READ ThousandSeparator WRITE SetThousandSeparator)
  Q_PROPERTY(QString FormatStr READ FormatStr WRITE SetFormatStr)
  Q_PROPERTY(valmoro::report::TfrxFormatKind Kind READ Kind WRITE SetKind)
  Q_CLASSINFO("default:Kind", "fkText")

public:
  explicit TfrxFormat(QObject* owner = nullptr) : Persistent(owner) {}

  QString DecimalSeparator() const { return decimalSeparator_; }
  void SetDecimalSeparator(const QString& text) { decimalSeparator_ = text; }
  QString ThousandSeparator() const { return thousandSeparator_; }
  void SetThousandSeparator(const QString& text) { thousandSeparator_ = text; }
  QString FormatStr() const { return formatStr_; }
  void SetFormatStr(const QString& text) { formatStr_ = text; }
  TfrxFormatKind Kind() const { return kind_; }
  void SetKind(TfrxFormatKind kind) { kind_ = kind; }

  void Assign(const TfrxFormat& source);
  bool operator==(const TfrxFormat& other) const;

private:
  QString decimalSeparator_;
  QString thousandSeparator_;
  QString formatStr_;
  TfrxFormatKind kind_ = fkText;
};

}  // namespace valmoro::report
