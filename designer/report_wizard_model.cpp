#include "designer/report_wizard_model.h"

#include <algorithm>
#include <cmath>

#include "designer/band_rules.h"
#include "designer/field_drop.h"
#include "platform/database.h"
#include "platform/fonts.h"
#include "report/model/band.h"
#include "report/model/data_set.h"
#include "report/model/dialog.h"
#include "report/model/format.h"
#include "report/model/frame.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_font.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"

namespace valmoro::designer {

using report::ReportError;
using report::TfrxBand;
using report::TfrxCustomMemoView;
using report::TfrxMemoView;
using report::TfrxReport;

const QList<WizardLook>& WizardLooks() {
  using namespace report;
  static const QList<WizardLook> looks = [] {
    QList<WizardLook> list;
    WizardLook classic;
    classic.name = QStringLiteral("Klasyczny");
    classic.headingFrame = ftBottom;
    classic.footerFrame = ftTop;
    list.append(classic);
    WizardLook grey;
    grey.name = QStringLiteral("Szary");
    grey.headingFill = 0xD9D9D9u;
    grey.groupFill = 0xEEEEEEu;
    grey.lineColor = 0x808080u;
    grey.headingFrame = TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom);
    grey.dataFrame = TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom);
    grey.footerFrame = TfrxFrameTypes(ftLeft | ftRight | ftTop | ftBottom);
    list.append(grey);
    WizardLook blue;  // colours are stored blue-green-red
    blue.name = QStringLiteral("Niebieski");
    blue.headingFill = 0x800000u;
    blue.headingText = clWhite;
    blue.groupFill = 0xF7EBDDu;
    blue.lineColor = 0x800000u;
    blue.headingFrame = ftBottom;
    blue.dataFrame = ftBottom;
    blue.footerFrame = ftTop;
    list.append(blue);
    WizardLook plain;
    plain.name = QStringLiteral("Bez ramek");
    list.append(plain);
    return list;
  }();
  return looks;
}

// --- The data set's fields ------------------------------------------------------------

namespace {

report::TfrxDataSet* dataSetOf(const TfrxReport& report, const QString& name) {
  if (name.isEmpty()) return nullptr;
  const report::TfrxDataSetItem* item = report.DataSets()->Find(name);
  return item ? item->DataSet() : nullptr;
}

QStringList fieldNames(report::TfrxDataSet& dataSet) {
  QStringList names;
  dataSet.GetFieldList(names);
  return names;
}

}  // namespace

QStringList WizardDataSets(const TfrxReport& report) {
  QStringList names;
  const report::TfrxReportDataSets& list = *report.DataSets();
  for (int i = 0; i < list.Count(); ++i)
    if (report::TfrxDataSet* dataSet = list.Item(i)->DataSet()) names.append(dataSet->UserName());
  return names;
}

QList<WizardField> WizardFields(const TfrxReport& report, const QString& dataSetName) {
  QList<WizardField> fields;
  report::TfrxDataSet* dataSet = dataSetOf(report, dataSetName);
  if (dataSet == nullptr) return fields;
  auto* database = qobject_cast<report::TfrxDBDataset*>(dataSet);
  const db::DataSet* rows = database ? database->DataSet() : nullptr;
  for (const QString& name : fieldNames(*dataSet)) {
    WizardField field;
    field.name = name;
    // The definitions only: the data set's own FieldType and DisplayWidth
    // would open it for a run.
    const int index = rows ? rows->fieldIndex(database->ConvertAlias(name)) : -1;
    if (index >= 0) {
      const db::FieldDef& def = rows->fieldDef(index);
      switch (def.type) {
        case db::FieldType::AutoInc:
          field.kind = WizardField::Kind::Identifier;
          field.displayWidth = 8;
          break;
        case db::FieldType::Integer:
        case db::FieldType::Float:
          field.kind = WizardField::Kind::Number;
          field.displayWidth = 12;
          break;
        case db::FieldType::DateTime:
          field.kind = WizardField::Kind::DateTime;
          field.displayWidth = 19;
          break;
        case db::FieldType::Boolean:
          field.kind = WizardField::Kind::Boolean;
          field.displayWidth = 6;
          break;
        default:
          field.displayWidth = def.size > 0 ? def.size : 20;
          break;
      }
      if (field.kind == WizardField::Kind::Number) field.numberFormat = rows->displayFormat(def.name);
    }
    fields.append(field);
  }
  return fields;
}

QString WizardChoicesRefusal(const TfrxReport& report, const WizardChoices& choices) {
  report::TfrxDataSet* dataSet = dataSetOf(report, choices.dataSet);
  if (dataSet == nullptr) {
    if (choices.dataSet.isEmpty()) return QStringLiteral("Wybierz zbiór danych.");
    return QStringLiteral("Raport nie ma zbioru danych „%1”.").arg(choices.dataSet);
  }
  if (choices.fields.isEmpty()) return QStringLiteral("Wybierz co najmniej jedno pole.");
  const QStringList known = fieldNames(*dataSet);
  for (const QStringList* list : {&choices.fields, &choices.groups}) {
    for (const QString& field : *list) {
      if (!known.contains(field, Qt::CaseInsensitive))
        return QStringLiteral("Zbiór danych „%1” nie ma pola „%2”.").arg(dataSet->UserName(), field);
      if (list->count(field) > 1) return QStringLiteral("Pole „%1” wybrano dwa razy.").arg(field);
    }
  }
  if (choices.look < 0 || choices.look >= WizardLooks().size()) return QStringLiteral("Nie ma takiego wyglądu raportu.");
  return QString();
}

// --- Building ---------------------------------------------------------------------------

namespace {

constexpr double kRow = 18.89765;      // 0.5 cm
constexpr double kHeading = 22.67718;  // 0.6 cm
constexpr double kTitle = 37.7953;     // 1 cm

// Puts a report together: the views it makes share the designer's font,
// the look and the field descriptions.
class Builder {
public:
  Builder(TfrxReport& report, const WizardChoices& choices, const DesignerDefaults& defaults)
      : report_(report), choices_(choices), defaults_(defaults), look_(WizardLooks().at(choices.look)) {
    const QList<WizardField> all = WizardFields(report, choices.dataSet);
    for (const QString& name : choices.fields) fields_.append(describe(all, name));
    for (const QString& name : choices.groups) groups_.append(describe(all, name));
    dataSet_ = dataSetOf(report, choices.dataSet)->UserName();
  }

  void Build() {
    clearPages();
    auto* page = new report::TfrxReportPage(&report_);
    page->CreateUniqueName();
    page->SetPaperSize(defaults_.paperSize);
    page->SetOrientation(choices_.orientation);
    page->SetLeftMargin(defaults_.marginMillimetres);
    page->SetRightMargin(defaults_.marginMillimetres);
    page->SetTopMargin(defaults_.marginMillimetres);
    page->SetBottomMargin(defaults_.marginMillimetres);
    width_ = (page->PaperWidth() - page->LeftMargin() - page->RightMargin()) * report::fr01cm;
    columns();

    QList<TfrxBand*> order;
    order.append(title(*page));
    if (choices_.layout == WizardLayout::Table) order.append(pageHeader(*page));
    for (int i = 0; i < groups_.size(); ++i) order.append(groupHeader(*page, groups_.at(i)));
    auto* data = masterData(*page);
    order.append(data);
    for (qsizetype i = groups_.size() - 1; i >= 0; --i) order.append(groupFooter(*page, *data, groups_.at(i)));
    order.append(pageFooter(*page));
    for (const auto& [name, bounds] : StackBands(order)) {
      TfrxBand* band = qobject_cast<TfrxBand*>(report_.FindObject(name));
      band->SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
    }

    report_.SetScriptLanguage(defaults_.scriptLanguage);
    report_.SetScriptText({QStringLiteral("begin"), QString(), QStringLiteral("end.")});
    report_.SetOnStartReport(QString());
    report_.SetOnStopReport(QString());
    report_.SetOnRunDialogs(QString());
    report_.SetOnReportPrint(QString());
    report_.EngineOptions()->SetDoublePass(true);
  }

private:
  static WizardField describe(const QList<WizardField>& all, const QString& name) {
    for (const WizardField& field : all)
      if (field.name.compare(name, Qt::CaseInsensitive) == 0) return field;
    WizardField unknown;
    unknown.name = name;
    return unknown;
  }

  QString reference(const WizardField& field) const { return QStringLiteral("%1.\"%2\"").arg(dataSet_, field.name); }

  // Report pages and dialog pages go; the data page with the report's data
  // components stays.
  void clearPages() {
    const QList<report::TfrxComponent*> children = report_.Objects();
    for (report::TfrxComponent* child : children)
      if (qobject_cast<report::TfrxReportPage*>(child) || qobject_cast<report::TfrxDialogPage*>(child)) delete child;
  }

  // The width of a text in the report's font (pixels, as the report
  // measures text), with the text's inner gap on both sides.
  double measure(const QString& text, bool bold) const {
    constexpr double kPadding = 8;
    const int pixels = fonts::emPixels(defaults_.fontName, bold, false, -defaults_.fontHeightPixels);
    return double(fonts::scaled(defaults_.fontName, bold, false, pixels)->width(text)) + kPadding;
  }
  double headingWidth(const WizardField& field) const { return measure(field.name, true); }

  // What a column needs: its bold heading, or a value of its kind at its
  // widest, whichever is wider.
  double neededWidth(const WizardField& field) const {
    QString sample;
    switch (field.kind) {
      case WizardField::Kind::Identifier: sample = QStringLiteral("000000"); break;
      case WizardField::Kind::Number: sample = QStringLiteral("-0 000,00"); break;
      case WizardField::Kind::DateTime: sample = QStringLiteral("0000-00-00 00:00:00"); break;
      case WizardField::Kind::Boolean: sample = QStringLiteral("Fałsz"); break;
      default: sample = QString(std::clamp(field.displayWidth, 4, 16), QLatin1Char('n')); break;
    }
    return std::max(headingWidth(field), measure(sample, false));
  }

  // The printable width shared out among the fields (table): each takes
  // what it needs, what is left goes to the texts (they use it best); when
  // the page is too narrow every column gives up the same share. In a form
  // it is a caption and a value column.
  void columns() {
    if (choices_.layout == WizardLayout::Form) {
      caption_ = std::round(width_ * 0.3 * 100) / 100;
      return;
    }
    QList<double> needed, least;
    double total = 0, texts = 0, give = 0;
    for (const WizardField& field : fields_) {
      needed.append(neededWidth(field));
      // A text may give up room down to its heading; numbers and dates none.
      least.append(field.kind == WizardField::Kind::Text ? std::min(needed.last(), headingWidth(field)) : needed.last());
      total += needed.last();
      give += needed.last() - least.last();
      if (field.kind == WizardField::Kind::Text) texts += needed.last();
    }
    const double spare = width_ - total;
    const double leastTotal = total - give;
    double x = 0;
    for (int i = 0; i < fields_.size(); ++i) {
      double w = needed.at(i);
      if (spare < 0 && -spare <= give) w -= (needed.at(i) - least.at(i)) * -spare / give;
      else if (spare < 0) w = least.at(i) * width_ / leastTotal;
      else if (texts > 0) w += fields_.at(i).kind == WizardField::Kind::Text ? spare * needed.at(i) / texts : 0;
      else w += spare * needed.at(i) / total;
      w = i + 1 == fields_.size() ? width_ - x : std::round(w * 100) / 100;
      left_.append(x);
      widths_.append(w);
      x += w;
    }
  }

  template <class Band>
  Band* band(report::TfrxReportPage& page, double height) {
    auto* b = new Band(&page);
    b->CreateUniqueName();
    b->SetBounds(0, 0, width_, height);
    return b;
  }

  TfrxMemoView* memo(TfrxBand& band, const QString& name, const QRectF& bounds, const QString& text) {
    auto* m = new TfrxMemoView(&band);
    m->SetName(NameForField(report_, QString(), name));
    m->SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
    m->SetParentFont(false);
    m->Font()->SetName(defaults_.fontName);
    m->Font()->SetHeight(-defaults_.fontHeightPixels);
    m->Font()->SetCharset(1);
    m->SetVAlign(report::vaCenter);
    // Every view is one line high: a wrapped text would run into the next row.
    m->SetWordWrap(false);
    m->SetText(text);
    return m;
  }

  // A fixed text: brackets in a field name print as they are.
  TfrxMemoView* label(TfrxBand& band, const QString& name, const QRectF& bounds, const QString& text) {
    TfrxMemoView* m = memo(band, name, bounds, text);
    m->SetAllowExpressions(false);
    return m;
  }

  void bold(TfrxMemoView& m) const { m.Font()->SetStyle(report::fsBold); }

  void lines(TfrxMemoView& m, report::TfrxFrameTypes sides) const {
    m.Frame()->SetTyp(sides);
    if (sides) m.Frame()->SetColor(look_.lineColor);
  }

  // How the field's values print: the grid's number picture, the grid's date
  // and time; numbers to the right.
  void format(TfrxMemoView& m, const WizardField& field, bool average = false) const {
    if (field.kind == WizardField::Kind::DateTime) {
      m.DisplayFormat()->SetKind(report::fkDateTime);
      m.DisplayFormat()->SetFormatStr(QStringLiteral("yyyy-mm-dd hh:nn:ss"));
    }
    const bool number = field.kind == WizardField::Kind::Number || field.kind == WizardField::Kind::Identifier;
    if (number && (average || !field.numberFormat.isEmpty())) {
      m.DisplayFormat()->SetKind(report::fkNumeric);
      m.DisplayFormat()->SetFormatStr(field.numberFormat.isEmpty() ? QStringLiteral("#,##0.00") : field.numberFormat);
    }
    if (number) m.SetHAlign(report::haRight);
  }

  TfrxBand* title(report::TfrxReportPage& page) {
    auto* b = band<report::TfrxReportTitle>(page, kTitle);
    TfrxMemoView* m = label(*b, QStringLiteral("Tytul"), {0, 0, width_, kTitle - 7.55906}, dataSet_);
    m->Font()->SetHeight(-21);
    bold(*m);
    m->SetHAlign(report::haCenter);
    return b;
  }

  TfrxBand* pageHeader(report::TfrxReportPage& page) {
    auto* b = band<report::TfrxPageHeader>(page, kHeading);
    for (int i = 0; i < fields_.size(); ++i) {
      const WizardField& field = fields_.at(i);
      TfrxMemoView* m = label(*b, NameForField(report_, QStringLiteral("Naglowek"), field.name),
                              {left_.at(i), 0, widths_.at(i), kHeading}, field.name);
      bold(*m);
      m->SetColor(look_.headingFill);
      m->Font()->SetColor(look_.headingText);
      lines(*m, look_.headingFrame);
      if (field.kind == WizardField::Kind::Number || field.kind == WizardField::Kind::Identifier) m->SetHAlign(report::haRight);
    }
    return b;
  }

  TfrxBand* groupHeader(report::TfrxReportPage& page, const WizardField& field) {
    auto* b = band<report::TfrxGroupHeader>(page, kHeading);
    b->SetCondition(QStringLiteral("<%1>").arg(reference(field)));
    TfrxMemoView* m = memo(*b, NameForField(report_, QStringLiteral("Grupa"), field.name), {0, 0, width_, kHeading},
                           QStringLiteral("%1: [%2]").arg(field.name, reference(field)));
    format(*m, field);
    m->SetHAlign(report::haLeft);
    bold(*m);
    m->SetColor(look_.groupFill);
    return b;
  }

  report::TfrxMasterData* masterData(report::TfrxReportPage& page) {
    const bool form = choices_.layout == WizardLayout::Form;
    auto* b = band<report::TfrxMasterData>(page, form ? fields_.size() * kRow + kRow / 2 : kRow);
    b->SetDataSetName(dataSet_);
    QList<report::TfrxSortKey> keys;
    for (const WizardField& group : groups_) keys.append({QStringLiteral("<%1>").arg(reference(group)), false});
    b->SetSortKeys(keys);
    for (int i = 0; i < fields_.size(); ++i) {
      const WizardField& field = fields_.at(i);
      const QRectF bounds = form ? QRectF(caption_, i * kRow, width_ - caption_, kRow) : QRectF(left_.at(i), 0, widths_.at(i), kRow);
      if (form) {
        TfrxMemoView* c = label(*b, NameForField(report_, QStringLiteral("Etykieta"), field.name),
                                {0, i * kRow, caption_, kRow}, field.name);
        bold(*c);
        lines(*c, look_.dataFrame);
      }
      TfrxMemoView* m = memo(*b, NameForField(report_, QStringLiteral("Pole"), field.name), bounds,
                             QStringLiteral("[%1]").arg(reference(field)));
      m->SetDataSetName(dataSet_);
      m->SetDataField(field.name);
      format(*m, field);
      if (form) m->SetHAlign(report::haLeft);
      lines(*m, look_.dataFrame);
    }
    return b;
  }

  TfrxBand* groupFooter(report::TfrxReportPage& page, const report::TfrxMasterData& data, const WizardField& group) {
    QList<WizardField> averaged;
    for (const WizardField& field : fields_)
      if (field.averaged()) averaged.append(field);
    const bool form = choices_.layout == WizardLayout::Form;
    const int rows = averaged.isEmpty() ? 1 : form ? 1 + int(averaged.size()) : 2;
    auto* b = band<report::TfrxGroupFooter>(page, rows * kRow);
    TfrxMemoView* count = memo(*b, NameForField(report_, QStringLiteral("Liczba"), group.name), {0, 0, width_, kRow},
                               QStringLiteral("Liczba: [COUNT(%1)]").arg(data.Name()));
    bold(*count);
    lines(*count, look_.footerFrame);
    const auto mean = [&](const WizardField& field, const QRectF& bounds) {
      TfrxMemoView* m = memo(*b, NameForField(report_, QStringLiteral("Srednia"), field.name), bounds,
                             QStringLiteral("[AVG(<%1>,%2)]").arg(reference(field), data.Name()));
      format(*m, field, true);
    };
    if (form) {
      for (int i = 0; i < averaged.size(); ++i) {
        const double top = (i + 1) * kRow;
        label(*b, NameForField(report_, QStringLiteral("EtykietaSredniej"), averaged.at(i).name), {0, top, caption_, kRow},
              QStringLiteral("Średnia – %1").arg(averaged.at(i).name));
        mean(averaged.at(i), {caption_, top, width_ - caption_, kRow});
      }
      return b;
    }
    if (averaged.isEmpty()) return b;
    if (!fields_.first().averaged())
      label(*b, NameForField(report_, QStringLiteral("EtykietaSredniej"), group.name), {0, kRow, widths_.first(), kRow},
            QStringLiteral("Średnia"));
    for (int i = 0; i < fields_.size(); ++i)
      if (fields_.at(i).averaged()) mean(fields_.at(i), {left_.at(i), kRow, widths_.at(i), kRow});
    return b;
  }

  TfrxBand* pageFooter(report::TfrxReportPage& page) {
    auto* b = band<report::TfrxPageFooter>(page, kRow + 7.55906);
    TfrxMemoView* m = memo(*b, QStringLiteral("NumerStrony"), {0, 3.77953, width_, kRow},
                           QStringLiteral("Strona [Page#] z [TotalPages#]"));
    m->SetHAlign(report::haRight);
    lines(*m, look_.footerFrame.testFlag(report::ftTop) ? report::TfrxFrameTypes(report::ftTop) : report::TfrxFrameTypes());
    return b;
  }

  TfrxReport& report_;
  const WizardChoices& choices_;
  const DesignerDefaults& defaults_;
  const WizardLook& look_;
  QList<WizardField> fields_, groups_;
  QString dataSet_;
  double width_ = 0;
  double caption_ = 0;
  QList<double> left_, widths_;
};

}  // namespace

void BuildWizardReport(TfrxReport& report, const WizardChoices& choices, const DesignerDefaults& defaults) {
  const QString refusal = WizardChoicesRefusal(report, choices);
  if (!refusal.isEmpty()) throw ReportError(refusal);
  Builder(report, choices, defaults).Build();
}

}  // namespace valmoro::designer
