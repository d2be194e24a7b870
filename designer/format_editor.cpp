#include "designer/format_editor.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "platform/locale.h"
#include "report/engine/value_format.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "script/sys_format.h"

namespace valmoro::designer {

using report::TfrxFormatKind;

const QList<FormatPreset>& FormatPresets(TfrxFormatKind kind) {
  static const QList<FormatPreset> none;
  // Captions as printed: the regional thousands separator is a no-break space.
  static const QList<FormatPreset> numbers{
      {QStringLiteral("1234,5"), QStringLiteral("%g")},
      {QStringLiteral("1234,50"), QStringLiteral("%2.2f")},
      {QStringLiteral("1\u00A0234,50"), QStringLiteral("%2.2n")},
      {QStringLiteral("1\u00A0234,50 zł"), QStringLiteral("%2.2m")},
      {QStringLiteral("1\u00A0235"), QStringLiteral("%2.0n")},
      {QStringLiteral("1\u00A0234,5"), QStringLiteral("#,##0.#")},
      {QStringLiteral("1\u00A0234,500"), QStringLiteral("#,##0.000")},
      {QStringLiteral("12,5%"), QStringLiteral("%2.1f%%")},
      {QStringLiteral("12,50%"), QStringLiteral("%2.2f%%")},
  };
  static const QList<FormatPreset> dates{
      {QStringLiteral("11.12.2026"), QStringLiteral("dd.mm.yyyy")},
      {QStringLiteral("2026-12-11"), QStringLiteral("yyyy-mm-dd")},
      {QStringLiteral("11.12.2026 14:30:05"), QStringLiteral("dd.mm.yyyy hh:nn:ss")},
      {QStringLiteral("11.12.2026 14:30"), QStringLiteral("dd.mm.yyyy hh:nn")},
      {QStringLiteral("2026-12-11 14:30"), QStringLiteral("yyyy-mm-dd hh:nn")},
      {QStringLiteral("14:30"), QStringLiteral("hh:nn")},
      {QStringLiteral("14:30:05"), QStringLiteral("hh:nn:ss")},
      {QStringLiteral("11 grudnia 2026"), QStringLiteral("dddddd")},
      {QStringLiteral("grudzień 2026"), QStringLiteral("mmmm yyyy")},
  };
  // The engine prints the text before the comma for false, after it for true.
  static const QList<FormatPreset> booleans{
      {QStringLiteral("Tak / Nie"), QStringLiteral("Nie,Tak")},
      {QStringLiteral("Prawda / Fałsz"), QStringLiteral("Fałsz,Prawda")},
      {QStringLiteral("1 / 0"), QStringLiteral("0,1")},
      {QStringLiteral("X / (nic)"), QStringLiteral(",X")},
  };
  switch (kind) {
    case report::fkNumeric: return numbers;
    case report::fkDateTime: return dates;
    case report::fkBoolean: return booleans;
    default: return none;
  }
}

QString FormatKindCaption(TfrxFormatKind kind) {
  switch (kind) {
    case report::fkNumeric: return QStringLiteral("Liczba");
    case report::fkDateTime: return QStringLiteral("Data i czas");
    case report::fkBoolean: return QStringLiteral("Wartość logiczna");
    default: return QStringLiteral("Tekst (bez formatu)");
  }
}

namespace {

// The "%" directives of a format text, "%%" aside.
int directiveCount(const QString& format) {
  int count = 0;
  for (qsizetype i = 0; i < format.size(); ++i) {
    if (format[i] != u'%') continue;
    if (i + 1 < format.size() && format[i + 1] == u'%') {
      ++i;
      continue;
    }
    ++count;
  }
  return count;
}

// Letters of a date picture outside its quoted literals.
bool hasDateOrTimePart(const QString& picture) {
  QChar quote;
  for (const QChar c : picture) {
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
      continue;
    }
    if (c == u'"' || c == u'\'') {
      quote = c;
      continue;
    }
    if (QStringLiteral("dmyhnszct").contains(c.toLower())) return true;
  }
  return false;
}

}  // namespace

QString FormatRefusal(TfrxFormatKind kind, const QString& format) {
  switch (kind) {
    case report::fkNumeric: {
      if (format.contains(u'#')) return QString();
      if (directiveCount(format) != 1)
        return QStringLiteral("Format liczby „%1” musi zawierać jedno pole liczby (np. %2.2f) albo wzór z „#” (np. #,##0.00).")
            .arg(format);
      // Tried as the engine formats: an integer for "d" and "u" anywhere in
      // the text, else a floating-point number.
      try {
        if (format.contains(u'd') || format.contains(u'u'))
          script::FormatText(format, script::Variant::FromInt64(1234));
        else
          script::FormatText(format, script::Variant(1234.5));
      } catch (const std::exception&) {
        return QStringLiteral("Format liczby „%1” jest nieprawidłowy.").arg(format);
      }
      return QString();
    }
    case report::fkDateTime:
      if (format.isEmpty() || hasDateOrTimePart(format)) return QString();
      return QStringLiteral("Format daty „%1” nie zawiera żadnej części daty ani czasu (np. dd.mm.yyyy hh:nn).").arg(format);
    case report::fkBoolean:
      if (format.contains(u',')) return QString();
      return QStringLiteral("Format logiczny to dwa teksty rozdzielone przecinkiem: fałsz,prawda (np. Nie,Tak).");
    default:
      return QString();
  }
}

QString DefaultSampleText(TfrxFormatKind kind) {
  switch (kind) {
    case report::fkNumeric: return QStringLiteral("1234,5");
    case report::fkDateTime: return QStringLiteral("11.12.2026 14:30:05");
    case report::fkBoolean: return QStringLiteral("Tak");
    default: return QStringLiteral("Tekst");
  }
}

script::Variant SampleValue(TfrxFormatKind kind, const QString& text) {
  const QString t = text.trimmed();
  switch (kind) {
    case report::fkNumeric: {
      QString digits = t;
      digits.remove(u' ').remove(QChar(0xA0));
      if (const std::optional<double> v = locale::parseFloat(digits)) return script::Variant(*v);
      return script::Variant::Null();
    }
    case report::fkDateTime: {
      for (const char* pattern : {"dd.MM.yyyy HH:mm:ss", "dd.MM.yyyy HH:mm", "dd.MM.yyyy", "yyyy-MM-dd HH:mm:ss",
                                  "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime when = QDateTime::fromString(t, QString::fromLatin1(pattern));
        if (when.isValid()) return script::Variant::FromDate(script::DateTimeToDays(when));
      }
      const QTime time = QTime::fromString(t, QStringLiteral("HH:mm:ss")).isValid()
                             ? QTime::fromString(t, QStringLiteral("HH:mm:ss"))
                             : QTime::fromString(t, QStringLiteral("HH:mm"));
      if (time.isValid()) return script::Variant::FromDate(time.msecsSinceStartOfDay() / 86400000.0);
      return script::Variant::Null();
    }
    case report::fkBoolean: {
      for (const char* yes : {"tak", "prawda", "true", "1"})
        if (t.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0) return script::Variant(true);
      for (const char* no : {"nie", "fałsz", "false", "0"})
        if (t.compare(QString::fromUtf8(no), Qt::CaseInsensitive) == 0) return script::Variant(false);
      return script::Variant::Null();
    }
    default:
      return script::Variant(text);
  }
}

FormatDraft FormatDraft::Of(const report::TfrxCustomMemoView& view) {
  const report::TfrxFormat& f = *view.DisplayFormat();
  return FormatDraft{f.Kind(), f.FormatStr(), f.DecimalSeparator(), f.ThousandSeparator()};
}

QString FormatDraft::Format(const script::Variant& value) const {
  return report::engine::FormatValue(value,
                                     report::engine::ValueFormat{kind, formatStr, decimalSeparator, thousandSeparator});
}

QString ApplyFormat(DesignerDocument& document, const QList<report::TfrxComponent*>& views, const FormatDraft& draft) {
  QStringList names;
  for (report::TfrxComponent* object : views) {
    const auto* memo = qobject_cast<const report::TfrxCustomMemoView*>(object);
    if (memo && !(FormatDraft::Of(*memo) == draft)) names.append(memo->Name());
  }
  if (names.isEmpty()) return QString();
  return document.Run([&] {
    return new report::edit::ChangeCommand(document.Report(), QStringLiteral("Format wyświetlania"), names,
                                           [&draft](report::TfrxComponent& object) {
                                             auto* memo = qobject_cast<report::TfrxCustomMemoView*>(&object);
                                             if (memo == nullptr) return;
                                             report::TfrxFormat& f = *memo->DisplayFormat();
                                             f.SetKind(draft.kind);
                                             f.SetFormatStr(draft.formatStr);
                                             f.SetDecimalSeparator(draft.decimalSeparator);
                                             f.SetThousandSeparator(draft.thousandSeparator);
                                           });
  });
}

// --- The dialog --------------------------------------------------------------------------

namespace {
constexpr TfrxFormatKind kKinds[] = {report::fkText, report::fkNumeric, report::fkDateTime, report::fkBoolean};
}

FormatEditor::FormatEditor(DesignerDocument& document, const QList<report::TfrxComponent*>& views, QWidget* parent)
    : QDialog(parent), document_(document), views_(views) {
  setObjectName(QStringLiteral("FormatEditor"));
  setWindowTitle(QStringLiteral("Format wyświetlania"));
  if (!views.isEmpty())
    if (const auto* memo = qobject_cast<const report::TfrxCustomMemoView*>(views.first())) draft_ = FormatDraft::Of(*memo);

  kinds_ = new QListWidget(this);
  kinds_->setObjectName(QStringLiteral("KindList"));
  for (const TfrxFormatKind kind : kKinds) kinds_->addItem(FormatKindCaption(kind));
  presets_ = new QListWidget(this);
  presets_->setObjectName(QStringLiteral("PresetList"));
  format_ = new QLineEdit(this);
  format_->setObjectName(QStringLiteral("FormatEdit"));
  decimal_ = new QComboBox(this);
  decimal_->setObjectName(QStringLiteral("DecimalSeparatorBox"));
  decimal_->addItem(QStringLiteral("Regionalny (%1)").arg(locale::formats().decimalSeparator), QString());
  decimal_->addItem(QStringLiteral("Przecinek (,)"), QStringLiteral(","));
  decimal_->addItem(QStringLiteral("Kropka (.)"), QStringLiteral("."));
  if (decimal_->findData(draft_.decimalSeparator) < 0)
    decimal_->addItem(QStringLiteral("„%1”").arg(draft_.decimalSeparator), draft_.decimalSeparator);
  decimal_->setCurrentIndex(decimal_->findData(draft_.decimalSeparator));
  sampleValue_ = new QLineEdit(this);
  sampleValue_->setObjectName(QStringLiteral("SampleEdit"));
  sample_ = new QLabel(this);
  sample_->setObjectName(QStringLiteral("SampleLabel"));
  sample_->setFrameShape(QFrame::StyledPanel);
  sample_->setMinimumHeight(28);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));

  auto* lists = new QHBoxLayout;
  auto* kindColumn = new QVBoxLayout;
  kindColumn->addWidget(new QLabel(QStringLiteral("Rodzaj:"), this));
  kindColumn->addWidget(kinds_);
  auto* presetColumn = new QVBoxLayout;
  presetColumn->addWidget(new QLabel(QStringLiteral("Format:"), this));
  presetColumn->addWidget(presets_);
  lists->addLayout(kindColumn, 1);
  lists->addLayout(presetColumn, 2);
  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Ciąg formatujący:"), format_);
  fields->addRow(QStringLiteral("Separator dziesiętny:"), decimal_);
  fields->addRow(QStringLiteral("Wartość przykładowa:"), sampleValue_);
  fields->addRow(QStringLiteral("Wynik:"), sample_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists, 1);
  layout->addLayout(fields);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  resize(520, 420);

  connect(kinds_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0 || row >= int(std::size(kKinds))) return;
    SetKind(kKinds[row]);
  });
  connect(presets_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0) return;
    const QList<FormatPreset>& presets = FormatPresets(draft_.kind);
    if (row >= presets.size()) return;
    draft_.formatStr = presets[row].format;
    format_->setText(draft_.formatStr);
    updateSample();
  });
  connect(format_, &QLineEdit::textEdited, this, [this](const QString& text) {
    draft_.formatStr = text;
    filling_ = true;
    presets_->setCurrentRow(-1);
    const QList<FormatPreset>& presets = FormatPresets(draft_.kind);
    for (qsizetype i = 0; i < presets.size(); ++i)
      if (presets[i].format == text) presets_->setCurrentRow(int(i));
    filling_ = false;
    updateSample();
  });
  connect(decimal_, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    draft_.decimalSeparator = decimal_->currentData().toString();
    updateSample();
  });
  connect(sampleValue_, &QLineEdit::textEdited, this, [this] { updateSample(); });
  connect(buttons_, &QDialogButtonBox::accepted, this, &FormatEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &FormatEditor::reject);

  filling_ = true;
  kinds_->setCurrentRow(int(std::find(std::begin(kKinds), std::end(kKinds), draft_.kind) - std::begin(kKinds)));
  format_->setText(draft_.formatStr);
  sampleValue_->setText(DefaultSampleText(draft_.kind));
  fillPresets();
  filling_ = false;
  updateSample();
}

FormatEditor::~FormatEditor() = default;

QPushButton* FormatEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

void FormatEditor::SetKind(TfrxFormatKind kind) {
  const bool changed = kind != draft_.kind;
  draft_.kind = kind;
  filling_ = true;
  kinds_->setCurrentRow(int(std::find(std::begin(kKinds), std::end(kKinds), kind) - std::begin(kKinds)));
  if (changed) {
    // Another kind starts from its first preset and a value of its own.
    const QList<FormatPreset>& presets = FormatPresets(kind);
    draft_.formatStr = presets.isEmpty() ? QString() : presets.first().format;
    format_->setText(draft_.formatStr);
    sampleValue_->setText(DefaultSampleText(kind));
  }
  fillPresets();
  filling_ = false;
  updateSample();
}

void FormatEditor::fillPresets() {
  const bool was = filling_;
  filling_ = true;
  presets_->clear();
  const QList<FormatPreset>& presets = FormatPresets(draft_.kind);
  for (const FormatPreset& preset : presets) presets_->addItem(QStringLiteral("%1    %2").arg(preset.caption, preset.format));
  for (qsizetype i = 0; i < presets.size(); ++i)
    if (presets[i].format == draft_.formatStr) presets_->setCurrentRow(int(i));
  const bool formatted = draft_.kind != report::fkText;
  presets_->setEnabled(formatted);
  format_->setEnabled(formatted);
  decimal_->setEnabled(draft_.kind == report::fkNumeric);
  filling_ = was;
}

void FormatEditor::updateSample() {
  const QString refusal = FormatRefusal(draft_.kind, draft_.formatStr);
  error_->setText(refusal);
  const script::Variant value = SampleValue(draft_.kind, sampleValue_->text());
  if (value.IsNull() && draft_.kind != report::fkText)
    sample_->setText(QStringLiteral("(wartość przykładowa nie jest: %1)").arg(FormatKindCaption(draft_.kind).toLower()));
  else
    sample_->setText(draft_.Format(value));
}

bool FormatEditor::Apply() {
  const QString refusal = FormatRefusal(draft_.kind, draft_.formatStr);
  if (!refusal.isEmpty()) {
    error_->setText(refusal);
    format_->setFocus();
    return false;
  }
  const int before = document_.UndoStack().index();
  const QString error = ApplyFormat(document_, views_, draft_);
  if (!error.isEmpty()) {
    error_->setText(error);
    return false;
  }
  applied_ = document_.UndoStack().index() != before;
  return true;
}

void FormatEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditDisplayFormat(DesignerDocument& document, const QList<report::TfrxComponent*>& views, QWidget* parent) {
  FormatEditor editor(document, views, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

bool PublishesProperty(const report::TfrxComponent& object, const char* name) {
  return qobject_cast<const report::TfrxCustomMemoView*>(&object) && object.metaObject()->indexOfProperty(name) >= 0;
}

std::vector<ObjectEditor> FormatEditors() {
  ObjectEditor editor;
  editor.id = QStringLiteral("format");
  editor.caption = QStringLiteral("Format wyświetlania…");
  editor.fits = [](const report::TfrxComponent& object) { return PublishesProperty(object, "DisplayFormat"); };
  editor.multiple = true;
  editor.properties = {QStringLiteral("DisplayFormat")};
  editor.open = [](const EditorRequest& request) {
    return EditDisplayFormat(*request.document, request.objects, request.parent);
  };
  return {editor};
}

}  // namespace valmoro::designer
