#pragma once
// Typing into the code tab: the report's script text as an undo step.
// Consecutive typing merges into one step until the gesture ends (another
// kind of change, a selection, a pause the window marks by sealing).

#include <QStringList>
#include <QUndoCommand>

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::designer {

class ScriptTextCommand : public QUndoCommand {
public:
  ScriptTextCommand(report::TfrxReport& report, QStringList text);
  void redo() override;
  void undo() override;
  int id() const override { return 100; }
  bool mergeWith(const QUndoCommand* other) override;
  // Ends merging (see DesignerDocument::EndGesture).
  void Seal() { sealed_ = true; }

private:
  void put(const QStringList& text);
  report::TfrxReport& report_;
  QStringList before_, after_;
  bool sealed_ = false;
};

}  // namespace valmoro::designer
