#pragma once
// "Wyszukiwanie tekstu": the text to find, case sensitivity and whether to
// start at the first page. The last text searched is kept for the process.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace valmoro::preview {

class TfrxSearchDialog : public QDialog {
  Q_OBJECT

public:
  explicit TfrxSearchDialog(QWidget* parent = nullptr);

  QLineEdit* TextE() const { return textE_; }
  QCheckBox* CaseCB() const { return caseCB_; }
  QCheckBox* TopCB() const { return topCB_; }
  QPushButton* OkB() const { return okB_; }
  QPushButton* CancelB() const { return cancelB_; }
  // The replace controls exist but stay hidden.
  QLineEdit* ReplaceE() const { return replaceE_; }

  // The text searched last in this process.
  static QString LastText();
  static void SetLastText(const QString& text);

  void accept() override;

private:
  QLineEdit* textE_;
  QLineEdit* replaceE_;
  QCheckBox* caseCB_;
  QCheckBox* topCB_;
  QPushButton* okB_;
  QPushButton* cancelB_;
};

}  // namespace valmoro::preview
