#pragma once
// One undo step made of several of the model's edit commands, for actions
// where each command depends on what the previous one did: a band is
// inserted, then bound to a data set, then every band is stacked again
// around it. Each step is built on the report as the steps before left it.

#include <QString>
#include <QUndoCommand>
#include <functional>
#include <memory>
#include <vector>

namespace valmoro::designer {

class CommandGroup : public QUndoCommand {
public:
  explicit CommandGroup(const QString& text);
  ~CommandGroup() override;

  // Applies the command now and keeps it as the group's next step.
  // The command is built by the caller, so a refusal (ReportError) comes
  // before Add; Rollback then puts back what the steps so far did.
  template <class C>
  C& Add(C* command) {
    addStep(command);
    return *command;
  }
  bool IsEmpty() const { return steps_.empty(); }
  int StepCount() const { return int(steps_.size()); }

  // Undoes the applied steps (a refused action leaves the report as it was).
  void Rollback();

  // Runs `build` on a new group: on success the steps are undone again, so
  // that pushing the group (which runs redo()) makes the change once, seen
  // by the undo stack and whoever follows the report. A ReportError thrown
  // by `build` rolls the steps back and is thrown on.
  static std::unique_ptr<CommandGroup> Build(const QString& text, const std::function<void(CommandGroup&)>& build);

  void redo() override;
  void undo() override;

private:
  void addStep(QUndoCommand* command);

  std::vector<std::unique_ptr<QUndoCommand>> steps_;
  // How many steps are applied now (all after redo, none after undo).
  size_t applied_ = 0;
};

}  // namespace valmoro::designer
