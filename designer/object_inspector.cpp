#include "designer/object_inspector.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "designer/object_editors.h"
#include "designer/picture_editor.h"
#include "platform/dialogs.h"
#include "report/model/component.h"
#include "report/model/page.h"
#include "report/model/report_font.h"

namespace valmoro::designer {

using report::PropertyEditor;
using report::PropertyKind;

namespace {

constexpr int kRowRole = Qt::UserRole;
constexpr int kNoRow = -1;

ObjectInspector::TextDialog& textDialogHook() {
  static ObjectInspector::TextDialog hook;
  return hook;
}

bool isCheckRow(const InspectorRow& row) { return row.editor == PropertyEditor::Boolean; }

bool hasEllipsis(PropertyEditor editor) {
  switch (editor) {
    case PropertyEditor::Color:
    case PropertyEditor::Font:
    case PropertyEditor::LongText:
    case PropertyEditor::StringList:
    case PropertyEditor::Picture:
      return true;
    default:
      return false;
  }
}

bool isCombo(PropertyEditor editor) {
  switch (editor) {
    case PropertyEditor::Enumeration:
    case PropertyEditor::Color:
    case PropertyEditor::DataSet:
    case PropertyEditor::DataField:
    case PropertyEditor::ObjectReference:
    case PropertyEditor::Event:
      return true;
    default:
      return false;
  }
}

constexpr int kGenerationRole = Qt::UserRole + 1;

report::TColor toColor(const QColor& c) { return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16); }

}  // namespace

QString newProcedureCaption() { return QStringLiteral("(nowa procedura)"); }

int ObjectInspector::RowOf(const QModelIndex& index) const {
  const QModelIndex first = index.siblingAtColumn(0);
  const QVariant v = first.data(kRowRole);
  // An item of rows built before the last reset (under an editor that was open) stands for nothing.
  if (!v.isValid() || first.data(kGenerationRole).toInt() != generation_ || v.toInt() >= model_.RowCount()) return kNoRow;
  return v.toInt();
}

int ObjectInspector::RowOf(const QTreeWidgetItem* item) const {
  if (!item) return kNoRow;
  const QVariant v = item->data(0, kRowRole);
  if (!v.isValid() || item->data(0, kGenerationRole).toInt() != generation_ || v.toInt() >= model_.RowCount()) return kNoRow;
  return v.toInt();
}

// --- ValueEditor -----------------------------------------------------------------------

ValueEditor::ValueEditor(bool combo, bool editable, bool ellipsis, QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  QWidget* focus = nullptr;
  if (combo) {
    combo_ = new QComboBox(this);
    combo_->setEditable(editable);
    combo_->installEventFilter(this);
    if (combo_->lineEdit()) combo_->lineEdit()->installEventFilter(this);
    // A choice from the list is taken at once.
    connect(combo_, &QComboBox::activated, this, [this] { finish(true); });
    layout->addWidget(combo_, 1);
    focus = combo_;
  } else {
    line_ = new QLineEdit(this);
    line_->setReadOnly(!editable);
    line_->installEventFilter(this);
    layout->addWidget(line_, 1);
    focus = line_;
  }
  if (ellipsis) {
    button_ = new QToolButton(this);
    button_->setText(QStringLiteral("…"));
    button_->setToolTip(QStringLiteral("Edytuj w oknie"));
    connect(button_, &QToolButton::clicked, this, &ValueEditor::ellipsis);
    layout->addWidget(button_);
  }
  setFocusProxy(focus);
  setAutoFillBackground(true);
}

QString ValueEditor::text() const { return combo_ ? combo_->currentText() : line_->text(); }

void ValueEditor::setText(const QString& text) {
  if (line_) {
    line_->setText(text);
    line_->selectAll();
    return;
  }
  const int index = combo_->findText(text, Qt::MatchFixedString);
  if (index >= 0)
    combo_->setCurrentIndex(index);
  else if (combo_->isEditable())
    combo_->setEditText(text);
  else
    combo_->setCurrentIndex(-1);
}

void ValueEditor::setChoices(const QStringList& choices) {
  if (!combo_) return;
  const QSignalBlocker block(combo_);
  combo_->clear();
  combo_->addItems(choices);
}

bool ValueEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      finish(true);
      return true;
    }
    if (key == Qt::Key_Escape) {
      finish(false);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ValueEditor::finish(bool take) {
  if (done_) return;
  done_ = true;
  take ? emit commit() : emit cancel();
}

// --- Delegate --------------------------------------------------------------------------

QWidget* InspectorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
  const int row = inspector_.RowOf(index);
  if (index.column() != 1 || row == kNoRow) return nullptr;
  const InspectorRow& r = inspector_.Model().ReadRow(row);
  if (r.readOnly || isCheckRow(r)) return nullptr;
  const PropertyEditor kind = r.editor;
  // Nested objects are edited through their rows; a font and a picture
  // through their dialogs only.
  // A registered editor's "…" stands for the whole of the value.
  const bool registered = inspector_.HasObjectEditor(row);
  if ((kind == PropertyEditor::Frame || kind == PropertyEditor::Object) && !registered) return nullptr;
  const bool combo = isCombo(kind) && kind != PropertyEditor::Frame && kind != PropertyEditor::Object;
  const bool multiLine = (kind == PropertyEditor::LongText || kind == PropertyEditor::StringList) &&
                         inspector_.Model().EditText(row).contains(QLatin1Char('\n'));
  const bool editable = kind != PropertyEditor::Enumeration && kind != PropertyEditor::Font &&
                        kind != PropertyEditor::Picture && kind != PropertyEditor::Frame &&
                        kind != PropertyEditor::Object && !multiLine;
  auto* editor = new ValueEditor(combo, editable, registered || hasEllipsis(kind), parent);
  if (combo) {
    QStringList choices = inspector_.Model().Choices(row);
    if (kind == PropertyEditor::Event) {
      choices.prepend(QString());
      choices.append(newProcedureCaption());
    }
    editor->setChoices(choices);
  }
  auto* self = const_cast<InspectorDelegate*>(this);
  inspector_.EditorOpened(editor);
  connect(editor, &ValueEditor::commit, self, [self, editor] {
    emit self->commitData(editor);
    emit self->closeEditor(editor, QAbstractItemDelegate::NoHint);
  });
  connect(editor, &ValueEditor::cancel, self,
          [self, editor] { emit self->closeEditor(editor, QAbstractItemDelegate::RevertModelCache); });
  connect(editor, &ValueEditor::ellipsis, self, [self, editor, row, generation = inspector_.Generation()] {
    emit self->closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (generation == self->inspector_.Generation()) self->inspector_.OpenDialog(row);
  });
  return editor;
}

void InspectorDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  const int row = inspector_.RowOf(index);
  if (auto* value = qobject_cast<ValueEditor*>(editor); value && row != kNoRow)
    value->setText(inspector_.Model().EditText(row));
}

void InspectorDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const {
  const int row = inspector_.RowOf(index);
  auto* value = qobject_cast<ValueEditor*>(editor);
  if (!value || row == kNoRow) return;
  // The model changes through the document; the item follows its signals.
  inspector_.ApplyFromEditor(row, value->text());
}

void InspectorDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const {
  editor->setGeometry(option.rect);
}

// --- ObjectInspector ---------------------------------------------------------------------

ObjectInspector::ObjectInspector(DesignerDocument& document, QWidget* parent)
    : QWidget(parent), model_(document, this) {
  setObjectName(QStringLiteral("ObjectInspector"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);

  objects_ = new QComboBox(this);
  objects_->setToolTip(QStringLiteral("Obiekty strony"));
  layout->addWidget(objects_);

  auto* bar = new QHBoxLayout;
  search_ = new QLineEdit(this);
  search_->setPlaceholderText(QStringLiteral("Szukaj właściwości"));
  search_->setClearButtonEnabled(true);
  bar->addWidget(search_, 1);
  byCategory_ = new QToolButton(this);
  byCategory_->setCheckable(true);
  byCategory_->setText(QStringLiteral("Kategorie"));
  byCategory_->setToolTip(QStringLiteral("Według kategorii albo według nazwy"));
  bar->addWidget(byCategory_);
  layout->addLayout(bar);

  auto makeTree = [this] {
    auto* tree = new QTreeWidget(this);
    tree->setColumnCount(2);
    tree->setHeaderLabels({QStringLiteral("Właściwość"), QStringLiteral("Wartość")});
    tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    tree->header()->setStretchLastSection(true);
    tree->setColumnWidth(0, 150);
    tree->setAlternatingRowColors(true);
    tree->setUniformRowHeights(true);
    tree->setTabKeyNavigation(true);
    tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    auto* delegate = new InspectorDelegate(*this, tree);
    tree->setItemDelegate(delegate);
    // Closed editors go later; until then they count as closed.
    connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this](QWidget* editor) { EditorClosed(editor); });
    tree->installEventFilter(this);
    connect(tree, &QTreeWidget::itemChanged, this, &ObjectInspector::itemChanged);
    connect(tree, &QTreeWidget::currentItemChanged, this, [this, tree](QTreeWidgetItem* item) {
      if (filling_) return;
      const int row = RowOf(item);
      tree->setProperty("currentPath", row == kNoRow ? QString() : model_.Row(row).path);
    });
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
      const int row = RowOf(item);
      if (row == kNoRow) return;
      model_.SetExpanded(row, true);
      for (int i = 0; i < item->childCount(); ++i)
        if (const int child = RowOf(item->child(i)); child != kNoRow) updateItem(item->child(i), child);
    });
    connect(tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
      if (const int row = RowOf(item); row != kNoRow) model_.SetExpanded(row, false);
    });
    return tree;
  };
  properties_ = makeTree();
  events_ = makeTree();
  events_->setHeaderLabels({QStringLiteral("Zdarzenie"), QStringLiteral("Procedura")});
  properties_->setObjectName(QStringLiteral("InspectorProperties"));
  events_->setObjectName(QStringLiteral("InspectorEvents"));
  // A click on an event selects it; a double click makes its handler.
  events_->setEditTriggers(QAbstractItemView::EditKeyPressed);
  connect(properties_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
    const int row = RowOf(item);
    if (row != kNoRow && !model_.Row(row).readOnly && !isCheckRow(model_.Row(row))) properties_->editItem(item, 1);
  });
  connect(events_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) { eventActivated(item); });

  tabs_ = new QTabWidget(this);
  tabs_->addTab(properties_, QStringLiteral("Właściwości"));
  tabs_->addTab(events_, QStringLiteral("Zdarzenia"));
  layout->addWidget(tabs_, 1);

  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("InspectorMessage"));
  message_->setWordWrap(false);
  message_->setStyleSheet(QStringLiteral("color: #b00000"));
  layout->addWidget(message_);

  setFocusProxy(properties_);

  connect(search_, &QLineEdit::textChanged, this, [this] { populate(); });
  connect(byCategory_, &QToolButton::toggled, this, [this] { populate(); });
  connect(&model_, &InspectorModel::reset, this, [this] {
    ++generation_;
    message_->clear();
    // The list of the page is made again only when the page or its objects changed.
    if (comboDirty_ || comboPage_ != model_.Document().CurrentPage())
      fillObjectCombo();
    else
      syncObjectCombo();
    // Not under an open editor: it is closed first, then the grid is built.
    if (IsEditing()) {
      if (!populateQueued_) {
        populateQueued_ = true;
        QTimer::singleShot(0, this, [this] {
          populateQueued_ = false;
          populate();
        });
      }
      return;
    }
    populate();
  });
  connect(&model_, &InspectorModel::rowsChanged, this, &ObjectInspector::updateRows);
  connect(&model_, &InspectorModel::objectsChanged, this, &ObjectInspector::fillObjectCombo);
  // A new document may reuse the old page's address: its objects are listed anew.
  connect(&document, &DesignerDocument::documentReplaced, this, &ObjectInspector::fillObjectCombo);
  connect(objects_, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || index >= comboObjects_.size()) return;
    report::TfrxComponent* object = comboObjects_[index];
    if (object == model_.Document().CurrentPage())
      model_.Document().ClearSelection();
    else
      model_.Document().Select(object);
  });
  fillObjectCombo();
  populate();
}

ObjectInspector::~ObjectInspector() = default;

void ObjectInspector::SetTextDialog(TextDialog dialog) { textDialogHook() = std::move(dialog); }

std::optional<QString> ObjectInspector::EditLongText(QWidget* parent, const QString& title, const QString& text) {
  if (textDialogHook()) return textDialogHook()(parent, title, text);
  if (dialogs::mode() != dialogs::Mode::Gui) return std::nullopt;
  QDialog dialog(parent);
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* editor = new QPlainTextEdit(&dialog);
  editor->setPlainText(text);
  editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(editor);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(520, 360);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return editor->toPlainText();
}

void ObjectInspector::EditorOpened(QWidget* editor) {
  openEditors_.insert(editor);
  // Heard through the model, which goes before the grid's editors do.
  connect(editor, &QObject::destroyed, &model_, [this, editor] { openEditors_.remove(editor); });
}

void ObjectInspector::EditorClosed(QWidget* editor) { openEditors_.remove(editor); }

void ObjectInspector::FocusProperties() {
  tabs_->setCurrentWidget(properties_);
  properties_->setFocus(Qt::ShortcutFocusReason);
  if (!properties_->currentItem() && properties_->topLevelItemCount() > 0)
    properties_->setCurrentItem(properties_->topLevelItem(0), 1);
}

QTreeWidgetItem* ObjectInspector::ItemFor(const QString& path) const {
  return items_.value(model_.FindRow(path), nullptr);
}

void ObjectInspector::report(const QString& refusal) {
  message_->setText(refusal);
  if (!refusal.isEmpty()) emit refused(refusal);
}

void ObjectInspector::ApplyFromEditor(int row, const QString& text) {
  const InspectorRow& r = model_.Row(row);
  if (r.event && text == newProcedureCaption()) {
    int line = 0;
    const QString refusal = model_.CreateHandler(row, &line);
    report(refusal);
    if (refusal.isEmpty() && line > 0) emit showCodeAt(line);
    return;
  }
  report(model_.Apply(row, text));
}

bool ObjectInspector::HasObjectEditor(int row) const { return objectEditorFor(row) != nullptr; }

const ObjectEditor* ObjectInspector::objectEditorFor(int row) const {
  if (row < 0 || row >= model_.RowCount() || model_.Objects().isEmpty()) return nullptr;
  const InspectorRow& r = model_.Row(row);
  // Nested rows keep their own editors; the object's editor takes the whole value.
  if (r.parent != -1 || r.event || r.readOnly) return nullptr;
  return ObjectEditors::ForProperty(*model_.Objects().first(), r.path);
}

void ObjectInspector::OpenDialog(int row) {
  if (row < 0 || row >= model_.RowCount()) return;
  if (const ObjectEditor* editor = objectEditorFor(row)) {
    const QList<report::TfrxComponent*> objects = model_.Objects();
    ObjectEditors::Open(*editor, model_.Document(), objects.first(), objects, this, model_.Row(row).path);
    return;
  }
  const InspectorRow& r = model_.Row(row);
  const QString caption = r.caption;
  switch (r.editor) {
    case PropertyEditor::Color: {
      report::TColor current = 0;
      QColor initial = Qt::black;
      if (InspectorModel::ParseColor(r.text, &current) && (quint32(current) >> 24) == 0)
        initial = QColor(int(current & 0xFF), int((current >> 8) & 0xFF), int((current >> 16) & 0xFF));
      if (const std::optional<QColor> color = dialogs::colorDialog(initial, QString(), this))
        report(model_.ApplyColor(row, toColor(*color)));
      return;
    }
    case PropertyEditor::Font: {
      dialogs::FontChoice initial;
      if (!model_.Objects().isEmpty()) {
        // The first object's font stands for all.
        const int name = model_.FindRow(r.path + QStringLiteral(".Name"));
        const int size = model_.FindRow(r.path + QStringLiteral(".Size"));
        if (name >= 0) initial.font.setFamily(model_.ReadRow(name).text);
        if (size >= 0 && model_.ReadRow(size).text.toInt() > 0)
          initial.font.setPointSize(model_.ReadRow(size).text.toInt());
      }
      if (const std::optional<dialogs::FontChoice> font = dialogs::fontDialog(initial, QString(), this)) {
        int style = 0;
        if (font->font.bold()) style |= 1;
        if (font->font.italic()) style |= 2;
        if (font->font.underline()) style |= 4;
        if (font->font.strikeOut()) style |= 8;
        const int size = font->font.pointSize() > 0 ? font->font.pointSize() : 10;
        report(model_.ApplyFont(row, font->font.family(), size, style, toColor(font->color)));
      }
      return;
    }
    case PropertyEditor::LongText:
    case PropertyEditor::StringList: {
      if (const std::optional<QString> text = EditLongText(this, caption, model_.EditText(row)))
        report(model_.Apply(row, *text));
      return;
    }
    case PropertyEditor::Picture: {
      dialogs::FileDialogRequest request;
      request.title = QStringLiteral("Wczytaj obraz");
      request.filter = pictureFileFilter();
      request.fileMustExist = true;
      if (const std::optional<dialogs::FileDialogAnswer> answer = dialogs::fileDialog(request, this))
        if (!answer->files.isEmpty()) report(model_.LoadPicture(row, answer->files.first()));
      return;
    }
    default:
      return;
  }
}

void ObjectInspector::eventActivated(QTreeWidgetItem* item) {
  const int row = RowOf(item);
  if (row == kNoRow || !model_.Row(row).event) return;
  int line = 0;
  const QString refusal = model_.CreateHandler(row, &line);
  report(refusal);
  if (refusal.isEmpty() && line > 0) emit showCodeAt(line);
}

void ObjectInspector::fillObjectCombo() {
  const QSignalBlocker block(objects_);
  comboObjects_.clear();
  objects_->clear();
  objects_->addItems(model_.PageObjectCaptions(&comboObjects_));
  comboPage_ = model_.Document().CurrentPage();
  comboDirty_ = false;
  syncObjectCombo();
}

void ObjectInspector::syncObjectCombo() {
  const QSignalBlocker block(objects_);
  const QList<report::TfrxComponent*>& inspected = model_.Objects();
  objects_->setPlaceholderText(model_.SelectionCaption());
  objects_->setCurrentIndex(inspected.size() == 1 ? int(comboObjects_.indexOf(inspected.first())) : -1);
}

void ObjectInspector::populate() {
  filling_ = true;
  items_.clear();
  populateTree(properties_, false);
  populateTree(events_, true);
  filling_ = false;
}

void ObjectInspector::populateTree(QTreeWidget* tree, bool events) {
  const QString filter = search_->text().trimmed();
  const bool byCategory = byCategory_->isChecked() && !events;
  // The rows were built again: the current row is found again by its path.
  const QString current = tree->property("currentPath").toString();
  tree->setUpdatesEnabled(false);
  tree->clear();
  QTreeWidgetItem* group = nullptr;
  int groupCategory = -1;
  for (int row : model_.TopRows(events, byCategory)) {
    if (!model_.Matches(row, filter)) continue;
    QTreeWidgetItem* parent = nullptr;
    if (byCategory) {
      if (int(model_.Row(row).category) != groupCategory) {
        groupCategory = int(model_.Row(row).category);
        group = new QTreeWidgetItem(tree);
        group->setText(0, report::categoryCaption(model_.Row(row).category));
        group->setFirstColumnSpanned(true);
        QFont bold = group->font(0);
        bold.setBold(true);
        group->setFont(0, bold);
        group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        group->setExpanded(true);
      }
      parent = group;
    }
    const bool own = filter.isEmpty() || model_.Row(row).caption.contains(filter, Qt::CaseInsensitive);
    QTreeWidgetItem* item = addItem(parent, tree, row, own);
    restoreExpansion(item);
    if (group) group->setExpanded(true);
    if (!filter.isEmpty() && !own) item->setExpanded(true);
  }
  if (QTreeWidgetItem* again = items_.value(model_.FindRow(current), nullptr); again && again->treeWidget() == tree)
    tree->setCurrentItem(again, 1);
  tree->setProperty("currentPath", current);
  tree->setUpdatesEnabled(true);
}

QTreeWidgetItem* ObjectInspector::addItem(QTreeWidgetItem* parent, QTreeWidget* tree, int row, bool showAll) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
  item->setData(0, kRowRole, row);
  item->setData(0, kGenerationRole, generation_);
  item->setText(0, model_.Row(row).caption);
  items_.insert(row, item);
  // Rows under a collapsed one are read when it unfolds.
  if (model_.IsShown(row)) updateItem(item, row);
  const QString filter = search_->text().trimmed();
  for (int child : model_.Row(row).children) {
    const bool own = showAll || model_.Row(child).caption.contains(filter, Qt::CaseInsensitive);
    if (own || model_.Matches(child, filter)) addItem(item, tree, child, own);
  }
  return item;
}

void ObjectInspector::restoreExpansion(QTreeWidgetItem* item) {
  for (int i = 0; i < item->childCount(); ++i) restoreExpansion(item->child(i));
  if (const int row = RowOf(item); row != kNoRow && item->childCount() > 0 && model_.IsExpanded(row))
    item->setExpanded(true);
}

void ObjectInspector::updateItem(QTreeWidgetItem* item, int row) {
  const InspectorRow& r = model_.Row(row);
  const bool wasFilling = filling_;
  filling_ = true;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!r.readOnly) {
    if (isCheckRow(r))
      flags |= Qt::ItemIsUserCheckable;
    else if ((r.editor != PropertyEditor::Frame && r.editor != PropertyEditor::Object) || HasObjectEditor(row))
      flags |= Qt::ItemIsEditable;
  }
  item->setFlags(flags);
  item->setText(1, r.text);
  if (isCheckRow(r)) item->setCheckState(1, r.mixed ? Qt::PartiallyChecked : r.checked ? Qt::Checked : Qt::Unchecked);
  item->setForeground(1, r.readOnly ? QApplication::palette().brush(QPalette::Disabled, QPalette::Text)
                                    : QApplication::palette().brush(QPalette::Active, QPalette::Text));
  filling_ = wasFilling;
}

void ObjectInspector::updateRows(const QList<int>& rows) {
  for (int row : rows)
    if (QTreeWidgetItem* item = items_.value(row, nullptr)) updateItem(item, row);
}

void ObjectInspector::itemChanged(QTreeWidgetItem* item, int column) {
  if (filling_ || column != 1) return;
  const int row = RowOf(item);
  if (row == kNoRow || !isCheckRow(model_.Row(row))) return;
  const InspectorRow& r = model_.ReadRow(row);
  const Qt::CheckState state = item->checkState(1);
  const Qt::CheckState shown = r.mixed ? Qt::PartiallyChecked : r.checked ? Qt::Checked : Qt::Unchecked;
  if (state == shown) return;
  const QString refusal = model_.SetChecked(row, state != Qt::Unchecked);
  report(refusal);
  // A refused change puts the box back.
  if (QTreeWidgetItem* again = items_.value(row, nullptr)) updateItem(again, row);
}

bool ObjectInspector::eventFilter(QObject* watched, QEvent* event) {
  auto* tree = qobject_cast<QTreeWidget*>(watched);
  if (tree && event->type() == QEvent::KeyPress && !IsEditing()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    QTreeWidgetItem* item = tree->currentItem();
    const int row = RowOf(item);
    if (row != kNoRow && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2)) {
      const InspectorRow& r = model_.Row(row);
      if (key != Qt::Key_F2 && r.event && r.text.isEmpty()) {
        eventActivated(item);
        return true;
      }
      if (!r.readOnly && !isCheckRow(r) && (item->flags() & Qt::ItemIsEditable)) {
        tree->setCurrentItem(item, 1);
        tree->editItem(item, 1);
        return true;
      }
    }
    if (row != kNoRow && key == Qt::Key_Space && isCheckRow(model_.Row(row)) && !model_.Row(row).readOnly) {
      item->setCheckState(1, item->checkState(1) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace valmoro::designer
