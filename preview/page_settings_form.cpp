#include "preview/page_settings_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

#include "platform/dialogs.h"
#include "platform/printers.h"
#include "report/model/paper_table.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"

namespace valmoro::preview {

std::vector<std::pair<int, QString>> TfrxPageSettingsForm::Papers() {
  // The papers of the current printer (the virtual one when the machine has
  // none); the first entry is the custom size.
  std::vector<std::pair<int, QString>> papers;
  for (const printers::PrinterListEntry& entry : printers::frxPrinters().Printer()->Papers())
    papers.emplace_back(entry.code, entry.name);
  return papers;
}

TfrxPageSettingsForm::TfrxPageSettingsForm(report::TfrxReportPage& page, bool inches, QWidget* parent)
    : QDialog(parent), inches_(inches) {
  setObjectName(QStringLiteral("PageSettingsForm"));
  setWindowTitle(QStringLiteral("Ustawienia strony"));
  auto* layout = new QVBoxLayout(this);

  auto* paperBox = new QGroupBox(QStringLiteral("Papier"), this);
  auto* paperForm = new QFormLayout(paperBox);
  paperCB_ = new QComboBox(paperBox);
  paperCB_->setObjectName(QStringLiteral("PaperCB"));
  for (const auto& [code, name] : Papers()) paperCB_->addItem(name, code);
  paperForm->addRow(QStringLiteral("Rozmiar"), paperCB_);
  widthE_ = new QLineEdit(paperBox);
  widthE_->setObjectName(QStringLiteral("WidthE"));
  heightE_ = new QLineEdit(paperBox);
  heightE_->setObjectName(QStringLiteral("HeightE"));
  paperForm->addRow(QStringLiteral("Szerokość"), widthE_);
  paperForm->addRow(QStringLiteral("Wysokość"), heightE_);
  paperForm->addRow(QString(), new QLabel(UnitLabel(), paperBox));
  layout->addWidget(paperBox);

  auto* orientationBox = new QGroupBox(QStringLiteral("Orientacja"), this);
  auto* orientationLayout = new QHBoxLayout(orientationBox);
  portraitRB_ = new QRadioButton(QStringLiteral("Pionowa"), orientationBox);
  landscapeRB_ = new QRadioButton(QStringLiteral("Pozioma"), orientationBox);
  portraitRB_->setObjectName(QStringLiteral("PortraitRB"));
  landscapeRB_->setObjectName(QStringLiteral("LandscapeRB"));
  orientationLayout->addWidget(portraitRB_);
  orientationLayout->addWidget(landscapeRB_);
  layout->addWidget(orientationBox);

  auto* marginBox = new QGroupBox(QStringLiteral("Marginesy"), this);
  auto* marginGrid = new QGridLayout(marginBox);
  const char* names[4] = {"Lewy", "Górny", "Prawy", "Dolny"};
  for (int i = 0; i < 4; ++i) {
    margins_[i] = new QLineEdit(marginBox);
    margins_[i]->setObjectName(QStringLiteral("MarginE%1").arg(i));
    marginGrid->addWidget(new QLabel(QString::fromUtf8(names[i]), marginBox), i / 2, (i % 2) * 2);
    marginGrid->addWidget(margins_[i], i / 2, (i % 2) * 2 + 1);
  }
  layout->addWidget(marginBox);

  auto* applyBox = new QGroupBox(this);
  auto* applyLayout = new QVBoxLayout(applyBox);
  thisPageRB_ = new QRadioButton(QStringLiteral("Zastosuj do bieżącej strony"), applyBox);
  allPagesRB_ = new QRadioButton(QStringLiteral("Zastosuj do wszystkich stron"), applyBox);
  thisPageRB_->setObjectName(QStringLiteral("ThisPageRB"));
  allPagesRB_->setObjectName(QStringLiteral("AllPagesRB"));
  allPagesRB_->setChecked(true);
  applyLayout->addWidget(thisPageRB_);
  applyLayout->addWidget(allPagesRB_);
  layout->addWidget(applyBox);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  okB_ = new QPushButton(report::resources::text(u"1"), this);
  okB_->setDefault(true);
  cancelB_ = new QPushButton(report::resources::text(u"2"), this);
  buttons->addWidget(okB_);
  buttons->addWidget(cancelB_);
  layout->addLayout(buttons);
  connect(okB_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelB_, &QPushButton::clicked, this, &QDialog::reject);

  // The page as it is.
  updating_ = true;
  const int index = paperCB_->findData(page.PaperSize());
  paperCB_->setCurrentIndex(index < 0 ? 0 : index);
  widthE_->setText(show(page.PaperWidth()));
  heightE_->setText(show(page.PaperHeight()));
  (page.Orientation() == report::poLandscape ? landscapeRB_ : portraitRB_)->setChecked(true);
  const double m[4] = {page.LeftMargin(), page.TopMargin(), page.RightMargin(), page.BottomMargin()};
  for (int i = 0; i < 4; ++i) margins_[i]->setText(show(m[i]));
  updating_ = false;

  connect(paperCB_, &QComboBox::activated, this, [this] { paperChosen(); });
  connect(portraitRB_, &QRadioButton::toggled, this, [this] { paperChosen(); });
  connect(widthE_, &QLineEdit::textEdited, this, [this] { sizeTyped(); });
  connect(heightE_, &QLineEdit::textEdited, this, [this] { sizeTyped(); });
}

QString TfrxPageSettingsForm::UnitLabel() const { return inches_ ? QStringLiteral("in") : QStringLiteral("cm"); }

QString TfrxPageSettingsForm::show(double millimetres) const {
  const double value = inches_ ? millimetres / 25.4 : millimetres / 10;
  QString text = QString::number(std::round(value * 100) / 100, 'f', 2);
  while (text.endsWith(QLatin1Char('0'))) text.chop(1);
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

bool TfrxPageSettingsForm::read(const QLineEdit* edit, double& millimetres) const {
  QString text = edit->text().trimmed();
  text.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !std::isfinite(value) || value < 0 || value > 10000) return false;
  millimetres = inches_ ? value * 25.4 : value * 10;
  return true;
}

void TfrxPageSettingsForm::paperChosen() {
  if (updating_) return;
  const int code = paperCB_->currentData().toInt();
  if (code == report::kCustomPaperSize) {
    // The custom size keeps what was typed, turned with the orientation.
    double w = 0, h = 0;
    if (!read(widthE_, w) || !read(heightE_, h)) return;
    const bool landscape = landscapeRB_->isChecked();
    if ((w > h) != landscape && w != h) std::swap(w, h);
    widthE_->setText(show(w));
    heightE_->setText(show(h));
    return;
  }
  // The printer answers the size of its paper in the chosen orientation.
  printers::TfrxCustomPrinter* printer = printers::frxPrinters().Printer();
  const printers::Orientation orientation =
      landscapeRB_->isChecked() ? printers::Orientation::Landscape : printers::Orientation::Portrait;
  double w = 0, h = 0;
  if (!read(widthE_, w) || !read(heightE_, h)) w = h = 0;
  printer->SetViewParams(code, w, h, orientation);
  widthE_->setText(show(printer->PaperWidth()));
  heightE_->setText(show(printer->PaperHeight()));
}

void TfrxPageSettingsForm::sizeTyped() { paperCB_->setCurrentIndex(0); }

bool TfrxPageSettingsForm::ApplyToAll() const { return allPagesRB_->isChecked(); }

void TfrxPageSettingsForm::accept() {
  const QLineEdit* edits[6] = {widthE_, heightE_, margins_[0], margins_[1], margins_[2], margins_[3]};
  const char* names[6] = {"Szerokość", "Wysokość", "Lewy", "Górny", "Prawy", "Dolny"};
  for (int i = 0; i < 6; ++i) {
    if (!read(edits[i], values_[i]) || (i < 2 && values_[i] <= 0)) {
      dialogs::showMessage(QStringLiteral("Nieprawidłowa wartość w polu \"%1\": %2")
                               .arg(QString::fromUtf8(names[i]), edits[i]->text()),
                           this);
      return;
    }
  }
  if (values_[2] + values_[4] >= values_[0] || values_[3] + values_[5] >= values_[1]) {
    dialogs::showMessage(QStringLiteral("Marginesy nie mieszczą się na stronie tej wielkości."), this);
    return;
  }
  QDialog::accept();
}

void TfrxPageSettingsForm::ApplyTo(report::TfrxReportPage& page) const {
  const report::TPrinterOrientation orientation =
      landscapeRB_->isChecked() ? report::poLandscape : report::poPortrait;
  // Orientation first: it swaps the sides and turns the margins, which the
  // values typed then replace. A named paper's code comes last, so that its
  // table size (the same as typed) is kept with the code.
  page.SetOrientation(orientation);
  page.SetPaperWidth(values_[0]);
  page.SetPaperHeight(values_[1]);
  page.SetPaperSize(paperCB_->currentData().toInt());
  page.SetLeftMargin(values_[2]);
  page.SetTopMargin(values_[3]);
  page.SetRightMargin(values_[4]);
  page.SetBottomMargin(values_[5]);
}

}  // namespace valmoro::preview
