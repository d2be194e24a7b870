#pragma once
// Deleting objects in the designer: what may not be deleted, and the names
// that the script or other objects' expressions still use, which the user
// is warned about before they go.

#include <QList>
#include <QString>
#include <QStringList>

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// Whether a text may name an object or a script procedure: Latin letters,
// digits and "_", not starting with a digit.
bool IsIdentifier(const QString& text);

// Why `object` may not take `name` (not an identifier, taken by another
// object, an object of the base report), in Polish; empty when it may, and
// when the name is its own.
QString NameRefusal(const report::TfrxComponent& object, const QString& name);

// Why these objects may not be deleted (a restriction, the last page of the
// report); empty when they may.
QString DeletionRefusal(const DesignerDocument& document, const QList<report::TfrxComponent*>& objects);

// Where the named objects (and their children) are still named: lines of
// the script ("skrypt raportu, wiersz 3") and other objects' properties
// ("Memo1.Text"), each once, in the report's order.
QStringList ReferencesTo(const report::TfrxReport& report, const QStringList& names);

// Deletes the named objects as one step. When the script or other objects
// still name them, asks first (through the dialog layer); "Nie" deletes
// nothing. Returns a refusal text, empty when deleted or when the user
// chose to keep them.
QString DeleteObjects(DesignerDocument& document, const QStringList& names);

}  // namespace valmoro::designer
