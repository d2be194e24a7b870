#pragma once
// A data grid over a DataSet: a savable column collection, whole-row
// selection that follows the data set's current row, titles, a row indicator
// and rows fetched as the view scrolls.

#include <QAbstractTableModel>
#include <QTableView>

#include "platform/grid_columns.h"

namespace valmoro::db {
class DataSet;
class DbError;
}

namespace valmoro::grid {

class DataSetModel;

class DbGrid : public QTableView {
  Q_OBJECT

public:
  explicit DbGrid(QWidget* parent = nullptr);
  ~DbGrid() override;

  void setDataSet(db::DataSet* dataSet);
  db::DataSet* dataSet() const;

  // The persistent columns. An empty collection shows one column for every
  // field of the data set (such columns are not saved).
  void setColumns(const QList<Column>& columns);
  // The collection as it stands, with the widths the user gave it; a width
  // that equals the one derived from the field counts as not set.
  QList<Column> columns() const;
  bool hasPersistentColumns() const;

  // The collection as component-stream bytes, and back (throws StreamError).
  QByteArray saveColumns() const;
  void loadColumns(const QByteArray& bytes);

  // Texts as the user sees them (for checks and tests).
  int visibleColumnCount() const;
  QString columnTitle(int column) const;
  QString cellText(int row, int column) const;
  Qt::Alignment cellAlignment(int column) const;
  int columnWidthAt(int column) const { return columnWidth(column); }

  // In-place editing of the data set's rows (a register); off for a log view.
  void setEditingEnabled(bool enabled);
  bool isEditingEnabled() const;
  // Lines between columns as well as between rows.
  void setColumnLines(bool on);
  // A field whose values are never shown: a mask stands in for a value, and
  // the editor starts empty (typing sets a new value).
  void setMaskedField(const QString& fieldName);

  // How the grid names a field: the title of the column that shows it (empty
  // when no column does). Messages about a refused value use it.
  QString fieldLabel(const QString& fieldName) const;
  // The text to show for an error of the data set, fields named as above.
  QString errorText(const db::DbError& error) const;

  using QTableView::edit;

  // The width a column would have without one of its own: the field's display
  // width in average characters of the grid's font.
  int derivedWidth(const QString& fieldName) const;

signals:
  void popupRequested(const QPoint& globalPos);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
  void onCurrentRowChanged(const QModelIndex& current, const QModelIndex& previous);
  void applyWidths();
  void onSectionResized(int logical, int oldSize, int newSize);

  DataSetModel* model_;
  QList<Column> columns_;
  bool applying_ = false;
};

}  // namespace valmoro::grid
