#pragma once
// Named text styles of a report (colour, font, frame). A text view whose
// Style names one takes its colour, font and frame.

#include <QList>
#include <QStringList>

#include "report/model/frame.h"
#include "report/model/persistent.h"
#include "report/model/report_font.h"

class QIODevice;

namespace valmoro::report {

class TfrxReport;
class TfrxStyles;

class TfrxStyleItem : public Persistent {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(valmoro::report::TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(valmoro::report::ReportFont* Font READ Font WRITE SetFont)
  Q_PROPERTY(valmoro::report::TfrxFrame* Frame READ Frame WRITE SetFrame)

public:
  // No fill, Arial 10, no frame lines. Add items through TfrxStyles::Add.
  explicit TfrxStyleItem(TfrxStyles* styles = nullptr);

  QString Name() const { return name_; }
  // A name another item of the collection has (letter case ignored) fails
  // with "prDupl"; the name stays.
  void SetName(const QString& name);
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  ReportFont* Font() const { return font_; }
  void SetFont(const ReportFont* font);
  TfrxFrame* Frame() const { return frame_; }
  void SetFrame(const TfrxFrame* frame);

  void Assign(const TfrxStyleItem& source);

private:
  TfrxStyles* styles_;
  QString name_;
  TColor color_;
  ReportFont* font_;
  TfrxFrame* frame_;
};

class TfrxStyles : public Persistent {
  Q_OBJECT
  Q_PROPERTY(QString Name READ Name WRITE SetName)

public:
  // The styles of a report (text views of that report use them), or free.
  explicit TfrxStyles(TfrxReport* report = nullptr);

  // The collection's own name (style sheet files carry it).
  QString Name() const { return name_; }
  void SetName(const QString& name) { name_ = name; }

  TfrxStyleItem* Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxStyleItem* Item(int index) const { return items_.at(index); }
  // Letter case ignored; none for an empty or unknown name.
  TfrxStyleItem* Find(const QString& name) const;
  void Clear();

  // Text views of the report take their named style again; a view whose style
  // is no longer in the collection gets an empty Style.
  void Apply() const;

  // Style sheet files: a document whose root "style" carries the
  // collection's Name and holds one "item" element per style.
  void SaveToStream(QIODevice& stream) const;
  void SaveToFile(const QString& fileName) const;
  // Empties the collection and reads a style sheet: only a root named
  // "style" (any letter case) is taken, other children than "item" are
  // passed over, and the styles are applied to the report's text views.
  // Answers the errors of single attributes; a document that is not well
  // formed throws ReportError.
  QStringList LoadFromStream(QIODevice& stream);
  QStringList LoadFromFile(const QString& fileName);

private:
  TfrxReport* report_;
  QString name_;
  QList<TfrxStyleItem*> items_;
};

}  // namespace valmoro::report
