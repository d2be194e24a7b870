#pragma once
// "Ustawienia strony": paper, orientation, margins, columns, paper trays,
// duplex and the printing options of a report page, with a small drawing
// of the sheet. OK applies them as one undo step; sizes that leave no
// printable area are refused in the dialog, which stays open.

#include <QDialog>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>
#include <vector>

#include "report/model/enums.h"
#include "report/model/units.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace valmoro::report {
class TfrxReportPage;
}

namespace valmoro::designer {

class DesignerDocument;

// What the dialog edits, in the page's own units (millimetres).
struct PageDraft {
  int paperSize = 9;
  double paperWidth = 0, paperHeight = 0;
  report::TPrinterOrientation orientation = report::poPortrait;
  double leftMargin = 0, rightMargin = 0, topMargin = 0, bottomMargin = 0;
  int columns = 0;
  double columnWidth = 0;
  QStringList columnPositions;
  int bin = 7, binOtherPages = 7;
  report::TfrxDuplexMode duplex = report::dmNone;
  // The page's yes/no options by property name.
  QMap<QString, bool> options;

  static PageDraft Of(const report::TfrxReportPage& page);
  // Turned as the page turns when its orientation changes: sides swapped,
  // margins rotated with the sheet.
  void SetOrientation(report::TPrinterOrientation value);
  // A paper of the table (sides as the orientation wants them).
  void SetPaper(int code);
  // n columns dividing the printable width, as the page divides it.
  void SetColumns(int n);
  // Why the draft cannot be applied; "" when it can.
  QString Refusal() const;
  void WriteTo(report::TfrxReportPage& page) const;
  bool operator==(const PageDraft&) const = default;
};

// The page's yes/no options the dialog offers: property and caption.
const std::vector<std::pair<QString, QString>>& PageOptionCaptions();

// A paper tray: its name and bin number.
struct PaperTray {
  QString name;
  int code = 7;
};
// The trays offered: the current printer's when the machine has printers,
// else the default tray; the page's own values are always among them.
std::vector<PaperTray> PaperTrays(const report::TfrxReportPage& page);

// A sheet drawn to scale: the paper, the printable area inside the margins
// and the column edges.
class PageSample : public QWidget {
  Q_OBJECT

public:
  explicit PageSample(QWidget* parent = nullptr);
  void SetDraft(const PageDraft& draft);
  const PageDraft& Draft() const { return draft_; }
  // Where the sheet and the printable area are drawn, in widget pixels.
  QRectF SheetRect() const;
  QRectF PrintableRect() const;
  // The left edges of the columns, in widget pixels.
  QList<double> ColumnEdges() const;
  QSize sizeHint() const override { return {180, 200}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  PageDraft draft_;
};

class PageSettingsDialog : public QDialog {
  Q_OBJECT

public:
  PageSettingsDialog(DesignerDocument& document, report::TfrxReportPage& page, QWidget* parent = nullptr);
  ~PageSettingsDialog() override;

  QComboBox* PaperCombo() const { return paper_; }
  QLineEdit* WidthEdit() const { return width_; }
  QLineEdit* HeightEdit() const { return height_; }
  QRadioButton* PortraitChoice() const { return portrait_; }
  QRadioButton* LandscapeChoice() const { return landscape_; }
  QLineEdit* MarginEdit(int side) const;  // 0 left, 1 top, 2 right, 3 bottom
  QSpinBox* ColumnsSpin() const { return columns_; }
  QLineEdit* ColumnWidthEdit() const { return columnWidth_; }
  QLineEdit* ColumnPositionsEdit() const { return columnPositions_; }
  QComboBox* BinCombo() const { return bin_; }
  QComboBox* BinOtherPagesCombo() const { return binOtherPages_; }
  QComboBox* DuplexCombo() const { return duplex_; }
  QCheckBox* Option(const QString& property) const { return checks_.value(property); }
  PageSample* Sample() const { return sample_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;
  // The unit lengths are shown and typed in.
  report::LengthUnit Unit() const { return unit_; }

  // The widgets' values; nothing (the error line says why) when a field
  // does not read or the sizes are refused.
  std::optional<PageDraft> Read(bool quiet = false);
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  // The fields read; the sizes checked only when `checked`.
  std::optional<PageDraft> read(bool quiet, bool checked);
  void display(const PageDraft& draft);
  void refreshSample();
  void paperChosen();
  void orientationChosen();
  void columnsChosen();
  QString format(double millimetres) const;

  DesignerDocument& document_;
  QString pageName_;
  PageDraft original_;
  // The exact values behind what the fields show: a field left as shown
  // keeps its value exactly (the text is rounded).
  PageDraft shown_;
  report::LengthUnit unit_;
  QComboBox* paper_;
  QLineEdit* width_;
  QLineEdit* height_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
  QLineEdit* margins_[4];
  QSpinBox* columns_;
  QLineEdit* columnWidth_;
  QLineEdit* columnPositions_;
  QComboBox* bin_;
  QComboBox* binOtherPages_;
  QComboBox* duplex_;
  QMap<QString, QCheckBox*> checks_;
  PageSample* sample_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool filling_ = false;
  bool applied_ = false;
};

// The window's "Ustawienia strony…": the dialog for `page` (a report page),
// modal; true when OK changed the document.
bool EditPageSettings(DesignerDocument& document, report::TfrxReportPage* page, QWidget* parent);

}  // namespace valmoro::designer
