#include "designer/inspector_model.h"

#include <QFile>
#include <algorithm>
#include <limits>

#include "designer/command_group.h"
#include "designer/designer_document.h"
#include "designer/object_editing.h"
#include "designer/picture_editor.h"
#include "designer/event_handlers.h"
#include "designer/script_text_command.h"
#include "platform/dialogs.h"
#include "platform/graphics_names.h"
#include "platform/locale.h"
#include "report/model/changes.h"
#include "report/model/component.h"
#include "report/model/data_set.h"
#include "report/model/edit/commands.h"
#include "report/model/page.h"
#include "report/model/picture.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_font.h"
#include "report/model/report_lists.h"
#include "report/model/report_xml.h"
#include "report/model/serializer.h"

namespace valmoro::designer {

using report::LengthUnit;
using report::PropertyEditor;
using report::PropertyKind;
using report::PublishedProperty;
using report::ReportError;
using report::TColor;
using report::TfrxComponent;

namespace {

// Colours offered by name: the plain ones, "no colour", then the system ones.
constexpr const char* kColorNames[] = {
    "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray", "clSilver", "clRed",
    "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite", "clMoneyGreen", "clSkyBlue", "clCream",
    "clMedGray", "clNone", "clTransparent", "clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption",
    "clMenu", "clWindow", "clWindowFrame", "clMenuText", "clWindowText", "clCaptionText", "clActiveBorder",
    "clInactiveBorder", "clAppWorkSpace", "clHighlight", "clHighlightText", "clBtnFace", "clBtnShadow", "clGrayText",
    "clBtnText", "clInactiveCaptionText", "clBtnHighlight", "cl3DDkShadow", "cl3DLight", "clInfoText", "clInfoBk",
};

// Lengths that cannot be negative (positions can).
bool isSize(const QString& name) {
  static const QStringList sizes = {"Width",        "Height",     "ClientWidth", "ClientHeight", "PaperWidth",
                                    "PaperHeight",  "ColumnWidth", "ColumnGap",  "LeftMargin",   "RightMargin",
                                    "TopMargin",    "BottomMargin"};
  return sizes.contains(name);
}

// Numbers the model takes whatever they are, but that make no sense outside
// a range: a font of no size, a turn beyond a full one.
struct Range {
  const char* path;
  qint64 low, high;
};
constexpr Range kRanges[] = {
    {"Font.Size", 1, 1638},
    {"Rotation", -360, 360},
    {"Columns", 0, 1000},
};

bool sameClass(const QObject* object, const QMetaObject* cls) { return object->metaObject() == cls; }

QString oneLine(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  return text.trimmed();
}

QString setText(const QMetaEnum& e, qint64 bits) {
  QStringList members;
  for (int i = 0; i < e.keyCount(); ++i)
    if (e.value(i) != 0 && (bits & e.value(i)) == e.value(i)) members.append(QString::fromLatin1(e.key(i)));
  return QLatin1Char('[') + members.join(QStringLiteral(", ")) + QLatin1Char(']');
}

}  // namespace

InspectorModel::InspectorModel(DesignerDocument& document, QObject* parent) : QObject(parent), document_(document) {
  connect(&document_, &DesignerDocument::selectionChanged, this, &InspectorModel::Reload);
  connect(&document_, &DesignerDocument::documentReplaced, this, &InspectorModel::Reload);
  connect(&document_, &DesignerDocument::currentPageChanged, this, [this] {
    if (document_.Selection().isEmpty()) Reload();
    emit objectsChanged();
  });
  connect(&document_, &DesignerDocument::optionsChanged, this, [this] {
    dirty_.insert(QStringLiteral("*"));
    Flush();
  });
  connect(&document_, &DesignerDocument::changed, this, &InspectorModel::changed);
  // Some of what a step puts back is not announced (a new name, a
  // picture's data): those rows are read again after every step.
  connect(&document_.UndoStack(), &QUndoStack::indexChanged, this, [this] {
    for (const InspectorRow& row : rows_)
      if (row.editor == PropertyEditor::Picture || (row.depth == 0 && row.caption == QLatin1String("Name")))
        dirty_.insert(row.path.toCaseFolded());
    objectsDirty_ = true;
    scheduleFlush();
  });
  Reload();
}

InspectorModel::~InspectorModel() = default;

QString InspectorModel::SelectionCaption() const {
  if (objects_.size() == 1) return objects_.first()->Name();
  if (objects_.isEmpty()) return QString();
  return QStringLiteral("%1 obiektów").arg(objects_.size());
}

void InspectorModel::Reload() {
  objects_ = document_.Selection();
  if (objects_.isEmpty())
    if (report::TfrxPage* page = document_.CurrentPage()) objects_.append(page);
  inspected_ = QSet<const TfrxComponent*>(objects_.begin(), objects_.end());
  objectOwners_ = QList<QObject*>(objects_.begin(), objects_.end());
  dirty_.clear();
  build();
  readAll();
  emit reset();
}

QStringList InspectorModel::PageObjectCaptions(QList<TfrxComponent*>* objects) const {
  QStringList captions;
  report::TfrxPage* page = document_.CurrentPage();
  if (!page) return captions;
  QList<TfrxComponent*> all = page->AllObjects();
  all.prepend(page);
  for (TfrxComponent* object : all) {
    captions.append(object->Name() + QStringLiteral(": ") + object->ClassName());
    if (objects) objects->append(object);
  }
  return captions;
}

// --- Building the rows ------------------------------------------------------------

void InspectorModel::build() {
  rows_.clear();
  byPath_.clear();
  if (objects_.isEmpty()) return;
  QList<QObject*> owners;
  owners.reserve(objects_.size());
  for (TfrxComponent* object : objects_) owners.append(object);
  addRows(*objects_.first()->metaObject(), -1, -1, {}, QString(), 0, owners);
}

void InspectorModel::addRows(const QMetaObject& cls, int parent, int ownerRow,
                             const std::vector<const PublishedProperty*>& chain, const QString& prefix, int depth,
                             const QList<QObject*>& owners) {
  // The classes of the owners other than the first, each once.
  QList<const QMetaObject*> others;
  for (QObject* owner : owners)
    if (owner->metaObject() != &cls && !others.contains(owner->metaObject())) others.append(owner->metaObject());
  const bool several = objects_.size() > 1;
  const QList<PublishedProperty>& properties = report::publishedProperties(cls);
  for (const PublishedProperty& p : properties) {
    const QString name = QString::fromLatin1(p.name());
    // Names are unique: a common one cannot be given to several objects.
    if (depth == 0 && several && name == QLatin1String("Name")) continue;
    if (p.kind() == PropertyKind::Other) continue;
    bool common = true;
    for (const QMetaObject* other : others) {
      const PublishedProperty* q = report::findPublishedProperty(*other, name);
      if (!q || q->kind() != p.kind() || q->editor() != p.editor()) common = false;
    }
    if (!common) continue;
    // The data set is chosen by its user name: DataSetName stands in for
    // the reference, under the reference's name and place.
    const PublishedProperty* shown = &p;
    if (p.editor() == PropertyEditor::DataSet && p.kind() == PropertyKind::Reference)
      if (const PublishedProperty* byName = report::findPublishedProperty(cls, u"DataSetName")) shown = byName;
    if (name == QLatin1String("DataSetName") &&
        report::findPublishedProperty(cls, u"DataSet") &&
        report::findPublishedProperty(cls, u"DataSet")->editor() == PropertyEditor::DataSet)
      continue;

    InspectorRow row;
    row.path = prefix + QString::fromLatin1(shown->name());
    row.caption = name;
    row.parent = parent;
    row.ownerRow = ownerRow;
    row.depth = depth;
    row.property = shown;
    row.chain = chain;
    row.editor = p.editor();
    row.category = depth == 0 ? p.category() : rows_[size_t(parent)].category;
    row.event = p.editor() == PropertyEditor::Event;
    row.readOnly = !shown->isWritable() || p.editor() == PropertyEditor::None;
    const int index = int(rows_.size());
    rows_.push_back(row);
    byPath_.insert(rows_.back().path.toCaseFolded(), index);
    // The data set row answers to the reference's name too.
    if (shown != &p) byPath_.insert((prefix + name).toCaseFolded(), index);
    if (parent >= 0) rows_[size_t(parent)].children.append(index);

    if (p.kind() == PropertyKind::Set) {
      const QMetaEnum e = p.enumerator();
      for (int i = 0; i < e.keyCount(); ++i) {
        if (e.value(i) == 0) continue;
        InspectorRow member;
        member.caption = QString::fromLatin1(e.key(i));
        member.path = rows_[size_t(index)].path + QLatin1Char('.') + member.caption;
        member.parent = index;
        member.ownerRow = ownerRow;
        member.depth = depth + 1;
        member.property = shown;
        member.chain = chain;
        member.editor = PropertyEditor::Boolean;
        member.category = row.category;
        member.memberBit = e.value(i);
        member.readOnly = row.readOnly;
        const int m = int(rows_.size());
        rows_.push_back(member);
        byPath_.insert(rows_.back().path.toCaseFolded(), m);
        rows_[size_t(index)].children.append(m);
      }
    }
    // Nested objects unfold when every object holds one of the same class.
    if (p.kind() == PropertyKind::Object && p.editor() != PropertyEditor::Picture) {
      // One owner of each class tells the nested class; all owners are
      // walked only when the classes differ.
      QList<QObject*> nested;
      nested.reserve(owners.size());
      const QMetaObject* nestedClass = nullptr;
      bool same = true;
      if (others.isEmpty()) {
        QObject* inner = p.readObject(owners.first());
        nestedClass = inner ? inner->metaObject() : nullptr;
        same = nestedClass != nullptr;
        // The rows below need the class only; values are read through ownersFor.
        nested.append(inner);
      } else {
        for (QObject* owner : owners) {
          const PublishedProperty* q =
              sameClass(owner, &cls) ? &p : report::findPublishedProperty(*owner->metaObject(), name);
          QObject* inner = q ? q->readObject(owner) : nullptr;
          if (!inner || (nestedClass && inner->metaObject() != nestedClass)) {
            same = false;
            break;
          }
          nestedClass = inner->metaObject();
          nested.append(inner);
        }
      }
      if (same && nestedClass) {
        std::vector<const PublishedProperty*> inner = chain;
        inner.push_back(&p);
        addRows(*nestedClass, index, index, inner, rows_[size_t(index)].path + QLatin1Char('.'), depth + 1, nested);
      }
    }
  }
}

int InspectorModel::FindRow(const QString& path) const { return byPath_.value(path.toCaseFolded(), -1); }

QList<int> InspectorModel::TopRows(bool events, bool byCategory) const {
  QList<int> top;
  for (int i = 0; i < RowCount(); ++i)
    if (rows_[size_t(i)].parent < 0 && rows_[size_t(i)].event == events) top.append(i);
  std::stable_sort(top.begin(), top.end(), [&](int a, int b) {
    const InspectorRow& x = rows_[size_t(a)];
    const InspectorRow& y = rows_[size_t(b)];
    if (byCategory && x.category != y.category) return int(x.category) < int(y.category);
    return x.caption.compare(y.caption, Qt::CaseInsensitive) < 0;
  });
  return top;
}

bool InspectorModel::Matches(int row, const QString& filter) const {
  const InspectorRow& r = Row(row);
  if (filter.isEmpty() || r.caption.contains(filter, Qt::CaseInsensitive)) return true;
  for (int child : r.children)
    if (Matches(child, filter)) return true;
  return false;
}

// --- Reading values -----------------------------------------------------------------

QObject* InspectorModel::ownerOf(QObject* object, const InspectorRow& row) const {
  QObject* owner = object;
  for (const PublishedProperty* step : row.chain) {
    if (!owner) return nullptr;
    const PublishedProperty* p = step;
    if (!owner->metaObject()->inherits(p->metaProperty().enclosingMetaObject()))
      p = report::findPublishedProperty(*owner->metaObject(), QString::fromLatin1(step->name()));
    owner = p ? p->readObject(owner) : nullptr;
  }
  return owner;
}

namespace {

// A value of one object compared with the others': ordinals as numbers,
// everything else as text.
struct Value {
  bool valid = false;
  qint64 ordinal = 0;
  double number = 0;
  QString text;
  bool operator==(const Value& o) const {
    return valid == o.valid && ordinal == o.ordinal && number == o.number && text == o.text;
  }
};

const PublishedProperty* propertyOf(const QObject* owner, const PublishedProperty* p) {
  if (owner->metaObject()->inherits(p->metaProperty().enclosingMetaObject())) return p;
  return report::findPublishedProperty(*owner->metaObject(), QString::fromLatin1(p->name()));
}

Value readOne(const QObject* owner, const PublishedProperty* p) {
  Value v;
  if (!owner || !(p = propertyOf(owner, p))) return v;
  v.valid = true;
  switch (p->kind()) {
    case PropertyKind::Integer:
    case PropertyKind::Color:
    case PropertyKind::Boolean:
    case PropertyKind::Enumeration:
    case PropertyKind::Set:
      v.ordinal = p->readOrdinal(owner);
      break;
    case PropertyKind::Float:
      v.number = p->read(owner).toDouble();
      break;
    case PropertyKind::Text:
      v.text = p->read(owner).toString();
      break;
    case PropertyKind::Variant:
      v.text = report::frxValueToXML(p->read(owner));
      break;
    case PropertyKind::StringList:
      v.text = p->read(owner).toStringList().join(QLatin1Char('\n'));
      break;
    case PropertyKind::Reference: {
      const auto* target = qobject_cast<const TfrxComponent*>(p->readObject(owner));
      v.text = target ? target->Name() : QString();
      break;
    }
    case PropertyKind::Object: {
      const QObject* nested = p->readObject(owner);
      if (const auto* font = qobject_cast<const report::ReportFont*>(nested))
        v.text = QStringLiteral("%1, %2").arg(font->Name()).arg(font->Size());
      else if (const auto* picture = qobject_cast<const report::ReportPicture*>(nested))
        v.text = picture->IsEmpty() ? QStringLiteral("(brak)") : QStringLiteral("(obraz)");
      else
        v.text = QStringLiteral("(…)");
      break;
    }
    case PropertyKind::Other:
      break;
  }
  return v;
}

}  // namespace

const QList<QObject*>& InspectorModel::ownersFor(int ownerRow) const {
  if (ownerRow < 0) return objectOwners_;
  if (ownerCache_.size() != rows_.size()) {
    ownerCache_.assign(rows_.size(), {});
    ownerCached_.assign(rows_.size(), false);
  }
  if (!ownerCached_[size_t(ownerRow)]) {
    const InspectorRow& holder = rows_[size_t(ownerRow)];
    QList<QObject*> nested;
    const QList<QObject*>& outer = ownersFor(holder.ownerRow);
    nested.reserve(outer.size());
    for (QObject* owner : outer) {
      const PublishedProperty* p = owner ? propertyOf(owner, holder.property) : nullptr;
      nested.append(p ? p->readObject(owner) : nullptr);
    }
    ownerCache_[size_t(ownerRow)] = std::move(nested);
    ownerCached_[size_t(ownerRow)] = true;
  }
  return ownerCache_[size_t(ownerRow)];
}

void InspectorModel::readValue(int index) const {
  InspectorRow& row = rows_[size_t(index)];
  row.stale = false;
  if (objects_.isEmpty() || !row.property) return;
  // A member of a set shared by all is read from the set.
  if (row.memberBit && row.parent >= 0 && !rows_[size_t(row.parent)].mixed) {
    row.mixed = false;
    row.checked = (rows_[size_t(row.parent)].ordinal & row.memberBit) != 0;
    row.text = row.checked ? QStringLiteral("True") : QStringLiteral("False");
    return;
  }
  const QList<QObject*>& owners = ownersFor(row.ownerRow);
  Value first;
  bool mixed = false;
  for (qsizetype i = 0; i < owners.size(); ++i) {
    Value v = readOne(owners[i], row.property);
    if (row.memberBit) v.ordinal &= row.memberBit;
    if (i == 0)
      first = v;
    else if (!(v == first)) {
      mixed = true;
      break;
    }
  }
  row.ordinal = first.ordinal;
  row.mixed = mixed;
  row.checked = false;
  if (mixed) {
    row.text.clear();
    return;
  }
  const PublishedProperty* p = row.property;
  if (row.memberBit) {
    row.checked = first.ordinal != 0;
    row.text = row.checked ? QStringLiteral("True") : QStringLiteral("False");
    return;
  }
  switch (p->kind()) {
    case PropertyKind::Integer:
      row.text = QString::number(first.ordinal);
      break;
    case PropertyKind::Color:
      row.text = ColorText(TColor(quint32(first.ordinal)));
      break;
    case PropertyKind::Boolean:
      row.checked = first.ordinal != 0;
      row.text = row.checked ? QStringLiteral("True") : QStringLiteral("False");
      break;
    case PropertyKind::Enumeration: {
      const char* key = p->enumerator().valueToKey(int(first.ordinal));
      row.text = key ? QString::fromLatin1(key) : QString::number(first.ordinal);
      break;
    }
    case PropertyKind::Set:
      row.text = setText(p->enumerator(), first.ordinal);
      break;
    case PropertyKind::Float:
      row.text = p->unit() != LengthUnit::None ? report::formatLength(first.number, p->unit(), DisplayUnit())
                                               : locale::formatFloatGeneral(first.number);
      break;
    case PropertyKind::StringList:
      row.text = first.text.section(QLatin1Char('\n'), 0, 0);
      if (first.text.contains(QLatin1Char('\n'))) row.text += QStringLiteral(" …");
      break;
    default:
      row.text = first.text;
      break;
  }
}

void InspectorModel::readAll() {
  ownerCache_.clear();
  ownerCached_.clear();
  for (int i = 0; i < RowCount(); ++i) {
    if (IsShown(i))
      readValue(i);
    else
      rows_[size_t(i)].stale = true;
  }
}

const InspectorRow& InspectorModel::ReadRow(int index) const {
  InspectorRow& row = rows_[size_t(index)];
  if (row.stale) {
    // A set member is read from its set: the rows above first.
    if (row.parent >= 0) ReadRow(row.parent);
    readValue(index);
  }
  return row;
}

bool InspectorModel::IsExpanded(int index) const { return expanded_.contains(Row(index).path.toCaseFolded()); }

bool InspectorModel::IsShown(int index) const {
  for (int up = Row(index).parent; up >= 0; up = Row(up).parent)
    if (!IsExpanded(up)) return false;
  return true;
}

void InspectorModel::SetExpanded(int index, bool expanded) {
  if (index < 0 || index >= RowCount()) return;
  const QString key = Row(index).path.toCaseFolded();
  if (!expanded) {
    expanded_.remove(key);
    return;
  }
  if (expanded_.contains(key)) return;
  expanded_.insert(key);
  QList<int> read;
  for (int child : Row(index).children)
    if (Row(child).stale) {
      ReadRow(child);
      read.append(child);
    }
  if (!read.isEmpty()) emit rowsChanged(read);
}

LengthUnit InspectorModel::DisplayUnit() const { return document_.Options().unit; }

QString InspectorModel::EditText(int index) const {
  const InspectorRow& row = ReadRow(index);
  if (row.mixed || objects_.isEmpty()) return QString();
  if (row.property && (row.property->kind() == PropertyKind::StringList)) {
    const QObject* owner = ownerOf(objects_.first(), row);
    const PublishedProperty* p = owner ? propertyOf(owner, row.property) : nullptr;
    return p ? p->read(owner).toStringList().join(QLatin1Char('\n')) : QString();
  }
  return row.text;
}

QStringList InspectorModel::ColorNames() {
  QStringList names;
  for (const char* name : kColorNames) names.append(QString::fromLatin1(name));
  return names;
}

QString InspectorModel::ColorText(TColor color) {
  // The report's "no fill": also what the graphics layer calls clNone.
  if (color == report::clTransparent) return QStringLiteral("clTransparent");
  if (const std::optional<QString> name = names::colorToIdent(color)) return *name;
  return QLatin1Char('$') + QStringLiteral("%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper();
}

bool InspectorModel::ParseColor(const QString& typed, TColor* color) {
  const QString text = typed.trimmed();
  if (text.compare(QLatin1String("clTransparent"), Qt::CaseInsensitive) == 0) {
    *color = report::clTransparent;
    return true;
  }
  if (const std::optional<quint32> named = names::identToColor(text)) {
    *color = *named;
    return true;
  }
  bool ok = false;
  quint32 value = 0;
  if (text.startsWith(QLatin1Char('$'))) {
    value = text.mid(1).toUInt(&ok, 16);
  } else if (text.startsWith(QLatin1Char('#')) && text.size() == 7) {
    // #RRGGBB as colour pickers write it; stored as 0x00BBGGRR.
    const uint rgb = text.mid(1).toUInt(&ok, 16);
    value = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  } else {
    const qint64 number = text.toLongLong(&ok);
    ok = ok && number >= std::numeric_limits<qint32>::min() && number <= qint64(std::numeric_limits<quint32>::max());
    value = quint32(number);
  }
  if (ok) *color = value;
  return ok;
}

QStringList InspectorModel::Choices(int index) const {
  const InspectorRow& row = Row(index);
  QStringList choices;
  report::TfrxReport& rep = document_.Report();
  switch (row.editor) {
    case PropertyEditor::Boolean:
      return {QStringLiteral("False"), QStringLiteral("True")};
    case PropertyEditor::Enumeration: {
      const QMetaEnum e = row.property->enumerator();
      for (int i = 0; i < e.keyCount(); ++i) choices.append(QString::fromLatin1(e.key(i)));
      return choices;
    }
    case PropertyEditor::Color:
      return ColorNames();
    case PropertyEditor::DataSet: {
      choices.append(QString());
      if (report::TfrxReportDataSets* sets = rep.DataSets())
        for (int i = 0; i < sets->Count(); ++i)
          if (!sets->Item(i)->DataSetName().isEmpty() && !choices.contains(sets->Item(i)->DataSetName()))
            choices.append(sets->Item(i)->DataSetName());
      for (TfrxComponent* object : rep.AllObjects())
        if (auto* set = qobject_cast<report::TfrxDataSet*>(object))
          if (!set->UserName().isEmpty() && !choices.contains(set->UserName())) choices.append(set->UserName());
      return choices;
    }
    case PropertyEditor::DataField: {
      // The fields of the first object's data set.
      TfrxComponent* owner = objects_.isEmpty() ? nullptr : objects_.first();
      if (!owner) return choices;
      report::TfrxDataSet* set = nullptr;
      if (const PublishedProperty* p = report::findPublishedProperty(*owner->metaObject(), u"DataSet"))
        set = qobject_cast<report::TfrxDataSet*>(p->readObject(owner));
      if (!set)
        if (const PublishedProperty* p = report::findPublishedProperty(*owner->metaObject(), u"DataSetName"))
          set = rep.GetDataset(p->read(owner).toString());
      if (set) set->GetFieldList(choices);
      return choices;
    }
    case PropertyEditor::ObjectReference: {
      choices.append(QString());
      const QMetaObject* cls = row.property->objectClass();
      for (TfrxComponent* object : rep.AllObjects())
        if (!inspected_.contains(object) && !object->Name().isEmpty() && (!cls || object->metaObject()->inherits(cls)))
          choices.append(object->Name());
      return choices;
    }
    case PropertyEditor::Event:
      return fittingProcedures(rep.ScriptLanguage(), rep.ScriptText(), row.caption);
    default:
      return choices;
  }
}

// --- Changing values ------------------------------------------------------------------

QStringList InspectorModel::names() const {
  QStringList list;
  list.reserve(objects_.size());
  for (TfrxComponent* object : objects_) list.append(object->Name());
  return list;
}

QString InspectorModel::setProperty(const QString& path, const QString& value) {
  report::TfrxReport& rep = document_.Report();
  const QStringList targets = names();
  const QString refusal = document_.Run([&] { return new report::edit::SetPropertyCommand(rep, targets, path, value); });
  // The next change of the same property is a step of its own.
  document_.EndGesture();
  Flush();
  return oneLine(refusal);
}

QString InspectorModel::checkExpression(const QString& text) const {
  report::TfrxReport& rep = document_.Report();
  const QStringList errors = rep.Errors();
  QString error;
  try {
    // Names of the report (objects, variables, the script's) compile only
    // in a prepared script; a script that does not compile checks nothing.
    if (rep.PrepareScript()) error = rep.CheckExpression(text);
    rep.ResetScript();
  } catch (const std::exception&) {
  }
  rep.Errors() = errors;
  return error;
}

QString InspectorModel::documentValue(const InspectorRow& row, const QString& typed, QString* path) const {
  const PublishedProperty* p = row.property;
  const QString text = typed.trimmed();
  *path = row.path;
  switch (p->kind()) {
    case PropertyKind::Boolean: {
      static const QStringList yes = {"true", "tak", "1"}, no = {"false", "nie", "0"};
      if (yes.contains(text.toLower())) return QStringLiteral("True");
      if (no.contains(text.toLower())) return QStringLiteral("False");
      throw ReportError(QStringLiteral("„%1” nie jest wartością logiczną (True albo False).").arg(text));
    }
    case PropertyKind::Integer: {
      bool ok = false;
      const qint64 number = text.toLongLong(&ok);
      if (!ok) throw ReportError(QStringLiteral("„%1” nie jest liczbą całkowitą.").arg(text));
      qint64 low = std::numeric_limits<qint32>::min(), high = std::numeric_limits<qint32>::max();
      if (p->metaProperty().metaType().id() == QMetaType::UInt) low = 0, high = std::numeric_limits<quint32>::max();
      for (const Range& range : kRanges)
        if (row.path.compare(QLatin1String(range.path), Qt::CaseInsensitive) == 0) low = range.low, high = range.high;
      if (number < low || number > high)
        throw ReportError(QStringLiteral("Wartość %1 musi być liczbą od %2 do %3.").arg(row.caption).arg(low).arg(high));
      return QString::number(number);
    }
    case PropertyKind::Color: {
      TColor color;
      if (!ParseColor(text, &color)) throw ReportError(QStringLiteral("„%1” nie jest kolorem.").arg(text));
      return QString::number(qint32(quint32(color)));
    }
    case PropertyKind::Enumeration: {
      const QMetaEnum e = p->enumerator();
      for (int i = 0; i < e.keyCount(); ++i)
        if (text.compare(QLatin1String(e.key(i)), Qt::CaseInsensitive) == 0) return QString::fromLatin1(e.key(i));
      throw ReportError(QStringLiteral("„%1” nie jest jedną z wartości właściwości %2.").arg(text, row.caption));
    }
    case PropertyKind::Set: {
      const QMetaEnum e = p->enumerator();
      QString inner = text;
      if (inner.startsWith(QLatin1Char('['))) inner = inner.mid(1);
      if (inner.endsWith(QLatin1Char(']'))) inner.chop(1);
      int bits = 0;
      for (const QString& part : inner.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString member = part.trimmed();
        int found = -1;
        for (int i = 0; i < e.keyCount(); ++i)
          if (member.compare(QLatin1String(e.key(i)), Qt::CaseInsensitive) == 0) found = e.value(i);
        if (found < 0)
          throw ReportError(QStringLiteral("„%1” nie jest jedną z wartości właściwości %2.").arg(member, row.caption));
        bits |= found;
      }
      return QString::number(bits);
    }
    case PropertyKind::Float: {
      double number = 0;
      if (p->unit() != LengthUnit::None) {
        number = report::parseLength(text, p->unit(), DisplayUnit());
      } else {
        const std::optional<double> parsed = report::frxStrToFloat(text);
        if (!parsed) throw ReportError(QStringLiteral("„%1” nie jest liczbą.").arg(text));
        number = *parsed;
      }
      if (number < 0 && isSize(row.caption)) {
        if (row.caption == QLatin1String("Width") || row.caption == QLatin1String("Height"))
          throw ReportError(QStringLiteral("Wymiary obiektu %1 nie mogą być ujemne.").arg(SelectionCaption()));
        throw ReportError(QStringLiteral("Wartość %1 nie może być ujemna.").arg(row.caption));
      }
      return locale::formatFloatGeneral(number);
    }
    case PropertyKind::Text: {
      if (row.editor == PropertyEditor::Event && !text.isEmpty() && !IsIdentifier(text))
        throw ReportError(QStringLiteral("„%1” nie jest poprawną nazwą procedury.").arg(text));
      if (row.caption == QLatin1String("Condition") && !text.isEmpty()) {
        const QString error = checkExpression(text);
        if (!error.isEmpty()) throw ReportError(QStringLiteral("Błędne wyrażenie „%1”: %2").arg(text, oneLine(error)));
      }
      // Long texts keep what was typed, blanks and line breaks included.
      return row.editor == PropertyEditor::LongText ? QString(typed).replace(QLatin1Char('\n'), QLatin1String("\r\n"))
                                                    : typed;
    }
    case PropertyKind::Variant:
      return typed;
    case PropertyKind::StringList: {
      *path = row.path + QStringLiteral(".Text");
      QString lines = typed;
      lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
      return lines.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    }
    case PropertyKind::Reference: {
      if (text.isEmpty()) return QString();
      TfrxComponent* target = document_.Report().FindObject(text);
      const QMetaObject* cls = p->objectClass();
      if (!target || (cls && !target->metaObject()->inherits(cls)))
        throw ReportError(QStringLiteral("Nie ma obiektu „%1”, który mógłby być wartością %2.").arg(text, row.caption));
      return target->Name();
    }
    case PropertyKind::Object:
    case PropertyKind::Other:
      break;
  }
  throw ReportError(QStringLiteral("Właściwości %1 nie zmienia się przez wpisanie wartości.").arg(row.caption));
}

QString InspectorModel::Apply(int index, const QString& text) {
  if (index < 0 || index >= RowCount() || objects_.isEmpty()) return QString();
  const InspectorRow& row = ReadRow(index);
  if (row.readOnly) return QStringLiteral("Właściwość %1 jest tylko do odczytu.").arg(row.caption);
  if (row.memberBit) return SetChecked(index, text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0);
  // Typing the value shown again changes nothing.
  if (!row.mixed && text == EditText(index)) return QString();
  // A name is checked here so that the refusal is said in Polish.
  if (row.depth == 0 && row.caption == QLatin1String("Name") && objects_.size() == 1)
    if (const QString refusal = NameRefusal(*objects_.first(), text.trimmed()); !refusal.isEmpty()) return refusal;
  QString path, value;
  try {
    value = documentValue(row, text, &path);
  } catch (const ReportError& e) {
    return oneLine(e.message());
  }
  return setProperty(path, value);
}

QString InspectorModel::SetChecked(int index, bool checked) {
  if (index < 0 || index >= RowCount() || objects_.isEmpty()) return QString();
  const InspectorRow& row = Row(index);
  if (row.readOnly) return QStringLiteral("Właściwość %1 jest tylko do odczytu.").arg(row.caption);
  if (!row.memberBit) return Apply(index, checked ? QStringLiteral("True") : QStringLiteral("False"));
  const InspectorRow& set = Row(row.parent);
  const int bit = row.memberBit;
  // Every object keeps its other members: when they differ, each gets its own mask.
  report::TfrxReport& rep = document_.Report();
  const InspectorRow rowCopy = row;
  const QString refusal = document_.Run([&] {
    return new report::edit::ChangeCommand(
        rep, QStringLiteral("Zmiana %1").arg(set.path), names(), [&](TfrxComponent& object) {
          QObject* owner = ownerOf(&object, rowCopy);
          const PublishedProperty* p = owner ? propertyOf(owner, rowCopy.property) : nullptr;
          if (!p) return;
          const qint64 bits = checked ? (p->readOrdinal(owner) | bit) : (p->readOrdinal(owner) & ~qint64(bit));
          report::TfrxXMLSerializer reader(&rep);
          object.SetLoading(true);
          reader.XMLToObj(set.path + QStringLiteral("=\"") + QString::number(bits) + QLatin1Char('"'), object);
          object.SetLoading(false);
          if (!reader.Errors().isEmpty()) throw ReportError(reader.Errors().join(QLatin1Char(' ')));
        });
  });
  document_.EndGesture();
  Flush();
  return oneLine(refusal);
}

QString InspectorModel::ApplyColor(int index, TColor color) {
  if (index < 0 || index >= RowCount()) return QString();
  return Apply(index, ColorText(color));
}

QString InspectorModel::ApplyFont(int index, const QString& name, int size, int styleBits, TColor color) {
  if (index < 0 || index >= RowCount() || objects_.isEmpty()) return QString();
  const InspectorRow& row = Row(index);
  if (row.editor != PropertyEditor::Font) return QString();
  if (size < 1 || size > 1638) return QStringLiteral("Wartość Size musi być liczbą od 1 do 1638.");
  const QString path = row.path;
  const QString attributes = QStringLiteral("%1.Name=\"%2\" %1.Size=\"%3\" %1.Style=\"%4\" %1.Color=\"%5\"")
                                 .arg(path, report::frxEscape(name))
                                 .arg(size)
                                 .arg(styleBits)
                                 .arg(qint32(quint32(color)));
  report::TfrxReport& rep = document_.Report();
  const QString refusal = document_.Run([&] {
    return new report::edit::ChangeCommand(rep, QStringLiteral("Zmiana %1").arg(path), names(), [&](TfrxComponent& object) {
      report::TfrxXMLSerializer reader(&rep);
      object.SetLoading(true);
      reader.XMLToObj(attributes, object);
      object.SetLoading(false);
      if (!reader.Errors().isEmpty()) throw ReportError(reader.Errors().join(QLatin1Char(' ')));
    });
  });
  document_.EndGesture();
  Flush();
  return oneLine(refusal);
}

QString InspectorModel::LoadPicture(int index, const QString& fileName) {
  if (index < 0 || index >= RowCount() || objects_.isEmpty()) return QString();
  const InspectorRow& row = Row(index);
  if (row.editor != PropertyEditor::Picture) return QString();
  QByteArray bytes;
  if (const QString refusal = readPictureFile(fileName, &bytes); !refusal.isEmpty()) return refusal;
  report::TfrxReport& rep = document_.Report();
  const InspectorRow rowCopy = row;
  const QString refusal = document_.Run([&] {
    return new report::edit::ChangeCommand(rep, QStringLiteral("Zmiana %1").arg(rowCopy.path), names(),
                                           [&](TfrxComponent& object) {
                                             QObject* owner = ownerOf(&object, rowCopy);
                                             const PublishedProperty* p = owner ? propertyOf(owner, rowCopy.property) : nullptr;
                                             auto* picture = p ? qobject_cast<report::ReportPicture*>(p->readObject(owner)) : nullptr;
                                             if (picture) picture->LoadFromData(bytes);
                                           });
  });
  document_.EndGesture();
  Flush();
  return oneLine(refusal);
}

int InspectorModel::HandlerLine(int index) const {
  if (index < 0 || index >= RowCount()) return 0;
  const InspectorRow& row = ReadRow(index);
  if (!row.event || row.mixed || row.text.isEmpty()) return 0;
  const report::TfrxReport& rep = document_.Report();
  for (const ScriptProcedure& procedure : scriptProcedures(rep.ScriptLanguage(), rep.ScriptText()))
    if (procedure.name.compare(row.text, Qt::CaseInsensitive) == 0) return procedure.line;
  return 0;
}

QString InspectorModel::CreateHandler(int index, int* line) {
  if (line) *line = 0;
  if (index < 0 || index >= RowCount() || objects_.isEmpty()) return QString();
  const InspectorRow& row = Row(index);
  if (!row.event) return QString();
  if (objects_.size() > 1) return QStringLiteral("Procedurę zdarzenia tworzy się dla jednego obiektu.");
  report::TfrxReport& rep = document_.Report();
  // An event that has its handler shows it.
  if (const int existing = HandlerLine(index)) {
    if (line) *line = existing;
    return QString();
  }
  const QString name = handlerName(objects_.first()->Name(), row.caption);
  const QString path = row.path;
  for (const ScriptProcedure& procedure : scriptProcedures(rep.ScriptLanguage(), rep.ScriptText()))
    if (procedure.name.compare(name, Qt::CaseInsensitive) == 0) {
      // The procedure of that name is there already: it becomes the handler.
      const QString refusal = setProperty(path, procedure.name);
      if (refusal.isEmpty() && line) *line = procedure.line;
      return refusal;
    }
  const InsertedHandler inserted = insertHandler(rep.ScriptLanguage(), rep.ScriptText(), name, eventParameters(row.caption));
  const QStringList targets = names();
  try {
    std::unique_ptr<CommandGroup> group = CommandGroup::Build(QStringLiteral("Nowa procedura %1").arg(name), [&](CommandGroup& g) {
      g.Add(new ScriptTextCommand(rep, inserted.script));
      g.Add(new report::edit::SetPropertyCommand(rep, targets, path, name));
    });
    document_.Push(group.release());
  } catch (const ReportError& e) {
    return oneLine(e.message());
  }
  document_.EndGesture();
  Flush();
  if (line) *line = inserted.bodyLine;
  return QString();
}

// --- Following the document ------------------------------------------------------------

void InspectorModel::changed(const report::ReportChange& change) {
  using Kind = report::ReportChange::Kind;
  if (change.kind != Kind::Property) {
    if (change.kind == Kind::Removed && inspected_.contains(change.object)) {
      // Gone: nothing of it may be read again; the selection follows.
      objects_.clear();
      objectOwners_.clear();
      inspected_.clear();
      dirty_.insert(QStringLiteral("#reload"));
    }
    objectsDirty_ = true;
    scheduleFlush();
    return;
  }
  if (change.property.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) objectsDirty_ = true;
  if (!inspected_.contains(change.object)) {
    if (objectsDirty_) scheduleFlush();
    return;
  }
  dirty_.insert(change.property.toCaseFolded());
  scheduleFlush();
}

void InspectorModel::scheduleFlush() {
  if (flushQueued_) return;
  flushQueued_ = true;
  QMetaObject::invokeMethod(this, [this] { Flush(); }, Qt::QueuedConnection);
}

void InspectorModel::Flush() {
  flushQueued_ = false;
  if (objectsDirty_) {
    objectsDirty_ = false;
    emit objectsChanged();
  }
  if (dirty_.isEmpty()) return;
  if (dirty_.contains(QStringLiteral("#reload"))) {
    Reload();
    return;
  }
  QList<int> touched;
  // Nested objects may have been made again.
  ownerCache_.clear();
  ownerCached_.clear();
  if (dirty_.contains(QStringLiteral("*"))) {
    readAll();
    for (int i = 0; i < RowCount(); ++i) touched.append(i);
  } else {
    QSet<int> rows;
    bool unknown = false;
    for (const QString& path : std::as_const(dirty_)) {
      const int row = byPath_.value(path, -1);
      if (row < 0) {
        unknown = true;
        continue;
      }
      // The row, what it unfolds into and what shows it in a summary.
      QList<int> pending{row};
      while (!pending.isEmpty()) {
        const int r = pending.takeLast();
        rows.insert(r);
        pending.append(rows_[size_t(r)].children);
      }
      for (int up = rows_[size_t(row)].parent; up >= 0; up = rows_[size_t(up)].parent) rows.insert(up);
    }
    if (unknown) {
      // A change under another name (a text view's Text is its Memo).
      readAll();
      for (int i = 0; i < RowCount(); ++i) touched.append(i);
    } else {
      touched = QList<int>(rows.begin(), rows.end());
      std::sort(touched.begin(), touched.end());
      for (int r : touched) {
        if (IsShown(r))
          readValue(r);
        else
          rows_[size_t(r)].stale = true;
      }
    }
  }
  dirty_.clear();
  emit rowsChanged(touched);
}

}  // namespace valmoro::designer
