// A text view around output: its design text is kept, the engine's
// expansion replaces the text, and the design text comes back afterwards.

#include "report/model/hooks.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "script/program_items.h"
#include "script/script.h"

namespace valmoro::report {

void TfrxCustomMemoView::SaveDesignState() {
  TfrxView::SaveDesignState();
  // Kept for bound views as well: their text is replaced by the field's
  // display text, and the design text must not be lost with it.
  savedMemo_ = Memo();
  memoSaved_ = true;
  if (TfrxReport* report = Report()) {
    // Scripts of the view's events refer to it as Self.
    if (script::TfsCustomVariable* self = report->Script().FindLocalSymbol(QStringLiteral("SELF")))
      self->SetValue(script::Variant::FromObject(this));
  }
}

void TfrxCustomMemoView::FetchData() {
  TfrxView::FetchData();
  if (const hooks::MemoDataTaker& take = hooks::memoDataTaker()) take(*this);
}

void TfrxCustomMemoView::RestoreDesignState() {
  TfrxView::RestoreDesignState();
  if (memoSaved_) {
    SetMemo(savedMemo_);
    savedMemo_.clear();
    memoSaved_ = false;
  }
}

}  // namespace valmoro::report
