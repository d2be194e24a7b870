#pragma once
// "Zmienne raportu": the report's variables by category, edited in a
// draft that the dialog applies on OK as one undo step. Names must be
// unique and not empty; expressions are checked as they are typed, the way
// preparing the report would check them. A renamed variable may take its
// uses ([Name] and <Name> in text views and in the script) along, in the
// same step.

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
class TfrxVariables;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// The variables being edited, in the report's order: a category entry,
// then its variables.
class VariablesDraft {
public:
  struct Entry {
    int id = 0;  // stable while the draft lives
    bool category = false;
    QString name;
    QString expression;
    // What the report had (an empty name for a new entry): an entry left
    // alone is written back exactly as it was.
    QString originalName;
    QVariant originalValue;
    bool edited = false;
  };

  explicit VariablesDraft(const report::TfrxVariables& variables);

  const std::vector<Entry>& Entries() const { return entries_; }
  const Entry* Find(int id) const;
  // A new category at the end ("Kategoria1", …); its id.
  int AddCategory();
  // A new variable ("Zmienna1", …) after the last variable of the category
  // `nearId` is or belongs to; without one, before the first category.
  int AddVariable(int nearId = -1);
  // A category goes with its variables.
  void Remove(int id);
  void SetName(int id, const QString& name);
  void SetExpression(int id, const QString& expression);

  // Why the entry's name cannot stay ("" when it can).
  QString NameRefusal(int id) const;
  // Variables whose name changed: (old, new).
  QList<QPair<QString, QString>> Renames() const;
  // Replaces the list by the draft.
  void WriteTo(report::TfrxVariables& variables) const;

private:
  Entry* find(int id);
  QString uniqueName(const QString& stem, bool category) const;
  std::vector<Entry> entries_;
  int nextId_ = 1;
};

// Expressions checked as preparing the report checks them: compiled by
// the script engine of a copy of the report (its objects, data sets,
// script and the draft's variables), so the designed report is not touched.
class ExpressionCheck {
public:
  explicit ExpressionCheck(const DesignerDocument& document);
  ~ExpressionCheck();
  // The error in one line; "" when the expression is fine (or empty).
  QString Error(const QString& expression, const VariablesDraft& draft);
  // The same against the report's own variables.
  QString Error(const QString& expression);

  // Where the script engine stops compiling the expression: 1-based line
  // and character within the expression's own text; {0, 0} when it compiles
  // or the engine names no place.
  struct Position {
    int line = 0;
    int column = 0;
    bool operator==(const Position&) const = default;
  };
  Position ErrorPosition(const QString& expression);

  // The expression evaluated over the first row of the data sets it names
  // (the copy's data sets opened for the look, then closed again).
  struct Sample {
    bool noData = false;  // a data set it names has no rows or is missing
    QString text;         // the value's own text
    QString error;        // an error of the evaluation
  };
  Sample FirstRowValue(const QString& expression, const report::TfrxComponent* context = nullptr);

private:
  std::unique_ptr<report::TfrxReport> copy_;
};

// Texts and script lines where a variable is used as [Name] or <Name>.
bool VariableUsed(const report::TfrxReport& report, const QString& name);
// Replaces those uses (the text views' changes are announced).
void RenameVariableUses(report::TfrxReport& report, const QString& oldName, const QString& newName);

class VariablesEditor : public QDialog {
  Q_OBJECT

public:
  explicit VariablesEditor(DesignerDocument& document, QWidget* parent = nullptr);
  ~VariablesEditor() override;

  VariablesDraft& Draft() { return draft_; }
  QTreeWidget* Tree() const { return tree_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* ExpressionEdit() const { return expression_; }
  // The one-line refusal or expression error (empty when all is well).
  QLabel* ErrorLine() const { return error_; }
  QPushButton* AddCategoryButton() const { return addCategory_; }
  QPushButton* AddVariableButton() const { return addVariable_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* OkButton() const;
  // The entry shown in the edit fields (-1 when none).
  int CurrentId() const { return current_; }
  // Selects the entry of that name (a category's name without its blank).
  bool SelectName(const QString& name);

  // OK: the draft checked and applied as one step; false (the dialog
  // stays, the error line says why) when it cannot be.
  bool Apply();
  // Whether OK changed the report.
  bool Applied() const { return applied_; }

  void accept() override;

private:
  void rebuild(int selectId);
  void currentChanged(QTreeWidgetItem* item);
  void nameEdited(const QString& text);
  void expressionEdited(const QString& text);
  QTreeWidgetItem* itemOf(int id) const;
  void showError(const QString& text);

  DesignerDocument& document_;
  VariablesDraft draft_;
  ExpressionCheck check_;
  QTreeWidget* tree_;
  QLineEdit* name_;
  QLineEdit* expression_;
  QLabel* error_;
  QPushButton* addCategory_;
  QPushButton* addVariable_;
  QPushButton* delete_;
  QDialogButtonBox* buttons_;
  int current_ = -1;
  bool applied_ = false;
  bool filling_ = false;
};

// The window's "Zmienne…" command: the dialog, modal; true when OK changed
// the report.
bool EditVariables(DesignerDocument& document, QWidget* parent);

}  // namespace valmoro::designer
