#pragma once
// The Polish texts of the report subsystem, by name or number. One table for
// the whole process: messages, captions of object kinds, window texts, the
// categories of the function list and the script engine's messages.
//
// The texts come from XML blocks: a root "Resources" (attribute CodePage)
// with one "StrRes" element (Name, Text) per text. The built-in Polish block
// is read on first use; a language file (".frc") read later replaces texts
// by name and adds new names. After each block the script engine's message
// texts are refreshed from the table.

#include <QString>
#include <QStringList>
#include <QStringView>

class QIODevice;

namespace valmoro::report::resources {

// The text of a resource name ("prDupl" gives "Nazwa jest już użyta"); an
// unknown name gives the name itself, so a missing entry shows up as such.
// A leading "!" of the text is removed.
QString text(QStringView name);
// Whether the name has a text.
bool contains(QStringView name);

// Reads one block into the table. Throws ReportError for a document that is
// not well formed or whose root is not "Resources"; the table then stays as
// it was.
void loadFromStream(QIODevice& stream);
void loadFromFile(const QString& fileName);

// The language files in a folder (the program's folder when empty): the
// names of its "*.frc" files without the extension, first letter upper-case,
// sorted.
QStringList availableLanguages(const QString& folder = QString());

// Forgets every loaded block and reads the built-in one again (tests).
void reset();

}  // namespace valmoro::report::resources
