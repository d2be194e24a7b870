#include "preview/print_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "platform/dialogs.h"
#include "platform/paper_table.h"
#include "platform/printers.h"
#include "preview/print_math.h"
#include "report/model/report.h"
#include "report/model/resources.h"

namespace valmoro::preview {

std::optional<QString> AskPdfFileName(const QString& title, QWidget* parent) {
  dialogs::FileDialogRequest request;
  request.save = true;
  request.title = title;
  request.filter = kPdfFileFilter;
  request.defaultExt = QStringLiteral("pdf");
  request.overwritePrompt = true;
  const std::optional<dialogs::FileDialogAnswer> answer = dialogs::fileDialog(request, parent);
  if (!answer || answer->files.isEmpty()) return std::nullopt;
  const QFileInfo chosen(answer->files.first());
  return chosen.dir().filePath(chosen.completeBaseName() + QStringLiteral(".pdf"));
}

namespace {

QString res(const char* name) { return report::resources::text(QString::fromLatin1(name)); }

// Small drawn pictures: a sheet with a number, stacks of sheets, the modes.
void sheet(QPainter& p, QRect r, const QString& label) {
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawRect(r);
  if (!label.isEmpty()) p.drawText(r, Qt::AlignCenter, label);
}

QPixmap collatePicture(bool collate) {
  QPixmap pm(96, 36);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  QFont f = p.font();
  f.setPixelSize(10);
  p.setFont(f);
  const QStringList order = collate ? QStringList{"3", "2", "1", "3", "2", "1"} : QStringList{"3", "3", "2", "2", "1", "1"};
  for (int stack = 0; stack < 2; ++stack)
    for (int i = 0; i < 3; ++i) sheet(p, QRect(4 + stack * 48 + i * 6, 2 + i * 5, 18, 24), order[stack * 3 + i]);
  return pm;
}

QPixmap modePicture(int mode) {
  QPixmap pm(28, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  switch (mode) {
    case 1:  // one large page over two sheets
      sheet(p, QRect(1, 2, 12, 16), QString());
      sheet(p, QRect(14, 2, 12, 16), QString());
      p.drawRect(4, 5, 20, 10);
      break;
    case 2:  // two pages on one sheet
      sheet(p, QRect(5, 2, 18, 16), QString());
      p.drawRect(7, 4, 6, 12);
      p.drawRect(15, 4, 6, 12);
      break;
    case 3:  // a page stretched to the sheet
      sheet(p, QRect(5, 1, 16, 18), QString());
      p.drawRect(8, 4, 6, 8);
      p.drawLine(14, 12, 19, 17);
      break;
    default:
      sheet(p, QRect(8, 1, 12, 18), QString());
      break;
  }
  return pm;
}

QPixmap printerPicture() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawRect(4, 1, 8, 5);
  p.setBrush(Qt::lightGray);
  p.drawRect(1, 6, 14, 6);
  p.setBrush(Qt::white);
  p.drawRect(4, 10, 8, 5);
  return pm;
}

}  // namespace

TfrxPrintDialog::TfrxPrintDialog(report::TfrxReport& report, int duplex, int currentPage, QWidget* parent)
    : QDialog(parent), report_(report), duplex_(duplex), currentPage_(currentPage) {
  setWindowTitle(res("200"));
  auto* layout = new QGridLayout(this);

  // Printer.
  auto* printerBox = new QGroupBox(res("201"), this);
  auto* pl = new QGridLayout(printerBox);
  printers_ = new QComboBox(printerBox);
  auto* nameLabel = new QLabel(res("212"), printerBox);
  nameLabel->setBuddy(printers_);
  properties_ = new QPushButton(res("209"), printerBox);
  port_ = new QLabel(printerBox);
  printToFile_ = new QCheckBox(res("210"), printerBox);
  pl->addWidget(nameLabel, 0, 0);
  pl->addWidget(printers_, 0, 1);
  pl->addWidget(properties_, 0, 2);
  pl->addWidget(new QLabel(res("208"), printerBox), 1, 0);
  pl->addWidget(port_, 1, 1);
  pl->addWidget(printToFile_, 1, 2);
  pl->setColumnStretch(1, 1);
  layout->addWidget(printerBox, 0, 0, 1, 2);

  // Pages.
  auto* pagesBox = new QGroupBox(res("202"), this);
  auto* gl = new QGridLayout(pagesBox);
  all_ = new QRadioButton(res("3"), pagesBox);
  current_ = new QRadioButton(res("4"), pagesBox);
  numbers_ = new QRadioButton(res("5"), pagesBox);
  numbersEdit_ = new QLineEdit(pagesBox);
  auto* hint = new QLabel(res("9"), pagesBox);
  hint->setWordWrap(true);
  all_->setChecked(true);
  gl->addWidget(all_, 0, 0, 1, 2);
  gl->addWidget(current_, 1, 0, 1, 2);
  gl->addWidget(numbers_, 2, 0);
  gl->addWidget(numbersEdit_, 2, 1);
  gl->addWidget(hint, 3, 0, 1, 2);
  layout->addWidget(pagesBox, 1, 0);

  // Copies.
  auto* copiesBox = new QGroupBox(res("205"), this);
  auto* cl = new QGridLayout(copiesBox);
  copies_ = new QSpinBox(copiesBox);
  copies_->setRange(1, 9999);
  copies_->setValue(1);
  collate_ = new QCheckBox(res("204"), copiesBox);
  collate_->setChecked(true);
  collatePicture_ = new QLabel(copiesBox);
  cl->addWidget(new QLabel(res("203"), copiesBox), 0, 0);
  cl->addWidget(copies_, 0, 1);
  cl->addWidget(collatePicture_, 1, 0);
  cl->addWidget(collate_, 1, 1);
  layout->addWidget(copiesBox, 1, 1);

  // Other choices.
  auto* otherBox = new QGroupBox(res("207"), this);
  auto* ol = new QGridLayout(otherBox);
  pageSet_ = new QComboBox(otherBox);
  pageSet_->addItems({res("ppAll"), res("ppOdd"), res("ppEven")});
  order_ = new QComboBox(otherBox);
  order_->addItems({res("poDirect"), res("poReverse")});
  duplexList_ = new QComboBox(otherBox);
  duplexList_->addItems({res("dupDefault"), res("dupVert"), res("dupHorz"), res("dupSimpl")});
  ol->addWidget(new QLabel(res("206"), otherBox), 0, 0);
  ol->addWidget(pageSet_, 0, 1);
  ol->addWidget(new QLabel(res("211"), otherBox), 1, 0);
  ol->addWidget(order_, 1, 1);
  ol->addWidget(new QLabel(res("216"), otherBox), 2, 0);
  ol->addWidget(duplexList_, 2, 1);
  layout->addWidget(otherBox, 2, 0);

  // Print mode.
  auto* modeBox = new QGroupBox(res("213"), this);
  auto* ml = new QGridLayout(modeBox);
  mode_ = new QComboBox(modeBox);
  const char* modes[] = {"pmDefault", "pmSplit", "pmJoin", "pmScale"};
  for (int i = 0; i < 4; ++i) mode_->addItem(QIcon(modePicture(i)), res(modes[i]));
  sheet_ = new QComboBox(modeBox);
  ml->addWidget(mode_, 0, 0, 1, 2);
  ml->addWidget(new QLabel(res("214"), modeBox), 1, 0);
  ml->addWidget(sheet_, 1, 1);
  layout->addWidget(modeBox, 2, 1);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(res("1"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(res("2"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons, 3, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // On creation: the printers with the current one chosen.
  printers::TfrxPrinters& list = printers::frxPrinters();
  printerAtStart_ = list.PrinterIndex();
  const QPixmap picture = printerPicture();
  for (const QString& name : list.Printers()) printers_->addItem(QIcon(picture), name);
  printers_->setCurrentIndex(printerAtStart_);
  choosePrinter(printerAtStart_);

  // The options as they stand.
  const report::TfrxPrintOptions& o = *report.PrintOptions();
  copies_->setValue(std::max(1, o.Copies()));
  collate_->setChecked(o.Collate());
  numbersEdit_->setText(o.PageNumbers());
  if (!o.PageNumbers().isEmpty()) numbers_->setChecked(true);
  pageSet_->setCurrentIndex(int(o.PrintPages()));
  order_->setCurrentIndex(o.Reverse() ? 1 : 0);
  mode_->setCurrentIndex(int(o.PrintMode()));
  duplexList_->setCurrentIndex(std::clamp(duplex, 0, 3));
  applyModeRule();
  if (o.PrintMode() != report::pmDefault) chooseSheetCode(o.PrintOnSheet());
  updateCollatePicture();

  connect(printers_, qOverload<int>(&QComboBox::activated), this, [this](int i) { choosePrinter(i); });
  connect(mode_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { applyModeRule(); });
  connect(numbersEdit_, &QLineEdit::textEdited, this, [this] { numbers_->setChecked(true); });
  connect(numbers_, &QRadioButton::clicked, this, [this] { numbersEdit_->setFocus(); });
  connect(collate_, &QCheckBox::toggled, this, [this] { updateCollatePicture(); });
  connect(properties_, &QPushButton::clicked, this, [this] { showProperties(); });
}

TfrxPrintDialog::~TfrxPrintDialog() = default;

bool TfrxPrintDialog::execute() {
  if (dialogs::mode() != dialogs::Mode::Gui || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
    reject();
    return false;
  }
  return exec() == QDialog::Accepted;
}

void TfrxPrintDialog::updateCollatePicture() { collatePicture_->setPixmap(collatePicture(collate_->isChecked())); }

void TfrxPrintDialog::chooseSheetCode(int code) {
  printers::TfrxCustomPrinter* printer = printers::frxPrinters().Printer();
  if (!printer) return;
  // Row 0 is "Domyślnie"; the custom entry (always first) is not listed.
  const int index = printer->PaperIndex(code);
  sheet_->setCurrentIndex(index > 0 ? index : 0);
}

void TfrxPrintDialog::choosePrinter(int index) {
  printers::TfrxPrinters& list = printers::frxPrinters();
  int remembered = -1;
  if (sheet_->currentIndex() > 0 && list.Printer()) remembered = list.Printer()->PaperNameToNumber(sheet_->currentText());
  list.SetPrinterIndex(index);
  printers::TfrxCustomPrinter* printer = list.Printer();
  port_->setText(printer ? printer->Port() : QString());
  sheet_->clear();
  sheet_->addItem(res("pgDefault"));
  if (printer)
    for (size_t i = 1; i < printer->Papers().size(); ++i) sheet_->addItem(printer->Papers()[i].name);
  if (remembered >= 0) chooseSheetCode(remembered);
  else sheet_->setCurrentIndex(0);
  applyModeRule();
}

void TfrxPrintDialog::applyModeRule() {
  if (mode_->currentIndex() == int(report::pmDefault)) {
    sheet_->setCurrentIndex(0);
    sheet_->setEnabled(false);
    return;
  }
  sheet_->setEnabled(true);
  if (sheet_->currentIndex() == 0) chooseSheetCode(9);
}

void TfrxPrintDialog::showProperties() {
  printers::TfrxCustomPrinter* printer = printers::frxPrinters().Printer();
  if (!printer || !printer->PropertiesDlg(this)) return;
  // The driver's simplex, vertical and horizontal become rows 3, 1 and 2.
  switch (printer->DuplexOverride()) {
    case 1: duplexList_->setCurrentIndex(3); break;
    case 2: duplexList_->setCurrentIndex(1); break;
    case 3: duplexList_->setCurrentIndex(2); break;
    default: return;
  }
  duplex_ = duplexList_->currentIndex();
}

bool TfrxPrintDialog::confirm(bool& cancel) {
  cancel = false;
  QString pageNumbers;
  if (current_->isChecked()) pageNumbers = QString::number(currentPage_);
  else if (numbers_->isChecked()) pageNumbers = numbersEdit_->text();
  // A text that names no pages is said at once, with the dialog still open.
  try {
    parsePageNumbers(pageNumbers, std::numeric_limits<int>::max());
  } catch (const PageNumbersError& e) {
    dialogs::showError(e.text(), this);
    numbersEdit_->setFocus();
    return false;
  }
  outputFileName_.clear();
  if (printToFile_->isChecked()) {
    const std::optional<QString> file = AskPdfFileName(res("507"), this);
    if (!file) {
      cancel = true;
      return false;
    }
    outputFileName_ = *file;
  }
  report::TfrxPrintOptions& o = *report_.PrintOptions();
  o.SetCopies(copies_->value());
  o.SetCollate(collate_->isChecked());
  o.SetPageNumbers(pageNumbers);
  o.SetPrintPages(report::TfrxPrintPages(pageSet_->currentIndex()));
  duplex_ = duplexList_->currentIndex();
  o.SetReverse(order_->currentIndex() == 1);
  o.SetPrintMode(report::TfrxPrintMode(mode_->currentIndex()));
  printers::TfrxCustomPrinter* printer = printers::frxPrinters().Printer();
  o.SetPrintOnSheet(printer ? printer->PaperNameToNumber(sheet_->currentText()) : printers::kCustomPaperSize);
  return true;
}

void TfrxPrintDialog::done(int result) {
  if (result == QDialog::Accepted) {
    bool cancel = false;
    if (!confirm(cancel)) {
      if (!cancel) return;  // stays open
      result = QDialog::Rejected;
    }
  }
  if (result != QDialog::Accepted) printers::frxPrinters().SetPrinterIndex(printerAtStart_);
  QDialog::done(result);
}

}  // namespace valmoro::preview
