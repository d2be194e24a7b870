#pragma once
// The printers of the machine as the report subsystem sees them: one list of
// printer objects (the system's print queues through Qt Print Support, or a
// single virtual printer when there is none, so that paper sizes are always
// answered), each with its papers and sources by the classic numeric codes,
// its resolution and unprintable margins in whole millimetres, and the
// document and page operations of a print job.
//
// Units and codes: sizes and margins in millimetres; paper codes are those
// of the paper table (256 a custom size); sources are the classic bin
// numbers (7 the printer's own choice); duplex as the print run passes it:
// 0 the printer's default, 1 vertical (long edge), 2 horizontal (short
// edge), 3 simplex.

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;
class QPrinter;
class QWidget;

namespace valmoro::gfx {
class Canvas;
}

namespace valmoro::printers {

inline constexpr int kDefaultBin = 7;

enum class Orientation { Portrait, Landscape };

// A failure of the print service (the job could not be started or written).
class PrinterError : public std::runtime_error {
public:
  explicit PrinterError(const QString& message) : std::runtime_error(message.toStdString()), text_(message) {}
  const QString& text() const { return text_; }

private:
  QString text_;
};

// A paper or a source of a printer: its name and code.
struct PrinterListEntry {
  QString name;
  int code = 0;
};

// The texts the printer layer shows or lists; the report subsystem puts its
// resource texts here when it starts ("Użytkownika", "Domyślny", "Wirtualny"
// and the error texts).
struct PrinterTexts {
  QString custom = QStringLiteral("Użytkownika");
  QString defaultSource = QStringLiteral("Domyślny");
  QString virtualPrinter = QStringLiteral("Wirtualny");
  QString invalidPrinter = QStringLiteral("Printer selected is not valid");
  QString errorCaption = QStringLiteral("Błąd");
};
void setPrinterTexts(const PrinterTexts& texts);
const PrinterTexts& printerTexts();

class TfrxCustomPrinter {
public:
  TfrxCustomPrinter(const QString& name, const QString& port);
  virtual ~TfrxCustomPrinter();
  TfrxCustomPrinter(const TfrxCustomPrinter&) = delete;
  TfrxCustomPrinter& operator=(const TfrxCustomPrinter&) = delete;

  // Reads the device's papers, sources, resolution and defaults once; a
  // printer that cannot be read stays uninitialised.
  virtual void Init() = 0;
  // Gives up the document being printed (nothing of it is kept), then ends it.
  virtual void Abort() = 0;
  virtual void BeginDoc() = 0;
  virtual void BeginPage() = 0;
  virtual void EndDoc() = 0;
  virtual void EndPage() = 0;
  // Paper and orientation for dialogs and for learning a sheet's size.
  virtual void SetViewParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation) = 0;
  // Paper, orientation, source, duplex and copies of the next printed page.
  virtual void SetPrintParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation, int bin,
                              int duplex, int copies) = 0;
  // The printer's own settings dialog; true when confirmed.
  virtual bool PropertiesDlg(QWidget* parent) = 0;
  // Whether the device itself makes the copies a page is set up with. A
  // printer writing into a file cannot: the print run then draws each page
  // as often as copies are asked for.
  virtual bool DeviceMakesCopies() const { return true; }

  // The position of the first entry with that code; −1 when none.
  int BinIndex(int bin) const;
  int PaperIndex(int paperSize) const;
  // The code of the entry with exactly that name, or of the first entry
  // (7 for sources, 256 for papers) when no entry has it.
  int BinNameToNumber(const QString& name) const;
  int PaperNameToNumber(const QString& name) const;

  // The drawing surface of the page being printed (between BeginPage and
  // EndPage), with its origin at the corner of the printable area; nothing
  // otherwise.
  virtual gfx::Canvas* Canvas() = 0;

  const QString& Name() const { return name_; }
  const QString& Port() const { return port_; }
  const std::vector<PrinterListEntry>& Papers() const { return papers_; }
  const std::vector<PrinterListEntry>& Bins() const { return bins_; }
  int DPIX() const { return dpiX_; }
  int DPIY() const { return dpiY_; }
  int PaperSize() const { return paper_; }
  Orientation PaperOrientation() const { return orientation_; }
  double PaperWidth() const { return paperWidth_; }
  double PaperHeight() const { return paperHeight_; }
  double LeftMargin() const { return leftMargin_; }
  double TopMargin() const { return topMargin_; }
  double RightMargin() const { return rightMargin_; }
  double BottomMargin() const { return bottomMargin_; }
  int DefPaper() const { return defPaper_; }
  Orientation DefOrientation() const { return defOrientation_; }
  double DefPaperWidth() const { return defPaperWidth_; }
  double DefPaperHeight() const { return defPaperHeight_; }
  int DefBin() const { return defBin_; }
  int DefDuplex() const { return defDuplex_; }
  int BinOverride() const { return binOverride_; }
  int DuplexOverride() const { return duplexOverride_; }
  const QString& Title() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }
  // Empty prints to the printer; otherwise the job goes into this file.
  const QString& FileName() const { return fileName_; }
  void SetFileName(const QString& fileName) { fileName_ = fileName; }
  bool Initialized() const { return initialized_; }
  bool Printing() const { return printing_; }

protected:
  QString name_, port_;
  std::vector<PrinterListEntry> papers_, bins_;
  int dpiX_ = 0, dpiY_ = 0;
  int paper_ = 9;
  Orientation orientation_ = Orientation::Portrait;
  double paperWidth_ = 0, paperHeight_ = 0;
  double leftMargin_ = 0, topMargin_ = 0, rightMargin_ = 0, bottomMargin_ = 0;
  int defPaper_ = 9;
  Orientation defOrientation_ = Orientation::Portrait;
  double defPaperWidth_ = 0, defPaperHeight_ = 0;
  int defBin_ = kDefaultBin;
  int defDuplex_ = 1;
  int binOverride_ = -1, duplexOverride_ = -1;
  QString title_, fileName_;
  bool initialized_ = false;
  bool printing_ = false;
};

// A print queue of the system (or, unnamed, Qt's own PDF output used for
// printing into a file on a machine without printers).
class TfrxPrinter : public TfrxCustomPrinter {
public:
  TfrxPrinter(const QString& name, const QString& port);
  ~TfrxPrinter() override;

  void Init() override;
  void Abort() override;
  void BeginDoc() override;
  void BeginPage() override;
  void EndDoc() override;
  void EndPage() override;
  void SetViewParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation) override;
  void SetPrintParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation, int bin,
                      int duplex, int copies) override;
  bool PropertiesDlg(QWidget* parent) override;
  bool DeviceMakesCopies() const override { return fileName_.isEmpty(); }
  gfx::Canvas* Canvas() override;

  // The device's settings as they stand (tests and the properties dialog).
  QPrinter* Device() const { return device_.get(); }

private:
  // Applies paper and orientation to the device; false when it has no such
  // paper.
  void applyPaper(int paperSize, double paperWidth, double paperHeight, Orientation orientation);
  // Resolution, paper size and margins from the device; false (with the
  // error box) when the resolution reads as 0.
  bool measure();
  void finishDocument(bool keepOutput);
  // Hands the queue's own name of a source to the print service with the
  // job (the default source: none).
  void applySourceOption(int bin);

  std::unique_ptr<QPrinter> device_;
  std::unique_ptr<QPainter> painter_;
  std::unique_ptr<gfx::Canvas> canvas_;
  bool pageOpen_ = false;
  bool pageDone_ = false;  // a page was emitted in this document
  // Why the file printed into could not be written, naming it.
  QString fileWriteFailure(const QString& part = QString()) const;
  QString partFile_;       // the file being written while printing into a file
  std::map<int, QString> sourceKeywords_;  // bin number -> the queue's name of that source
};

// The replacement used when no printer is installed: 600 dpi, the 66 papers
// of the paper table, 5 mm margins; it never prints.
class TfrxVirtualPrinter : public TfrxCustomPrinter {
public:
  TfrxVirtualPrinter(const QString& name, const QString& port);

  void Init() override;
  void Abort() override {}
  void BeginDoc() override {}
  void BeginPage() override {}
  void EndDoc() override {}
  void EndPage() override {}
  void SetViewParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation) override;
  void SetPrintParams(int paperSize, double paperWidth, double paperHeight, Orientation orientation, int bin,
                      int duplex, int copies) override;
  bool PropertiesDlg(QWidget*) override { return false; }
  gfx::Canvas* Canvas() override { return nullptr; }
};

// The process-wide list of printers.
class TfrxPrinters {
public:
  TfrxPrinters();
  ~TfrxPrinters();
  TfrxPrinters(const TfrxPrinters&) = delete;
  TfrxPrinters& operator=(const TfrxPrinters&) = delete;

  const QStringList& Printers() const { return names_; }
  int Count() const { return int(printers_.size()); }
  // The current printer (initialised on first use), or none.
  TfrxCustomPrinter* Printer();
  TfrxCustomPrinter* At(int index) const;
  int PrinterIndex() const { return index_; }
  // −1 selects the system's default printer; the printer selected is
  // initialised.
  void SetPrinterIndex(int index);
  // Exact, case-sensitive; −1 when none.
  int IndexOf(const QString& name) const;
  bool HasPhysicalPrinters() const { return physical_; }
  // Forgets every printer and asks the system again.
  void FillPrinters();
  // Puts the given printers in place of the system's (tests, and tools that
  // print into a file). With none, the virtual printer stands in.
  void Replace(std::vector<std::unique_ptr<TfrxCustomPrinter>> printers, bool physical);

private:
  void fillVirtual();
  std::vector<std::unique_ptr<TfrxCustomPrinter>> printers_;
  QStringList names_;
  int index_ = -1;
  bool physical_ = false;
};

// The list, made on first use.
TfrxPrinters& frxPrinters();

// The Qt page size of a paper code (custom sizes by width and height).
QString paperName(int paperSize, double paperWidth, double paperHeight);

}  // namespace valmoro::printers
