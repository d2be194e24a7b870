#include "designer/band_rules.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "designer/command_group.h"
#include "designer/designer_document.h"
#include "designer/object_editing.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/edit/commands.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"

namespace valmoro::designer {

using report::ReportError;
using report::TfrxBand;
using report::TfrxComponent;
using report::TfrxGroupHeader;
using report::TfrxReportPage;

namespace {

// Kinds of the engine's band table (TfrxBand::BandKindIndex).
enum Kind {
  kReportTitle = 0,
  kReportSummary = 1,
  kPageHeader = 2,
  kPageFooter = 3,
  kHeader = 4,
  kFooter = 5,
  kMasterData = 6,
  kLastDataLevel = 11,
  kGroupHeader = 12,
  kGroupFooter = 13,
  kChild = 14,
  kColumnHeader = 15,
  kColumnFooter = 16,
  kOverlay = 17,
  kKindCount = 18
};

// The engine takes the first band of each of these kinds for the page and
// ignores any other.
bool isPageKind(int kind) { return kind <= kPageFooter || kind >= kColumnHeader; }
bool isDataKind(int kind) { return kind >= kMasterData && kind <= kLastDataLevel; }
int kindOf(const TfrxBand* band) { return band->BandKindIndex(); }

bool stacked(const TfrxBand* band) { return !band->Vertical() && !qobject_cast<const report::TfrxNullBand*>(band); }

// A data band and the bands the engine ties to it.
struct Unit {
  TfrxBand* data = nullptr;
  Unit* parent = nullptr;
  // Group headers, outermost first.
  QList<TfrxGroupHeader*> groups;
  TfrxBand* header = nullptr;
  TfrxBand* footer = nullptr;
  QList<Unit*> details;
};

// Where a new band goes.
struct Placement {
  enum { Slot, Area, Chain } where = Slot;
  int kind = 0;
  int index = 0;              // Area: before this position of the data area
  TfrxBand* parent = nullptr;  // Chain: the band it becomes the child of
};

// The bands of a page as the engine sees them.
//
// The order is the engine's: at the top of each page it prints the report
// title and the page header (the header first when the page's
// TitleBeforeHeader is off), then the column header; then the data bands
// flow; each column ends with the column footer, the last page with the
// report summary below it, every page with the page footer at its bottom;
// the overlay is drawn over the whole page and gets the last place. Those
// kinds stand in fixed places. The engine pairs the rest by their order
// from the top: a header with the data band right below it, a footer with
// the data band right above it (so a master's footer stands above its
// details), a run of group headers with the next data band, a group footer
// with the nearest unpaired group header above it, a detail band with the
// master above it. That order is kept as the bands stand. A child band is
// printed right after the band it is the child of and stands there.
class Layout {
public:
  explicit Layout(const TfrxReportPage& page, const TfrxBand* leftOut = nullptr) : page_(page) {
    QList<TfrxBand*> bands;
    for (TfrxComponent* object : page.Objects()) {
      auto* band = qobject_cast<TfrxBand*>(object);
      if (band && band != leftOut && stacked(band)) bands.append(band);
    }
    const QSet<TfrxBand*> onPage(bands.begin(), bands.end());
    // Each child band hangs from the band before it in its chain.
    for (TfrxBand* root : bands) {
      TfrxBand* before = root;
      for (TfrxBand* child = root->Child(); child && child != root && onPage.contains(child) && !chainParent_.contains(child);
           child = child->Child()) {
        chainParent_.insert(child, before);
        before = child;
      }
    }
    std::stable_sort(bands.begin(), bands.end(), [](const TfrxBand* a, const TfrxBand* b) { return a->Top() < b->Top(); });
    for (TfrxBand* band : bands) {
      if (chainParent_.contains(band)) continue;
      if (isPageKind(kindOf(band))) slots_[size_t(kindOf(band))].append(band);
      else area_.append(band);
    }
    derive();
  }

  QList<TfrxBand*> Order() const {
    QList<TfrxBand*> order;
    QSet<const TfrxBand*> put;
    auto add = [&](TfrxBand* band) {
      while (band && !put.contains(band)) {
        order.append(band);
        put.insert(band);
        TfrxBand* child = band->Child();
        band = child && chainParent_.value(child) == band ? child : nullptr;
      }
    };
    const bool titleFirst = page_.TitleBeforeHeader();
    for (int kind : {titleFirst ? kReportTitle : kPageHeader, titleFirst ? kPageHeader : kReportTitle, kColumnHeader})
      for (TfrxBand* band : slots_[size_t(kind)]) add(band);
    for (TfrxBand* band : area_) add(band);
    for (int kind : {kColumnFooter, kReportSummary, kPageFooter, kOverlay})
      for (TfrxBand* band : slots_[size_t(kind)]) add(band);
    return order;
  }

  const QList<TfrxBand*>& Slot(int kind) const { return slots_[size_t(kind)]; }
  QList<TfrxBand*>& Area() { return area_; }
  int AreaSize() const { return int(area_.size()); }
  const std::vector<std::unique_ptr<Unit>>& Units() const { return units_; }
  const QList<Unit*>& Masters() const { return masters_; }
  TfrxBand* GroupFooter(const TfrxGroupHeader* header) const { return groupFooter_.value(header); }
  bool HasGroupHeaders() const {
    return std::any_of(area_.begin(), area_.end(), [](const TfrxBand* b) { return kindOf(b) == kGroupHeader; });
  }

  // The band a chain of child bands hangs from (the band itself when it is
  // no child).
  TfrxBand* ChainRoot(TfrxBand* band) const {
    while (chainParent_.contains(band)) band = chainParent_.value(band);
    return band;
  }
  Unit* UnitOf(const TfrxBand* band) const {
    return band ? unitOf_.value(ChainRoot(const_cast<TfrxBand*>(band))) : nullptr;
  }

  // Every band of the unit and of its details.
  void Members(const Unit& unit, QList<TfrxBand*>& into) const {
    for (TfrxGroupHeader* group : unit.groups) into.append(group);
    if (unit.header) into.append(unit.header);
    into.append(unit.data);
    if (unit.footer) into.append(unit.footer);
    for (TfrxGroupHeader* group : unit.groups)
      if (TfrxBand* footer = GroupFooter(group)) into.append(footer);
    for (const Unit* detail : unit.details) Members(*detail, into);
  }
  // First and last position of the unit's bands in the data area.
  QPair<int, int> Span(const Unit& unit) const {
    QList<TfrxBand*> members;
    Members(unit, members);
    int first = int(area_.size()), last = -1;
    for (TfrxBand* band : members) {
      const int at = int(area_.indexOf(band));
      first = std::min(first, at);
      last = std::max(last, at);
    }
    return {first, last};
  }
  int AreaIndex(const TfrxBand* band) const { return int(area_.indexOf(const_cast<TfrxBand*>(band))); }

  void Place(TfrxBand* band, const Placement& placement) {
    if (placement.where == Placement::Slot) slots_[size_t(placement.kind)].append(band);
    else if (placement.where == Placement::Area) area_.insert(placement.index, band);
  }

private:
  // The engine's pairing of the data area (report/engine/engine_bands.cpp),
  // except that a data band waiting for its data set still counts: the
  // designer lays it out before the data set is chosen.
  void derive() {
    QList<TfrxBand*> list;
    for (TfrxBand* band : area_)
      if (kindOf(band) >= kHeader && kindOf(band) <= kGroupFooter) list.append(band);
    QHash<const TfrxBand*, QList<TfrxGroupHeader*>> groupsOf;
    for (int i = 0; i < list.size(); ++i) {
      if (kindOf(list[i]) != kGroupHeader) continue;
      QList<TfrxGroupHeader*> chain;
      int j = i;
      while (j < list.size() && kindOf(list[j]) == kGroupHeader) chain.append(static_cast<TfrxGroupHeader*>(list[j++]));
      for (int k = j; k < list.size(); ++k)
        if (isDataKind(kindOf(list[k]))) {
          groupsOf.insert(list[k], chain);
          break;
        }
      i = j - 1;
    }
    QList<TfrxGroupHeader*> open;
    QList<TfrxBand*> rest;
    for (TfrxBand* band : list) {
      if (kindOf(band) == kGroupHeader) open.append(static_cast<TfrxGroupHeader*>(band));
      else if (kindOf(band) == kGroupFooter) {
        if (!open.isEmpty()) groupFooter_.insert(open.takeLast(), band);
      } else {
        rest.append(band);
      }
    }
    QHash<const TfrxBand*, TfrxBand*> headerOf, footerOf;
    list.clear();
    for (int i = 0; i < rest.size(); ++i) {
      const int kind = kindOf(rest[i]);
      if (kind == kHeader && i + 1 < rest.size() && isDataKind(kindOf(rest[i + 1]))) {
        headerOf.insert(rest[i + 1], rest[i]);
      } else if (kind == kFooter && i > 0 && isDataKind(kindOf(rest[i - 1]))) {
        footerOf.insert(rest[i - 1], rest[i]);
      } else if (kind != kHeader && kind != kFooter) {
        list.append(rest[i]);
      }
    }
    auto make = [&](TfrxBand* data, Unit* parent) {
      units_.push_back(std::make_unique<Unit>());
      Unit* unit = units_.back().get();
      unit->data = data;
      unit->parent = parent;
      unit->groups = groupsOf.value(data);
      unit->header = headerOf.value(data);
      unit->footer = footerOf.value(data);
      for (TfrxBand* band : {unit->data, unit->header, unit->footer})
        if (band) unitOf_.insert(band, unit);
      for (TfrxGroupHeader* group : unit->groups) {
        unitOf_.insert(group, unit);
        if (TfrxBand* footer = GroupFooter(group)) unitOf_.insert(footer, unit);
      }
      if (parent) parent->details.append(unit);
      return unit;
    };
    std::function<void(Unit*, int)> nest = [&](Unit* parent, int at) {
      const int level = kindOf(parent->data);
      while (at < list.size() && kindOf(list[at]) > level) {
        TfrxBand* child = list[at];
        if (kindOf(child) != level + 1 || !isDataKind(kindOf(child))) {
          ++at;
          continue;
        }
        list.removeAt(at);
        nest(make(child, parent), at);
      }
    };
    for (int i = 0; i < list.size();) {
      if (kindOf(list[i]) == kMasterData) {
        TfrxBand* master = list.takeAt(i);
        Unit* unit = make(master, nullptr);
        masters_.append(unit);
        nest(unit, i);
      } else {
        ++i;
      }
    }
  }

  const TfrxReportPage& page_;
  std::array<QList<TfrxBand*>, kKindCount> slots_;
  QList<TfrxBand*> area_;
  QHash<const TfrxBand*, TfrxBand*> chainParent_;
  std::vector<std::unique_ptr<Unit>> units_;  // in the order of their data bands
  QList<Unit*> masters_;
  QHash<const TfrxBand*, Unit*> unitOf_;
  QHash<const TfrxGroupHeader*, TfrxBand*> groupFooter_;
};

// A band of the class, outside any report, to ask its kind and name.
std::unique_ptr<TfrxBand> probeBand(const QString& className) {
  const QMetaObject* cls = report::findClass(className);
  if (cls == nullptr || !cls->inherits(&TfrxBand::staticMetaObject) ||
      cls == &report::TfrxNullBand::staticMetaObject)
    throw ReportError(QStringLiteral("Nieznany rodzaj wstęgi: %1").arg(className));
  std::unique_ptr<TfrxComponent> object(report::createObject(className, nullptr));
  auto* band = qobject_cast<TfrxBand*>(object.get());
  if (band == nullptr) throw ReportError(QStringLiteral("Nieznany rodzaj wstęgi: %1").arg(className));
  object.release();
  return std::unique_ptr<TfrxBand>(band);
}

QString pageKindTaken(int kind) {
  switch (kind) {
    case kReportTitle: return QStringLiteral("Strona ma już tytuł raportu.");
    case kReportSummary: return QStringLiteral("Strona ma już podsumowanie raportu.");
    case kPageHeader: return QStringLiteral("Strona ma już nagłówek strony.");
    case kPageFooter: return QStringLiteral("Strona ma już stopkę strony.");
    case kColumnHeader: return QStringLiteral("Strona ma już nagłówek kolumny.");
    case kColumnFooter: return QStringLiteral("Strona ma już stopkę kolumny.");
    default: return QStringLiteral("Strona ma już nakładkę.");
  }
}

QString detailNeedsParent(int kind) {
  switch (kind) {
    case 7: return QStringLiteral("Wstęga danych szczegółowych wymaga wstęgi danych głównych.");
    case 8: return QStringLiteral("Wstęga danych podszczegółowych wymaga wstęgi danych szczegółowych.");
    default:
      return QStringLiteral("Wstęga danych poziomu %1 wymaga wstęgi danych poziomu %2.")
          .arg(kind - kMasterData + 1)
          .arg(kind - kMasterData);
  }
}

bool hasOpenGroup(const Layout& layout, const Unit& unit) {
  return std::any_of(unit.groups.begin(), unit.groups.end(),
                     [&](const TfrxGroupHeader* group) { return layout.GroupFooter(group) == nullptr; });
}

// The last unit of `kind` under `unit`, in the order of the page.
Unit* lastBelow(const Unit& unit, int kind) {
  Unit* found = nullptr;
  for (Unit* detail : unit.details) {
    if (kindOf(detail->data) == kind) found = detail;
    if (Unit* deeper = lastBelow(*detail, kind)) found = deeper;
  }
  return found;
}

Placement plan(const TfrxReportPage& page, const Layout& layout, int kind, const TfrxBand* anchor) {
  Placement p;
  p.kind = kind;
  // A band of another page points at nothing here.
  if (anchor && anchor->Parent() != &page) anchor = nullptr;
  // Column headers and footers are allowed on a page of one column too:
  // the engine prints them at the top and bottom of every page then.
  if (isPageKind(kind)) {
    if (!layout.Slot(kind).isEmpty()) throw ReportError(pageKindTaken(kind));
    p.where = Placement::Slot;
    return p;
  }
  const auto& units = layout.Units();
  Unit* pointed = layout.UnitOf(anchor);
  p.where = Placement::Area;
  switch (kind) {
    case kMasterData:
      p.index = layout.AreaSize();
      return p;
    case kHeader:
    case kFooter: {
      const bool header = kind == kHeader;
      Unit* target = pointed;
      if (target && (header ? target->header : target->footer))
        throw ReportError((header ? QStringLiteral("Wstęga danych %1 ma już nagłówek.")
                                  : QStringLiteral("Wstęga danych %1 ma już stopkę."))
                              .arg(target->data->Name()));
      if (!target) {
        if (units.empty())
          throw ReportError(header ? QStringLiteral("Nagłówek wymaga wstęgi danych.")
                                   : QStringLiteral("Stopka wymaga wstęgi danych."));
        for (const auto& unit : units)
          if (!(header ? unit->header : unit->footer)) target = unit.get();
        if (!target)
          throw ReportError(header ? QStringLiteral("Każda wstęga danych ma już nagłówek.")
                                   : QStringLiteral("Każda wstęga danych ma już stopkę."));
      }
      p.index = layout.AreaIndex(target->data) + (header ? 0 : 1);
      return p;
    }
    case kGroupHeader: {
      // Groups are mostly of master rows: without a band pointed at, the last master.
      Unit* target = pointed ? pointed : (layout.Masters().isEmpty() ? nullptr : layout.Masters().last());
      if (!target) throw ReportError(QStringLiteral("Nagłówek grupy wymaga wstęgi danych."));
      // Innermost of the data band's groups: right above its header.
      p.index = layout.AreaIndex(target->header ? target->header : target->data);
      return p;
    }
    case kGroupFooter: {
      Unit* target = nullptr;
      if (pointed) {
        for (Unit* unit = pointed; unit && !target; unit = unit->parent)
          if (hasOpenGroup(layout, *unit)) target = unit;
        if (!target)
          throw ReportError(pointed->groups.isEmpty()
                                ? QStringLiteral("Wstęga danych %1 nie ma nagłówka grupy.").arg(pointed->data->Name())
                                : QStringLiteral("Każda grupa wstęgi danych %1 ma już stopkę.").arg(pointed->data->Name()));
      } else {
        for (const auto& unit : units)
          if (hasOpenGroup(layout, *unit)) target = unit.get();
        if (!target)
          throw ReportError(layout.HasGroupHeaders() ? QStringLiteral("Każda grupa ma już stopkę.")
                                                     : QStringLiteral("Stopka grupy wymaga nagłówka grupy."));
      }
      // Below everything of the data band and below the footers of its
      // inner groups: the engine pairs it with the innermost open group.
      p.index = layout.Span(*target).second + 1;
      return p;
    }
    case kChild: {
      if (anchor == nullptr) throw ReportError(QStringLiteral("Zaznacz wstęgę, do której ma należeć wstęga podrzędna."));
      if (anchor->metaObject()->indexOfProperty("Child") < 0)
        throw ReportError(QStringLiteral("Wstęga %1 nie może mieć wstęgi podrzędnej.").arg(anchor->Name()));
      if (anchor->Child())
        throw ReportError(QStringLiteral("Wstęga %1 ma już wstęgę podrzędną.").arg(anchor->Name()));
      p.where = Placement::Chain;
      p.parent = const_cast<TfrxBand*>(anchor);
      return p;
    }
    default: break;
  }
  // A detail level: under the data band one level up that the user points
  // at (or that holds the one pointed at), else under the last one.
  Unit* parent = nullptr;
  for (Unit* unit = pointed; unit && !parent; unit = unit->parent)
    if (kindOf(unit->data) == kind - 1) parent = unit;
  if (!parent && pointed && kindOf(pointed->data) < kind - 1) parent = lastBelow(*pointed, kind - 1);
  if (!parent)
    for (const auto& unit : units)
      if (kindOf(unit->data) == kind - 1) parent = unit.get();
  if (!parent) throw ReportError(detailNeedsParent(kind));
  // Below the parent's footer and its other details, above its group footers.
  int index = layout.AreaIndex(parent->data);
  if (parent->footer) index = std::max(index, layout.AreaIndex(parent->footer));
  for (const Unit* detail : parent->details) index = std::max(index, layout.Span(*detail).second);
  p.index = index + 1;
  return p;
}

// As the page lays its bands out: column bands one column wide, the rest
// the whole printable width.
double newBandWidth(const TfrxReportPage& page, const TfrxBand& band) {
  const bool spansAll = qobject_cast<const report::TfrxReportSummary*>(&band) ||
                        qobject_cast<const report::TfrxPageHeader*>(&band) ||
                        qobject_cast<const report::TfrxPageFooter*>(&band) ||
                        qobject_cast<const report::TfrxReportTitle*>(&band);
  if (page.Columns() >= 2 && !spansAll) return page.ColumnWidth() * report::fr01cm;
  return (page.PaperWidth() - page.LeftMargin() - page.RightMargin()) * report::fr01cm;
}

report::TfrxReport& reportOf(const TfrxComponent& object) {
  report::TfrxReport* report = object.Report();
  if (report == nullptr) throw ReportError(QStringLiteral("Strona nie należy do raportu."));
  return *report;
}

TfrxReportPage& pageOf(const TfrxBand& band) {
  auto* page = qobject_cast<TfrxReportPage*>(band.Parent());
  if (page == nullptr) throw ReportError(QStringLiteral("Wstęga %1 nie leży na stronie raportu.").arg(band.Name()));
  return *page;
}

void addStack(CommandGroup& group, report::TfrxReport& report, const QList<TfrxBand*>& order) {
  if (order.isEmpty()) return;
  const QList<QPair<QString, QRectF>> bounds = StackBands(order);
  QStringList names;
  for (const auto& b : bounds) names.append(b.first);
  group.Add(new report::edit::ChangeCommand(report, QString(), names, [&](TfrxComponent& object) {
    for (const auto& [name, r] : bounds) {
      if (name.compare(object.Name(), Qt::CaseInsensitive) != 0) continue;
      // The stack is the designer's layout, not a move of the user's: a
      // band locked against moving keeps its place in the order, so its
      // Top follows the bands above it (or the engine would read the
      // order otherwise).
      const bool designing = object.IsDesigning();
      object.SetDesigning(false);
      object.SetTop(r.top());
      object.SetDesigning(designing);
    }
  }));
}

}  // namespace

// --- Order ------------------------------------------------------------------------

QList<TfrxBand*> BandStackOrder(const TfrxReportPage& page) { return Layout(page).Order(); }

QList<QPair<QString, QRectF>> StackBands(const QList<TfrxBand*>& order) {
  QList<QPair<QString, QRectF>> bounds;
  double top = kBandGap;
  for (const TfrxBand* band : order) {
    bounds.append({band->Name(), QRectF(band->Left(), top, band->Width(), band->Height())});
    top += band->Height() + kBandGap;
  }
  return bounds;
}

QList<QPair<QString, QRectF>> StackBands(const TfrxReportPage& page) { return StackBands(BandStackOrder(page)); }

// --- Rules ------------------------------------------------------------------------

QString BandInsertRefusal(const TfrxReportPage& page, const QString& className, const TfrxBand* anchor) {
  try {
    const std::unique_ptr<TfrxBand> probe = probeBand(className);
    plan(page, Layout(page), kindOf(probe.get()), anchor);
  } catch (const ReportError& e) {
    return e.message();
  }
  return {};
}

double DefaultBandHeight(const QString& className) {
  const std::unique_ptr<TfrxComponent> probe(report::createObject(className, nullptr));
  const auto* band = qobject_cast<const TfrxBand*>(probe.get());
  if (band == nullptr) return 0.5 * report::fr1cm;
  const int kind = kindOf(band);
  // Titles, summaries, data rows and overlays usually hold more than one line.
  const bool tall = kind == kReportTitle || kind == kReportSummary || isDataKind(kind) || kind == kOverlay;
  return (tall ? 1.0 : 0.5) * report::fr1cm;
}

// --- Steps ------------------------------------------------------------------------

std::unique_ptr<QUndoCommand> MakeInsertBand(TfrxReportPage& page, const QString& className, const TfrxBand* anchor,
                                             QString* insertedName) {
  report::TfrxReport& report = reportOf(page);
  const std::unique_ptr<TfrxBand> probe = probeBand(className);
  const int kind = kindOf(probe.get());
  const Placement placement = plan(page, Layout(page), kind, anchor);
  const QRectF bounds(0, 0, newBandWidth(page, *probe), DefaultBandHeight(className));
  QString name;
  auto group = CommandGroup::Build(QString(), [&](CommandGroup& steps) {
    name = steps.Add(new report::edit::InsertCommand(report, probe->ClassName(), page.Name(), bounds)).InsertedName();
    auto* band = qobject_cast<TfrxBand*>(report.FindObject(name));
    if (band == nullptr) throw ReportError(QStringLiteral("Nie udało się wstawić wstęgi %1.").arg(name));
    if (isDataKind(kind) && report.DataSets() && report.DataSets()->Count() > 0) {
      const QString dataSet = report.DataSets()->Item(0)->DataSetName();
      if (!dataSet.isEmpty())
        steps.Add(new report::edit::SetPropertyCommand(report, {name}, QStringLiteral("DataSetName"), dataSet));
    }
    if (placement.where == Placement::Chain)
      steps.Add(new report::edit::SetPropertyCommand(report, {placement.parent->Name()}, QStringLiteral("Child"), name));
    Layout after(page, placement.where == Placement::Chain ? nullptr : band);
    after.Place(band, placement);
    addStack(steps, report, after.Order());
    if (kind == kGroupHeader) {
      // Inside a group that has a footer, the new group would take that
      // footer (the engine pairs a footer with the nearest open group
      // above it): it gets a footer of its own right above, and every
      // other group keeps its own.
      if (TfrxBand* taken = Layout(page).GroupFooter(static_cast<TfrxGroupHeader*>(band))) {
        // Group headers and footers share width and height.
        const QString footerName =
            steps.Add(new report::edit::InsertCommand(report, QStringLiteral("TfrxGroupFooter"), page.Name(), bounds))
                .InsertedName();
        auto* footer = qobject_cast<TfrxBand*>(report.FindObject(footerName));
        if (footer == nullptr) throw ReportError(QStringLiteral("Nie udało się wstawić wstęgi %1.").arg(footerName));
        Layout withFooter(page, footer);
        withFooter.Place(footer, {Placement::Area, kGroupFooter, withFooter.AreaIndex(taken), nullptr});
        addStack(steps, report, withFooter.Order());
      }
    }
  });
  group->setText(QStringLiteral("Wstawienie wstęgi %1").arg(name));
  if (insertedName) *insertedName = name;
  return group;
}

std::unique_ptr<QUndoCommand> MakeMoveBand(TfrxBand& band, BandDirection direction) {
  TfrxReportPage& page = pageOf(band);
  report::TfrxReport& report = reportOf(page);
  const bool up = direction == BandDirection::Up;
  Layout layout(page);
  TfrxBand* root = layout.ChainRoot(&band);
  if (isPageKind(kindOf(root)))
    throw ReportError(QStringLiteral("Miejsce wstęgi %1 wyznacza jej rodzaj.").arg(band.Name()));
  Unit* unit = layout.UnitOf(root);
  if (unit == nullptr) throw ReportError(QStringLiteral("Wstęgi %1 nie można przesunąć.").arg(band.Name()));
  QList<TfrxBand*>& area = layout.Area();

  // A group among the groups of its data band: the group headers change
  // places, and their footers too, so that each keeps its footer.
  if (kindOf(root) == kGroupHeader) {
    const int at = int(unit->groups.indexOf(static_cast<TfrxGroupHeader*>(root)));
    const int other = up ? at - 1 : at + 1;
    if (other >= 0 && other < unit->groups.size()) {
      TfrxGroupHeader* a = unit->groups[at];
      TfrxGroupHeader* b = unit->groups[other];
      TfrxBand* footerA = layout.GroupFooter(a);
      TfrxBand* footerB = layout.GroupFooter(b);
      if ((footerA == nullptr) != (footerB == nullptr))
        throw ReportError(QStringLiteral("Grupa ze stopką nie może zamienić się miejscem z grupą bez stopki."));
      area.swapItemsAt(area.indexOf(a), area.indexOf(b));
      if (footerA) area.swapItemsAt(area.indexOf(footerA), area.indexOf(footerB));
      auto group = CommandGroup::Build(QString(), [&](CommandGroup& steps) { addStack(steps, report, layout.Order()); });
      group->setText((up ? QStringLiteral("Przesunięcie wstęgi %1 w górę") : QStringLiteral("Przesunięcie wstęgi %1 w dół"))
                         .arg(band.Name()));
      return group;
    }
  }

  const QList<Unit*>& siblings = unit->parent ? unit->parent->details : layout.Masters();
  const int at = int(siblings.indexOf(unit));
  const int other = up ? at - 1 : at + 1;
  if (other < 0 || other >= siblings.size())
    throw ReportError((up ? QStringLiteral("Wstęga %1 stoi już najwyżej.") : QStringLiteral("Wstęga %1 stoi już najniżej."))
                          .arg(band.Name()));
  const QPair<int, int> upper = layout.Span(*siblings[std::min(at, other)]);
  const QPair<int, int> lower = layout.Span(*siblings[std::max(at, other)]);
  if (upper.second >= lower.first)
    throw ReportError(QStringLiteral("Wstęg %1 nie można przestawić: ich układ jest niejasny.").arg(band.Name()));
  QList<TfrxBand*> reordered = area.mid(0, upper.first);
  reordered += area.mid(lower.first, lower.second - lower.first + 1);
  reordered += area.mid(upper.second + 1, lower.first - upper.second - 1);
  reordered += area.mid(upper.first, upper.second - upper.first + 1);
  reordered += area.mid(lower.second + 1);
  area = reordered;
  auto group = CommandGroup::Build(QString(), [&](CommandGroup& steps) { addStack(steps, report, layout.Order()); });
  group->setText((up ? QStringLiteral("Przesunięcie wstęgi %1 w górę") : QStringLiteral("Przesunięcie wstęgi %1 w dół"))
                     .arg(band.Name()));
  return group;
}

std::unique_ptr<QUndoCommand> MakeDeleteBand(TfrxBand& band) {
  TfrxReportPage& page = pageOf(band);
  report::TfrxReport& report = reportOf(page);
  if (band.Restrictions().testFlag(report::rfDontDelete))
    throw ReportError(QStringLiteral("Obiektu %1 nie można usunąć (jest chroniony przed usunięciem).").arg(band.Name()));
  const QString name = band.Name();
  QStringList holders;
  for (TfrxComponent* object : page.Objects())
    if (auto* other = qobject_cast<TfrxBand*>(object); other && other->Child() == &band) holders.append(other->Name());
  auto group = CommandGroup::Build(QStringLiteral("Usunięcie wstęgi %1").arg(name), [&](CommandGroup& steps) {
    // Said in the document, so that undoing gives the reference back.
    if (!holders.isEmpty())
      steps.Add(new report::edit::SetPropertyCommand(report, holders, QStringLiteral("Child"), QString()));
    steps.Add(new report::edit::DeleteCommand(report, {name}));
    addStack(steps, report, BandStackOrder(page));
  });
  return group;
}

std::unique_ptr<QUndoCommand> MakeRestackBands(TfrxReportPage& page) {
  report::TfrxReport& report = reportOf(page);
  const QList<TfrxBand*> order = BandStackOrder(page);
  const auto bounds = StackBands(order);
  bool moved = false;
  for (int i = 0; i < order.size() && !moved; ++i)
    moved = report::coordinatesDiffer(order[i]->Top(), bounds[i].second.top());
  if (!moved) return nullptr;
  return CommandGroup::Build(QStringLiteral("Uporządkowanie wstęg"),
                             [&](CommandGroup& steps) { addStack(steps, report, order); });
}

// --- Through the document -------------------------------------------------------

TfrxBand* SelectedBand(const DesignerDocument& document) {
  if (document.Selection().isEmpty()) return nullptr;
  for (TfrxComponent* object = document.Selection().first(); object; object = object->Parent())
    if (auto* band = qobject_cast<TfrxBand*>(object)) return band;
  return nullptr;
}

QString InsertBand(DesignerDocument& document, const QString& className) {
  auto* page = qobject_cast<TfrxReportPage*>(document.CurrentPage());
  if (page == nullptr) return QStringLiteral("Wstęgi wstawia się na stronę raportu.");
  QString name;
  try {
    document.Push(MakeInsertBand(*page, className, SelectedBand(document), &name).release());
  } catch (const ReportError& e) {
    return e.message();
  }
  if (TfrxComponent* band = document.Report().FindObject(name)) document.Select(band);
  return {};
}

QString MoveBand(DesignerDocument& document, TfrxBand& band, BandDirection direction) {
  try {
    document.Push(MakeMoveBand(band, direction).release());
  } catch (const ReportError& e) {
    return e.message();
  }
  return {};
}

QString DeleteBand(DesignerDocument& document, TfrxBand& band) {
  // Refused as any deletion in the designer is.
  if (const QString refusal = DeletionRefusal(document, {&band}); !refusal.isEmpty()) return refusal;
  try {
    document.Push(MakeDeleteBand(band).release());
  } catch (const ReportError& e) {
    return e.message();
  }
  return {};
}

}  // namespace valmoro::designer
