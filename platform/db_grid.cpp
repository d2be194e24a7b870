#include "db_grid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>

#include "platform/component_stream.h"
#include "platform/database.h"
#include "platform/dialogs.h"
#include "platform/field_error.h"

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

// Row lines (and, for registers, column lines through the view's grid),
// and a pick list as the editor of a column that has one.
class GridDelegate : public QStyledItemDelegate {
public:
  GridDelegate(DbGrid* grid, const QList<Column>* columns)
      : QStyledItemDelegate(grid), grid_(grid), columns_(columns) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (grid_->showGrid()) return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QStringList picks = pickList(index);
    if (picks.isEmpty()) {
      QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
      // A value that is never shown is not shown while it is typed either.
      if (auto* line = qobject_cast<QLineEdit*>(editor); line && masked(index)) line->setEchoMode(QLineEdit::Password);
      return editor;
    }
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(picks);
    return box;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      box->setEditText(index.data(Qt::EditRole).toString());
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      if (box->currentText() != index.data(Qt::EditRole).toString()) model->setData(index, box->currentText());
      return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
  }

private:
  QStringList pickList(const QModelIndex& index) const;
  bool masked(const QModelIndex& index) const;

  DbGrid* grid_;
  const QList<Column>* columns_;
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
      // A grid may outlive its data set (a window takes its data sets down
      // before its widgets): it then shows nothing instead of reading freed rows.
      connect(ds, &QObject::destroyed, this, [this] {
        beginResetModel();
        dataSet_ = nullptr;
        map_.clear();
        shownRows_ = 0;
        endResetModel();
      });
      connect(ds, &db::DataSet::opened, this, [this] { reset(); });
      connect(ds, &db::DataSet::closed, this, [this] { reset(); });
      connect(ds, &db::DataSet::currentRowChanged, this, [this] {
        if (shownRows_ > 0) emit headerDataChanged(Qt::Vertical, 0, shownRows_ - 1);
      });
      connect(ds, &db::DataSet::rowInserted, this, [this](int row) {
        beginInsertRows({}, row, row);
        ++shownRows_;
        endInsertRows();
      });
      connect(ds, &db::DataSet::rowRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        --shownRows_;
        endRemoveRows();
      });
      connect(ds, &db::DataSet::rowChanged, this, [this](int row) {
        if (row >= 0 && row < shownRows_ && !map_.isEmpty())
          emit dataChanged(index(row, 0), index(row, int(map_.size()) - 1));
      });
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

  static QPixmap indicator() {
    static const QPixmap pm = [] {
      QPixmap p(8, 10);
      p.fill(Qt::transparent);
      QPainter painter(&p);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(Qt::NoPen);
      painter.setBrush(Qt::black);
      painter.drawPolygon(QPolygonF({QPointF(1, 1), QPointF(7, 5), QPointF(1, 9)}));
      return p;
    }();
    return pm;
  }

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

  void setEditing(bool on) { editing_ = on; }
  bool editing() const { return editing_; }
  void setMaskedField(const QString& name) { masked_ = name; }

  bool isMasked(int field) const {
    return field >= 0 && !masked_.isEmpty() && dataSet_->fieldDef(field).name.compare(masked_, Qt::CaseInsensitive) == 0;
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid() || !editing_ || !dataSet_) return f;
    const Entry& e = map_.at(index.column());
    const bool readOnly = e.column >= 0 && columns_->at(e.column).readOnly.value_or(false);
    if (e.field >= 0 && !dataSet_->fieldDef(e.field).readOnly && !readOnly) f |= Qt::ItemIsEditable;
    return f;
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!index.isValid() || role != Qt::EditRole || !dataSet_) return false;
    const int field = map_.at(index.column()).field;
    if (field < 0) return false;
    const QString text = value.toString();
    if (isMasked(field) && text.isEmpty()) return true;  // nothing typed: the stored value stays
    try {
      if (dataSet_->currentRow() != index.row()) dataSet_->setCurrentRow(index.row());
      dataSet_->setFieldText(field, text);
    } catch (const db::DbError& e) {
      dialogs::showError(db::userMessage(e, [this](const QString& name) { return labelOf(name); }));
      return false;
    }
    return true;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || !dataSet_) return {};
    const Entry& e = map_.at(index.column());
    if (role == Qt::EditRole) {
      if (e.field < 0 || isMasked(e.field)) return QString();
      return dataSet_->plainTextAt(index.row(), e.field);
    }
    if (role == Qt::DisplayRole) {
      if (e.field < 0) return QString();
      if (isMasked(e.field))
        return dataSet_->plainTextAt(index.row(), e.field).isEmpty() ? QString() : QStringLiteral("••••••••");
      return dataSet_->displayTextAt(index.row(), e.field);
    }
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignment(index.column()) | Qt::AlignVCenter);
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Vertical) {
      if (role == Qt::DisplayRole) return QString();
      // The row indicator: a small arrow at the current row.
      if (role == Qt::DecorationRole && dataSet_ && section == dataSet_->currentRow()) return indicator();
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

  // The title of the column that shows a field; empty when none shows it.
  QString labelOf(const QString& fieldName) const {
    if (!dataSet_) return QString();
    for (int s = 0; s < map_.size(); ++s) {
      const int field = map_[s].field;
      if (field >= 0 && dataSet_->fieldDef(field).name.compare(fieldName, Qt::CaseInsensitive) == 0) return title(s);
    }
    return QString();
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
  bool editing_ = false;
  QString masked_;
};

bool GridDelegate::masked(const QModelIndex& index) const {
  const auto* model = static_cast<const DataSetModel*>(index.model());
  return model->dataSet() && model->isMasked(model->map().value(index.column(), {-1, -1}).field);
}

QStringList GridDelegate::pickList(const QModelIndex& index) const {
  const auto* model = static_cast<const DataSetModel*>(index.model());
  const int column = model->map().value(index.column(), {-1, -1}).column;
  return column >= 0 ? columns_->at(column).pickList : QStringList();
}

DbGrid::DbGrid(QWidget* parent) : QTableView(parent), model_(new DataSetModel(this)) {
  model_->setColumns(&columns_);
  setModel(model_);
  setItemDelegate(new GridDelegate(this, &columns_));
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
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &DbGrid::onCurrentRowChanged);
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

// Leaving a row that is being edited writes it; when the database refuses it,
// the user is told why and stays on that row, with what was typed.
void DbGrid::onCurrentRowChanged(const QModelIndex& current, const QModelIndex&) {
  db::DataSet* ds = model_->dataSet();
  if (!ds || !current.isValid() || ds->currentRow() == current.row()) return;
  if (ds->state() == db::DataSet::State::Edit || ds->state() == db::DataSet::State::Insert) {
    const int editing = ds->currentRow();
    try {
      ds->post();
    } catch (const db::DbError& e) {
      dialogs::showError(errorText(e), this);
      QTimer::singleShot(0, this, [this, editing] {
        if (editing >= 0 && editing < model_->rowCount()) setCurrentIndex(model_->index(editing, qMax(0, currentIndex().column())));
      });
      return;
    }
    // A new row may have moved the rows below it.
    if (current.row() >= model_->rowCount()) return;
  }
  ds->setCurrentRow(current.row());
}

void DbGrid::setEditingEnabled(bool enabled) {
  model_->setEditing(enabled);
  setEditTriggers(enabled ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                          : QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(enabled ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
}

bool DbGrid::isEditingEnabled() const { return model_->editing(); }

void DbGrid::setColumnLines(bool on) {
  setShowGrid(on);
  viewport()->update();
}

void DbGrid::setMaskedField(const QString& fieldName) { model_->setMaskedField(fieldName); }

QString DbGrid::fieldLabel(const QString& fieldName) const { return model_->labelOf(fieldName); }

QString DbGrid::errorText(const db::DbError& error) const {
  return db::userMessage(error, [this](const QString& name) { return fieldLabel(name); });
}

// An editor opened on a cell starts the change of its row at once, so the
// navigator offers saving and cancelling before anything is committed.
bool DbGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (!QTableView::edit(index, trigger, event)) return false;
  db::DataSet* ds = model_->dataSet();
  if (!ds || !model_->editing() || !index.isValid() || ds->state() != db::DataSet::State::Browse) return true;
  try {
    if (ds->currentRow() != index.row()) ds->setCurrentRow(index.row());
    ds->edit();
  } catch (const db::DbError& e) {
    dialogs::showError(errorText(e), this);
  }
  return true;
}

// An editor left with Escape before anything in the row was changed leaves
// the row as it was, not waiting in editing.
void DbGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTableView::closeEditor(editor, hint);
  db::DataSet* ds = model_->dataSet();
  if (hint != QAbstractItemDelegate::RevertModelCache || !ds || ds->state() != db::DataSet::State::Edit) return;
  for (int f = 0; f < ds->fieldCount(); ++f)
    if (ds->isFieldModified(f)) return;
  ds->cancel();
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
  db::DataSet* ds = model_->dataSet();
  if (ds && model_->editing() && state() != QAbstractItemView::EditingState) {
    try {
      if (event->key() == Qt::Key_Insert) {
        ds->insert();
        return;
      }
      if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        if (ds->currentRow() >= 0 && dialogs::confirm(QStringLiteral("Usunąć rekord?"), this)) ds->deleteCurrent();
        return;
      }
      if (event->key() == Qt::Key_Escape && ds->state() != db::DataSet::State::Browse) {
        ds->cancel();
        return;
      }
    } catch (const db::DbError& e) {
      dialogs::showError(errorText(e), this);
      return;
    }
  }
  // Tab leaves the grid, as in the other controls of a window.
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    event->ignore();
    QWidget::keyPressEvent(event);
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace valmoro::grid
