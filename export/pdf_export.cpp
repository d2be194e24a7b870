#include "export/pdf_export.h"

#include <QCoreApplication>

#include "export/export_options_dialog.h"
#include "export/pdf_canvas.h"
#include "export/pdf_document.h"
#include "report/engine/preview_pages.h"
#include "report/model/memo_view.h"
#include "report/model/picture.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"
#include "report/model/resources.h"
#include "report/model/units.h"

namespace valmoro::exports {
namespace {

// Report pixels (96 per inch) to the 600-dpi pixels of the page canvases.
constexpr double kScale = double(pdf::PdfDocument::kDpi) / 96.0;
// Millimetres to points.
constexpr double kPointsPerMm = 72.0 / 25.4;

}  // namespace

namespace {
// The subject a new filter carries: it says nothing of the document, so the
// options dialog offers the report's name in its place.
const QString kCreationSubject = QStringLiteral("Valmoro PDF export");
}  // namespace

TfrxPDFExport::TfrxPDFExport(QObject* owner) : TfrxCustomExportFilter(owner) {
  SetFileExtension(report::resources::text(u"8708"));
  SetFileTypeFilter(report::resources::text(u"8707"));
  author_ = QStringLiteral("Valmoro");
  subject_ = kCreationSubject;
  creator_ = QCoreApplication::applicationName();
}

TfrxPDFExport::~TfrxPDFExport() = default;

int TfrxPDFExport::PermissionValue() const { return pdf::permissionValue(unsigned(protectionFlags_.toInt())); }

bool TfrxPDFExport::Protected() const {
  return !userPassword_.isEmpty() || !ownerPassword_.isEmpty() ||
         (unsigned(protectionFlags_.toInt()) & pdf::PermAll) != pdf::PermAll;
}

QString TfrxPDFExport::FilterCaption() const { return report::resources::text(u"PDFexport"); }

int TfrxPDFExport::ShowOptionsDialog() {
  if (Stream()) return 1;
  report::TfrxReport* report = Report();
  if (title_.isEmpty() && report && report->ReportOptions()) title_ = report->ReportOptions()->Name();
  if ((subject_.isEmpty() || subject_ == kCreationSubject) && report && report->ReportOptions() &&
      !report->ReportOptions()->Name().isEmpty())
    subject_ = report->ReportOptions()->Name();
  // The outline is offered only when the report shows one in its preview.
  const bool outlineOffered = !report || !report->PreviewOptions() || report->PreviewOptions()->OutlineVisible();
  outline_ = outlineOffered;
  struct Check {
    const char* key;
    const char* caption;
    bool* value;
  };
  bool print = protectionFlags_.testFlag(ePrint), modify = protectionFlags_.testFlag(eModify),
       copy = protectionFlags_.testFlag(eCopy), annot = protectionFlags_.testFlag(eAnnot);
  bool openAfter = OpenAfterExport();
  // Tab, group, key, caption and value of every check box, in dialog order.
  struct Placed {
    const char* tab;
    const char* group;
    Check check;
  };
  const Placed checks[] = {
      {"Eksport", "", {"OpenAfterExport", "Otwórz po eksporcie", &openAfter}},
      {"Eksport", "Ustawienia eksportu", {"Compressed", "Kompresja", &compressed_}},
      {"Eksport", "Ustawienia eksportu", {"EmbeddedFonts", "Osadzenie czcionek", &embeddedFonts_}},
      {"Eksport", "Ustawienia eksportu", {"PrintOptimized", "Zooptymalizowane dla druku", &printOptimized_}},
      {"Eksport", "Ustawienia eksportu", {"Outline", "Konspekt", &outline_}},
      {"Eksport", "Ustawienia eksportu", {"Background", "Tło", &background_}},
      {"Bezpieczeństwo", "Uprawnienia", {"ePrint", "Wydrukuj dokument", &print}},
      {"Bezpieczeństwo", "Uprawnienia", {"eModify", "Modyfikuj dokument", &modify}},
      {"Bezpieczeństwo", "Uprawnienia", {"eCopy", "Kopia tekstu i grafiki", &copy}},
      {"Bezpieczeństwo", "Uprawnienia", {"eAnnot", "Dodaj lub modyfikuj przypisy tekstowe", &annot}},
      {"Przeglądarka", "Ustawienia przeglądarki", {"HideToolbar", "Ukryj pasek narzędziowy", &hideToolbar_}},
      {"Przeglądarka", "Ustawienia przeglądarki", {"HideMenubar", "Ukryj pasek menu", &hideMenubar_}},
      {"Przeglądarka", "Ustawienia przeglądarki",
       {"HideWindowUI", "Ukryj okienkowy interfejs użytkownika", &hideWindowUI_}},
      {"Przeglądarka", "Ustawienia przeglądarki", {"FitWindow", "Zmieść w oknie", &fitWindow_}},
      {"Przeglądarka", "Ustawienia przeglądarki", {"CenterWindow", "Wypośrodkuj", &centerWindow_}},
      {"Przeglądarka", "Ustawienia przeglądarki", {"PrintScaling", "Drukuj skalując", &printScaling_}},
  };
  struct Field {
    const char* key;
    const char* caption;
    QString* value;
    bool masked;
  };
  const Field information[] = {
      {"Title", "Tytuł", &title_, false},         {"Author", "Autor", &author_, false},
      {"Subject", "Temat", &subject_, false},     {"Keywords", "Słowa kluczowe", &keywords_, false},
      {"Creator", "Twórca", &creator_, false},    {"Producer", "Producent", &producer_, false},
  };
  const Field authorisation[] = {
      {"OwnerPassword", "Hasło właściciela", &ownerPassword_, true},
      {"UserPassword", "Hasło użytkownika", &userPassword_, true},
  };
  auto addChecks = [&](ExportOptionsForm& form, const char* tab) {
    for (const Placed& placed : checks) {
      if (qstrcmp(placed.tab, tab) != 0) continue;
      form.beginGroup(QString::fromUtf8(placed.group));
      form.addCheck(QString::fromLatin1(placed.check.key), QString::fromUtf8(placed.check.caption),
                    *placed.check.value);
    }
  };
  auto addFields = [](ExportOptionsForm& form, const char* group, const auto& fields) {
    form.beginGroup(QString::fromUtf8(group));
    for (const Field& field : fields) {
      if (field.masked) form.addPassword(QString::fromLatin1(field.key), QString::fromUtf8(field.caption), *field.value);
      else form.addText(QString::fromLatin1(field.key), QString::fromUtf8(field.caption), *field.value);
    }
  };
  return RunOptionsDialog(
      QStringLiteral("Eksport do PDF"),
      [&](ExportOptionsForm& form) {
        form.beginTab(QStringLiteral("Eksport"));
        addChecks(form, "Eksport");
        if (!outlineOffered) form.disable(QStringLiteral("Outline"));
        // Fonts are always embedded as subsets: without them a reader shows
        // Polish letters with a font of its own choice, or not at all. The
        // box says so, ticked and fixed, rather than offer a choice it
        // would ignore.
        form.setChecked(QStringLiteral("EmbeddedFonts"), true);
        form.disable(QStringLiteral("EmbeddedFonts"));
        form.beginTab(QStringLiteral("Informacja"));
        addFields(form, "Informacja o dokumencie", information);
        form.beginTab(QStringLiteral("Bezpieczeństwo"));
        addFields(form, "Autoryzacja", authorisation);
        addChecks(form, "Bezpieczeństwo");
        form.beginTab(QStringLiteral("Przeglądarka"));
        addChecks(form, "Przeglądarka");
      },
      [&](const ExportOptionsForm& form) {
        for (const Placed& placed : checks)
          *placed.check.value = form.checked(QString::fromLatin1(placed.check.key));
        for (const Field& field : information) *field.value = form.text(QString::fromLatin1(field.key));
        for (const Field& field : authorisation) *field.value = form.text(QString::fromLatin1(field.key));
        if (!outlineOffered) outline_ = false;
        SetOpenAfterExport(openAfter);
        // The permissions are rebuilt from the four check boxes.
        TfrxPDFExportPermissions flags;
        if (print) flags |= ePrint;
        if (modify) flags |= eModify;
        if (copy) flags |= eCopy;
        if (annot) flags |= eAnnot;
        protectionFlags_ = flags;
      });
}

bool TfrxPDFExport::BeginExport() {
  if (!ResolveOutputFileName()) return false;
  failed_ = false;
  pageIndex_.clear();
  QIODevice* out = OpenOutput();
  pdf::PdfProtection protection;
  protection.enabled = Protected();
  protection.method = rc4_ ? pdf::Encryption::Rc4_128 : pdf::Encryption::Aes256;
  protection.userPassword = userPassword_;
  protection.ownerPassword = ownerPassword_;
  protection.permissions = unsigned(protectionFlags_.toInt()) & pdf::PermAll;
  try {
    document_ = std::make_unique<pdf::PdfDocument>(*out, compressed_, protection);
  } catch (...) {
    DiscardOutput();
    throw;
  }
  return true;
}

void TfrxPDFExport::OpenPage(report::TfrxReportPage* page, int index) {
  if (!document_) return;
  const double width = page->PaperWidth() * kPointsPerMm, height = page->PaperHeight() * kPointsPerMm;
  pageIndex_[index] = {document_->pageCount(), page->TopMargin() * kPointsPerMm};
  canvas_ = &document_->beginPage(width, height);
}

void TfrxPDFExport::ExportView(report::TfrxComponent* object) {
  if (!canvas_ || !IsExportableView(object)) return;
  auto* view = static_cast<report::TfrxView*>(object);
  if (view->Name() == QLatin1String("_pagebackground") && !background_) return;
  try {
    auto* picture = qobject_cast<report::TfrxPictureView*>(view);
    if (picture && !picture->Transparent() && picture->Picture()->GraphicClass() == QLatin1String("TJPEGImage"))
      canvas_->setJpegSource(picture->Picture()->Data(), picture->Picture()->Image().size());
    struct Restore {
      pdf::PdfCanvas* canvas;
      ~Restore() { canvas->clearJpegSource(); }
    } restore{canvas_};
    report::PaintContext context;
    context.purpose = report::PaintPurpose::Export;
    context.scaleX = kScale;
    context.scaleY = kScale;
    // Without HTMLTags the tags of a text are not interpreted.
    context.htmlTags = htmlTags_;
    // Print-optimised pictures are drawn as on paper (smooth stretching).
    context.printOptimized = printOptimized_;
    view->Paint(*canvas_, context);
  } catch (...) {
    failed_ = true;
    throw;
  }
}

void TfrxPDFExport::ClosePage(report::TfrxReportPage*, int) {
  if (!document_) return;
  canvas_ = nullptr;
  document_->endPage();
}

std::vector<pdf::PdfOutlineItem> TfrxPDFExport::outlineItems() {
  std::vector<pdf::PdfOutlineItem> items;
  report::TfrxReport* report = Report();
  if (!report) return items;
  report::TfrxOutlineNavigator& outline = report->PreviewPages().Outline();
  // Walks the tree from the root; the navigator's current element is
  // restored afterwards.
  report::TfrxXMLItem* saved = outline.CurItem();
  std::function<void(std::vector<pdf::PdfOutlineItem>&, int)> walk = [&](std::vector<pdf::PdfOutlineItem>& into,
                                                                         int depth) {
    const int count = outline.Count();
    for (int i = 0; i < count; ++i) {
      const report::TfrxOutlineItemInfo info = outline.GetItem(i);
      auto it = pageIndex_.find(info.page);
      pdf::PdfOutlineItem item;
      item.title = info.text;
      if (it != pageIndex_.end()) {
        item.page = it->second.first;
        item.top = it->second.second + info.top * 0.75;
      }
      if (depth < 64) {
        outline.LevelDown(i);
        walk(item.children, depth + 1);
        outline.LevelUp();
      }
      // Items of pages left out of the file lead nowhere; their children
      // move up in their place.
      if (it != pageIndex_.end()) {
        into.push_back(std::move(item));
      } else {
        for (auto& child : item.children) into.push_back(std::move(child));
      }
    }
  };
  outline.LevelRoot();
  walk(items, 0);
  outline.SetCurItem(saved);
  return items;
}

void TfrxPDFExport::EndExport() {
  if (!document_) return;
  std::unique_ptr<pdf::PdfDocument> document = std::move(document_);
  canvas_ = nullptr;
  if (failed_) {
    // A page that failed half-way must not end up in a file that looks whole.
    DiscardOutput();
    return;
  }
  try {
    // Without a title of its own the document is called as the report is,
    // also when no dialog offered that name (command line, quick export).
    QString title = title_;
    if (title.isEmpty() && Report() && Report()->ReportOptions()) title = Report()->ReportOptions()->Name();
    pdf::PdfInfo info{title, author_, subject_, keywords_, creator_, producer_};
    pdf::PdfViewerPreferences preferences;
    preferences.hideToolbar = hideToolbar_;
    preferences.hideMenubar = hideMenubar_;
    preferences.hideWindowUI = hideWindowUI_;
    preferences.fitWindow = fitWindow_;
    preferences.centerWindow = centerWindow_;
    preferences.printScaling = printScaling_;
    document->finish(info, preferences, outline_ ? outlineItems() : std::vector<pdf::PdfOutlineItem>{});
    CommitOutput();
  } catch (...) {
    DiscardOutput();
    throw;
  }
  OpenResultIfAsked();
}

}  // namespace valmoro::exports
