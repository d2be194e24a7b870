#include "designer/expression_editor.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTreeView>
#include <QVBoxLayout>

#include "designer/data_tree.h"
#include "designer/designer_document.h"

namespace valmoro::designer {

QString ExpressionInsertText(const DataTreeModel& model, const QModelIndex& index) {
  const std::optional<DataDragItem> item = model.DragItem(index);
  if (!item) return QString();
  if (item->kind == DataDragItem::Kind::Function) return item->name + QLatin1Char('(');
  return item->CodeText();
}

QString DescribeCheck(ExpressionCheck& check, const QString& expression, const report::TfrxComponent* context) {
  if (expression.trimmed().isEmpty()) return QString();
  const QString error = check.Error(expression);
  if (!error.isEmpty()) {
    const ExpressionCheck::Position at = check.ErrorPosition(expression);
    if (at.line <= 0) return error;
    if (expression.contains(QLatin1Char('\n')) || expression.contains(QLatin1Char('\r')))
      return QStringLiteral("%1 (wiersz %2, znak %3)").arg(error).arg(at.line).arg(at.column);
    return QStringLiteral("%1 (znak %2)").arg(error).arg(at.column);
  }
  const ExpressionCheck::Sample sample = check.FirstRowValue(expression, context);
  if (sample.noData) return QStringLiteral("Brak danych");
  if (!sample.error.isEmpty()) return sample.error;
  return QStringLiteral("Wartość: %1").arg(sample.text);
}

ExpressionEditor::ExpressionEditor(DesignerDocument& document, const QString& expression,
                                   report::TfrxComponent* context, QWidget* parent)
    : QDialog(parent), document_(document), context_(context), checker_(document) {
  setObjectName(QStringLiteral("ExpressionEditor"));
  setWindowTitle(QStringLiteral("Edytor wyrażeń"));
  model_ = new DataTreeModel(document.Report(), this);
  edit_ = new QPlainTextEdit(this);
  edit_->setObjectName(QStringLiteral("ExpressionEdit"));
  edit_->setTabChangesFocus(true);
  edit_->setPlainText(expression);
  tree_ = new QTreeView(this);
  tree_->setObjectName(QStringLiteral("ItemsTree"));
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  description_ = new QLabel(this);
  description_->setObjectName(QStringLiteral("DescriptionPane"));
  description_->setWordWrap(true);
  description_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  result_ = new QLabel(this);
  result_->setObjectName(QStringLiteral("ResultLine"));
  result_->setWordWrap(true);
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  check_ = new QPushButton(QStringLiteral("Sprawdź"), this);
  check_->setObjectName(QStringLiteral("CheckButton"));
  check_->setAutoDefault(false);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(new QLabel(QStringLiteral("Wyrażenie:"), left));
  leftLayout->addWidget(edit_, 1);
  auto* checkRow = new QHBoxLayout;
  checkRow->addWidget(check_);
  checkRow->addWidget(result_, 1);
  leftLayout->addLayout(checkRow);
  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(tree_, 1);
  rightLayout->addWidget(description_);
  auto* splitter = new QSplitter(this);
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addWidget(buttons_);
  resize(760, 420);

  connect(tree_, &QTreeView::doubleClicked, this, &ExpressionEditor::InsertItem);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { showDescription(index); });
  connect(check_, &QPushButton::clicked, this, &ExpressionEditor::Check);
  connect(edit_, &QPlainTextEdit::textChanged, this, [this] { result_->clear(); });
  connect(buttons_, &QDialogButtonBox::accepted, this, &ExpressionEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &ExpressionEditor::reject);
  // The data sets open, the long function list closed.
  const QModelIndex dataSets = model_->Find({DataTreeModel::DataSetsText()});
  if (dataSets.isValid()) tree_->expand(dataSets);
  const QModelIndex variables = model_->Find({DataTreeModel::VariablesText()});
  if (variables.isValid()) tree_->expand(variables);
  edit_->setFocus();
  edit_->moveCursor(QTextCursor::End);
}

ExpressionEditor::~ExpressionEditor() = default;

QPushButton* ExpressionEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

QString ExpressionEditor::Expression() const { return edit_->toPlainText(); }

void ExpressionEditor::SetExpression(const QString& expression) { edit_->setPlainText(expression); }

void ExpressionEditor::InsertItem(const QModelIndex& index) {
  const QString text = ExpressionInsertText(*model_, index);
  if (text.isEmpty()) return;
  edit_->insertPlainText(text);
  edit_->setFocus();
}

void ExpressionEditor::showDescription(const QModelIndex& index) {
  const QString declaration = index.data(DataTreeModel::DeclarationRole).toString();
  const QString description = index.data(DataTreeModel::DescriptionRole).toString();
  const QString expression = index.data(DataTreeModel::ExpressionRole).toString();
  QStringList parts;
  if (!declaration.isEmpty()) parts.append(declaration);
  if (!description.isEmpty()) parts.append(description);
  if (!expression.isEmpty()) parts.append(expression);
  description_->setText(parts.join(QLatin1Char('\n')));
}

void ExpressionEditor::Check() {
  const QString text = Expression();
  result_->setText(text.trimmed().isEmpty() ? QStringLiteral("Wyrażenie jest puste.")
                                            : DescribeCheck(checker_, text, context_));
  // The cursor goes where the engine stopped.
  const ExpressionCheck::Position at = checker_.Error(text).isEmpty() ? ExpressionCheck::Position{}
                                                                       : checker_.ErrorPosition(text);
  if (at.line > 0) {
    const QTextBlock block = edit_->document()->findBlockByNumber(at.line - 1);
    if (block.isValid()) {
      QTextCursor cursor(block);
      cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, std::min(at.column - 1, block.length() - 1));
      edit_->setTextCursor(cursor);
    }
  }
}

bool ExpressionEditor::Confirm() {
  const QString text = Expression();
  if (checker_.Error(text).isEmpty()) return true;
  Check();
  return false;
}

void ExpressionEditor::accept() {
  if (Confirm()) QDialog::accept();
}

std::optional<QString> EditExpression(DesignerDocument& document, const QString& expression,
                                      report::TfrxComponent* context, QWidget* parent) {
  ExpressionEditor editor(document, expression, context, parent);
  if (editor.exec() != QDialog::Accepted) return std::nullopt;
  return editor.Expression();
}

}  // namespace valmoro::designer
