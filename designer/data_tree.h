#pragma once
// The designer's data tree ("Dane"): what expressions of the report can
// name, in four sections – the data sets the report reaches with their
// fields, the report's variables by category, the system variables and the
// script's functions by category with their declarations and descriptions.
// Items are dragged onto the page (field_drop.h) or into the script editor.
// The model reads the report; the widget only shows it.

#include <QPointer>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "designer/field_drop.h"

class QLabel;
class QTimer;
class QTreeView;

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::designer {

class DesignerDocument;

class DataTreeModel : public QStandardItemModel {
  Q_OBJECT

public:
  enum class Kind { Section, DataSet, Field, Category, Variable, SystemVariable, FunctionCategory, Function };
  enum Role {
    KindRole = Qt::UserRole + 1,
    DataSetRole,      // Field: the data set's user name
    NameRole,         // the field, variable or function name
    DeclarationRole,  // Function: "function Copy(s: String; from, count: Integer): String"
    DescriptionRole,  // Function: what it does (Polish)
    ExpressionRole,   // Variable: its expression
  };

  explicit DataTreeModel(report::TfrxReport& report, QObject* parent = nullptr);

  // The section captions, in their order.
  static QString DataSetsText() { return QStringLiteral("Zbiory danych"); }
  static QString VariablesText() { return QStringLiteral("Zmienne"); }
  static QString SystemVariablesText() { return QStringLiteral("Zmienne systemowe"); }
  static QString FunctionsText() { return QStringLiteral("Funkcje"); }
  // The system variables as expressions name them.
  static const QStringList& SystemVariables();
  // The Polish caption of a function category ("ctString" gives "Tekstowe").
  static QString CategoryCaption(const QString& category);

  // Reads the report again. Returns whether anything shown changed (a tree
  // that stays the same is not rebuilt, so what the user expanded stays).
  bool Refresh();

  // The item under a path of captions from a section ("Zbiory danych",
  // "Wpisy", "Temperatura"); invalid when there is none.
  QModelIndex Find(const QStringList& path) const;
  // What dragging the item carries; none for sections and categories.
  std::optional<DataDragItem> DragItem(const QModelIndex& index) const;

  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
  // What the tree shows, as text: rebuilt only when it differs.
  QString signature() const;
  void build();

  report::TfrxReport& report_;
  QString shown_;
};

class DataTree : public QWidget {
  Q_OBJECT

public:
  explicit DataTree(DesignerDocument& document, QWidget* parent = nullptr);

  DataTreeModel& Model() { return model_; }
  QTreeView* View() const { return view_; }
  // The description pane under the tree: the declaration and description of
  // the function chosen, the expression of a variable.
  QLabel* DescriptionPane() const { return description_; }
  // Reads the report again now (it does so by itself after every change).
  void Refresh();

private:
  void scheduleRefresh();
  void showDescription(const QModelIndex& index);

  DesignerDocument& document_;
  DataTreeModel model_;
  QTreeView* view_;
  QLabel* description_;
  QTimer* refresh_;
};

}  // namespace valmoro::designer
