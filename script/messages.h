#pragma once
// The engine's own message texts. They start in English; the report's text
// resources replace them with Polish ones once loaded, so every message the
// engine raises is looked up here at the moment it is raised.

#include <QString>

namespace valmoro::script {

// "Language '%s' not found"; %s stands for the language name.
inline constexpr const char* SLangNotFound = "SLangNotFound";
// "Invalid language definition": a grammar refers to a rule it lacks.
inline constexpr const char* SInvalidLanguage = "SInvalidLanguage";
// Source nested deeper than the parser follows; refused instead of
// running out of stack.
inline constexpr const char* SNestingTooDeep = "SNestingTooDeep";

// Malformed engine XML (grammars, program XML). Not replaceable.
QString InvalidFileFormatText();
// A file that cannot be opened for reading or created for writing; the
// reason is the system's text.
QString FileOpenErrorText(const QString& fileName, const QString& reason);
QString FileCreateErrorText(const QString& fileName, const QString& reason);

// The text in force for an id; the id itself when it is unknown.
QString ScriptMessage(const char* id);
// Replaces the text of an id (the report resources do this).
void SetScriptMessage(const QString& id, const QString& text);
// Back to the built-in texts.
void ResetScriptMessages();

// ScriptMessage(id) with its "%s" replaced by arg.
QString FormatScriptMessage(const char* id, const QString& arg);

}  // namespace valmoro::script
