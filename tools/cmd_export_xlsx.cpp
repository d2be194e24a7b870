// The "xlsx" format of `valmoro-report export`: the spreadsheet filter with
// the program's settings; a few words switch its options.

#include "export/export_xls.h"
#include "export/program_settings.h"
#include "tools/export_formats.h"

namespace valmoro::tools {

namespace {

std::unique_ptr<exports::TfrxCustomExportFilter> makeXlsx(const QStringList& options, QString& error) {
  auto filter = std::make_unique<exports::TfrxXLSExport>();
  exports::ApplyProgramSettings(*filter);
  for (const QString& option : options) {
    if (option == QLatin1String("--normal")) filter->SetFastExport(false);
    else if (option == QLatin1String("--as-text")) filter->SetAsText(true);
    else if (option == QLatin1String("--continuous")) {
      filter->SetEmptyLines(false);
      filter->SetSuppressPageHeadersFooters(true);
    } else if (option == QLatin1String("--no-page-breaks")) filter->SetPageBreaks(false);
    else if (option == QLatin1String("--no-styles")) filter->SetExportStyles(false);
    else if (option == QLatin1String("--no-pictures")) filter->SetExportPictures(false);
    else if (option == QLatin1String("--no-merge")) filter->SetMergeCells(false);
    else if (option == QLatin1String("--no-wysiwyg")) filter->SetWysiwyg(false);
    else {
      error = QStringLiteral("Nieznana opcja: %1 (dla xlsx: --normal, --as-text, --continuous, --no-page-breaks, "
                             "--no-styles, --no-pictures, --no-merge, --no-wysiwyg)")
                  .arg(option);
      return nullptr;
    }
  }
  return filter;
}

const bool registered = registerExportFormat({QStringLiteral("xlsx"), makeXlsx});

}  // namespace

}  // namespace valmoro::tools
