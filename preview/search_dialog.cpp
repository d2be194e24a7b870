#include "preview/search_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/model/resources.h"

namespace valmoro::preview {

namespace {
QString& lastText() {
  static QString text;
  return text;
}
}  // namespace

QString TfrxSearchDialog::LastText() { return lastText(); }
void TfrxSearchDialog::SetLastText(const QString& text) { lastText() = text; }

TfrxSearchDialog::TfrxSearchDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SearchDialog"));
  setWindowTitle(QStringLiteral("Wyszukiwanie tekstu"));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Szukany tekst:"), this), 0, 0);
  textE_ = new QLineEdit(lastText(), this);
  textE_->setObjectName(QStringLiteral("TextE"));
  textE_->selectAll();
  grid->addWidget(textE_, 0, 1);
  auto* replaceL = new QLabel(QStringLiteral("Zamień na:"), this);
  replaceE_ = new QLineEdit(this);
  replaceE_->setObjectName(QStringLiteral("ReplaceE"));
  grid->addWidget(replaceL, 1, 0);
  grid->addWidget(replaceE_, 1, 1);
  replaceL->hide();
  replaceE_->hide();
  layout->addLayout(grid);
  caseCB_ = new QCheckBox(QStringLiteral("Rozróżniaj wielkość liter"), this);
  caseCB_->setObjectName(QStringLiteral("CaseCB"));
  topCB_ = new QCheckBox(QStringLiteral("Szukaj od początku"), this);
  topCB_->setObjectName(QStringLiteral("TopCB"));
  layout->addWidget(caseCB_);
  layout->addWidget(topCB_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  okB_ = new QPushButton(report::resources::text(u"1"), this);
  okB_->setObjectName(QStringLiteral("OkB"));
  okB_->setDefault(true);
  cancelB_ = new QPushButton(report::resources::text(u"2"), this);
  cancelB_->setObjectName(QStringLiteral("CancelB"));
  buttons->addWidget(okB_);
  buttons->addWidget(cancelB_);
  layout->addLayout(buttons);
  connect(okB_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelB_, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrxSearchDialog::accept() {
  SetLastText(textE_->text());
  QDialog::accept();
}

}  // namespace valmoro::preview
