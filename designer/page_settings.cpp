#include "designer/page_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <set>

#include "designer/designer_document.h"
#include "platform/locale.h"
#include "platform/printers.h"
#include "report/model/paper_table.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"

namespace valmoro::designer {

using report::LengthUnit;

namespace {

// No printer takes a sheet longer than this many millimetres; a bigger
// number is a typing error (endless pages grow by themselves).
constexpr double kLargestPaper = 10000;

}  // namespace

const std::vector<std::pair<QString, QString>>& PageOptionCaptions() {
  static const std::vector<std::pair<QString, QString>> captions{
      {QStringLiteral("MirrorMargins"), QStringLiteral("Marginesy lustrzane (strony parzyste)")},
      {QStringLiteral("PrintIfEmpty"), QStringLiteral("Drukuj stronę, gdy brak danych")},
      {QStringLiteral("TitleBeforeHeader"), QStringLiteral("Tytuł raportu przed nagłówkiem strony")},
      {QStringLiteral("ResetPageNumbers"), QStringLiteral("Numeruj strony od nowa")},
      {QStringLiteral("PrintOnPreviousPage"), QStringLiteral("Drukuj na poprzedniej stronie")},
      {QStringLiteral("EndlessWidth"), QStringLiteral("Nieograniczona szerokość")},
      {QStringLiteral("EndlessHeight"), QStringLiteral("Nieograniczona wysokość")},
      {QStringLiteral("LargeDesignHeight"), QStringLiteral("Wysoka strona w projektancie")},
      {QStringLiteral("BackPictureVisible"), QStringLiteral("Pokazuj obraz tła")},
      {QStringLiteral("BackPicturePrintable"), QStringLiteral("Drukuj obraz tła")},
  };
  return captions;
}

// --- The draft ---------------------------------------------------------------------------

PageDraft PageDraft::Of(const report::TfrxReportPage& page) {
  PageDraft d;
  d.paperSize = page.PaperSize();
  d.paperWidth = page.PaperWidth();
  d.paperHeight = page.PaperHeight();
  d.orientation = page.Orientation();
  d.leftMargin = page.LeftMargin();
  d.rightMargin = page.RightMargin();
  d.topMargin = page.TopMargin();
  d.bottomMargin = page.BottomMargin();
  d.columns = page.Columns();
  d.columnWidth = page.ColumnWidth();
  d.columnPositions = page.ColumnPositions();
  d.bin = page.Bin();
  d.binOtherPages = page.BinOtherPages();
  d.duplex = page.Duplex();
  for (const auto& [property, caption] : PageOptionCaptions())
    d.options.insert(property, page.property(property.toLatin1().constData()).toBool());
  return d;
}

void PageDraft::SetOrientation(report::TPrinterOrientation value) {
  if (value == orientation) return;
  std::swap(paperWidth, paperHeight);
  const double left = leftMargin, right = rightMargin, top = topMargin, bottom = bottomMargin;
  if (value == report::poLandscape) {
    leftMargin = top;
    rightMargin = bottom;
    topMargin = right;
    bottomMargin = left;
  } else {
    leftMargin = bottom;
    rightMargin = top;
    topMargin = left;
    bottomMargin = right;
  }
  orientation = value;
}

void PageDraft::SetPaper(int code) {
  paperSize = code;
  if (code >= report::kCustomPaperSize) return;
  if (const std::optional<report::PaperDimensions> paper = report::findPaper(code)) {
    paperWidth = paper->width;
    paperHeight = paper->height;
    if (orientation == report::poLandscape) std::swap(paperWidth, paperHeight);
  }
}

void PageDraft::SetColumns(int n) {
  columns = n;
  columnPositions.clear();
  if (n <= 0) return;
  columnWidth = (paperWidth - leftMargin - rightMargin) / n;
  for (int i = 0; i < n; ++i) columnPositions.append(locale::formatFloatGeneral(i * columnWidth));
}

QString PageDraft::Refusal() const {
  if (!(paperWidth > 0) || !(paperHeight > 0)) return QStringLiteral("Szerokość i wysokość papieru muszą być większe od zera.");
  if (paperWidth > kLargestPaper || paperHeight > kLargestPaper)
    return QStringLiteral("Papier nie może mieć więcej niż %1 mm.").arg(locale::formatFloatGeneral(kLargestPaper));
  if (leftMargin < 0 || rightMargin < 0 || topMargin < 0 || bottomMargin < 0)
    return QStringLiteral("Marginesy nie mogą być ujemne.");
  if (paperWidth - leftMargin - rightMargin <= 0 || paperHeight - topMargin - bottomMargin <= 0)
    return QStringLiteral("Marginesy nie zostawiają miejsca na wydruk.");
  if (columns > 0) {
    if (!(columnWidth > 0)) return QStringLiteral("Szerokość kolumny musi być większa od zera.");
    if (columnWidth > paperWidth - leftMargin - rightMargin + report::kCoordinateTolerance)
      return QStringLiteral("Kolumna nie może być szersza niż obszar wydruku.");
  }
  return QString();
}

void PageDraft::WriteTo(report::TfrxReportPage& page) const {
  // The orientation first: a paper of the table takes its sides from it.
  page.SetOrientation(orientation);
  if (paperSize < report::kCustomPaperSize) {
    page.SetPaperSize(paperSize);
  } else {
    page.SetPaperWidth(paperWidth);
    page.SetPaperHeight(paperHeight);
    page.SetPaperSize(paperSize);
  }
  page.SetLeftMargin(leftMargin);
  page.SetRightMargin(rightMargin);
  page.SetTopMargin(topMargin);
  page.SetBottomMargin(bottomMargin);
  page.SetColumns(columns);
  page.SetColumnWidth(columnWidth);
  page.SetColumnPositions(columnPositions);
  page.SetBin(bin);
  page.SetBinOtherPages(binOtherPages);
  page.SetDuplex(duplex);
  for (auto it = options.constBegin(); it != options.constEnd(); ++it)
    page.setProperty(it.key().toLatin1().constData(), it.value());
  // Bands span the new printable width.
  page.ArrangeAlignedChildren();
}

std::vector<PaperTray> PaperTrays(const report::TfrxReportPage& page) {
  std::vector<PaperTray> trays;
  printers::TfrxPrinters& list = printers::frxPrinters();
  if (list.HasPhysicalPrinters())
    if (printers::TfrxCustomPrinter* printer = list.Printer())
      for (const printers::PrinterListEntry& bin : printer->Bins()) trays.push_back({bin.name, bin.code});
  if (trays.empty()) trays.push_back({printers::printerTexts().defaultSource, printers::kDefaultBin});
  for (const int code : {page.Bin(), page.BinOtherPages()}) {
    const bool known = std::any_of(trays.begin(), trays.end(), [code](const PaperTray& t) { return t.code == code; });
    if (!known) trays.push_back({QStringLiteral("Podajnik %1").arg(code), code});
  }
  return trays;
}

// --- The sample --------------------------------------------------------------------------

PageSample::PageSample(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PageSample"));
  setMinimumSize(140, 160);
}

void PageSample::SetDraft(const PageDraft& draft) {
  draft_ = draft;
  update();
}

QRectF PageSample::SheetRect() const {
  const double w = std::max(draft_.paperWidth, 1.0), h = std::max(draft_.paperHeight, 1.0);
  const QRectF room = QRectF(rect()).adjusted(8, 8, -8, -8);
  const double scale = std::min(room.width() / w, room.height() / h);
  const QSizeF size(w * scale, h * scale);
  return QRectF(room.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QRectF PageSample::PrintableRect() const {
  const QRectF sheet = SheetRect();
  const double scale = sheet.width() / std::max(draft_.paperWidth, 1.0);
  return sheet.adjusted(draft_.leftMargin * scale, draft_.topMargin * scale, -draft_.rightMargin * scale,
                        -draft_.bottomMargin * scale);
}

QList<double> PageSample::ColumnEdges() const {
  QList<double> edges;
  if (draft_.columns <= 0) return edges;
  const QRectF area = PrintableRect();
  const double scale = SheetRect().width() / std::max(draft_.paperWidth, 1.0);
  for (const QString& position : draft_.columnPositions)
    if (const std::optional<double> mm = locale::parseFloat(position)) edges.append(area.left() + *mm * scale);
  return edges;
}

void PageSample::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF sheet = SheetRect();
  p.fillRect(sheet.translated(3, 3), QColor(0, 0, 0, 60));
  p.fillRect(sheet, Qt::white);
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(sheet);
  const QRectF area = PrintableRect().intersected(sheet);
  if (area.isEmpty()) return;
  p.fillRect(area, QColor(230, 238, 250));
  p.setPen(QPen(QColor(90, 110, 160), 1, Qt::DashLine));
  p.drawRect(area);
  const double scale = sheet.width() / std::max(draft_.paperWidth, 1.0);
  for (const double edge : ColumnEdges()) {
    const QRectF column(edge, area.top(), draft_.columnWidth * scale, area.height());
    p.drawRect(column.intersected(area));
  }
}

// --- The dialog --------------------------------------------------------------------------

PageSettingsDialog::PageSettingsDialog(DesignerDocument& document, report::TfrxReportPage& page, QWidget* parent)
    : QDialog(parent), document_(document), pageName_(page.Name()), original_(PageDraft::Of(page)), shown_(original_) {
  setObjectName(QStringLiteral("PageSettingsDialog"));
  setWindowTitle(QStringLiteral("Ustawienia strony %1").arg(page.Name()));
  // Paper is measured in millimetres; pixels would make no sense here.
  unit_ = document.Options().unit == LengthUnit::Pixel ? LengthUnit::Millimetre : document.Options().unit;
  const QString symbol = report::lengthUnitSymbol(unit_);

  auto* paperBox = new QGroupBox(QStringLiteral("Papier"), this);
  auto* paperForm = new QFormLayout(paperBox);
  paper_ = new QComboBox(paperBox);
  paper_->setObjectName(QStringLiteral("PaperCombo"));
  paper_->addItem(QStringLiteral("Własny"), report::kCustomPaperSize);
  std::set<int> codes;
  for (const report::PaperTableRow& row : report::paperTable()) {
    if (!codes.insert(row.code).second) continue;
    const QString name = printers::paperName(row.code, row.width / 10.0, row.height / 10.0);
    paper_->addItem(QStringLiteral("%1 (%2 × %3 mm)")
                        .arg(name, locale::formatFloatGeneral(row.width / 10.0), locale::formatFloatGeneral(row.height / 10.0)),
                    row.code);
  }
  width_ = new QLineEdit(paperBox);
  width_->setObjectName(QStringLiteral("PaperWidthEdit"));
  height_ = new QLineEdit(paperBox);
  height_->setObjectName(QStringLiteral("PaperHeightEdit"));
  portrait_ = new QRadioButton(QStringLiteral("Pionowa"), paperBox);
  portrait_->setObjectName(QStringLiteral("PortraitChoice"));
  landscape_ = new QRadioButton(QStringLiteral("Pozioma"), paperBox);
  landscape_->setObjectName(QStringLiteral("LandscapeChoice"));
  auto* orientation = new QHBoxLayout;
  orientation->addWidget(portrait_);
  orientation->addWidget(landscape_);
  paperForm->addRow(QStringLiteral("Rozmiar:"), paper_);
  paperForm->addRow(QStringLiteral("Szerokość [%1]:").arg(symbol), width_);
  paperForm->addRow(QStringLiteral("Wysokość [%1]:").arg(symbol), height_);
  paperForm->addRow(QStringLiteral("Orientacja:"), orientation);

  auto* marginBox = new QGroupBox(QStringLiteral("Marginesy [%1]").arg(symbol), this);
  auto* marginGrid = new QGridLayout(marginBox);
  const char* marginNames[] = {"LeftMarginEdit", "TopMarginEdit", "RightMarginEdit", "BottomMarginEdit"};
  const QString marginCaptions[] = {QStringLiteral("Lewy:"), QStringLiteral("Górny:"), QStringLiteral("Prawy:"),
                                    QStringLiteral("Dolny:")};
  for (int i = 0; i < 4; ++i) {
    margins_[i] = new QLineEdit(marginBox);
    margins_[i]->setObjectName(QString::fromLatin1(marginNames[i]));
    marginGrid->addWidget(new QLabel(marginCaptions[i], marginBox), i / 2, (i % 2) * 2);
    marginGrid->addWidget(margins_[i], i / 2, (i % 2) * 2 + 1);
  }

  auto* columnBox = new QGroupBox(QStringLiteral("Kolumny"), this);
  auto* columnForm = new QFormLayout(columnBox);
  columns_ = new QSpinBox(columnBox);
  columns_->setObjectName(QStringLiteral("ColumnsSpin"));
  columns_->setRange(0, report::TfrxReportPage::kMaxColumns);
  columnWidth_ = new QLineEdit(columnBox);
  columnWidth_->setObjectName(QStringLiteral("ColumnWidthEdit"));
  columnPositions_ = new QLineEdit(columnBox);
  columnPositions_->setObjectName(QStringLiteral("ColumnPositionsEdit"));
  columnPositions_->setToolTip(QStringLiteral("Położenia lewych krawędzi kolumn od lewego marginesu, rozdzielone średnikami"));
  columnForm->addRow(QStringLiteral("Liczba:"), columns_);
  columnForm->addRow(QStringLiteral("Szerokość [%1]:").arg(symbol), columnWidth_);
  columnForm->addRow(QStringLiteral("Położenia [%1]:").arg(symbol), columnPositions_);

  auto* printBox = new QGroupBox(QStringLiteral("Drukowanie"), this);
  auto* printForm = new QFormLayout(printBox);
  bin_ = new QComboBox(printBox);
  bin_->setObjectName(QStringLiteral("BinCombo"));
  binOtherPages_ = new QComboBox(printBox);
  binOtherPages_->setObjectName(QStringLiteral("BinOtherPagesCombo"));
  for (const PaperTray& tray : PaperTrays(page)) {
    bin_->addItem(tray.name, tray.code);
    binOtherPages_->addItem(tray.name, tray.code);
  }
  duplex_ = new QComboBox(printBox);
  duplex_->setObjectName(QStringLiteral("DuplexCombo"));
  duplex_->addItem(QStringLiteral("Bez druku dwustronnego"), int(report::dmNone));
  duplex_->addItem(QStringLiteral("Dwustronnie, wzdłuż dłuższej krawędzi"), int(report::dmVertical));
  duplex_->addItem(QStringLiteral("Dwustronnie, wzdłuż krótszej krawędzi"), int(report::dmHorizontal));
  duplex_->addItem(QStringLiteral("Jednostronnie"), int(report::dmSimplex));
  printForm->addRow(QStringLiteral("Podajnik pierwszej strony:"), bin_);
  printForm->addRow(QStringLiteral("Podajnik pozostałych stron:"), binOtherPages_);
  printForm->addRow(QStringLiteral("Druk dwustronny:"), duplex_);

  auto* optionBox = new QGroupBox(QStringLiteral("Opcje"), this);
  auto* optionGrid = new QGridLayout(optionBox);
  int n = 0;
  for (const auto& [property, caption] : PageOptionCaptions()) {
    auto* check = new QCheckBox(caption, optionBox);
    check->setObjectName(property);
    optionGrid->addWidget(check, n / 2, n % 2);
    checks_.insert(property, check);
    ++n;
  }

  sample_ = new PageSample(this);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* left = new QVBoxLayout;
  left->addWidget(paperBox);
  left->addWidget(marginBox);
  left->addWidget(columnBox);
  auto* right = new QVBoxLayout;
  right->addWidget(sample_, 1);
  right->addWidget(printBox);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 1);
  top->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(optionBox);
  layout->addWidget(error_);
  layout->addWidget(buttons_);

  display(original_);

  connect(paper_, &QComboBox::currentIndexChanged, this, [this] { paperChosen(); });
  connect(portrait_, &QRadioButton::toggled, this, [this] { orientationChosen(); });
  connect(columns_, &QSpinBox::valueChanged, this, [this] { columnsChosen(); });
  // Typing a size makes the paper a custom one.
  for (QLineEdit* edit : {width_, height_})
    connect(edit, &QLineEdit::textEdited, this, [this] {
      if (filling_) return;
      filling_ = true;
      paper_->setCurrentIndex(0);
      filling_ = false;
      refreshSample();
    });
  for (QLineEdit* edit : {margins_[0], margins_[1], margins_[2], margins_[3], columnWidth_, columnPositions_})
    connect(edit, &QLineEdit::textEdited, this, [this] { refreshSample(); });
  connect(buttons_, &QDialogButtonBox::accepted, this, &PageSettingsDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &PageSettingsDialog::reject);
}

PageSettingsDialog::~PageSettingsDialog() = default;

QLineEdit* PageSettingsDialog::MarginEdit(int side) const { return side >= 0 && side < 4 ? margins_[side] : nullptr; }

QPushButton* PageSettingsDialog::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

QString PageSettingsDialog::format(double millimetres) const {
  return report::formatLength(millimetres, LengthUnit::Millimetre, unit_);
}

void PageSettingsDialog::display(const PageDraft& d) {
  filling_ = true;
  shown_ = d;
  const int paper = paper_->findData(d.paperSize);
  paper_->setCurrentIndex(paper < 0 ? 0 : paper);
  width_->setText(format(d.paperWidth));
  height_->setText(format(d.paperHeight));
  (d.orientation == report::poLandscape ? landscape_ : portrait_)->setChecked(true);
  margins_[0]->setText(format(d.leftMargin));
  margins_[1]->setText(format(d.topMargin));
  margins_[2]->setText(format(d.rightMargin));
  margins_[3]->setText(format(d.bottomMargin));
  columns_->setValue(d.columns);
  columnWidth_->setText(format(d.columnWidth));
  QStringList positions;
  for (const QString& p : d.columnPositions) {
    const std::optional<double> mm = locale::parseFloat(p);
    positions.append(mm ? format(*mm) : p);
  }
  columnPositions_->setText(positions.join(QStringLiteral("; ")));
  bin_->setCurrentIndex(std::max(0, bin_->findData(d.bin)));
  binOtherPages_->setCurrentIndex(std::max(0, binOtherPages_->findData(d.binOtherPages)));
  duplex_->setCurrentIndex(std::max(0, duplex_->findData(int(d.duplex))));
  for (auto it = checks_.constBegin(); it != checks_.constEnd(); ++it) it.value()->setChecked(d.options.value(it.key()));
  filling_ = false;
  refreshSample();
}

// The fields as typed, refused or not: the sample shows what is wrong too.
void PageSettingsDialog::refreshSample() {
  if (const std::optional<PageDraft> d = read(true, false)) sample_->SetDraft(*d);
}

// The other fields as typed stay; the chosen paper's sides replace the size.
void PageSettingsDialog::paperChosen() {
  if (filling_) return;
  std::optional<PageDraft> d = read(true, false);
  PageDraft next = d ? *d : shown_;
  next.SetPaper(paper_->currentData().toInt());
  if (next.paperSize == report::kCustomPaperSize) return refreshSample();
  display(next);
}

void PageSettingsDialog::orientationChosen() {
  if (filling_) return;
  std::optional<PageDraft> d = read(true, false);
  PageDraft next = d ? *d : shown_;
  // The fields still hold the sheet as it was turned before.
  next.orientation = shown_.orientation;
  next.SetOrientation(landscape_->isChecked() ? report::poLandscape : report::poPortrait);
  display(next);
}

void PageSettingsDialog::columnsChosen() {
  if (filling_) return;
  std::optional<PageDraft> d = read(true, false);
  if (!d) return;
  d->SetColumns(columns_->value());
  display(*d);
}

std::optional<PageDraft> PageSettingsDialog::Read(bool quiet) { return read(quiet, true); }

std::optional<PageDraft> PageSettingsDialog::read(bool quiet, bool checked) {
  PageDraft d = shown_;
  QString error;
  QLineEdit* wrong = nullptr;
  const auto length = [&](QLineEdit* edit, double shownValue, const QString& what, double& out) {
    if (!error.isEmpty()) return;
    if (edit->text().trimmed() == format(shownValue)) {
      out = shownValue;
      return;
    }
    try {
      out = report::parseLength(edit->text(), LengthUnit::Millimetre, unit_);
    } catch (const report::ReportError& e) {
      error = QStringLiteral("%1: %2").arg(what, e.message());
      wrong = edit;
    }
  };
  d.paperSize = paper_->currentData().toInt();
  length(width_, shown_.paperWidth, QStringLiteral("Szerokość papieru"), d.paperWidth);
  length(height_, shown_.paperHeight, QStringLiteral("Wysokość papieru"), d.paperHeight);
  d.orientation = landscape_->isChecked() ? report::poLandscape : report::poPortrait;
  length(margins_[0], shown_.leftMargin, QStringLiteral("Lewy margines"), d.leftMargin);
  length(margins_[1], shown_.topMargin, QStringLiteral("Górny margines"), d.topMargin);
  length(margins_[2], shown_.rightMargin, QStringLiteral("Prawy margines"), d.rightMargin);
  length(margins_[3], shown_.bottomMargin, QStringLiteral("Dolny margines"), d.bottomMargin);
  d.columns = columns_->value();
  length(columnWidth_, shown_.columnWidth, QStringLiteral("Szerokość kolumny"), d.columnWidth);
  if (error.isEmpty()) {
    QStringList shownPositions;
    for (const QString& p : shown_.columnPositions) {
      const std::optional<double> mm = locale::parseFloat(p);
      shownPositions.append(mm ? format(*mm) : p);
    }
    const QStringList typed = columnPositions_->text().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QStringList trimmed;
    for (const QString& t : typed)
      if (!t.trimmed().isEmpty()) trimmed.append(t.trimmed());
    if (trimmed != shownPositions) {
      d.columnPositions.clear();
      for (const QString& t : trimmed) {
        try {
          d.columnPositions.append(locale::formatFloatGeneral(report::parseLength(t, LengthUnit::Millimetre, unit_)));
        } catch (const report::ReportError& e) {
          error = QStringLiteral("Położenia kolumn: %1").arg(e.message());
          wrong = columnPositions_;
          break;
        }
      }
    }
  }
  d.bin = bin_->currentData().toInt();
  d.binOtherPages = binOtherPages_->currentData().toInt();
  d.duplex = report::TfrxDuplexMode(duplex_->currentData().toInt());
  for (auto it = checks_.constBegin(); it != checks_.constEnd(); ++it) d.options[it.key()] = it.value()->isChecked();
  if (error.isEmpty() && checked) error = d.Refusal();
  if (!error.isEmpty()) {
    if (!quiet) {
      error_->setText(error);
      if (wrong) wrong->setFocus();
    }
    return std::nullopt;
  }
  if (!quiet) error_->clear();
  return d;
}

bool PageSettingsDialog::Apply() {
  const std::optional<PageDraft> d = Read();
  if (!d) return false;
  if (*d == original_) return true;
  // Kept as the whole document: putting back attributes one by one would
  // turn the sheet again (a new orientation rotates the margins) and lose
  // the margins that turning did not change.
  const QString refusal =
      document_.ChangeReport(QStringLiteral("Ustawienia strony %1").arg(pageName_), [&](report::TfrxReport& r) {
        if (auto* page = qobject_cast<report::TfrxReportPage*>(r.FindObject(pageName_))) d->WriteTo(*page);
      });
  if (!refusal.isEmpty()) {
    error_->setText(refusal);
    return false;
  }
  applied_ = true;
  return true;
}

void PageSettingsDialog::accept() {
  if (Apply()) QDialog::accept();
}

bool EditPageSettings(DesignerDocument& document, report::TfrxReportPage* page, QWidget* parent) {
  if (page == nullptr) return false;
  PageSettingsDialog dialog(document, *page, parent);
  return dialog.exec() == QDialog::Accepted && dialog.Applied();
}

}  // namespace valmoro::designer
