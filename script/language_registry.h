#pragma once
// The process-wide list of script languages: a name and its grammar text
// each. The four built-in languages are there from the first use on, in the
// order "JScript", "BasicScript", "C++Script", "PascalScript". Names compare
// ignoring case.

#include <QString>
#include <QStringList>
#include <memory>

namespace valmoro::script {

class TfsGrammar;

// Adds a language, or replaces the grammar of one registered under the name.
void RegisterLanguage(const QString& name, const QString& grammarText);
// The grammar text; raises "Language '%s' not found" for an unknown name.
QString GrammarForLanguage(const QString& name);
// Every registered name that does not begin with "@", in registry order.
void ListLanguages(QStringList& list);
QStringList ListLanguages();

// The grammar of a language, read on first use and kept until the language
// is registered again. Raises like GrammarForLanguage, and "Invalid file
// format" for a malformed grammar.
std::shared_ptr<const TfsGrammar> LoadedGrammar(const QString& name);

// The grammar text of a built-in language as built into the program.
QString BuiltinGrammarText(const QString& name);

}  // namespace valmoro::script
