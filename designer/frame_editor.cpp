#include "designer/frame_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "designer/look_widgets.h"
#include "platform/locale.h"
#include "report/model/component.h"
#include "report/model/edit/commands.h"
#include "report/model/published.h"
#include "report/model/report.h"
#include "report/model/view.h"

namespace valmoro::designer {

using report::TfrxFrame;
using report::TfrxFrameLine;

// --- The draft's logic -----------------------------------------------------------------

TfrxFrameLine* frameLine(TfrxFrame& frame, FrameTarget target) {
  switch (target) {
    case FrameTarget::Left:
      return frame.LeftLine();
    case FrameTarget::Top:
      return frame.TopLine();
    case FrameTarget::Right:
      return frame.RightLine();
    case FrameTarget::Bottom:
      return frame.BottomLine();
    case FrameTarget::All:
      break;
  }
  return nullptr;
}

const TfrxFrameLine* frameLine(const TfrxFrame& frame, FrameTarget target) {
  return frameLine(const_cast<TfrxFrame&>(frame), target);
}

void setFrameStyle(TfrxFrame& frame, FrameTarget target, report::TfrxFrameStyle style) {
  if (TfrxFrameLine* line = frameLine(frame, target)) line->SetStyle(style);
  else frame.SetStyle(style);
}

void setFrameWidth(TfrxFrame& frame, FrameTarget target, double width) {
  if (TfrxFrameLine* line = frameLine(frame, target)) line->SetWidth(width);
  else frame.SetWidth(width);
}

void setFrameColor(TfrxFrame& frame, FrameTarget target, report::TColor color) {
  if (TfrxFrameLine* line = frameLine(frame, target)) line->SetColor(color);
  else frame.SetColor(color);
}

report::TfrxFrameStyle frameStyle(const TfrxFrame& frame, FrameTarget target) {
  const TfrxFrameLine* line = frameLine(frame, target);
  return line ? line->Style() : frame.Style();
}

double frameWidth(const TfrxFrame& frame, FrameTarget target) {
  const TfrxFrameLine* line = frameLine(frame, target);
  return line ? line->Width() : frame.Width();
}

report::TColor frameColor(const TfrxFrame& frame, FrameTarget target) {
  const TfrxFrameLine* line = frameLine(frame, target);
  return line ? line->Color() : frame.Color();
}

QStringList frameStyleNames() {
  return {QStringLiteral("Ciągła"),        QStringLiteral("Kreskowa"),  QStringLiteral("Kropkowa"),
          QStringLiteral("Kreska-kropka"), QStringLiteral("Kreska-kropka-kropka"),
          QStringLiteral("Podwójna"),      QStringLiteral("Gęste kropki"), QStringLiteral("Kwadraty")};
}

std::optional<double> parseLineWidth(const QString& text, QString* refusal) {
  const std::optional<double> value = locale::parseFloat(text);
  if (value && *value >= 0 && *value <= 100) return value;
  if (refusal) *refusal = QStringLiteral("„%1” nie jest szerokością linii: liczba pikseli od 0 do 100.").arg(text.trimmed());
  return std::nullopt;
}

TfrxFrame* frameOf(report::TfrxComponent& object) {
  const report::PublishedProperty* p = report::findPublishedProperty(*object.metaObject(), u"Frame");
  if (p == nullptr || p->kind() != report::PropertyKind::Object) return nullptr;
  return qobject_cast<TfrxFrame*>(p->readObject(&object));
}

QString applyFrame(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, const TfrxFrame& frame,
                   bool* changed) {
  if (changed) *changed = false;
  QStringList names;
  for (report::TfrxComponent* object : objects) {
    TfrxFrame* own = object ? frameOf(*object) : nullptr;
    if (own && !(*own == frame)) names.append(object->Name());
  }
  if (names.isEmpty()) return QString();
  report::TfrxReport& rep = document.Report();
  const QString refusal = document.Run([&] {
    return new report::edit::ChangeCommand(rep, QStringLiteral("Ramka"), names, [&](report::TfrxComponent& object) {
      if (TfrxFrame* own = frameOf(object)) own->Assign(frame);
    });
  });
  document.EndGesture();
  if (changed) *changed = refusal.isEmpty();
  return refusal;
}

// --- The panel --------------------------------------------------------------------------

namespace {

constexpr report::TfrxFrameType kSides[4] = {report::ftLeft, report::ftTop, report::ftRight, report::ftBottom};

QString widthText(double width) { return locale::formatFloatGeneral(width); }

}  // namespace

FramePanel::FramePanel(QWidget* parent)
    : QWidget(parent),
      draft_(new TfrxFrame(this)),
      all_(new QPushButton(QStringLiteral("Wszystkie"), this)),
      none_(new QPushButton(QStringLiteral("Brak"), this)),
      target_(new QComboBox(this)),
      style_(new QComboBox(this)),
      width_(new QLineEdit(this)),
      color_(new ColorChoice(QString(), this)),
      shadow_(new QCheckBox(QStringLiteral("Cień"), this)),
      shadowWidth_(new QLineEdit(this)),
      shadowColor_(new ColorChoice(QString(), this)),
      sample_(new ViewSample(std::make_unique<report::TfrxView>(), this)) {
  const char* sideNames[4] = {"Lewa", "Górna", "Prawa", "Dolna"};
  const char* sideIds[4] = {"SideLeft", "SideTop", "SideRight", "SideBottom"};
  auto* sideRow = new QHBoxLayout;
  for (int i = 0; i < 4; ++i) {
    sides_[i] = new QToolButton(this);
    sides_[i]->setText(QString::fromUtf8(sideNames[i]));
    sides_[i]->setObjectName(QString::fromLatin1(sideIds[i]));
    sides_[i]->setCheckable(true);
    sideRow->addWidget(sides_[i]);
    connect(sides_[i], &QToolButton::toggled, this, [this] { sidesChanged(); });
  }
  all_->setObjectName(QStringLiteral("AllSides"));
  none_->setObjectName(QStringLiteral("NoSides"));
  sideRow->addSpacing(8);
  sideRow->addWidget(all_);
  sideRow->addWidget(none_);
  sideRow->addStretch();
  connect(all_, &QPushButton::clicked, this,
          [this] { setSides(report::TfrxFrameTypes(report::ftLeft | report::ftTop | report::ftRight | report::ftBottom)); });
  connect(none_, &QPushButton::clicked, this, [this] { setSides(report::TfrxFrameTypes()); });

  target_->setObjectName(QStringLiteral("FrameTarget"));
  target_->addItems({QStringLiteral("Wszystkie krawędzie"), QStringLiteral("Lewa krawędź"), QStringLiteral("Górna krawędź"),
                     QStringLiteral("Prawa krawędź"), QStringLiteral("Dolna krawędź")});
  style_->setObjectName(QStringLiteral("FrameStyle"));
  style_->addItems(frameStyleNames());
  width_->setObjectName(QStringLiteral("FrameWidth"));
  color_->setObjectName(QStringLiteral("FrameColor"));
  shadow_->setObjectName(QStringLiteral("Shadow"));
  shadowWidth_->setObjectName(QStringLiteral("ShadowWidth"));
  shadowColor_->setObjectName(QStringLiteral("ShadowColor"));

  auto* sidesBox = new QGroupBox(QStringLiteral("Krawędzie"), this);
  sidesBox->setLayout(sideRow);
  auto* lineBox = new QGroupBox(QStringLiteral("Linia"), this);
  auto* lineForm = new QFormLayout(lineBox);
  lineForm->addRow(QStringLiteral("Dotyczy:"), target_);
  lineForm->addRow(QStringLiteral("Styl:"), style_);
  lineForm->addRow(QStringLiteral("Szerokość (px):"), width_);
  lineForm->addRow(QStringLiteral("Kolor:"), color_);
  auto* shadowBox = new QGroupBox(QStringLiteral("Cień"), this);
  auto* shadowForm = new QFormLayout(shadowBox);
  shadowForm->addRow(shadow_);
  shadowForm->addRow(QStringLiteral("Szerokość (px):"), shadowWidth_);
  shadowForm->addRow(QStringLiteral("Kolor:"), shadowColor_);

  auto* left = new QVBoxLayout;
  left->addWidget(sidesBox);
  left->addWidget(lineBox);
  left->addWidget(shadowBox);
  auto* sampleBox = new QGroupBox(QStringLiteral("Przykład"), this);
  auto* sampleLayout = new QVBoxLayout(sampleBox);
  sampleLayout->addWidget(sample_);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(left, 1);
  layout->addWidget(sampleBox, 1);

  connect(target_, &QComboBox::currentIndexChanged, this, [this] { load(); });
  connect(style_, &QComboBox::activated, this, [this](int index) {
    setFrameStyle(*draft_, Target(), report::TfrxFrameStyle(index));
    changed();
  });
  connect(width_, &QLineEdit::textEdited, this, &FramePanel::widthEdited);
  connect(color_, &ColorChoice::colorChanged, this, [this](report::TColor color) {
    if (loading_) return;
    setFrameColor(*draft_, Target(), color);
    changed();
  });
  connect(shadow_, &QCheckBox::toggled, this, [this](bool on) {
    if (loading_) return;
    draft_->SetDropShadow(on);
    changed();
  });
  connect(shadowWidth_, &QLineEdit::textEdited, this, &FramePanel::shadowWidthEdited);
  connect(shadowColor_, &ColorChoice::colorChanged, this, [this](report::TColor color) {
    if (loading_) return;
    draft_->SetShadowColor(color);
    changed();
  });
  load();
}

FramePanel::~FramePanel() = default;

void FramePanel::SetFrame(const TfrxFrame& frame) {
  draft_->Assign(frame);
  load();
}

FrameTarget FramePanel::Target() const { return FrameTarget(std::max(0, target_->currentIndex())); }

void FramePanel::SetTarget(FrameTarget target) { target_->setCurrentIndex(int(target)); }

QString FramePanel::Refusal() const { return !widthRefusal_.isEmpty() ? widthRefusal_ : shadowRefusal_; }

QToolButton* FramePanel::SideButton(report::TfrxFrameType side) const {
  for (int i = 0; i < 4; ++i)
    if (kSides[i] == side) return sides_[i];
  return nullptr;
}

// The fields read the draft again (another frame, another target).
void FramePanel::load() {
  loading_ = true;
  for (int i = 0; i < 4; ++i) sides_[i]->setChecked(draft_->Typ().testFlag(kSides[i]));
  const FrameTarget target = Target();
  style_->setCurrentIndex(int(frameStyle(*draft_, target)));
  width_->setText(widthText(frameWidth(*draft_, target)));
  color_->SetColor(frameColor(*draft_, target));
  shadow_->setChecked(draft_->DropShadow());
  shadowWidth_->setText(widthText(draft_->ShadowWidth()));
  shadowColor_->SetColor(draft_->ShadowColor());
  widthRefusal_.clear();
  shadowRefusal_.clear();
  loading_ = false;
  sample_->View().Frame()->Assign(*draft_);
  sample_->update();
}

void FramePanel::sidesChanged() {
  if (loading_) return;
  report::TfrxFrameTypes sides;
  for (int i = 0; i < 4; ++i)
    if (sides_[i]->isChecked()) sides |= kSides[i];
  draft_->SetTyp(sides);
  changed();
}

void FramePanel::setSides(report::TfrxFrameTypes sides) {
  draft_->SetTyp(sides);
  loading_ = true;
  for (int i = 0; i < 4; ++i) sides_[i]->setChecked(sides.testFlag(kSides[i]));
  loading_ = false;
  changed();
}

void FramePanel::widthEdited(const QString& text) {
  widthRefusal_.clear();
  if (const std::optional<double> width = parseLineWidth(text, &widthRefusal_)) {
    setFrameWidth(*draft_, Target(), *width);
    changed();
  }
}

void FramePanel::shadowWidthEdited(const QString& text) {
  shadowRefusal_.clear();
  if (const std::optional<double> width = parseLineWidth(text, &shadowRefusal_)) {
    draft_->SetShadowWidth(*width);
    changed();
  }
}

void FramePanel::changed() {
  sample_->View().Frame()->Assign(*draft_);
  sample_->update();
  emit frameChanged();
}

// --- The dialog -------------------------------------------------------------------------

FrameEditor::FrameEditor(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent)
    : QDialog(parent),
      document_(document),
      objects_(objects),
      panel_(new FramePanel(this)),
      error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(QStringLiteral("Ramka"));
  setObjectName(QStringLiteral("FrameEditor"));
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #B00000"));
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  for (report::TfrxComponent* object : objects_)
    if (TfrxFrame* frame = object ? frameOf(*object) : nullptr) {
      panel_->SetFrame(*frame);
      break;
    }
  connect(panel_, &FramePanel::frameChanged, this, [this] { error_->clear(); });
  connect(buttons_, &QDialogButtonBox::accepted, this, &FrameEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &FrameEditor::reject);
}

QPushButton* FrameEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

bool FrameEditor::Apply() {
  if (const QString refusal = panel_->Refusal(); !refusal.isEmpty()) {
    error_->setText(refusal);
    return false;
  }
  bool changed = false;
  const QString refusal = applyFrame(document_, objects_, panel_->Frame(), &changed);
  if (!refusal.isEmpty()) {
    error_->setText(refusal.section(QLatin1Char('\n'), 0, 0));
    return false;
  }
  applied_ = changed;
  return true;
}

void FrameEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditFrame(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent,
               const QString& property) {
  FrameEditor editor(document, objects, parent);
  const QString side = property.section(QLatin1Char('.'), 1, 1);
  if (side == QLatin1String("LeftLine")) editor.Panel()->SetTarget(FrameTarget::Left);
  else if (side == QLatin1String("TopLine")) editor.Panel()->SetTarget(FrameTarget::Top);
  else if (side == QLatin1String("RightLine")) editor.Panel()->SetTarget(FrameTarget::Right);
  else if (side == QLatin1String("BottomLine")) editor.Panel()->SetTarget(FrameTarget::Bottom);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

std::vector<ObjectEditor> FrameEditors() {
  ObjectEditor frame;
  frame.id = QStringLiteral("frame");
  frame.caption = QStringLiteral("Ramka…");
  frame.fits = [](const report::TfrxComponent& object) {
    return frameOf(const_cast<report::TfrxComponent&>(object)) != nullptr;
  };
  frame.multiple = true;
  frame.properties = {QStringLiteral("Frame")};
  frame.open = [](const EditorRequest& request) {
    return EditFrame(*request.document, request.objects, request.parent, request.property);
  };
  return {frame};
}

}  // namespace valmoro::designer
