#pragma once
// The live sample of the text editors: a copy of a text view, drawn by the
// model's own painting as the workspace draws it, that the editor changes
// as the user edits. The view of the report is never touched.

#include <QWidget>
#include <memory>

namespace valmoro::report {
class TfrxCustomMemoView;
}

namespace valmoro::designer {

class MemoSample : public QWidget {
  Q_OBJECT

public:
  explicit MemoSample(QWidget* parent = nullptr);
  ~MemoSample() override;

  // Takes everything of the view that its drawing reads (its own font,
  // also when it follows its band's).
  void SetView(const report::TfrxCustomMemoView& view);
  // The copy drawn: change it, then update().
  report::TfrxCustomMemoView& View() const { return *view_; }
  // The scale the copy is drawn at (smaller than 1 when it does not fit).
  double Scale() const;

  QSize sizeHint() const override { return {320, 90}; }
  QSize minimumSizeHint() const override { return {120, 48}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::unique_ptr<report::TfrxCustomMemoView> view_;
};

}  // namespace valmoro::designer
