#pragma once
// The base of every report object. A report is a tree of these rooted in one
// TfrxReport: each object is owned by its parent, keeps its children in order
// and is known in its report by a unique name.
//
// Published properties are Qt properties; see published.h for how documents
// and scripts enumerate them with their defaults and stored conditions. The
// tree parent is Parent(), not QObject::parent(): the latter owns the nested
// value objects (font, frame ...).

#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>

#include "report/model/enums.h"
#include "report/model/paint_context.h"
#include "report/model/report_font.h"
#include "report/model/units.h"

class QIODevice;

namespace valmoro::gfx {
class Canvas;
}  // namespace valmoro::gfx

namespace valmoro::stream {
class ComponentWriter;
class ComponentReader;
}  // namespace valmoro::stream

namespace valmoro::report {

class TfrxPage;
class TfrxReport;

class TfrxComponent : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(int Tag READ Tag WRITE SetTag)
  // Defaults and stored conditions of the properties below, for every class
  // that publishes them.
  Q_CLASSINFO("default:Tag", "0")
  Q_CLASSINFO("default:Visible", "true")
  Q_CLASSINFO("default:ParentFont", "true")
  Q_CLASSINFO("default:Restrictions", "")
  Q_CLASSINFO("stored:Font", "IsFontStored")

public:
  // The new object is appended to the parent's Objects.
  explicit TfrxComponent(TfrxComponent* parent = nullptr);
  ~TfrxComponent() override;
  TfrxComponent(const TfrxComponent&) = delete;
  TfrxComponent& operator=(const TfrxComponent&) = delete;

  // The class name documents and scripts use ("TfrxMemoView").
  QString ClassName() const;

  // --- Naming ---------------------------------------------------------------
  const QString& Name() const { return name_; }
  // Throws ReportError for a name taken in the report, a renamed ancestor
  // object or an invalid identifier; a change of letter case only is ignored.
  virtual void SetName(const QString& name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  // The class name without "Tfrx" and "View" ("Memo" for TfrxMemoView).
  virtual QString NamePrefix() const;
  // The caption of the object's kind shown by the designer.
  virtual QString KindCaption() const;
  // Names the object NamePrefix followed by the smallest number not taken in
  // the report (or, outside a report, among the parent's descendants).
  void CreateUniqueName();

  // --- Tree -----------------------------------------------------------------
  TfrxComponent* Parent() const { return parent_; }
  // Moves the object to the end of the new parent's Objects (no change when
  // the parent stays) and applies ParentFont again. Throws ReportError when
  // the new parent is the object itself or one of its descendants.
  virtual void SetParent(TfrxComponent* parent);
  const QList<TfrxComponent*>& Objects() const { return objects_; }
  // Where the object stands among its parent's children (the order they are
  // drawn, stored and walked in); -1 without a parent. Setting it moves the
  // object there, clamped to the list.
  int IndexInParent() const;
  void SetIndexInParent(int index);
  // Every descendant, depth first, each parent before its children.
  QList<TfrxComponent*> AllObjects() const;
  // The nearest TfrxPage among the object and its ancestors, or none.
  TfrxPage* Page() const;
  // The nearest TfrxReport among the object and its ancestors, or none.
  TfrxReport* Report() const;
  // The first of AllObjects named so, ignoring letter case; none when absent.
  TfrxComponent* FindObject(const QString& name) const;
  // Frees every child in order; a child that came from an ancestor report
  // stays, with its own children removed.
  virtual void RemoveChildren();

  // --- Bounds ---------------------------------------------------------------
  // Pixels; Left and Top relative to the parent. While designing, moving and
  // sizing honour rfDontMove and rfDontSize.
  double Left() const { return left_; }
  double Top() const { return top_; }
  double Width() const { return width_; }
  double Height() const { return height_; }
  virtual void SetLeft(double value);
  virtual void SetTop(double value);
  virtual void SetWidth(double value);
  virtual void SetHeight(double value);
  void SetBounds(double left, double top, double width, double height);
  // Position on the page: Left plus the parents' Left, up to an object
  // without parent or whose parent is a dialog page.
  double AbsLeft() const;
  double AbsTop() const;
  // AbsLeft, AbsTop, AbsLeft + Width, AbsTop + Height.
  QRectF AbsoluteBounds() const;
  // Moves aligned child views into place (see the Align property of views).
  virtual void ArrangeAlignedChildren();

  // --- Font and visibility --------------------------------------------------
  ReportFont* Font() const { return font_; }
  // Copies the font and makes it the object's own (ParentFont false).
  virtual void SetFont(const ReportFont* font);
  bool ParentFont() const { return parentFont_; }
  // True copies the parent's font.
  virtual void SetParentFont(bool value);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool value) { visible_ = value; }
  TfrxRestrictions Restrictions() const { return restrictions_; }
  void SetRestrictions(TfrxRestrictions value) { restrictions_ = value; }
  Q_INVOKABLE bool IsFontStored() const { return !parentFont_; }

  // --- State ----------------------------------------------------------------
  // Being edited in the designer: only then do Restrictions apply.
  // --- Drawing ----------------------------------------------------------------
  // Draws the object on a canvas: device pixels = offset + scale × report
  // pixels, both from the context, which also says what the output allows;
  // no flag is set on the object for it. Objects that show nothing on paper
  // (bands, pages) draw nothing.
  virtual void Paint(gfx::Canvas& canvas, const PaintContext& context);

  bool IsDesigning() const { return designing_; }
  void SetDesigning(bool value) { designing_ = value; }
  // Being read from a document.
  bool IsLoading() const { return loading_; }
  void SetLoading(bool value) { loading_ = value; }
  // Came from an ancestor report: cannot be renamed, survives RemoveChildren.
  bool IsAncestor() const { return ancestor_; }
  void SetAncestor(bool value) { ancestor_ = value; }
  // Reaches the prepared pages (false for subreports and dialog components).
  bool IsPreviewVisible() const { return previewVisible_; }
  // Prepared pages store the object with all its attributes rather than its
  // differences (views other than text, line, picture and shape views).
  bool HasWholeAttributes() const { return wholeAttributes_; }

  // Initialisation of an object the designer creates; flag is the designer's
  // creation flag (line kind, shape kind).
  virtual void DesignCreate(int flag);

  // --- Copying and storage (through the document format, see hooks.h) ------
  // Copies the source's properties, without or with its children.
  void Assign(const TfrxComponent* source);
  void AssignWithChildren(const TfrxComponent* source);
  void SaveToStream(QIODevice& stream, bool saveChildren = true) const;
  // Removes the children, then reads the object and its children.
  void ReadFromStream(QIODevice& stream);
  // Data beside the published properties (the report's lists); none here.
  // Reading takes one named item of it; false when the name is not ours.
  virtual void WriteExtraData(stream::ComponentWriter& out) const;
  virtual bool ReadExtraData(const QString& name, stream::ComponentReader& in);
  // Drops that data before it is read again as a whole.
  virtual void ClearExtraData() {}
  // Runs once a document's whole tree has been read and its references
  // resolved (not for the report itself).
  virtual void Loaded() {}
  // The compact attribute text of prepared pages: the parts (l, t, w, h,
  // Visible, Font.*, ...) in which this object differs from reference, an
  // object of the same class. Defined with the document format.
  virtual QString DiffAttributes(const TfrxComponent& reference) const;

protected:
  // The object's own font changed: it no longer follows the parent, and the
  // children that follow it get the new font.
  virtual void OwnFontChanged();
  void SetPreviewVisible(bool value) { previewVisible_ = value; }
  void SetWholeAttributes(bool value) { wholeAttributes_ = value; }
  // The class name without its first "Tfrx" and its first occurrence of part.
  QString ClassNameWithout(QStringView part) const;
  // For TfrxReport, the root that holds the name index; unmarked once its
  // children are gone, as the report part of the object is then destroyed.
  void MarkAsReportRoot(bool value) { reportRoot_ = value; }
  // Frees every child; used by destructors that must do it early.
  void DestroyChildren();

private:
  friend class NameIndex;
  void detachFromParent();
  void propagateFontToChildren();
  TfrxComponent* findObjectLinear(const QString& name) const;
  void collectAll(QList<TfrxComponent*>& into) const;

  QString name_;
  int tag_ = 0;
  TfrxComponent* parent_ = nullptr;
  QList<TfrxComponent*> objects_;
  double left_ = 0;
  double top_ = 0;
  double width_ = 0;
  double height_ = 0;
  ReportFont* font_;
  bool parentFont_ = true;
  bool visible_ = true;
  TfrxRestrictions restrictions_;
  bool designing_ = false;
  bool loading_ = false;
  bool ancestor_ = false;
  bool previewVisible_ = true;
  bool wholeAttributes_ = false;
  bool reportRoot_ = false;
};

// An object placed on a page: it takes part in preparation, which saves its
// design state before output and restores it afterwards.
class TfrxReportComponent : public TfrxComponent {
  Q_OBJECT
public:
  explicit TfrxReportComponent(TfrxComponent* parent = nullptr) : TfrxComponent(parent) {}

  QString Description() const { return description_; }
  void SetDescription(const QString& text) { description_ = text; }

  // Output hooks of the engine: remember the bounds, take the data to show,
  // put the remembered bounds back.
  virtual void SaveDesignState();
  virtual void FetchData() {}
  virtual void RestoreDesignState();

private:
  QString description_;
  QRectF savedBounds_;
};

}  // namespace valmoro::report
