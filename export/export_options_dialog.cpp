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
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <deque>

#include "platform/dialogs.h"

namespace valmoro::exports {

void ExportOptionsForm::addCheck(const QString& key, const QString& text, bool value) {
  Option option;
  option.key = key;
  option.caption = text;
  option.checked = value;
  options.append(option);
}

void ExportOptionsForm::addList(const QString& key, const QString& text, const QStringList& items, int value) {
  Option option;
  option.key = key;
  option.caption = text;
  option.isList = true;
  option.items = items;
  option.index = value;
  options.append(option);
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
  layout->addWidget(range);

  auto* group = new QGroupBox(QStringLiteral("Ustawienia eksportu"), &dialog);
  auto* groupLayout = new QVBoxLayout(group);
  QList<QWidget*> editors;
  for (const ExportOptionsForm::Option& option : form.options) {
    if (option.isList) {
      auto* label = new QLabel(option.caption, group);
      auto* combo = new QComboBox(group);
      combo->addItems(option.items);
      combo->setCurrentIndex(option.index);
      label->setVisible(option.visible);
      combo->setVisible(option.visible);
      groupLayout->addWidget(label);
      groupLayout->addWidget(combo);
      editors.append(combo);
    } else {
      auto* box = new QCheckBox(option.caption, group);
      box->setChecked(option.checked);
      box->setVisible(option.visible);
      groupLayout->addWidget(box);
      editors.append(box);
    }
  }
  layout->addWidget(group);

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
