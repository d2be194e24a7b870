// valmoro-report render FILE [--pages RANGE] [--dpi N] -o OUT.png: draws
// prepared pages into PNG files, one per page. FILE is a prepared report
// (.fp3), or a report document that is prepared first, over a module's log
// when --database and --module are given.

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <cmath>

#include "platform/file_errors.h"
#include "platform/painter_canvas.h"
#include "report/engine/preview_pages.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "tools/command_registry.h"
#include "tools/page_range.h"
#include "tools/report_preparation.h"

namespace valmoro::tools {

namespace {

int render(const QStringList& args);

const Command kRender{
    QStringLiteral("render"),
    QStringLiteral("FILE.fp3|REPORT.fr3 [--database FILE --module NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD]] "
                   "[--pages RANGE] [--dpi N] -o OUT.png"),
    QStringLiteral("draw prepared pages into PNG files (OUT-1.png, OUT-2.png ... for several pages; RANGE like "
                   "1,3-5; 96 dpi unless told); a report document is prepared first, as prepare does"),
    render};

// Larger bitmaps than this are refused rather than allocated: a damaged
// file could name any paper size.
constexpr qint64 kMaxPixels = qint64(20000) * 20000;

QString numberedName(const QString& out, int page) {
  const QFileInfo info(out);
  const QString suffix = info.suffix().isEmpty() ? QStringLiteral("png") : info.suffix();
  const QString base = info.suffix().isEmpty() ? out : out.left(out.size() - suffix.size() - 1);
  return base + QLatin1Char('-') + QString::number(page) + QLatin1Char('.') + suffix;
}

int render(const QStringList& arguments) {
  QStringList args = arguments;
  DataOptions options;
  if (!takeDataOptions(args, options, kRender.name)) return usageError(kRender);
  QString input, output, range;
  int dpi = 96;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if ((a == QLatin1String("--pages") || a == QLatin1String("--dpi") || a == QLatin1String("-o")) &&
        i + 1 < args.size()) {
      const QString value = args[++i];
      if (a == QLatin1String("--pages")) {
        range = value;
      } else if (a == QLatin1String("-o")) {
        output = value;
      } else {
        bool ok = false;
        dpi = value.toInt(&ok);
        if (!ok || dpi < 10 || dpi > 1200) {
          printOut(QStringLiteral("Błędna rozdzielczość: %1 (dozwolone od 10 do 1200 dpi)").arg(value));
          return 1;
        }
      }
    } else if (a.startsWith(QLatin1Char('-')) || !input.isEmpty()) {
      return usageError(kRender);
    } else {
      input = a;
    }
  }
  if (input.isEmpty() || output.isEmpty()) return usageError(kRender);

  ModuleLog log;
  report::TfrxReport report;
  report.SetNoPumping(true);
  report::TfrxPreviewPages& pages = report.PreviewPages();
  const bool document = isReportDocument(input);
  if (!document && !options.database.isEmpty()) {
    printOut(QStringLiteral("Plik %1 nie jest dokumentem raportu: --database i --module dotyczą tylko raportów "
                            "do przygotowania").arg(input));
    return 1;
  }
  if (document) {
    if (const int status = prepareDocument(input, options, log, report)) return status;
    report.SetNoPumping(true);
  }
  try {
    if (!document && !pages.LoadFromFile(input)) {
      printOut(QStringLiteral("Nie znaleziono pliku %1").arg(input));
      return 1;
    }
  } catch (const report::ReportError& e) {
    printOut(QStringLiteral("Nie można odczytać pliku %1: %2").arg(input, e.message()));
    return 1;
  }
  if (pages.Count() == 0) {
    printOut(QStringLiteral("Plik %1 nie zawiera żadnej strony").arg(input));
    return 1;
  }
  QList<int> selected;
  if (range.isEmpty()) {
    for (int i = 1; i <= pages.Count(); ++i) selected << i;
  } else {
    QString error;
    selected = parsePageRange(range, pages.Count(), &error);
    if (selected.isEmpty()) {
      printOut(error);
      return 1;
    }
  }

  const double scale = dpi / 96.0;
  for (int number : selected) {
    const QString file = selected.size() == 1 ? output : numberedName(output, number);
    report::TfrxReportPage* page = nullptr;
    try {
      page = pages.Page(number - 1);
    } catch (const report::ReportError& e) {
      printOut(QStringLiteral("Strona %1: %2").arg(number).arg(e.message()));
      return 1;
    }
    if (!page) {
      printOut(QStringLiteral("Strony %1 nie da się odtworzyć: plik jest uszkodzony").arg(number));
      return 1;
    }
    const double w = std::ceil(page->PaperWidth() * 3.77953 * scale);
    const double h = std::ceil(page->PaperHeight() * 3.77953 * scale);
    if (!(w >= 1 && h >= 1) || w * h > double(kMaxPixels)) {
      printOut(QStringLiteral("Strona %1 ma rozmiar, którego nie da się narysować (%2 × %3 mm)")
                   .arg(number)
                   .arg(page->PaperWidth())
                   .arg(page->PaperHeight()));
      return 1;
    }
    QImage image(int(w), int(h), QImage::Format_RGB32);
    if (image.isNull()) {
      printOut(QStringLiteral("Za mało pamięci na stronę %1").arg(number));
      return 1;
    }
    image.fill(Qt::white);
    {
      gfx::PainterCanvas canvas(image, dpi);
      pages.DrawPage(number - 1, canvas, scale, scale, 0, 0);
    }
    // Written beside the target and renamed over it, so a full disk never
    // leaves half a picture.
    QSaveFile out(file);
    QImageWriter writer(&out, "png");
    if (!out.open(QIODevice::WriteOnly) || !writer.write(image) || !files::commitFile(out)) {
      printOut(QStringLiteral("Nie można zapisać pliku %1: %2").arg(file, files::ioErrorText(out, file)));
      return 1;
    }
  }
  return 0;
}

const bool registered = registerCommand(kRender);

}  // namespace

}  // namespace valmoro::tools
