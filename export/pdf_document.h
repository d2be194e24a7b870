#pragma once
// A PDF document written page by page: each page is drawn on a PdfCanvas
// (the same drawing surface the preview and the printer use, so a page
// looks the same everywhere) and written out when it is finished; fonts,
// the page tree, the outline, the document information and the catalog
// follow at the end.

#include <QIODevice>
#include <functional>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "export/pdf_font.h"
#include "export/pdf_security.h"
#include "export/pdf_writer.h"

namespace valmoro::pdf {

class PdfCanvas;

struct PdfInfo {
  QString title, author, subject, keywords, creator, producer;
};

struct PdfViewerPreferences {
  bool hideToolbar = false, hideMenubar = false, hideWindowUI = false;
  bool fitWindow = false, centerWindow = false;
  // When false the reader is asked not to scale the pages when printing.
  bool printScaling = false;
};

struct PdfProtection {
  bool enabled = false;
  Encryption method = Encryption::Aes256;
  QString userPassword, ownerPassword;
  unsigned permissions = PermAll;
};

// One entry of the document outline: a title that leads to a place on a page.
struct PdfOutlineItem {
  QString title;
  int page = 0;       // 0-based
  double top = 0;     // points from the top of the page
  std::vector<PdfOutlineItem> children;
};

class PdfDocument {
public:
  // Writes into `out` (kept open). The header is written at once.
  PdfDocument(QIODevice& out, bool compressed, const PdfProtection& protection = {});
  ~PdfDocument();

  // Drawing resolution of the page canvases, dots per inch.
  static constexpr int kDpi = 600;

  // A new page of the given size in points; its canvas draws in 600-dpi
  // pixels from the paper's top-left corner.
  PdfCanvas& beginPage(double widthPt, double heightPt);
  void endPage();
  int pageCount() const { return int(pages_.size()); }

  void finish(const PdfInfo& info, const PdfViewerPreferences& preferences,
              const std::vector<PdfOutlineItem>& outline = {});

  // Shared by the page canvases.
  PdfWriter& writer() { return writer_; }
  PdfFontSet& fonts() { return fonts_; }
  // The object of a hatch pattern (1…6: horizontal … diagonal cross) for
  // pages of a height (the cells align to the page's top-left corner).
  int hatchPattern(int style, double pageHeight);
  // An image object, written once per distinct picture.
  int image(const QByteArray& key, const std::function<int()>& write);

private:
  // Writes sibling items under `parent`; returns the first and last item's
  // objects and adds the number of items written to `count`.
  std::pair<int, int> writeOutline(const std::vector<PdfOutlineItem>& items, int parent, int& count);

  PdfWriter writer_;
  std::unique_ptr<PdfSecurity> security_;
  QByteArray fileId_;
  int pagesObject_ = 0;
  std::vector<int> pages_;
  std::vector<double> pageHeights_;
  PdfFontSet fonts_;
  std::map<std::pair<int, long long>, int> patterns_;
  std::map<QByteArray, int> images_;
  std::unique_ptr<PdfCanvas> canvas_;
  bool finished_ = false;
};

}  // namespace valmoro::pdf
