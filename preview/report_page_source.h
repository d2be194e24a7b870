#pragma once
// The preview's view of a report's prepared-page store.

#include "preview/page_source.h"

namespace valmoro::report {
class TfrxPreviewPages;
}

namespace valmoro::preview {

class ReportPageSource : public PageSource {
public:
  explicit ReportPageSource(report::TfrxPreviewPages& pages) : pages_(pages) {}

  int Count() const override;
  QSize PageSize(int index) const override;
  double TopMargin(int index) const override;
  void DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                double offsetY) override;
  PointResult ObjectAtPoint(const PointQuery& query) override;
  std::vector<OutlineNode> Outline() const override;
  report::TfrxReportPage* Page(int index) override;
  void ModifyPage(int index, report::TfrxReportPage& page) override;
  void AddEmptyPage(int index) override;
  void DeletePage(int index) override;
  void Clear() override;
  void SaveToFile(const QString& fileName) override;
  void LoadFromFile(const QString& fileName) override;
  void SetCurrentPage(int index) override;

  report::TfrxPreviewPages& Pages() const { return pages_; }

private:
  report::TfrxPreviewPages& pages_;
};

}  // namespace valmoro::preview
