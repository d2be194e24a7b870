#include "designer/variables_editor.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "designer/designer_document.h"
#include "platform/dialogs.h"
#include "report/model/changes.h"
#include "report/model/data_set.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_lists.h"
#include "report/model/resources.h"
#include "script/script.h"

namespace valmoro::designer {

// --- The draft ---------------------------------------------------------------------------

VariablesDraft::VariablesDraft(const report::TfrxVariables& variables) {
  for (int i = 0; i < variables.Count(); ++i) {
    const report::TfrxVariable* v = variables.Item(i);
    Entry e;
    e.id = nextId_++;
    e.category = v->Name().startsWith(QLatin1Char(' '));
    e.name = e.category ? v->Name().mid(1) : v->Name();
    e.originalName = e.name;
    e.originalValue = v->Value();
    if (!e.category && !v->Value().isNull()) e.expression = v->Value().toString();
    entries_.push_back(std::move(e));
  }
}

const VariablesDraft::Entry* VariablesDraft::Find(int id) const {
  const auto it = std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
  return it == entries_.end() ? nullptr : &*it;
}

VariablesDraft::Entry* VariablesDraft::find(int id) { return const_cast<Entry*>(std::as_const(*this).Find(id)); }

QString VariablesDraft::uniqueName(const QString& stem, bool category) const {
  for (int i = 1;; ++i) {
    const QString name = stem + QString::number(i);
    if (std::none_of(entries_.begin(), entries_.end(),
                     [&](const Entry& e) { return e.category == category && e.name == name; }))
      return name;
  }
}

int VariablesDraft::AddCategory() {
  Entry e;
  e.id = nextId_++;
  e.category = true;
  e.name = uniqueName(QStringLiteral("Kategoria"), true);
  e.edited = true;
  entries_.push_back(e);
  return e.id;
}

int VariablesDraft::AddVariable(int nearId) {
  Entry e;
  e.id = nextId_++;
  e.name = uniqueName(QStringLiteral("Zmienna"), false);
  e.edited = true;
  // The block the new variable joins: from its category entry (or the
  // list's start) to the next category.
  size_t at = 0;
  const auto near = std::find_if(entries_.begin(), entries_.end(), [nearId](const Entry& x) { return x.id == nearId; });
  if (near != entries_.end()) {
    at = size_t(near - entries_.begin());
    while (at > 0 && !entries_[at].category) --at;
    if (!entries_[at].category) at = 0;
    else ++at;
  }
  while (at < entries_.size() && !entries_[at].category) ++at;
  entries_.insert(entries_.begin() + std::ptrdiff_t(at), e);
  return e.id;
}

void VariablesDraft::Remove(int id) {
  const auto it = std::find_if(entries_.begin(), entries_.end(), [id](const Entry& e) { return e.id == id; });
  if (it == entries_.end()) return;
  auto end = it + 1;
  if (it->category)
    while (end != entries_.end() && !end->category) ++end;
  entries_.erase(it, end);
}

void VariablesDraft::SetName(int id, const QString& name) {
  if (Entry* e = find(id)) {
    e->name = name;
    e->edited = true;
  }
}

void VariablesDraft::SetExpression(int id, const QString& expression) {
  if (Entry* e = find(id); e && !e->category) {
    e->expression = expression;
    e->edited = true;
  }
}

QString VariablesDraft::NameRefusal(int id) const {
  const Entry* e = Find(id);
  if (e == nullptr) return QString();
  const QString name = e->name.trimmed();
  if (name.isEmpty())
    return e->category ? QStringLiteral("Nazwa kategorii nie może być pusta.")
                       : QStringLiteral("Nazwa zmiennej nie może być pusta.");
  if (name != e->name) return QStringLiteral("Nazwa „%1” nie może zaczynać się ani kończyć odstępem.").arg(name);
  for (const Entry& other : entries_)
    if (other.id != id && other.category == e->category && other.name == e->name)
      return e->category ? QStringLiteral("Kategoria „%1” już istnieje.").arg(name)
                         : QStringLiteral("Zmienna „%1” już istnieje.").arg(name);
  return QString();
}

QList<QPair<QString, QString>> VariablesDraft::Renames() const {
  QList<QPair<QString, QString>> renames;
  for (const Entry& e : entries_)
    if (!e.category && !e.originalName.isEmpty() && e.name != e.originalName) renames.append({e.originalName, e.name});
  return renames;
}

void VariablesDraft::WriteTo(report::TfrxVariables& variables) const {
  variables.Clear();
  for (const Entry& e : entries_) {
    report::TfrxVariable* v = variables.Add();
    v->SetName(e.category ? QLatin1Char(' ') + e.name : e.name);
    // An expression left alone keeps its value as the document had it.
    if (e.category) v->SetValue(e.edited || e.originalName.isEmpty() ? QVariant::fromValue(nullptr) : e.originalValue);
    else if (!e.edited) v->SetValue(e.originalValue);
    else v->SetValue(e.expression);
  }
}

// --- Expressions -------------------------------------------------------------------------

ExpressionCheck::ExpressionCheck(const DesignerDocument& document) : copy_(std::make_unique<report::TfrxReport>()) {
  QBuffer buffer;
  buffer.setData(document.DocumentBytes());
  buffer.open(QIODevice::ReadOnly);
  report::readReportDocument(*copy_, buffer);
  // Names of the report's objects resolve as they do when it is prepared;
  // a script that does not compile leaves the expressions to say so.
  copy_->PrepareScript();
  copy_->Errors().clear();
}

ExpressionCheck::~ExpressionCheck() = default;

QString ExpressionCheck::Error(const QString& expression, const VariablesDraft& draft) {
  if (expression.trimmed().isEmpty()) return QString();
  draft.WriteTo(*copy_->Variables());
  QString error = copy_->CheckExpression(expression);
  error.replace(QLatin1Char('\r'), QLatin1Char(' '));
  error.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return error.simplified();
}

QString ExpressionCheck::Error(const QString& expression) {
  if (expression.trimmed().isEmpty()) return QString();
  QString error = copy_->CheckExpression(expression);
  error.replace(QLatin1Char('\r'), QLatin1Char(' '));
  error.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return error.simplified();
}

ExpressionCheck::Position ExpressionCheck::ErrorPosition(const QString& expression) {
  if (expression.trimmed().isEmpty()) return {};
  // The expression compiled as the report compiles it, but starting on a
  // line of its own, so that the engine's "line:column" points into the
  // expression's text: only the first line carries a prefix to take off.
  const QString language = copy_->ScriptLanguage();
  QString header, prefix, footer;
  if (language.compare(QLatin1String("C++Script"), Qt::CaseInsensitive) == 0) {
    header = QStringLiteral("Variant fr3check() {");
    prefix = QStringLiteral("return ");
    footer = QStringLiteral("; } {}");
  } else if (language.compare(QLatin1String("BasicScript"), Qt::CaseInsensitive) == 0) {
    header = QStringLiteral("function fr3check");
    prefix = QStringLiteral("return ");
    footer = QStringLiteral("end function");
  } else if (language.compare(QLatin1String("JScript"), Qt::CaseInsensitive) == 0) {
    header = QStringLiteral("function fr3check() {");
    prefix = QStringLiteral("return ");
    footer = QStringLiteral("; }");
  } else {
    header = QStringLiteral("function fr3check: Variant;");
    prefix = QStringLiteral("begin Result := ");
    footer = QStringLiteral(" end; begin end.");
  }
  const QStringList lines = script::SplitSourceLines(expression);
  script::TfsScript s(&copy_->Script());
  s.ExtendedIdentChars = copy_->Script().ExtendedIdentChars;
  s.SyntaxType = language;
  s.Lines = QStringList{header};
  for (qsizetype i = 0; i < lines.size(); ++i) s.Lines.append(i == 0 ? prefix + lines[i] : lines[i]);
  s.Lines.append(footer);
  bool compiled = false;
  try {
    compiled = s.CompileSource();
  } catch (const std::exception&) {
  }
  if (compiled && s.ErrorText.isEmpty()) return {};
  const int colon = int(s.ErrorPosition.indexOf(QLatin1Char(':')));
  if (colon < 0) return {};
  int line = s.ErrorPosition.left(colon).toInt() - 1;
  int column = s.ErrorPosition.mid(colon + 1).toInt();
  const int count = int(std::max<qsizetype>(lines.size(), 1));
  if (line < 1 || line > count) {
    // Before or after the expression (it ends too early): its end.
    line = count;
    column = int(lines.isEmpty() ? 0 : lines.last().size()) + 1;
  } else if (line == 1) {
    column = std::max(1, column - int(prefix.size()));
  }
  return {line, std::max(column, 1)};
}

ExpressionCheck::Sample ExpressionCheck::FirstRowValue(const QString& expression, const report::TfrxComponent* context) {
  Sample sample;
  if (expression.trimmed().isEmpty()) return sample;
  report::TfrxReportDataSets& dataSets = *copy_->DataSets();
  // Bound to the copy for this look only, as a run binds them.
  struct Run {
    report::TfrxReportDataSets& sets;
    bool begun = false;
    ~Run() {
      if (!begun) return;
      try {
        sets.EndRun();
      } catch (...) {
      }
    }
  } run{dataSets};
  try {
    // Ended also when one of them refuses to begin.
    run.begun = true;
    dataSets.BeginRun();
    for (int i = 0; i < dataSets.Count(); ++i) {
      report::TfrxDataSet* dataSet = dataSets.Item(i)->DataSet();
      if (dataSet == nullptr) continue;
      const bool named = expression.contains(dataSet->UserName() + QStringLiteral(".\""), Qt::CaseInsensitive);
      if (!named) continue;
      dataSet->First();
      if (dataSet->Eof()) sample.noData = true;
    }
  } catch (const std::exception&) {
    sample.noData = true;
  }
  // A data set it names that the report does not list has no rows either.
  const QString error = Error(expression);
  if (error.startsWith(report::resources::text(u"dbFldNotFound"))) sample.noData = true;
  if (sample.noData) return sample;
  if (!error.isEmpty()) {
    sample.error = error;
    return sample;
  }
  report::TfrxComponent* object = context ? copy_->FindObject(context->Name()) : nullptr;
  copy_->SetCurrentObject(object);
  try {
    sample.text = copy_->CalcVariant(expression).ToString();
  } catch (const std::exception& e) {
    sample.error = QString::fromUtf8(e.what()).simplified();
  }
  copy_->SetCurrentObject(nullptr);
  copy_->Errors().clear();
  return sample;
}

// --- Uses --------------------------------------------------------------------------------

namespace {

QStringList usesOf(const QString& name) {
  return {QLatin1Char('[') + name + QLatin1Char(']'), QLatin1Char('<') + name + QLatin1Char('>')};
}

bool contains(const QString& text, const QStringList& uses) {
  return std::any_of(uses.begin(), uses.end(), [&](const QString& use) { return text.contains(use); });
}

QString replaced(QString text, const QString& oldName, const QString& newName) {
  const QStringList from = usesOf(oldName), to = usesOf(newName);
  for (qsizetype i = 0; i < from.size(); ++i) text.replace(from[i], to[i]);
  return text;
}

}  // namespace

bool VariableUsed(const report::TfrxReport& report, const QString& name) {
  const QStringList uses = usesOf(name);
  for (const QString& line : report.ScriptText())
    if (contains(line, uses)) return true;
  for (const report::TfrxComponent* object : report.AllObjects())
    if (const auto* memo = qobject_cast<const report::TfrxCustomMemoView*>(object); memo && contains(memo->Text(), uses))
      return true;
  return false;
}

void RenameVariableUses(report::TfrxReport& report, const QString& oldName, const QString& newName) {
  QStringList script = report.ScriptText();
  for (QString& line : script) line = replaced(line, oldName, newName);
  report.SetScriptText(script);
  for (report::TfrxComponent* object : report.AllObjects()) {
    auto* memo = qobject_cast<report::TfrxCustomMemoView*>(object);
    if (memo == nullptr) continue;
    const QString before = memo->Text();
    const QString after = replaced(before, oldName, newName);
    if (after == before) continue;
    memo->SetText(after);
    // Said, so that the page shows the new text.
    report::changes::propertyChanged(*memo, QStringLiteral("Text"), before, after);
  }
}

// --- The dialog --------------------------------------------------------------------------

namespace {
constexpr int kIdRole = Qt::UserRole + 1;
}

VariablesEditor::VariablesEditor(DesignerDocument& document, QWidget* parent)
    : QDialog(parent), document_(document), draft_(*document.Report().Variables()), check_(document) {
  setObjectName(QStringLiteral("VariablesEditor"));
  setWindowTitle(QStringLiteral("Zmienne raportu"));
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("VariablesTree"));
  tree_->setHeaderLabels({QStringLiteral("Nazwa"), QStringLiteral("Wyrażenie")});
  tree_->setRootIsDecorated(true);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("NameEdit"));
  expression_ = new QLineEdit(this);
  expression_->setObjectName(QStringLiteral("ExpressionEdit"));
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  addCategory_ = new QPushButton(QStringLiteral("Dodaj kategorię"), this);
  addCategory_->setObjectName(QStringLiteral("AddCategoryButton"));
  addVariable_ = new QPushButton(QStringLiteral("Dodaj zmienną"), this);
  addVariable_->setObjectName(QStringLiteral("AddVariableButton"));
  delete_ = new QPushButton(QStringLiteral("Usuń"), this);
  delete_->setObjectName(QStringLiteral("DeleteButton"));
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* actions = new QHBoxLayout;
  actions->addWidget(addCategory_);
  actions->addWidget(addVariable_);
  actions->addWidget(delete_);
  actions->addStretch(1);
  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Nazwa:"), name_);
  fields->addRow(QStringLiteral("Wyrażenie:"), expression_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(actions);
  layout->addWidget(tree_, 1);
  layout->addLayout(fields);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  resize(520, 420);

  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { currentChanged(item); });
  connect(name_, &QLineEdit::textEdited, this, &VariablesEditor::nameEdited);
  connect(expression_, &QLineEdit::textEdited, this, &VariablesEditor::expressionEdited);
  connect(addCategory_, &QPushButton::clicked, this, [this] { rebuild(draft_.AddCategory()); });
  connect(addVariable_, &QPushButton::clicked, this, [this] { rebuild(draft_.AddVariable(current_)); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (current_ < 0) return;
    draft_.Remove(current_);
    rebuild(-1);
  });
  connect(buttons_, &QDialogButtonBox::accepted, this, &VariablesEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &VariablesEditor::reject);
  rebuild(-1);
}

VariablesEditor::~VariablesEditor() = default;

QPushButton* VariablesEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

void VariablesEditor::rebuild(int selectId) {
  filling_ = true;
  tree_->clear();
  QTreeWidgetItem* category = nullptr;
  for (const VariablesDraft::Entry& e : draft_.Entries()) {
    QTreeWidgetItem* item = nullptr;
    if (e.category) {
      item = category = new QTreeWidgetItem(tree_, {e.name});
      QFont bold = item->font(0);
      bold.setBold(true);
      item->setFont(0, bold);
    } else if (category) {
      item = new QTreeWidgetItem(category, {e.name, e.expression});
    } else {
      item = new QTreeWidgetItem(tree_, {e.name, e.expression});
    }
    item->setData(0, kIdRole, e.id);
  }
  tree_->expandAll();
  filling_ = false;
  QTreeWidgetItem* selected = itemOf(selectId);
  if (selected == nullptr && tree_->topLevelItemCount() > 0) selected = tree_->topLevelItem(0);
  tree_->setCurrentItem(selected);
  currentChanged(selected);
  if (selectId >= 0) {
    name_->setFocus();
    name_->selectAll();
  }
}

QTreeWidgetItem* VariablesEditor::itemOf(int id) const {
  for (QTreeWidgetItemIterator it(tree_); *it; ++it)
    if ((*it)->data(0, kIdRole).toInt() == id) return *it;
  return nullptr;
}

bool VariablesEditor::SelectName(const QString& name) {
  for (const VariablesDraft::Entry& e : draft_.Entries())
    if (e.name == name) {
      tree_->setCurrentItem(itemOf(e.id));
      return true;
    }
  return false;
}

void VariablesEditor::currentChanged(QTreeWidgetItem* item) {
  if (filling_) return;
  const VariablesDraft::Entry* e = item ? draft_.Find(item->data(0, kIdRole).toInt()) : nullptr;
  current_ = e ? e->id : -1;
  name_->setEnabled(e != nullptr);
  expression_->setEnabled(e && !e->category);
  delete_->setEnabled(e != nullptr);
  name_->setText(e ? e->name : QString());
  expression_->setText(e && !e->category ? e->expression : QString());
  QString error = e ? draft_.NameRefusal(e->id) : QString();
  if (error.isEmpty() && e && !e->category && e->edited) error = check_.Error(e->expression, draft_);
  showError(error);
}

void VariablesEditor::nameEdited(const QString& text) {
  if (current_ < 0) return;
  draft_.SetName(current_, text);
  if (QTreeWidgetItem* item = itemOf(current_)) item->setText(0, text);
  showError(draft_.NameRefusal(current_));
}

void VariablesEditor::expressionEdited(const QString& text) {
  if (current_ < 0) return;
  draft_.SetExpression(current_, text);
  if (QTreeWidgetItem* item = itemOf(current_)) item->setText(1, text);
  QString error = draft_.NameRefusal(current_);
  if (error.isEmpty()) error = check_.Error(text, draft_);
  showError(error);
}

void VariablesEditor::showError(const QString& text) { error_->setText(text); }

bool VariablesEditor::Apply() {
  // The first entry that cannot stay is shown with its reason.
  for (const VariablesDraft::Entry& e : draft_.Entries()) {
    QString error = draft_.NameRefusal(e.id);
    if (error.isEmpty() && !e.category && e.edited) error = check_.Error(e.expression, draft_);
    if (!error.isEmpty()) {
      tree_->setCurrentItem(itemOf(e.id));
      showError(error);
      return false;
    }
  }
  QList<QPair<QString, QString>> renames = draft_.Renames();
  report::TfrxReport& report = document_.Report();
  renames.erase(std::remove_if(renames.begin(), renames.end(),
                               [&](const QPair<QString, QString>& r) { return !VariableUsed(report, r.first); }),
                renames.end());
  bool renameUses = false;
  if (!renames.isEmpty()) {
    QStringList pairs;
    for (const auto& [from, to] : renames) pairs.append(QStringLiteral("%1 → %2").arg(from, to));
    renameUses = dialogs::confirm(
        QStringLiteral("Zmieniono nazwy zmiennych używanych w raporcie (%1).\rZmienić je także w tekstach obiektów i w skrypcie?")
            .arg(pairs.join(QStringLiteral(", "))),
        this);
  }
  const int before = document_.UndoStack().index();
  const QString refusal = document_.ChangeReport(QStringLiteral("Zmienne raportu"), [&](report::TfrxReport& r) {
    draft_.WriteTo(*r.Variables());
    if (renameUses)
      for (const auto& [from, to] : renames) RenameVariableUses(r, from, to);
  });
  if (!refusal.isEmpty()) {
    showError(refusal);
    return false;
  }
  applied_ = document_.UndoStack().index() != before;
  return true;
}

void VariablesEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditVariables(DesignerDocument& document, QWidget* parent) {
  VariablesEditor editor(document, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

}  // namespace valmoro::designer
