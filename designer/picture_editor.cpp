#include "designer/picture_editor.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "platform/dialogs.h"
#include "report/model/edit/commands.h"
#include "report/model/picture.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"

namespace valmoro::designer {

QString pictureFileFilter() {
  return QStringLiteral(
      "Obrazy (*.bmp;*.jpg;*.jpeg;*.png;*.ico;*.emf;*.wmf)|*.bmp;*.jpg;*.jpeg;*.png;*.ico;*.emf;*.wmf|"
      "Wszystkie pliki (*.*)|*.*");
}

QString readPictureFile(const QString& fileName, QByteArray* bytes) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return QStringLiteral("Nie można odczytać pliku %1.").arg(dialogs::shortPath(fileName));
  const QByteArray data = file.readAll();
  // The model tells the kind by the first bytes, whatever the file is called.
  report::ReportPicture probe;
  if (!probe.LoadFromData(data)) return QStringLiteral("Plik %1 nie jest obrazem.").arg(dialogs::shortPath(fileName));
  if (bytes) *bytes = data;
  return QString();
}

QString pictureSizeText(const report::ReportPicture& picture, report::LengthUnit unit) {
  if (picture.IsEmpty()) return QStringLiteral("Brak obrazu");
  const QImage image = picture.Image();
  if (image.isNull()) return QStringLiteral("Obraz %1 (bez podglądu)").arg(picture.GraphicClass());
  QString text = QStringLiteral("%1 × %2 px").arg(image.width()).arg(image.height());
  if (unit != report::LengthUnit::Pixel && unit != report::LengthUnit::None)
    text += QStringLiteral(" (%1 × %2 %3)")
                .arg(report::formatLength(image.width(), report::LengthUnit::Pixel, unit),
                     report::formatLength(image.height(), report::LengthUnit::Pixel, unit), report::lengthUnitSymbol(unit));
  return text;
}

PictureEditor::PictureEditor(DesignerDocument& document, report::TfrxPictureView& view, QWidget* parent)
    : QDialog(parent),
      document_(document),
      viewName_(view.Name()),
      draft_(new report::ReportPicture(this)),
      load_(new QPushButton(QStringLiteral("Wczytaj…"), this)),
      clear_(new QPushButton(QStringLiteral("Wyczyść"), this)),
      stretched_(new QCheckBox(QStringLiteral("Rozciągnięty"), this)),
      keepAspect_(new QCheckBox(QStringLiteral("Zachowaj proporcje"), this)),
      center_(new QCheckBox(QStringLiteral("Wyśrodkowany"), this)),
      preview_(new QLabel(this)),
      size_(new QLabel(this)),
      error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(QStringLiteral("Obraz"));
  setObjectName(QStringLiteral("PictureEditor"));
  load_->setObjectName(QStringLiteral("LoadPicture"));
  clear_->setObjectName(QStringLiteral("ClearPicture"));
  stretched_->setObjectName(QStringLiteral("Stretched"));
  keepAspect_->setObjectName(QStringLiteral("KeepAspectRatio"));
  center_->setObjectName(QStringLiteral("Center"));
  preview_->setObjectName(QStringLiteral("Preview"));
  size_->setObjectName(QStringLiteral("PictureSize"));
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #B00000"));
  preview_->setMinimumSize(240, 180);
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setFrameShape(QFrame::StyledPanel);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  draft_->Assign(*view.Picture());
  stretched_->setChecked(view.Stretched());
  keepAspect_->setChecked(view.KeepAspectRatio());
  center_->setChecked(view.Center());

  auto* side = new QVBoxLayout;
  side->addWidget(load_);
  side->addWidget(clear_);
  side->addSpacing(12);
  side->addWidget(stretched_);
  side->addWidget(keepAspect_);
  side->addWidget(center_);
  side->addStretch();
  auto* shown = new QVBoxLayout;
  shown->addWidget(preview_, 1);
  shown->addWidget(size_);
  auto* row = new QHBoxLayout;
  row->addLayout(shown, 1);
  row->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(error_);
  layout->addWidget(buttons_);

  connect(load_, &QPushButton::clicked, this, &PictureEditor::ChooseFile);
  connect(clear_, &QPushButton::clicked, this, &PictureEditor::Clear);
  // Proportions only mean something for a stretched picture.
  connect(stretched_, &QCheckBox::toggled, keepAspect_, &QWidget::setEnabled);
  keepAspect_->setEnabled(stretched_->isChecked());
  connect(buttons_, &QDialogButtonBox::accepted, this, &PictureEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &PictureEditor::reject);
  showPicture();
}

PictureEditor::~PictureEditor() = default;

QPushButton* PictureEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

void PictureEditor::ChooseFile() {
  dialogs::FileDialogRequest request;
  request.title = QStringLiteral("Wczytaj obraz");
  request.filter = pictureFileFilter();
  request.fileMustExist = true;
  if (const std::optional<dialogs::FileDialogAnswer> answer = dialogs::fileDialog(request, this))
    if (!answer->files.isEmpty()) LoadFile(answer->files.first());
}

bool PictureEditor::LoadFile(const QString& fileName) {
  QByteArray bytes;
  const QString refusal = readPictureFile(fileName, &bytes);
  if (!refusal.isEmpty()) {
    error_->setText(refusal);
    return false;
  }
  error_->clear();
  draft_->LoadFromData(bytes);
  showPicture();
  return true;
}

void PictureEditor::Clear() {
  error_->clear();
  draft_->Clear();
  showPicture();
}

void PictureEditor::showPicture() {
  const QImage image = draft_->Image();
  if (image.isNull()) {
    preview_->setPixmap(QPixmap());
    preview_->setText(draft_->IsEmpty() ? QStringLiteral("(brak obrazu)") : QStringLiteral("(bez podglądu)"));
  } else {
    const QSize room = preview_->minimumSize();
    QImage shown = image;
    if (image.width() > room.width() || image.height() > room.height())
      shown = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    preview_->setPixmap(QPixmap::fromImage(shown));
  }
  size_->setText(pictureSizeText(*draft_, document_.Options().unit));
  clear_->setEnabled(!draft_->IsEmpty());
}

bool PictureEditor::Apply() {
  report::TfrxReport& rep = document_.Report();
  auto* view = qobject_cast<report::TfrxPictureView*>(rep.FindObject(viewName_));
  if (view == nullptr) {
    error_->setText(QStringLiteral("Obiektu %1 już nie ma w raporcie.").arg(viewName_));
    return false;
  }
  const bool stretched = stretched_->isChecked(), keep = keepAspect_->isChecked(), center = center_->isChecked();
  if (*view->Picture() == *draft_ && view->Stretched() == stretched && view->KeepAspectRatio() == keep &&
      view->Center() == center)
    return true;
  const QString refusal = document_.Run([&] {
    return new report::edit::ChangeCommand(rep, QStringLiteral("Obraz"), {viewName_}, [&](report::TfrxComponent& object) {
      auto* target = qobject_cast<report::TfrxPictureView*>(&object);
      if (target == nullptr) return;
      target->Picture()->Assign(*draft_);
      target->SetStretched(stretched);
      target->SetKeepAspectRatio(keep);
      target->SetCenter(center);
    });
  });
  document_.EndGesture();
  if (!refusal.isEmpty()) {
    error_->setText(refusal.section(QLatin1Char('\n'), 0, 0));
    return false;
  }
  applied_ = true;
  return true;
}

void PictureEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditPicture(DesignerDocument& document, report::TfrxPictureView& view, QWidget* parent) {
  PictureEditor editor(document, view, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

std::vector<ObjectEditor> PictureEditors() {
  ObjectEditor picture;
  picture.id = QStringLiteral("picture");
  picture.caption = QStringLiteral("Obraz…");
  picture.fits = [](const report::TfrxComponent& object) {
    return qobject_cast<const report::TfrxPictureView*>(&object) != nullptr;
  };
  picture.main = true;
  picture.properties = {QStringLiteral("Picture")};
  picture.open = [](const EditorRequest& request) {
    auto* view = qobject_cast<report::TfrxPictureView*>(request.objects.value(0));
    return view != nullptr && EditPicture(*request.document, *view, request.parent);
  };
  return {picture};
}

}  // namespace valmoro::designer
