#include "report/model/frame.h"

namespace valmoro::report {

TfrxFrameLine::TfrxFrameLine(TfrxFrame* frame) : Persistent(frame), frame_(frame) {}

void TfrxFrameLine::Assign(const TfrxFrameLine& source) {
  color_ = source.color_;
  style_ = source.style_;
  width_ = source.width_;
}

bool TfrxFrameLine::operator==(const TfrxFrameLine& other) const {
  return color_ == other.color_ && style_ == other.style_ && width_ == other.width_;
}

bool TfrxFrameLine::IsColorStored() const { return !frame_ || color_ != frame_->Color(); }

bool TfrxFrameLine::IsStyleStored() const { return !frame_ || style_ != frame_->Style(); }

bool TfrxFrameLine::IsWidthStored() const { return !frame_ || width_ != frame_->Width(); }

TfrxFrame::TfrxFrame(QObject* owner)
    : Persistent(owner),
      leftLine_(new TfrxFrameLine(this)),
      topLine_(new TfrxFrameLine(this)),
      rightLine_(new TfrxFrameLine(this)),
      bottomLine_(new TfrxFrameLine(this)) {}

void TfrxFrame::SetColor(TColor color) {
  color_ = color;
  for (TfrxFrameLine* line : {leftLine_, topLine_, rightLine_, bottomLine_}) line->SetColor(color);
}

void TfrxFrame::SetStyle(TfrxFrameStyle style) {
  style_ = style;
  for (TfrxFrameLine* line : {leftLine_, topLine_, rightLine_, bottomLine_}) line->SetStyle(style);
}

void TfrxFrame::SetWidth(double width) {
  width_ = width;
  for (TfrxFrameLine* line : {leftLine_, topLine_, rightLine_, bottomLine_}) line->SetWidth(width);
}

void TfrxFrame::SetLeftLine(const TfrxFrameLine* line) {
  if (line) leftLine_->Assign(*line);
}

void TfrxFrame::SetTopLine(const TfrxFrameLine* line) {
  if (line) topLine_->Assign(*line);
}

void TfrxFrame::SetRightLine(const TfrxFrameLine* line) {
  if (line) rightLine_->Assign(*line);
}

void TfrxFrame::SetBottomLine(const TfrxFrameLine* line) {
  if (line) bottomLine_->Assign(*line);
}

void TfrxFrame::Assign(const TfrxFrame& source) {
  if (&source == this) return;
  color_ = source.color_;
  dropShadow_ = source.dropShadow_;
  shadowColor_ = source.shadowColor_;
  shadowWidth_ = source.shadowWidth_;
  style_ = source.style_;
  typ_ = source.typ_;
  width_ = source.width_;
  leftLine_->Assign(*source.leftLine_);
  topLine_->Assign(*source.topLine_);
  rightLine_->Assign(*source.rightLine_);
  bottomLine_->Assign(*source.bottomLine_);
}

bool TfrxFrame::operator==(const TfrxFrame& other) const {
  return color_ == other.color_ && dropShadow_ == other.dropShadow_ && shadowColor_ == other.shadowColor_ &&
         shadowWidth_ == other.shadowWidth_ && style_ == other.style_ && typ_ == other.typ_ &&
         width_ == other.width_ && *leftLine_ == *other.leftLine_ && *topLine_ == *other.topLine_ &&
         *rightLine_ == *other.rightLine_ && *bottomLine_ == *other.bottomLine_;
}

}  // namespace valmoro::report
