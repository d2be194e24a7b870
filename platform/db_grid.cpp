#include "db_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "platform/component_stream.h"
#include "platform/database.h"

namespace valmoro::grid {

namespace {

Qt::Alignment toQt(Alignment a) {
  switch (a) {
    case Alignment::LeftJustify: return Qt::AlignLeft;
    case Alignment::RightJustify: return Qt::AlignRight;
    case Alignment::Center: return Qt::AlignHCenter;
  }
  return Qt::AlignLeft;
}

// Characters a field shows by default, as the width of a column without one.
int displayChars(const db::FieldDef& f) {
  switch (f.type) {
    case db::FieldType::DateTime: return 18;
    case db::FieldType::Float: return 10;
    case db::FieldType::AutoInc:
    case db::FieldType::Integer: return 10;
    case db::FieldType::Boolean: return 5;
    default: return f.size > 0 ? qMin(f.size, 64) : 20;
  }
}

// Row lines without column lines: each row is underlined.
class RowLineDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }
};

}  // namespace

// The columns of the grid over the rows fetched so far.
class DataSetModel : public QAbstractTableModel {
public:
  explicit DataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

  void setDataSet(db::DataSet* ds) {
    beginResetModel();
    if (dataSet_) dataSet_->disconnect(this);
    dataSet_ = ds;
    if (ds) {
      connect(ds, &db::DataSet::opened, this, [this] { reset(); });
      connect(ds, &db::DataSet::closed, this, [this] { reset(); });
      connect(ds, &db::DataSet::rowsFetched, this, [this](int first, int last) {
        if (resetting_) return;
        // Rows arrive after the model has already shown the earlier ones.
        if (first != shownRows_) {
          reset();
          return;
        }
        beginInsertRows({}, first, last);
        shownRows_ = last + 1;
        endInsertRows();
      });
    }
    rebuildMap();
    shownRows_ = ds ? ds->fetchedRowCount() : 0;
    endResetModel();
  }

  db::DataSet* dataSet() const { return dataSet_; }

  void setColumns(const QList<Column>* columns) {
    beginResetModel();
    columns_ = columns;
    rebuildMap();
    endResetModel();
  }

  void reset() {
    resetting_ = true;
    beginResetModel();
    rebuildMap();
    shownRows_ = dataSet_ ? dataSet_->fetchedRowCount() : 0;
    endResetModel();
    resetting_ = false;
  }

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : shownRows_; }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(map_.size()); }

  bool canFetchMore(const QModelIndex& parent) const override {
    return !parent.isValid() && dataSet_ && dataSet_->isActive() && !dataSet_->allFetched();
  }
  void fetchMore(const QModelIndex& parent) override {
    if (!canFetchMore(parent)) return;
    try {
      dataSet_->fetchMore(256);
    } catch (const db::DbError&) {
      // The rows read so far stay; the error surfaces at the next statement.
    }
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || !dataSet_) return {};
    const Entry& e = map_.at(index.column());
    if (role == Qt::DisplayRole) return e.field >= 0 ? dataSet_->displayTextAt(index.row(), e.field) : QString();
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignment(index.column()) | Qt::AlignVCenter);
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Vertical) {
      if (role == Qt::DisplayRole) return QString();
      return {};
    }
    if (section < 0 || section >= map_.size()) return {};
    if (role == Qt::DisplayRole) return title(section);
    if (role == Qt::TextAlignmentRole) {
      const Entry& e = map_.at(section);
      const Column* c = e.column >= 0 ? &columns_->at(e.column) : nullptr;
      const Qt::Alignment a = c && c->title.alignment ? toQt(*c->title.alignment) : Qt::AlignLeft;
      return QVariant::fromValue(a | Qt::AlignVCenter);
    }
    return {};
  }

  QString title(int section) const {
    const Entry& e = map_.at(section);
    if (e.column >= 0) {
      const Column& c = columns_->at(e.column);
      if (c.title.caption) return *c.title.caption;
      return c.fieldName;
    }
    return e.field >= 0 ? dataSet_->fieldDef(e.field).name : QString();
  }

  Qt::Alignment alignment(int section) const {
    const Entry& e = map_.at(section);
    if (e.column >= 0 && columns_->at(e.column).alignment) return toQt(*columns_->at(e.column).alignment);
    if (e.field >= 0 && dataSet_) return dataSet_->field(e.field).defaultAlignment();
    return Qt::AlignLeft;
  }

  // Section → persistent column index (or -1) and data set field (or -1).
  struct Entry {
    int column;
    int field;
  };
  const QList<Entry>& map() const { return map_; }

private:
  void rebuildMap() {
    map_.clear();
    const bool persistent = columns_ && !columns_->isEmpty();
    if (persistent) {
      for (int i = 0; i < columns_->size(); ++i) {
        if (!columns_->at(i).visible) continue;
        const int f = dataSet_ && dataSet_->isActive() ? dataSet_->fieldIndex(columns_->at(i).fieldName) : -1;
        map_.append({i, f});
      }
    } else if (dataSet_ && dataSet_->isActive()) {
      for (int f = 0; f < dataSet_->fieldCount(); ++f) map_.append({-1, f});
    }
  }

  db::DataSet* dataSet_ = nullptr;
  const QList<Column>* columns_ = nullptr;
  QList<Entry> map_;
  int shownRows_ = 0;
  bool resetting_ = false;
};

DbGrid::DbGrid(QWidget* parent) : QTableView(parent), model_(new DataSetModel(this)) {
  model_->setColumns(&columns_);
  setModel(model_);
  setItemDelegate(new RowLineDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  horizontalHeader()->setSectionsMovable(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  verticalHeader()->setFixedWidth(14);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { emit popupRequested(viewport()->mapToGlobal(pos)); });
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, &DbGrid::onSectionResized);
  connect(model_, &QAbstractItemModel::modelReset, this, &DbGrid::applyWidths);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (auto* ds = model_->dataSet(); ds && current.isValid() && ds->currentRow() != current.row())
      ds->setCurrentRow(current.row());
  });
}

DbGrid::~DbGrid() = default;

void DbGrid::setDataSet(db::DataSet* dataSet) {
  if (auto* old = model_->dataSet()) old->disconnect(this);
  model_->setDataSet(dataSet);
  if (dataSet) {
    // The selection follows the data set's current row and the other way round.
    connect(dataSet, &db::DataSet::currentRowChanged, this, [this](int row) {
      if (row >= 0 && row < model_->rowCount() && currentIndex().row() != row)
        setCurrentIndex(model_->index(row, qMax(0, currentIndex().column())));
    });
    connect(dataSet, &db::DataSet::opened, this, [this, dataSet] {
      if (dataSet->currentRow() >= 0 && model_->columnCount() > 0) setCurrentIndex(model_->index(dataSet->currentRow(), 0));
    });
  }
  applyWidths();
}

db::DataSet* DbGrid::dataSet() const { return model_->dataSet(); }

void DbGrid::setColumns(const QList<Column>& columns) {
  columns_ = columns;
  model_->setColumns(&columns_);
  applyWidths();
}

bool DbGrid::hasPersistentColumns() const { return !columns_.isEmpty(); }

QList<Column> DbGrid::columns() const {
  QList<Column> out = columns_;
  for (Column& c : out)
    if (c.width && *c.width == derivedWidth(c.fieldName)) c.width.reset();
  return out;
}

QByteArray DbGrid::saveColumns() const { return writeColumnsStream(columns()); }

void DbGrid::loadColumns(const QByteArray& bytes) { setColumns(readColumnsStream(bytes)); }

int DbGrid::derivedWidth(const QString& fieldName) const {
  const db::DataSet* ds = model_->dataSet();
  const int index = ds && ds->isActive() ? ds->fieldIndex(fieldName) : -1;
  const int chars = index >= 0 ? displayChars(ds->fieldDef(index)) : 10;
  return chars * fontMetrics().averageCharWidth() + 4;
}

void DbGrid::applyWidths() {
  applying_ = true;
  const auto& map = model_->map();
  for (int s = 0; s < map.size(); ++s) {
    const auto& e = map[s];
    int w = 0;
    if (e.column >= 0 && columns_[e.column].width) w = *columns_[e.column].width;
    else if (e.column >= 0) w = derivedWidth(columns_[e.column].fieldName);
    else if (auto* ds = model_->dataSet(); ds && e.field >= 0) w = derivedWidth(ds->fieldDef(e.field).name);
    if (w > 0) setColumnWidth(s, w);
  }
  applying_ = false;
}

void DbGrid::onSectionResized(int logical, int, int newSize) {
  if (applying_) return;
  const auto& map = model_->map();
  if (logical < 0 || logical >= map.size()) return;
  const int column = map[logical].column;
  if (column >= 0) columns_[column].width = newSize;
}

int DbGrid::visibleColumnCount() const { return model_->columnCount(); }

QString DbGrid::columnTitle(int column) const {
  return column >= 0 && column < model_->columnCount() ? model_->title(column) : QString();
}

QString DbGrid::cellText(int row, int column) const {
  return model_->data(model_->index(row, column), Qt::DisplayRole).toString();
}

Qt::Alignment DbGrid::cellAlignment(int column) const { return model_->alignment(column); }

void DbGrid::keyPressEvent(QKeyEvent* event) {
  // Tab leaves the grid, as in the other controls of a window.
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    event->ignore();
    QWidget::keyPressEvent(event);
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace valmoro::grid
