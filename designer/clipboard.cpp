#include "designer/clipboard.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>

#include "designer/band_rules.h"
#include "designer/command_group.h"
#include "designer/designer_document.h"
#include "designer/object_editing.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/edit/commands.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_page.h"
#include "report/model/report_error.h"
#include "report/model/report_xml.h"

namespace valmoro::designer {

using report::TfrxBand;
using report::TfrxComponent;
using report::TfrxPage;

namespace {

enum class Kind { View, Band, Page };

Kind kindOf(const QMetaObject* cls) {
  if (cls != nullptr && cls->inherits(&TfrxPage::staticMetaObject)) return Kind::Page;
  if (cls != nullptr && cls->inherits(&TfrxBand::staticMetaObject)) return Kind::Band;
  return Kind::View;
}

// The kind of the first object of clipboard text (the rest go with it);
// the class names of the top-level elements.
std::optional<Kind> kindOfText(const QString& xml, QStringList& names) {
  report::TfrxXMLDocument document;
  QByteArray bytes = xml.toUtf8();
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  try {
    document.LoadFromStream(buffer);
  } catch (const report::ReportError&) {
    return std::nullopt;
  }
  const report::TfrxXMLItem* root = document.Root();
  if (root == nullptr || root->Name != QLatin1String("Clipboard") || root->Count() == 0) return std::nullopt;
  for (int i = 0; i < root->Count(); ++i) names.append(root->Items(i)->Prop(QStringLiteral("Name")));
  return kindOf(report::findClass(root->Items(0)->Name));
}

// Where pasted views go: the selected view's band, the selected band, the
// page's first band, or the page itself when it has no band.
TfrxComponent* viewTarget(const DesignerDocument& document) {
  for (TfrxComponent* object : document.Selection()) {
    if (qobject_cast<TfrxBand*>(object)) return object;
    for (TfrxComponent* up = object->Parent(); up != nullptr; up = up->Parent())
      if (qobject_cast<TfrxBand*>(up) || qobject_cast<TfrxPage*>(up)) return up;
  }
  TfrxPage* page = document.CurrentPage();
  if (page == nullptr) return nullptr;
  for (TfrxComponent* child : page->Objects())
    if (qobject_cast<TfrxBand*>(child)) return child;
  return page;
}

}  // namespace

QMimeData* CopySelection(const DesignerDocument& document) {
  const QStringList names = document.SelectedNames();
  if (names.isEmpty()) return nullptr;
  const QString xml = report::edit::CopyAsXml(document.Report(), names);
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kObjectsMimeType), xml.toUtf8());
  data->setText(xml);
  return data;
}

bool Copy(const DesignerDocument& document) {
  QMimeData* data = CopySelection(document);
  if (data == nullptr) return false;
  QApplication::clipboard()->setMimeData(data);
  return true;
}

QString Cut(DesignerDocument& document) {
  if (document.Selection().isEmpty()) return QStringLiteral("Nic nie jest zaznaczone.");
  // Nothing goes to the clipboard unless the deletion may happen.
  const QString refusal = DeletionRefusal(document, document.Selection());
  if (!refusal.isEmpty()) return refusal;
  Copy(document);
  return DeleteObjects(document, document.SelectedNames());
}

bool CanPaste() {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (data == nullptr) return false;
  if (data->hasFormat(QString::fromLatin1(kObjectsMimeType))) return true;
  return data->hasText() && data->text().contains(QLatin1String("<Clipboard"));
}

QString Paste(DesignerDocument& document) {
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (data == nullptr) return QStringLiteral("Schowek jest pusty.");
  QString xml;
  if (data->hasFormat(QString::fromLatin1(kObjectsMimeType)))
    xml = QString::fromUtf8(data->data(QString::fromLatin1(kObjectsMimeType)));
  else if (data->hasText())
    xml = data->text();
  return PasteText(document, xml);
}

QString PasteText(DesignerDocument& document, const QString& xml) {
  QStringList originals;
  const std::optional<Kind> kind = kindOfText(xml, originals);
  if (!kind) return QStringLiteral("Schowek nie zawiera obiektów raportu.");
  report::TfrxReport& report = document.Report();
  TfrxComponent* target = nullptr;
  switch (*kind) {
    case Kind::Page: target = &report; break;
    case Kind::Band: target = document.CurrentPage(); break;
    case Kind::View: target = viewTarget(document); break;
  }
  if (target == nullptr) return QStringLiteral("Nie ma strony, na którą można wkleić obiekty.");
  // Pasted where the copied objects still stand, the copies move one grid
  // step aside so that they are seen; anywhere else they keep their place.
  QPointF offset;
  if (*kind == Kind::View)
    for (const QString& name : originals) {
      const TfrxComponent* original = report.FindObject(name);
      if (original != nullptr && original->Parent() == target) {
        const double step = document.Options().gridStep();
        offset = QPointF(step, step);
        break;
      }
    }
  const QString parentName = target == &report ? report.Name() : target->Name();
  QStringList pasted;
  if (*kind == Kind::Band) {
    // Pasted bands take their place among the page's bands, in one step.
    try {
      auto group = CommandGroup::Build(QStringLiteral("Wklejenie wstęg"), [&](CommandGroup& steps) {
        pasted = steps.Add(new report::edit::PasteCommand(report, xml, parentName, offset)).PastedNames();
        if (auto* page = qobject_cast<report::TfrxReportPage*>(target))
          if (std::unique_ptr<QUndoCommand> restack = MakeRestackBands(*page)) steps.Add(restack.release());
      });
      document.Push(group.release());
    } catch (const report::ReportError& e) {
      return e.message();
    }
  } else {
    const QString refusal = document.Run([&] {
      auto* command = new report::edit::PasteCommand(report, xml, parentName, offset);
      pasted = command->PastedNames();
      return command;
    });
    if (!refusal.isEmpty()) return refusal;
  }
  if (*kind == Kind::Page) {
    for (report::TfrxPage* page : document.Pages())
      if (pasted.contains(page->Name())) document.SetCurrentPage(page);
    return QString();
  }
  document.SelectNames(pasted);
  return QString();
}

}  // namespace valmoro::designer
