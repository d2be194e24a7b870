#include "designer/object_catalogue.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

#include "designer/band_rules.h"
#include "designer/command_group.h"
#include "designer/designer_document.h"
#include "designer/drag.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/edit/commands.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"
#include "report/model/view.h"

namespace valmoro::designer {

using report::ReportError;

namespace {

CatalogueEntry view(const QString& className, const QString& kind, int flag, const QString& caption,
                    const QString& hint, QSizeF size, CatalogueEntry::Extent extent = CatalogueEntry::Extent::Free) {
  CatalogueEntry e;
  e.group = CatalogueEntry::Group::View;
  e.id = kind.isEmpty() ? className : className + QLatin1Char('/') + kind;
  e.className = className;
  e.flag = flag;
  e.caption = caption;
  e.hint = hint;
  e.extent = extent;
  e.defaultSize = size;
  return e;
}

// The entries of the view classes this program knows; a class registered
// by another part gets one plain entry.
QList<CatalogueEntry> knownViewEntries(const QString& className) {
  using E = CatalogueEntry::Extent;
  // A click makes what the workspace's insert tool makes; lines that are
  // not horizontal get a square to run across.
  const QSizeF size = DefaultInsertSize(className);
  const QSizeF box(size.width(), size.width());
  if (className == u"TfrxMemoView")
    return {view(className, {}, 0, QStringLiteral("Tekst"),
                 QStringLiteral("Tekst: napis, pole danych lub wyrażenie w nawiasach kwadratowych"), size)};
  if (className == u"TfrxSysMemoView")
    return {view(className, {}, 0, QStringLiteral("Tekst systemowy"),
                 QStringLiteral("Tekst systemowy: data, numer strony, liczba stron, suma lub średnia"), size)};
  if (className == u"TfrxPictureView")
    return {view(className, {}, 0, QStringLiteral("Obraz"), QStringLiteral("Obraz z pliku lub z pola danych"), size)};
  if (className == u"TfrxLineView")
    return {
        view(className, QStringLiteral("horizontal"), 0, QStringLiteral("Linia pozioma"),
             QStringLiteral("Linia pozioma"), size, E::Horizontal),
        view(className, QStringLiteral("vertical"), 0, QStringLiteral("Linia pionowa"), QStringLiteral("Linia pionowa"),
             size.transposed(), E::Vertical),
        view(className, QStringLiteral("diagonal"), 1, QStringLiteral("Linia ukośna"),
             QStringLiteral("Linia ukośna od narożnika do narożnika"), box),
        view(className, QStringLiteral("arrow-end"), 2, QStringLiteral("Strzałka"),
             QStringLiteral("Linia ze strzałką na końcu"), box),
        view(className, QStringLiteral("arrow-start"), 3, QStringLiteral("Strzałka wstecz"),
             QStringLiteral("Linia ze strzałką na początku"), box),
        view(className, QStringLiteral("arrows"), 4, QStringLiteral("Strzałka podwójna"),
             QStringLiteral("Linia ze strzałkami na obu końcach"), box),
    };
  if (className == u"TfrxShapeView")
    return {
        view(className, QStringLiteral("rectangle"), report::skRectangle, QStringLiteral("Prostokąt"),
             QStringLiteral("Prostokąt"), box),
        view(className, QStringLiteral("round-rectangle"), report::skRoundRectangle,
             QStringLiteral("Zaokrąglony prostokąt"), QStringLiteral("Prostokąt o zaokrąglonych narożnikach"), box),
        view(className, QStringLiteral("ellipse"), report::skEllipse, QStringLiteral("Elipsa"),
             QStringLiteral("Elipsa lub koło"), box),
        view(className, QStringLiteral("triangle"), report::skTriangle, QStringLiteral("Trójkąt"),
             QStringLiteral("Trójkąt"), box),
        view(className, QStringLiteral("diamond"), report::skDiamond, QStringLiteral("Romb"), QStringLiteral("Romb"),
             box),
        view(className, QStringLiteral("diagonal-up"), report::skDiagonal1, QStringLiteral("Przekątna wznosząca"),
             QStringLiteral("Przekątna od lewego dolnego do prawego górnego narożnika"), box),
        view(className, QStringLiteral("diagonal-down"), report::skDiagonal2, QStringLiteral("Przekątna opadająca"),
             QStringLiteral("Przekątna od lewego górnego do prawego dolnego narożnika"), box),
    };
  if (className == u"TfrxSubreport")
    return {view(className, {}, 0, QStringLiteral("Podraport"),
                 QStringLiteral("Podraport: wstawia w to miejsce raport z osobnej strony"), size)};
  return {};
}

QString bandCaption(int kind) {
  switch (kind) {
    case 0: return QStringLiteral("Tytuł raportu");
    case 1: return QStringLiteral("Podsumowanie raportu");
    case 2: return QStringLiteral("Nagłówek strony");
    case 3: return QStringLiteral("Stopka strony");
    case 4: return QStringLiteral("Nagłówek");
    case 5: return QStringLiteral("Stopka");
    case 6: return QStringLiteral("Dane główne");
    case 7: return QStringLiteral("Dane szczegółowe");
    case 8: return QStringLiteral("Dane podszczegółowe");
    case 9:
    case 10:
    case 11: return QStringLiteral("Dane poziomu %1").arg(kind - 5);
    case 12: return QStringLiteral("Nagłówek grupy");
    case 13: return QStringLiteral("Stopka grupy");
    case 14: return QStringLiteral("Wstęga podrzędna");
    case 15: return QStringLiteral("Nagłówek kolumny");
    case 16: return QStringLiteral("Stopka kolumny");
    case 17: return QStringLiteral("Nakładka");
    default: return QStringLiteral("Wstęga");
  }
}

QString bandHint(int kind) {
  switch (kind) {
    case 0: return QStringLiteral("Drukowany raz, na początku raportu");
    case 1: return QStringLiteral("Drukowane raz, na końcu raportu");
    case 2: return QStringLiteral("Drukowany u góry każdej strony");
    case 3: return QStringLiteral("Drukowana u dołu każdej strony");
    case 4: return QStringLiteral("Drukowany nad wierszami wstęgi danych");
    case 5: return QStringLiteral("Drukowana pod wierszami wstęgi danych");
    case 6: return QStringLiteral("Drukowane raz dla każdego wiersza zbioru danych");
    case 12: return QStringLiteral("Drukowany na początku każdej grupy wierszy");
    case 13: return QStringLiteral("Drukowana na końcu każdej grupy wierszy");
    case 14: return QStringLiteral("Drukowana zaraz po wstędze, do której należy");
    case 15: return QStringLiteral("Drukowany u góry każdej kolumny");
    case 16: return QStringLiteral("Drukowana u dołu każdej kolumny");
    case 17: return QStringLiteral("Drukowana pod lub nad całą stroną");
    default:
      if (kind >= 7 && kind <= 11)
        return QStringLiteral("Drukowane dla każdego wiersza, pod wierszem wstęgi danych poziomu wyżej");
      return QStringLiteral("Wstęga");
  }
}

QList<CatalogueEntry> buildCatalogue() {
  QList<CatalogueEntry> views;
  QList<QPair<int, CatalogueEntry>> bands;
  for (const QString& name : report::registeredClassNames()) {
    const QMetaObject* cls = report::findClass(name);
    if (cls == nullptr) continue;
    if (cls->inherits(&report::TfrxView::staticMetaObject)) {
      QList<CatalogueEntry> entries = knownViewEntries(name);
      if (entries.isEmpty()) {
        const std::unique_ptr<report::TfrxComponent> probe(report::createObject(name, nullptr));
        if (!probe) continue;
        // Its own caption if it has one, else its name without the class decoration.
        const QString own = probe->KindCaption();
        const bool generic = own == name || own == report::resources::text(u"obView");
        const QString caption = generic ? probe->NamePrefix() : own;
        entries.append(view(name, {}, 0, caption, caption, DefaultInsertSize(name)));
      }
      views += entries;
    } else if (cls->inherits(&report::TfrxBand::staticMetaObject) && cls != &report::TfrxNullBand::staticMetaObject) {
      const std::unique_ptr<report::TfrxComponent> probe(report::createObject(name, nullptr));
      const auto* band = qobject_cast<const report::TfrxBand*>(probe.get());
      if (band == nullptr) continue;
      CatalogueEntry e;
      e.group = CatalogueEntry::Group::Band;
      e.id = e.className = name;
      e.caption = bandCaption(band->BandKindIndex());
      e.hint = bandHint(band->BandKindIndex());
      bands.append({band->BandKindIndex(), e});
    }
  }
  std::stable_sort(bands.begin(), bands.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [kind, e] : bands) views.append(e);
  return views;
}

// --- Icons ----------------------------------------------------------------------

const QColor kInk(40, 48, 64);
const QColor kPaper(255, 255, 255);
const QColor kPaleBlue(214, 228, 247);

void arrowHead(QPainter& p, QPointF tip, QPointF from, double length) {
  const QLineF line(tip, from);
  QLineF side(tip, from);
  side.setLength(length);
  QPolygonF head;
  head << tip;
  for (double angle : {25.0, -25.0}) {
    QLineF wing = QLineF::fromPolar(length, line.angle() + angle);
    wing.translate(tip);
    head << wing.p2();
  }
  p.setBrush(kInk);
  p.drawPolygon(head);
}

void drawBandIcon(QPainter& p, int kind, double u) {
  // A page with the band's strip where the band prints.
  p.setPen(QPen(kInk, u));
  p.setBrush(kPaper);
  const QRectF page(2.5 * u, 0.5 * u, 11 * u, 15 * u);
  p.drawRect(page);
  QColor colour(70, 130, 200);  // page bands
  if (kind >= 6 && kind <= 11) colour = QColor(60, 160, 80);
  else if (kind == 4 || kind == 5) colour = QColor(230, 140, 40);
  else if (kind == 12 || kind == 13) colour = QColor(150, 90, 190);
  else if (kind == 14) colour = QColor(140, 140, 140);
  double top = 6 * u;
  if (kind == 0 || kind == 2 || kind == 15 || kind == 4 || kind == 12) top = (kind == 2 ? 1.5 : kind == 0 ? 3.5 : 5) * u;
  if (kind == 1 || kind == 3 || kind == 16 || kind == 5 || kind == 13) top = (kind == 3 ? 12 : kind == 1 ? 10 : 9) * u;
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  if (kind == 17) {
    p.setBrush(QBrush(colour, Qt::BDiagPattern));
    p.drawRect(page.adjusted(u, u, -u, -u));
    return;
  }
  const double indent = kind == 14 ? 2 * u : 0;
  const double height = kind == 0 || kind == 1 ? 4 * u : 2.5 * u;
  if (kind == 15 || kind == 16) {
    // One strip per column.
    const double width = (page.width() - 3 * u) / 2;
    p.drawRect(QRectF(page.left() + u, top, width, height));
    p.drawRect(QRectF(page.left() + 2 * u + width, top, width, height));
    return;
  }
  p.drawRect(QRectF(page.left() + u + indent, top, page.width() - 2 * u - indent, height));
  if (kind >= 6 && kind <= 11) {
    // Rows, and one more step in for every detail level.
    p.setPen(QPen(colour, u * 0.8));
    const double step = (kind - 6) * u;
    for (int row = 1; row <= 2; ++row)
      p.drawLine(QPointF(page.left() + u + step, top + 2.5 * u + row * 1.8 * u),
                 QPointF(page.right() - u, top + 2.5 * u + row * 1.8 * u));
  }
}

void drawViewIcon(QPainter& p, const CatalogueEntry& e, double u) {
  p.setPen(QPen(kInk, u));
  p.setBrush(Qt::NoBrush);
  const QRectF box(1.5 * u, 1.5 * u, 13 * u, 13 * u);
  if (e.className == u"TfrxMemoView" || e.className == u"TfrxSysMemoView") {
    p.setBrush(kPaper);
    p.drawRect(box);
    p.setPen(QPen(kInk, 1.2 * u));
    for (int line = 0; line < 3; ++line) {
      const double y = box.top() + (3.5 + 3 * line) * u;
      p.drawLine(QPointF(box.left() + 2.5 * u, y), QPointF(box.right() - (line == 2 ? 5 : 2.5) * u, y));
    }
    if (e.className == u"TfrxSysMemoView") {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(70, 130, 200));
      p.drawEllipse(QRectF(box.right() - 5 * u, box.bottom() - 5 * u, 5 * u, 5 * u));
    }
  } else if (e.className == u"TfrxPictureView") {
    p.setBrush(kPaleBlue);
    p.drawRect(box);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 190, 40));
    p.drawEllipse(QRectF(box.left() + 2 * u, box.top() + 2 * u, 3.5 * u, 3.5 * u));
    p.setBrush(QColor(60, 150, 70));
    p.drawPolygon(QPolygonF({QPointF(box.left() + 0.5 * u, box.bottom() - 0.5 * u), QPointF(box.left() + 5 * u, box.top() + 6 * u),
                             QPointF(box.left() + 8 * u, box.top() + 9 * u), QPointF(box.left() + 10 * u, box.top() + 7 * u),
                             QPointF(box.right() - 0.5 * u, box.bottom() - 0.5 * u)}));
  } else if (e.className == u"TfrxLineView") {
    p.setPen(QPen(kInk, 1.5 * u));
    if (e.extent == CatalogueEntry::Extent::Horizontal) {
      p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    } else if (e.extent == CatalogueEntry::Extent::Vertical) {
      p.drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
    } else {
      const QPointF start = box.bottomLeft(), end = box.topRight();
      p.drawLine(start, end);
      p.setPen(QPen(kInk, 0.5 * u));
      if (e.flag == 2 || e.flag == 4) arrowHead(p, end, start, 5 * u);
      if (e.flag == 3 || e.flag == 4) arrowHead(p, start, end, 5 * u);
    }
  } else if (e.className == u"TfrxShapeView") {
    p.setPen(QPen(kInk, 1.2 * u));
    p.setBrush(kPaleBlue);
    const QRectF r = box.adjusted(0, 2 * u, 0, -2 * u);
    switch (e.flag) {
      case report::skRectangle: p.drawRect(r); break;
      case report::skRoundRectangle: p.drawRoundedRect(r, 3 * u, 3 * u); break;
      case report::skEllipse: p.drawEllipse(r); break;
      case report::skTriangle: p.drawPolygon(QPolygonF({QPointF(box.center().x(), box.top()), box.bottomRight(), box.bottomLeft()})); break;
      case report::skDiamond:
        p.drawPolygon(QPolygonF({QPointF(box.center().x(), box.top()), QPointF(box.right(), box.center().y()),
                                 QPointF(box.center().x(), box.bottom()), QPointF(box.left(), box.center().y())}));
        break;
      default: {
        // A diagonal of the shape's box, the box shown faintly.
        p.setPen(QPen(kPaleBlue.darker(120), 0.8 * u, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        p.setPen(QPen(kInk, 1.2 * u));
        if (e.flag == report::skDiagonal1) p.drawLine(box.bottomLeft(), box.topRight());
        else p.drawLine(box.topLeft(), box.bottomRight());
        break;
      }
    }
  } else if (e.className == u"TfrxSubreport") {
    p.setBrush(kPaleBlue);
    p.drawRect(QRectF(box.left() + 4 * u, box.top(), 9 * u, 10 * u));
    p.setBrush(kPaper);
    p.drawRect(QRectF(box.left(), box.top() + 3 * u, 9 * u, 10 * u));
    p.drawLine(QPointF(box.left() + 2 * u, box.top() + 7 * u), QPointF(box.left() + 7 * u, box.top() + 7 * u));
  } else {
    // A view of another part: a box with a mark in it.
    p.setBrush(kPaper);
    p.drawRect(box);
    p.setBrush(kInk);
    p.drawEllipse(box.center(), 2 * u, 2 * u);
  }
}

}  // namespace

const QList<CatalogueEntry>& ObjectCatalogue() {
  // The registry gains classes only while the program starts, before any
  // designer window opens.
  static const QList<CatalogueEntry> catalogue = buildCatalogue();
  return catalogue;
}

const CatalogueEntry* FindCatalogueEntry(const QString& id) {
  for (const CatalogueEntry& entry : ObjectCatalogue())
    if (entry.id == id) return &entry;
  return nullptr;
}

QString CatalogueCaption(const QString& className) {
  for (const CatalogueEntry& entry : ObjectCatalogue())
    if (entry.className.compare(className, Qt::CaseInsensitive) == 0) return entry.caption;
  return {};
}

QPixmap CataloguePixmap(const CatalogueEntry& entry, int size) {
  static QHash<QString, QPixmap> cache;
  const QString key = entry.id + QLatin1Char('@') + QString::number(size);
  if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 16.0;
    if (entry.group == CatalogueEntry::Group::Band) {
      const std::unique_ptr<report::TfrxComponent> probe(report::createObject(entry.className, nullptr));
      const auto* band = qobject_cast<const report::TfrxBand*>(probe.get());
      drawBandIcon(painter, band ? band->BandKindIndex() : 6, unit);
    } else {
      drawViewIcon(painter, entry, unit);
    }
  }
  const QPixmap pixmap = QPixmap::fromImage(image);
  cache.insert(key, pixmap);
  return pixmap;
}

QIcon CatalogueIcon(const CatalogueEntry& entry) {
  QIcon icon;
  for (int size : {16, 24}) icon.addPixmap(CataloguePixmap(entry, size));
  return icon;
}

QRectF EntryBounds(const CatalogueEntry& entry, const QRectF& drawn) {
  QRectF r = drawn.normalized();
  if (r.width() <= 0 && r.height() <= 0) r.setSize(entry.defaultSize);
  if (entry.extent == CatalogueEntry::Extent::Horizontal) r.setHeight(0);
  if (entry.extent == CatalogueEntry::Extent::Vertical) r.setWidth(0);
  return r;
}

std::unique_ptr<QUndoCommand> MakeInsertObject(report::TfrxReport& report, const CatalogueEntry& entry,
                                               const QString& parentName, const QRectF& drawn, QString* insertedName,
                                               const std::function<void(report::TfrxComponent&)>& initialise) {
  if (entry.group != CatalogueEntry::Group::View)
    throw ReportError(QStringLiteral("%1 to wstęga: wstawia się ją na stronę.").arg(entry.caption));
  const QRectF bounds = EntryBounds(entry, drawn);
  QString name;
  auto group = CommandGroup::Build(QString(), [&](CommandGroup& steps) {
    name = steps.Add(new report::edit::InsertCommand(report, entry.className, parentName, bounds, entry.flag))
               .InsertedName();
    if (initialise) steps.Add(new report::edit::ChangeCommand(report, QString(), {name}, initialise));
    if (entry.className == u"TfrxSubreport") {
      // The page the subreport runs, laid out as any new page.
      const QString page =
          steps.Add(new report::edit::InsertCommand(report, QStringLiteral("TfrxReportPage"), report.Name(), QRectF()))
              .InsertedName();
      steps.Add(new report::edit::ChangeCommand(report, QString(), {page}, [](report::TfrxComponent& object) {
        static_cast<report::TfrxReportPage&>(object).ApplyPrinterDefaults();
      }));
      steps.Add(new report::edit::SetPropertyCommand(report, {name}, QStringLiteral("Page"), page));
    }
  });
  group->setText(QStringLiteral("Wstawienie %1").arg(name));
  if (insertedName) *insertedName = name;
  return group;
}

QString InsertObject(DesignerDocument& document, const CatalogueEntry& entry, const QString& parentName,
                     const QRectF& drawn) {
  if (entry.group == CatalogueEntry::Group::Band) return InsertBand(document, entry.className);
  QString name;
  try {
    // Made as the workspace's insert tool makes it: the designer's font for text.
    const auto initialise = [&](report::TfrxComponent& object) { applyNewObjectDefaults(document, object, entry.flag); };
    document.Push(MakeInsertObject(document.Report(), entry, parentName, drawn, &name, initialise).release());
  } catch (const ReportError& e) {
    return e.message();
  }
  if (report::TfrxComponent* object = document.Report().FindObject(name)) document.Select(object);
  return {};
}

}  // namespace valmoro::designer
