#pragma once
// "Obraz": the picture of a picture view, loaded from a file (every kind
// the model's picture holds: BMP, JPEG, PNG, icons, metafiles) or cleared,
// with how it fills the view (stretched, keeping its proportions,
// centred). The picture is shown scaled with its size in pixels and in the
// designer's unit. OK makes the change as one undo step.

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <vector>

#include "designer/object_editors.h"
#include "report/model/units.h"

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;

namespace valmoro::report {
class ReportPicture;
class TfrxPictureView;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// The open dialog's filter for picture files.
QString pictureFileFilter();
// Reads a file the model's picture can hold into `bytes`; otherwise the
// Polish refusal naming the file ("Plik … nie jest obrazem.").
QString readPictureFile(const QString& fileName, QByteArray* bytes);
// "640 × 480 px (16,93 × 12,7 cm)"; the kind for pictures kept without a
// preview; "Brak obrazu" for none.
QString pictureSizeText(const report::ReportPicture& picture, report::LengthUnit unit);

class PictureEditor : public QDialog {
  Q_OBJECT

public:
  PictureEditor(DesignerDocument& document, report::TfrxPictureView& view, QWidget* parent = nullptr);
  ~PictureEditor() override;

  const report::ReportPicture& Picture() const { return *draft_; }
  // The file dialog (dialogs::fileDialog), then LoadFile.
  void ChooseFile();
  // False (the error line names the file, the picture stays) for a file
  // that is not a picture.
  bool LoadFile(const QString& fileName);
  void Clear();

  QPushButton* LoadButton() const { return load_; }
  QPushButton* ClearButton() const { return clear_; }
  QCheckBox* StretchedBox() const { return stretched_; }
  QCheckBox* KeepAspectBox() const { return keepAspect_; }
  QCheckBox* CenterBox() const { return center_; }
  QLabel* PreviewLabel() const { return preview_; }
  QLabel* SizeLabel() const { return size_; }
  QLabel* ErrorLine() const { return error_; }
  QPushButton* OkButton() const;
  bool Apply();
  bool Applied() const { return applied_; }
  void accept() override;

private:
  void showPicture();

  DesignerDocument& document_;
  QString viewName_;
  report::ReportPicture* draft_;  // owned by this dialog
  QPushButton* load_;
  QPushButton* clear_;
  QCheckBox* stretched_;
  QCheckBox* keepAspect_;
  QCheckBox* center_;
  QLabel* preview_;
  QLabel* size_;
  QLabel* error_;
  QDialogButtonBox* buttons_;
  bool applied_ = false;
};

bool EditPicture(DesignerDocument& document, report::TfrxPictureView& view, QWidget* parent);

// The registry's entry: "picture", the main editor of picture views.
std::vector<ObjectEditor> PictureEditors();

}  // namespace valmoro::designer
