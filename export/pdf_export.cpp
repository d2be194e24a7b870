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

TfrxPDFExport::TfrxPDFExport(QObject* owner) : TfrxCustomExportFilter(owner) {
  SetFileExtension(report::resources::text(u"8708"));
  SetFileTypeFilter(report::resources::text(u"8707"));
  author_ = QStringLiteral("Valmoro");
  subject_ = QStringLiteral("Valmoro PDF export");
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
  const Check checks[] = {
      {"OpenAfterExport", "Otwórz po eksporcie", &openAfter},
      {"Compressed", "Kompresja", &compressed_},
      {"EmbeddedFonts", "Osadzenie czcionek", &embeddedFonts_},
      {"PrintOptimized", "Zooptymalizowane dla druku", &printOptimized_},
      {"Outline", "Konspekt", &outline_},
      {"Background", "Tło", &background_},
      {"ePrint", "Wydrukuj dokument", &print},
      {"eModify", "Modyfikuj dokument", &modify},
      {"eCopy", "Kopia tekstu i grafiki", &copy},
      {"eAnnot", "Dodaj lub modyfikuj przypisy tekstowe", &annot},
      {"HideToolbar", "Ukryj pasek narzędziowy", &hideToolbar_},
      {"HideMenubar", "Ukryj pasek menu", &hideMenubar_},
      {"HideWindowUI", "Ukryj okienkowy interfejs użytkownika", &hideWindowUI_},
      {"FitWindow", "Zmieść w oknie", &fitWindow_},
      {"CenterWindow", "Wypośrodkuj", &centerWindow_},
      {"PrintScaling", "Drukuj skalując", &printScaling_},
  };
  return RunOptionsDialog(
      QStringLiteral("Eksport do PDF"),
      [&](ExportOptionsForm& form) {
        for (const Check& check : checks)
          form.addCheck(QString::fromLatin1(check.key), QString::fromUtf8(check.caption), *check.value);
        if (!outlineOffered) form.hide(QStringLiteral("Outline"));
      },
      [&](const ExportOptionsForm& form) {
        for (const Check& check : checks) *check.value = form.checked(QString::fromLatin1(check.key));
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
    auto* memo = qobject_cast<report::TfrxCustomMemoView*>(view);
    // Without HTMLTags the tags of a text are not interpreted.
    const bool tags = memo && memo->AllowHTMLTags();
    if (tags && !htmlTags_) memo->SetAllowHTMLTags(false);
    // Pictures are drawn as on paper (the printing path: smooth stretching).
    const bool wasPrinting = view->IsPrinting();
    view->SetPrinting(printOptimized_ || wasPrinting);
    struct Restore {
      report::TfrxView* view;
      report::TfrxCustomMemoView* memo;
      bool tags, printing;
      pdf::PdfCanvas* canvas;
      ~Restore() {
        if (memo) memo->SetAllowHTMLTags(tags);
        view->SetPrinting(printing);
        canvas->clearJpegSource();
      }
    } restore{view, memo, tags, wasPrinting, canvas_};
    view->Paint(*canvas_, kScale, kScale, 0, 0);
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
    pdf::PdfInfo info{title_, author_, subject_, keywords_, creator_, producer_};
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
