#pragma once
// Symbolic names of colours and font character sets, as they appear in the
// component streams and layout files of the program. Lookups by name ignore
// letter case, as the files were written by hand as well as by the program.

#include <QString>
#include <QtGlobal>
#include <optional>

namespace valmoro::names {

// Colours are 32-bit values: 0x00BBGGRR for a plain colour, 0xFF0000nn for
// the system colour number nn, and the two special values below.
inline constexpr quint32 clNone = 0x1FFFFFFFu;
inline constexpr quint32 clDefault = 0x20000000u;
inline constexpr quint32 clWindowText = 0xFF000008u;

// "clWindowText" for 0xFF000008; nullopt for a colour without a name.
std::optional<QString> colorToIdent(quint32 color);
// 0xFF000008 for "clWindowText" (any case); nullopt for an unknown name.
std::optional<quint32> identToColor(const QString& ident);

inline constexpr int DEFAULT_CHARSET = 1;

// "DEFAULT_CHARSET" for 1; nullopt for a character set without a name.
std::optional<QString> charsetToIdent(int charset);
// 1 for "DEFAULT_CHARSET" (any case); nullopt for an unknown name.
std::optional<int> identToCharset(const QString& ident);

}  // namespace valmoro::names
