#include "report/model/edit/commands.h"

#include <QBuffer>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <memory>

#include "platform/locale.h"
#include "report/model/changes.h"
#include "report/model/class_registry.h"
#include "report/model/component.h"
#include "report/model/edit/snapshot.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/serializer.h"

namespace valmoro::report::edit {

namespace {

QString joined(const QStringList& names) {
  return names.size() <= 3 ? names.join(QStringLiteral(", ")) : QStringLiteral("%1 obiekty").arg(names.size());
}

// The descendant at a path of child indexes (the object itself for none).
TfrxComponent* descendant(TfrxComponent& object, const QList<int>& path) {
  TfrxComponent* at = &object;
  for (int index : path) {
    if (index < 0 || index >= at->Objects().size()) return nullptr;
    at = at->Objects().at(index);
  }
  return at;
}

// A name like the ones the designer gives new objects, free in the report
// and among `taken`.
QString freeName(const TfrxReport& report, const QString& className, QSet<QString>& taken) {
  std::unique_ptr<TfrxComponent> probe(createObject(className, nullptr));
  const QString prefix = probe ? probe->NamePrefix() : QStringLiteral("Obiekt");
  for (int number = 1;; ++number) {
    const QString candidate = prefix + QString::number(number);
    if (!taken.contains(candidate.toCaseFolded()) && report.FindObject(candidate) == nullptr) {
      taken.insert(candidate.toCaseFolded());
      return candidate;
    }
  }
}

// Names in the pasted tree that the report (or the paste itself) already
// has are replaced by free ones.
void renameTaken(const TfrxReport& report, TfrxXMLItem& element, QSet<QString>& taken) {
  const QString name = element.Prop(QStringLiteral("Name"));
  if (name.isEmpty() || report.FindObject(name) != nullptr || taken.contains(name.toCaseFolded()))
    element.SetProp(QStringLiteral("Name"), freeName(report, element.Name, taken));
  else
    taken.insert(name.toCaseFolded());
  for (int i = 0; i < element.Count(); ++i) renameTaken(report, *element.Items(i), taken);
}

void moveBy(TfrxXMLItem& element, const TfrxReport& report, QPointF offset) {
  if (offset.isNull()) return;
  std::unique_ptr<TfrxComponent> probe(createObject(element.Name, nullptr));
  if (!probe) return;
  TfrxXMLSerializer serializer(const_cast<TfrxReport*>(&report));
  serializer.XMLToObj(element.Text, *probe);
  probe->SetLeft(probe->Left() + offset.x());
  probe->SetTop(probe->Top() + offset.y());
  TfrxXMLSerializer writer(const_cast<TfrxReport*>(&report));
  writer.WriteDefaults = true;
  const QString name = element.Prop(QStringLiteral("Name"));
  element.Text = writer.ObjToXML(*probe);
  element.SetProp(QStringLiteral("Name"), name);
}

// The listed objects without those inside another listed one, in document
// order.
QList<TfrxComponent*> outermost(const TfrxReport& report, const QStringList& names) {
  QSet<TfrxComponent*> listed;
  for (const QString& name : names) listed.insert(&objectNamed(report, name));
  QList<TfrxComponent*> result;
  for (TfrxComponent* object : report.AllObjects()) {
    if (!listed.contains(object)) continue;
    bool inside = false;
    for (TfrxComponent* p = object->Parent(); p && !inside; p = p->Parent()) inside = listed.contains(p);
    if (!inside) result.append(object);
  }
  return result;
}

// The bounds by name without regard to case (the last given for a name wins).
QHash<QString, QRectF> boundsByName(const QList<QPair<QString, QRectF>>& bounds) {
  QHash<QString, QRectF> byName;
  byName.reserve(bounds.size());
  for (const auto& [name, r] : bounds) byName.insert(name.toCaseFolded(), r);
  return byName;
}

// The attributes of a snapshot text (Name="v" Left="10" …) as its pieces,
// each with its name; empty when the text does not read as such.
struct Attribute {
  QStringView name, whole;
};
std::vector<Attribute> splitAttributes(QStringView text) {
  std::vector<Attribute> attributes;
  qsizetype at = 0;
  const qsizetype size = text.size();
  while (at < size) {
    while (at < size && text[at] == QLatin1Char(' ')) ++at;
    if (at >= size) break;
    const qsizetype equals = text.indexOf(QLatin1String("=\""), at);
    if (equals < 0) return {};
    const qsizetype close = text.indexOf(QLatin1Char('"'), equals + 2);
    if (close < 0) return {};
    attributes.push_back({text.mid(at, equals - at), text.mid(at, close + 1 - at)});
    at = close + 1;
  }
  return attributes;
}

// The attributes of `mine` whose values differ from `other`'s; a null text
// when the two do not list the same attributes in the same order (then
// everything is put back).
QString differingAttributes(const QString& mine, const QString& other) {
  const std::vector<Attribute> a = splitAttributes(mine), b = splitAttributes(other);
  if (a.size() != b.size() || (a.empty() && !mine.trimmed().isEmpty())) return QString();
  QString delta = QStringLiteral("");  // empty, not null: nothing differs
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name) return QString();
    if (a[i].whole == b[i].whole) continue;
    if (!delta.isEmpty()) delta += QLatin1Char(' ');
    delta += a[i].whole;
  }
  return delta;
}

}  // namespace

// --- Changes of properties --------------------------------------------------------

ChangeCommand::ChangeCommand(TfrxReport& report, const QString& text, const QStringList& names,
                             const std::function<void(TfrxComponent&)>& change)
    : EditCommand(report, text) {
  make(names, change);
}

void ChangeCommand::make(const QStringList& names, const std::function<void(TfrxComponent&)>& change) {
  TfrxReport& report = report_;
  if (names.isEmpty()) throw ReportError(QStringLiteral("Nie wybrano żadnego obiektu."));
  // A trial: made and undone here, told to no one.
  const changes::Silence silence;
  std::vector<State> before;
  for (const QString& name : names) before.push_back(capture(objectNamed(report, name)));
  std::vector<State> after;
  try {
    for (const State& state : before) {
      TfrxComponent& object = objectNamed(report, state.name);
      change(object);
      after.push_back(capture(object));
    }
  } catch (...) {
    // Put back what was changed, the failing object included (found by the
    // name it had, as it was not renamed).
    const size_t touched = std::min(after.size() + 1, before.size());
    std::vector<State> changed(before.begin(), before.begin() + qsizetype(touched));
    std::vector<State> from = after;
    if (touched > after.size()) from.push_back(before[after.size()]);
    put(changed, from);
    throw;
  }
  computeDeltas(before, after);
  put(before, after);
  before_ = std::move(before);
  after_ = std::move(after);
}

void ChangeCommand::computeDeltas(std::vector<State>& before, std::vector<State>& after) {
  for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
    std::vector<State::Part>& a = before[i].parts;
    std::vector<State::Part>& b = after[i].parts;
    const bool aligned = a.size() == b.size();
    for (size_t k = 0; k < a.size(); ++k) {
      if (aligned && a[k].path == b[k].path) {
        a[k].delta = differingAttributes(a[k].attributes, b[k].attributes);
        b[k].delta = differingAttributes(b[k].attributes, a[k].attributes);
      } else {
        a[k].delta = QString();
      }
    }
    if (!aligned)
      for (State::Part& part : b) part.delta = QString();
  }
}

ChangeCommand::State ChangeCommand::capture(const TfrxComponent& object) {
  State state;
  state.name = object.Name();
  std::vector<std::pair<QList<int>, const TfrxComponent*>> stack{{{}, &object}};
  while (!stack.empty()) {
    auto [path, at] = stack.back();
    stack.pop_back();
    state.parts.push_back({path, at->Name(), attributesOf(*at), QString()});
    for (int i = int(at->Objects().size()) - 1; i >= 0; --i) {
      QList<int> childPath = path;
      childPath.append(i);
      stack.emplace_back(childPath, at->Objects().at(i));
    }
  }
  return state;
}

void ChangeCommand::put(const std::vector<State>& states, const std::vector<State>& from) {
  for (size_t i = 0; i < states.size(); ++i) {
    TfrxComponent& object = objectNamed(report_, from[i].name);
    for (const State::Part& part : states[i].parts) {
      TfrxComponent* at = descendant(object, part.path);
      if (at == nullptr) continue;
      // The attribute text leaves the name out.
      if (at->Name() != part.name) at->SetName(part.name);
      if (part.delta.isNull()) restoreAttributes(*at, part.attributes);
      else if (!part.delta.isEmpty()) restoreAttributes(*at, part.delta);
    }
  }
}

void ChangeCommand::redo() { put(after_, before_); }

void ChangeCommand::undo() { put(before_, after_); }

QStringList ChangeCommand::Names() const {
  QStringList names;
  for (const State& state : after_) names.append(state.name);
  return names;
}

bool ChangeCommand::absorb(const ChangeCommand& next) {
  if (next.before_.size() != after_.size()) return false;
  for (size_t i = 0; i < after_.size(); ++i)
    if (after_[i].name != next.before_[i].name) return false;
  after_ = next.after_;
  computeDeltas(before_, after_);
  return true;
}

SetPropertyCommand::SetPropertyCommand(TfrxReport& report, const QStringList& names, const QString& property,
                                       const QString& value)
    : ChangeCommand(report, QStringLiteral("Zmiana %1: %2").arg(property, joined(names)), names,
                    [&](TfrxComponent& object) {
                      TfrxXMLSerializer reader(&report);
                      object.SetLoading(true);
                      reader.XMLToObj(property + QStringLiteral("=\"") + frxEscape(value) + QLatin1Char('"'),
                                      object);
                      object.SetLoading(false);
                      if (!reader.Errors().isEmpty()) throw ReportError(reader.Errors().join(QLatin1Char('\n')));
                    }),
      property_(property) {}

bool SetPropertyCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const SetPropertyCommand*>(other);
  return !IsSealed() && next != nullptr && next->property_ == property_ && absorb(*next);
}

SetBoundsCommand::SetBoundsCommand(TfrxReport& report, const QList<QPair<QString, QRectF>>& bounds)
    : ChangeCommand(report, QStringLiteral("Przesunięcie")) {
  QStringList names;
  names.reserve(bounds.size());
  bool resized = false;
  for (const auto& [name, r] : bounds) {
    names.append(name);
    const TfrxComponent& object = objectNamed(report, name);
    if (object.Width() != r.width() || object.Height() != r.height()) resized = true;
  }
  if (resized) {
    setText(QStringLiteral("Zmiana rozmiaru"));
    make(names, [&, byName = boundsByName(bounds)](TfrxComponent& object) {
      const auto found = byName.constFind(object.Name().toCaseFolded());
      if (found == byName.constEnd()) return;
      const QRectF& r = *found;
      if (r.width() < 0 || r.height() < 0)
        throw ReportError(QStringLiteral("Wymiary obiektu %1 nie mogą być ujemne.").arg(object.Name()));
      const bool sized = object.Width() != r.width() || object.Height() != r.height();
      object.SetBounds(r.left(), r.top(), r.width(), r.height());
      // Views kept at a side or filling the object follow it.
      if (sized) object.ArrangeAlignedChildren();
    });
    return;
  }
  // A move changes nothing but the objects' Left and Top (their children
  // are placed relative to them): the states hold only those, so a move of
  // a thousand views costs no thousand whole snapshots.
  if (names.isEmpty()) throw ReportError(QStringLiteral("Nie wybrano żadnego obiektu."));
  const changes::Silence silence;
  auto position = [](const TfrxComponent& object) {
    return QStringLiteral("Left=\"%1\" Top=\"%2\"")
        .arg(locale::formatFloatGeneral(object.Left()), locale::formatFloatGeneral(object.Top()));
  };
  const QHash<QString, QRectF> byName = boundsByName(bounds);
  std::vector<State> before, after;
  before.reserve(size_t(names.size()));
  after.reserve(size_t(names.size()));
  for (const QString& name : names) {
    TfrxComponent& object = objectNamed(report, name);
    before.push_back({object.Name(), {{{}, object.Name(), position(object), QString()}}});
    const QRectF& r = *byName.constFind(name.toCaseFolded());
    // Set as the user sets it: a position locked against moving stays.
    object.SetLeft(r.left());
    object.SetTop(r.top());
    after.push_back({object.Name(), {{{}, object.Name(), position(object), QString()}}});
  }
  computeDeltas(before, after);
  put(before, after);
  before_ = std::move(before);
  after_ = std::move(after);
}

bool SetBoundsCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const SetBoundsCommand*>(other);
  return !IsSealed() && next != nullptr && next->text() == text() && absorb(*next);
}

// --- Insert, delete, reparent --------------------------------------------------------

InsertCommand::InsertCommand(TfrxReport& report, const QString& className, const QString& parentName,
                             const QRectF& bounds, std::optional<int> flag)
    : EditCommand(report, QString()) {
  const changes::Silence silence;
  TfrxComponent& parent = objectNamed(report, parentName);
  TfrxComponent* object =
      flag ? createObjectForDesigner(className, &parent, *flag) : createObject(className, &parent);
  if (object == nullptr) throw ReportError(QStringLiteral("Nieznana klasa obiektu: %1").arg(className));
  object->CreateUniqueName();
  object->SetBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
  parent_ = parent.Name();
  index_ = object->IndexInParent();
  name_ = object->Name();
  created_ = subtreeOf(*object);
  delete object;
  setText(QStringLiteral("Wstawienie %1").arg(name_));
}

void InsertCommand::redo() { rebuild(*created_, objectNamed(report_, parent_), index_); }

void InsertCommand::undo() { delete &objectNamed(report_, name_); }

DeleteCommand::DeleteCommand(TfrxReport& report, const QStringList& names) : EditCommand(report, QString()) {
  for (TfrxComponent* object : outermost(report, names)) {
    if (object->Parent() == nullptr) throw ReportError(QStringLiteral("Raportu nie można usunąć."));
    deleted_.push_back({object->Name(), object->Parent()->Name(), object->IndexInParent(), subtreeOf(*object)});
  }
  if (deleted_.empty()) throw ReportError(QStringLiteral("Nie wybrano żadnego obiektu."));
  QStringList gone;
  for (const Deleted& d : deleted_) gone.append(d.name);
  setText(QStringLiteral("Usunięcie %1").arg(joined(gone)));
}

void DeleteCommand::redo() {
  for (const Deleted& d : deleted_) delete &objectNamed(report_, d.name);
}

void DeleteCommand::undo() {
  // In document order, so that every index is the one it was.
  for (const Deleted& d : deleted_) rebuild(*d.subtree, objectNamed(report_, d.parent), d.index);
}

ReparentCommand::ReparentCommand(TfrxReport& report, const QString& name, const QString& newParentName)
    : EditCommand(report, QString()) {
  TfrxComponent& object = objectNamed(report, name);
  TfrxComponent& target = objectNamed(report, newParentName);
  if (object.Parent() == nullptr) throw ReportError(QStringLiteral("Raportu nie można przenieść."));
  for (const TfrxComponent* p = &target; p; p = p->Parent())
    if (p == &object) throw ReportError(QStringLiteral("Obiektu %1 nie można umieścić w nim samym.").arg(name));
  name_ = object.Name();
  oldParent_ = object.Parent()->Name();
  newParent_ = target.Name();
  oldIndex_ = object.IndexInParent();
  oldPosition_ = QPointF(object.Left(), object.Top());
  // Where it stands on the page stays: its position becomes relative to
  // the new parent.
  newPosition_ = QPointF(object.AbsLeft() - target.AbsLeft(), object.AbsTop() - target.AbsTop());
  setText(QStringLiteral("Przeniesienie %1 do %2").arg(name_, newParent_));
}

void ReparentCommand::redo() {
  TfrxComponent& object = objectNamed(report_, name_);
  object.SetParent(&objectNamed(report_, newParent_));
  object.SetLeft(newPosition_.x());
  object.SetTop(newPosition_.y());
}

void ReparentCommand::undo() {
  TfrxComponent& object = objectNamed(report_, name_);
  object.SetParent(&objectNamed(report_, oldParent_));
  object.SetIndexInParent(oldIndex_);
  object.SetLeft(oldPosition_.x());
  object.SetTop(oldPosition_.y());
}

MoveChildCommand::MoveChildCommand(TfrxReport& report, const QString& name, int index)
    : EditCommand(report, QString()) {
  TfrxComponent& object = objectNamed(report, name);
  if (object.Parent() == nullptr) throw ReportError(QStringLiteral("Raportu nie można przenieść."));
  name_ = object.Name();
  oldIndex_ = object.IndexInParent();
  newIndex_ = std::clamp(index, 0, int(object.Parent()->Objects().size()) - 1);
  setText(QStringLiteral("Zmiana kolejności %1").arg(name_));
}

void MoveChildCommand::redo() { moveTo(newIndex_); }

void MoveChildCommand::undo() { moveTo(oldIndex_); }

void MoveChildCommand::moveTo(int index) {
  TfrxComponent& object = objectNamed(report_, name_);
  const int was = object.IndexInParent();
  if (was == index) return;
  object.SetIndexInParent(index);
  // No published property holds the order: it is told under the name of
  // the accessor, as the stacking order is, so that views of the tree and
  // the page follow.
  changes::propertyChanged(object, QStringLiteral("IndexInParent"), was, index);
}

// --- Clipboard ----------------------------------------------------------------------

QString CopyAsXml(const TfrxReport& report, const QStringList& names) {
  TfrxXMLDocument document;
  document.Root()->Name = QStringLiteral("Clipboard");
  for (TfrxComponent* object : outermost(report, names)) document.Root()->AddItem(subtreeOf(*object));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  document.SaveToStream(buffer);
  return QString::fromUtf8(buffer.data());
}

PasteCommand::PasteCommand(TfrxReport& report, const QString& xml, const QString& parentName, QPointF offset)
    : EditCommand(report, QString()) {
  parent_ = objectNamed(report, parentName).Name();
  TfrxXMLDocument document;
  QByteArray bytes = xml.toUtf8();
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  try {
    document.LoadFromStream(buffer);
  } catch (const ReportError&) {
    throw ReportError(QStringLiteral("Schowek nie zawiera obiektów raportu."));
  }
  const TfrxXMLItem* root = document.Root();
  if (root == nullptr || root->Name != QLatin1String("Clipboard") || root->Count() == 0)
    throw ReportError(QStringLiteral("Schowek nie zawiera obiektów raportu."));
  QSet<QString> taken;
  for (int i = 0; i < root->Count(); ++i) {
    std::unique_ptr<TfrxXMLItem> element = copyOf(*root->Items(i));
    if (findClass(element->Name) == nullptr)
      throw ReportError(QStringLiteral("Nieznana klasa obiektu: %1").arg(element->Name));
    renameTaken(report, *element, taken);
    moveBy(*element, report, offset);
    names_.append(element->Prop(QStringLiteral("Name")));
    pasted_.push_back(std::move(element));
  }
  setText(QStringLiteral("Wklejenie %1").arg(joined(names_)));
}

void PasteCommand::redo() {
  TfrxComponent& parent = objectNamed(report_, parent_);
  for (const auto& element : pasted_) rebuild(*element, parent);
}

void PasteCommand::undo() {
  for (const QString& name : names_) delete &objectNamed(report_, name);
}

}  // namespace valmoro::report::edit
