#pragma once
// TfsScript: one script program. So far it carries what the source parser
// reads and reports: the source lines, the language, the unit loader, the
// identifier and include settings and the last compile error. The symbol
// table, the program tree and running belong with the interpreter.

#include <QString>
#include <QStringList>
#include <functional>

namespace valmoro::script {

class TfsScript;

// Asked for the text of an included unit; UnitText arrives empty.
using TfsGetUnitEvent = std::function<void(TfsScript* Sender, const QString& UnitName, QString& UnitText)>;

class TfsScript {
public:
  TfsScript() = default;
  TfsScript(const TfsScript&) = delete;
  TfsScript& operator=(const TfsScript&) = delete;

  QStringList Lines;
  QString SyntaxType = QStringLiteral("PascalScript");
  TfsGetUnitEvent OnGetUnit;

  // Characters 128..255 count as identifier characters.
  bool ExtendedIdentChars = false;
  // Folders searched for included units when OnGetUnit is not assigned;
  // one empty entry (the working folder) at first.
  QStringList IncludeFolders{QString()};

  // The last compile error: message, "line:column", and the included unit
  // it lies in ('' for the main source).
  QString ErrorText;
  QString ErrorPosition;
  QString ErrorUnitName;

  // Lines, each followed by CR LF, the last one included: the text that the
  // parser reads.
  QString SourceText() const;
};

// A text cut into lines at CR LF, CR or LF; a final line end adds no empty
// line, so "" has no lines and "\r\n" has one.
QStringList SplitSourceLines(const QString& text);
// Each line followed by CR LF.
QString JoinSourceLines(const QStringList& lines);
// A source file as text: UTF-8, a leading byte-order mark dropped. Raises
// the file-open error when the file cannot be read.
QString ReadSourceFile(const QString& fileName);

}  // namespace valmoro::script
