#include "designer/fill_editor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "designer/frame_editor.h"
#include "designer/look_widgets.h"
#include "report/model/component.h"
#include "report/model/edit/commands.h"
#include "report/model/published.h"
#include "report/model/report.h"
#include "report/model/shape_view.h"
#include "report/model/view.h"
#include "report/paint/paint_support.h"

namespace valmoro::designer {

namespace {

const report::PublishedProperty* published(const report::TfrxComponent& object, const char16_t* name,
                                           report::PropertyKind kind) {
  const report::PublishedProperty* p = report::findPublishedProperty(*object.metaObject(), name);
  return p && p->kind() == kind && p->isWritable() ? p : nullptr;
}

}  // namespace

bool hasFill(const report::TfrxComponent& object) {
  // Dialog forms and their controls have a colour too, but nothing of the
  // report's fill.
  const bool paper = qobject_cast<const report::TfrxView*>(&object) || object.inherits("valmoro::report::TfrxReportPage");
  return paper && published(object, u"Color", report::PropertyKind::Color);
}

bool hasBrushStyle(const report::TfrxComponent& object) {
  return hasFill(object) && published(object, u"BrushStyle", report::PropertyKind::Enumeration);
}

QStringList hatchNames() {
  return {QStringLiteral("Poziome linie"),  QStringLiteral("Pionowe linie"), QStringLiteral("Ukośne w prawo"),
          QStringLiteral("Ukośne w lewo"), QStringLiteral("Kratka"),        QStringLiteral("Kratka ukośna")};
}

Fill Fill::Of(const report::TfrxComponent& object) {
  Fill fill;
  if (const report::PublishedProperty* p = published(object, u"Color", report::PropertyKind::Color))
    fill.color = report::TColor(quint32(p->readOrdinal(&object)));
  auto brush = report::bsSolid;
  if (const report::PublishedProperty* p = published(object, u"BrushStyle", report::PropertyKind::Enumeration))
    brush = report::TBrushStyle(p->readOrdinal(&object));
  if (report::paint::isHatch(brush)) {
    fill.kind = Kind::Hatch;
    fill.hatch = brush;
  } else {
    fill.kind = fill.color == report::clTransparent ? Kind::None : Kind::Solid;
  }
  return fill;
}

void Fill::WriteTo(report::TfrxComponent& object) const {
  const report::PublishedProperty* color = published(object, u"Color", report::PropertyKind::Color);
  const report::PublishedProperty* brush = published(object, u"BrushStyle", report::PropertyKind::Enumeration);
  if (color == nullptr) return;
  report::TColor value = kind == Kind::None ? report::clTransparent : this->color;
  // One colour is never "no colour".
  if (kind == Kind::Solid && value == report::clTransparent) value = report::clWhite;
  color->write(&object, QVariant::fromValue(value));
  if (brush == nullptr) return;
  const auto current = report::TBrushStyle(brush->readOrdinal(&object));
  if (kind == Kind::Hatch) brush->write(&object, QVariant::fromValue(hatch));
  // bsClear stays as it was: it fills nothing either way.
  else if (report::paint::isHatch(current)) brush->write(&object, QVariant::fromValue(report::bsSolid));
}

bool Fill::operator==(const Fill& other) const {
  if (kind != other.kind) return false;
  if (kind == Kind::None) return true;
  return color == other.color && (kind != Kind::Hatch || hatch == other.hatch);
}

QString applyFill(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, const Fill& fill,
                  bool* changed) {
  if (changed) *changed = false;
  QStringList names;
  for (report::TfrxComponent* object : objects) {
    if (object == nullptr || !hasFill(*object)) continue;
    Fill wanted = fill;
    if (wanted.kind == Fill::Kind::Hatch && !hasBrushStyle(*object))
      wanted = {wanted.color == report::clTransparent ? Fill::Kind::None : Fill::Kind::Solid, wanted.color};
    if (!(Fill::Of(*object) == wanted)) names.append(object->Name());
  }
  if (names.isEmpty()) return QString();
  report::TfrxReport& rep = document.Report();
  const QString refusal = document.Run([&] {
    return new report::edit::ChangeCommand(rep, QStringLiteral("Wypełnienie"), names,
                                           [&](report::TfrxComponent& object) { fill.WriteTo(object); });
  });
  document.EndGesture();
  if (changed) *changed = refusal.isEmpty();
  return refusal;
}

// --- The dialog -------------------------------------------------------------------------

namespace {

// A shape shows the fill in its own figure, anything else as a box; the
// frame comes along, as hatches are drawn in its colour.
std::unique_ptr<report::TfrxView> sampleFor(const QList<report::TfrxComponent*>& objects) {
  report::TfrxComponent* first = objects.isEmpty() ? nullptr : objects.first();
  std::unique_ptr<report::TfrxView> view;
  if (auto* shape = qobject_cast<report::TfrxShapeView*>(first)) {
    auto copy = std::make_unique<report::TfrxShapeView>();
    copy->SetShape(shape->Shape());
    view = std::move(copy);
  } else {
    view = std::make_unique<report::TfrxView>();
  }
  if (report::TfrxFrame* frame = first ? frameOf(*first) : nullptr) view->Frame()->Assign(*frame);
  return view;
}

}  // namespace

FillEditor::FillEditor(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent)
    : QDialog(parent),
      document_(document),
      objects_(objects),
      kind_(new QComboBox(this)),
      hatch_(new QComboBox(this)),
      color_(new ColorChoice(QStringLiteral("Brak"), this)),
      sample_(new ViewSample(sampleFor(objects), this)),
      error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(QStringLiteral("Wypełnienie"));
  setObjectName(QStringLiteral("FillEditor"));
  kind_->setObjectName(QStringLiteral("FillKind"));
  hatch_->setObjectName(QStringLiteral("HatchStyle"));
  color_->setObjectName(QStringLiteral("FillColor"));
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #B00000"));
  kind_->addItems({QStringLiteral("Brak wypełnienia"), QStringLiteral("Jednolite"), QStringLiteral("Kreskowanie")});
  hatch_->addItems(hatchNames());
  // A hatch only where every object has a brush style.
  bool hatches = !objects_.isEmpty();
  for (report::TfrxComponent* object : objects_) hatches = hatches && object && hasBrushStyle(*object);
  if (auto* model = qobject_cast<QStandardItemModel*>(kind_->model()))
    if (QStandardItem* item = model->item(2)) item->setEnabled(hatches);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Rodzaj:"), kind_);
  form->addRow(QStringLiteral("Kolor tła:"), color_);
  form->addRow(QStringLiteral("Kreskowanie:"), hatch_);
  auto* note = new QLabel(QStringLiteral("Kreski mają kolor ramki obiektu."), this);
  note->setWordWrap(true);
  form->addRow(note);
  auto* sampleBox = new QGroupBox(QStringLiteral("Przykład"), this);
  (new QVBoxLayout(sampleBox))->addWidget(sample_);
  auto* row = new QHBoxLayout;
  row->addLayout(form, 1);
  row->addWidget(sampleBox, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(error_);
  layout->addWidget(buttons_);

  if (!objects_.isEmpty() && objects_.first()) draft_ = Fill::Of(*objects_.first());
  if (draft_.kind == Fill::Kind::Hatch && !hatches) draft_.kind = Fill::Kind::Solid;
  load();

  connect(kind_, &QComboBox::activated, this, [this](int index) {
    draft_.kind = Fill::Kind(index);
    if (draft_.kind == Fill::Kind::Solid && draft_.color == report::clTransparent) draft_.color = report::clWhite;
    changed();
  });
  connect(hatch_, &QComboBox::activated, this, [this](int index) {
    draft_.hatch = report::TBrushStyle(report::bsHorizontal + index);
    changed();
  });
  connect(color_, &ColorChoice::colorChanged, this, [this](report::TColor color) {
    if (loading_) return;
    draft_.color = color;
    // Choosing "Brak" for one colour is no fill; a colour for no fill is one.
    if (draft_.kind == Fill::Kind::Solid && color == report::clTransparent) draft_.kind = Fill::Kind::None;
    else if (draft_.kind == Fill::Kind::None && color != report::clTransparent) draft_.kind = Fill::Kind::Solid;
    changed();
  });
  connect(buttons_, &QDialogButtonBox::accepted, this, &FillEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &FillEditor::reject);
}

FillEditor::~FillEditor() = default;

void FillEditor::load() {
  loading_ = true;
  kind_->setCurrentIndex(int(draft_.kind));
  hatch_->setCurrentIndex(std::clamp(int(draft_.hatch) - int(report::bsHorizontal), 0, 5));
  hatch_->setEnabled(draft_.kind == Fill::Kind::Hatch);
  color_->SetColor(draft_.kind == Fill::Kind::None ? report::clTransparent : draft_.color);
  loading_ = false;
  report::TfrxView& view = sample_->View();
  view.SetColor(draft_.kind == Fill::Kind::None ? report::clTransparent : draft_.color);
  view.SetBrushStyle(draft_.kind == Fill::Kind::Hatch ? draft_.hatch : report::bsSolid);
  sample_->update();
}

void FillEditor::changed() {
  error_->clear();
  load();
}

QPushButton* FillEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

bool FillEditor::Apply() {
  bool changed = false;
  const QString refusal = applyFill(document_, objects_, draft_, &changed);
  if (!refusal.isEmpty()) {
    error_->setText(refusal.section(QLatin1Char('\n'), 0, 0));
    return false;
  }
  applied_ = changed;
  return true;
}

void FillEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditFill(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent) {
  FillEditor editor(document, objects, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

std::vector<ObjectEditor> FillEditors() {
  ObjectEditor fill;
  fill.id = QStringLiteral("fill");
  fill.caption = QStringLiteral("Wypełnienie…");
  fill.fits = [](const report::TfrxComponent& object) { return hasFill(object); };
  fill.multiple = true;
  fill.properties = {QStringLiteral("BrushStyle")};
  fill.open = [](const EditorRequest& request) { return EditFill(*request.document, request.objects, request.parent); };
  return {fill};
}

}  // namespace valmoro::designer
