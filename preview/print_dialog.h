#pragma once
// The print dialog: printer, pages, copies, page set, order, duplex and
// print mode. It edits the report's PrintOptions when confirmed; the
// printer chosen becomes the current one of the printer list (and goes back
// when the dialog is cancelled).

#include <QDialog>
#include <optional>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::preview {

// The file a print into a file writes: a PDF document.
inline const QString kPdfFileFilter = QStringLiteral("Dokument PDF (*.pdf)|*.pdf");

// Asks where a print into a file goes; the name always ends in ".pdf", so
// the file opens in any reader. None when the user cancels.
std::optional<QString> AskPdfFileName(const QString& title, QWidget* parent);

class TfrxPrintDialog : public QDialog {
  Q_OBJECT
public:
  // duplex: the duplex choice (0 as each page says, 1 vertical, 2
  // horizontal, 3 simplex); currentPage: the page shown in the preview.
  TfrxPrintDialog(report::TfrxReport& report, int duplex, int currentPage, QWidget* parent = nullptr);
  ~TfrxPrintDialog() override;

  // Shows the dialog modally in the desktop mode of the dialog layer; in
  // any other mode nobody can answer and it counts as cancelled.
  bool execute();

  // After OK: the duplex choice and the file chosen with "Drukuj do pliku"
  // (empty when printing to the printer).
  int Duplex() const { return duplex_; }
  QString OutputFileName() const { return outputFileName_; }

  // The controls, for the code that drives the dialog without a user.
  QComboBox* printerList() const { return printers_; }
  QLabel* portLabel() const { return port_; }
  QCheckBox* printToFileBox() const { return printToFile_; }
  QRadioButton* allPagesButton() const { return all_; }
  QRadioButton* currentPageButton() const { return current_; }
  QRadioButton* pageNumbersButton() const { return numbers_; }
  QLineEdit* pageNumbersEdit() const { return numbersEdit_; }
  QSpinBox* copiesBox() const { return copies_; }
  QCheckBox* collateBox() const { return collate_; }
  QComboBox* pageSetList() const { return pageSet_; }
  QComboBox* orderList() const { return order_; }
  QComboBox* duplexList() const { return duplexList_; }
  QComboBox* modeList() const { return mode_; }
  QComboBox* sheetList() const { return sheet_; }

  void done(int result) override;

private:
  void choosePrinter(int index);
  void applyModeRule();
  void chooseSheetCode(int code);
  void updateCollatePicture();
  void showProperties();
  // Writes the choices back into the options; false when the dialog must
  // not close with OK (a page numbers text that is not one, or the file
  // dialog of "Drukuj do pliku" cancelled, which then cancels).
  bool confirm(bool& cancel);

  report::TfrxReport& report_;
  int duplex_;
  int currentPage_;
  int printerAtStart_;
  QString outputFileName_;

  QComboBox* printers_;
  QPushButton* properties_;
  QLabel* port_;
  QCheckBox* printToFile_;
  QRadioButton* all_;
  QRadioButton* current_;
  QRadioButton* numbers_;
  QLineEdit* numbersEdit_;
  QSpinBox* copies_;
  QCheckBox* collate_;
  QLabel* collatePicture_;
  QComboBox* pageSet_;
  QComboBox* order_;
  QComboBox* duplexList_;
  QComboBox* mode_;
  QComboBox* sheet_;
};

}  // namespace valmoro::preview
