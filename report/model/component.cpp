#include "report/model/component.h"

#include <QSet>
#include <algorithm>

#include "report/model/changes.h"
#include "report/model/class_registry.h"
#include "report/model/dialog.h"
#include "report/model/page.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"
#include "report/model/serializer.h"

namespace valmoro::report {

namespace {

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool isValidIdentifier(const QString& name) {
  if (name.isEmpty() || (!isAsciiLetter(name[0]) && name[0] != u'_')) return false;
  for (QChar c : name)
    if (!isAsciiLetter(c) && c != u'_' && !(c >= u'0' && c <= u'9')) return false;
  return true;
}

NameIndex* indexOf(TfrxReport* report) {
  return report && report->Names().enabled() ? &report->Names() : nullptr;
}

}  // namespace

TfrxComponent::TfrxComponent(TfrxComponent* parent) : font_(new ReportFont(this)) {
  font_->SetChangeHandler([this] { OwnFontChanged(); });
  if (parent) SetParent(parent);
}

TfrxComponent::~TfrxComponent() {
  detachFromParent();
  DestroyChildren();
}

QString TfrxComponent::ClassName() const { return reportClassName(*metaObject()); }

// --- Naming ------------------------------------------------------------------

void TfrxComponent::Paint(gfx::Canvas&, const PaintContext&) {}

void TfrxComponent::SetName(const QString& name) {
  if (QString::compare(name, name_, Qt::CaseInsensitive) == 0) return;
  TfrxReport* report = Report();
  if (!name.isEmpty() && report) {
    const TfrxComponent* other = report->FindObject(name);
    if (other && other != this) throw ReportError(resources::text(u"prDupl"));
    if (ancestor_)
      throw ReportError(QStringLiteral("Could not rename ") + name_ +
                        QStringLiteral(", it was introduced in the ancestor report"));
  }
  if (!name.isEmpty() && !isValidIdentifier(name))
    throw ReportError(QStringLiteral("''") + name + QStringLiteral("'' is not a valid component name"));
  if (NameIndex* index = indexOf(report)) {
    index->remove(this, name_);
    index->add(this, name);
  }
  name_ = name;
}

QString TfrxComponent::NamePrefix() const { return ClassNameWithout(u"View"); }

QString TfrxComponent::ClassNameWithout(QStringView part) const {
  QString result = ClassName();
  for (QStringView removed : {QStringView(u"Tfrx"), part})
    if (const qsizetype at = result.indexOf(removed); at >= 0) result.remove(at, removed.size());
  return result;
}

QString TfrxComponent::KindCaption() const { return ClassName(); }

void TfrxComponent::CreateUniqueName() {
  const QString prefix = NamePrefix();
  if (NameIndex* index = indexOf(Report())) {
    SetName(index->uniqueName(prefix));
    return;
  }
  QSet<QString> taken;
  if (parent_)
    for (const TfrxComponent* object : parent_->AllObjects()) taken.insert(object->name_.toCaseFolded());
  for (int number = 1;; ++number) {
    const QString candidate = prefix + QString::number(number);
    if (!taken.contains(candidate.toCaseFolded())) {
      SetName(candidate);
      return;
    }
  }
}

// --- Tree --------------------------------------------------------------------

void TfrxComponent::SetParent(TfrxComponent* parent) {
  if (parent != parent_) {
    for (const TfrxComponent* p = parent; p; p = p->parent_)
      if (p == this) throw ReportError(QStringLiteral("An object cannot be placed inside itself"));
    TfrxReport* oldReport = Report();
    TfrxComponent* oldParent = parent_;
    if (parent_) parent_->objects_.removeOne(this);
    parent_ = parent;
    if (parent_) parent_->objects_.append(this);
    TfrxReport* newReport = Report();
    if (oldReport != newReport) {
      if (NameIndex* index = indexOf(oldReport)) index->removeSubtree(this);
      if (NameIndex* index = indexOf(newReport)) index->addSubtree(this);
    }
    changes::parentChanged(*this, oldParent, parent_);
  }
  if (parent_) SetParentFont(parentFont_);
}

int TfrxComponent::IndexInParent() const { return parent_ ? int(parent_->objects_.indexOf(this)) : -1; }

void TfrxComponent::SetIndexInParent(int index) {
  if (!parent_) return;
  QList<TfrxComponent*>& siblings = parent_->objects_;
  const qsizetype from = siblings.indexOf(this);
  const qsizetype to = std::clamp<qsizetype>(index, 0, siblings.size() - 1);
  if (from >= 0 && from != to) siblings.move(from, to);
}

void TfrxComponent::detachFromParent() {
  if (!parent_) return;
  if (NameIndex* index = indexOf(Report())) index->removeSubtree(this);
  parent_->objects_.removeOne(this);
  if (changes::observed()) {
    TfrxComponent* oldParent = parent_;
    parent_ = nullptr;
    changes::parentChanged(*this, oldParent, nullptr);
    parent_ = oldParent;
  }
  parent_ = nullptr;
}

QList<TfrxComponent*> TfrxComponent::AllObjects() const {
  QList<TfrxComponent*> all;
  collectAll(all);
  return all;
}

void TfrxComponent::collectAll(QList<TfrxComponent*>& into) const {
  for (TfrxComponent* child : objects_) {
    into.append(child);
    child->collectAll(into);
  }
}

TfrxPage* TfrxComponent::Page() const {
  for (const TfrxComponent* p = this; p; p = p->parent_)
    if (auto* page = qobject_cast<TfrxPage*>(const_cast<TfrxComponent*>(p))) return page;
  return nullptr;
}

TfrxReport* TfrxComponent::Report() const {
  for (const TfrxComponent* p = this; p; p = p->parent_)
    if (p->reportRoot_) return static_cast<TfrxReport*>(const_cast<TfrxComponent*>(p));
  return nullptr;
}

TfrxComponent* TfrxComponent::FindObject(const QString& name) const {
  // Unnamed objects are not indexed; a search for the empty name walks.
  if (!name.isEmpty())
    if (const NameIndex* index = indexOf(Report())) return index->find(name, this);
  return findObjectLinear(name);
}

TfrxComponent* TfrxComponent::findObjectLinear(const QString& name) const {
  for (TfrxComponent* child : objects_) {
    if (QString::compare(child->name_, name, Qt::CaseInsensitive) == 0) return child;
    if (TfrxComponent* found = child->findObjectLinear(name)) return found;
  }
  return nullptr;
}

void TfrxComponent::RemoveChildren() {
  NameIndex* index = indexOf(Report());
  QList<TfrxComponent*> children;
  children.swap(objects_);
  QList<TfrxComponent*> kept;
  for (TfrxComponent* child : children) {
    if (child->ancestor_) {
      child->RemoveChildren();
      kept.append(child);
      continue;
    }
    if (index) index->removeSubtree(child);
    child->parent_ = nullptr;
    delete child;
  }
  objects_ = kept + objects_;
}

void TfrxComponent::DestroyChildren() {
  if (objects_.isEmpty()) return;
  NameIndex* index = indexOf(Report());
  while (!objects_.isEmpty()) {
    QList<TfrxComponent*> children;
    children.swap(objects_);
    for (TfrxComponent* child : children) {
      if (index) index->removeSubtree(child);
      child->parent_ = nullptr;
      delete child;
    }
  }
}

// --- Bounds ------------------------------------------------------------------

// Restrictions hold against editing, not against reading: a document or an
// undo snapshot read into a designed object puts back what it says.
void TfrxComponent::SetLeft(double value) {
  if (designing_ && !loading_ && restrictions_.testFlag(rfDontMove)) return;
  left_ = value;
}

void TfrxComponent::SetTop(double value) {
  if (designing_ && !loading_ && restrictions_.testFlag(rfDontMove)) return;
  top_ = value;
}

void TfrxComponent::SetWidth(double value) {
  if (designing_ && !loading_ && restrictions_.testFlag(rfDontSize)) return;
  width_ = value;
}

void TfrxComponent::SetHeight(double value) {
  if (designing_ && !loading_ && restrictions_.testFlag(rfDontSize)) return;
  height_ = value;
}

void TfrxComponent::SetBounds(double left, double top, double width, double height) {
  SetLeft(left);
  SetTop(top);
  SetWidth(width);
  SetHeight(height);
}

// A dialog page is a window of its own: its position is on the screen, not
// part of its controls' position.
double TfrxComponent::AbsLeft() const {
  double result = left_;
  for (const TfrxComponent* p = parent_; p && !qobject_cast<const TfrxDialogPage*>(p); p = p->parent_)
    result += p->left_;
  return result;
}

double TfrxComponent::AbsTop() const {
  double result = top_;
  for (const TfrxComponent* p = parent_; p && !qobject_cast<const TfrxDialogPage*>(p); p = p->parent_)
    result += p->top_;
  return result;
}

QRectF TfrxComponent::AbsoluteBounds() const {
  const double left = AbsLeft();
  const double top = AbsTop();
  return QRectF(QPointF(left, top), QPointF(left + width_, top + height_));
}

// --- Font --------------------------------------------------------------------

void TfrxComponent::SetFont(const ReportFont* font) {
  if (!font) return;
  font_->AssignQuietly(*font);
  OwnFontChanged();
}

void TfrxComponent::SetParentFont(bool value) {
  if (value && parent_) {
    font_->AssignQuietly(*parent_->font_);
    propagateFontToChildren();
  }
  parentFont_ = value;
}

void TfrxComponent::OwnFontChanged() {
  parentFont_ = false;
  propagateFontToChildren();
}

// Children that follow this object's font take it, and so on downwards.
void TfrxComponent::propagateFontToChildren() {
  for (TfrxComponent* child : objects_) {
    if (!child->parentFont_) continue;
    child->font_->AssignQuietly(*font_);
    child->propagateFontToChildren();
  }
}

// --- Designer, copying, storage ----------------------------------------------

void TfrxComponent::DesignCreate(int) { designing_ = true; }

// Copies and storage go through the document format: what a copy takes is
// exactly what a document keeps.
void TfrxComponent::Assign(const TfrxComponent* source) {
  if (source) copyThroughDocument(*this, *source, false);
}

void TfrxComponent::AssignWithChildren(const TfrxComponent* source) {
  if (source) copyThroughDocument(*this, *source, true);
}

void TfrxComponent::SaveToStream(QIODevice& stream, bool saveChildren) const {
  writeDocument(*this, stream, saveChildren);
}

void TfrxComponent::ReadFromStream(QIODevice& stream) {
  RemoveChildren();
  readDocument(*this, stream);
}

void TfrxComponent::WriteExtraData(stream::ComponentWriter&) const {}

bool TfrxComponent::ReadExtraData(const QString&, stream::ComponentReader&) { return false; }

// --- Report components -------------------------------------------------------

void TfrxReportComponent::SaveDesignState() { savedBounds_ = QRectF(Left(), Top(), Width(), Height()); }

void TfrxReportComponent::RestoreDesignState() {
  SetLeft(savedBounds_.left());
  SetTop(savedBounds_.top());
  SetWidth(savedBounds_.width());
  SetHeight(savedBounds_.height());
}

}  // namespace valmoro::report
