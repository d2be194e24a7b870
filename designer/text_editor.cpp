#include "designer/text_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "designer/expression_editor.h"
#include "designer/format_editor.h"
#include "designer/highlight_editor.h"
#include "designer/memo_sample.h"
#include "platform/dialogs.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"

namespace valmoro::designer {

// --- Line numbers ----------------------------------------------------------------------------

class LineNumberMargin : public QWidget {
public:
  explicit LineNumberMargin(NumberedTextEdit* edit) : QWidget(edit), edit_(edit) {
    setObjectName(QStringLiteral("LineNumbers"));
  }
  QSize sizeHint() const override { return {edit_->MarginWidth(), 0}; }

protected:
  void paintEvent(QPaintEvent* event) override { edit_->paintMargin(event); }

private:
  NumberedTextEdit* edit_;
};

NumberedTextEdit::NumberedTextEdit(QWidget* parent) : QPlainTextEdit(parent), margin_(new LineNumberMargin(this)) {
  setObjectName(QStringLiteral("TextEdit"));
  setLineWrapMode(QPlainTextEdit::NoWrap);
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(MarginWidth(), 0, 0, 0); });
  connect(this, &QPlainTextEdit::updateRequest, this, &NumberedTextEdit::updateMargin);
  setViewportMargins(MarginWidth(), 0, 0, 0);
}

int NumberedTextEdit::MarginWidth() const {
  int digits = 1;
  for (int count = std::max(1, blockCount()); count >= 10; count /= 10) ++digits;
  return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 2);
}

QList<int> NumberedTextEdit::VisibleLineNumbers() const {
  QList<int> numbers;
  QTextBlock block = firstVisibleBlock();
  double top = blockBoundingGeometry(block).translated(contentOffset()).top();
  while (block.isValid() && top <= viewport()->height()) {
    if (block.isVisible()) numbers.append(block.blockNumber() + 1);
    top += blockBoundingRect(block).height();
    block = block.next();
  }
  return numbers;
}

void NumberedTextEdit::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  const QRect r = contentsRect();
  margin_->setGeometry(QRect(r.left(), r.top(), MarginWidth(), r.height()));
}

void NumberedTextEdit::updateMargin(const QRect& rect, int dy) {
  if (dy != 0) margin_->scroll(0, dy);
  else margin_->update(0, rect.y(), margin_->width(), rect.height());
}

void NumberedTextEdit::paintMargin(QPaintEvent* event) {
  QPainter painter(margin_);
  painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
  painter.setPen(palette().color(QPalette::PlaceholderText));
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  int bottom = top + qRound(blockBoundingRect(block).height());
  while (block.isValid() && top <= event->rect().bottom()) {
    if (block.isVisible() && bottom >= event->rect().top())
      painter.drawText(0, top, margin_->width() - 4, fontMetrics().height(), Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
    block = block.next();
    top = bottom;
    bottom = top + qRound(blockBoundingRect(block).height());
  }
}

// --- Totals ----------------------------------------------------------------------------------

namespace {

const char* const kFunctionNames[] = {"SUM", "AVG", "MIN", "MAX", "COUNT"};
const char* const kFunctionCaptions[] = {"SUM – suma", "AVG – średnia", "MIN – najmniejsza", "MAX – największa",
                                         "COUNT – liczba wierszy"};

report::TfrxDataBand* dataBandNamed(const report::TfrxReport& report, const QString& name) {
  return qobject_cast<report::TfrxDataBand*>(report.FindObject(name));
}

}  // namespace

QPair<QString, QString> ExpressionBrackets(const QString& delimiters) {
  const qsizetype comma = delimiters.indexOf(QLatin1Char(','));
  if (delimiters.isEmpty() || comma <= 0 || comma == delimiters.size() - 1)
    return {QStringLiteral("["), QStringLiteral("]")};
  return {delimiters.left(comma), delimiters.mid(comma + 1)};
}

QString AggregateText(const AggregateChoice& choice, const QString& delimiters) {
  const auto [open, close] = ExpressionBrackets(delimiters);
  QStringList arguments;
  if (choice.function != AggregateKind::Count) arguments.append(choice.expression.trimmed());
  arguments.append(choice.band);
  const int flags = (choice.invisibleBands ? 1 : 0) | (choice.runningTotal ? 2 : 0);
  if (flags != 0) arguments.append(QString::number(flags));
  return open + QString::fromLatin1(kFunctionNames[int(choice.function)]) + QLatin1Char('(') +
         arguments.join(QLatin1Char(',')) + QLatin1Char(')') + close;
}

QStringList DataBandNames(const report::TfrxReport& report) {
  QStringList names;
  for (report::TfrxComponent* object : report.AllObjects())
    if (qobject_cast<report::TfrxDataBand*>(object)) names.append(object->Name());
  return names;
}

QStringList DataBandFields(const report::TfrxReport& report, const QString& band) {
  QStringList fields;
  report::TfrxDataBand* data = dataBandNamed(report, band);
  report::TfrxDataSet* dataSet = data ? data->DataSet() : nullptr;
  if (dataSet == nullptr) return fields;
  QStringList names;
  dataSet->GetFieldList(names);
  for (const QString& name : names) fields.append(QStringLiteral("<%1.\"%2\">").arg(dataSet->UserName(), name));
  return fields;
}

AggregateDialog::AggregateDialog(DesignerDocument& document, report::TfrxCustomMemoView* context, QWidget* parent)
    : QDialog(parent),
      document_(document),
      context_(context),
      check_(document),
      delimiters_(context ? context->ExpressionDelimiters() : QString()) {
  setObjectName(QStringLiteral("AggregateDialog"));
  setWindowTitle(QStringLiteral("Wstaw sumę"));
  function_ = new QComboBox(this);
  function_->setObjectName(QStringLiteral("FunctionBox"));
  for (const char* caption : kFunctionCaptions) function_->addItem(QString::fromUtf8(caption));
  band_ = new QComboBox(this);
  band_->setObjectName(QStringLiteral("BandBox"));
  band_->addItems(DataBandNames(document.Report()));
  expression_ = new QComboBox(this);
  expression_->setObjectName(QStringLiteral("ExpressionBox"));
  expression_->setEditable(true);
  expression_->setInsertPolicy(QComboBox::NoInsert);
  expressionButton_ = new QToolButton(this);
  expressionButton_->setObjectName(QStringLiteral("ExpressionButton"));
  expressionButton_->setText(QStringLiteral("…"));
  expressionButton_->setToolTip(QStringLiteral("Edytor wyrażeń"));
  running_ = new QCheckBox(QStringLiteral("Sumowanie narastające"), this);
  running_->setObjectName(QStringLiteral("RunningTotalBox"));
  invisible_ = new QCheckBox(QStringLiteral("Uwzględnij niewidoczne wstęgi"), this);
  invisible_->setObjectName(QStringLiteral("InvisibleBandsBox"));
  result_ = new QLabel(this);
  result_->setObjectName(QStringLiteral("ResultLabel"));
  result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* expressionRow = new QHBoxLayout;
  expressionRow->addWidget(expression_, 1);
  expressionRow->addWidget(expressionButton_);
  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Funkcja:"), function_);
  fields->addRow(QStringLiteral("Wstęga danych:"), band_);
  fields->addRow(QStringLiteral("Wyrażenie:"), expressionRow);
  fields->addRow(QString(), running_);
  fields->addRow(QString(), invisible_);
  fields->addRow(QStringLiteral("Wstawiany tekst:"), result_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(error_);
  layout->addWidget(buttons_);

  connect(function_, &QComboBox::currentIndexChanged, this, [this] {
    const bool count = function_->currentIndex() == int(AggregateKind::Count);
    expression_->setEnabled(!count);
    expressionButton_->setEnabled(!count);
    updateResult();
  });
  connect(band_, &QComboBox::currentIndexChanged, this, [this] {
    fillFields();
    updateResult();
  });
  connect(expression_, &QComboBox::currentTextChanged, this, [this] { updateResult(); });
  connect(running_, &QCheckBox::toggled, this, [this] { updateResult(); });
  connect(invisible_, &QCheckBox::toggled, this, [this] { updateResult(); });
  connect(expressionButton_, &QToolButton::clicked, this, [this] {
    if (const std::optional<QString> e = EditExpression(document_, expression_->currentText(), context_, this))
      expression_->setEditText(*e);
  });
  connect(buttons_, &QDialogButtonBox::accepted, this, &AggregateDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &AggregateDialog::reject);
  fillFields();
  updateResult();
}

AggregateDialog::~AggregateDialog() = default;

QPushButton* AggregateDialog::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

void AggregateDialog::fillFields() {
  const QString typed = expression_->currentText();
  expression_->clear();
  expression_->addItems(DataBandFields(document_.Report(), band_->currentText()));
  expression_->setEditText(typed);
}

AggregateChoice AggregateDialog::Choice() const {
  AggregateChoice choice;
  choice.function = AggregateKind(std::max(0, function_->currentIndex()));
  choice.expression = expression_->currentText().trimmed();
  choice.band = band_->currentText();
  choice.runningTotal = running_->isChecked();
  choice.invisibleBands = invisible_->isChecked();
  return choice;
}

void AggregateDialog::updateResult() {
  result_->setText(AggregateText(Choice(), delimiters_));
  error_->clear();
}

QString AggregateDialog::Refusal() {
  const AggregateChoice choice = Choice();
  if (choice.band.isEmpty()) return QStringLiteral("Raport nie ma wstęgi danych, której wiersze można zliczać.");
  if (choice.function == AggregateKind::Count) return QString();
  if (choice.expression.isEmpty()) return QStringLiteral("Podaj wyrażenie albo pole danych.");
  return check_.Error(choice.expression);
}

void AggregateDialog::accept() {
  const QString refusal = Refusal();
  if (!refusal.isEmpty()) {
    error_->setText(refusal);
    return;
  }
  QDialog::accept();
}

std::optional<QString> ChooseAggregate(DesignerDocument& document, report::TfrxCustomMemoView* context, QWidget* parent) {
  AggregateDialog dialog(document, context, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return AggregateText(dialog.Choice(), context ? context->ExpressionDelimiters() : QString());
}

// --- The draft -------------------------------------------------------------------------------

TextDraft TextDraft::Of(const report::TfrxCustomMemoView& view) {
  TextDraft d;
  d.text = view.Text();
  d.wordWrap = view.WordWrap();
  d.hAlign = view.HAlign();
  d.vAlign = view.VAlign();
  d.fontName = view.Font()->Name();
  d.fontHeight = view.Font()->Height();
  d.fontColor = view.Font()->Color();
  d.fontStyle = view.Font()->Style();
  return d;
}

bool TextDraft::SameFont(const TextDraft& o) const {
  return fontName == o.fontName && fontHeight == o.fontHeight && fontColor == o.fontColor && fontStyle == o.fontStyle;
}

void TextDraft::WriteTo(report::TfrxCustomMemoView& view, const TextDraft* before) const {
  if (!before || before->text != text) view.SetText(text);
  if (!before || before->wordWrap != wordWrap) view.SetWordWrap(wordWrap);
  if (!before || before->hAlign != hAlign) view.SetHAlign(hAlign);
  if (!before || before->vAlign != vAlign) view.SetVAlign(vAlign);
  if (!before || !before->SameFont(*this)) {
    report::ReportFont font;
    font.Assign(*view.Font());
    font.SetName(fontName);
    font.SetHeight(fontHeight);
    font.SetColor(fontColor);
    font.SetStyle(fontStyle);
    // A font of its own: the view stops following its band's.
    view.SetParentFont(false);
    view.Font()->Assign(font);
  }
}

QString ApplyText(DesignerDocument& document, report::TfrxCustomMemoView& view, const TextDraft& draft) {
  const TextDraft before = TextDraft::Of(view);
  // The text compared as the view keeps it (its line breaks are CR LF).
  report::TfrxMemoView normal;
  normal.SetText(draft.text);
  TextDraft wanted = draft;
  wanted.text = normal.Text();
  if (wanted == before) return QString();
  return document.Run([&] {
    return new report::edit::ChangeCommand(document.Report(), QStringLiteral("Edycja tekstu: %1").arg(view.Name()),
                                           {view.Name()}, [&](report::TfrxComponent& object) {
                                             if (auto* memo = qobject_cast<report::TfrxCustomMemoView*>(&object))
                                               wanted.WriteTo(*memo, &before);
                                           });
  });
}

// --- The dialog ------------------------------------------------------------------------------

namespace {

QToolButton* toolButton(QWidget* parent, const QString& name, const QString& text, const QString& tip,
                        bool checkable = false) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(text);
  button->setToolTip(tip);
  button->setCheckable(checkable);
  button->setAutoRaise(true);
  return button;
}

constexpr report::TfrxHAlign kHAligns[] = {report::haLeft, report::haCenter, report::haRight, report::haBlock};
constexpr report::TfrxVAlign kVAligns[] = {report::vaTop, report::vaCenter, report::vaBottom};

}  // namespace

TextEditor::TextEditor(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent)
    : QDialog(parent), document_(document), view_(view), draft_(TextDraft::Of(view)) {
  setObjectName(QStringLiteral("TextEditor"));
  setWindowTitle(QStringLiteral("Edytor tekstu: %1").arg(view.Name()));
  edit_ = new NumberedTextEdit(this);
  edit_->setPlainText(draft_.text);
  QFont mono(QStringLiteral("Monospace"));
  mono.setStyleHint(QFont::TypeWriter);
  edit_->setFont(mono);
  insertExpression_ = toolButton(this, QStringLiteral("InsertExpressionButton"), QStringLiteral("Wstaw wyrażenie"),
                                 QStringLiteral("Wstaw wyrażenie w miejscu kursora"));
  insertAggregate_ = toolButton(this, QStringLiteral("InsertAggregateButton"), QStringLiteral("Wstaw sumę"),
                                QStringLiteral("Wstaw sumę, średnią, minimum, maksimum albo liczbę wierszy"));
  wordWrap_ = new QCheckBox(QStringLiteral("Zawijanie wierszy"), this);
  wordWrap_->setObjectName(QStringLiteral("WordWrapBox"));
  const QString hNames[] = {QStringLiteral("AlignLeftButton"), QStringLiteral("AlignCenterButton"),
                            QStringLiteral("AlignRightButton"), QStringLiteral("AlignBlockButton")};
  const QString hTexts[] = {QStringLiteral("Do lewej"), QStringLiteral("Do środka"), QStringLiteral("Do prawej"),
                            QStringLiteral("Wyjustuj")};
  auto* hGroup = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    hAlign_.append(toolButton(this, hNames[i], hTexts[i], QStringLiteral("Wyrównanie poziome: ") + hTexts[i].toLower(), true));
    hGroup->addButton(hAlign_.last(), i);
  }
  const QString vNames[] = {QStringLiteral("AlignTopButton"), QStringLiteral("AlignMiddleButton"),
                            QStringLiteral("AlignBottomButton")};
  const QString vTexts[] = {QStringLiteral("Do góry"), QStringLiteral("Do środka w pionie"), QStringLiteral("Do dołu")};
  auto* vGroup = new QButtonGroup(this);
  for (int i = 0; i < 3; ++i) {
    vAlign_.append(toolButton(this, vNames[i], vTexts[i], QStringLiteral("Wyrównanie pionowe: ") + vTexts[i].toLower(), true));
    vGroup->addButton(vAlign_.last(), i);
  }
  font_ = new QPushButton(this);
  font_->setObjectName(QStringLiteral("FontButton"));
  font_->setAutoDefault(false);
  sample_ = new MemoSample(this);
  sample_->SetView(view);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  // Enter belongs to the text.
  buttons_->button(QDialogButtonBox::Ok)->setAutoDefault(false);
  buttons_->button(QDialogButtonBox::Ok)->setDefault(false);

  auto* tools = new QHBoxLayout;
  tools->addWidget(insertExpression_);
  tools->addWidget(insertAggregate_);
  tools->addSpacing(12);
  for (QToolButton* b : hAlign_) tools->addWidget(b);
  tools->addSpacing(12);
  for (QToolButton* b : vAlign_) tools->addWidget(b);
  tools->addStretch(1);
  auto* formatting = new QHBoxLayout;
  formatting->addWidget(wordWrap_);
  formatting->addWidget(font_);
  formatting->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addWidget(edit_, 3);
  layout->addLayout(formatting);
  layout->addWidget(new QLabel(QStringLiteral("Przykład:"), this));
  layout->addWidget(sample_, 1);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  resize(640, 480);

  connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
    draft_.text = edit_->toPlainText();
    updateSample();
  });
  connect(insertExpression_, &QToolButton::clicked, this, &TextEditor::InsertExpression);
  connect(insertAggregate_, &QToolButton::clicked, this, &TextEditor::InsertAggregate);
  connect(wordWrap_, &QCheckBox::toggled, this, [this](bool on) {
    if (filling_) return;
    draft_.wordWrap = on;
    updateSample();
  });
  connect(hGroup, &QButtonGroup::idClicked, this, [this](int id) {
    draft_.hAlign = kHAligns[id];
    updateSample();
  });
  connect(vGroup, &QButtonGroup::idClicked, this, [this](int id) {
    draft_.vAlign = kVAligns[id];
    updateSample();
  });
  connect(font_, &QPushButton::clicked, this, &TextEditor::ChooseFont);
  connect(buttons_, &QDialogButtonBox::accepted, this, &TextEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &TextEditor::reject);
  showDraft();
  edit_->setFocus();
  edit_->moveCursor(QTextCursor::End);
}

TextEditor::~TextEditor() = default;

QPushButton* TextEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

QToolButton* TextEditor::HAlignButton(report::TfrxHAlign align) const {
  for (int i = 0; i < 4; ++i)
    if (kHAligns[i] == align) return hAlign_[i];
  return nullptr;
}

QToolButton* TextEditor::VAlignButton(report::TfrxVAlign align) const {
  for (int i = 0; i < 3; ++i)
    if (kVAligns[i] == align) return vAlign_[i];
  return nullptr;
}

TextDraft TextEditor::Draft() const {
  TextDraft d = draft_;
  d.text = edit_->toPlainText();
  return d;
}

void TextEditor::showDraft() {
  filling_ = true;
  wordWrap_->setChecked(draft_.wordWrap);
  if (QToolButton* b = HAlignButton(draft_.hAlign)) b->setChecked(true);
  if (QToolButton* b = VAlignButton(draft_.vAlign)) b->setChecked(true);
  QStringList style;
  if (draft_.fontStyle.testFlag(report::fsBold)) style.append(QStringLiteral("pogrubiona"));
  if (draft_.fontStyle.testFlag(report::fsItalic)) style.append(QStringLiteral("kursywa"));
  font_->setText(QStringLiteral("%1, %2 pkt%3")
                     .arg(draft_.fontName)
                     .arg(qRound(std::abs(draft_.fontHeight) * 72.0 / report::ReportFont::PixelsPerInch))
                     .arg(style.isEmpty() ? QString() : QStringLiteral(", ") + style.join(QStringLiteral(", "))));
  filling_ = false;
  updateSample();
}

void TextEditor::updateSample() {
  Draft().WriteTo(sample_->View());
  sample_->update();
}

void TextEditor::InsertAtCursor(const QString& text) {
  if (text.isEmpty()) return;
  edit_->insertPlainText(text);
  edit_->setFocus();
}

void TextEditor::InsertExpression() {
  if (const std::optional<QString> e = EditExpression(document_, QString(), &view_, this); e && !e->trimmed().isEmpty()) {
    const auto [open, close] = ExpressionBrackets(view_.ExpressionDelimiters());
    InsertAtCursor(open + e->trimmed() + close);
  }
}

void TextEditor::InsertAggregate() {
  if (const std::optional<QString> text = ChooseAggregate(document_, &view_, this)) InsertAtCursor(*text);
}

void TextEditor::ChooseFont() {
  dialogs::FontChoice initial;
  initial.font.setFamily(draft_.fontName);
  initial.font.setPixelSize(std::max(1, std::abs(draft_.fontHeight)));
  initial.font.setBold(draft_.fontStyle.testFlag(report::fsBold));
  initial.font.setItalic(draft_.fontStyle.testFlag(report::fsItalic));
  initial.font.setUnderline(draft_.fontStyle.testFlag(report::fsUnderline));
  initial.font.setStrikeOut(draft_.fontStyle.testFlag(report::fsStrikeOut));
  initial.color = QColor::fromRgb(int(draft_.fontColor & 0xFF), int((draft_.fontColor >> 8) & 0xFF),
                                  int((draft_.fontColor >> 16) & 0xFF));
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
  const QColor c = chosen->color;
  draft_.fontColor = quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
  showDraft();
}

bool TextEditor::Apply() {
  const int before = document_.UndoStack().index();
  const QString refusal = ApplyText(document_, view_, Draft());
  if (!refusal.isEmpty()) {
    error_->setText(refusal);
    return false;
  }
  applied_ = document_.UndoStack().index() != before;
  return true;
}

void TextEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditText(DesignerDocument& document, report::TfrxCustomMemoView& view, QWidget* parent) {
  TextEditor editor(document, view, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

std::vector<ObjectEditor> TextEditors() {
  std::vector<ObjectEditor> all;
  ObjectEditor text;
  text.id = QStringLiteral("text");
  text.caption = QStringLiteral("Edytuj tekst…");
  text.fits = [](const report::TfrxComponent& object) {
    return qobject_cast<const report::TfrxCustomMemoView*>(&object) != nullptr;
  };
  text.main = true;
  text.properties = {QStringLiteral("Memo")};
  text.open = [](const EditorRequest& request) {
    auto* memo = qobject_cast<report::TfrxCustomMemoView*>(request.objects.first());
    return memo && EditText(*request.document, *memo, request.parent);
  };
  all.push_back(std::move(text));
  for (ObjectEditor& e : FormatEditors()) all.push_back(std::move(e));
  for (ObjectEditor& e : HighlightEditors()) all.push_back(std::move(e));
  return all;
}

}  // namespace valmoro::designer
