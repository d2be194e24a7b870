#include "report/model/report_font.h"

namespace valmoro::report {

namespace {

// Integer a * b / c rounded half away from zero, as the platform's font
// arithmetic does.
int mulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  const long long q = (p >= 0 ? p + c / 2 : p - c / 2) / c;
  return static_cast<int>(q);
}

}  // namespace

ReportFont::ReportFont(QObject* owner)
    : Persistent(owner), name_(QStringLiteral("Arial")), height_(-mulDiv(10, PixelsPerInch, 72)) {}

void ReportFont::SetCharset(int charset) {
  if (charset_ == charset) return;
  charset_ = charset;
  changed();
}

void ReportFont::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  changed();
}

void ReportFont::SetHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  changed();
}

void ReportFont::SetName(const QString& name) {
  if (name_ == name) return;
  name_ = name;
  changed();
}

int ReportFont::Size() const { return -mulDiv(height_, 72, PixelsPerInch); }

void ReportFont::SetSize(int points) { SetHeight(-mulDiv(points, PixelsPerInch, 72)); }

void ReportFont::SetStyle(TFontStyles style) {
  if (style_ == style) return;
  style_ = style;
  changed();
}

void ReportFont::Assign(const ReportFont& source) {
  if (*this == source) return;
  AssignQuietly(source);
  changed();
}

void ReportFont::AssignQuietly(const ReportFont& source) {
  name_ = source.name_;
  height_ = source.height_;
  charset_ = source.charset_;
  color_ = source.color_;
  style_ = source.style_;
}

bool ReportFont::operator==(const ReportFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && charset_ == other.charset_ &&
         color_ == other.color_ && style_ == other.style_;
}

void ReportFont::changed() {
  if (onChange_) onChange_();
}

}  // namespace valmoro::report
