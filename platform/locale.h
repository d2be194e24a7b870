#pragma once
// Regional formats of the program. The original ran with the Polish Windows
// defaults; every caller that turns dates or numbers into text (or back) goes
// through here so that the whole program agrees on one set of formats.

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace valmoro::locale {

struct Formats {
  QString shortDateFormat = QStringLiteral("yyyy-MM-dd");  // Qt pattern
  QString longTimeFormat = QStringLiteral("HH:mm:ss");     // Qt pattern
  QChar decimalSeparator = QLatin1Char(',');
  QChar thousandSeparator = QChar(0x00A0);  // no-break space
  QChar dateSeparator = QLatin1Char('-');
  QChar timeSeparator = QLatin1Char(':');
};

// The formats in force. Fixed for the program; tests may read them.
const Formats& formats();

// Makes Polish the language of every control the program creates from now
// on: month and day names in calendars, the first day of the week, numbers
// a control formats itself. Called once at start, before the first window.
void useInControls();

// Installs Qt's own Polish texts (file dialogs: "Szukaj w", "Zapisz";
// standard buttons, context menus of edit boxes) for the application. False
// when the translation files are not installed; the controls then speak
// English, as Qt does by itself. Call once, after the application object.
bool installQtTranslations();

// Date alone in the short date format ("2026-12-09").
QString formatDate(const QDate& date);
// Time alone in the long time format ("07:05:09").
QString formatTime(const QTime& time);
// Short date, a blank and the long time; the time is left out when the value
// is exactly midnight, as the platform's default date-time text does.
QString formatDateTime(const QDateTime& value);
// Short date, a blank and the long time, always with the time.
QString formatDateTimeFull(const QDateTime& value);

// Reads a date in the short date format; nullopt when the text is not one.
std::optional<QDate> parseDate(const QString& text);
// Reads a time: "HH:mm:ss", "H:mm:ss", "HH:mm" or "H:mm".
std::optional<QTime> parseTime(const QString& text);
// Reads a date, optionally followed by a blank and a time.
std::optional<QDateTime> parseDateTime(const QString& text);

// Reads a floating-point number typed by a user: optional sign, digits with the
// decimal separator (a "." is accepted as well), optional exponent. Leading and
// trailing blanks are ignored; thousands separators are not accepted.
std::optional<double> parseFloat(const QString& text);

// The general floating-point text: up to 15 significant digits, no trailing
// zeros, the decimal separator of the locale, exponent form only for very large
// or very small magnitudes (21.5 gives "21,5").
QString formatFloatGeneral(double value);

// Formats a number with a display format in the platform's picture syntax:
// "0" digit, "#" optional digit, "." decimal point, "," thousands grouping,
// "E+"/"E-"/"e+"/"e-" exponent, quoted literals, and up to three sections
// separated by ";" (positive; negative; zero). An empty format gives the
// general form. "#,##0.00" with 1234.5 gives "1 234,50" (no-break space).
QString formatFloat(const QString& format, double value);

// The system code page of the Polish installations (Windows 1250): 8-bit
// texts of older files. Characters it lacks become "?" when encoding.
QString fromSystemCodePage(QByteArrayView bytes);
QByteArray toSystemCodePage(const QString& text);

}  // namespace valmoro::locale
