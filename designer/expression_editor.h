#pragma once
// "Edytor wyrażeń": an expression of the report written with what it can
// name at hand – the data sets with their fields, the report's variables,
// the system variables and the script's functions by category (the data
// tree's model). A double click puts the item in at the cursor. "Sprawdź"
// compiles the expression as preparing the report would and shows the
// error with its place, or the value the expression has over the first row
// of its data. OK refuses an expression that does not compile.

#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <optional>

#include "designer/variables_editor.h"

class QDialogButtonBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeView;

namespace valmoro::report {
class TfrxComponent;
}

namespace valmoro::designer {

class DataTreeModel;
class DesignerDocument;

// What the text is to be put in at the cursor for a data tree item:
// <Wpisy."Temperatura">, <Zmienna>, <Page#>, or a function's name with the
// opening parenthesis ("Copy("); empty for sections and categories.
QString ExpressionInsertText(const DataTreeModel& model, const QModelIndex& index);

// The one-line outcome of checking an expression: the error with its place
// ("… (znak 5)", "… (wiersz 2, znak 3)"), "Brak danych", or
// "Wartość: 4,25". Empty for an empty expression.
QString DescribeCheck(ExpressionCheck& check, const QString& expression, const report::TfrxComponent* context);

class ExpressionEditor : public QDialog {
  Q_OBJECT

public:
  ExpressionEditor(DesignerDocument& document, const QString& expression, report::TfrxComponent* context,
                   QWidget* parent = nullptr);
  ~ExpressionEditor() override;

  QString Expression() const;
  void SetExpression(const QString& expression);

  QPlainTextEdit* ExpressionEdit() const { return edit_; }
  QTreeView* ItemsTree() const { return tree_; }
  DataTreeModel& Model() const { return *model_; }
  // The declaration and description of the function chosen.
  QLabel* DescriptionPane() const { return description_; }
  // What "Sprawdź" and a refused OK say.
  QLabel* ResultLine() const { return result_; }
  QPushButton* CheckButton() const { return check_; }
  QPushButton* OkButton() const;

  // Puts the item's text in at the cursor (what a double click does).
  void InsertItem(const QModelIndex& index);
  // "Sprawdź".
  void Check();
  // OK: false (the dialog stays, the result line says why) when the
  // expression does not compile.
  bool Confirm();
  void accept() override;

private:
  void showDescription(const QModelIndex& index);

  DesignerDocument& document_;
  report::TfrxComponent* context_;
  ExpressionCheck checker_;
  DataTreeModel* model_;
  QPlainTextEdit* edit_;
  QTreeView* tree_;
  QLabel* description_;
  QLabel* result_;
  QPushButton* check_;
  QDialogButtonBox* buttons_;
};

// The dialog, modal; the expression confirmed, nullopt when cancelled.
std::optional<QString> EditExpression(DesignerDocument& document, const QString& expression,
                                      report::TfrxComponent* context, QWidget* parent);

}  // namespace valmoro::designer
