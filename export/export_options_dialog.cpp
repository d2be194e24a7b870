#include "export/export_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <deque>

#include "platform/dialogs.h"

namespace valmoro::exports {

void ExportOptionsForm::beginTab(const QString& text) {
  currentTab = text;
  currentGroup.clear();
}

void ExportOptionsForm::beginGroup(const QString& text) { currentGroup = text; }

void ExportOptionsForm::append(Option option) {
  option.tab = currentTab;
  option.group = currentGroup;
  options.append(std::move(option));
}

void ExportOptionsForm::addCheck(const QString& key, const QString& text, bool value) {
  Option option;
  option.key = key;
  option.caption = text;
  option.checked = value;
  append(std::move(option));
}

void ExportOptionsForm::addList(const QString& key, const QString& text, const QStringList& items, int value) {
  Option option;
  option.key = key;
  option.caption = text;
  option.isList = true;
  option.items = items;
  option.index = value;
  append(std::move(option));
}

void ExportOptionsForm::addText(const QString& key, const QString& text, const QString& value) {
  Option option;
  option.key = key;
  option.caption = text;
  option.isText = true;
  option.text = value;
  append(std::move(option));
}

void ExportOptionsForm::addPassword(const QString& key, const QString& text, const QString& value) {
  addText(key, text, value);
  options.last().masked = true;
}

QString ExportOptionsForm::text(const QString& key) const {
  const Option* option = find(key);
  return option != nullptr ? option->text : QString();
}

void ExportOptionsForm::setText(const QString& key, const QString& value) {
  if (Option* option = find(key)) option->text = value;
}

QStringList ExportOptionsForm::tabs() const {
  QStringList result;
  for (const Option& option : options)
    if (!result.contains(option.tab)) result.append(option.tab);
  return result;
}

ExportOptionsForm::Option* ExportOptionsForm::find(const QString& key) {
  for (Option& option : options)
    if (option.key == key) return &option;
  return nullptr;
}

const ExportOptionsForm::Option* ExportOptionsForm::find(const QString& key) const {
  for (const Option& option : options)
    if (option.key == key) return &option;
  return nullptr;
}

bool ExportOptionsForm::checked(const QString& key) const {
  const Option* option = find(key);
  return option != nullptr && option->checked;
}

int ExportOptionsForm::index(const QString& key) const {
  const Option* option = find(key);
  return option != nullptr ? option->index : 0;
}

void ExportOptionsForm::setChecked(const QString& key, bool value) {
  if (Option* option = find(key)) option->checked = value;
}

void ExportOptionsForm::setIndex(const QString& key, int value) {
  if (Option* option = find(key)) option->index = value;
}

void ExportOptionsForm::hide(const QString& key) {
  if (Option* option = find(key)) option->visible = false;
}

void ExportOptionsForm::disable(const QString& key) {
  if (Option* option = find(key)) option->enabled = false;
}

QString pageRangeCaption() { return QStringLiteral("Zakres stron"); }

bool isPageNumberText(const QString& text) {
  for (QChar c : text)
    if (!(c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('-'))) return false;
  return true;
}

namespace {

std::deque<std::optional<std::function<void(ExportOptionsForm&)>>>& answers() {
  static std::deque<std::optional<std::function<void(ExportOptionsForm&)>>> queue;
  return queue;
}

bool runWindow(ExportOptionsForm& form) {
  QDialog dialog;
  dialog.setWindowTitle(form.caption);
  auto* layout = new QVBoxLayout(&dialog);

  auto* range = new QGroupBox(pageRangeCaption(), &dialog);
  auto* rangeLayout = new QVBoxLayout(range);
  auto* all = new QRadioButton(QStringLiteral("Wszystkie"), range);
  auto* current = new QRadioButton(QStringLiteral("Bieżąca strona"), range);
  auto* numbers = new QRadioButton(QStringLiteral("Strony:"), range);
  auto* field = new QLineEdit(form.pageNumbers, range);
  field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,\\-]*")), field));
  auto* hint = new QLabel(QStringLiteral("Podaj numer strony i/lub zakres stron, oddzielone przecinkami, np.1,3,5-12"),
                          range);
  hint->setWordWrap(true);
  for (QWidget* w : {static_cast<QWidget*>(all), static_cast<QWidget*>(current), static_cast<QWidget*>(numbers),
                     static_cast<QWidget*>(field), static_cast<QWidget*>(hint)})
    rangeLayout->addWidget(w);
  all->setChecked(form.pageChoice == ExportOptionsForm::PageChoice::All);
  current->setChecked(form.pageChoice == ExportOptionsForm::PageChoice::Current);
  numbers->setChecked(form.pageChoice == ExportOptionsForm::PageChoice::Pages);
  // Typing a page number chooses the pages.
  QObject::connect(field, &QLineEdit::textEdited, numbers, [numbers] { numbers->setChecked(true); });

  // One page per tab; without tabs the options sit under the page range as
  // before. Within a page each titled group gets its own box.
  const QStringList tabNames = form.tabs();
  const bool tabbed = tabNames.size() > 1 || (tabNames.size() == 1 && !tabNames.first().isEmpty());
  QTabWidget* tabWidget = tabbed ? new QTabWidget(&dialog) : nullptr;
  // Every tab's title in sight: the dialog widens instead of scrolling them.
  if (tabWidget) tabWidget->setUsesScrollButtons(false);
  QHash<QString, QVBoxLayout*> pageLayouts;
  QHash<QString, QVBoxLayout*> groupLayouts;
  auto pageLayout = [&](const QString& tab) {
    if (QVBoxLayout* found = pageLayouts.value(tab)) return found;
    QVBoxLayout* created = nullptr;
    if (tabWidget) {
      auto* pageWidget = new QWidget(tabWidget);
      created = new QVBoxLayout(pageWidget);
      tabWidget->addTab(pageWidget, tab);
    } else {
      created = layout;
    }
    pageLayouts.insert(tab, created);
    return created;
  };
  auto groupLayout = [&](const ExportOptionsForm::Option& option) {
    QVBoxLayout* page = pageLayout(option.tab);
    // Untabbed forms keep every option in the shared settings group.
    const QString title = option.group.isEmpty() && !tabbed ? QStringLiteral("Ustawienia eksportu") : option.group;
    if (title.isEmpty()) return page;
    const QString id = option.tab + QLatin1Char('\n') + title;
    if (QVBoxLayout* found = groupLayouts.value(id)) return found;
    auto* box = new QGroupBox(title, page->parentWidget());
    auto* created = new QVBoxLayout(box);
    page->addWidget(box);
    groupLayouts.insert(id, created);
    return created;
  };
  if (!tabbed) layout->addWidget(range);
  QList<QWidget*> editors;
  for (const ExportOptionsForm::Option& option : form.options) {
    QVBoxLayout* into = groupLayout(option);
    QWidget* parent = into->parentWidget();
    if (option.isList || option.isText) {
      auto* label = new QLabel(option.caption, parent);
      QWidget* editor = nullptr;
      if (option.isList) {
        auto* combo = new QComboBox(parent);
        combo->addItems(option.items);
        combo->setCurrentIndex(option.index);
        editor = combo;
      } else {
        auto* edit = new QLineEdit(option.text, parent);
        if (option.masked) {
          edit->setEchoMode(QLineEdit::Password);
          edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
        }
        editor = edit;
      }
      label->setBuddy(editor);
      label->setVisible(option.visible);
      editor->setVisible(option.visible);
      label->setEnabled(option.enabled);
      editor->setEnabled(option.enabled);
      into->addWidget(label);
      into->addWidget(editor);
      editors.append(editor);
    } else {
      auto* box = new QCheckBox(option.caption, parent);
      box->setChecked(option.checked);
      box->setVisible(option.visible);
      box->setEnabled(option.enabled);
      into->addWidget(box);
      editors.append(box);
    }
  }
  if (tabbed) {
    // The page range belongs with the export settings on the first page.
    QVBoxLayout* first = pageLayout(tabNames.first());
    range->setParent(first->parentWidget());
    first->addWidget(range);
    for (QVBoxLayout* page : std::as_const(pageLayouts)) page->addStretch();
    layout->addWidget(tabWidget);
  }

  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);

  if (dialog.exec() != QDialog::Accepted) return false;
  form.pageChoice = current->isChecked()   ? ExportOptionsForm::PageChoice::Current
                    : numbers->isChecked() ? ExportOptionsForm::PageChoice::Pages
                                           : ExportOptionsForm::PageChoice::All;
  form.pageNumbers = field->text();
  for (int i = 0; i < form.options.size(); ++i) {
    if (auto* combo = qobject_cast<QComboBox*>(editors[i])) form.options[i].index = combo->currentIndex();
    else if (auto* box = qobject_cast<QCheckBox*>(editors[i])) form.options[i].checked = box->isChecked();
    else if (auto* edit = qobject_cast<QLineEdit*>(editors[i])) form.options[i].text = edit->text();
  }
  return true;
}

}  // namespace

void queueExportOptionsAnswer(std::optional<std::function<void(ExportOptionsForm&)>> answer) {
  answers().push_back(std::move(answer));
}

bool runExportOptionsForm(ExportOptionsForm& form) {
  switch (dialogs::mode()) {
    case dialogs::Mode::Gui:
      return runWindow(form);
    case dialogs::Mode::Recording: {
      dialogs::showMessage(form.caption);
      if (answers().empty()) return true;
      auto answer = std::move(answers().front());
      answers().pop_front();
      if (!answer.has_value()) return false;
      (*answer)(form);
      return true;
    }
    case dialogs::Mode::Console:
    case dialogs::Mode::Output:
      return true;
  }
  return true;
}

}  // namespace valmoro::exports
