#pragma once
// Message texts of the program tree builder and the interpreter. Like the
// parser's, they can be replaced at run time (the report resources put
// Polish texts in), so they are looked up when raised.

#include <QString>

namespace valmoro::script {

inline constexpr const char* SIdRedeclared = "SIdRedeclared";
inline constexpr const char* SUnknownType = "SUnknownType";
inline constexpr const char* SIncompatibleTypes = "SIncompatibleTypes";
inline constexpr const char* SIdUndeclared = "SIdUndeclared";
inline constexpr const char* SClassRequired = "SClassRequired";
inline constexpr const char* SIndexRequired = "SIndexRequired";
inline constexpr const char* SStringError = "SStringError";
inline constexpr const char* SClassError = "SClassError";
inline constexpr const char* SArrayRequired = "SArrayRequired";
inline constexpr const char* SVarRequired = "SVarRequired";
inline constexpr const char* SNotEnoughParams = "SNotEnoughParams";
inline constexpr const char* STooManyParams = "STooManyParams";
inline constexpr const char* SLeftCantAssigned = "SLeftCantAssigned";
inline constexpr const char* SForError = "SForError";
inline constexpr const char* SEventError = "SEventError";

// The text in force for one of the ids above: a replacement set through
// SetScriptMessage, else the built-in English text.
QString ProgramMessage(const char* id);
// ProgramMessage(id) followed by the name in single quotes.
QString ProgramMessageQuoted(const char* id, const QString& name);
// ProgramMessage(id) with its "%s" replaced by arg.
QString FormatProgramMessage(const char* id, const QString& arg);

}  // namespace valmoro::script
