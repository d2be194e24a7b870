#pragma once
// Report objects as XML elements: the object tree of a report document, the
// attribute texts of single objects and of the items of the report's lists,
// copying of objects through them, and reading back with references
// resolved at the end and errors collected instead of thrown.
//
// An object is one element named after its class ("inherited" for an object
// of an ancestor report); its published properties are attributes in the
// order of publishing, written by kind (see writeProperties in the .cpp),
// nested value objects as dotted attributes ("Frame.LeftLine.Color"), a text
// view's text as Text, and data beside the properties as hexadecimal
// PropData. Children follow as child elements.

#include <QIODevice>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "report/model/published.h"

namespace valmoro::report {

class TfrxComponent;
class TfrxReport;
class TfrxXMLItem;

class TfrxXMLSerializer {
public:
  // The report the objects belong to: references are resolved in it and
  // errors given to its list. Without one, the root of a read stands in for
  // it and errors stay here.
  explicit TfrxXMLSerializer(TfrxReport* owner = nullptr);
  ~TfrxXMLSerializer();
  TfrxXMLSerializer(const TfrxXMLSerializer&) = delete;
  TfrxXMLSerializer& operator=(const TfrxXMLSerializer&) = delete;

  TfrxReport* Owner() const { return owner_; }
  void SetOwner(TfrxReport* owner) { owner_ = owner; }

  // Attribute texts of an old-format document are re-decoded for text views.
  bool OldFormat = false;
  // Every ordinal, float, text and variant property is written whatever its
  // value; a missing reference is written as "nil". Copies use it, so that a
  // copy's target ends up equal to its source.
  bool WriteDefaults = false;
  // Report inheritance: the ancestor object an object is written against
  // (none: written whole).
  std::function<const QObject*(const TfrxComponent& object)> AncestorOf;

  // Errors met while reading: sorted, each once.
  const QStringList& Errors() const { return errors_; }
  void AddError(const QString& message);

  // --- Writing ----------------------------------------------------------------
  // The attribute text of an object: a blank, name, "=" and quoted value per
  // property, names prefixed with prefix; against ancestor only what differs.
  // No Name: the element writer puts it in front.
  QString ObjToXML(const QObject& object, const QString& prefix = QString(), const QObject* ancestor = nullptr);
  // The class name followed by the attribute text.
  QString ObjToText(const TfrxComponent& object);
  // Fills item with the object (and its children): the root of a write has
  // no Name attribute.
  void WriteObject(const TfrxComponent& object, TfrxXMLItem& item, bool withChildren, bool isRoot = true);
  // A whole document (header and indented elements).
  void WriteRootComponent(const TfrxComponent& object, bool withChildren, QIODevice& stream);
  // One object as a single empty element, "<Class attributes/>".
  void WriteSingleElement(const TfrxComponent& object, QIODevice& stream);

  // --- Reading ----------------------------------------------------------------
  // Reads a document into root (its own attributes, then its children),
  // resolves the references, clears the loading marks and runs Loaded.
  // Throws ReportError for a document that is not well formed.
  void ReadRootComponent(TfrxComponent& root, QIODevice& stream);
  // The same from an element already loaded.
  void ReadRootComponent(TfrxComponent& root, const TfrxXMLItem& element);
  // Applies an attribute text to an object; references wait for
  // ResolveReferences.
  void ApplyAttributes(QObject& object, QStringView text);
  // Applies an attribute text and resolves its references at once.
  void XMLToObj(const QString& text, QObject& object);
  // A new object under parent from "ClassName attributes"; none (and an
  // error) for an unknown class. References are resolved at once.
  TfrxComponent* ObjFromText(const QString& text, TfrxComponent* parent);
  void ResolveReferences();

private:
  struct PendingReference {
    QPointer<QObject> object;
    const PublishedProperty* property;
    QString name;
  };
  void writeProperties(QString& out, const QObject& object, const QString& prefix, const QObject* ancestor);
  // A new object's font starts from a new font's defaults when the text
  // gives it one.
  void applyAttributes(QObject& object, QStringView text, bool newObject);
  // One attribute, in the steps below.
  void applyOne(QObject& object, QStringView name, QStringView value);
  // Walks a dotted name through nested objects: target and name become the
  // object and the rest of the name; true when a string list's Text took the
  // value on the way.
  bool walkDottedName(QObject*& target, QStringView& name, QStringView value);
  // "l", "t", "w", "h" (position and size), "x" and "u" (a text view's text,
  // escaped; "u" in the document's encoding); true when the name is one.
  bool applyShortName(QObject& target, QStringView name, QStringView fullName, QStringView value);
  // A text view's text: an old-format document's bytes are UTF-8 read as
  // the system code page.
  QString memoText(QStringView value) const;
  // PropData: the extra data of a component or persistent item.
  void applyPropData(QObject& target, QStringView fullName, QStringView value);
  // A published property by its kind; references wait for ResolveReferences.
  void applyPublished(QObject& target, QStringView name, QStringView fullName, QStringView value);
  void readElements(TfrxComponent& root, const TfrxXMLItem& element, std::vector<QPointer<TfrxComponent>>& loaded);
  QObject* findReference(const QString& name, const QObject* from) const;

  TfrxReport* owner_;
  TfrxComponent* lookupRoot_ = nullptr;
  QStringList errors_;
  std::vector<PendingReference> pending_;
  // The options whose Password a report's own document holds scrambled,
  // while its root element is written or read.
  const QObject* scrambledPasswordOf_ = nullptr;
};

// --- Text helpers --------------------------------------------------------------

// A property value as the documents write it: Booleans as "True"/"False",
// enumerations by member name, numbers in the system's form, texts as they
// are (escaping is the attribute writer's job).
QString frxValueToXML(const QVariant& value);
// Floats written with "," or "." read alike; blanks are ignored. Nullopt for
// a text that is no number.
std::optional<double> frxStrToFloat(const QString& text);
std::optional<double> frxStrToFloat(QStringView text);
// Bytes as hexadecimal text, two upper-case digits each, and back (reading
// stops at the first character that is not a hexadecimal digit).
QString frxBytesToHex(const QByteArray& bytes);
QByteArray frxHexToBytes(QStringView text);

// The attribute text of an item of a report list (data sets, variables,
// styles), and applying one to an item: during a document read its
// references wait for the end of the read.
QString frxItemAttributes(const QObject& item);
void frxApplyItemAttributes(QObject& item, const QString& text);

// The operations behind Assign / AssignWithChildren, SaveToStream and
// ReadFromStream of every report object (hooks.h falls back to them).
// A copy writes the source with WriteDefaults and reads it into the target;
// without children the target keeps its own children and its name.
void copyThroughDocument(TfrxComponent& target, const TfrxComponent& source, bool withChildren);
void writeDocument(const TfrxComponent& object, QIODevice& stream, bool withChildren);
// Errors of the read go to the object's report.
void readDocument(TfrxComponent& object, QIODevice& stream);

}  // namespace valmoro::report
