#pragma once
// Prepared pages built by hand for the export tests: a page store that
// simply holds finished page objects, and helpers to fill them.

#include <QIODevice>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "report/engine/preview_pages.h"
#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_page.h"

namespace valmoro::exports::testing {

// Holds pages as they are; everything the engine would call is refused.
class HeldPages : public report::TfrxCustomPreviewPages {
public:
  explicit HeldPages(report::TfrxReport* report) : TfrxCustomPreviewPages(report) {}

  // A4 portrait page with 10 mm margins.
  report::TfrxReportPage* addPage() {
    pages_.push_back(std::make_unique<report::TfrxReportPage>());
    report::TfrxReportPage* page = pages_.back().get();
    page->SetLeftMargin(10);
    page->SetRightMargin(10);
    page->SetTopMargin(10);
    page->SetBottomMargin(10);
    return page;
  }

  void Clear() override { pages_.clear(); }
  void Initialize() override {}
  void BeginPass() override {}
  void ClearFirstPassPages() override {}
  void AddSourceObjects(report::TfrxReportPage*) override {}
  void AddToSourcePage(report::TfrxComponent*) override {}
  void AddPage(report::TfrxReportPage*) override {}
  void AddObject(report::TfrxComponent*) override {}
  int ObjectCount() const override { return 0; }
  void AddPicture(report::TfrxPictureView*) override {}
  int CutObjects(int) override { return 0; }
  void PasteObjects(double, double) override {}
  double GetLastY(double) const override { return 0; }
  bool BandExists(report::TfrxBand*) const override { return false; }
  void IncLogicalPageNumber() override {}
  void ResetLogicalPageNumber() override {}
  int GetLogicalPageNo() const override { return 0; }
  int GetLogicalTotalPages() const override { return 0; }
  void AddAnchor(const QString&) override {}
  int GetAnchorCur() const override { return 0; }
  void ShiftAnchors(int, int, bool) override {}
  void UpdatePageDimensions(report::TfrxReportPage*, double, double) override {}
  void Finish() override {}
  int Count() const override { return int(pages_.size()); }
  report::TfrxReportPage* Page(int index) override {
    return index >= 0 && index < Count() ? pages_[size_t(index)].get() : nullptr;
  }
  QSize PageSize(int) override { return QSize(794, 1123); }
  void DrawPage(int, gfx::Canvas&, double, double, double, double) override {}
  report::TfrxPointAnswer ObjectOver(const report::TfrxPointQuery&) override { return {}; }
  int GetAnchorPage(const QString&) const override { return 1; }
  void AddEmptyPage(int) override {}
  void DeletePage(int) override {}
  void ModifyPage(int, report::TfrxReportPage*) override {}
  void AddFrom(report::TfrxReport*) override {}
  void SaveToStream(QIODevice&) override {}
  void SaveToFile(const QString&) override {}
  void LoadFromStream(QIODevice&, bool) override {}
  bool LoadFromFile(const QString&, bool) override { return false; }

private:
  std::vector<std::unique_ptr<report::TfrxReportPage>> pages_;
};

template <class Band>
Band* addBand(report::TfrxReportPage* page, double top, double height) {
  auto* band = new Band(page);
  band->SetBounds(0, top, 718, height);
  return band;
}

inline report::TfrxMemoView* addMemo(report::TfrxComponent* parent, double left, double top, double width,
                                     double height, const QString& text) {
  auto* memo = new report::TfrxMemoView(parent);
  memo->SetBounds(left, top, width, height);
  memo->SetText(text);
  return memo;
}

// LibreOffice's converter, or empty when it is not installed.
inline QString officeProgram() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

// Converts a file with LibreOffice headless into outDir ("txt:Text" or
// "pdf"); the path of the result, or empty on failure.
inline QString convertWithOffice(const QString& file, const QString& format, const QString& extension,
                                 const QString& outDir) {
  QProcess office;
  // A private profile: the tests never touch the user's settings and never
  // wait for another office instance.
  const QString profile = QStringLiteral("-env:UserInstallation=file://") + outDir + QStringLiteral("/profile");
  office.start(officeProgram(), {profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
                                 QStringLiteral("--outdir"), outDir, file});
  if (!office.waitForFinished(120000) || office.exitCode() != 0) return QString();
  const QString result = outDir + QLatin1Char('/') + QFileInfo(file).completeBaseName() + extension;
  return QFileInfo::exists(result) ? result : QString();
}

}  // namespace valmoro::exports::testing
