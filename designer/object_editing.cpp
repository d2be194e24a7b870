#include "designer/object_editing.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "designer/band_rules.h"
#include "designer/designer_document.h"
#include "platform/dialogs.h"
#include "report/model/edit/commands.h"
#include "report/model/edit/snapshot.h"
#include "report/model/band.h"
#include "report/model/page.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/report.h"

namespace valmoro::designer {

using report::TfrxComponent;

namespace {

QRegularExpression wordPattern(const QString& name) {
  return QRegularExpression(QStringLiteral("(?<![\\w])%1(?![\\w])").arg(QRegularExpression::escape(name)),
                            QRegularExpression::CaseInsensitiveOption |
                                QRegularExpression::UseUnicodePropertiesOption);
}

// The names of the attributes of a snapshot text (Name="x" Text="y") in
// which the pattern occurs, the object's own Name left out.
QStringList attributesNaming(const QString& attributes, const QRegularExpression& pattern) {
  static const QRegularExpression attribute(QStringLiteral("([\\w.]+)=\"([^\"]*)\""));
  QStringList found;
  for (auto it = attribute.globalMatch(attributes); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    if (m.captured(1) == QLatin1String("Name")) continue;
    if (m.captured(2).contains(pattern)) found.append(m.captured(1));
  }
  return found;
}

}  // namespace

QString DeletionRefusal(const DesignerDocument& document, const QList<TfrxComponent*>& objects) {
  int pagesLeft = document.Pages().size();
  for (const TfrxComponent* object : objects) {
    if (object->Restrictions().testFlag(report::rfDontDelete))
      return QStringLiteral("Obiektu %1 nie można usunąć (jest chroniony przed usunięciem).").arg(object->Name());
    if (document.Pages().contains(qobject_cast<report::TfrxPage*>(const_cast<TfrxComponent*>(object))) &&
        --pagesLeft == 0)
      return QStringLiteral("Raport musi mieć co najmniej jedną stronę.");
    if (object == &document.Report()) return QStringLiteral("Raportu nie można usunąć.");
  }
  return QString();
}

QStringList ReferencesTo(const report::TfrxReport& report, const QStringList& names) {
  // What goes: the named objects and everything inside them.
  QSet<const TfrxComponent*> going;
  QStringList goingNames;
  for (const QString& name : names) {
    const TfrxComponent* object = report.FindObject(name);
    if (object == nullptr) continue;
    going.insert(object);
    goingNames.append(object->Name());
    for (const TfrxComponent* inner : object->AllObjects()) {
      going.insert(inner);
      goingNames.append(inner->Name());
    }
  }
  QStringList places;
  for (const QString& name : goingNames) {
    if (name.isEmpty()) continue;
    const QRegularExpression pattern = wordPattern(name);
    const QStringList script = report.ScriptText();
    for (int line = 0; line < script.size(); ++line)
      if (script[line].contains(pattern))
        places.append(QStringLiteral("skrypt raportu, wiersz %1 (%2)").arg(line + 1).arg(name));
    for (const TfrxComponent* object : report.AllObjects()) {
      if (going.contains(object)) continue;
      for (const QString& property : attributesNaming(report::edit::attributesOf(*object), pattern))
        places.append(QStringLiteral("%1.%2 (%3)").arg(object->Name(), property, name));
    }
  }
  places.removeDuplicates();
  return places;
}

QString DeleteObjects(DesignerDocument& document, const QStringList& names) {
  QList<TfrxComponent*> objects;
  for (const QString& name : names)
    if (TfrxComponent* object = document.Report().FindObject(name)) objects.append(object);
  if (objects.isEmpty()) return QStringLiteral("Nic nie jest zaznaczone.");
  const QString refusal = DeletionRefusal(document, objects);
  if (!refusal.isEmpty()) return refusal;
  const QStringList places = ReferencesTo(document.Report(), names);
  if (!places.isEmpty()) {
    QStringList shown = places.mid(0, 10);
    if (places.size() > 10) shown.append(QStringLiteral("… i %1 innych miejsc").arg(places.size() - 10));
    const QString question =
        QStringLiteral("Usuwane obiekty są jeszcze używane:\r%1\rPo usunięciu te miejsca nie znajdą ich nazw. Usunąć mimo to?")
            .arg(shown.join(QLatin1Char('\r')));
    if (!dialogs::confirm(question)) return QString();
  }
  // A band goes with its gap: the bands below move up (and a band it was
  // the child of lets go of it).
  if (objects.size() == 1)
    if (auto* band = qobject_cast<report::TfrxBand*>(objects.first());
        band && qobject_cast<report::TfrxReportPage*>(band->Parent())) {
      try {
        document.Push(MakeDeleteBand(*band).release());
      } catch (const report::ReportError& e) {
        return e.message();
      }
      return QString();
    }
  return document.Run([&] { return new report::edit::DeleteCommand(document.Report(), names); });
}

bool IsIdentifier(const QString& text) {
  const auto letter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; };
  if (text.isEmpty() || !letter(text[0])) return false;
  return std::all_of(text.begin(), text.end(), [&](QChar c) { return letter(c) || (c >= u'0' && c <= u'9'); });
}

QString NameRefusal(const report::TfrxComponent& object, const QString& name) {
  if (name == object.Name()) return {};
  if (name.isEmpty()) return QStringLiteral("Nazwa obiektu nie może być pusta.");
  if (!IsIdentifier(name))
    return QStringLiteral("„%1” nie jest poprawną nazwą: dozwolone są litery łacińskie, cyfry i znak _, "
                          "a na początku litera lub _.")
        .arg(name);
  if (name.compare(object.Name(), Qt::CaseInsensitive) == 0)
    return QStringLiteral("Nazwy różniące się tylko wielkością liter są tą samą nazwą: %1 zostaje.").arg(object.Name());
  if (object.IsAncestor())
    return QStringLiteral("Obiektu %1 z raportu bazowego nie można przemianować.").arg(object.Name());
  if (const report::TfrxReport* report = object.Report())
    if (const report::TfrxComponent* other = report->FindObject(name); other && other != &object)
      return QStringLiteral("Nazwa %1 jest już użyta w raporcie.").arg(name);
  return {};
}

}  // namespace valmoro::designer
