#include "designer/data_tree.h"

#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <memory>

#include "designer/designer_document.h"
#include "report/model/data_set.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/resources.h"
#include "script/host_classes.h"
#include "script/script.h"

namespace valmoro::designer {

namespace {

using Kind = DataTreeModel::Kind;

// What each function of the library does, for the description pane; the
// engine itself knows only the declarations.
const QHash<QString, QString>& descriptions() {
  static const QHash<QString, QString> texts{
      {"IntToStr", "Liczba całkowita jako tekst."},
      {"FloatToStr", "Liczba jako tekst."},
      {"DateToStr", "Data jako tekst w formacie daty."},
      {"TimeToStr", "Godzina jako tekst w formacie godziny."},
      {"DateTimeToStr", "Data i godzina jako tekst."},
      {"BoolToStr", "Wartość logiczna jako tekst („-1” albo „0”)."},
      {"VarToStr", "Dowolna wartość jako tekst."},
      {"StrToInt", "Tekst jako liczba całkowita."},
      {"StrToInt64", "Tekst jako liczba całkowita (64-bitowa)."},
      {"StrToFloat", "Tekst jako liczba."},
      {"StrToDate", "Tekst jako data."},
      {"StrToTime", "Tekst jako godzina."},
      {"StrToDateTime", "Tekst jako data i godzina."},
      {"StrToBool", "Tekst jako wartość logiczna."},
      {"Format", "Tekst z argumentami wstawionymi według wzoru (%d, %s, %2.2f)."},
      {"FormatFloat", "Liczba sformatowana według wzoru, np. „#,##0.00”."},
      {"FormatDateTime", "Data i godzina sformatowane według wzoru, np. „yyyy-mm-dd hh:nn”."},
      {"FormatMaskText", "Tekst sformatowany według maski edycji."},
      {"EncodeDate", "Data złożona z roku, miesiąca i dnia."},
      {"DecodeDate", "Rozkłada datę na rok, miesiąc i dzień."},
      {"EncodeTime", "Godzina złożona z godzin, minut, sekund i milisekund."},
      {"DecodeTime", "Rozkłada godzinę na godziny, minuty, sekundy i milisekundy."},
      {"Date", "Dzisiejsza data."},
      {"Time", "Bieżąca godzina."},
      {"Now", "Bieżąca data i godzina."},
      {"DayOfWeek", "Dzień tygodnia daty (1 – niedziela, 7 – sobota)."},
      {"IsLeapYear", "Czy rok jest przestępny."},
      {"DaysInMonth", "Liczba dni miesiąca danego roku."},
      {"DayOf", "Dzień miesiąca daty."},
      {"MonthOf", "Miesiąc daty."},
      {"YearOf", "Rok daty."},
      {"Length", "Długość tekstu albo liczba elementów tablicy."},
      {"Copy", "Część tekstu: count znaków od pozycji from."},
      {"Pos", "Pozycja pierwszego wystąpienia tekstu substr w s (0, gdy go nie ma)."},
      {"Delete", "Usuwa z tekstu count znaków od pozycji from."},
      {"DeleteStr", "Usuwa z tekstu count znaków od pozycji from."},
      {"Insert", "Wstawia tekst s do tekstu s2 na pozycji pos."},
      {"Uppercase", "Tekst wielkimi literami."},
      {"Lowercase", "Tekst małymi literami."},
      {"Trim", "Tekst bez odstępów na początku i na końcu."},
      {"NameCase", "Tekst z pierwszą literą każdego słowa wielką."},
      {"CompareText", "Porównuje teksty bez względu na wielkość liter (0, gdy równe)."},
      {"Chr", "Znak o danym kodzie."},
      {"Ord", "Kod znaku."},
      {"SetLength", "Zmienia długość tekstu albo tablicy."},
      {"Round", "Liczba zaokrąglona do całkowitej."},
      {"Trunc", "Część całkowita liczby."},
      {"Int", "Część całkowita liczby."},
      {"Frac", "Część ułamkowa liczby."},
      {"Sqrt", "Pierwiastek kwadratowy."},
      {"Abs", "Wartość bezwzględna."},
      {"Sin", "Sinus kąta w radianach."},
      {"Cos", "Cosinus kąta w radianach."},
      {"ArcTan", "Arcus tangens (w radianach)."},
      {"Tan", "Tangens kąta w radianach."},
      {"Exp", "Liczba e do potęgi X."},
      {"Ln", "Logarytm naturalny."},
      {"Pi", "Liczba pi."},
      {"Inc", "Zwiększa zmienną o incr."},
      {"Dec", "Zmniejsza zmienną o decr."},
      {"RaiseException", "Przerywa skrypt błędem o danej treści."},
      {"ShowMessage", "Pokazuje komunikat."},
      {"Randomize", "Ustawia generator liczb losowych."},
      {"Random", "Liczba losowa od 0 do 1."},
      {"ValidInt", "Czy tekst jest liczbą całkowitą."},
      {"ValidFloat", "Czy tekst jest liczbą."},
      {"ValidDate", "Czy tekst jest datą."},
      {"ExtractFilePath", "Folder ze ścieżki pliku."},
      {"CreateOleObject", "Obiekt automatyzacji o danej nazwie."},
      {"VarArrayCreate", "Nowa tablica o danych granicach."},
      {"VarType", "Rodzaj wartości."},
      {"MessageDlg", "Pokazuje pytanie z przyciskami; daje wybrany przycisk."},
      {"InputBox", "Pyta o tekst; daje odpowiedź albo wartość domyślną."},
      {"InputQuery", "Pyta o tekst; daje, czy odpowiedziano."},
      {"Get", "Wartość zmiennej raportu o danej nazwie."},
      {"Set", "Nadaje wartość zmiennej raportu o danej nazwie."},
      {"IIF", "TrueValue, gdy warunek Expr jest spełniony, inaczej FalseValue."},
      {"SUM", "Suma wyrażenia po wierszach wstęgi danych."},
      {"AVG", "Średnia wyrażenia po wierszach wstęgi danych."},
      {"MIN", "Najmniejsza wartość wyrażenia po wierszach wstęgi danych."},
      {"MAX", "Największa wartość wyrażenia po wierszach wstęgi danych."},
      {"COUNT", "Liczba wierszy wstęgi danych."},
  };
  return texts;
}

struct FunctionEntry {
  QString category, name, declaration, description;
};

// The function library as a report's script has it (the same for every
// report): read once from a report of its own.
const QList<FunctionEntry>& functionLibrary() {
  static const QList<FunctionEntry> entries = [] {
    QList<FunctionEntry> list;
    report::TfrxReport scratch;
    for (const script::TfsMethodHelper* f : scratch.Script().FunctionItems()) {
      if (f->Category.isEmpty()) continue;
      QString description = descriptions().value(f->Name());
      if (description.isEmpty() && f->Description != f->Name()) description = f->Description;
      list.append({f->Category, f->Name(), f->Declaration, description});
    }
    return list;
  }();
  return entries;
}

const QStringList kCategories{QStringLiteral("ctString"), QStringLiteral("ctDate"),   QStringLiteral("ctConv"),
                              QStringLiteral("ctFormat"), QStringLiteral("ctMath"),   QStringLiteral("ctOther"),
                              QStringLiteral("ctAggregate")};

QStandardItem* newItem(const QString& text, Kind kind) {
  auto* it = new QStandardItem(text);
  it->setEditable(false);
  it->setData(int(kind), DataTreeModel::KindRole);
  it->setData(text, DataTreeModel::NameRole);
  return it;
}

// A data set's fields; none when it cannot say (a data set not found).
QStringList fieldsOf(report::TfrxDataSet* dataSet) {
  QStringList fields;
  if (dataSet) dataSet->GetFieldList(fields);
  return fields;
}

QString unavailable(const QString& name) { return QStringLiteral("%1 (niedostępny)").arg(name); }

}  // namespace

DataTreeModel::DataTreeModel(report::TfrxReport& report, QObject* parent) : QStandardItemModel(parent), report_(report) {
  Refresh();
}

const QStringList& DataTreeModel::SystemVariables() {
  static const QStringList names{QStringLiteral("Date"),       QStringLiteral("Time"),        QStringLiteral("Page"),
                                 QStringLiteral("Page#"),      QStringLiteral("TotalPages"),  QStringLiteral("TotalPages#"),
                                 QStringLiteral("Line"),       QStringLiteral("Line#"),       QStringLiteral("CopyName#")};
  return names;
}

QString DataTreeModel::CategoryCaption(const QString& category) {
  return report::resources::contains(category) ? report::resources::text(category) : category;
}

QString DataTreeModel::signature() const {
  // Functions and system variables never change: only the report's lists.
  QString s;
  const report::TfrxReportDataSets& sets = *report_.DataSets();
  for (int i = 0; i < sets.Count(); ++i) {
    const report::TfrxDataSetItem* entry = sets.Item(i);
    s += entry->DataSet() ? entry->DataSet()->UserName() : unavailable(entry->DataSetName());
    s += QLatin1Char('\x01') + fieldsOf(entry->DataSet()).join(QLatin1Char('\x02')) + QLatin1Char('\x03');
  }
  s += QLatin1Char('\x04');
  const report::TfrxVariables& variables = *report_.Variables();
  for (int i = 0; i < variables.Count(); ++i)
    s += variables.Item(i)->Name() + QLatin1Char('\x01') + variables.Item(i)->Value().toString() + QLatin1Char('\x03');
  return s;
}

bool DataTreeModel::Refresh() {
  QString now = signature();
  if (now == shown_ && rowCount() > 0) return false;
  shown_ = std::move(now);
  build();
  return true;
}

void DataTreeModel::build() {
  clear();
  setHorizontalHeaderLabels({QStringLiteral("Dane")});

  QStandardItem* sets = newItem(DataSetsText(), Kind::Section);
  const report::TfrxReportDataSets& list = *report_.DataSets();
  for (int i = 0; i < list.Count(); ++i) {
    report::TfrxDataSet* dataSet = list.Item(i)->DataSet();
    const QString name = dataSet ? dataSet->UserName() : list.Item(i)->DataSetName();
    QStandardItem* set = newItem(dataSet ? name : unavailable(name), Kind::DataSet);
    set->setData(name, NameRole);
    set->setData(name, DataSetRole);
    for (const QString& field : fieldsOf(dataSet)) {
      QStandardItem* f = newItem(field, Kind::Field);
      f->setData(name, DataSetRole);
      f->setToolTip(QStringLiteral("%1.\"%2\"").arg(name, field));
      set->appendRow(f);
    }
    sets->appendRow(set);
  }
  appendRow(sets);

  QStandardItem* variables = newItem(VariablesText(), Kind::Section);
  const report::TfrxVariables& vars = *report_.Variables();
  QStandardItem* category = variables;
  for (int i = 0; i < vars.Count(); ++i) {
    const QString name = vars.Item(i)->Name();
    if (name.startsWith(QLatin1Char(' '))) {
      category = newItem(name.mid(1), Kind::Category);
      variables->appendRow(category);
      continue;
    }
    QStandardItem* v = newItem(name, Kind::Variable);
    const QString expression = vars.Item(i)->Value().toString();
    v->setData(expression, ExpressionRole);
    v->setToolTip(expression);
    category->appendRow(v);
  }
  appendRow(variables);

  QStandardItem* system = newItem(SystemVariablesText(), Kind::Section);
  for (const QString& name : SystemVariables()) system->appendRow(newItem(name, Kind::SystemVariable));
  appendRow(system);

  QStandardItem* functions = newItem(FunctionsText(), Kind::Section);
  for (const QString& cat : kCategories) {
    QStandardItem* c = newItem(CategoryCaption(cat), Kind::FunctionCategory);
    for (const FunctionEntry& f : functionLibrary()) {
      if (f.category != cat) continue;
      QStandardItem* it = newItem(f.name, Kind::Function);
      it->setData(f.declaration, DeclarationRole);
      it->setData(f.description, DescriptionRole);
      it->setToolTip(f.description.isEmpty() ? f.declaration : f.declaration + QLatin1Char('\n') + f.description);
      c->appendRow(it);
    }
    if (c->rowCount() > 0) functions->appendRow(c);
    else delete c;
  }
  appendRow(functions);
}

QModelIndex DataTreeModel::Find(const QStringList& path) const {
  QModelIndex at;
  for (const QString& caption : path) {
    QModelIndex found;
    for (int r = 0; r < rowCount(at) && !found.isValid(); ++r)
      if (index(r, 0, at).data(Qt::DisplayRole).toString() == caption) found = index(r, 0, at);
    if (!found.isValid()) return {};
    at = found;
  }
  return at;
}

std::optional<DataDragItem> DataTreeModel::DragItem(const QModelIndex& index) const {
  if (!index.isValid()) return std::nullopt;
  const QString name = index.data(NameRole).toString();
  switch (Kind(index.data(KindRole).toInt())) {
    case Kind::Field: return DataDragItem{DataDragItem::Kind::Field, index.data(DataSetRole).toString(), name, {}};
    case Kind::Variable: return DataDragItem{DataDragItem::Kind::Variable, {}, name, {}};
    case Kind::SystemVariable: return DataDragItem{DataDragItem::Kind::SystemVariable, {}, name, {}};
    case Kind::Function:
      return DataDragItem{DataDragItem::Kind::Function, {}, name, FunctionCall(index.data(DeclarationRole).toString())};
    default: return std::nullopt;
  }
}

Qt::ItemFlags DataTreeModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QStandardItemModel::flags(index) & ~Qt::ItemIsDropEnabled;
  if (DragItem(index)) f |= Qt::ItemIsDragEnabled;
  else f &= ~Qt::ItemIsDragEnabled;
  return f;
}

QStringList DataTreeModel::mimeTypes() const {
  return {QString::fromLatin1(kDataItemMimeType), QStringLiteral("text/plain")};
}

QMimeData* DataTreeModel::mimeData(const QModelIndexList& indexes) const {
  for (const QModelIndex& index : indexes)
    if (const std::optional<DataDragItem> dragged = DragItem(index)) return MakeDataMime(*dragged);
  return nullptr;
}

// --- The widget -------------------------------------------------------------------------

DataTree::DataTree(DesignerDocument& document, QWidget* parent)
    : QWidget(parent), document_(document), model_(document.Report()) {
  setObjectName(QStringLiteral("DataTree"));
  view_ = new QTreeView(this);
  view_->setObjectName(QStringLiteral("DataTreeView"));
  view_->setModel(&model_);
  view_->setHeaderHidden(true);
  view_->setDragEnabled(true);
  view_->setDragDropMode(QAbstractItemView::DragOnly);
  view_->setDefaultDropAction(Qt::CopyAction);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  description_ = new QLabel(this);
  description_->setObjectName(QStringLiteral("DataTreeDescription"));
  description_->setWordWrap(true);
  description_->setTextFormat(Qt::PlainText);
  description_->setMinimumHeight(48);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  description_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_, 1);
  layout->addWidget(description_);
  view_->expand(model_.Find({DataTreeModel::DataSetsText()}));

  // Variables and data sets change through whole-report steps, which say
  // nothing per property: every step of the undo stack is looked at, once
  // the event loop is back.
  refresh_ = new QTimer(this);
  refresh_->setSingleShot(true);
  refresh_->setInterval(0);
  connect(refresh_, &QTimer::timeout, this, &DataTree::Refresh);
  connect(&document_, &DesignerDocument::documentReplaced, this, &DataTree::scheduleRefresh);
  connect(&document_.UndoStack(), &QUndoStack::indexChanged, this, &DataTree::scheduleRefresh);
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { showDescription(current); });
}

void DataTree::scheduleRefresh() { refresh_->start(); }

void DataTree::Refresh() {
  refresh_->stop();
  // What was open stays open when the tree is built again.
  QList<QStringList> expanded;
  std::function<void(const QModelIndex&, QStringList)> walk = [&](const QModelIndex& parent, QStringList path) {
    for (int r = 0; r < model_.rowCount(parent); ++r) {
      const QModelIndex child = model_.index(r, 0, parent);
      QStringList p = path;
      p.append(child.data().toString());
      if (view_->isExpanded(child)) expanded.append(p);
      walk(child, p);
    }
  };
  walk({}, {});
  if (!model_.Refresh()) return;
  for (const QStringList& path : expanded) view_->expand(model_.Find(path));
  if (expanded.isEmpty()) view_->expand(model_.Find({DataTreeModel::DataSetsText()}));
  description_->clear();
}

void DataTree::showDescription(const QModelIndex& index) {
  switch (DataTreeModel::Kind(index.data(DataTreeModel::KindRole).toInt())) {
    case DataTreeModel::Kind::Function: {
      const QString description = index.data(DataTreeModel::DescriptionRole).toString();
      const QString declaration = index.data(DataTreeModel::DeclarationRole).toString();
      description_->setText(description.isEmpty() ? declaration : declaration + QLatin1Char('\n') + description);
      break;
    }
    case DataTreeModel::Kind::Variable:
      description_->setText(QStringLiteral("%1 = %2").arg(index.data(DataTreeModel::NameRole).toString(),
                                                          index.data(DataTreeModel::ExpressionRole).toString()));
      break;
    case DataTreeModel::Kind::Field:
      description_->setText(QStringLiteral("%1.\"%2\"").arg(index.data(DataTreeModel::DataSetRole).toString(),
                                                             index.data(DataTreeModel::NameRole).toString()));
      break;
    default: description_->clear();
  }
}

}  // namespace valmoro::designer
