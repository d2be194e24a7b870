#include "export/pdf_document.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QUuid>
#include <cmath>

#include "export/pdf_canvas.h"
#include "report/model/report_error.h"

namespace valmoro::pdf {
namespace {

QByteArray twoDigits(int v) { return (v < 10 ? "0" : "") + num(v); }

// "D:YYYYMMDDHHmmSS+HH'mm'" in local time.
QByteArray pdfDate(const QDateTime& when) {
  const QDate d = when.date();
  const QTime t = when.time();
  QByteArray out = "D:" + num(d.year()) + twoDigits(d.month()) + twoDigits(d.day()) + twoDigits(t.hour()) +
                   twoDigits(t.minute()) + twoDigits(t.second());
  const int offset = when.offsetFromUtc() / 60;
  if (offset == 0) return out + "Z";
  out += offset > 0 ? "+" : "-";
  out += twoDigits(std::abs(offset) / 60) + "'" + twoDigits(std::abs(offset) % 60) + "'";
  return out;
}

}  // namespace

PdfDocument::PdfDocument(QIODevice& out, bool compressed, const PdfProtection& protection) : writer_(out) {
  writer_.setCompressed(compressed);
  // The identifier: a digest of a fresh unique id.
  fileId_ = QCryptographicHash::hash(QUuid::createUuid().toByteArray(), QCryptographicHash::Md5);
  if (protection.enabled)
    security_ = PdfSecurity::create(protection.method, protection.userPassword, protection.ownerPassword,
                                    protection.permissions, fileId_);
  writer_.header(security_ ? std::string_view(security_->version().constData()) : std::string_view("1.5"));
  pagesObject_ = writer_.reserve();
  writer_.setSecurity(security_.get());
}

PdfDocument::~PdfDocument() = default;

PdfCanvas& PdfDocument::beginPage(double widthPt, double heightPt) {
  if (canvas_) endPage();
  canvas_ = std::make_unique<PdfCanvas>(*this, widthPt, heightPt, kDpi);
  return *canvas_;
}

void PdfDocument::endPage() {
  if (!canvas_) return;
  std::unique_ptr<PdfCanvas> canvas = std::move(canvas_);
  // Clips left open by a drawing that failed half-way are closed, or the
  // page's graphics state would stay unbalanced.
  canvas->closeClips();
  const int contents = writer_.stream({}, canvas->content());
  const QByteArray resources = canvas->resources();
  const int page = writer_.begin();
  writer_.line("<< /Type /Page /Parent " + ref(pagesObject_) + " /MediaBox [0 0 " + num(canvas->widthPt()) + " " +
               num(canvas->heightPt()) + "] /Resources " + resources + " /Contents " + ref(contents) + " >>");
  writer_.end();
  pages_.push_back(page);
  pageHeights_.push_back(canvas->heightPt());
}

int PdfDocument::hatchPattern(int style, double pageHeight) {
  const auto key = std::make_pair(style, std::llround(pageHeight * 100));
  auto it = patterns_.find(key);
  if (it != patterns_.end()) return it->second;
  // 8-pixel cells of the 96-dpi screen (6 points), aligned to the page's
  // top-left corner like the preview's, Y downwards; lines one screen pixel
  // (0.75 points) wide through the centres of the pixels the preview sets.
  QByteArray path;
  const bool horizontal = style == 1 || style == 5, vertical = style == 2 || style == 5;
  const bool forward = style == 3 || style == 6, backward = style == 4 || style == 6;
  if (horizontal) path += "0 2.625 m 6 2.625 l S\n";
  if (vertical) path += "3.375 0 m 3.375 6 l S\n";
  if (forward) path += "-1 -1 m 7 7 l S\n";
  if (backward) path += "-1 7 m 7 -1 l S\n";
  const int object = writer_.stream("/Type /Pattern /PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 6 6] "
                                    "/XStep 6 /YStep 6 /Matrix [1 0 0 -1 0 " +
                                        num(pageHeight) + "] /Resources << >>",
                                    "0.75 w\n" + path);
  patterns_.emplace(key, object);
  return object;
}

int PdfDocument::image(const QByteArray& key, const std::function<int()>& write) {
  auto it = images_.find(key);
  if (it != images_.end()) return it->second;
  const int object = write();
  images_.emplace(key, object);
  return object;
}

std::pair<int, int> PdfDocument::writeOutline(const std::vector<PdfOutlineItem>& items, int parent, int& count) {
  // Every item's object is reserved first, so siblings can name each other.
  std::vector<int> objects;
  for (size_t i = 0; i < items.size(); ++i) objects.push_back(writer_.reserve());
  for (size_t i = 0; i < items.size(); ++i) {
    const PdfOutlineItem& item = items[i];
    int descendants = 0;
    std::pair<int, int> children{0, 0};
    if (!item.children.empty()) children = writeOutline(item.children, objects[i], descendants);
    count += 1 + descendants;
    const int page = std::clamp(item.page, 0, std::max(0, int(pages_.size()) - 1));
    const double top = pages_.empty() ? 0 : pageHeights_[size_t(page)] - item.top;
    writer_.begin(objects[i]);
    QByteArray dict = "<< /Title " + writer_.string(objects[i], utf16be(item.title)) + " /Parent " + ref(parent);
    if (i > 0) dict += " /Prev " + ref(objects[i - 1]);
    if (i + 1 < items.size()) dict += " /Next " + ref(objects[i + 1]);
    if (children.first)
      dict += " /First " + ref(children.first) + " /Last " + ref(children.second) + " /Count " + num(descendants);
    if (!pages_.empty()) dict += " /Dest [" + ref(pages_[size_t(page)]) + " /XYZ 0 " + num(top) + " 0]";
    writer_.line(dict + " >>");
    writer_.end();
  }
  if (objects.empty()) return {0, 0};
  return {objects.front(), objects.back()};
}

void PdfDocument::finish(const PdfInfo& info, const PdfViewerPreferences& preferences,
                         const std::vector<PdfOutlineItem>& outline) {
  if (finished_) return;
  endPage();
  fonts_.writeAll(writer_);

  writer_.begin(pagesObject_);
  QByteArray kids;
  for (int page : pages_) kids += ref(page) + " ";
  writer_.line("<< /Type /Pages /Kids [" + kids + "] /Count " + num(int(pages_.size())) + " >>");
  writer_.end();

  int outlineRoot = 0;
  if (!outline.empty() && !pages_.empty()) {
    outlineRoot = writer_.reserve();
    int count = 0;
    const auto [first, last] = writeOutline(outline, outlineRoot, count);
    writer_.begin(outlineRoot);
    writer_.line("<< /Type /Outlines /First " + ref(first) + " /Last " + ref(last) + " /Count " + num(count) + " >>");
    writer_.end();
  }

  const int infoObject = writer_.reserve();
  writer_.begin(infoObject);
  const auto entry = [&](const char* key, const QString& value) {
    return QByteArray(" /") + key + " " + writer_.string(infoObject, utf16be(value));
  };
  const QByteArray date = pdfDate(QDateTime::currentDateTime());
  writer_.line("<<" + entry("Title", info.title) + entry("Author", info.author) + entry("Subject", info.subject) +
               entry("Keywords", info.keywords) + entry("Creator", info.creator) + entry("Producer", info.producer) +
               " /CreationDate " + writer_.string(infoObject, date) + " /ModDate " +
               writer_.string(infoObject, date) + " >>");
  writer_.end();

  const int catalog = writer_.begin();
  QByteArray prefs;
  if (!info.title.isEmpty()) prefs += " /DisplayDocTitle true";
  if (preferences.hideToolbar) prefs += " /HideToolbar true";
  if (preferences.hideMenubar) prefs += " /HideMenubar true";
  if (preferences.hideWindowUI) prefs += " /HideWindowUI true";
  if (preferences.fitWindow) prefs += " /FitWindow true";
  if (preferences.centerWindow) prefs += " /CenterWindow true";
  if (!preferences.printScaling) prefs += " /PrintScaling /None";
  QByteArray dict = "<< /Type /Catalog /Pages " + ref(pagesObject_);
  dict += outlineRoot ? " /PageMode /UseOutlines /Outlines " + ref(outlineRoot) : QByteArray(" /PageMode /UseNone");
  dict += " /ViewerPreferences <<" + prefs + " >>";
  if (security_ && !security_->catalogEntries().isEmpty()) dict += " " + security_->catalogEntries();
  writer_.line(dict + " >>");
  writer_.end();

  QByteArray trailer = "/Root " + ref(catalog) + " /Info " + ref(infoObject) + " /ID [" + hexString(fileId_) +
                       hexString(fileId_) + "]";
  if (security_) {
    // The encryption dictionary itself is never encrypted.
    writer_.setSecurity(nullptr);
    const int encrypt = writer_.begin();
    writer_.line("<< " + security_->dictionary() + " >>");
    writer_.end();
    trailer += " /Encrypt " + ref(encrypt);
  }
  writer_.finish(trailer);
  finished_ = true;
}

}  // namespace valmoro::pdf
