#pragma once
// Small widgets the frame, fill and style editors share: a colour chooser
// (named colours, "…" for any other through the platform's colour dialog)
// and a live sample that paints a view with the model's own drawing code.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "report/model/units.h"

class QComboBox;
class QToolButton;

namespace valmoro::report {
class TfrxView;
}

namespace valmoro::designer {

// 0x00BBGGRR from a picked colour and back (system colours shown as the
// colour they stand for).
report::TColor colorOf(const QColor& color);
QColor qColorOf(report::TColor color);

// The named colours offered first, with their Polish names.
struct NamedColor {
  report::TColor color;
  const char* name;  // UTF-8
};
const std::vector<NamedColor>& namedColors();

class ColorChoice : public QWidget {
  Q_OBJECT

public:
  // `noneText` non-empty: the list starts with that entry for clTransparent
  // ("Brak", "Brak wypełnienia").
  explicit ColorChoice(const QString& noneText = QString(), QWidget* parent = nullptr);

  report::TColor Color() const { return color_; }
  void SetColor(report::TColor color);
  QComboBox* Combo() const { return combo_; }
  // "…": the colour dialog (dialogs::colorDialog).
  QToolButton* MoreButton() const { return more_; }

signals:
  void colorChanged(report::TColor color);

private:
  void rebuild();
  void picked(int index);
  void pickOther();

  QString noneText_;
  report::TColor color_ = report::clBlack;
  QComboBox* combo_;
  QToolButton* more_;
  bool filling_ = false;
};

// Paints a detached view, sized to the widget less a margin; the owner
// changes the view and calls update().
class ViewSample : public QWidget {
  Q_OBJECT

public:
  explicit ViewSample(std::unique_ptr<report::TfrxView> view, QWidget* parent = nullptr);
  ~ViewSample() override;
  report::TfrxView& View() const { return *view_; }
  // The sample as it is shown (for tests and for a look without a screen).
  QImage Render() const;
  QSize sizeHint() const override { return {180, 110}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void paintOn(QPainter& painter, const QSize& size) const;
  std::unique_ptr<report::TfrxView> view_;
};

}  // namespace valmoro::designer
