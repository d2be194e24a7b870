#pragma once
// The object inspector: a panel beside the workspace listing the published
// properties and events of the selected objects, each edited in place by
// the editor its kind asks for. The widget is thin: rows, values and every
// change are the InspectorModel's.
//
// Keyboard: arrows and Tab move through the grid, F2 or Enter edits the
// value, Enter takes it, Esc drops it; Space turns a check box; Enter on an
// empty event (or a double click) makes its handler.

#include <QHash>
#include <QSet>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>
#include <optional>

#include "designer/inspector_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace valmoro::designer {

class DesignerDocument;
struct ObjectEditor;

// The editor of one value: a line edit or a combo, with "…" when a dialog
// edits the value. Enter takes the value, Esc drops it.
class ValueEditor : public QWidget {
  Q_OBJECT
public:
  ValueEditor(bool combo, bool editable, bool ellipsis, QWidget* parent);
  QString text() const;
  void setText(const QString& text);
  void setChoices(const QStringList& choices);
  QComboBox* Combo() const { return combo_; }
  QLineEdit* Line() const { return line_; }
  QToolButton* Button() const { return button_; }

signals:
  void commit();
  void cancel();
  void ellipsis();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void finish(bool take);
  QComboBox* combo_ = nullptr;
  QLineEdit* line_ = nullptr;
  QToolButton* button_ = nullptr;
  bool done_ = false;
};

class ObjectInspector : public QWidget {
  Q_OBJECT

public:
  explicit ObjectInspector(DesignerDocument& document, QWidget* parent = nullptr);
  ~ObjectInspector() override;

  InspectorModel& Model() { return model_; }

  QComboBox* ObjectCombo() const { return objects_; }
  QLineEdit* SearchBox() const { return search_; }
  QToolButton* CategoryToggle() const { return byCategory_; }
  QTabWidget* Tabs() const { return tabs_; }
  QTreeWidget* PropertyTree() const { return properties_; }
  QTreeWidget* EventTree() const { return events_; }
  QLabel* MessageLabel() const { return message_; }
  // The item showing a row's path on either tab; none when hidden.
  QTreeWidgetItem* ItemFor(const QString& path) const;
  // Keyboard focus to the property grid (the window's "go to inspector").
  void FocusProperties();

  // A long text (memo lines, a script, a string list) edited in a dialog
  // with a plain text editor; nullopt when cancelled. Replaceable for
  // tests; without a replacement the dialog shows only in the desktop mode
  // of the dialog layer and is cancelled in the others.
  using TextDialog = std::function<std::optional<QString>(QWidget* parent, const QString& title, const QString& text)>;
  static void SetTextDialog(TextDialog dialog);
  static std::optional<QString> EditLongText(QWidget* parent, const QString& title, const QString& text);

  // What the delegate hands over: a value typed or chosen, "…" pressed.
  void ApplyFromEditor(int row, const QString& text);
  // The model row an item of the grid shows; -1 for a group caption or an
  // item left from rows built before.
  int RowOf(const QModelIndex& index) const;
  int RowOf(const QTreeWidgetItem* item) const;
  // Counts the times the rows were built again.
  int Generation() const { return generation_; }
  // The dialog of a row: the object editor registered for its property
  // (ObjectEditors), else the row's own (colour, font, text, picture).
  void OpenDialog(int row);
  bool HasObjectEditor(int row) const;
  // An editor of the grid is open (until it is destroyed).
  void EditorOpened(QWidget* editor);
  void EditorClosed(QWidget* editor);
  bool IsEditing() const { return !openEditors_.isEmpty(); }

signals:
  // A value was refused: one Polish line, also shown in the message label.
  void refused(const QString& message);
  // A handler was made or chosen: the code tab shows this line (from 1).
  void showCodeAt(int line);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  const ObjectEditor* objectEditorFor(int row) const;
  void populate();
  void populateTree(QTreeWidget* tree, bool events);
  QTreeWidgetItem* addItem(QTreeWidgetItem* parent, QTreeWidget* tree, int row, bool showAll);
  void updateItem(QTreeWidgetItem* item, int row);
  void restoreExpansion(QTreeWidgetItem* item);
  void updateRows(const QList<int>& rows);
  void fillObjectCombo();
  void syncObjectCombo();
  void report(const QString& refusal);
  void itemChanged(QTreeWidgetItem* item, int column);
  void eventActivated(QTreeWidgetItem* item);

  InspectorModel model_;
  QComboBox* objects_;
  QLineEdit* search_;
  QToolButton* byCategory_;
  QTabWidget* tabs_;
  QTreeWidget* properties_;
  QTreeWidget* events_;
  QLabel* message_;
  QList<report::TfrxComponent*> comboObjects_;
  QHash<int, QTreeWidgetItem*> items_;
  bool filling_ = false;
  bool populateQueued_ = false;
  QSet<QWidget*> openEditors_;
  int generation_ = 0;  // of the rows the items show
  const void* comboPage_ = nullptr;  // the page the object combo lists
  bool comboDirty_ = true;
};

// Makes the editors of the value column.
class InspectorDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  InspectorDelegate(ObjectInspector& inspector, QObject* parent) : QStyledItemDelegate(parent), inspector_(inspector) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
  ObjectInspector& inspector_;
};

// The entry of an event combo that makes a new handler.
QString newProcedureCaption();

}  // namespace valmoro::designer
