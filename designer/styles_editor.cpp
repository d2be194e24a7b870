#include "designer/styles_editor.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "designer/frame_editor.h"
#include "designer/look_widgets.h"
#include "platform/dialogs.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/style.h"

namespace valmoro::designer {

using report::TfrxStyleItem;
using report::TfrxStyles;

namespace {

QByteArray styleSheetOf(const TfrxStyles& styles) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  styles.SaveToStream(buffer);
  return buffer.data();
}

void readStyleSheet(TfrxStyles& styles, const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  styles.LoadFromStream(buffer);
}

QString fontText(const report::ReportFont& font) {
  QStringList parts{font.Name(), QStringLiteral("%1 pt").arg(font.Size())};
  if (font.Style().testFlag(report::fsBold)) parts.append(QStringLiteral("pogrubiona"));
  if (font.Style().testFlag(report::fsItalic)) parts.append(QStringLiteral("kursywa"));
  if (font.Style().testFlag(report::fsUnderline)) parts.append(QStringLiteral("podkreślona"));
  if (font.Style().testFlag(report::fsStrikeOut)) parts.append(QStringLiteral("przekreślona"));
  return parts.join(QStringLiteral(", "));
}

// A text view showing the style, painted by the model.
std::unique_ptr<report::TfrxView> styleSample() {
  auto memo = std::make_unique<report::TfrxMemoView>();
  memo->SetText(QStringLiteral("AaBbĄąŻż 123"));
  memo->SetHAlign(report::haCenter);
  memo->SetVAlign(report::vaCenter);
  return memo;
}

QString styleSheetFilter() { return QStringLiteral("Style (*.fss)|*.fss|Wszystkie pliki (*.*)|*.*"); }

}  // namespace

// --- The draft ---------------------------------------------------------------------------

StylesDraft::StylesDraft(const TfrxStyles& styles) : styles_(std::make_unique<TfrxStyles>()) {
  readStyleSheet(*styles_, styleSheetOf(styles));
}

StylesDraft::~StylesDraft() = default;

int StylesDraft::Count() const { return styles_->Count(); }

TfrxStyleItem* StylesDraft::Item(int index) const {
  return index >= 0 && index < styles_->Count() ? styles_->Item(index) : nullptr;
}

int StylesDraft::Add() {
  QString name;
  for (int i = 1;; ++i) {
    name = QStringLiteral("Styl%1").arg(i);
    if (styles_->Find(name) == nullptr) break;
  }
  TfrxStyleItem* item = styles_->Add();
  item->SetName(name);
  return styles_->Count() - 1;
}

void StylesDraft::Remove(int index) {
  if (Item(index) == nullptr) return;
  // The collection has no removal of its own: it is read again without the item.
  TfrxStyles rest;
  for (int i = 0; i < styles_->Count(); ++i)
    if (i != index) rest.Add()->Assign(*styles_->Item(i));
  rest.SetName(styles_->Name());
  readStyleSheet(*styles_, styleSheetOf(rest));
}

QString StylesDraft::Rename(int index, const QString& name) {
  TfrxStyleItem* item = Item(index);
  if (item == nullptr) return QString();
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return QStringLiteral("Nazwa stylu nie może być pusta.");
  const TfrxStyleItem* other = styles_->Find(trimmed);
  if (other && other != item) return QStringLiteral("Nazwa „%1” jest już użyta przez inny styl.").arg(trimmed);
  item->SetName(trimmed);
  return QString();
}

QByteArray StylesDraft::Bytes() const { return styleSheetOf(*styles_); }

QStringList StylesDraft::Load(const QString& fileName) { return styles_->LoadFromFile(fileName); }

void StylesDraft::Save(const QString& fileName) const { styles_->SaveToFile(fileName); }

QString applyStyles(DesignerDocument& document, const StylesDraft& draft, bool* changed) {
  if (changed) *changed = false;
  const QByteArray bytes = draft.Bytes();
  // Untouched styles are not applied again: views changed by hand since
  // keep what they have.
  if (bytes == styleSheetOf(*document.Report().Styles())) return QString();
  const int before = document.UndoStack().index();
  const QString refusal = document.ChangeReport(QStringLiteral("Style"), [&](report::TfrxReport& r) {
    readStyleSheet(*r.Styles(), bytes);
  });
  if (changed) *changed = refusal.isEmpty() && document.UndoStack().index() != before;
  return refusal;
}

// --- The styles dialog ------------------------------------------------------------------

StylesEditor::StylesEditor(DesignerDocument& document, QWidget* parent)
    : QDialog(parent),
      document_(document),
      draft_(*document.Report().Styles()),
      list_(new QListWidget(this)),
      name_(new QLineEdit(this)),
      add_(new QPushButton(QStringLiteral("Dodaj"), this)),
      delete_(new QPushButton(QStringLiteral("Usuń"), this)),
      font_(new QPushButton(QStringLiteral("Czcionka…"), this)),
      fontText_(new QLabel(this)),
      color_(new ColorChoice(QStringLiteral("Brak wypełnienia"), this)),
      frame_(new FramePanel(this)),
      load_(new QPushButton(QStringLiteral("Wczytaj…"), this)),
      save_(new QPushButton(QStringLiteral("Zapisz…"), this)),
      sample_(new ViewSample(styleSample(), this)),
      error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(QStringLiteral("Style"));
  setObjectName(QStringLiteral("StylesEditor"));
  list_->setObjectName(QStringLiteral("StyleList"));
  name_->setObjectName(QStringLiteral("StyleName"));
  add_->setObjectName(QStringLiteral("AddStyle"));
  delete_->setObjectName(QStringLiteral("DeleteStyle"));
  font_->setObjectName(QStringLiteral("StyleFont"));
  color_->setObjectName(QStringLiteral("StyleColor"));
  load_->setObjectName(QStringLiteral("LoadStyles"));
  save_->setObjectName(QStringLiteral("SaveStyles"));
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #B00000"));
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* listButtons = new QHBoxLayout;
  listButtons->addWidget(add_);
  listButtons->addWidget(delete_);
  auto* fileButtons = new QHBoxLayout;
  fileButtons->addWidget(load_);
  fileButtons->addWidget(save_);
  auto* left = new QVBoxLayout;
  left->addWidget(list_, 1);
  left->addLayout(listButtons);
  left->addLayout(fileButtons);

  auto* fontRow = new QHBoxLayout;
  fontRow->addWidget(fontText_, 1);
  fontRow->addWidget(font_);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Nazwa:"), name_);
  form->addRow(QStringLiteral("Czcionka:"), fontRow);
  form->addRow(QStringLiteral("Wypełnienie:"), color_);
  auto* frameBox = new QGroupBox(QStringLiteral("Ramka"), this);
  (new QVBoxLayout(frameBox))->addWidget(frame_);
  auto* sampleBox = new QGroupBox(QStringLiteral("Przykład"), this);
  (new QVBoxLayout(sampleBox))->addWidget(sample_);
  auto* right = new QVBoxLayout;
  right->addLayout(form);
  right->addWidget(frameBox);
  right->addWidget(sampleBox);
  auto* row = new QHBoxLayout;
  row->addLayout(left);
  row->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(error_);
  layout->addWidget(buttons_);

  connect(list_, &QListWidget::currentRowChanged, this, &StylesEditor::currentChanged);
  connect(name_, &QLineEdit::textEdited, this, &StylesEditor::nameEdited);
  connect(add_, &QPushButton::clicked, this, [this] {
    const int index = draft_.Add();
    rebuild(index);
    name_->setFocus();
    name_->selectAll();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (current_ < 0) return;
    const int index = current_;
    draft_.Remove(index);
    rebuild(std::min(index, draft_.Count() - 1));
  });
  connect(font_, &QPushButton::clicked, this, &StylesEditor::ChooseFont);
  connect(color_, &ColorChoice::colorChanged, this, [this](report::TColor color) {
    if (filling_) return;
    if (TfrxStyleItem* item = draft_.Item(current_)) item->SetColor(color);
    showStyle();
  });
  connect(frame_, &FramePanel::frameChanged, this, [this] {
    if (filling_) return;
    if (TfrxStyleItem* item = draft_.Item(current_)) item->SetFrame(&frame_->Frame());
    showStyle();
  });
  connect(load_, &QPushButton::clicked, this, &StylesEditor::LoadSet);
  connect(save_, &QPushButton::clicked, this, &StylesEditor::SaveSet);
  connect(buttons_, &QDialogButtonBox::accepted, this, &StylesEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &StylesEditor::reject);
  rebuild(0);
}

StylesEditor::~StylesEditor() = default;

QPushButton* StylesEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

void StylesEditor::rebuild(int select) {
  filling_ = true;
  list_->clear();
  for (int i = 0; i < draft_.Count(); ++i) list_->addItem(draft_.Item(i)->Name());
  filling_ = false;
  if (draft_.Count() == 0) select = -1;
  list_->setCurrentRow(select);
  currentChanged(select);
}

void StylesEditor::SetCurrent(int index) { list_->setCurrentRow(index); }

void StylesEditor::currentChanged(int row) {
  if (filling_) return;
  current_ = draft_.Item(row) ? row : -1;
  nameRefusal_.clear();
  showError(QString());
  const bool any = current_ >= 0;
  for (QWidget* w : std::initializer_list<QWidget*>{name_, delete_, font_, color_, frame_}) w->setEnabled(any);
  filling_ = true;
  if (TfrxStyleItem* item = draft_.Item(current_)) {
    shownName_ = item->Name();
    name_->setText(item->Name());
    color_->SetColor(item->Color());
    frame_->SetFrame(*item->Frame());
  } else {
    name_->clear();
    color_->SetColor(report::clTransparent);
    frame_->SetFrame(report::TfrxFrame());
  }
  filling_ = false;
  showStyle();
}

void StylesEditor::nameEdited(const QString& text) {
  if (current_ < 0) return;
  nameRefusal_ = draft_.Rename(current_, text);
  // A refused name leaves the style with the one it had before this
  // editing, not with the last accepted part of what is being typed.
  if (!nameRefusal_.isEmpty()) draft_.Rename(current_, shownName_);
  showError(nameRefusal_);
  if (QListWidgetItem* item = list_->item(current_)) item->setText(draft_.Item(current_)->Name());
}

void StylesEditor::showStyle() {
  const TfrxStyleItem* item = draft_.Item(current_);
  fontText_->setText(item ? fontText(*item->Font()) : QString());
  auto& memo = static_cast<report::TfrxMemoView&>(sample_->View());
  if (item) memo.ApplyStyle(*item);
  sample_->setVisible(item != nullptr);
  sample_->update();
}

void StylesEditor::showError(const QString& text) { error_->setText(text); }

void StylesEditor::ChooseFont() {
  TfrxStyleItem* item = draft_.Item(current_);
  if (item == nullptr) return;
  const report::ReportFont& font = *item->Font();
  dialogs::FontChoice initial;
  initial.font.setFamily(font.Name());
  initial.font.setPointSize(std::max(1, font.Size()));
  initial.font.setBold(font.Style().testFlag(report::fsBold));
  initial.font.setItalic(font.Style().testFlag(report::fsItalic));
  initial.font.setUnderline(font.Style().testFlag(report::fsUnderline));
  initial.font.setStrikeOut(font.Style().testFlag(report::fsStrikeOut));
  initial.color = qColorOf(font.Color());
  const std::optional<dialogs::FontChoice> chosen = dialogs::fontDialog(initial, QString(), this);
  if (!chosen) return;
  report::ReportFont changed;
  changed.Assign(font);
  changed.SetName(chosen->font.family());
  changed.SetSize(chosen->font.pointSize() > 0 ? chosen->font.pointSize() : 10);
  report::TFontStyles style;
  if (chosen->font.bold()) style |= report::fsBold;
  if (chosen->font.italic()) style |= report::fsItalic;
  if (chosen->font.underline()) style |= report::fsUnderline;
  if (chosen->font.strikeOut()) style |= report::fsStrikeOut;
  changed.SetStyle(style);
  changed.SetColor(colorOf(chosen->color));
  item->SetFont(&changed);
  showStyle();
}

void StylesEditor::LoadSet() {
  dialogs::FileDialogRequest request;
  request.title = QStringLiteral("Wczytaj style");
  request.filter = styleSheetFilter();
  request.defaultExt = QStringLiteral("fss");
  request.fileMustExist = true;
  const std::optional<dialogs::FileDialogAnswer> answer = dialogs::fileDialog(request, this);
  if (!answer || answer->files.isEmpty()) return;
  const QByteArray kept = draft_.Bytes();
  try {
    const QStringList unread = draft_.Load(answer->files.first());
    rebuild(0);
    if (!unread.isEmpty()) showError(QStringLiteral("Nie odczytano: %1").arg(unread.join(QStringLiteral("; "))));
  } catch (const report::ReportError& e) {
    // A damaged file leaves the styles as they were.
    readStyleSheet(draft_.Styles(), kept);
    rebuild(current_);
    showError(e.message().section(QLatin1Char('\n'), 0, 0));
  }
}

void StylesEditor::SaveSet() {
  dialogs::FileDialogRequest request;
  request.save = true;
  request.title = QStringLiteral("Zapisz style");
  request.filter = styleSheetFilter();
  request.defaultExt = QStringLiteral("fss");
  request.overwritePrompt = true;
  const std::optional<dialogs::FileDialogAnswer> answer = dialogs::fileDialog(request, this);
  if (!answer || answer->files.isEmpty()) return;
  try {
    draft_.Save(answer->files.first());
  } catch (const report::ReportError& e) {
    showError(e.message().section(QLatin1Char('\n'), 0, 0));
  }
}

bool StylesEditor::Apply() {
  if (!nameRefusal_.isEmpty()) {
    showError(nameRefusal_);
    name_->setFocus();
    return false;
  }
  bool changed = false;
  const QString refusal = applyStyles(document_, draft_, &changed);
  if (!refusal.isEmpty()) {
    showError(refusal.section(QLatin1Char('\n'), 0, 0));
    return false;
  }
  applied_ = changed;
  return true;
}

void StylesEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditStyles(DesignerDocument& document, QWidget* parent) {
  StylesEditor editor(document, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

// --- Giving a style to text views -------------------------------------------------------

QString applyStyle(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, const QString& name,
                   bool* changed) {
  if (changed) *changed = false;
  report::TfrxReport& rep = document.Report();
  const TfrxStyleItem* style = rep.Styles()->Find(name);
  if (!name.isEmpty() && style == nullptr) return QStringLiteral("Raport nie ma stylu „%1”.").arg(name);
  // The style's own spelling is what the views keep.
  const QString stored = style ? style->Name() : QString();
  QStringList names;
  for (report::TfrxComponent* object : objects)
    if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(object)) {
      const bool same = memo->Style() == stored &&
                        (style == nullptr || (memo->Color() == style->Color() && *memo->Font() == *style->Font() &&
                                              *memo->Frame() == *style->Frame()));
      if (!same) names.append(memo->Name());
    }
  if (names.isEmpty()) return QString();
  const int before = document.UndoStack().index();
  const QString refusal = document.Run([&] {
    return new report::edit::ChangeCommand(rep, QStringLiteral("Styl"), names, [&](report::TfrxComponent& object) {
      if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(&object)) memo->SetStyle(stored);
    });
  });
  document.EndGesture();
  if (changed) *changed = refusal.isEmpty() && document.UndoStack().index() != before;
  return refusal;
}

StylePicker::StylePicker(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent)
    : QDialog(parent),
      document_(document),
      objects_(objects),
      list_(new QListWidget(this)),
      sample_(new ViewSample(styleSample(), this)),
      error_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(QStringLiteral("Styl"));
  setObjectName(QStringLiteral("StylePicker"));
  list_->setObjectName(QStringLiteral("StyleList"));
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #B00000"));
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  list_->addItem(QStringLiteral("(bez stylu)"));
  const TfrxStyles& styles = *document_.Report().Styles();
  for (int i = 0; i < styles.Count(); ++i) list_->addItem(styles.Item(i)->Name());
  auto* row = new QHBoxLayout;
  row->addWidget(list_, 1);
  auto* sampleBox = new QGroupBox(QStringLiteral("Przykład"), this);
  (new QVBoxLayout(sampleBox))->addWidget(sample_);
  row->addWidget(sampleBox, 1);
  auto* layout = new QVBoxLayout(this);
  if (styles.Count() == 0)
    layout->addWidget(new QLabel(QStringLiteral("Raport nie ma jeszcze stylów: dodaje się je poleceniem Raport → Style…"), this));
  layout->addLayout(row);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  connect(list_, &QListWidget::currentRowChanged, this, [this] { showSample(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  connect(buttons_, &QDialogButtonBox::accepted, this, &StylePicker::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &StylePicker::reject);
  QString current;
  if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(objects_.value(0))) current = memo->Style();
  if (!Choose(current)) list_->setCurrentRow(0);
  showSample();
}

StylePicker::~StylePicker() = default;

QPushButton* StylePicker::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

QString StylePicker::Chosen() const {
  const int row = list_->currentRow();
  return row > 0 ? list_->item(row)->text() : QString();
}

bool StylePicker::Choose(const QString& name) {
  if (name.isEmpty()) {
    list_->setCurrentRow(0);
    return true;
  }
  for (int i = 1; i < list_->count(); ++i)
    if (list_->item(i)->text().compare(name, Qt::CaseInsensitive) == 0) {
      list_->setCurrentRow(i);
      return true;
    }
  return false;
}

void StylePicker::showSample() {
  const TfrxStyleItem* style = document_.Report().Styles()->Find(Chosen());
  auto& memo = static_cast<report::TfrxMemoView&>(sample_->View());
  if (style) memo.ApplyStyle(*style);
  else if (auto* first = qobject_cast<report::TfrxCustomMemoView*>(objects_.value(0))) {
    // Without a style the views keep their own look.
    memo.SetColor(first->Color());
    memo.SetFont(first->Font());
    memo.SetFrame(first->Frame());
  }
  sample_->update();
}

bool StylePicker::Apply() {
  bool changed = false;
  const QString refusal = applyStyle(document_, objects_, Chosen(), &changed);
  if (!refusal.isEmpty()) {
    error_->setText(refusal.section(QLatin1Char('\n'), 0, 0));
    return false;
  }
  applied_ = changed;
  return true;
}

void StylePicker::accept() {
  if (Apply()) QDialog::accept();
}

bool PickStyle(DesignerDocument& document, const QList<report::TfrxComponent*>& objects, QWidget* parent) {
  StylePicker picker(document, objects, parent);
  return picker.exec() == QDialog::Accepted && picker.Applied();
}

std::vector<ObjectEditor> StyleEditors() {
  ObjectEditor style;
  style.id = QStringLiteral("style");
  style.caption = QStringLiteral("Styl…");
  style.fits = [](const report::TfrxComponent& object) {
    return qobject_cast<const report::TfrxCustomMemoView*>(&object) != nullptr;
  };
  style.multiple = true;
  style.properties = {QStringLiteral("Style")};
  style.open = [](const EditorRequest& request) { return PickStyle(*request.document, request.objects, request.parent); };
  return {style};
}

}  // namespace valmoro::designer
