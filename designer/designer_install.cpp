#include "designer/designer_install.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QSet>

#include "designer/designer_form.h"
#include "platform/dialogs.h"
#include "preview/preview_install.h"
#include "report/model/hooks.h"
#include "report/model/report.h"

namespace valmoro::designer {

namespace {

QList<TfrxDesigner*>& components() {
  static QList<TfrxDesigner*> list;
  return list;
}

QSet<const report::TfrxReport*>& reportsInDesign() {
  static QSet<const report::TfrxReport*> set;
  return set;
}

QPointer<TfrxDesignerForm>& lastForm() {
  static QPointer<TfrxDesignerForm> form;
  return form;
}

// The window owns its document, which outlives the window's own parts
// (held by a base made before the window and destroyed after it).
struct DocumentHolder {
  explicit DocumentHolder(std::unique_ptr<DesignerDocument> document) : held(std::move(document)) {}
  ~DocumentHolder() { reportsInDesign().remove(&held->Report()); }
  std::unique_ptr<DesignerDocument> held;
};

class OwnedForm : private DocumentHolder, public TfrxDesignerForm {
public:
  explicit OwnedForm(std::unique_ptr<DesignerDocument> document)
      : DocumentHolder(std::move(document)), TfrxDesignerForm(*held) {}
};

}  // namespace

TfrxDesigner::TfrxDesigner(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("frxDesigner1"));
  components().append(this);
}

TfrxDesigner::~TfrxDesigner() { components().removeOne(this); }

TfrxDesigner* TfrxDesigner::Current() { return components().isEmpty() ? nullptr : components().last(); }

bool ShowDesigner(report::TfrxReport& report, bool modal) {
  if (reportsInDesign().contains(&report)) return false;
  const TfrxDesigner* component = TfrxDesigner::Current();
  auto document = std::make_unique<DesignerDocument>(report, component ? component->Defaults : DesignerDefaults{});
  if (document->FileName().isEmpty() && component && !component->DefaultFileName.isEmpty())
    document->SetFileName(component->DefaultFileName);
  DesignerDocument& doc = *document;
  reportsInDesign().insert(&report);
  auto* form = new OwnedForm(std::move(document));
  if (component && component->OnPreviewReport) form->SetPreviewPreparation(component->OnPreviewReport);
  lastForm() = form;
  OfferRecovery(doc, form);
  if (!modal) {
    form->setAttribute(Qt::WA_DeleteOnClose, true);
    form->show();
    return false;
  }
  QEventLoop loop;
  form->setWindowModality(Qt::ApplicationModal);
  form->setAttribute(Qt::WA_DeleteOnClose, false);
  QObject::connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
  // The loop runs until the window is hidden (closed and accepted).
  struct Watch : QObject {
    QEventLoop* loop;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Hide) loop->quit();
      return false;
    }
  } watch;
  watch.loop = &loop;
  form->installEventFilter(&watch);
  form->show();
  loop.exec();
  form->removeEventFilter(&watch);
  const bool saved = form->WasSaved();
  delete form;
  return saved;
}

void OfferRecovery(DesignerDocument& doc, QWidget* parent) {
  if (doc.FileName().isEmpty() || !DesignerDocument::HasRecovery(doc.FileName())) return;
  const unsigned answer = dialogs::messageDialog(
      QStringLiteral("Projektant raportów nie został poprawnie zamknięty i w raporcie %1 pozostały niezapisane zmiany.\r"
                     "Przywrócić je?")
          .arg(dialogs::shortPath(doc.FileName())),
      dialogs::Severity::Confirmation, dialogs::ButtonYes | dialogs::ButtonNo, parent);
  try {
    if (answer == dialogs::ButtonYes) doc.RestoreRecovery();
    else doc.DiscardRecovery();
  } catch (const std::exception& e) {
    dialogs::showError(QString::fromUtf8(e.what()), parent);
  }
}

TfrxDesignerForm* OpenDesignerForm() { return lastForm().data(); }

void installDesignerWindows() {
  preview::installReportWindows();
  InstallDesigner();
}

void InstallDesigner() {
  report::hooks::setDesignerOpener([](report::TfrxReport& report, bool modal, bool) { return ShowDesigner(report, modal); });
}

}  // namespace valmoro::designer
