#pragma once
// The column collection of a data grid and its persistence as a component
// stream (the grid-layout file beside the executable). A column remembers which
// of its properties were set explicitly: only those are written, and a property
// that is not set follows the field it shows.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace valmoro::grid {

enum class Alignment { LeftJustify, RightJustify, Center };  // taLeftJustify …

struct ColumnFont {
  int charset = 1;               // DEFAULT_CHARSET
  quint32 color = 0xFF000008u;   // clWindowText
  int height = -11;              // pixels, negative: character height
  QString name = QStringLiteral("Tahoma");
  int orientation = 0;
  QString pitch = QStringLiteral("fpDefault");
  bool bold = true, italic = false, underline = false, strikeOut = false;

  friend bool operator==(const ColumnFont&, const ColumnFont&) = default;
};

struct ColumnTitle {
  std::optional<Alignment> alignment;
  std::optional<QString> caption;
  std::optional<quint32> color;
  std::optional<ColumnFont> font;

  friend bool operator==(const ColumnTitle&, const ColumnTitle&) = default;
};

struct Column {
  std::optional<Alignment> alignment;
  QString buttonStyle = QStringLiteral("cbsAuto");  // cbsAuto, cbsEllipsis, cbsNone
  std::optional<quint32> color;
  int dropDownRows = 7;
  bool expanded = true;
  QString fieldName;
  std::optional<ColumnFont> font;
  std::optional<QString> imeMode;  // identifier, e.g. "imDontCare"
  std::optional<QString> imeName;
  QStringList pickList;
  QString popupMenu;               // component name, empty: none
  std::optional<bool> readOnly;
  ColumnTitle title;
  std::optional<int> width;
  bool visible = true;

  friend bool operator==(const Column&, const Column&) = default;
};

// Component-stream bytes of the wrapper that holds the collection: signature,
// "TColumnsWrapper", empty name, "Columns" with the collection, end markers.
QByteArray writeColumnsStream(const QList<Column>& columns);

// Reads what writeColumnsStream writes (and what the original platform wrote,
// including the optional prefix byte and item indices). Throws
// valmoro::stream::StreamError with "Nieprawidłowy format danych" for a bad
// signature or a damaged stream, and "Właściwość %s nie istnieje" for a
// property a column does not know.
QList<Column> readColumnsStream(const QByteArray& bytes);

}  // namespace valmoro::grid
