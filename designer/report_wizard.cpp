#include "designer/report_wizard.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "designer/designer_document.h"
#include "platform/dialogs.h"
#include "platform/painter_canvas.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/paint_context.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "report/model/view.h"

namespace valmoro::designer {

// --- The sample -------------------------------------------------------------------------

WizardSample::WizardSample(const report::TfrxReport& source, DesignerDefaults defaults, QWidget* parent)
    : QWidget(parent), source_(source), defaults_(std::move(defaults)) {
  setObjectName(QStringLiteral("WizardSample"));
  setMinimumSize(200, 160);
}

WizardSample::~WizardSample() = default;

void WizardSample::SetChoices(const WizardChoices& choices) {
  sample_.reset();
  if (WizardChoicesRefusal(source_, choices).isEmpty()) {
    // A report of its own that reads the same data set: the designed one
    // is not touched.
    auto sample = std::make_unique<report::TfrxReport>();
    if (const report::TfrxDataSetItem* item = source_.DataSets()->Find(choices.dataSet))
      sample->DataSets()->Add(item->DataSet());
    try {
      BuildWizardReport(*sample, choices, defaults_);
      sample_ = std::move(sample);
    } catch (const report::ReportError&) {
    }
  }
  update();
}

void WizardSample::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Mid));
  report::TfrxReportPage* page = nullptr;
  if (sample_)
    for (report::TfrxComponent* child : sample_->Objects())
      if ((page = qobject_cast<report::TfrxReportPage*>(child))) break;
  if (page == nullptr) {
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, QStringLiteral("Wybierz pola, aby zobaczyć wzór raportu."));
    return;
  }
  // The whole width of the paper; its top as far as there is room.
  constexpr int kBorder = 6;
  const double paperWidth = page->PaperWidth() * report::fr01cm;
  const double scale = (width() - 2 * kBorder) / paperWidth;
  const QRectF paper(kBorder, kBorder, paperWidth * scale, page->PaperHeight() * report::fr01cm * scale);
  painter.fillRect(paper, Qt::white);
  report::PaintContext context;
  context.purpose = report::PaintPurpose::Design;
  context.scaleX = context.scaleY = scale;
  context.offsetX = kBorder + page->LeftMargin() * report::fr01cm * scale;
  context.offsetY = kBorder + page->TopMargin() * report::fr01cm * scale;
  painter.setPen(QPen(QColor(200, 200, 200), 0, Qt::DotLine));
  for (report::TfrxComponent* child : page->Objects())
    if (qobject_cast<report::TfrxBand*>(child)) {
      const QRectF b = child->AbsoluteBounds();
      painter.drawRect(QRectF(context.offsetX + b.left() * scale, context.offsetY + b.top() * scale, b.width() * scale,
                              b.height() * scale));
    }
  gfx::PainterCanvas canvas(painter, gfx::DeviceKind::Screen, 96, 96);
  for (report::TfrxComponent* object : page->AllObjects())
    if (auto* view = qobject_cast<report::TfrxView*>(object)) view->Paint(canvas, context);
}

// --- The wizard -------------------------------------------------------------------------

namespace {

QPushButton* makeButton(const QString& text, const QString& name) {
  auto* b = new QPushButton(text);
  b->setObjectName(name);
  return b;
}

QListWidget* list(const QString& name) {
  auto* l = new QListWidget;
  l->setObjectName(name);
  return l;
}

QStringList texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out.append(list->item(i)->text());
  return out;
}

// The current item of `from` moved to the end of `to` (made current there).
void moveCurrent(QListWidget* from, QListWidget* to) {
  const int row = from->currentRow();
  if (row < 0) return;
  QListWidgetItem* item = from->takeItem(row);
  to->addItem(item);
  to->setCurrentItem(item);
  if (from->count() > 0) from->setCurrentRow(std::min(row, from->count() - 1));
}

void moveBy(QListWidget* list, int step) {
  const int row = list->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= list->count()) return;
  QListWidgetItem* item = list->takeItem(row);
  list->insertItem(to, item);
  list->setCurrentRow(to);
}

// Two lists side by side with the buttons between them and under the second.
QWidget* chooser(QListWidget* left, QListWidget* right, const QList<QPushButton*>& between,
                 const QList<QPushButton*>& under, const QString& leftCaption, const QString& rightCaption) {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->addWidget(new QLabel(leftCaption), 0, 0);
  grid->addWidget(new QLabel(rightCaption), 0, 2);
  grid->addWidget(left, 1, 0);
  auto* middle = new QVBoxLayout;
  middle->addStretch();
  for (QPushButton* b : between) middle->addWidget(b);
  middle->addStretch();
  grid->addLayout(middle, 1, 1);
  grid->addWidget(right, 1, 2);
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* b : under) row->addWidget(b);
  grid->addLayout(row, 2, 2);
  return box;
}

}  // namespace

ReportWizard::ReportWizard(const report::TfrxReport& report, DesignerDefaults defaults, QWidget* parent)
    : QWizard(parent), report_(report), defaults_(std::move(defaults)) {
  setObjectName(QStringLiteral("ReportWizard"));
  setWindowTitle(QStringLiteral("Kreator raportu"));
  setWizardStyle(QWizard::ClassicStyle);
  setOption(QWizard::NoBackButtonOnStartPage);
  setButtonText(QWizard::BackButton, QStringLiteral("< &Wstecz"));
  setButtonText(QWizard::NextButton, QStringLiteral("&Dalej >"));
  setButtonText(QWizard::FinishButton, QStringLiteral("&Zakończ"));
  setButtonText(QWizard::CancelButton, QStringLiteral("Anuluj"));

  // Data set.
  {
    QWizardPage* p = page(QStringLiteral("Zbiór danych"), QStringLiteral("Z którego zbioru danych powstaje raport?"));
    dataSets_ = list(QStringLiteral("DataSets"));
    dataSets_->addItems(WizardDataSets(report_));
    p->layout()->addWidget(dataSets_);
    messageLine(p);
    setPage(DataSetPage, p);
  }
  // Fields.
  {
    QWizardPage* p = page(QStringLiteral("Pola"), QStringLiteral("Które pola pokazać i w jakiej kolejności?"));
    available_ = list(QStringLiteral("AvailableFields"));
    chosen_ = list(QStringLiteral("ChosenFields"));
    addField_ = makeButton(QStringLiteral("&Dodaj >"), QStringLiteral("AddField"));
    addAll_ = makeButton(QStringLiteral("Dodaj &wszystkie >>"), QStringLiteral("AddAllFields"));
    removeField_ = makeButton(QStringLiteral("< &Usuń"), QStringLiteral("RemoveField"));
    removeAll_ = makeButton(QStringLiteral("<< Usuń w&szystkie"), QStringLiteral("RemoveAllFields"));
    fieldUp_ = makeButton(QStringLiteral("W &górę"), QStringLiteral("FieldUp"));
    fieldDown_ = makeButton(QStringLiteral("W d&ół"), QStringLiteral("FieldDown"));
    p->layout()->addWidget(chooser(available_, chosen_, {addField_, addAll_, removeField_, removeAll_}, {fieldUp_, fieldDown_},
                                   QStringLiteral("Dostępne pola:"), QStringLiteral("Pola raportu:")));
    messageLine(p);
    setPage(FieldsPage, p);
    connect(addField_, &QPushButton::clicked, this, [this] { moveCurrent(available_, chosen_); updateSample(); });
    connect(removeField_, &QPushButton::clicked, this, [this] {
      // Back in the data set's order among the available ones.
      const int row = chosen_->currentRow();
      if (row < 0) return;
      const QString name = chosen_->item(row)->text();
      delete chosen_->takeItem(row);
      available_->clear();
      for (const WizardField& field : fields_)
        if (!texts(chosen_).contains(field.name)) available_->addItem(field.name);
      const QList<QListWidgetItem*> back = available_->findItems(name, Qt::MatchExactly);
      if (!back.isEmpty()) available_->setCurrentItem(back.first());
      if (chosen_->count() > 0) chosen_->setCurrentRow(std::min(row, chosen_->count() - 1));
      updateSample();
    });
    connect(addAll_, &QPushButton::clicked, this, [this] {
      while (available_->count() > 0) {
        available_->setCurrentRow(0);
        moveCurrent(available_, chosen_);
      }
      updateSample();
    });
    connect(removeAll_, &QPushButton::clicked, this, [this] {
      chosen_->clear();
      available_->clear();
      for (const WizardField& field : fields_) available_->addItem(field.name);
      updateSample();
    });
    connect(fieldUp_, &QPushButton::clicked, this, [this] { moveBy(chosen_, -1); updateSample(); });
    connect(fieldDown_, &QPushButton::clicked, this, [this] { moveBy(chosen_, 1); updateSample(); });
    connect(available_, &QListWidget::itemDoubleClicked, addField_, &QPushButton::click);
    connect(chosen_, &QListWidget::itemDoubleClicked, removeField_, &QPushButton::click);
  }
  // Groups.
  {
    QWizardPage* p = page(QStringLiteral("Grupowanie"),
                          QStringLiteral("Według których pól grupować wiersze? (Można nie grupować.)"));
    groupAvailable_ = list(QStringLiteral("GroupAvailableFields"));
    groups_ = list(QStringLiteral("GroupFields"));
    addGroup_ = makeButton(QStringLiteral("&Dodaj >"), QStringLiteral("AddGroup"));
    removeGroup_ = makeButton(QStringLiteral("< &Usuń"), QStringLiteral("RemoveGroup"));
    groupUp_ = makeButton(QStringLiteral("W &górę"), QStringLiteral("GroupUp"));
    groupDown_ = makeButton(QStringLiteral("W d&ół"), QStringLiteral("GroupDown"));
    p->layout()->addWidget(chooser(groupAvailable_, groups_, {addGroup_, removeGroup_}, {groupUp_, groupDown_},
                                   QStringLiteral("Pola zbioru danych:"), QStringLiteral("Grupy (najbardziej zewnętrzna pierwsza):")));
    messageLine(p);
    setPage(GroupsPage, p);
    connect(addGroup_, &QPushButton::clicked, this, [this] { moveCurrent(groupAvailable_, groups_); updateSample(); });
    connect(removeGroup_, &QPushButton::clicked, this, [this] {
      const int row = groups_->currentRow();
      if (row < 0) return;
      delete groups_->takeItem(row);
      refreshGroupsAvailable();
      updateSample();
    });
    connect(groupUp_, &QPushButton::clicked, this, [this] { moveBy(groups_, -1); updateSample(); });
    connect(groupDown_, &QPushButton::clicked, this, [this] { moveBy(groups_, 1); updateSample(); });
    connect(groupAvailable_, &QListWidget::itemDoubleClicked, addGroup_, &QPushButton::click);
  }
  // Layout and orientation.
  {
    QWizardPage* p = page(QStringLiteral("Układ"), QStringLiteral("Jak ułożyć pola i jak obrócić stronę?"));
    auto* row = new QHBoxLayout;
    auto* layoutBox = new QGroupBox(QStringLiteral("Układ"));
    auto* layoutColumn = new QVBoxLayout(layoutBox);
    table_ = new QRadioButton(QStringLiteral("&Tabela (pola w kolumnach)"));
    table_->setObjectName(QStringLiteral("TableLayout"));
    form_ = new QRadioButton(QStringLiteral("&Formularz (podpis i wartość, rekord w bloku)"));
    form_->setObjectName(QStringLiteral("FormLayout"));
    table_->setChecked(true);
    layoutColumn->addWidget(table_);
    layoutColumn->addWidget(form_);
    auto* orientationBox = new QGroupBox(QStringLiteral("Orientacja strony"));
    auto* orientationColumn = new QVBoxLayout(orientationBox);
    portrait_ = new QRadioButton(QStringLiteral("&Pionowa"));
    portrait_->setObjectName(QStringLiteral("Portrait"));
    landscape_ = new QRadioButton(QStringLiteral("Po&zioma"));
    landscape_->setObjectName(QStringLiteral("Landscape"));
    (defaults_.landscape ? landscape_ : portrait_)->setChecked(true);
    orientationColumn->addWidget(portrait_);
    orientationColumn->addWidget(landscape_);
    auto* choices = new QVBoxLayout;
    choices->addWidget(layoutBox);
    choices->addWidget(orientationBox);
    choices->addStretch();
    row->addLayout(choices);
    layoutSample_ = new WizardSample(report_, defaults_);
    row->addWidget(layoutSample_, 1);
    static_cast<QVBoxLayout*>(p->layout())->addLayout(row);
    messageLine(p);
    setPage(LayoutPage, p);
    for (QRadioButton* b : {table_, form_, portrait_, landscape_})
      connect(b, &QRadioButton::toggled, this, [this](bool on) {
        if (on) updateSample();
      });
  }
  // Look.
  {
    QWizardPage* p = page(QStringLiteral("Wygląd"), QStringLiteral("Jak raport ma wyglądać?"));
    auto* row = new QHBoxLayout;
    looks_ = list(QStringLiteral("Looks"));
    for (const WizardLook& look : WizardLooks()) looks_->addItem(look.name);
    looks_->setCurrentRow(0);
    row->addWidget(looks_);
    lookSample_ = new WizardSample(report_, defaults_);
    row->addWidget(lookSample_, 1);
    static_cast<QVBoxLayout*>(p->layout())->addLayout(row);
    messageLine(p);
    setPage(LookPage, p);
    connect(looks_, &QListWidget::currentRowChanged, this, [this] { updateSample(); });
  }

  connect(dataSets_, &QListWidget::currentRowChanged, this, [this] { dataSetChosen(); });
  for (QListWidget* l : {available_, chosen_, groupAvailable_, groups_})
    connect(l, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
  connect(this, &QWizard::currentIdChanged, this, [this] {
    refreshGroupsAvailable();
    updateButtons();
  });
  if (dataSets_->count() > 0) dataSets_->setCurrentRow(0);
  else dataSetChosen();
}

ReportWizard::~ReportWizard() = default;

QWizardPage* ReportWizard::page(const QString& title, const QString& subtitle) {
  auto* p = new QWizardPage;
  p->setTitle(title);
  p->setSubTitle(subtitle);
  new QVBoxLayout(p);
  return p;
}

QLabel* ReportWizard::messageLine(QWizardPage* page) {
  auto* line = new QLabel(page);
  line->setObjectName(QStringLiteral("Message"));
  line->setStyleSheet(QStringLiteral("color: #b00000"));
  page->layout()->addWidget(line);
  messages_.append(line);
  return line;
}

QString ReportWizard::Message() const {
  const int id = currentId();
  return id >= 0 && id < messages_.size() ? messages_.at(id)->text() : QString();
}

WizardChoices ReportWizard::Choices() const {
  WizardChoices choices;
  if (dataSets_->currentItem()) choices.dataSet = dataSets_->currentItem()->text();
  choices.fields = texts(chosen_);
  choices.groups = texts(groups_);
  choices.layout = form_->isChecked() ? WizardLayout::Form : WizardLayout::Table;
  choices.orientation = landscape_->isChecked() ? report::poLandscape : report::poPortrait;
  choices.look = std::max(0, looks_->currentRow());
  return choices;
}

void ReportWizard::dataSetChosen() {
  // Another data set: its fields, none chosen yet.
  fields_ = WizardFields(report_, dataSets_->currentItem() ? dataSets_->currentItem()->text() : QString());
  available_->clear();
  chosen_->clear();
  groups_->clear();
  for (const WizardField& field : fields_) available_->addItem(field.name);
  if (available_->count() > 0) available_->setCurrentRow(0);
  refreshGroupsAvailable();
  updateButtons();
  updateSample();
}

void ReportWizard::refreshGroupsAvailable() {
  const QString current = groupAvailable_->currentItem() ? groupAvailable_->currentItem()->text() : QString();
  groupAvailable_->clear();
  const QStringList taken = texts(groups_);
  for (const WizardField& field : fields_)
    if (!taken.contains(field.name)) groupAvailable_->addItem(field.name);
  const QList<QListWidgetItem*> again = groupAvailable_->findItems(current, Qt::MatchExactly);
  if (!again.isEmpty()) groupAvailable_->setCurrentItem(again.first());
  else if (groupAvailable_->count() > 0) groupAvailable_->setCurrentRow(0);
}

void ReportWizard::updateButtons() {
  addField_->setEnabled(available_->currentRow() >= 0);
  addAll_->setEnabled(available_->count() > 0);
  removeField_->setEnabled(chosen_->currentRow() >= 0);
  removeAll_->setEnabled(chosen_->count() > 0);
  fieldUp_->setEnabled(chosen_->currentRow() > 0);
  fieldDown_->setEnabled(chosen_->currentRow() >= 0 && chosen_->currentRow() + 1 < chosen_->count());
  addGroup_->setEnabled(groupAvailable_->currentRow() >= 0);
  removeGroup_->setEnabled(groups_->currentRow() >= 0);
  groupUp_->setEnabled(groups_->currentRow() > 0);
  groupDown_->setEnabled(groups_->currentRow() >= 0 && groups_->currentRow() + 1 < groups_->count());
}

void ReportWizard::updateSample() {
  updateButtons();
  const WizardChoices choices = Choices();
  layoutSample_->SetChoices(choices);
  lookSample_->SetChoices(choices);
}

bool ReportWizard::refuse(const QString& message) {
  if (const int id = currentId(); id >= 0 && id < messages_.size()) messages_.at(id)->setText(message);
  return message.isEmpty();
}

bool ReportWizard::validateCurrentPage() {
  const WizardChoices choices = Choices();
  switch (currentId()) {
    case DataSetPage:
      if (choices.dataSet.isEmpty())
        return refuse(dataSets_->count() == 0 ? QStringLiteral("Raport nie ma zbiorów danych: najpierw dodaj zbiór danych.")
                                              : QStringLiteral("Wybierz zbiór danych."));
      return refuse(QString());
    case FieldsPage:
      if (choices.fields.isEmpty()) return refuse(QStringLiteral("Wybierz co najmniej jedno pole."));
      return refuse(QString());
    case LookPage: return refuse(WizardChoicesRefusal(report_, choices));
    default: return refuse(QString());
  }
}

// --- Applying ---------------------------------------------------------------------------

QString ApplyWizardChoices(DesignerDocument& document, const WizardChoices& choices) {
  const QString refusal = WizardChoicesRefusal(document.Report(), choices);
  if (!refusal.isEmpty()) return refusal;
  document.EndGesture();
  const QString failed = document.ChangeReport(QStringLiteral("Kreator raportu"), [&](report::TfrxReport& report) {
    BuildWizardReport(report, choices, document.Defaults());
  });
  if (!failed.isEmpty()) return failed;
  document.EndGesture();
  const QList<report::TfrxPage*> pages = document.Pages();
  if (!pages.isEmpty()) document.SetCurrentPage(pages.first());
  return QString();
}

namespace {

bool applyShown(DesignerDocument& document, const WizardChoices& choices, QWidget* parent) {
  const int before = document.UndoStack().index();
  const QString refusal = ApplyWizardChoices(document, choices);
  if (!refusal.isEmpty()) dialogs::showError(refusal, parent);
  return refusal.isEmpty() && document.UndoStack().index() != before;
}

}  // namespace

bool RunReportWizard(DesignerDocument& document, QWidget* parent) {
  ReportWizard wizard(document.Report(), document.Defaults(), parent);
  if (wizard.exec() != QDialog::Accepted) return false;
  return applyShown(document, wizard.Choices(), parent);
}

bool NewReportWithWizard(DesignerDocument& document, QWidget* parent) {
  // The data sets the program attached outlive the report; those the
  // report holds itself go with it, so they are not offered.
  report::TfrxReport& report = document.Report();
  QList<QPointer<report::TfrxDataSet>> kept;
  QStringList names;
  const report::TfrxReportDataSets& list = *report.DataSets();
  for (int i = 0; i < list.Count(); ++i)
    if (report::TfrxDataSet* dataSet = list.Item(i)->DataSet(); dataSet && dataSet->Report() != &report) {
      kept.append(dataSet);
      names.append(dataSet->UserName());
    }
  ReportWizard wizard(report, document.Defaults(), parent);
  for (int i = wizard.DataSetList()->count() - 1; i >= 0; --i)
    if (!names.contains(wizard.DataSetList()->item(i)->text())) delete wizard.DataSetList()->takeItem(i);
  if (wizard.exec() != QDialog::Accepted) return false;
  const WizardChoices choices = wizard.Choices();
  document.DiscardRecovery();
  document.NewReport();
  for (const QPointer<report::TfrxDataSet>& dataSet : kept)
    if (dataSet) report.DataSets()->Add(dataSet.data());
  return applyShown(document, choices, parent);
}

// --- "Nowy raport" ----------------------------------------------------------------------

NewReportDialog::NewReportDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("NewReportDialog"));
  setWindowTitle(QStringLiteral("Nowy raport"));
  auto* column = new QVBoxLayout(this);
  column->addWidget(new QLabel(QStringLiteral("Jaki raport utworzyć?")));
  empty_ = makeButton(QStringLiteral("&Pusty raport"), QStringLiteral("EmptyReport"));
  wizard_ = makeButton(QStringLiteral("&Kreator raportu…"), QStringLiteral("WizardReport"));
  auto* cancel = makeButton(QStringLiteral("Anuluj"), QStringLiteral("Cancel"));
  empty_->setDefault(true);
  for (QPushButton* b : {empty_, wizard_, cancel}) column->addWidget(b);
  connect(empty_, &QPushButton::clicked, this, [this] {
    chosen_ = Choice::Empty;
    accept();
  });
  connect(wizard_, &QPushButton::clicked, this, [this] {
    chosen_ = Choice::Wizard;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

NewReportDialog::Choice AskNewReportKind(QWidget* parent) {
  NewReportDialog dialog(parent);
  return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : NewReportDialog::Choice::Cancelled;
}

}  // namespace valmoro::designer
