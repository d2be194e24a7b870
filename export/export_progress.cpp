#include "export/export_progress.h"

#include <QApplication>
#include <QProgressDialog>

#include "platform/dialogs.h"
#include "report/model/resources.h"

namespace valmoro::exports {

namespace {

class WindowProgress : public ExportProgress {
public:
  void Start(const QString& text, int maximum) override {
    if (!window_) {
      window_ = std::make_unique<QProgressDialog>();
      window_->setWindowTitle(dialogs::applicationTitle());
      window_->setCancelButtonText(report::resources::text(u"2"));
      window_->setMinimumDuration(500);
    }
    window_->setLabelText(text);
    window_->setRange(0, std::max(1, maximum));
    window_->setValue(0);
    value_ = 0;
  }
  void Step() override {
    if (!window_) return;
    window_->setValue(std::min(++value_, window_->maximum()));
    // Keep the window alive without paying for events on every row.
    if (value_ % 64 == 0) QCoreApplication::processEvents();
  }
  bool Cancelled() const override { return window_ && window_->wasCanceled(); }
  void Stop() override {
    if (window_) window_->hide();
  }

private:
  std::unique_ptr<QProgressDialog> window_;
  int value_ = 0;
};

}  // namespace

std::unique_ptr<ExportProgress> MakeWindowProgress() {
  if (dialogs::mode() != dialogs::Mode::Gui || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    return nullptr;
  return std::make_unique<WindowProgress>();
}

}  // namespace valmoro::exports
