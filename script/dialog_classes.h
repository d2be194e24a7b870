#pragma once
// The common dialogs scripts create (TOpenDialog, TSaveDialog, TColorDialog,
// TFontDialog, TPrintDialog, TPrinterSetupDialog). Execute shows the
// dialog through the platform dialog layer, so it is a real window in the
// program, answers from queued answers under tests and from standard input
// (file names, colours) or as cancelled (fonts, printing) in the
// command-line tool. Execute gives True when the user accepted; only then
// do the properties take what was chosen.
//
// Sets (Options) are kept as bits, bit i standing for value i of the set
// type, as scripts read set properties.

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "host_persistent.h"

namespace valmoro::script {

class TStringList;

class TCommonDialog : public TComponent {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TCommonDialog(QObject* owner = nullptr) : TComponent(owner) {}
  virtual bool execute() { return false; }
};

class TOpenDialog : public TCommonDialog {
  Q_OBJECT
  Q_PROPERTY(QString DefaultExt READ defaultExt WRITE setDefaultExt)
  Q_PROPERTY(QString FileName READ fileName WRITE setFileName)
  Q_PROPERTY(QString Filter READ filter WRITE setFilter)
  Q_PROPERTY(int FilterIndex READ filterIndex WRITE setFilterIndex)
  Q_PROPERTY(QString InitialDir READ initialDir WRITE setInitialDir)
  Q_PROPERTY(QString Title READ title WRITE setTitle)

public:
  // The TOpenOptions bits this program acts on.
  enum : unsigned {
    ofOverwritePrompt = 1u << 1,
    ofAllowMultiSelect = 1u << 6,
    ofExtensionDifferent = 1u << 7,
    ofFileMustExist = 1u << 9,
  };
  static constexpr unsigned kDefaultOptions = (1u << 2) | (1u << 19);  // ofHideReadOnly, ofEnableSizing

  Q_INVOKABLE explicit TOpenDialog(QObject* owner = nullptr);
  bool execute() override;

  QString defaultExt() const { return defaultExt_; }
  void setDefaultExt(const QString& v) { defaultExt_ = v; }
  QString fileName() const { return fileName_; }
  void setFileName(const QString& v) { fileName_ = v; }
  QString filter() const { return filter_; }
  void setFilter(const QString& v) { filter_ = v; }
  int filterIndex() const { return filterIndex_; }
  void setFilterIndex(int v) { filterIndex_ = v; }
  QString initialDir() const { return initialDir_; }
  void setInitialDir(const QString& v) { initialDir_ = v; }
  QString title() const { return title_; }
  void setTitle(const QString& v) { title_ = v; }
  unsigned options() const { return options_; }
  void setOptions(unsigned v) { options_ = v; }
  int fileEditStyle() const { return fileEditStyle_; }
  void setFileEditStyle(int v) { fileEditStyle_ = v; }
  // All chosen files (several with ofAllowMultiSelect). A list the script
  // has freed is made anew, empty.
  TStringList* files();

protected:
  bool run(bool save);

private:
  QString defaultExt_, fileName_, filter_, initialDir_, title_;
  int filterIndex_ = 1;
  unsigned options_ = kDefaultOptions;
  int fileEditStyle_ = 0;
  QPointer<TStringList> files_;
};

class TSaveDialog : public TOpenDialog {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TSaveDialog(QObject* owner = nullptr) : TOpenDialog(owner) {}
  bool execute() override { return run(true); }
};

// Colours are TColor values: 0x00BBGGRR.
class TColorDialog : public TCommonDialog {
  Q_OBJECT
  Q_PROPERTY(int Color READ color WRITE setColor)

public:
  Q_INVOKABLE explicit TColorDialog(QObject* owner = nullptr);
  bool execute() override;

  int color() const { return color_; }
  void setColor(int v) { color_ = v; }
  unsigned options() const { return options_; }
  void setOptions(unsigned v) { options_ = v; }
  // "ColorA=RRGGBB" lines, as the platform keeps a dialog's custom colours
  // (made anew, empty, when the script has freed the list).
  TStringList* customColors();

private:
  int color_ = 0;
  unsigned options_ = 0;
  QPointer<TStringList> customColors_;
};

// The dialog's font is an object of the script's TFont class when one is
// registered (the graphics module's), else of TFontDialogFont, which has
// the same Name, Size, Color and Style. Execute reads and writes these
// four by name, through the font's published properties unless the module
// supplies an access that goes through the script's members (a TFont may
// serve some of them with handlers).
class TFontDialogFont : public TPersistent {
  Q_OBJECT
  Q_PROPERTY(QString Name READ name WRITE setName)
  Q_PROPERTY(int Size READ size WRITE setSize)
  Q_PROPERTY(int Color READ color WRITE setColor)
  Q_PROPERTY(int Style READ style WRITE setStyle)

public:
  Q_INVOKABLE explicit TFontDialogFont(QObject* parent = nullptr) : TPersistent(parent) {}
  QString name() const { return name_; }
  void setName(const QString& v) { name_ = v; }
  int size() const { return size_; }
  void setSize(int v) { size_ = v; }
  int color() const { return color_; }
  void setColor(int v) { color_ = v; }
  int style() const { return style_; }
  void setStyle(int v) { style_ = v; }

private:
  QString name_ = QStringLiteral("Arial");
  int size_ = 10;
  int color_ = 0;
  int style_ = 0;  // fsBold 1, fsItalic 2, fsUnderline 4, fsStrikeOut 8
};

class TFontDialog : public TCommonDialog {
  Q_OBJECT
  Q_PROPERTY(int MinFontSize READ minFontSize WRITE setMinFontSize)
  Q_PROPERTY(int MaxFontSize READ maxFontSize WRITE setMaxFontSize)

public:
  static constexpr unsigned kDefaultOptions = 1u << 2;  // fdEffects

  Q_INVOKABLE explicit TFontDialog(QObject* owner = nullptr) : TCommonDialog(owner) {}
  bool execute() override;

  // The font object, made on first use: of fontClass when given (a class
  // with an invokable constructor), else a TFontDialogFont.
  QObject* font(const QMetaObject* fontClass = nullptr);
  using FontGetter = std::function<Variant(QObject* font, const QString& name)>;
  using FontSetter = std::function<void(QObject* font, const QString& name, const Variant& value)>;
  void setFontAccess(FontGetter get, FontSetter set) {
    getFont_ = std::move(get);
    setFont_ = std::move(set);
  }
  int minFontSize() const { return minFontSize_; }
  void setMinFontSize(int v) { minFontSize_ = v; }
  int maxFontSize() const { return maxFontSize_; }
  void setMaxFontSize(int v) { maxFontSize_ = v; }
  unsigned options() const { return options_; }
  void setOptions(unsigned v) { options_ = v; }
  int device() const { return device_; }
  void setDevice(int v) { device_ = v; }

private:
  Variant fontValue(QObject* font, const QString& name) const;
  void setFontValue(QObject* font, const QString& name, const Variant& value) const;

  QPointer<QObject> font_;
  FontGetter getFont_;
  FontSetter setFont_;
  int minFontSize_ = 0;
  int maxFontSize_ = 0;
  unsigned options_ = kDefaultOptions;
  int device_ = 0;  // fdScreen
};

class TPrintDialog : public TCommonDialog {
  Q_OBJECT
  Q_PROPERTY(bool Collate READ collate WRITE setCollate)
  Q_PROPERTY(int Copies READ copies WRITE setCopies)
  Q_PROPERTY(int FromPage READ fromPage WRITE setFromPage)
  Q_PROPERTY(int MinPage READ minPage WRITE setMinPage)
  Q_PROPERTY(int MaxPage READ maxPage WRITE setMaxPage)
  Q_PROPERTY(bool PrintToFile READ printToFile WRITE setPrintToFile)
  Q_PROPERTY(int ToPage READ toPage WRITE setToPage)

public:
  // The TPrintDialogOptions bits this program acts on.
  enum : unsigned { poPrintToFile = 1u << 0, poPageNums = 1u << 1, poSelection = 1u << 2, poDisablePrintToFile = 1u << 5 };
  enum PrintRange { prAllPages, prSelection, prPageNums };

  Q_INVOKABLE explicit TPrintDialog(QObject* owner = nullptr) : TCommonDialog(owner) {}
  bool execute() override;

  bool collate() const { return collate_; }
  void setCollate(bool v) { collate_ = v; }
  int copies() const { return copies_; }
  void setCopies(int v) { copies_ = v; }
  int fromPage() const { return fromPage_; }
  void setFromPage(int v) { fromPage_ = v; }
  int minPage() const { return minPage_; }
  void setMinPage(int v) { minPage_ = v; }
  int maxPage() const { return maxPage_; }
  void setMaxPage(int v) { maxPage_ = v; }
  bool printToFile() const { return printToFile_; }
  void setPrintToFile(bool v) { printToFile_ = v; }
  int toPage() const { return toPage_; }
  void setToPage(int v) { toPage_ = v; }
  unsigned options() const { return options_; }
  void setOptions(unsigned v) { options_ = v; }
  int printRange() const { return printRange_; }
  void setPrintRange(int v) { printRange_ = v; }

private:
  bool collate_ = false;
  int copies_ = 1;
  int fromPage_ = 0, toPage_ = 0, minPage_ = 0, maxPage_ = 0;
  bool printToFile_ = false;
  unsigned options_ = 0;
  int printRange_ = prAllPages;
};

class TPrinterSetupDialog : public TCommonDialog {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TPrinterSetupDialog(QObject* owner = nullptr) : TCommonDialog(owner) {}
  bool execute() override;
};

// TColor (0x00BBGGRR) and Qt colours.
QColor ColorOfTColor(int color);
int TColorOfColor(const QColor& color);

}  // namespace valmoro::script
