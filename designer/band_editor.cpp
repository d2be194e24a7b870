#include "designer/band_editor.h"

#include "designer/expression_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "designer/page_settings.h"
#include "designer/variables_editor.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/edit/commands.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"
#include "report/model/units.h"

namespace valmoro::designer {

namespace {

// The yes/no options the dialog offers, by property; a band shows those its
// kind publishes. Visible, Vertical and ParentFont stay with the inspector:
// they are not options of how the band prints its data.
const QMap<QString, QString>& optionCaptions() {
  static const QMap<QString, QString> captions{
      {QStringLiteral("AllowSplit"), QStringLiteral("Może dzielić się między strony")},
      {QStringLiteral("KeepChild"), QStringLiteral("Razem z wstęgą podrzędną")},
      {QStringLiteral("KeepFooter"), QStringLiteral("Razem ze stopką")},
      {QStringLiteral("KeepHeader"), QStringLiteral("Razem z nagłówkiem")},
      {QStringLiteral("KeepTogether"), QStringLiteral("Trzymaj razem na jednej stronie")},
      {QStringLiteral("PrintChildIfInvisible"), QStringLiteral("Drukuj wstęgę podrzędną, gdy ta jest ukryta")},
      {QStringLiteral("PrintIfDetailEmpty"), QStringLiteral("Drukuj, gdy szczegóły są puste")},
      {QStringLiteral("FooterAfterEach"), QStringLiteral("Stopka po każdym wierszu")},
      {QStringLiteral("StartNewPage"), QStringLiteral("Zaczynaj od nowej strony")},
      {QStringLiteral("Stretched"), QStringLiteral("Rozciągaj do zawartości")},
      {QStringLiteral("ReprintOnNewPage"), QStringLiteral("Powtarzaj na każdej nowej stronie")},
      {QStringLiteral("PrintOnFirstPage"), QStringLiteral("Drukuj na pierwszej stronie")},
      {QStringLiteral("PrintOnLastPage"), QStringLiteral("Drukuj na ostatniej stronie")},
      {QStringLiteral("DrillDown"), QStringLiteral("Grupa zwijana w podglądzie")},
      {QStringLiteral("ExpandDrillDown"), QStringLiteral("Zwijane grupy na początku rozwinięte")},
      {QStringLiteral("ShowFooterIfDrillDown"), QStringLiteral("Stopka także zwiniętej grupy")},
      {QStringLiteral("ShowChildIfDrillDown"), QStringLiteral("Wstęga podrzędna także zwiniętej grupy")},
      {QStringLiteral("ResetPageNumbers"), QStringLiteral("Numeruj strony od nowa")},
      {QStringLiteral("HideIfSingleDataRecord"), QStringLiteral("Ukryj przy jednym wierszu danych")},
      {QStringLiteral("PrintOnTop"), QStringLiteral("Drukuj nad innymi wstęgami")},
  };
  return captions;
}

const QString kNoDataSet = QStringLiteral("(brak)");

}  // namespace

ExpressionPicker& BandEditorExpressionPicker() {
  static ExpressionPicker picker;
  return picker;
}

std::vector<BandOption> BandOptionsOf(const report::TfrxBand& band) {
  std::vector<BandOption> options;
  const QMetaObject* meta = band.metaObject();
  for (int i = 0; i < meta->propertyCount(); ++i) {
    const QMetaProperty p = meta->property(i);
    if (p.metaType().id() != QMetaType::Bool || !p.isWritable()) continue;
    const QString name = QString::fromLatin1(p.name());
    const auto caption = optionCaptions().constFind(name);
    if (caption != optionCaptions().constEnd()) options.push_back({name, *caption});
  }
  return options;
}

bool BandHasOptions(const report::TfrxBand& band) {
  return qobject_cast<const report::TfrxDataBand*>(&band) || qobject_cast<const report::TfrxGroupHeader*>(&band) ||
         !BandOptionsOf(band).empty();
}

QStringList ReportDataSetNames(const report::TfrxReport& report) {
  QStringList names;
  const report::TfrxReportDataSets& sets = *report.DataSets();
  for (int i = 0; i < sets.Count(); ++i) {
    const report::TfrxDataSet* dataSet = sets.Item(i)->DataSet();
    const QString name = dataSet ? dataSet->UserName() : sets.Item(i)->DataSetName();
    if (!name.isEmpty() && !names.contains(name)) names.append(name);
  }
  return names;
}

QStringList DataFieldConditions(const report::TfrxReport& report) {
  QStringList conditions;
  const report::TfrxReportDataSets& sets = *report.DataSets();
  for (int i = 0; i < sets.Count(); ++i) {
    report::TfrxDataSet* dataSet = sets.Item(i)->DataSet();
    if (dataSet == nullptr) continue;
    QStringList fields;
    dataSet->GetFieldList(fields);
    for (const QString& field : fields) conditions.append(QStringLiteral("%1.\"%2\"").arg(dataSet->UserName(), field));
  }
  return conditions;
}

// --- The draft ---------------------------------------------------------------------------

BandDraft BandDraft::Of(const report::TfrxBand& band) {
  BandDraft draft;
  for (const BandOption& option : BandOptionsOf(band))
    draft.options.insert(option.property, band.property(option.property.toLatin1().constData()).toBool());
  if (const auto* data = qobject_cast<const report::TfrxDataBand*>(&band)) {
    draft.isData = true;
    draft.dataSetName = data->DataSetName();
    draft.rowCount = data->RowCount();
    // A band without a data set that runs a number of times; a band with
    // both keeps its data set (the count then only limits the rows).
    draft.useRowCount = draft.dataSetName.isEmpty() && draft.rowCount > 0;
    draft.columns = data->Columns();
    draft.columnWidth = data->ColumnWidth();
    draft.columnGap = data->ColumnGap();
  }
  if (const auto* group = qobject_cast<const report::TfrxGroupHeader*>(&band)) {
    draft.isGroup = true;
    draft.condition = group->Condition();
  }
  return draft;
}

void BandDraft::WriteTo(report::TfrxBand& band) const {
  for (auto it = options.constBegin(); it != options.constEnd(); ++it)
    band.setProperty(it.key().toLatin1().constData(), it.value());
  if (auto* data = qobject_cast<report::TfrxDataBand*>(&band)) {
    if (useRowCount) {
      data->SetDataSetName(QString());
      data->SetRowCount(rowCount);
    } else {
      data->SetDataSetName(dataSetName);
      data->SetRowCount(dataSetName.isEmpty() ? rowCount : 0);
    }
    data->SetColumns(columns);
    data->SetColumnWidth(columnWidth);
    data->SetColumnGap(columnGap);
  }
  if (auto* group = qobject_cast<report::TfrxGroupHeader*>(&band)) group->SetCondition(condition);
}

// --- The dialog --------------------------------------------------------------------------

BandEditor::BandEditor(DesignerDocument& document, report::TfrxBand& band, QWidget* parent)
    : QDialog(parent), document_(document), bandName_(band.Name()), original_(BandDraft::Of(band)) {
  setObjectName(QStringLiteral("BandEditor"));
  setWindowTitle(QStringLiteral("Właściwości wstęgi %1").arg(band.Name()));
  auto* layout = new QVBoxLayout(this);
  if (original_.isData) buildData(layout);
  if (original_.isGroup) buildGroup(layout);

  const std::vector<BandOption> options = BandOptionsOf(band);
  if (!options.empty()) {
    auto* box = new QGroupBox(QStringLiteral("Opcje"), this);
    auto* grid = new QGridLayout(box);
    int i = 0;
    for (const BandOption& option : options) {
      auto* check = new QCheckBox(option.caption, box);
      check->setObjectName(option.property);
      check->setChecked(original_.options.value(option.property));
      grid->addWidget(check, i / 2, i % 2);
      checks_.insert(option.property, check);
      ++i;
    }
    layout->addWidget(box);
  }
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  layout->addWidget(error_);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  layout->addWidget(buttons_);
  connect(buttons_, &QDialogButtonBox::accepted, this, &BandEditor::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &BandEditor::reject);
  updateEnabled();
}

BandEditor::~BandEditor() = default;

void BandEditor::buildData(QVBoxLayout* layout) {
  const report::LengthUnit unit = document_.Options().unit;
  auto* source = new QGroupBox(QStringLiteral("Dane"), this);
  auto* grid = new QGridLayout(source);
  dataSetChoice_ = new QRadioButton(QStringLiteral("Zbiór danych:"), source);
  dataSetChoice_->setObjectName(QStringLiteral("DataSetChoice"));
  dataSetCombo_ = new QComboBox(source);
  dataSetCombo_->setObjectName(QStringLiteral("DataSetCombo"));
  dataSetCombo_->addItem(kNoDataSet);
  QStringList names = ReportDataSetNames(document_.Report());
  // A data set the report does not list (any more) is still shown as the band has it.
  if (!original_.dataSetName.isEmpty() && !names.contains(original_.dataSetName)) names.append(original_.dataSetName);
  dataSetCombo_->addItems(names);
  dataSetCombo_->setCurrentIndex(original_.dataSetName.isEmpty() ? 0 : dataSetCombo_->findText(original_.dataSetName));
  rowCountChoice_ = new QRadioButton(QStringLiteral("Liczba wierszy:"), source);
  rowCountChoice_->setObjectName(QStringLiteral("RowCountChoice"));
  rowCountSpin_ = new QSpinBox(source);
  rowCountSpin_->setObjectName(QStringLiteral("RowCountSpin"));
  rowCountSpin_->setRange(0, 1000000);
  rowCountSpin_->setValue(original_.rowCount);
  (original_.useRowCount ? rowCountChoice_ : dataSetChoice_)->setChecked(true);
  auto* choices = new QButtonGroup(this);
  choices->addButton(dataSetChoice_);
  choices->addButton(rowCountChoice_);
  grid->addWidget(dataSetChoice_, 0, 0);
  grid->addWidget(dataSetCombo_, 0, 1);
  grid->addWidget(rowCountChoice_, 1, 0);
  grid->addWidget(rowCountSpin_, 1, 1);
  layout->addWidget(source);
  connect(dataSetChoice_, &QRadioButton::toggled, this, [this] { updateEnabled(); });

  auto* columns = new QGroupBox(QStringLiteral("Kolumny"), this);
  auto* form = new QFormLayout(columns);
  columnsSpin_ = new QSpinBox(columns);
  columnsSpin_->setObjectName(QStringLiteral("ColumnsSpin"));
  columnsSpin_->setRange(0, 1000);
  columnsSpin_->setValue(original_.columns);
  unitColumnWidth_ = report::formatLength(original_.columnWidth, report::LengthUnit::Pixel, unit);
  unitColumnGap_ = report::formatLength(original_.columnGap, report::LengthUnit::Pixel, unit);
  columnWidthEdit_ = new QLineEdit(unitColumnWidth_, columns);
  columnWidthEdit_->setObjectName(QStringLiteral("ColumnWidthEdit"));
  columnGapEdit_ = new QLineEdit(unitColumnGap_, columns);
  columnGapEdit_->setObjectName(QStringLiteral("ColumnGapEdit"));
  const QString symbol = report::lengthUnitSymbol(unit);
  form->addRow(QStringLiteral("Liczba kolumn:"), columnsSpin_);
  form->addRow(QStringLiteral("Szerokość kolumny [%1]:").arg(symbol), columnWidthEdit_);
  form->addRow(QStringLiteral("Odstęp kolumn [%1]:").arg(symbol), columnGapEdit_);
  layout->addWidget(columns);
}

void BandEditor::buildGroup(QVBoxLayout* layout) {
  auto* box = new QGroupBox(QStringLiteral("Warunek grupowania"), this);
  auto* grid = new QGridLayout(box);
  fieldChoice_ = new QRadioButton(QStringLiteral("Pole danych:"), box);
  fieldChoice_->setObjectName(QStringLiteral("FieldChoice"));
  fieldCombo_ = new QComboBox(box);
  fieldCombo_->setObjectName(QStringLiteral("FieldCombo"));
  const QStringList fields = DataFieldConditions(document_.Report());
  fieldCombo_->addItems(fields);
  expressionChoice_ = new QRadioButton(QStringLiteral("Wyrażenie:"), box);
  expressionChoice_->setObjectName(QStringLiteral("ExpressionChoice"));
  expressionEdit_ = new QLineEdit(box);
  expressionEdit_->setObjectName(QStringLiteral("ConditionEdit"));
  pickExpression_ = new QPushButton(QStringLiteral("…"), box);
  pickExpression_->setObjectName(QStringLiteral("PickExpressionButton"));
  pickExpression_->setToolTip(QStringLiteral("Edytor wyrażeń"));
  auto* choices = new QButtonGroup(this);
  choices->addButton(fieldChoice_);
  choices->addButton(expressionChoice_);
  // A condition that is one of the fields is shown as that field.
  const int field = fields.indexOf(original_.condition);
  if (field >= 0) {
    fieldChoice_->setChecked(true);
    fieldCombo_->setCurrentIndex(field);
  } else {
    expressionChoice_->setChecked(true);
    expressionEdit_->setText(original_.condition);
  }
  fieldChoice_->setEnabled(!fields.isEmpty());
  grid->addWidget(fieldChoice_, 0, 0);
  grid->addWidget(fieldCombo_, 0, 1, 1, 2);
  grid->addWidget(expressionChoice_, 1, 0);
  grid->addWidget(expressionEdit_, 1, 1);
  grid->addWidget(pickExpression_, 1, 2);
  grid->setColumnStretch(1, 1);
  layout->addWidget(box);
  connect(fieldChoice_, &QRadioButton::toggled, this, [this] { updateEnabled(); });
  connect(pickExpression_, &QPushButton::clicked, this, [this] {
    const ExpressionPicker& picker = BandEditorExpressionPicker();
    const std::optional<QString> text = picker ? picker(this, expressionEdit_->text())
                                               : EditExpression(document_, expressionEdit_->text(), document_.Report().FindObject(bandName_), this);
    if (text) {
      expressionChoice_->setChecked(true);
      expressionEdit_->setText(*text);
    }
  });
}

void BandEditor::updateEnabled() {
  if (dataSetChoice_) {
    dataSetCombo_->setEnabled(dataSetChoice_->isChecked());
    rowCountSpin_->setEnabled(!dataSetChoice_->isChecked());
  }
  if (fieldChoice_) {
    fieldCombo_->setEnabled(fieldChoice_->isChecked());
    expressionEdit_->setEnabled(!fieldChoice_->isChecked());
    pickExpression_->setEnabled(!fieldChoice_->isChecked());
  }
}

QPushButton* BandEditor::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

std::optional<BandDraft> BandEditor::Read() {
  BandDraft draft = original_;
  for (auto it = checks_.constBegin(); it != checks_.constEnd(); ++it) draft.options[it.key()] = it.value()->isChecked();
  if (draft.isData) {
    const report::LengthUnit unit = document_.Options().unit;
    draft.useRowCount = rowCountChoice_->isChecked();
    draft.dataSetName = dataSetCombo_->currentIndex() <= 0 ? QString() : dataSetCombo_->currentText();
    draft.rowCount = rowCountSpin_->value();
    if (draft.useRowCount && draft.rowCount <= 0) {
      error_->setText(QStringLiteral("Liczba wierszy musi być większa od zera."));
      rowCountSpin_->setFocus();
      return std::nullopt;
    }
    draft.columns = columnsSpin_->value();
    // A length left as shown keeps its exact value (the text is rounded).
    const auto length = [&](QLineEdit* edit, const QString& shown, double original, const QString& what,
                            double& out) {
      if (edit->text().trimmed() == shown) {
        out = original;
        return true;
      }
      try {
        out = report::parseLength(edit->text(), report::LengthUnit::Pixel, unit);
      } catch (const report::ReportError& e) {
        error_->setText(QStringLiteral("%1: %2").arg(what, e.message()));
        edit->setFocus();
        return false;
      }
      if (out < 0) {
        error_->setText(QStringLiteral("%1: wartość nie może być ujemna.").arg(what));
        edit->setFocus();
        return false;
      }
      return true;
    };
    if (!length(columnWidthEdit_, unitColumnWidth_, original_.columnWidth, QStringLiteral("Szerokość kolumny"),
                draft.columnWidth) ||
        !length(columnGapEdit_, unitColumnGap_, original_.columnGap, QStringLiteral("Odstęp kolumn"), draft.columnGap))
      return std::nullopt;
  }
  if (draft.isGroup) {
    draft.condition = fieldChoice_->isChecked() ? fieldCombo_->currentText() : expressionEdit_->text().trimmed();
    if (draft.condition.isEmpty()) {
      error_->setText(QStringLiteral("Podaj warunek grupowania: pole danych albo wyrażenie."));
      return std::nullopt;
    }
    if (draft.condition != original_.condition) {
      ExpressionCheck check(document_);
      const QString error = check.Error(draft.condition, VariablesDraft(*document_.Report().Variables()));
      if (!error.isEmpty()) {
        error_->setText(error);
        if (expressionChoice_->isChecked()) expressionEdit_->setFocus();
        return std::nullopt;
      }
    }
  }
  error_->clear();
  return draft;
}

bool BandEditor::Apply() {
  const std::optional<BandDraft> draft = Read();
  if (!draft) return false;
  if (*draft == original_) return true;
  const QString refusal = document_.Run([&] {
    return new report::edit::ChangeCommand(document_.Report(), QStringLiteral("Właściwości wstęgi %1").arg(bandName_),
                                           {bandName_}, [&](report::TfrxComponent& object) {
                                             if (auto* band = qobject_cast<report::TfrxBand*>(&object))
                                               draft->WriteTo(*band);
                                           });
  });
  document_.EndGesture();
  if (!refusal.isEmpty()) {
    error_->setText(refusal);
    return false;
  }
  applied_ = true;
  return true;
}

void BandEditor::accept() {
  if (Apply()) QDialog::accept();
}

bool EditBand(DesignerDocument& document, report::TfrxBand& band, QWidget* parent) {
  BandEditor editor(document, band, parent);
  return editor.exec() == QDialog::Accepted && editor.Applied();
}

std::vector<ObjectEditor> SettingsEditors() {
  std::vector<ObjectEditor> editors;
  ObjectEditor band;
  band.id = QStringLiteral("band");
  band.caption = QStringLiteral("Właściwości wstęgi…");
  band.fits = [](const report::TfrxComponent& object) {
    const auto* b = qobject_cast<const report::TfrxBand*>(&object);
    return b && BandHasOptions(*b);
  };
  band.main = true;
  band.open = [](const EditorRequest& request) {
    auto* b = qobject_cast<report::TfrxBand*>(request.objects.value(0));
    return b && EditBand(*request.document, *b, request.parent);
  };
  editors.push_back(std::move(band));

  ObjectEditor page;
  page.id = QStringLiteral("page");
  page.caption = QStringLiteral("Ustawienia strony…");
  page.fits = [](const report::TfrxComponent& object) {
    return qobject_cast<const report::TfrxReportPage*>(&object) != nullptr;
  };
  page.open = [](const EditorRequest& request) {
    auto* p = qobject_cast<report::TfrxReportPage*>(request.objects.value(0));
    return p && EditPageSettings(*request.document, p, request.parent);
  };
  editors.push_back(std::move(page));
  return editors;
}

}  // namespace valmoro::designer
