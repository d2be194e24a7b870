#include "designer/highlight_editor.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "designer/expression_editor.h"
#include "designer/format_editor.h"
#include "designer/memo_sample.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

namespace valmoro::designer {

namespace {

QColor qColorOf(report::TColor color) { return QColor::fromRgb(gfx::toRgb(gfx::Color(quint32(color)))); }

report::TColor colorOf(const QColor& c) {
  return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

// A button showing its colour ("brak" for none).
void paintSwatch(QPushButton* button, report::TColor color) {
  if (color == report::clTransparent) {
    button->setText(QStringLiteral("brak"));
    button->setStyleSheet(QString());
    return;
  }
  const QColor c = qColorOf(color);
  button->setText(c.name());
  button->setStyleSheet(QStringLiteral("background-color: %1; color: %2")
                            .arg(c.name(), c.lightness() < 128 ? QStringLiteral("white") : QStringLiteral("black")));
}

}  // namespace

HighlightDraft HighlightDraft::Of(const report::TfrxCustomMemoView& view) {
  const report::TfrxHighlight& h = *view.Highlight();
  HighlightDraft d;
  d.active = h.Active();
  d.condition = h.Condition();
  d.fontName = h.Font()->Name();
  d.fontHeight = h.Font()->Height();
  d.fontColor = h.Font()->Color();
  d.fontStyle = h.Font()->Style();
  d.color = h.Color();
  return d;
}

void HighlightDraft::WriteTo(report::TfrxCustomMemoView& view) const {
  report::TfrxHighlight& h = *view.Highlight();
  h.SetActive(active);
  h.SetCondition(condition);
  h.SetColor(color);
  report::ReportFont font;
  font.Assign(*h.Font());
  font.SetName(fontName);
  font.SetHeight(fontHeight);
  font.SetColor(fontColor);
  font.SetStyle(fontStyle);
  h.SetFont(&font);
}

QString ApplyHighlight(DesignerDocument& document, report::TfrxCustomMemoView& view, const HighlightDraft& draft) {
  if (HighlightDraft::Of(view) == draft) return QString();
  return document.Run([&] {
    return new report::edit::ChangeCommand(document.Report(), QStringLiteral("Wyróżnienie"), {view.Name()},
                                           [&draft](report::TfrxComponent& object) {
                                             if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(&object))
                                               draft.WriteTo(*memo);
                                           });
  });
}

// --- The dialog --------------------------------------------------------------------------

HighlightEditor::HighlightEditor(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent)
    : QDialog(parent), document_(document), view_(view), draft_(HighlightDraft::Of(view)), check_(document) {
  setObjectName(QStringLiteral("HighlightEditor"));
  setWindowTitle(QStringLiteral("Wyróżnienie: %1").arg(view.Name()));
  auto* note = new QLabel(QStringLiteral("Obiekt tekstowy ma jedno wyróżnienie: gdy warunek jest spełniony, "
                                         "tekst jest drukowany czcionką i kolorami wyróżnienia."),
                          this);
  note->setWordWrap(true);
  active_ = new QCheckBox(QStringLiteral("Aktywne"), this);
  active_->setObjectName(QStringLiteral("ActiveBox"));
  active_->setToolTip(QStringLiteral("Obiekt jest pokazany z wyróżnieniem w projekcie; podczas przygotowania "
                                     "raportu o wyróżnieniu decyduje warunek."));
  condition_ = new QLineEdit(this);
  condition_->setObjectName(QStringLiteral("ConditionEdit"));
  conditionButton_ = new QToolButton(this);
  conditionButton_->setObjectName(QStringLiteral("ConditionButton"));
  conditionButton_->setText(QStringLiteral("…"));
  conditionButton_->setToolTip(QStringLiteral("Edytor wyrażeń"));
  font_ = new QPushButton(QStringLiteral("Czcionka…"), this);
  font_->setObjectName(QStringLiteral("FontButton"));
  fontColor_ = new QPushButton(this);
  fontColor_->setObjectName(QStringLiteral("FontColorButton"));
  bold_ = new QCheckBox(QStringLiteral("Pogrubienie"), this);
  bold_->setObjectName(QStringLiteral("BoldBox"));
  italic_ = new QCheckBox(QStringLiteral("Kursywa"), this);
  italic_->setObjectName(QStringLiteral("ItalicBox"));
  underline_ = new QCheckBox(QStringLiteral("Podkreślenie"), this);
  underline_->setObjectName(QStringLiteral("UnderlineBox"));
  strikeOut_ = new QCheckBox(QStringLiteral("Przekreślenie"), this);
  strikeOut_->setObjectName(QStringLiteral("StrikeOutBox"));
  background_ = new QPushButton(this);
  background_->setObjectName(QStringLiteral("BackgroundButton"));
  transparent_ = new QCheckBox(QStringLiteral("Bez tła"), this);
  transparent_->setObjectName(QStringLiteral("TransparentBox"));
  sample_ = new MemoSample(this);
  sample_->SetView(view);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* conditionRow = new QHBoxLayout;
  conditionRow->addWidget(condition_, 1);
  conditionRow->addWidget(conditionButton_);
  auto* fontRow = new QHBoxLayout;
  fontRow->addWidget(font_);
  fontRow->addWidget(fontColor_);
  fontRow->addStretch(1);
  auto* styleRow = new QHBoxLayout;
  for (QCheckBox* box : {bold_, italic_, underline_, strikeOut_}) styleRow->addWidget(box);
  styleRow->addStretch(1);
  auto* backgroundRow = new QHBoxLayout;
  backgroundRow->addWidget(background_);
  backgroundRow->addWidget(transparent_);
  backgroundRow->addStretch(1);
  auto* fields = new QFormLayout;
  fields->addRow(QString(), active_);
  fields->addRow(QStringLiteral("Warunek:"), conditionRow);
  fields->addRow(QStringLiteral("Czcionka:"), fontRow);
  fields->addRow(QStringLiteral("Styl:"), styleRow);
  fields->addRow(QStringLiteral("Tło:"), backgroundRow);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addLayout(fields);
  layout->addWidget(new QLabel(QStringLiteral("Przykład:"), this));
  layout->addWidget(sample_, 1);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  resize(480, 400);

  const auto styleBox = [this](QCheckBox* box, report::TFontStyle style) {
    connect(box, &QCheckBox::toggled, this, [this, style](bool on) {
      if (filling_) return;
      draft_.fontStyle.setFlag(style, on);
      draftChanged();
    });
  };
  styleBox(bold_, report::fsBold);
  styleBox(italic_, report::fsItalic);
  styleBox(underline_, report::fsUnderline);
  styleBox(strikeOut_, report::fsStrikeOut);
  connect(active_, &QCheckBox::toggled, this, [this](bool on) {
    if (filling_) return;
    draft_.active = on;
    draftChanged();
  });
  connect(condition_, &QLineEdit::textEdited, this, [this](const QString& text) {
    draft_.condition = text;
    error_->clear();
  });
  connect(conditionButton_, &QToolButton::clicked, this, &HighlightEditor::EditCondition);
  connect(font_, &QPushButton::clicked, this, &HighlightEditor::ChooseFont);
  connect(fontColor_, &QPushButton::clicked, this, &HighlightEditor::ChooseFontColor);
  connect(background_, &QPushButton::clicked, this, &HighlightEditor::ChooseBackground);
  connect(transparent_, &QCheckBox::toggled, this, [this](bool on) {
    if (filling_) return;
    draft_.color = on ? report::clTransparent : report::clWhite;
    draftChanged();
  });
  connect(buttons_, &QDialogButtonBox::accepted, this, &HighlightEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &HighlightEditor::reject);
  showDraft();
}

HighlightEditor::~HighlightEditor() = default;

QPushButton* HighlightEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

void HighlightEditor::showDraft() {
  filling_ = true;
  active_->setChecked(draft_.active);
  if (condition_->text() != draft_.condition) condition_->setText(draft_.condition);
  bold_->setChecked(draft_.fontStyle.testFlag(report::fsBold));
  italic_->setChecked(draft_.fontStyle.testFlag(report::fsItalic));
  underline_->setChecked(draft_.fontStyle.testFlag(report::fsUnderline));
  strikeOut_->setChecked(draft_.fontStyle.testFlag(report::fsStrikeOut));
  transparent_->setChecked(draft_.color == report::clTransparent);
  paintSwatch(fontColor_, draft_.fontColor);
  paintSwatch(background_, draft_.color);
  font_->setText(QStringLiteral("%1, %2 pkt").arg(draft_.fontName).arg(
      qRound(std::abs(draft_.fontHeight) * 72.0 / report::ReportFont::PixelsPerInch)));
  filling_ = false;
  // The sample shows the highlighted look, whatever "Aktywne" says.
  HighlightDraft shown = draft_;
  shown.active = true;
  shown.WriteTo(sample_->View());
  sample_->update();
}

void HighlightEditor::draftChanged() { showDraft(); }

void HighlightEditor::ChooseFontColor() {
  if (const std::optional<QColor> color = dialogs::colorDialog(qColorOf(draft_.fontColor), QString(), this)) {
    draft_.fontColor = colorOf(*color);
    draftChanged();
  }
}

void HighlightEditor::ChooseBackground() {
  const QColor initial = draft_.color == report::clTransparent ? QColor(Qt::white) : qColorOf(draft_.color);
  if (const std::optional<QColor> color = dialogs::colorDialog(initial, QString(), this)) {
    draft_.color = colorOf(*color);
    draftChanged();
  }
}

void HighlightEditor::ChooseFont() {
  dialogs::FontChoice initial;
  initial.font.setFamily(draft_.fontName);
  initial.font.setPixelSize(std::max(1, std::abs(draft_.fontHeight)));
  initial.font.setBold(draft_.fontStyle.testFlag(report::fsBold));
  initial.font.setItalic(draft_.fontStyle.testFlag(report::fsItalic));
  initial.font.setUnderline(draft_.fontStyle.testFlag(report::fsUnderline));
  initial.font.setStrikeOut(draft_.fontStyle.testFlag(report::fsStrikeOut));
  initial.color = qColorOf(draft_.fontColor);
  const std::optional<dialogs::FontChoice> chosen = dialogs::fontDialog(initial, QString(), this);
  if (!chosen) return;
  draft_.fontName = chosen->font.family();
  if (chosen->font.pixelSize() > 0) draft_.fontHeight = -chosen->font.pixelSize();
  else if (chosen->font.pointSizeF() > 0)
    draft_.fontHeight = -qRound(chosen->font.pointSizeF() * report::ReportFont::PixelsPerInch / 72.0);
  report::TFontStyles style;
  style.setFlag(report::fsBold, chosen->font.bold());
  style.setFlag(report::fsItalic, chosen->font.italic());
  style.setFlag(report::fsUnderline, chosen->font.underline());
  style.setFlag(report::fsStrikeOut, chosen->font.strikeOut());
  draft_.fontStyle = style;
  draft_.fontColor = colorOf(chosen->color);
  draftChanged();
}

void HighlightEditor::EditCondition() {
  if (const std::optional<QString> condition = EditExpression(document_, draft_.condition, &view_, this)) {
    draft_.condition = *condition;
    condition_->setText(*condition);
    error_->clear();
  }
}

bool HighlightEditor::Apply() {
  draft_.condition = condition_->text();
  const QString error = check_.Error(draft_.condition);
  if (!error.isEmpty()) {
    error_->setText(error);
    condition_->setFocus();
    return false;
  }
  const int before = document_.UndoStack().index();
  const QString refusal = ApplyHighlight(document_, view_, draft_);
  if (!refusal.isEmpty()) {
    error_->setText(refusal);
    return false;
  }
  applied_ = document_.UndoStack().index() != before;
  return true;
}

void HighlightEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditHighlight(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent) {
  HighlightEditor editor(document, view, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

std::vector<ObjectEditor> HighlightEditors() {
  ObjectEditor editor;
  editor.id = QStringLiteral("highlight");
  editor.caption = QStringLiteral("Wyróżnienie…");
  editor.fits = [](const report::TfrxComponent& object) { return PublishesProperty(object, "Highlight"); };
  editor.properties = {QStringLiteral("Highlight")};
  editor.open = [](const EditorRequest& request) {
    auto* memo = qobject_cast<report::TfrxCustomMemoView*>(request.objects.first());
    return memo && EditHighlight(*request.document, *memo, request.parent);
  };
  return {editor};
}

}  // namespace valmoro::designer
