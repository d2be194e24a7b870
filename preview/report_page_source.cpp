#include "preview/report_page_source.h"

#include "report/engine/preview_pages.h"
#include "report/model/report_page.h"
#include "report/model/report_xml.h"

namespace valmoro::preview {

int ReportPageSource::Count() const { return pages_.Count(); }

QSize ReportPageSource::PageSize(int index) const { return pages_.PageSize(index); }

double ReportPageSource::TopMargin(int index) const {
  if (index < 0 || index >= pages_.Count()) return 0;
  report::TfrxReportPage* page = pages_.Page(index);
  return page ? page->TopMargin() : 0;
}

void ReportPageSource::DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                                double offsetY) {
  if (index < 0 || index >= pages_.Count()) return;
  pages_.DrawPage(index, canvas, scaleX, scaleY, offsetX, offsetY);
}

namespace {

Qt::CursorShape cursorShape(int cursor) {
  switch (cursor) {
    case report::crHandPoint: return Qt::PointingHandCursor;
    case -2: return Qt::ArrowCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -11: return Qt::WaitCursor;
    case -1: return Qt::BlankCursor;
    default: return Qt::ArrowCursor;
  }
}

int shiftFlags(Qt::KeyboardModifiers modifiers, bool doubleClick) {
  int shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= report::ssShift;
  if (modifiers & Qt::AltModifier) shift |= report::ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= report::ssCtrl;
  if (doubleClick) shift |= report::ssDouble;
  return shift;
}

void readOutline(const report::TfrxXMLItem& element, std::vector<OutlineNode>& out) {
  for (int i = 0; i < element.Count(); ++i) {
    const report::TfrxXMLItem* item = element.Items(i);
    OutlineNode node;
    node.text = item->Prop(QStringLiteral("text"));
    node.page = item->Prop(QStringLiteral("page")).toInt();
    node.top = item->Prop(QStringLiteral("top")).toInt();
    readOutline(*item, node.children);
    out.push_back(std::move(node));
  }
}

}  // namespace

PointResult ReportPageSource::ObjectAtPoint(const PointQuery& query) {
  report::TfrxPointQuery q;
  q.pageIndex = query.page;
  q.x = query.point.x();
  q.y = query.point.y();
  q.zoom = query.zoom;
  q.offsetX = query.pageOffset.x();
  q.offsetY = query.pageOffset.y();
  q.click = query.click;
  q.doubleClick = query.doubleClick;
  q.button = query.button == Qt::RightButton    ? report::TfrxMouseButton::Right
             : query.button == Qt::MiddleButton ? report::TfrxMouseButton::Middle
                                                : report::TfrxMouseButton::Left;
  q.shift = shiftFlags(query.modifiers, query.doubleClick);
  const report::TfrxPointAnswer answer = pages_.ObjectOver(q);
  PointResult result;
  if (!answer.handled) return result;
  result.cursor = cursorShape(answer.cursor);
  result.link = answer.linkText;
  result.hint = answer.hintText;
  result.tooltip = answer.tooltip;
  switch (answer.action) {
    case report::TfrxPointAnswer::Action::None:
      break;
    case report::TfrxPointAnswer::Action::GoToPage:
      result.action = PointResult::Action::GoToPage;
      result.page = answer.page;
      break;
    case report::TfrxPointAnswer::Action::GoToAnchor:
      result.action = PointResult::Action::GoToPosition;
      result.page = answer.page;
      result.top = answer.top;
      break;
    case report::TfrxPointAnswer::Action::OpenUrl:
      result.action = PointResult::Action::OpenUrl;
      result.url = answer.url;
      break;
  }
  if (answer.drillToggled) result.action = PointResult::Action::DrillDown;
  else if (answer.modified && result.action == PointResult::Action::None) result.action = PointResult::Action::Repaint;
  return result;
}

std::vector<OutlineNode> ReportPageSource::Outline() const {
  std::vector<OutlineNode> out;
  if (const report::TfrxXMLItem* root = pages_.OutlineNode()) readOutline(*root, out);
  return out;
}

report::TfrxReportPage* ReportPageSource::Page(int index) {
  if (index < 0 || index >= pages_.Count()) return nullptr;
  return pages_.Page(index);
}

void ReportPageSource::ModifyPage(int index, report::TfrxReportPage& page) { pages_.ModifyPage(index, &page); }
void ReportPageSource::AddEmptyPage(int index) { pages_.AddEmptyPage(index); }
void ReportPageSource::DeletePage(int index) { pages_.DeletePage(index); }
void ReportPageSource::Clear() { pages_.Clear(); }
void ReportPageSource::SaveToFile(const QString& fileName) { pages_.SaveToFile(fileName); }
void ReportPageSource::LoadFromFile(const QString& fileName) { pages_.LoadFromFile(fileName, true); }
void ReportPageSource::SetCurrentPage(int index) { pages_.SetCurPage(index); }

}  // namespace valmoro::preview
