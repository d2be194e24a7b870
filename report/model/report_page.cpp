#include "report/model/report_page.h"

#include <cmath>
#include <utility>

#include "platform/locale.h"
#include "report/model/band.h"
#include "report/model/hooks.h"
#include "report/model/paper_table.h"
#include "report/model/picture_view.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"
#include "report/model/subreport.h"

namespace valmoro::report {

namespace {

double roundTo8Decimals(double value) { return std::round(value * 1e8) / 1e8; }

// Bands that always span the whole printable width, whatever the columns.
bool spansAllColumns(const TfrxBand* band) {
  return qobject_cast<const TfrxNullBand*>(band) || qobject_cast<const TfrxReportSummary*>(band) ||
         qobject_cast<const TfrxPageHeader*>(band) || qobject_cast<const TfrxPageFooter*>(band) ||
         qobject_cast<const TfrxReportTitle*>(band);
}

}  // namespace

TfrxReportPage::TfrxReportPage(TfrxComponent* parent)
    : TfrxPage(parent), background_(std::make_unique<TfrxPictureView>()) {
  // The background fills the printable area whatever the picture's shape.
  background_->SetKeepAspectRatio(false);
  SetPaperSize(9);
}

// The children go while the page is still whole: a subreport among them may
// run this very page and clears the page's back-reference as it goes.
TfrxReportPage::~TfrxReportPage() { DestroyChildren(); }

void TfrxReportPage::updateDimensions() {
  SetWidth(std::round(paperWidth_ * fr01cm));
  SetHeight(std::round(paperHeight_ * fr01cm));
}

void TfrxReportPage::SetOrientation(TPrinterOrientation value) {
  if (value == orientation_) return;
  std::swap(paperWidth_, paperHeight_);
  const double left = leftMargin_, right = rightMargin_, top = topMargin_, bottom = bottomMargin_;
  if (value == poLandscape) {
    leftMargin_ = top;
    rightMargin_ = bottom;
    topMargin_ = right;
    bottomMargin_ = left;
  } else {
    leftMargin_ = bottom;
    rightMargin_ = top;
    topMargin_ = left;
    bottomMargin_ = right;
  }
  orientation_ = value;
  updateDimensions();
}

void TfrxReportPage::SetPaperWidth(double value) {
  paperWidth_ = roundTo8Decimals(value);
  paperSize_ = kCustomPaperSize;
  updateDimensions();
}

void TfrxReportPage::SetPaperHeight(double value) {
  paperHeight_ = roundTo8Decimals(value);
  paperSize_ = kCustomPaperSize;
  updateDimensions();
}

void TfrxReportPage::SetPaperSize(int value) {
  paperSize_ = value;
  if (value >= kCustomPaperSize) return;
  if (const std::optional<PaperDimensions> paper = findPaper(value)) {
    paperWidth_ = paper->width;
    paperHeight_ = paper->height;
    if (orientation_ == poLandscape) std::swap(paperWidth_, paperHeight_);
  }
  updateDimensions();
}

void TfrxReportPage::ApplyPrinterDefaults() {
  leftMargin_ = rightMargin_ = topMargin_ = bottomMargin_ = 10;
  const hooks::PrinterPaper paper = hooks::printerDefaults();
  paperSize_ = paper.paperSize;
  paperWidth_ = paper.paperWidth;
  paperHeight_ = paper.paperHeight;
  orientation_ = paper.orientation;
  updateDimensions();
}

void TfrxReportPage::SetColumns(int value) {
  // No paper has this many columns; a damaged document must not make us
  // build millions of positions.
  if (value > kMaxColumns) throw ReportError(resources::text(u"prInvProp"));
  columns_ = value;
  columnPositions_.clear();
  if (value <= 0) return;
  columnWidth_ = (paperWidth_ - leftMargin_ - rightMargin_) / value;
  for (int i = 0; i < value; ++i) columnPositions_.append(locale::formatFloatGeneral(i * columnWidth_));
}

void TfrxReportPage::SetPageCount(int value) {
  if (value >= 1) pageCount_ = value;
}

TColor TfrxReportPage::Color() const { return background_->Color(); }

void TfrxReportPage::SetColor(TColor value) { background_->SetColor(value); }

TfrxFrame* TfrxReportPage::Frame() const { return background_->Frame(); }

void TfrxReportPage::SetFrame(const TfrxFrame* frame) { background_->SetFrame(frame); }

ReportPicture* TfrxReportPage::BackPicture() const { return background_->Picture(); }

void TfrxReportPage::SetBackPicture(const ReportPicture* picture) { background_->SetPicture(picture); }

TfrxSubreport* TfrxReportPage::Subreport() const { return subreport_.data(); }

void TfrxReportPage::SetSubreport(TfrxSubreport* subreport) { subreport_ = subreport; }

void TfrxReportPage::ArrangeAlignedChildren() {
  SetWidth((paperWidth_ - leftMargin_ - rightMargin_) * fr01cm);
  SetHeight((paperHeight_ - topMargin_ - bottomMargin_) * fr01cm);
  TfrxPage::ArrangeAlignedChildren();
  for (TfrxComponent* child : Objects()) {
    auto* band = qobject_cast<TfrxBand*>(child);
    if (!band) continue;
    if (band->Vertical())
      band->SetHeight(Height() - band->Top());
    else if (columns_ < 2 || spansAllColumns(band))
      band->SetWidth(Width() - band->Left());
    else
      band->SetWidth(columnWidth_ * fr01cm);
    band->ArrangeAlignedChildren();
  }
  updateDimensions();
}

}  // namespace valmoro::report
