#pragma once
// Conditional highlight of a text view: when Condition evaluates true, the
// view is drawn with this font and colour.

#include "report/model/persistent.h"
#include "report/model/report_font.h"
#include "report/model/units.h"

namespace valmoro::report {

class TfrxHighlight : public Persistent {
  Q_OBJECT
  Q_PROPERTY(bool Active READ Active WRITE SetActive)
  Q_PROPERTY(valmoro::report::ReportFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(QString Condition READ Condition WRITE SetCondition)
  Q_CLASSINFO("default:Active", "false")
  Q_CLASSINFO("default:Color", "0x1FFFFFFF")

public:
  // Inactive, Arial 10 red, no fill, no condition.
  explicit TfrxHighlight(QObject* owner = nullptr);

  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  ReportFont* Font() const { return font_; }
  void SetFont(const ReportFont* font);
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  QString Condition() const { return condition_; }
  void SetCondition(const QString& condition) { condition_ = condition; }

  // Copies font, colour and condition; Active is a run-time state.
  void Assign(const TfrxHighlight& source);

private:
  bool active_ = false;
  ReportFont* font_;
  TColor color_ = clTransparent;
  QString condition_;
};

}  // namespace valmoro::report
