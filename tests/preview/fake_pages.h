#pragma once
// Prepared pages made by hand: each page draws its text runs and answers
// for its links, so that the preview can be driven without a report run.

#include <QFile>
#include <QRect>
#include <QStringList>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "platform/canvas.h"
#include "preview/page_source.h"
#include "report/model/report_page.h"

namespace valmoro::testing {

struct FakeRun {
  QPoint at;  // page pixels at scale 1
  QString text;
  QString url;  // a link over the run when not empty
};

struct FakePage {
  QSize size{794, 1123};
  double topMargin = 10;  // millimetres
  std::vector<FakeRun> runs;
};

class FakePages : public preview::PageSource {
public:
  std::vector<FakePage> pages;
  std::vector<preview::OutlineNode> outline;
  int drawCalls = 0;
  std::function<void()> onSave;

  static FakePages numbered(int count) {
    FakePages p;
    for (int i = 0; i < count; ++i) {
      FakePage page;
      page.runs.push_back({QPoint(40, 40), QStringLiteral("Strona raportu %1").arg(i + 1), {}});
      p.pages.push_back(page);
    }
    return p;
  }

  int Count() const override { return int(pages.size()); }
  QSize PageSize(int index) const override {
    return index >= 0 && index < Count() ? pages[std::size_t(index)].size : QSize();
  }
  double TopMargin(int index) const override { return pages[std::size_t(index)].topMargin; }
  void DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                double offsetY) override {
    ++drawCalls;
    gfx::Font font;
    font.height = -int(13 * scaleY);
    canvas.setFont(font);
    for (const FakeRun& run : pages[std::size_t(index)].runs)
      canvas.textOut(QPoint(int(offsetX + run.at.x() * scaleX), int(offsetY + run.at.y() * scaleY)), run.text);
  }
  preview::PointResult ObjectAtPoint(const preview::PointQuery& q) override {
    preview::PointResult r;
    const QPointF local = QPointF(q.point - q.pageOffset) / q.zoom;
    for (const FakeRun& run : pages[std::size_t(q.page)].runs) {
      if (run.url.isEmpty() || !QRectF(run.at, QSizeF(100, 16)).contains(local)) continue;
      r.cursor = Qt::PointingHandCursor;
      r.link = run.url;
      if (!q.click && !q.doubleClick) return r;
      if (run.url.startsWith(QLatin1Char('@'))) {
        r.action = preview::PointResult::Action::GoToPage;
        r.page = run.url.mid(1).toInt() - 1;
      } else {
        r.action = preview::PointResult::Action::OpenUrl;
        r.url = run.url;
      }
      return r;
    }
    return r;
  }
  std::vector<preview::OutlineNode> Outline() const override { return outline; }
  // A page object for the settings dialog: A4 with the page's top margin.
  std::unique_ptr<report::TfrxReportPage> pageObject;
  int modified = -1;
  report::TfrxReportPage* Page(int index) override {
    pageObject = std::make_unique<report::TfrxReportPage>();
    pageObject->SetPaperSize(9);
    pageObject->SetTopMargin(pages[std::size_t(index)].topMargin);
    return pageObject.get();
  }
  void ModifyPage(int index, report::TfrxReportPage& page) override {
    modified = index;
    pages[std::size_t(index)].size =
        QSize(int(std::lround(page.PaperWidth() * 3.77953)), int(std::lround(page.PaperHeight() * 3.77953)));
    pages[std::size_t(index)].topMargin = page.TopMargin();
  }
  void AddEmptyPage(int index) override { pages.insert(pages.begin() + index, FakePage()); }
  void DeletePage(int index) override {
    if (Count() > 1) pages.erase(pages.begin() + index);
  }
  void Clear() override {
    pages.clear();
    outline.clear();
  }
  // One line per run: page, x, y, text.
  void SaveToFile(const QString& fileName) override {
    if (onSave) onSave();
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write");
    for (int i = 0; i < Count(); ++i)
      for (const FakeRun& run : pages[std::size_t(i)].runs)
        f.write(QStringLiteral("%1\t%2\t%3\t%4\n").arg(i).arg(run.at.x()).arg(run.at.y()).arg(run.text).toUtf8());
  }
  void LoadFromFile(const QString& fileName) override {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read");
    std::vector<FakePage> loaded;
    for (const QByteArray& line : f.readAll().split('\n')) {
      if (line.isEmpty()) continue;
      const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('\t'));
      if (parts.size() != 4) throw std::runtime_error("damaged file");
      const int page = parts[0].toInt();
      if (page < 0 || page > 10000) throw std::runtime_error("damaged file");
      if (int(loaded.size()) <= page) loaded.resize(std::size_t(page) + 1);
      loaded[std::size_t(page)].runs.push_back({QPoint(parts[1].toInt(), parts[2].toInt()), parts[3], {}});
    }
    pages = loaded;
  }
};

}  // namespace valmoro::testing
