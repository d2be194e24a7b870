#pragma once
// Snapshots of report objects for undo: everything an object holds, as the
// document format writes it, and the way back from such a snapshot.

#include <QString>
#include <memory>

#include "report/model/report_xml.h"

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::report::edit {

// Every published property of the object, defaults included, as attribute
// text (without children).
QString attributesOf(const TfrxComponent& object);

// Puts back the properties of a snapshot taken by attributesOf.
void restoreAttributes(TfrxComponent& object, const QString& attributes);

// The object with its children, as the document stores it.
std::unique_ptr<TfrxXMLItem> subtreeOf(const TfrxComponent& object);

// A deep copy of an element and its children.
std::unique_ptr<TfrxXMLItem> copyOf(const TfrxXMLItem& element);

// Rebuilds an object (with its children) from a subtree snapshot under
// `parent`, at `index` among its children (-1: last). Throws ReportError
// when the class is unknown.
TfrxComponent* rebuild(const TfrxXMLItem& element, TfrxComponent& parent, int index = -1);

// The object of the report called `name` (without regard to case; the
// report itself for its own name or none); throws ReportError naming it
// when there is none.
TfrxComponent& objectNamed(const TfrxReport& report, const QString& name);

}  // namespace valmoro::report::edit
