#pragma once
// A record navigator: first, prior, next, last, insert, delete, edit, post
// and cancel over a data set, each enabled only when it can act.

#include <QWidget>
#include <functional>

class QToolButton;

namespace valmoro::db {
class DataSet;
}

namespace valmoro::grid {

class DbNavigator : public QWidget {
  Q_OBJECT

public:
  enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, ButtonCount };

  explicit DbNavigator(QWidget* parent = nullptr);
  void setDataSet(db::DataSet* dataSet);

  QToolButton* button(Button b) const { return buttons_[b]; }
  // How the window names the data set's fields (a grid's column titles), for
  // the messages about a refused value.
  void setFieldLabels(std::function<QString(const QString& field)> labels) { labels_ = std::move(labels); }
  // Does what a click on the button does (errors are shown, not thrown).
  void click(Button b);

private:
  void updateButtons();

  db::DataSet* dataSet_ = nullptr;
  QToolButton* buttons_[ButtonCount];
  std::function<QString(const QString&)> labels_;
};

}  // namespace valmoro::grid
