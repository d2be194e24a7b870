// Saving and loading a report document of 10,000 objects (text views with
// fonts, frames, formats and data fields, on 20 bands with references
// between them). Target: each under 0.3 s. The loaded document must save to
// the same bytes.

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "report/model/band.h"
#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/model/report_lists.h"
#include "report/model/report_page.h"

using namespace valmoro::report;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void build(TfrxReport& report, int views) {
  constexpr int kBands = 20;
  report.DataSets()->Add()->SetDataSetName("Wpisy");
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  QList<TfrxBand*> bands;
  for (int b = 0; b < kBands; ++b) {
    bands.append(new TfrxMasterData(page));
    bands.last()->SetName(QStringLiteral("MasterData%1").arg(b + 1));
    bands.last()->SetBounds(0, 40 * b, 718, 20);
    qobject_cast<TfrxMasterData*>(bands.last())->SetDataSetName("Wpisy");
  }
  // 10,000 objects in all: the page and the bands count too.
  const int memos = views - 1 - kBands;
  TfrxMemoView* previous = nullptr;
  for (int i = 0; i < memos; ++i) {
    auto* memo = new TfrxMemoView(bands[i % kBands]);
    memo->SetName(QStringLiteral("Memo%1").arg(i + 1));
    memo->SetBounds(i % 7 * 100.5, 1.25, 98.75, 18.9);
    memo->SetText(QStringLiteral("Pomiar [Wpisy.\"Temperatura\"] nr %1\r\n\"ciąg dalszy\" & <więcej>").arg(i));
    ReportFont font;
    font.SetName(i % 2 ? QStringLiteral("Arial") : QStringLiteral("Tahoma"));
    font.SetSize(8 + i % 5);
    memo->SetFont(&font);
    memo->Frame()->SetTyp(ftLeft | ftBottom);
    memo->Frame()->SetWidth(0.5);
    memo->SetHAlign(i % 3 ? haRight : haLeft);
    memo->DisplayFormat()->SetKind(fkNumeric);
    memo->DisplayFormat()->SetFormatStr(QStringLiteral("#,##0.00"));
    memo->SetDataField(QStringLiteral("Temperatura"));
    if (previous && i % 10 == 0) previous->SetFlowTo(memo);
    previous = memo;
  }
}

QByteArray save(const TfrxReport& report) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  writeReportDocument(report, buffer);
  return buffer.data();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  constexpr int kObjects = 10000;
  constexpr int kRuns = 5;

  TfrxReport report;
  build(report, kObjects);
  const int objects = int(report.AllObjects().size());

  // Best of a few runs: the machine is shared.
  QByteArray bytes;
  double saved = 1e9, loaded = 1e9, fileSaved = 1e9, fileLoaded = 1e9;
  bool same = true;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("duzy.fr3"));
  for (int run = 0; run < kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    bytes = save(report);
    saved = std::min(saved, secondsSince(start));

    TfrxReport copy;
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    start = std::chrono::steady_clock::now();
    const bool read = readReportDocument(copy, input);
    loaded = std::min(loaded, secondsSince(start));
    same = same && read && copy.Errors().isEmpty() && save(copy) == bytes;

    start = std::chrono::steady_clock::now();
    saveReportDocument(report, path);
    fileSaved = std::min(fileSaved, secondsSince(start));
    TfrxReport fromFile;
    start = std::chrono::steady_clock::now();
    same = loadReportDocument(fromFile, path) && same;
    fileLoaded = std::min(fileLoaded, secondsSince(start));
  }

  const bool fast = saved < 0.3 && loaded < 0.3 && fileSaved < 0.3 && fileLoaded < 0.3;
  std::printf("document of %d objects, %.1f MB\n", objects, bytes.size() / 1e6);
  std::printf("save to memory:   %.3f s (target < 0.3 s)\n", saved);
  std::printf("load from memory: %.3f s (target < 0.3 s)\n", loaded);
  std::printf("save to a file:   %.3f s (target < 0.3 s)\n", fileSaved);
  std::printf("load from a file: %.3f s (target < 0.3 s)\n", fileLoaded);
  std::printf("loaded document saves to the same bytes: %s\n", same ? "yes" : "NO");
  std::printf("%s\n", fast && same ? "OK" : "TOO SLOW OR WRONG");
  return fast && same ? 0 : 1;
}
