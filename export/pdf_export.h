#pragma once
// The PDF export filter: prepared pages drawn view by view on PDF page
// canvases, with the same drawing code as the preview and the printer, so
// that the file looks like the preview, opens everywhere, lets readers find
// and copy the text (Polish letters included) and can be protected.

#include <QObject>
#include <map>
#include <memory>
#include <vector>

#include "export/export_filter.h"

namespace valmoro::pdf {
class PdfDocument;
class PdfCanvas;
struct PdfOutlineItem;
}  // namespace valmoro::pdf

namespace valmoro::exports {

class TfrxPDFExport : public TfrxCustomExportFilter {
  Q_OBJECT
public:
  // Permissions granted to a reader who opens with the user password.
  enum TfrxPDFExportPermission { ePrint = 1, eModify = 2, eCopy = 4, eAnnot = 8 };
  Q_ENUM(TfrxPDFExportPermission)
  Q_DECLARE_FLAGS(TfrxPDFExportPermissions, TfrxPDFExportPermission)
  Q_FLAG(TfrxPDFExportPermissions)

private:
  Q_PROPERTY(bool Compressed READ Compressed WRITE SetCompressed)
  Q_PROPERTY(bool EmbeddedFonts READ EmbeddedFonts WRITE SetEmbeddedFonts)
  Q_PROPERTY(bool OpenAfterExport READ OpenAfterExport WRITE SetOpenAfterExport)
  Q_PROPERTY(bool PrintOptimized READ PrintOptimized WRITE SetPrintOptimized)
  Q_PROPERTY(bool Outline READ Outline WRITE SetOutline)
  Q_PROPERTY(bool Background READ Background WRITE SetBackground)
  Q_PROPERTY(bool HTMLTags READ HTMLTags WRITE SetHTMLTags)
  Q_PROPERTY(bool OverwritePrompt READ OverwritePrompt WRITE SetOverwritePrompt)
  Q_PROPERTY(QString Author READ Author WRITE SetAuthor)
  Q_PROPERTY(QString Subject READ Subject WRITE SetSubject)
  Q_PROPERTY(QString Title READ Title WRITE SetTitle)
  Q_PROPERTY(QString Keywords READ Keywords WRITE SetKeywords)
  Q_PROPERTY(QString Creator READ Creator WRITE SetCreator)
  Q_PROPERTY(QString Producer READ Producer WRITE SetProducer)
  Q_PROPERTY(QString UserPassword READ UserPassword WRITE SetUserPassword)
  Q_PROPERTY(QString OwnerPassword READ OwnerPassword WRITE SetOwnerPassword)
  Q_PROPERTY(TfrxPDFExportPermissions ProtectionFlags READ ProtectionFlags WRITE SetProtectionFlags)
  Q_PROPERTY(bool HideToolbar READ HideToolbar WRITE SetHideToolbar)
  Q_PROPERTY(bool HideMenubar READ HideMenubar WRITE SetHideMenubar)
  Q_PROPERTY(bool HideWindowUI READ HideWindowUI WRITE SetHideWindowUI)
  Q_PROPERTY(bool FitWindow READ FitWindow WRITE SetFitWindow)
  Q_PROPERTY(bool CenterWindow READ CenterWindow WRITE SetCenterWindow)
  Q_PROPERTY(bool PrintScaling READ PrintScaling WRITE SetPrintScaling)
  // RC4 with a 128-bit key instead of AES-256, for readers too old for AES.
  Q_PROPERTY(bool RC4Encryption READ RC4Encryption WRITE SetRC4Encryption)

public:
  explicit TfrxPDFExport(QObject* owner = nullptr);
  ~TfrxPDFExport() override;

  bool Compressed() const { return compressed_; }
  void SetCompressed(bool v) { compressed_ = v; }
  // Fonts are always embedded (as subsets): a file without them shows other
  // fonts on other machines and loses letters. The setting is kept.
  bool EmbeddedFonts() const { return embeddedFonts_; }
  void SetEmbeddedFonts(bool v) { embeddedFonts_ = v; }
  bool PrintOptimized() const { return printOptimized_; }
  void SetPrintOptimized(bool v) { printOptimized_ = v; }
  bool Outline() const { return outline_; }
  void SetOutline(bool v) { outline_ = v; }
  bool Background() const { return background_; }
  void SetBackground(bool v) { background_ = v; }
  bool HTMLTags() const { return htmlTags_; }
  void SetHTMLTags(bool v) { htmlTags_ = v; }
  QString Author() const { return author_; }
  void SetAuthor(const QString& v) { author_ = v; }
  QString Subject() const { return subject_; }
  void SetSubject(const QString& v) { subject_ = v; }
  QString Title() const { return title_; }
  void SetTitle(const QString& v) { title_ = v; }
  QString Keywords() const { return keywords_; }
  void SetKeywords(const QString& v) { keywords_ = v; }
  QString Creator() const { return creator_; }
  void SetCreator(const QString& v) { creator_ = v; }
  QString Producer() const { return producer_; }
  void SetProducer(const QString& v) { producer_ = v; }
  QString UserPassword() const { return userPassword_; }
  void SetUserPassword(const QString& v) { userPassword_ = v; }
  QString OwnerPassword() const { return ownerPassword_; }
  void SetOwnerPassword(const QString& v) { ownerPassword_ = v; }
  TfrxPDFExportPermissions ProtectionFlags() const { return protectionFlags_; }
  void SetProtectionFlags(TfrxPDFExportPermissions v) { protectionFlags_ = v; }
  // The permission value of the flags: −64 + 4 × the flags as a number.
  int PermissionValue() const;
  bool HideToolbar() const { return hideToolbar_; }
  void SetHideToolbar(bool v) { hideToolbar_ = v; }
  bool HideMenubar() const { return hideMenubar_; }
  void SetHideMenubar(bool v) { hideMenubar_ = v; }
  bool HideWindowUI() const { return hideWindowUI_; }
  void SetHideWindowUI(bool v) { hideWindowUI_ = v; }
  bool FitWindow() const { return fitWindow_; }
  void SetFitWindow(bool v) { fitWindow_ = v; }
  bool CenterWindow() const { return centerWindow_; }
  void SetCenterWindow(bool v) { centerWindow_ = v; }
  bool PrintScaling() const { return printScaling_; }
  void SetPrintScaling(bool v) { printScaling_ = v; }
  bool RC4Encryption() const { return rc4_; }
  void SetRC4Encryption(bool v) { rc4_ = v; }
  // Protection is on with a password or with any permission withheld.
  bool Protected() const;

  QString FilterCaption() const override;
  int ShowOptionsDialog() override;
  bool BeginExport() override;
  void OpenPage(report::TfrxReportPage* page, int index) override;
  void ExportView(report::TfrxComponent* object) override;
  void ClosePage(report::TfrxReportPage* page, int index) override;
  void EndExport() override;

private:
  // The prepared pages' outline, with places on the pages written.
  std::vector<pdf::PdfOutlineItem> outlineItems();

  bool compressed_ = true;
  bool embeddedFonts_ = false;
  bool printOptimized_ = false;
  bool outline_ = false;
  bool background_ = false;
  bool htmlTags_ = true;
  QString author_, subject_, title_, keywords_, creator_, producer_;
  QString userPassword_, ownerPassword_;
  TfrxPDFExportPermissions protectionFlags_ = TfrxPDFExportPermissions(ePrint | eModify | eCopy | eAnnot);
  bool hideToolbar_ = false, hideMenubar_ = false, hideWindowUI_ = false, fitWindow_ = false, centerWindow_ = false;
  bool printScaling_ = false;
  bool rc4_ = false;

  std::unique_ptr<pdf::PdfDocument> document_;
  pdf::PdfCanvas* canvas_ = nullptr;
  bool failed_ = false;
  // The printable area's top of the page being written, in points, per page
  // (for outline destinations, which count from it).
  std::map<int, std::pair<int, double>> pageIndex_;  // prepared page → (PDF page, top margin in points)
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TfrxPDFExport::TfrxPDFExportPermissions)

}  // namespace valmoro::exports
