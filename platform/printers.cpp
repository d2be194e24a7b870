#include "platform/printers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QRandomGenerator>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/painter_canvas.h"
#include "platform/paper_table.h"
#include "platform/print_sources.h"

namespace valmoro::printers {

namespace {

PrinterTexts& texts() {
  static PrinterTexts t;
  return t;
}

int roundMm(double pixels, int dpi) { return int(std::lround(pixels / dpi * 25.4)); }

// The classic bin numbers and Qt's paper sources.
struct SourceRow {
  int bin;
  QPrinter::PaperSource source;
  const char* name;
};
constexpr SourceRow kSources[] = {
    {1, QPrinter::OnlyOne, "Górny podajnik"},
    {2, QPrinter::Lower, "Dolny podajnik"},
    {3, QPrinter::Middle, "Środkowy podajnik"},
    {4, QPrinter::Manual, "Podawanie ręczne"},
    {5, QPrinter::Envelope, "Koperty"},
    {6, QPrinter::EnvelopeManual, "Koperty, podawanie ręczne"},
    {7, QPrinter::Auto, "Automatycznie"},
    {8, QPrinter::Tractor, "Traktor"},
    {9, QPrinter::SmallFormat, "Mały format"},
    {10, QPrinter::LargeFormat, "Duży format"},
    {11, QPrinter::LargeCapacity, "Podajnik o dużej pojemności"},
    {14, QPrinter::Cassette, "Kaseta"},
    {15, QPrinter::FormSource, "Podajnik formularzy"},
};

int binOfSource(QPrinter::PaperSource source) {
  for (const SourceRow& row : kSources)
    if (row.source == source) return row.bin;
  return kDefaultBin;
}

std::optional<QPrinter::PaperSource> sourceOfBin(int bin) {
  for (const SourceRow& row : kSources)
    if (row.bin == bin) return row.source;
  return std::nullopt;
}

// Driver duplex values: 1 simplex, 2 vertical, 3 horizontal.
int driverDuplex(QPrinter::DuplexMode mode) {
  switch (mode) {
    case QPrinter::DuplexLongSide: return 2;
    case QPrinter::DuplexShortSide: return 3;
    default: return 1;
  }
}

QPrinter::DuplexMode qtDuplex(int driverValue) {
  switch (driverValue) {
    case 2: return QPrinter::DuplexLongSide;
    case 3: return QPrinter::DuplexShortSide;
    default: return QPrinter::DuplexNone;
  }
}

// The paper table's code of a paper of that portrait size; 256 when none.
int codeOfSize(const QSizeF& mm) {
  for (const PaperTableRow& row : paperTable())
    if (std::abs(row.width / 10.0 - mm.width()) < 1.0 && std::abs(row.height / 10.0 - mm.height()) < 1.0)
      return row.code;
  return kCustomPaperSize;
}

QPageSize pageSizeOf(int paperSize, double width, double height) {
  if (paperSize != kCustomPaperSize) {
    if (const std::optional<PaperDimensions> dims = findPaper(paperSize))
      return QPageSize(QSizeF(dims->width, dims->height), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
  }
  return QPageSize(QSizeF(width, height), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

void virtualPaperList(std::vector<PrinterListEntry>& papers) {
  for (const PaperTableRow& row : paperTable()) {
    QString name = QString::fromUtf8(row.name);
    if (name.isEmpty()) name = paperName(row.code, row.width / 10.0, row.height / 10.0);
    papers.push_back({name, row.code});
  }
}

}  // namespace

void setPrinterTexts(const PrinterTexts& t) { texts() = t; }
const PrinterTexts& printerTexts() { return texts(); }

QString paperName(int paperSize, double paperWidth, double paperHeight) {
  const QPageSize size = pageSizeOf(paperSize, paperWidth, paperHeight);
  if (size.id() != QPageSize::Custom) return size.name();
  return QStringLiteral("%1 × %2 mm").arg(std::lround(paperWidth)).arg(std::lround(paperHeight));
}

// --- TfrxCustomPrinter -----------------------------------------------------------------

TfrxCustomPrinter::TfrxCustomPrinter(const QString& name, const QString& port) : name_(name), port_(port) {
  papers_.push_back({texts().custom, kCustomPaperSize});
  bins_.push_back({texts().defaultSource, kDefaultBin});
}

TfrxCustomPrinter::~TfrxCustomPrinter() = default;

int TfrxCustomPrinter::BinIndex(int bin) const {
  for (size_t i = 0; i < bins_.size(); ++i)
    if (bins_[i].code == bin) return int(i);
  return -1;
}

int TfrxCustomPrinter::PaperIndex(int paperSize) const {
  for (size_t i = 0; i < papers_.size(); ++i)
    if (papers_[i].code == paperSize) return int(i);
  return -1;
}

int TfrxCustomPrinter::BinNameToNumber(const QString& name) const {
  for (const PrinterListEntry& e : bins_)
    if (e.name == name) return e.code;
  return bins_.front().code;
}

int TfrxCustomPrinter::PaperNameToNumber(const QString& name) const {
  for (const PrinterListEntry& e : papers_)
    if (e.name == name) return e.code;
  return papers_.front().code;
}

// --- TfrxPrinter -------------------------------------------------------------------------

TfrxPrinter::TfrxPrinter(const QString& name, const QString& port) : TfrxCustomPrinter(name, port) {}

TfrxPrinter::~TfrxPrinter() {
  if (printing_) finishDocument(false);
}

void TfrxPrinter::Init() {
  if (initialized_) return;
  const QPrinterInfo info = name_.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(name_);
  if (!name_.isEmpty() && info.isNull()) return;
  device_ = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                          : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  if (info.isNull()) {
    // Qt's own PDF output: the resolution the report's texts are measured at.
    device_->setOutputFormat(QPrinter::PdfFormat);
    device_->setResolution(600);
  }
  // Positions are taken from the paper's corner; the canvas moves its origin
  // to the printable area itself.
  device_->setFullPage(true);
  {
    const QPageLayout layout = device_->pageLayout();
    device_->setPageMargins(layout.minimumMargins(), layout.units());
  }
  if (!measure()) {
    device_.reset();
    return;
  }
  const QPageLayout layout = device_->pageLayout();
  defPaper_ = codeOfSize(layout.pageSize().size(QPageSize::Millimeter));
  defBin_ = binOfSource(device_->paperSource());
  defDuplex_ = driverDuplex(info.isNull() ? QPrinter::DuplexNone : info.defaultDuplexMode());
  paper_ = defPaper_;
  defPaperWidth_ = paperWidth_;
  defPaperHeight_ = paperHeight_;
  defOrientation_ = layout.orientation() == QPageLayout::Portrait ? Orientation::Portrait : Orientation::Landscape;
  orientation_ = defOrientation_;

  if (info.isNull()) {
    virtualPaperList(papers_);
  } else {
    for (const QPageSize& size : info.supportedPageSizes()) {
      const int code = codeOfSize(size.size(QPageSize::Millimeter));
      if (code != kCustomPaperSize && PaperIndex(code) < 0) papers_.push_back({size.name(), code});
    }
    // The queue's trays as the print service names them; the job asks for
    // one by the service's own name of it.
    for (const QueueSource& source : queueSources(name_)) {
      bins_.push_back({source.name, source.code});
      sourceKeywords_[source.code] = source.keyword;
    }
  }
  binOverride_ = -1;
  duplexOverride_ = -1;
  initialized_ = true;
}

bool TfrxPrinter::measure() {
  const int dpi = device_->resolution();
  if (dpi <= 0) {
    dialogs::showErrorBox(texts().errorCaption, texts().invalidPrinter);
    return false;
  }
  dpiX_ = dpiY_ = dpi;
  const QPageLayout layout = device_->pageLayout();
  const QRect full = layout.fullRectPixels(dpi);
  const QRect paint = layout.paintRectPixels(dpi);
  paperHeight_ = roundMm(full.height(), dpiY_);
  paperWidth_ = roundMm(full.width(), dpiX_);
  leftMargin_ = roundMm(paint.left() - full.left(), dpiX_);
  topMargin_ = roundMm(paint.top() - full.top(), dpiY_);
  rightMargin_ = paperWidth_ - roundMm(paint.width(), dpiX_) - leftMargin_;
  bottomMargin_ = paperHeight_ - roundMm(paint.height(), dpiY_) - topMargin_;
  return true;
}

void TfrxPrinter::applyPaper(int paperSize, double paperWidth, double paperHeight, Orientation orientation) {
  const QPageLayout::Orientation o =
      orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
  // A custom size is given as the page lies; the device takes it upright.
  const QPageSize size = orientation == Orientation::Landscape ? pageSizeOf(paperSize, paperHeight, paperWidth)
                                                               : pageSizeOf(paperSize, paperWidth, paperHeight);
  QPageLayout layout = device_->pageLayout();
  layout.setOrientation(o);
  layout.setPageSize(size);
  device_->setPageLayout(layout);
  const QPageLayout now = device_->pageLayout();
  device_->setPageMargins(now.minimumMargins(), now.units());
}

void TfrxPrinter::SetViewParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation) {
  if (!device_) return;
  if (paperSize == kCustomPaperSize) {
    SetViewParams(9, 0, 0, orientation);
    paperHeight_ = paperHeight;
    paperWidth_ = paperWidth;
    return;
  }
  applyPaper(paperSize, paperWidth, paperHeight, orientation);
  if (!measure()) return;
  paper_ = paperSize;
  orientation_ = orientation;
}

void TfrxPrinter::SetPrintParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation,
                                 int bin, int duplex, int copies) {
  if (!device_) return;
  applyPaper(paperSize, paperWidth, paperHeight, orientation);
  device_->setCopyCount(DeviceMakesCopies() ? std::max(1, copies) : 1);
  int source = binOverride_ >= 0 ? binOverride_ : bin;
  if (source == kDefaultBin) source = defBin_;
  if (const std::optional<QPrinter::PaperSource> s = sourceOfBin(source)) device_->setPaperSource(*s);
  // The service takes one source for the whole job: the first page's.
  if (!pageDone_) applySourceOption(source);
  int driver = duplexOverride_;
  if (driver < 0) driver = duplex == 0 ? defDuplex_ : duplex == 1 ? 2 : duplex == 2 ? 3 : 1;
  device_->setDuplex(qtDuplex(driver));
  if (!measure()) return;
  paper_ = paperSize;
  orientation_ = orientation;
}

void TfrxPrinter::applySourceOption(int bin) {
  // Options for the print service go through the print engine's property
  // for them (the key Qt's own print dialog uses); only a job sent to a
  // queue has them.
  if (!device_ || device_->outputFormat() != QPrinter::NativeFormat) return;
  const auto kServiceOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
  QPrintEngine* engine = device_->printEngine();
  if (!engine) return;
  QStringList options = engine->property(kServiceOptions).toStringList();
  for (qsizetype i = 0; i + 1 < options.size(); i += 2)
    if (options[i] == QLatin1String("media-source")) {
      options.remove(i, 2);
      break;
    }
  if (const auto it = sourceKeywords_.find(bin); it != sourceKeywords_.end())
    options << QStringLiteral("media-source") << it->second;
  engine->setProperty(kServiceOptions, options);
}

void TfrxPrinter::BeginDoc() {
  if (!device_) return;
  printing_ = true;
  pageDone_ = false;
  pageOpen_ = false;
  device_->setDocName(title_.isEmpty() ? QStringLiteral("Valmoro Document") : title_);
  const QPageLayout layout = device_->pageLayout();
  if (!fileName_.isEmpty()) {
    // The job is written under a name of its own and takes the file's name
    // only when it is complete, so a failed or cancelled print never leaves
    // a half-written file that looks finished.
    const QFileInfo target(fileName_);
    partFile_ = target.absoluteDir().filePath(QStringLiteral(".%1.%2.part")
                                                  .arg(target.fileName())
                                                  .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0')));
    {
      // Asked first, the folder says why it refuses the file; the painter
      // would only fail (and complain on the terminal).
      QFile probe(partFile_);
      if (!probe.open(QIODevice::WriteOnly)) {
        printing_ = false;
        const QString reason = files::ioErrorText(probe);
        partFile_.clear();
        throw PrinterError(QStringLiteral("Nie można zapisać wydruku do pliku „%1”: %2.").arg(fileName_, reason));
      }
      probe.close();
      probe.remove();
    }
    device_->setOutputFormat(QPrinter::PdfFormat);
    device_->setOutputFileName(partFile_);
  } else if (!name_.isEmpty()) {
    device_->setOutputFileName(QString());
    device_->setOutputFormat(QPrinter::NativeFormat);
    device_->setPrinterName(name_);
  }
  // Switching the output may reset the page; the job keeps what was set.
  device_->setPageLayout(layout);
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(device_.get())) {
    painter_.reset();
    printing_ = false;
    if (!partFile_.isEmpty()) QFile::remove(partFile_);
    partFile_.clear();
    throw PrinterError(fileName_.isEmpty()
                           ? QStringLiteral("Nie można rozpocząć wydruku na drukarce „%1”.").arg(name_)
                           : QStringLiteral("Nie można zapisać wydruku do pliku „%1”.").arg(fileName_));
  }
}

void TfrxPrinter::BeginPage() {
  if (!painter_) return;
  // The first page was opened with the document.
  if (pageDone_ && !device_->newPage()) {
    // Printing into a file, a new page fails only when the file could not
    // be written: say which file and why (a full disk, the size limit).
    if (!partFile_.isEmpty()) throw PrinterError(fileWriteFailure());
    throw PrinterError(QStringLiteral("Nie można rozpocząć nowej strony wydruku."));
  }
  pageOpen_ = true;
  painter_->save();
  painter_->translate(leftMargin_ * dpiX_ / 25.4, topMargin_ * dpiY_ / 25.4);
  canvas_ = std::make_unique<gfx::PainterCanvas>(*painter_, gfx::DeviceKind::Printer, dpiX_, dpiY_);
}

void TfrxPrinter::EndPage() {
  if (!pageOpen_) return;
  canvas_.reset();
  painter_->restore();
  pageOpen_ = false;
  pageDone_ = true;
}

gfx::Canvas* TfrxPrinter::Canvas() { return canvas_.get(); }

void TfrxPrinter::finishDocument(bool keepOutput) {
  canvas_.reset();
  if (pageOpen_) painter_->restore();
  pageOpen_ = false;
  const bool ended = painter_ ? painter_->end() : false;
  painter_.reset();
  printing_ = false;
  binOverride_ = -1;
  duplexOverride_ = -1;
  if (device_) {
    if (const std::optional<QPrinter::PaperSource> s = sourceOfBin(defBin_)) device_->setPaperSource(*s);
    applySourceOption(kDefaultBin);
    device_->setDuplex(qtDuplex(defDuplex_));
    device_->setOutputFileName(QString());
  }
  if (partFile_.isEmpty()) return;
  const QString part = partFile_;
  partFile_.clear();
  if (!keepOutput || !ended) {
    const QString failure = keepOutput ? fileWriteFailure(part) : QString();
    QFile::remove(part);
    if (keepOutput) throw PrinterError(failure);
    return;
  }
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(part).toStdString(), QFile::encodeName(fileName_).toStdString(), error);
  if (error) {
    QFile::remove(part);
    throw PrinterError(
        QStringLiteral("Nie można zapisać wydruku do pliku „%1”: %2.").arg(fileName_, files::systemErrorText(error.value())));
  }
}

QString TfrxPrinter::fileWriteFailure(const QString& part) const {
  return QStringLiteral("Nie można zapisać wydruku do pliku „%1”: %2.")
      .arg(fileName_, files::writeErrorText(part.isEmpty() ? partFile_ : part, 0));
}

void TfrxPrinter::EndDoc() {
  if (!printing_) return;
  finishDocument(true);
}

void TfrxPrinter::Abort() {
  if (!printing_) return;
  if (device_ && fileName_.isEmpty()) device_->abort();
  finishDocument(false);
}

bool TfrxPrinter::PropertiesDlg(QWidget* parent) {
  if (!device_ || dialogs::mode() != dialogs::Mode::Gui || !qobject_cast<QApplication*>(QCoreApplication::instance()))
    return false;
  const int duplexBefore = driverDuplex(device_->duplex());
  QPageSetupDialog dialog(device_.get(), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  binOverride_ = binOfSource(device_->paperSource());
  const int duplexNow = driverDuplex(device_->duplex());
  if (duplexNow != duplexBefore) duplexOverride_ = duplexNow;
  measure();
  return true;
}

// --- TfrxVirtualPrinter -------------------------------------------------------------------

TfrxVirtualPrinter::TfrxVirtualPrinter(const QString& name, const QString& port) : TfrxCustomPrinter(name, port) {}

void TfrxVirtualPrinter::Init() {
  if (initialized_) return;
  dpiX_ = dpiY_ = 600;
  defPaper_ = paper_ = 9;
  defOrientation_ = orientation_ = Orientation::Portrait;
  defPaperWidth_ = paperWidth_ = 210;
  defPaperHeight_ = paperHeight_ = 297;
  virtualPaperList(papers_);
  binOverride_ = duplexOverride_ = -1;
  initialized_ = true;
}

void TfrxVirtualPrinter::SetViewParams(int paperSize, double paperWidth, double paperHeight,
                                       Orientation orientation) {
  const std::optional<PaperDimensions> row =
      paperSize == kCustomPaperSize ? std::nullopt : findPaper(paperSize);
  if (row) {
    paperWidth_ = orientation == Orientation::Landscape ? row->height : row->width;
    paperHeight_ = orientation == Orientation::Landscape ? row->width : row->height;
    paper_ = paperSize;
  } else {
    paperWidth_ = paperWidth;
    paperHeight_ = paperHeight;
    paper_ = kCustomPaperSize;
  }
  orientation_ = orientation;
  leftMargin_ = topMargin_ = rightMargin_ = bottomMargin_ = 5;
}

void TfrxVirtualPrinter::SetPrintParams(int paperSize, double paperWidth, double paperHeight,
                                        Orientation orientation, int bin, int, int) {
  SetViewParams(paperSize, paperWidth, paperHeight, orientation);
  binOverride_ = bin;
}

// --- TfrxPrinters ---------------------------------------------------------------------------

TfrxPrinters::TfrxPrinters() { FillPrinters(); }
TfrxPrinters::~TfrxPrinters() = default;

TfrxCustomPrinter* TfrxPrinters::Printer() {
  TfrxCustomPrinter* p = At(index_);
  if (p) p->Init();
  return p;
}

TfrxCustomPrinter* TfrxPrinters::At(int index) const {
  return index >= 0 && index < Count() ? printers_[size_t(index)].get() : nullptr;
}

void TfrxPrinters::SetPrinterIndex(int index) {
  if (index == -1 && physical_) index = IndexOf(QPrinterInfo::defaultPrinterName());
  if (index < 0 || index >= Count()) index = Count() > 0 ? 0 : -1;
  index_ = index;
  if (TfrxCustomPrinter* p = Printer()) p->Init();
}

int TfrxPrinters::IndexOf(const QString& name) const { return int(names_.indexOf(name)); }

void TfrxPrinters::fillVirtual() {
  printers_.clear();
  names_.clear();
  printers_.push_back(std::make_unique<TfrxVirtualPrinter>(texts().virtualPrinter, QString()));
  names_.append(texts().virtualPrinter);
  physical_ = false;
  index_ = 0;
}

void TfrxPrinters::FillPrinters() {
  printers_.clear();
  names_.clear();
  index_ = -1;
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
    printers_.push_back(std::make_unique<TfrxPrinter>(info.printerName(), info.location()));
    names_.append(info.printerName());
  }
  if (printers_.empty()) {
    fillVirtual();
    return;
  }
  physical_ = true;
  index_ = std::max(0, IndexOf(QPrinterInfo::defaultPrinterName()));
}

void TfrxPrinters::Replace(std::vector<std::unique_ptr<TfrxCustomPrinter>> printers, bool physical) {
  if (printers.empty()) {
    fillVirtual();
    return;
  }
  printers_ = std::move(printers);
  names_.clear();
  for (const auto& p : printers_) names_.append(p->Name());
  physical_ = physical;
  index_ = 0;
}

TfrxPrinters& frxPrinters() {
  static TfrxPrinters list;
  return list;
}

}  // namespace valmoro::printers
