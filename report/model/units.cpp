#include "report/model/units.h"

#include "platform/locale.h"
#include "report/model/report_error.h"

namespace valmoro::report {

bool registerColorMetaType() {
  static const bool registered = [] {
    // Each conversion goes through quint32, so a colour variant converts
    // exactly as the number it used to be: the same texts, the same
    // failures ("abc" is no colour), the same wrapping of negative numbers.
    const QMetaType color = QMetaType::fromType<TColor>();
    const QMetaType number = QMetaType::fromType<quint32>();
    const QMetaType others[] = {QMetaType::fromType<int>(),        QMetaType::fromType<qlonglong>(),
                                QMetaType::fromType<qulonglong>(), QMetaType::fromType<double>(),
                                QMetaType::fromType<bool>(),       QMetaType::fromType<QString>(),
                                QMetaType::fromType<QByteArray>()};
    QMetaType::registerConverterFunction(
        [](const void* from, void* to) {
          *static_cast<quint32*>(to) = static_cast<const TColor*>(from)->value;
          return true;
        },
        color, number);
    QMetaType::registerConverterFunction(
        [](const void* from, void* to) {
          *static_cast<TColor*>(to) = *static_cast<const quint32*>(from);
          return true;
        },
        number, color);
    for (const QMetaType other : others) {
      QMetaType::registerConverterFunction(
          [other](const void* from, void* to) {
            const quint32 value = static_cast<const TColor*>(from)->value;
            return QMetaType::convert(QMetaType::fromType<quint32>(), &value, other, to);
          },
          color, other);
      QMetaType::registerConverterFunction(
          [other](const void* from, void* to) {
            quint32 value = 0;
            if (!QMetaType::convert(other, from, QMetaType::fromType<quint32>(), &value)) return false;
            static_cast<TColor*>(to)->value = value;
            return true;
          },
          other, color);
    }
    return true;
  }();
  return registered;
}

namespace {

int displayDecimals(LengthUnit unit) {
  switch (unit) {
    case LengthUnit::Millimetre:
      return 1;
    case LengthUnit::Inch:
      return 3;
    default:
      return 2;
  }
}

}  // namespace

QString formatLength(double value, LengthUnit stored, LengthUnit display) {
  const double scale = std::pow(10.0, displayDecimals(display));
  double shown = std::round(convertLength(value, stored, display) * scale) / scale;
  if (shown == 0) shown = 0;  // no "-0"
  return locale::formatFloatGeneral(shown);
}

double parseLength(const QString& text, LengthUnit stored, LengthUnit display) {
  const std::optional<double> number = locale::parseFloat(text);
  if (!number || !std::isfinite(*number)) {
    if (text.trimmed().isEmpty()) throw ReportError(QStringLiteral("Podaj liczbę."));
    throw ReportError(QStringLiteral("„%1” nie jest poprawną liczbą.").arg(text.trimmed()));
  }
  return convertLength(*number, display, stored);
}

QString lengthUnitSymbol(LengthUnit unit) {
  switch (unit) {
    case LengthUnit::Pixel:
      return QStringLiteral("px");
    case LengthUnit::Millimetre:
      return QStringLiteral("mm");
    case LengthUnit::Centimetre:
      return QStringLiteral("cm");
    case LengthUnit::Inch:
      return QStringLiteral("in");
    case LengthUnit::None:
      break;
  }
  return {};
}

}  // namespace valmoro::report
