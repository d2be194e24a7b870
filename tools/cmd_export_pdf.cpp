// The "pdf" format of `valmoro-report export`: the PDF filter with the
// program's settings, changed by these options:
//   --user-password TEXT    password to open the file
//   --owner-password TEXT   password for full rights (random when omitted)
//   --permissions LIST      what a user-password reader may do: comma list of
//                           print, modify, copy, annot, or "none" / "all"
//   --rc4                   RC4 128-bit protection for old readers (AES-256
//                           otherwise)
//   --title/--author/--subject/--keywords TEXT   document information
//   --outline               the prepared pages' outline as bookmarks
//   --background            the page colour and picture
//   --no-compress           page contents and fonts as they are

#include <QStringList>

#include "export/pdf_export.h"
#include "export/program_settings.h"
#include "tools/export_formats.h"

namespace valmoro::tools {
namespace {

using exports::TfrxPDFExport;

std::unique_ptr<exports::TfrxCustomExportFilter> makePdf(const QStringList& options, QString& error) {
  auto filter = std::make_unique<TfrxPDFExport>();
  exports::ApplyProgramSettings(*filter);
  const auto value = [&](int& i, QString& out) {
    if (i + 1 >= options.size()) {
      error = QStringLiteral("Brak wartości opcji %1").arg(options[i]);
      return false;
    }
    out = options[++i];
    return true;
  };
  for (int i = 0; i < options.size(); ++i) {
    const QString& o = options[i];
    QString v;
    if (o == QLatin1String("--user-password")) {
      if (!value(i, v)) return nullptr;
      filter->SetUserPassword(v);
    } else if (o == QLatin1String("--owner-password")) {
      if (!value(i, v)) return nullptr;
      filter->SetOwnerPassword(v);
    } else if (o == QLatin1String("--permissions")) {
      if (!value(i, v)) return nullptr;
      TfrxPDFExport::TfrxPDFExportPermissions flags;
      for (const QString& word : v.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString w = word.trimmed().toLower();
        if (w == QLatin1String("print")) flags |= TfrxPDFExport::ePrint;
        else if (w == QLatin1String("modify")) flags |= TfrxPDFExport::eModify;
        else if (w == QLatin1String("copy")) flags |= TfrxPDFExport::eCopy;
        else if (w == QLatin1String("annot")) flags |= TfrxPDFExport::eAnnot;
        else if (w == QLatin1String("all"))
          flags |= TfrxPDFExport::ePrint | TfrxPDFExport::eModify | TfrxPDFExport::eCopy | TfrxPDFExport::eAnnot;
        else if (w != QLatin1String("none")) {
          error = QStringLiteral("Nieznane uprawnienie: %1 (dozwolone: print, modify, copy, annot, all, none)").arg(word);
          return nullptr;
        }
      }
      filter->SetProtectionFlags(flags);
    } else if (o == QLatin1String("--rc4")) {
      filter->SetRC4Encryption(true);
    } else if (o == QLatin1String("--title")) {
      if (!value(i, v)) return nullptr;
      filter->SetTitle(v);
    } else if (o == QLatin1String("--author")) {
      if (!value(i, v)) return nullptr;
      filter->SetAuthor(v);
    } else if (o == QLatin1String("--subject")) {
      if (!value(i, v)) return nullptr;
      filter->SetSubject(v);
    } else if (o == QLatin1String("--keywords")) {
      if (!value(i, v)) return nullptr;
      filter->SetKeywords(v);
    } else if (o == QLatin1String("--outline")) {
      filter->SetOutline(true);
    } else if (o == QLatin1String("--background")) {
      filter->SetBackground(true);
    } else if (o == QLatin1String("--no-compress")) {
      filter->SetCompressed(false);
    } else {
      error = QStringLiteral("Nieznana opcja: %1").arg(o);
      return nullptr;
    }
  }
  return filter;
}

const bool pdfRegistered = registerExportFormat({QStringLiteral("pdf"), makePdf});

}  // namespace
}  // namespace valmoro::tools
