// The prepared-page store, engine side: source objects and their aliases,
// appending pages and bands, cut and paste, logical page numbers, anchors,
// passes, and the outline navigator.

#include "report/engine/preview_pages.h"
#include "report/engine/preview_pages_internal.h"

#include <algorithm>
#include <cmath>

#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/report_xml.h"
#include "report/model/serializer.h"

namespace valmoro::report {

namespace {

constexpr double kPixelsPerMm = 3.77953;

int intProp(const TfrxXMLItem& item, const QString& name) { return item.Prop(name).toInt(); }

double floatOr(const TfrxXMLItem& item, const char16_t* name, double fallback) {
  const QString text = item.Prop(QString::fromUtf16(name));
  if (text.isEmpty()) return fallback;
  return frxStrToFloat(text).value_or(fallback);
}

}  // namespace


// ---------------------------------------------------------------------------

TfrxPreviewPages::TfrxPreviewPages(TfrxReport* report)
    : TfrxCustomPreviewPages(report),
      xml_(std::make_unique<TfrxXMLDocument>()),
      pictures_(std::make_unique<TfrxPictureCache>()),
      outline_(std::make_unique<TfrxOutlineNavigator>(*this)),
      serializer_(std::make_unique<TfrxXMLSerializer>()) {
  xml_->Root()->Name = QStringLiteral("preparedreport");
  xml_->AutoIndent = true;
}

TfrxPreviewPages::~TfrxPreviewPages() {
  // Page objects first: they may refer to nothing else, but keep the order
  // of the tree obvious.
  pageCache_.clear();
}

TfrxXMLItem* TfrxPreviewPages::node(const QString& name) const {
  TfrxXMLItem* root = xml_->Root();
  if (TfrxXMLItem* found = root->FindItem(name)) return found;
  return root->Add(name);
}

TfrxXMLItem* TfrxPreviewPages::PagesNode() const { return node(QStringLiteral("previewpages")); }
TfrxXMLItem* TfrxPreviewPages::OutlineNode() const { return node(QStringLiteral("outline")); }
TfrxXMLItem* TfrxPreviewPages::AnchorsNode() const { return node(QStringLiteral("anchors")); }
TfrxXMLItem* TfrxPreviewPages::LogicalPagesNode() const { return node(QStringLiteral("logicalpagenumbers")); }

TfrxXMLItem* TfrxPreviewPages::pageItem(int index) {
  TfrxXMLItem* pages = PagesNode();
  if (index < 0 || index >= pages->Count()) return nullptr;
  TfrxXMLItem* item = pages->Items(index);
  if (item->Unloaded()) xml_->LoadItem(item);
  return item;
}

TfrxXMLItem* TfrxPreviewPages::curPageItem() const {
  return const_cast<TfrxPreviewPages*>(this)->pageItem(curPage_);
}

bool TfrxPreviewPages::running() const { return engine_ && engine_->Running(); }

bool TfrxPreviewPages::doublePassFirst() const {
  return report_ && report_->EngineOptions()->DoublePass() && !report_->RunState().finalPass;
}

bool TfrxPreviewPages::finalPassOfDouble() const {
  return report_ && report_->EngineOptions()->DoublePass() && report_->RunState().finalPass;
}

int TfrxPreviewPages::Count() const { return PagesNode()->Count(); }

int TfrxPreviewPages::PagesInFile() const {
  const TfrxXMLItem* pages = PagesNode();
  int n = 0;
  for (int i = 0; i < pages->Count(); ++i) n += pages->Items(i)->Unloaded() ? 1 : 0;
  return n;
}

TfrxReportPage* TfrxPreviewPages::SourcePage(int index) const {
  return index >= 0 && index < SourcePageCount() ? sourcePages_[size_t(index)].get() : nullptr;
}

// ---------------------------------------------------------------------------
// Clearing and passes

void TfrxPreviewPages::Clear() {
  emptyPageCache();
  xml_->Clear();
  xml_->Root()->Name = QStringLiteral("preparedreport");
  outline_->SetCurItem(nullptr);
  pictures_->Clear();
  dictionary_.clear();
  byDesign_.clear();
  byCopy_.clear();
  sourcePageOf_.clear();
  sourcePages_.clear();
  curPage_ = -1;
  addPageAction_ = apAdd;
  firstPage_ = 0;
  xmlSize_ = 0;
  logicalPageNo_ = 0;
  passLastPage_ = -1;
  passObjectCount_ = 0;
  passOutlineCount_ = 0;
  passStartedEmpty_ = true;
}

void TfrxPreviewPages::Initialize() {
  if (!report_) return;
  const QString tempDir = report_->EngineOptions()->TempDir();
  pictures_->SetCacheInFile(report_->PreviewOptions()->PictureCacheInFile());
  pictures_->SetTempDir(tempDir);
  xml_->TempDir = tempDir;
}

void TfrxPreviewPages::BeginPass() {
  passLastPage_ = Count() - 1;
  passStartedEmpty_ = passLastPage_ < 0;
  passObjectCount_ = 0;
  passOutlineCount_ = 0;
  if (TfrxXMLItem* last = pageItem(passLastPage_)) {
    passObjectCount_ = last->Count();
    passOutlineCount_ = OutlineNode()->Count();
  }
  ResetLogicalPageNumber();
}

void TfrxPreviewPages::ClearFirstPassPages() {
  emptyPageCache();
  TfrxXMLItem* root = xml_->Root();
  if (passStartedEmpty_) {
    for (int i = root->Count() - 1; i >= 0; --i) {
      const QString& name = root->Items(i)->Name;
      if (name != QLatin1String("anchors") && name != QLatin1String("logicalpagenumbers")) root->Take(i);
    }
    outline_->SetCurItem(nullptr);
  } else {
    if (TfrxXMLItem* last = pageItem(passLastPage_))
      while (last->Count() > passObjectCount_) last->Take(last->Count() - 1);
    TfrxXMLItem* pages = PagesNode();
    while (pages->Count() > passLastPage_ + 1) pages->Take(pages->Count() - 1);
    TfrxXMLItem* outline = OutlineNode();
    while (outline->Count() > passOutlineCount_) outline->Take(outline->Count() - 1);
    outline_->SetCurItem(nullptr);
  }
  // The totals of the first pass's last section: written whatever pass the
  // engine already counts itself in.
  closeSection();
  curPage_ = passLastPage_;
  xmlSize_ = 0;
}

// ---------------------------------------------------------------------------
// Source objects

QString TfrxPreviewPages::uniqueAlias(const QString& prefix) const {
  auto taken = [&](int i) { return findAlias(QString(prefix + QString::number(i))) != nullptr; };
  int i = 10000;
  while (!taken(i) && i > 1) i /= 2;
  while (taken(i)) ++i;
  return prefix + QString::number(i);
}

TfrxPreviewPages::SourceObject* TfrxPreviewPages::findAlias(QStringView alias) const {
  auto it = std::lower_bound(dictionary_.begin(), dictionary_.end(), alias,
                             [](const std::unique_ptr<SourceObject>& so, QStringView a) { return so->alias < a; });
  return it != dictionary_.end() && (*it)->alias == alias ? it->get() : nullptr;
}

QString TfrxPreviewPages::baseTextOf(const TfrxComponent& copy) {
  // Against a new object of the class: a page element is rebuilt on such an
  // object, so only what differs from it needs applying, which keeps
  // reading a page cheap.
  std::unique_ptr<TfrxComponent> fresh(createObject(copy.ClassName(), nullptr));
  if (!fresh) return serializer_->ObjToText(copy);
  return copy.ClassName() + serializer_->ObjToXML(copy, QString(), fresh.get());
}

void TfrxPreviewPages::addSourceObject(TfrxComponent* design, TfrxComponent* copy, int pageIndex) {
  auto so = std::make_unique<SourceObject>();
  const QString prefix =
      qobject_cast<TfrxBand*>(copy) ? QStringLiteral("b") : copy->NamePrefix().left(1).toLower();
  so->alias = uniqueAlias(prefix.isEmpty() ? QStringLiteral("o") : prefix);
  so->sourceName = QStringLiteral("Page") + QString::number(pageIndex) + QLatin1Char('.') + copy->Name();
  so->copy = copy;
  so->design = design;
  so->baseText = baseTextOf(*copy);
  so->pageIndex = pageIndex;
  SourceObject* raw = so.get();
  auto at = std::lower_bound(dictionary_.begin(), dictionary_.end(), raw->alias,
                             [](const std::unique_ptr<SourceObject>& s, const QString& a) { return s->alias < a; });
  dictionary_.insert(at, std::move(so));
  if (design) byDesign_.insert(design, raw);
  byCopy_.insert(copy, raw);
}

namespace {

// A copy for the source page: same class and properties, same name; a
// picture view without its picture (pages take pictures from the cache), a
// text view without its data binding.
TfrxComponent* copyForSource(const TfrxComponent& design, TfrxComponent* parent) {
  TfrxComponent* copy = createObject(design.ClassName(), parent);
  if (!copy) return nullptr;
  copy->Assign(&design);
  copy->SetName(design.Name());
  if (auto* picture = qobject_cast<TfrxPictureView*>(copy)) picture->Picture()->Clear();
  if (auto* memo = qobject_cast<TfrxCustomMemoView*>(copy)) {
    memo->SetDataSet(nullptr);
    memo->SetDataSetName(QString());
  }
  return copy;
}

}  // namespace

void TfrxPreviewPages::AddSourceObjects(TfrxReportPage* page) {
  if (!page || sourcePageOf_.contains(page)) return;
  TfrxComponent* made = createObject(page->ClassName(), nullptr);
  auto* pageCopy = qobject_cast<TfrxReportPage*>(made);
  if (!pageCopy) {
    delete made;
    return;
  }
  std::unique_ptr<TfrxReportPage> owned(pageCopy);
  pageCopy->Assign(page);
  pageCopy->SetName(page->Name());
  const int index = SourcePageCount();
  sourcePages_.push_back(std::move(owned));
  sourcePageOf_.insert(page, index);

  // Depth first, parents before children, as the page lists its objects.
  struct Step {
    TfrxComponent* design;
    TfrxComponent* copyParent;
  };
  std::vector<Step> todo;
  for (qsizetype i = page->Objects().size() - 1; i >= 0; --i) todo.push_back({page->Objects()[i], pageCopy});
  while (!todo.empty()) {
    const Step step = todo.back();
    todo.pop_back();
    if (!step.design->IsPreviewVisible()) continue;
    TfrxComponent* copy = copyForSource(*step.design, step.copyParent);
    if (!copy) continue;
    addSourceObject(step.design, copy, index);
    const auto& children = step.design->Objects();
    for (qsizetype i = children.size() - 1; i >= 0; --i) todo.push_back({children[i], copy});
  }
}

void TfrxPreviewPages::AddToSourcePage(TfrxComponent* object) {
  if (!object || sourcePages_.empty() || byDesign_.contains(object)) return;
  TfrxComponent* copy = copyForSource(*object, sourcePages_.back().get());
  if (copy) addSourceObject(object, copy, SourcePageCount() - 1);
}

QString TfrxPreviewPages::AliasOf(const TfrxComponent* designObject) const {
  const SourceObject* so = byDesign_.value(designObject);
  return so ? so->alias : QString();
}

QString TfrxPreviewPages::SourceName(const QString& alias) const {
  const SourceObject* so = findAlias(alias);
  return so ? so->sourceName : QString();
}

// ---------------------------------------------------------------------------
// Pages and objects

void TfrxPreviewPages::moveOutPages() {
  TfrxXMLItem* pages = PagesNode();
  for (int i = pages->Count() - 2; i >= 0; --i) {
    TfrxXMLItem* item = pages->Items(i);
    if (!item->Movable) break;
    if (item->Unloaded()) continue;
    // A page built from this element may stay in the cache: it is a copy.
    xml_->UnloadItem(item);
  }
}

void TfrxPreviewPages::AddPage(TfrxReportPage* page) {
  if (!page) return;
  if (report_ && report_->EngineOptions()->UseFileCache() &&
      xmlSize_ > qint64(report_->EngineOptions()->MaxMemSize()) * 1048576) {
    xml_->TempDir = report_->EngineOptions()->TempDir();
    moveOutPages();
    xmlSize_ = 0;
  }
  ++curPage_;
  if (curPage_ < Count() && addPageAction_ == apWriteOver) return;

  if (!sourcePageOf_.contains(page)) AddSourceObjects(page);
  TfrxXMLItem* pages = PagesNode();
  TfrxXMLItem* item = pages->Add(QStringLiteral("page") + QString::number(sourcePageOf_.value(page)));
  item->Movable = pages->Count() > 2;
  if (report_) report_->Progress(TfrxReport::ProgressKind::Preparing, curPage_ + 1);
  addPageAction_ = apWriteOver;
  curPage_ = pages->Count() - 1;
  IncLogicalPageNumber();
}

void TfrxPreviewPages::writeObject(TfrxComponent& object, TfrxXMLItem& into) {
  SourceObject* so = byDesign_.value(&object);
  const bool firstPass = doublePassFirst();
  auto* picture = qobject_cast<TfrxPictureView*>(&object);
  if (picture && !firstPass) pictures_->AddPicture(*picture);

  QString name;
  QString attributes;
  if (so) {
    name = so->alias;
    if (firstPass || object.HasWholeAttributes())
      attributes = serializer_->ObjToXML(object, QString(), so->copy);
    else
      attributes = object.DiffAttributes(*so->copy);
  } else {
    // Made at run time: the whole object, its picture left to the cache.
    name = object.ClassName();
    if (picture) picture->SetPictureSuppressed(true);
    attributes = serializer_->ObjToXML(object);
    if (picture) picture->SetPictureSuppressed(false);
  }
  TfrxXMLItem* item = into.Add(name);
  item->Text = std::move(attributes);
  xmlSize_ += name.size() + item->Text.size() + qint64(sizeof(TfrxXMLItem)) + 16;

  for (TfrxComponent* child : object.Objects())
    if (child->Visible() && child->IsPreviewVisible()) writeObject(*child, *item);
}

void TfrxPreviewPages::AddObject(TfrxComponent* band) {
  TfrxXMLItem* page = curPageItem();
  if (!band || !page || !band->IsPreviewVisible()) return;
  dropCachedPage(curPage_);
  writeObject(*band, *page);
}

int TfrxPreviewPages::ObjectCount() const {
  const TfrxXMLItem* page = curPageItem();
  return page ? page->Count() : 0;
}

void TfrxPreviewPages::AddPicture(TfrxPictureView* view) {
  if (view) pictures_->AddPicture(*view);
}

int TfrxPreviewPages::CutObjects(int fromIndex) {
  TfrxXMLItem* page = curPageItem();
  if (!page) return 0;
  dropCachedPage(curPage_);
  TfrxXMLItem* cut = node(QStringLiteral("cutted"));
  const int from = std::max(fromIndex, 0);
  while (page->Count() > from) cut->AddItem(page->Take(from));
  return page->Count();
}

void TfrxPreviewPages::PasteObjects(double x, double y) {
  TfrxXMLItem* root = xml_->Root();
  const int at = root->Find(QStringLiteral("cutted"));
  if (at < 0) return;
  std::unique_ptr<TfrxXMLItem> cut = root->Take(at);
  TfrxXMLItem* page = curPageItem();
  if (!page || cut->Count() == 0) return;
  dropCachedPage(curPage_);

  // Values an element leaves out are its source object's.
  auto position = [this](const TfrxXMLItem& item, double& l, double& t) {
    const SourceObject* so = findAlias(item.Name);
    l = floatOr(item, u"l", so ? so->copy->Left() : 0);
    t = floatOr(item, u"t", so ? so->copy->Top() : 0);
  };
  double l0 = 0, t0 = 0;
  position(*cut->Items(0), l0, t0);
  while (cut->Count() > 0) {
    std::unique_ptr<TfrxXMLItem> item = cut->Take(0);
    double l = 0, t = 0;
    position(*item, l, t);
    item->SetProp(QStringLiteral("l"), frxValueToXML(l + x - l0));
    item->SetProp(QStringLiteral("t"), frxValueToXML(t + y - t0));
    page->AddItem(std::move(item));
  }
}

double TfrxPreviewPages::GetLastY(double x) const {
  const TfrxXMLItem* page = curPageItem();
  if (!page) return 0;
  double result = 0;
  for (int i = 0; i < page->Count(); ++i) {
    const TfrxXMLItem& item = *page->Items(i);
    const SourceObject* so = findAlias(item.Name);
    const QMetaObject* cls = so ? so->copy->metaObject() : findClass(item.Name);
    if (!cls || !cls->inherits(&TfrxBand::staticMetaObject)) continue;
    if (cls->inherits(&TfrxPageFooter::staticMetaObject) || cls->inherits(&TfrxOverlay::staticMetaObject)) continue;
    const bool always =
        cls->inherits(&TfrxPageHeader::staticMetaObject) || cls->inherits(&TfrxReportTitle::staticMetaObject);
    if (x != 0 && !always && std::abs(floatOr(item, u"l", so ? so->copy->Left() : 0) - x) >= 0.001) continue;
    const double bottom = floatOr(item, u"t", so ? so->copy->Top() : 0) + floatOr(item, u"h", so ? so->copy->Height() : 0);
    result = std::max(result, bottom);
  }
  return result;
}

bool TfrxPreviewPages::BandExists(TfrxBand* band) const {
  const TfrxXMLItem* page = curPageItem();
  if (!page || !band) return false;
  const SourceObject* so = byDesign_.value(band);
  const QMetaObject* kind = nullptr;
  if (qobject_cast<TfrxPageFooter*>(band))
    kind = &TfrxPageFooter::staticMetaObject;
  else if (qobject_cast<TfrxColumnFooter*>(band))
    kind = &TfrxColumnFooter::staticMetaObject;
  for (int i = 0; i < page->Count(); ++i) {
    const QString& name = page->Items(i)->Name;
    if (so && name == so->alias) return true;
    if (kind) {
      const SourceObject* other = findAlias(name);
      const QMetaObject* cls = other ? other->copy->metaObject() : findClass(name);
      if (cls && cls->inherits(kind)) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Logical page numbers

void TfrxPreviewPages::IncLogicalPageNumber() {
  if (finalPassOfDouble()) return;
  ++logicalPageNo_;
  TfrxXMLItem* entry = LogicalPagesNode()->Add(QStringLiteral("page"));
  entry->Text = QStringLiteral(" n=\"") + QString::number(logicalPageNo_) + QLatin1Char('"');
}

void TfrxPreviewPages::closeSection() {
  TfrxXMLItem* numbers = LogicalPagesNode();
  for (int i = std::min(curPage_, numbers->Count() - 1); i >= std::max(firstPage_, 0); --i) {
    TfrxXMLItem* entry = numbers->Items(i);
    entry->SetProp(QStringLiteral("t"), QString::number(logicalPageNo_));
    if (intProp(*entry, QStringLiteral("n")) == 1) break;
  }
  logicalPageNo_ = 0;
}

void TfrxPreviewPages::ResetLogicalPageNumber() {
  if (finalPassOfDouble()) return;
  closeSection();
}

int TfrxPreviewPages::GetLogicalPageNo() const {
  const TfrxXMLItem* numbers = LogicalPagesNode();
  if (curPage_ >= 0 && curPage_ < numbers->Count()) {
    const QString n = numbers->Items(curPage_)->Prop(QStringLiteral("n"));
    if (!n.isEmpty()) return n.toInt();
  }
  return curPage_ - firstPage_ + 1;
}

int TfrxPreviewPages::GetLogicalTotalPages() const {
  const TfrxXMLItem* numbers = LogicalPagesNode();
  if (curPage_ >= 0 && curPage_ < numbers->Count()) return numbers->Items(curPage_)->Prop(QStringLiteral("t")).toInt();
  return (engine_ ? engine_->TotalPages() : Count()) - firstPage_;
}

std::pair<int, int> TfrxPreviewPages::LogicalNumbers(int index) const {
  const TfrxXMLItem* numbers = LogicalPagesNode();
  if (index < 0 || index >= numbers->Count()) return {0, 0};
  const TfrxXMLItem& entry = *numbers->Items(index);
  return {intProp(entry, QStringLiteral("n")), intProp(entry, QStringLiteral("t"))};
}

// ---------------------------------------------------------------------------
// Anchors

void TfrxPreviewPages::AddAnchor(const QString& text) {
  TfrxXMLItem* item = AnchorsNode()->Add(QStringLiteral("item"));
  item->SetProp(QStringLiteral("text"), text);
  item->SetProp(QStringLiteral("page"), QString::number(curPage_));
  item->SetProp(QStringLiteral("top"), QString::number(qRound(engine_ ? engine_->CurY() : 0.0)));
}

int TfrxPreviewPages::GetAnchorCur() const { return AnchorsNode()->Count() - 1; }

int TfrxPreviewPages::AnchorCount() const { return AnchorsNode()->Count(); }

TfrxOutlineItemInfo TfrxPreviewPages::Anchor(int index) const {
  const TfrxXMLItem* anchors = AnchorsNode();
  if (index < 0 || index >= anchors->Count()) return {};
  const TfrxXMLItem& item = *anchors->Items(index);
  return {item.Prop(QStringLiteral("text")), intProp(item, QStringLiteral("page")), intProp(item, QStringLiteral("top"))};
}

void TfrxPreviewPages::ShiftAnchors(int fromIndex, int newTop, bool toNextPage) {
  TfrxXMLItem* anchors = AnchorsNode();
  const int first = std::max(fromIndex + 1, 0);
  if (first >= anchors->Count()) return;
  const int delta = newTop - intProp(*anchors->Items(first), QStringLiteral("top"));
  for (int i = first; i < anchors->Count(); ++i) {
    TfrxXMLItem* item = anchors->Items(i);
    item->SetProp(QStringLiteral("top"), QString::number(intProp(*item, QStringLiteral("top")) + delta));
    if (toNextPage)
      item->SetProp(QStringLiteral("page"), QString::number(intProp(*item, QStringLiteral("page")) + 1));
  }
}

int TfrxPreviewPages::GetAnchorPage(const QString& text) const {
  const TfrxXMLItem* anchors = AnchorsNode();
  for (int i = anchors->Count() - 1; i >= 0; --i)
    if (anchors->Items(i)->Prop(QStringLiteral("text")) == text)
      return intProp(*anchors->Items(i), QStringLiteral("page")) + 1;
  return 1;
}

// ---------------------------------------------------------------------------

void TfrxPreviewPages::UpdatePageDimensions(TfrxReportPage* page, double height, double width) {
  const auto it = sourcePageOf_.constFind(page);
  if (it == sourcePageOf_.constEnd()) return;
  TfrxReportPage* copy = sourcePages_[size_t(*it)].get();
  copy->SetPaperSize(256);
  copy->SetPaperWidth(width / kPixelsPerMm);
  copy->SetPaperHeight(height / kPixelsPerMm);
  emptyPageCache();
}

void TfrxPreviewPages::Finish() {
  emptyPageCache();
  sourcePageOf_.clear();
  byDesign_.clear();
  for (auto& so : dictionary_) so->design = nullptr;
  if (report_) report_->ProgressStop(TfrxReport::ProgressKind::Preparing);
}

void TfrxPreviewPages::emptyPageCache() { pageCache_.clear(); }

void TfrxPreviewPages::dropCachedPage(int index) {
  std::erase_if(pageCache_, [index](const std::unique_ptr<CachedPage>& entry) { return entry->index == index; });
}

// ---------------------------------------------------------------------------
// Outline

TfrxOutlineNavigator::TfrxOutlineNavigator(TfrxPreviewPages& pages) : pages_(pages) {}

TfrxXMLItem* TfrxOutlineNavigator::Root() const { return pages_.OutlineNode(); }

TfrxXMLItem* TfrxOutlineNavigator::CurItem() const { return current_ ? current_ : Root(); }

void TfrxOutlineNavigator::AddItem(const QString& text) {
  AddItem(text, qRound(pages_.Engine() ? pages_.Engine()->CurY() : 0.0));
}

void TfrxOutlineNavigator::AddItem(const QString& text, int top) {
  TfrxXMLItem* item = CurItem()->Add(QStringLiteral("item"));
  item->SetProp(QStringLiteral("text"), text);
  item->SetProp(QStringLiteral("page"), QString::number(pages_.CurPage()));
  item->SetProp(QStringLiteral("top"), QString::number(top));
  current_ = item;
}

void TfrxOutlineNavigator::LevelRoot() { current_ = nullptr; }

void TfrxOutlineNavigator::LevelUp() {
  if (!current_) return;
  TfrxXMLItem* parent = current_->Parent();
  current_ = parent == Root() ? nullptr : parent;
}

void TfrxOutlineNavigator::LevelDown(int index) {
  TfrxXMLItem* cur = CurItem();
  if (index >= 0 && index < cur->Count()) current_ = cur->Items(index);
}

int TfrxOutlineNavigator::Count() const { return CurItem()->Count(); }

TfrxOutlineItemInfo TfrxOutlineNavigator::GetItem(int index) const {
  const TfrxXMLItem* cur = CurItem();
  if (index < 0 || index >= cur->Count()) return {};
  const TfrxXMLItem& item = *cur->Items(index);
  return {item.Prop(QStringLiteral("text")), intProp(item, QStringLiteral("page")), intProp(item, QStringLiteral("top"))};
}

TfrxXMLItem* TfrxOutlineNavigator::GetCurPosition() const {
  const TfrxXMLItem* cur = CurItem();
  return cur->Count() > 0 ? cur->Items(cur->Count() - 1) : nullptr;
}

TfrxOutlinePosition TfrxOutlineNavigator::Position() const {
  TfrxXMLItem* cur = CurItem();
  return {cur, cur->Count()};
}

void TfrxOutlineNavigator::ShiftItems(const TfrxOutlinePosition& from, int newTop, bool toNextPage) {
  if (!from.element) return;
  // Everything recorded since: the element's items from the remembered
  // count on, then whatever follows the element in the tree (items added
  // after leaving it), each with all its descendants.
  std::vector<TfrxXMLItem*> tops;
  for (int i = std::max(from.count, 0); i < from.element->Count(); ++i) tops.push_back(from.element->Items(i));
  const TfrxXMLItem* root = Root();
  for (const TfrxXMLItem* level = from.element; level && level != root; level = level->Parent()) {
    TfrxXMLItem* parent = level->Parent();
    if (!parent) break;
    for (int i = parent->IndexOf(level) + 1; i < parent->Count(); ++i) tops.push_back(parent->Items(i));
  }
  if (tops.empty()) return;
  const int delta = newTop - intProp(*tops.front(), QStringLiteral("top"));
  std::vector<TfrxXMLItem*> todo(tops.rbegin(), tops.rend());
  while (!todo.empty()) {
    TfrxXMLItem* item = todo.back();
    todo.pop_back();
    item->SetProp(QStringLiteral("top"), QString::number(intProp(*item, QStringLiteral("top")) + delta));
    if (toNextPage)
      item->SetProp(QStringLiteral("page"), QString::number(intProp(*item, QStringLiteral("page")) + 1));
    for (int i = item->Count() - 1; i >= 0; --i) todo.push_back(item->Items(i));
  }
}

}  // namespace valmoro::report
