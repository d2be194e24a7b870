#pragma once
// "Opcje raportu": the report's description, password, engine, printing and
// preview options in five tabs. The dialog edits copies of the four option
// records and applies them on OK as one undo step (only when something
// differs); a password not confirmed exactly is refused and the dialog
// stays.

#include <QDialog>
#include <QMap>
#include <QString>
#include <memory>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace valmoro::report {
class TfrxEngineOptions;
class TfrxPreviewOptions;
class TfrxPrintOptions;
class TfrxReportOptions;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// Whether two option records hold the same published values (pictures
// compared by their bytes).
bool SameOptions(const QObject& a, const QObject& b);

// A date stored as days since 30 December 1899, as the dialog shows it
// ("2026-09-15 12:00"); "—" for none.
QString OptionsDateText(double days);

class ReportOptionsDialog : public QDialog {
  Q_OBJECT

public:
  explicit ReportOptionsDialog(DesignerDocument& document, QWidget* parent = nullptr);
  ~ReportOptionsDialog() override;

  QTabWidget* Tabs() const { return tabs_; }
  // A field by the option it edits: "ReportOptions.Name",
  // "EngineOptions.DoublePass", "PreviewOptions.Buttons.pbPrint", …
  QWidget* Field(const QString& key) const { return fields_.value(key); }
  QPlainTextEdit* DescriptionEdit() const { return description_; }
  QLineEdit* PasswordEdit() const { return password_; }
  QLineEdit* ConfirmEdit() const { return confirm_; }
  QPushButton* LoadPictureButton() const { return loadPicture_; }
  QPushButton* ClearPictureButton() const { return clearPicture_; }
  // The picture as the dialog will store it, drawn small.
  QLabel* PictureSample() const { return pictureSample_; }
  QLabel* CreateDateLabel() const { return createDate_; }
  QLabel* LastChangeLabel() const { return lastChange_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;

  // Reads the widgets into the copies; false (the error line says why, the
  // tab with the field shown) when they cannot be applied.
  bool Read();
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  QWidget* generalTab();
  QWidget* passwordTab();
  QWidget* engineTab();
  QWidget* printTab();
  QWidget* previewTab();
  QCheckBox* check(QWidget* parent, const QString& key, const QString& caption);
  QSpinBox* spin(QWidget* parent, const QString& key, int minimum, int maximum);
  QLineEdit* line(QWidget* parent, const QString& key);
  QComboBox* combo(QWidget* parent, const QString& key, const QStringList& captions);
  QObject* recordOf(const QString& key) const;
  void loadPicture();
  void showPicture();
  void fill();
  bool refuse(QWidget* field, const QString& text);

  DesignerDocument& document_;
  std::unique_ptr<report::TfrxReportOptions> reportOptions_;
  std::unique_ptr<report::TfrxEngineOptions> engineOptions_;
  std::unique_ptr<report::TfrxPrintOptions> printOptions_;
  std::unique_ptr<report::TfrxPreviewOptions> previewOptions_;
  QMap<QString, QWidget*> fields_;
  QTabWidget* tabs_;
  QPlainTextEdit* description_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* confirm_ = nullptr;
  QPushButton* loadPicture_ = nullptr;
  QPushButton* clearPicture_ = nullptr;
  QLabel* pictureSample_ = nullptr;
  QLabel* createDate_ = nullptr;
  QLabel* lastChange_ = nullptr;
  QSpinBox* zoom_ = nullptr;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool applied_ = false;
};

// The window's "Opcje raportu…": the dialog, modal; true when OK changed
// the report.
bool EditReportOptions(DesignerDocument& document, QWidget* parent);

}  // namespace valmoro::designer
