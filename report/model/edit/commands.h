#pragma once
// Edits of a report as undoable commands, without any window: the designer's
// workspace, inspector and trees push them on a QUndoStack, tests run them
// directly. Objects are addressed by name, so a command stays valid when
// the objects it touched were deleted and rebuilt by undoing other edits.
//
// Every command checks its input and makes its change once in its
// constructor, then puts the objects back: a bad name, property or value
// throws ReportError there (with a Polish message) and nothing is pushed.
// redo() and undo() then only put back snapshots taken of the objects
// (everything they hold, as the document format writes it).

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QUndoCommand>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "report/model/report_xml.h"

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
}  // namespace valmoro::report

namespace valmoro::report::edit {

class EditCommand : public QUndoCommand {
public:
  TfrxReport& Report() const { return report_; }
  // Ends merging: the next command, even of the same kind and objects,
  // becomes a step of its own (a drag ended, another field typed into).
  void Seal() { sealed_ = true; }
  bool IsSealed() const { return sealed_; }

protected:
  EditCommand(TfrxReport& report, const QString& text) : report_(report) { setText(text); }
  TfrxReport& report_;

private:
  bool sealed_ = false;
};

// A change of the properties of some objects (and of what their children
// hold, which a band's new height may move), kept as before and after
// snapshots.
class ChangeCommand : public EditCommand {
public:
  // `change` is applied to every named object once, here; it may throw.
  ChangeCommand(TfrxReport& report, const QString& text, const QStringList& names,
                const std::function<void(TfrxComponent&)>& change);
  void redo() override;
  void undo() override;
  // The objects' names after the change (a new Name included).
  QStringList Names() const;

protected:
  // For kinds that take their states in a way of their own (make() or
  // their own snapshots).
  ChangeCommand(TfrxReport& report, const QString& text) : EditCommand(report, text) {}
  // Applies `change` to every named object, keeps the states before and
  // after and puts the objects back as they were.
  void make(const QStringList& names, const std::function<void(TfrxComponent&)>& change);
  struct State {
    QString name;
    // The object and each of its descendants, by path of child indexes
    // from the object: its name and an attribute snapshot.
    struct Part {
      QList<int> path;
      QString name, attributes;
      // What of `attributes` differs from the other state of the same
      // command (in document order), so that putting it back touches only
      // that; a null text puts back all of `attributes`.
      QString delta;
    };
    std::vector<Part> parts;
  };
  static State capture(const TfrxComponent& object);
  // Fills the deltas of both states against each other (after a change
  // or a merge).
  static void computeDeltas(std::vector<State>& before, std::vector<State>& after);
  // Puts the objects (found by the names in `from`) back into `states`.
  void put(const std::vector<State>& states, const std::vector<State>& from);
  // Takes over the outcome of a next change of the same objects (a merge):
  // false when it changed other objects.
  bool absorb(const ChangeCommand& next);
  // Each named object before and after the change, in the order named.
  std::vector<State> before_, after_;
};

// One property of one or more objects set to a value written as the
// document writes it: "Font.Height" = "-13", "HAlign" = "haRight",
// "Frame.Typ" = "15", "DataSet" = "Wpisy", "Text" = "[Wpisy.\"Punkt\"]".
class SetPropertyCommand : public ChangeCommand {
public:
  SetPropertyCommand(TfrxReport& report, const QStringList& names, const QString& property, const QString& value);
  // Typing into one field: the next value of the same property of the same
  // objects replaces this one's instead of adding a step.
  int id() const override { return 1; }
  bool mergeWith(const QUndoCommand* other) override;
  const QString& Property() const { return property_; }

private:
  QString property_;
};

// Objects moved or resized: the new bounds (left, top, width, height in
// report pixels, relative to each object's parent) by name.
class SetBoundsCommand : public ChangeCommand {
public:
  SetBoundsCommand(TfrxReport& report, const QList<QPair<QString, QRectF>>& bounds);
  // A drag is one step: further moves of the same objects merge into it.
  int id() const override { return 2; }
  bool mergeWith(const QUndoCommand* other) override;
};

// A new object of a registered class under a parent, at given bounds; it
// takes a new unique name (InsertedName()). With a creation flag it is made
// as the designer makes it (DesignCreate: the line or shape kind); without
// one, as a document reader would.
class InsertCommand : public EditCommand {
public:
  InsertCommand(TfrxReport& report, const QString& className, const QString& parentName, const QRectF& bounds,
                std::optional<int> flag = std::nullopt);
  void redo() override;
  void undo() override;
  const QString& InsertedName() const { return name_; }

private:
  QString parent_;
  int index_ = -1;
  QString name_;
  std::unique_ptr<TfrxXMLItem> created_;
};

// Objects deleted with their children; an object whose parent is deleted
// too goes with it.
class DeleteCommand : public EditCommand {
public:
  DeleteCommand(TfrxReport& report, const QStringList& names);
  void redo() override;
  void undo() override;

private:
  struct Deleted {
    QString name, parent;
    int index = -1;
    std::unique_ptr<TfrxXMLItem> subtree;
  };
  std::vector<Deleted> deleted_;  // in document order
};

// An object moved under another parent (a view into another band); it
// keeps its place on the page and goes last among the new parent's
// children.
class ReparentCommand : public EditCommand {
public:
  ReparentCommand(TfrxReport& report, const QString& name, const QString& newParentName);
  void redo() override;
  void undo() override;

private:
  QString name_, oldParent_, newParent_;
  int oldIndex_ = -1;
  QPointF oldPosition_, newPosition_;
};

// An object moved to another place among its parent's children (the order
// they are drawn, stored and walked in): it ends at `index`, clamped to the
// list, the others keeping their order.
class MoveChildCommand : public EditCommand {
public:
  MoveChildCommand(TfrxReport& report, const QString& name, int index);
  void redo() override;
  void undo() override;
  int NewIndex() const { return newIndex_; }

private:
  void moveTo(int index);
  QString name_;
  int oldIndex_ = -1, newIndex_ = -1;
};

// Objects pasted from text written by CopyAsXml, under a parent, moved by
// an offset; names taken in the report are replaced by new unique ones.
class PasteCommand : public EditCommand {
public:
  PasteCommand(TfrxReport& report, const QString& xml, const QString& parentName, QPointF offset = {});
  void redo() override;
  void undo() override;
  const QStringList& PastedNames() const { return names_; }

private:
  QString parent_;
  QStringList names_;
  std::vector<std::unique_ptr<TfrxXMLItem>> pasted_;
};

// The named objects with their children as text for the clipboard (the
// document format, in one element "Clipboard"); objects inside others
// listed go with those.
QString CopyAsXml(const TfrxReport& report, const QStringList& names);

}  // namespace valmoro::report::edit
