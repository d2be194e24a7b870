#include "designer/script_text_command.h"

#include "report/model/changes.h"
#include "report/model/report.h"

namespace valmoro::designer {

ScriptTextCommand::ScriptTextCommand(report::TfrxReport& report, QStringList text)
    : report_(report), before_(report.ScriptText()), after_(std::move(text)) {
  setText(QStringLiteral("Zmiana skryptu"));
}

void ScriptTextCommand::put(const QStringList& text) {
  const QStringList old = report_.ScriptText();
  report_.SetScriptText(text);
  // Said like any other property change, so the code tab and the journal follow.
  if (report::changes::observed()) report::changes::propertyChanged(report_, QStringLiteral("ScriptText"), old, text);
}

void ScriptTextCommand::redo() { put(after_); }
void ScriptTextCommand::undo() { put(before_); }

bool ScriptTextCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const ScriptTextCommand*>(other);
  if (sealed_ || next == nullptr || &next->report_ != &report_) return false;
  after_ = next->after_;
  // Typed back to where it started: no step at all.
  if (after_ == before_) setObsolete(true);
  return true;
}

}  // namespace valmoro::designer
