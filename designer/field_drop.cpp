#include "designer/field_drop.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "designer/band_rules.h"
#include "designer/command_group.h"
#include "designer/designer_document.h"
#include "designer/drag.h"
#include "designer/snapping.h"
#include "report/model/band.h"
#include "report/model/changes.h"
#include "report/model/data_set.h"
#include "report/model/edit/commands.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"

namespace valmoro::designer {

using report::ReportError;
using report::TfrxBand;
using report::TfrxComponent;

// --- The dragged item -----------------------------------------------------------------

QString DataDragItem::ViewText() const {
  switch (kind) {
    case Kind::Field: return QStringLiteral("[%1.\"%2\"]").arg(dataSet, name);
    case Kind::Function: return QLatin1Char('[') + call + QLatin1Char(']');
    default: return QLatin1Char('[') + name + QLatin1Char(']');
  }
}

QString DataDragItem::CodeText() const {
  switch (kind) {
    case Kind::Field: return QStringLiteral("<%1.\"%2\">").arg(dataSet, name);
    case Kind::Function: return call;
    default: return QLatin1Char('<') + name + QLatin1Char('>');
  }
}

QMimeData* MakeDataMime(const DataDragItem& item) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out << int(item.kind) << item.dataSet << item.name << item.call;
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kDataItemMimeType), bytes);
  mime->setText(item.CodeText());
  return mime;
}

std::optional<DataDragItem> ReadDataMime(const QMimeData& mime) {
  if (!mime.hasFormat(QString::fromLatin1(kDataItemMimeType))) return std::nullopt;
  const QByteArray bytes = mime.data(QString::fromLatin1(kDataItemMimeType));
  QDataStream in(bytes);
  int kind = -1;
  DataDragItem item;
  in >> kind >> item.dataSet >> item.name >> item.call;
  if (in.status() != QDataStream::Ok || kind < int(DataDragItem::Kind::Field) ||
      kind > int(DataDragItem::Kind::Function) || item.name.isEmpty())
    return std::nullopt;
  item.kind = DataDragItem::Kind(kind);
  return item;
}

QString FunctionCall(const QString& declaration) {
  // "function Name(a, b: T; var c: T = 1): R" or "procedure Name".
  static const QRegularExpression head(QStringLiteral(R"(^\s*\w+\s+(\w+)\s*(\((.*)\))?)"));
  const QRegularExpressionMatch m = head.match(declaration);
  if (!m.hasMatch()) return declaration.trimmed();
  const QString name = m.captured(1);
  const QString params = m.captured(3);
  if (params.trimmed().isEmpty()) return name;
  QStringList names;
  for (QString group : params.split(QLatin1Char(';'))) {
    group = group.section(QLatin1Char(':'), 0, 0).trimmed();
    for (QString one : group.split(QLatin1Char(','))) {
      one = one.trimmed();
      for (const QLatin1String word : {QLatin1String("var "), QLatin1String("const "), QLatin1String("out ")})
        if (one.startsWith(word, Qt::CaseInsensitive)) one = one.mid(word.size()).trimmed();
      if (!one.isEmpty()) names.append(one);
    }
  }
  return name + QLatin1Char('(') + names.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// --- Names ----------------------------------------------------------------------------

QString NameForField(const report::TfrxReport& report, const QString& prefix, const QString& field) {
  QString base = prefix;
  const QString plain = field.normalized(QString::NormalizationForm_D);
  for (QChar c : plain) {
    if (c == u'ł') c = u'l';
    else if (c == u'Ł') c = u'L';
    if ((c.unicode() < 128 && c.isLetterOrNumber()) || c == u'_') base += c;
  }
  if (base.isEmpty() || base.at(0).isDigit()) base.prepend(QLatin1String("Pole"));
  if (report.FindObject(base) == nullptr) return base;
  for (int i = 1;; ++i) {
    const QString name = base + QString::number(i);
    if (report.FindObject(name) == nullptr) return name;
  }
}

QString NoBandRefusal() { return QStringLiteral("Pole danych można upuścić tylko na wstęgę."); }

QString NoTextViewRefusal() { return QStringLiteral("Zmienną lub funkcję można upuścić tylko na obiekt tekstowy."); }

// --- Bands ----------------------------------------------------------------------------

TfrxBand* HeadingBandFor(const TfrxBand& band) {
  auto* page = qobject_cast<report::TfrxReportPage*>(band.Parent());
  if (page == nullptr) return nullptr;
  constexpr int kHeader = 4, kMasterData = 6, kLastData = 11, kGroupHeader = 12, kGroupFooter = 13;
  // The engine pairs a header with the data band right below it, group
  // headers and footers passed over.
  QList<TfrxBand*> rest;
  for (TfrxBand* b : BandStackOrder(*page)) {
    const int kind = b->BandKindIndex();
    if (kind >= kHeader && kind <= kGroupFooter && kind != kGroupHeader && kind != kGroupFooter) rest.append(b);
  }
  const int kind = band.BandKindIndex();
  if (kind >= kMasterData && kind <= kLastData) {
    const qsizetype at = rest.indexOf(const_cast<TfrxBand*>(&band));
    if (at > 0 && rest.at(at - 1)->BandKindIndex() == kHeader) return rest.at(at - 1);
  }
  for (TfrxComponent* child : page->Objects())
    if (auto* header = qobject_cast<report::TfrxPageHeader*>(child)) return header;
  return nullptr;
}

namespace {

bool locked(const TfrxComponent& object) { return object.Restrictions().testFlag(report::rfDontModify); }

// Width and height of a dropped text view: the designer's default, whole
// grid steps.
QSizeF gridSize(const DesignerDocument& document) {
  const QSizeF size = DefaultInsertSize(QStringLiteral("TfrxMemoView"));
  const double step = document.Options().gridStep();
  if (step <= 0) return size;
  return {std::max(1.0, std::round(size.width() / step)) * step, std::max(1.0, std::round(size.height() / step)) * step};
}

// `value` on the grid when snapping is on, then within [0, room].
double place(const DesignerDocument& document, double value, double room) {
  if (document.Options().snapToGrid) value = SnapToGrid(value, 0, document.Options().gridStep());
  return std::clamp(value, 0.0, std::max(0.0, room));
}

// A data band bound to a data set by name. The model's commands keep a
// band with everything on it: on a band of thousands of views that would
// make a drop crawl, for one name.
class BandDataSetCommand final : public QUndoCommand {
public:
  BandDataSetCommand(report::TfrxReport& report, const QString& band, const QString& dataSet)
      : report_(report), band_(band), new_(dataSet) {
    if (auto* b = qobject_cast<report::TfrxDataBand*>(report.FindObject(band))) old_ = b->DataSetName();
    else throw ReportError(QStringLiteral("Nie ma wstęgi danych %1.").arg(band));
  }
  void redo() override { put(old_, new_); }
  void undo() override { put(new_, old_); }

private:
  void put(const QString& from, const QString& to) {
    auto* band = qobject_cast<report::TfrxDataBand*>(report_.FindObject(band_));
    if (band == nullptr) return;
    band->SetDataSetName(to);
    report::changes::propertyChanged(*band, QStringLiteral("DataSetName"), from, to);
  }
  report::TfrxReport& report_;
  QString band_, old_, new_;
};

// A new text view under `parent` with the designer's defaults, renamed
// and filled by `fill`; its name.
QString addTextView(DesignerDocument& document, CommandGroup& group, const TfrxBand& parent, const QRectF& bounds,
                    const QString& name, const std::function<void(report::TfrxCustomMemoView&)>& fill) {
  report::TfrxReport& report = document.Report();
  auto& insert = group.Add(new report::edit::InsertCommand(report, QStringLiteral("TfrxMemoView"), parent.Name(), bounds));
  const QString inserted = insert.InsertedName();
  group.Add(new report::edit::ChangeCommand(report, QString(), {inserted}, [&](TfrxComponent& object) {
    applyNewObjectDefaults(document, object, 0);
    auto& memo = static_cast<report::TfrxCustomMemoView&>(object);
    if (name != inserted) memo.SetName(name);
    fill(memo);
  }));
  return name;
}

}  // namespace

// --- Dropping -------------------------------------------------------------------------

QString DropField(DesignerDocument& document, TfrxBand& band, const QString& dataSetName, const QString& field,
                  QPointF pagePosition, bool withHeading, QStringList* created) {
  report::TfrxReport& report = document.Report();
  report::TfrxDataSet* dataSet = report.GetDataset(dataSetName);
  if (dataSet == nullptr) return QStringLiteral("Raport nie ma zbioru danych „%1”.").arg(dataSetName);
  QStringList fields;
  dataSet->GetFieldList(fields);
  const auto known = std::find_if(fields.begin(), fields.end(),
                                  [&](const QString& f) { return f.compare(field, Qt::CaseInsensitive) == 0; });
  if (known == fields.end())
    return QStringLiteral("Zbiór danych „%1” nie ma pola „%2”.").arg(dataSet->UserName(), field);
  const QString fieldName = *known;
  if (qobject_cast<report::TfrxReportPage*>(band.Parent()) == nullptr || band.Vertical())
    return QStringLiteral("Na wstędze %1 nie można umieszczać pól danych.").arg(band.Name());
  if (locked(band)) return QStringLiteral("Wstęga %1 jest zablokowana: nie można jej zmieniać.").arg(band.Name());
  TfrxBand* headingBand = withHeading ? HeadingBandFor(band) : nullptr;
  if (withHeading && headingBand == nullptr)
    return QStringLiteral("Wstęga %1 nie ma nagłówka ani strona nagłówka strony: nie ma gdzie umieścić nagłówka kolumny.")
        .arg(band.Name());
  if (headingBand && locked(*headingBand))
    return QStringLiteral("Wstęga %1 jest zablokowana: nie można jej zmieniać.").arg(headingBand->Name());

  const QSizeF size = gridSize(document);
  const double left = place(document, pagePosition.x() - band.AbsLeft(), band.Width() - size.width());
  const double top = place(document, pagePosition.y() - band.AbsTop(), band.Height() - size.height());
  const QString userName = dataSet->UserName();
  const QString text = DataDragItem{DataDragItem::Kind::Field, userName, fieldName, {}}.ViewText();
  const QString fieldView = NameForField(report, QStringLiteral("Pole"), fieldName);
  QString headingView;
  if (headingBand) headingView = NameForField(report, QStringLiteral("Naglowek"), fieldName);
  // Only a data band that runs over no data set (nor a count of rows) takes this one.
  auto* dataBand = qobject_cast<report::TfrxDataBand*>(&band);
  const bool bindBand = dataBand && dataBand->DataSetName().isEmpty() && dataBand->RowCount() == 0;

  try {
    std::unique_ptr<CommandGroup> group =
        CommandGroup::Build(QStringLiteral("Wstawienie pola %1").arg(fieldName), [&](CommandGroup& g) {
          if (bindBand)
            g.Add(new BandDataSetCommand(report, band.Name(), userName));
          addTextView(document, g, band, QRectF(QPointF(left, top), size), fieldView, [&](report::TfrxCustomMemoView& memo) {
            memo.SetDataSetName(userName);
            memo.SetDataField(fieldName);
            memo.SetText(text);
          });
          if (headingBand) {
            // Under the same x as the field, at the foot of the heading band.
            const double x = std::clamp(band.AbsLeft() + left - headingBand->AbsLeft(), 0.0,
                                        std::max(0.0, headingBand->Width() - size.width()));
            const double y = std::max(0.0, headingBand->Height() - size.height());
            addTextView(document, g, *headingBand, QRectF(QPointF(x, y), size), headingView,
                        [&](report::TfrxCustomMemoView& memo) { memo.SetText(fieldName); });
          }
        });
    document.EndGesture();
    document.Push(group.release());
    document.EndGesture();
  } catch (const ReportError& e) {
    return e.message();
  }
  QStringList names{fieldView};
  if (headingBand) names.append(headingView);
  document.SelectNames(names);
  if (created) *created = names;
  return QString();
}

QString InsertIntoText(DesignerDocument& document, TfrxComponent& view, const QString& text) {
  auto* memo = qobject_cast<report::TfrxCustomMemoView*>(&view);
  if (memo == nullptr) return NoTextViewRefusal();
  if (locked(*memo) || memo->Restrictions().testFlag(report::rfDontEdit))
    return QStringLiteral("Tekstu obiektu %1 nie można zmieniać.").arg(memo->Name());
  const QString name = memo->Name();
  const QString value = memo->Text() + text;
  document.EndGesture();
  const QString refusal = document.Run(
      [&] { return new report::edit::SetPropertyCommand(document.Report(), {name}, QStringLiteral("Text"), value); });
  document.EndGesture();
  return refusal;
}

namespace {

TfrxComponent* textViewAt(const DesignerDocument& document, QPointF point) {
  const report::TfrxPage* page = document.CurrentPage();
  if (page == nullptr) return nullptr;
  const DesignHit hit = HitAt(*page, point, {}, 0);
  return hit.kind == DesignHit::Kind::View && qobject_cast<report::TfrxCustomMemoView*>(hit.object) ? hit.object
                                                                                                       : nullptr;
}

}  // namespace

QString DropItem(DesignerDocument& document, const DataDragItem& item, QPointF pagePosition, bool withHeading) {
  const report::TfrxPage* page = document.CurrentPage();
  if (item.kind == DataDragItem::Kind::Field) {
    TfrxBand* band = page ? BandAt(*page, pagePosition) : nullptr;
    if (band == nullptr) return NoBandRefusal();
    return DropField(document, *band, item.dataSet, item.name, pagePosition, withHeading);
  }
  TfrxComponent* view = textViewAt(document, pagePosition);
  if (view == nullptr) return NoTextViewRefusal();
  return InsertIntoText(document, *view, item.ViewText());
}

}  // namespace valmoro::designer
