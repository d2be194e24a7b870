#pragma once
// The font of a report object: name, size, style, colour and character set.
// The size is kept as a character height in pixels at 96 per inch, as the
// documents store it; Size in points is derived from it.

#include <functional>

#include "report/model/enums.h"
#include "report/model/persistent.h"
#include "report/model/units.h"

namespace valmoro::report {

class ReportFont : public Persistent {
  Q_OBJECT
  Q_PROPERTY(int Charset READ Charset WRITE SetCharset)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(int Height READ Height WRITE SetHeight)
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(int Size READ Size WRITE SetSize STORED false)
  Q_PROPERTY(valmoro::report::TFontStyles Style READ Style WRITE SetStyle)
  Q_CLASSINFO("default:Name", "Arial")
  Q_CLASSINFO("default:Style", "")

public:
  static constexpr int PixelsPerInch = 96;

  // Arial, 10 points, black, default character set.
  explicit ReportFont(QObject* owner = nullptr);

  int Charset() const { return charset_; }
  void SetCharset(int charset);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // Negative: the character height without internal leading, in pixels.
  int Height() const { return height_; }
  void SetHeight(int height);
  QString Name() const { return name_; }
  void SetName(const QString& name);
  int Size() const;
  void SetSize(int points);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);

  // Copies every attribute; the change handler runs once when anything changed.
  void Assign(const ReportFont& source);
  // Copies every attribute without running the change handler (fonts that
  // follow their parent's font are updated this way).
  void AssignQuietly(const ReportFont& source);
  bool operator==(const ReportFont& other) const;

  // Runs after every change of an attribute.
  void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }

private:
  void changed();

  QString name_;
  int height_;
  int charset_ = DEFAULT_CHARSET;
  TColor color_ = clBlack;
  TFontStyles style_;
  std::function<void()> onChange_;
};

}  // namespace valmoro::report
