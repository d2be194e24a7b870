#include "designer/command_group.h"

namespace valmoro::designer {

CommandGroup::CommandGroup(const QString& text) { setText(text); }

CommandGroup::~CommandGroup() = default;

void CommandGroup::addStep(QUndoCommand* command) {
  std::unique_ptr<QUndoCommand> owned(command);
  owned->redo();
  steps_.push_back(std::move(owned));
  applied_ = steps_.size();
}

void CommandGroup::Rollback() {
  while (applied_ > 0) steps_[--applied_]->undo();
}

std::unique_ptr<CommandGroup> CommandGroup::Build(const QString& text,
                                                  const std::function<void(CommandGroup&)>& build) {
  auto group = std::make_unique<CommandGroup>(text);
  try {
    build(*group);
  } catch (...) {
    group->Rollback();
    throw;
  }
  group->Rollback();
  return group;
}

void CommandGroup::redo() {
  while (applied_ < steps_.size()) steps_[applied_++]->redo();
}

void CommandGroup::undo() { Rollback(); }

}  // namespace valmoro::designer
