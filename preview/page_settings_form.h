#pragma once
// "Ustawienia strony": paper, size, orientation and margins of the current
// prepared page, for that page or for every page of the report.

#include <QDialog>
#include <vector>

#include "report/model/enums.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QLabel;

namespace valmoro::report {
class TfrxReportPage;
}

namespace valmoro::preview {

class TfrxPageSettingsForm : public QDialog {
  Q_OBJECT

public:
  // inches: the designer's unit setting asks for inches (else centimetres).
  TfrxPageSettingsForm(report::TfrxReportPage& page, bool inches, QWidget* parent = nullptr);

  QComboBox* PaperCB() const { return paperCB_; }
  QLineEdit* WidthE() const { return widthE_; }
  QLineEdit* HeightE() const { return heightE_; }
  QRadioButton* PortraitRB() const { return portraitRB_; }
  QRadioButton* LandscapeRB() const { return landscapeRB_; }
  QLineEdit* MarginE(int side) const { return margins_[side]; }  // 0 left, 1 top, 2 right, 3 bottom
  QRadioButton* ThisPageRB() const { return thisPageRB_; }
  QRadioButton* AllPagesRB() const { return allPagesRB_; }
  QPushButton* OkB() const { return okB_; }
  QPushButton* CancelB() const { return cancelB_; }
  QString UnitLabel() const;

  bool ApplyToAll() const;
  // Writes the values into the page (after OK).
  void ApplyTo(report::TfrxReportPage& page) const;

  void accept() override;

  // The paper codes offered after the custom entry.
  static std::vector<std::pair<int, QString>> Papers();

private:
  void paperChosen();
  void sizeTyped();
  QString show(double millimetres) const;
  bool read(const QLineEdit* edit, double& millimetres) const;

  bool inches_;
  bool updating_ = false;
  QComboBox* paperCB_;
  QLineEdit* widthE_;
  QLineEdit* heightE_;
  QRadioButton* portraitRB_;
  QRadioButton* landscapeRB_;
  QLineEdit* margins_[4];
  QRadioButton* thisPageRB_;
  QRadioButton* allPagesRB_;
  QPushButton* okB_;
  QPushButton* cancelB_;
  // Values read on OK, in millimetres.
  double values_[6] = {};  // width, height, left, top, right, bottom
};

}  // namespace valmoro::preview
