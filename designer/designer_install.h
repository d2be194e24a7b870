#pragma once
// Makes OpenDesigner of every report open the designer window, and the
// designer component a program places beside its report (its defaults for
// what the designer creates, and what the preview of the designer needs).

#include <QObject>
#include <functional>

#include "designer/designer_document.h"

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::designer {

class TfrxDesignerForm;

// The designer component. The designer opens with the one made last (a
// program has one); without any, with the built-in defaults.
class TfrxDesigner : public QObject {
  Q_OBJECT

public:
  explicit TfrxDesigner(QObject* parent = nullptr);
  ~TfrxDesigner() override;
  static TfrxDesigner* Current();

  DesignerDefaults Defaults;
  // Where a report without a file of its own is saved (the program's
  // Dane/Raport.fr3 when it did not exist yet).
  QString DefaultFileName;
  // Runs on the copy of the report that the designer's preview prepares
  // (the program fills in the period, as before its own preview).
  std::function<void(report::TfrxReport&)> OnPreviewReport;
};

// Installs the designer window as the report subsystem's designer. Safe to
// call more than once.
void InstallDesigner();
// Everything a program with the designer needs: the preview windows and
// printing (preview::installReportWindows) and the designer. Safe to call
// more than once.
void installDesignerWindows();

// Opens the designer on the report: modally (returns when it is closed) or
// left open. True when the report was saved while it was open. A second
// call for a report whose designer is open does nothing (false).
bool ShowDesigner(report::TfrxReport& report, bool modal = true);

// Asks whether to restore the unsaved changes a designer that did not close
// (a crash, a kill) left in the document's recovery journal, and restores
// or drops them; nothing when there is no journal.
void OfferRecovery(DesignerDocument& document, QWidget* parent);

// The designer window open last while it is open (tests look into it from a
// timer while it runs modally); none otherwise.
TfrxDesignerForm* OpenDesignerForm();

}  // namespace valmoro::designer
