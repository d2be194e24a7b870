// The prepared-page store, reader side: page objects rebuilt from the XML,
// page sizes, drawing, the object under the mouse, page editing, and the
// prepared-report file.

#include <QFile>
#include <QSaveFile>
#include <cmath>

#include "platform/canvas.h"
#include "platform/file_errors.h"
#include "report/engine/memo_expansion.h"
#include "report/engine/preview_pages.h"
#include "report/engine/preview_pages_internal.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/report_xml.h"
#include "report/model/run_lifecycle.h"
#include "report/model/serializer.h"
#include "report/paint/paint_support.h"
#include "script/script.h"
#include "script/variant.h"

namespace valmoro::report {

namespace {

constexpr double kPixelsPerMm = 3.77953;

bool isWholePage(const QString& name) {
  return name == QLatin1String("TfrxReportPage") || name == QLatin1String("TfrxDMPPage");
}

// "page" followed by a decimal number: the number, or -1.
int sourceIndexOf(const QString& name) {
  if (!name.startsWith(QLatin1String("page")) || name.size() == 4 || name.size() > 12) return -1;
  bool ok = false;
  const int n = QStringView(name).mid(4).toInt(&ok);
  return ok && n >= 0 ? n : -1;
}

// Picture views of a page that carry an ImageIndex take their pictures from
// the cache.
void loadPictures(TfrxComponent& page, const TfrxPictureCache& cache) {
  for (TfrxComponent* object : page.AllObjects())
    if (auto* picture = qobject_cast<TfrxPictureView*>(object); picture && picture->Picture()->IsEmpty())
      if (picture->ImageIndex() > 0) cache.GetPicture(*picture);
}

// Device coordinates, kept inside the range drawing accepts (a damaged
// file may name any size).
int roundEven(double v) { return paint::round(v); }

}  // namespace


// ---------------------------------------------------------------------------
// Page objects

void TfrxPreviewPages::readObjects(const TfrxXMLItem& element, TfrxComponent& parent) {
  struct Step {
    const TfrxXMLItem* element;
    TfrxComponent* parent;
  };
  std::vector<Step> todo;
  for (int i = element.Count() - 1; i >= 0; --i) todo.push_back({element.Items(i), &parent});
  while (!todo.empty()) {
    const Step step = todo.back();
    todo.pop_back();
    const TfrxXMLItem& item = *step.element;
    TfrxComponent* object = nullptr;
    if (const SourceObject* so = findAlias(item.Name)) {
      object = serializer_->ObjFromText(so->baseText + item.Text, step.parent);
      if (object) {
        object->SetName(so->copy->Name());
        if (auto* picture = qobject_cast<TfrxPictureView*>(object); picture && picture->Picture()->IsEmpty())
          pictures_->GetPicture(*picture);
      }
    } else {
      object = serializer_->ObjFromText(item.Name + item.Text, step.parent);
      if (object)
        if (auto* picture = qobject_cast<TfrxPictureView*>(object); picture && picture->Picture()->IsEmpty())
          pictures_->GetPicture(*picture);
    }
    if (!object) continue;  // unknown class: skipped with its children
    for (int i = item.Count() - 1; i >= 0; --i) todo.push_back({item.Items(i), object});
  }
}

std::unique_ptr<TfrxReportPage> TfrxPreviewPages::buildPage(int index) {
  TfrxXMLItem* item = pageItem(index);
  if (!item) return nullptr;
  std::unique_ptr<TfrxReportPage> page;
  if (isWholePage(item->Name)) {
    page = std::make_unique<TfrxReportPage>();
    serializer_->ReadRootComponent(*page, *item);
    loadPictures(*page, *pictures_);
  } else {
    const TfrxReportPage* source = SourcePage(sourceIndexOf(item->Name));
    if (!source) return nullptr;
    TfrxComponent* made = createObject(source->ClassName(), nullptr);
    page.reset(qobject_cast<TfrxReportPage*>(made));
    if (!page) {
      delete made;
      return nullptr;
    }
    page->Assign(source);
    page->SetName(source->Name());
    readObjects(*item, *page);
  }
  page->ArrangeAlignedChildren();
  return page;
}

TfrxReportPage* TfrxPreviewPages::Page(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  // While the engine runs, every change to a page drops that page from the
  // cache, so a kept page is still the page as stored.
  const bool live = running();
  for (auto it = pageCache_.begin(); it != pageCache_.end(); ++it)
    if ((*it)->index == index) {
      std::rotate(pageCache_.begin(), it, it + 1);
      return pageCache_.front()->page.get();
    }
  std::unique_ptr<TfrxReportPage> page = buildPage(index);
  if (!page) return nullptr;
  auto entry = std::make_unique<CachedPage>();
  entry->index = index;
  entry->page = std::move(page);
  TfrxReportPage* result = entry->page.get();
  pageCache_.insert(pageCache_.begin(), std::move(entry));

  const int limit = report_ ? report_->PreviewOptions()->PagesInCache() : 50;
  if (pageCache_.size() > 1 && int(pageCache_.size()) > limit) {
    const int dropped = pageCache_.back()->index;
    pageCache_.pop_back();
    if (!live) unloadPageElement(dropped);
  }
  return result;
}

void TfrxPreviewPages::unloadPageElement(int index) {
  // The element read for it goes back to the temporary file.
  if (!report_ || !report_->EngineOptions()->UseFileCache()) return;
  TfrxXMLItem* pages = PagesNode();
  if (index < pages->Count() && pages->Items(index)->Movable) {
    try {
      xml_->UnloadItem(pages->Items(index));
    } catch (const ReportError&) {
      // The disk is full: the element simply stays in memory.
    }
  }
}

void TfrxPreviewPages::ClearPageCache() {
  std::vector<std::unique_ptr<CachedPage>> dropped;
  dropped.swap(pageCache_);
  if (running()) return;
  for (const auto& entry : dropped) unloadPageElement(entry->index);
}

QSize TfrxPreviewPages::PageSize(int index) {
  TfrxXMLItem* pages = PagesNode();
  if (index < 0 || index >= pages->Count()) return {0, 0};
  const QString& name = pages->Items(index)->Name;
  const TfrxReportPage* page = isWholePage(name) ? Page(index) : SourcePage(sourceIndexOf(name));
  if (!page) return {0, 0};
  return {roundEven(page->Width()), roundEven(page->Height())};
}

// ---------------------------------------------------------------------------
// Drawing

void TfrxPreviewPages::DrawPage(int index, gfx::Canvas& canvas, double scaleX, double scaleY, double offsetX,
                                double offsetY) {
  TfrxReportPage* page = Page(index);
  if (!page) return;
  const bool printer = canvas.printsOnPaper();
  const bool swap = page->MirrorMargins() && index % 2 == 1;
  const double leftMargin = page->LeftMargin();
  const double rightMargin = page->RightMargin();
  if (swap) {
    page->SetLeftMargin(rightMargin);
    page->SetRightMargin(leftMargin);
  }
  struct Restore {
    TfrxReportPage* page;
    double left, right;
    bool swap;
    ~Restore() {
      if (!swap) return;
      page->SetLeftMargin(left);
      page->SetRightMargin(right);
    }
  } restore{page, leftMargin, rightMargin, swap};

  PaintContext context;
  context.purpose = printer ? PaintPurpose::Print : PaintPurpose::Screen;
  context.scaleX = scaleX;
  context.scaleY = scaleY;
  context.offsetX = offsetX;
  context.offsetY = offsetY;
  // Text views fill "[TotalPages#]" and "[CopyName#]" with this store's
  // figures.
  context.totalPages = Count();
  context.copyNumber = copyNo_;
  context.fillPlaceholders = &engine::FillPlaceholders;

  bool clipped = false;
  if (!printer) {
    const gfx::Rect paper{roundEven(offsetX), roundEven(offsetY),
                          roundEven(offsetX + page->PaperWidth() * kPixelsPerMm * scaleX) - 1,
                          roundEven(offsetY + page->PaperHeight() * kPixelsPerMm * scaleY) - 1};
    canvas.pushClip(paper);
    clipped = true;
  }
  page->PaintBackground(canvas, context);
  const PaintContext inMargins =
      context.movedBy(page->LeftMargin() * kPixelsPerMm * scaleX, page->TopMargin() * kPixelsPerMm * scaleY);
  for (TfrxComponent* object : page->AllObjects()) {
    auto* view = qobject_cast<TfrxView*>(object);
    if (!view) continue;
    if (printer && !view->Printable()) continue;
    view->Paint(canvas, inMargins);
  }
  if (clipped) canvas.popClip();
}

// ---------------------------------------------------------------------------
// The object under the mouse

namespace {

QString shortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

QString longHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}

}  // namespace

TfrxPointAnswer TfrxPreviewPages::ObjectOver(const TfrxPointQuery& query) {
  TfrxPointAnswer answer;
  if (query.pageIndex < 0 || query.pageIndex >= Count() || running()) return answer;
  TfrxReportPage* page = nullptr;
  try {
    page = Page(query.pageIndex);
  } catch (const ReportError&) {
    page = nullptr;
  }
  if (!page) return answer;
  answer.handled = true;

  const double zoom = query.zoom;
  const bool mirrored = page->MirrorMargins() && query.pageIndex % 2 == 1;
  const double offsetX = query.offsetX + (mirrored ? page->RightMargin() : page->LeftMargin()) * kPixelsPerMm * zoom;
  const double offsetY = query.offsetY + page->TopMargin() * kPixelsPerMm * zoom;

  const QList<TfrxComponent*> objects = page->AllObjects();
  TfrxGroupHeader* drill = nullptr;
  for (qsizetype i = objects.size() - 1; i >= 0; --i) {
    TfrxComponent* c = objects[i];
    const double left = c->AbsLeft();
    const double top = c->AbsTop();
    const double x0 = roundEven(left * zoom) + offsetX;
    const double y0 = roundEven(top * zoom) + offsetY;
    const double x1 = roundEven((left + c->Width()) * zoom) + offsetX;
    const double y1 = roundEven((top + c->Height()) * zoom) + offsetY;
    const bool inside = query.x >= x0 && query.x < x1 && query.y >= y0 && query.y < y1;
    if (auto* header = qobject_cast<TfrxGroupHeader*>(c); header && header->DrillDown() && inside) drill = header;
    auto* view = qobject_cast<TfrxView*>(c);
    if (!view || !inside) {
      if (view && view->ShowHint() && query.useReportHints) answer.hideTooltip = true;
      continue;
    }

    answer.view = view;
    if (auto* header = qobject_cast<TfrxGroupHeader*>(view->Parent()); header && header->DrillDown()) drill = header;
    if (view->Cursor() != crDefault) answer.cursor = view->Cursor();
    if (!view->URL().isEmpty()) {
      answer.linkText = view->URL();
      if (view->Cursor() == crDefault) answer.cursor = crHandPoint;
    }
    if (!view->Hint().isEmpty() && view->ShowHint() && query.useReportHints) {
      answer.hintText = longHint(view->Hint());
      answer.tooltip = shortHint(view->Hint());
      answer.hideTooltip = false;
    }
    const bool clicked = query.click || query.doubleClick;
    if ((!clicked || drill) && report_ && report_->OnMouseOverObject) report_->OnMouseOverObject(view);
    if (clicked && !drill) {
      const QString url = view->URL();
      if (url.startsWith(QLatin1Char('@'))) {
        answer.action = TfrxPointAnswer::Action::GoToPage;
        answer.page = std::max(url.mid(1).trimmed().toInt() - 1, 0);
      } else if (url.startsWith(QLatin1Char('#'))) {
        const QString name = url.mid(1);
        answer.action = TfrxPointAnswer::Action::GoToAnchor;
        answer.page = GetAnchorPage(name) - 1;
        const TfrxXMLItem* anchors = AnchorsNode();
        for (int k = anchors->Count() - 1; k >= 0; --k)
          if (anchors->Items(k)->Prop(QStringLiteral("text")) == name) {
            answer.top = anchors->Items(k)->Prop(QStringLiteral("top")).toInt();
            break;
          }
      } else if (!url.isEmpty()) {
        answer.action = TfrxPointAnswer::Action::OpenUrl;
        answer.url = url;
      }

      bool modified = false;
      const int button = int(query.button);
      const QString handler = query.doubleClick ? view->OnPreviewDblClick() : view->OnPreviewClick();
      if (!handler.isEmpty() && report_) {
        script::Variant arguments = script::Variant::FromArray(script::VariantArray::Of(
            {script::Variant::FromObject(view), script::Variant(button), script::Variant(query.shift),
             script::Variant(false)}));
        report_->Script().CallRoutineByRef(handler, arguments);
        if (arguments.IsArray() && arguments.AsArray().Size() >= 4) modified = arguments.AsArray().At(3).ToBool();
      }
      if (report_) {
        const auto& handlerFn = query.doubleClick ? report_->OnDblClickObject : report_->OnClickObject;
        if (handlerFn) handlerFn(view, button, query.shift, modified);
      }
      if (modified) {
        ModifyPage(query.pageIndex, page);
        answer.modified = true;
        answer.view = nullptr;  // the page object is gone with the cache
      }
    }
    break;
  }

  if (drill) {
    answer.cursor = crHandPoint;
    answer.drillName = drill->DrillName();
    if (query.click && query.button == TfrxMouseButton::Left && report_) {
      QStringList& names = report_->ExpandedDrillNames();
      if (names.contains(answer.drillName))
        names.removeAll(answer.drillName);
      else
        names.append(answer.drillName);
      answer.drillToggled = true;
    }
  }
  return answer;
}

// ---------------------------------------------------------------------------
// Editing

void TfrxPreviewPages::AddEmptyPage(int index) {
  TfrxXMLItem* pages = PagesNode();
  if (index < 0 || index >= pages->Count()) return;
  pages->InsertItem(index, std::make_unique<TfrxXMLItem>(pages->Items(index)->Name));
  // Logical numbers stay with their pages.
  TfrxXMLItem* numbers = LogicalPagesNode();
  if (index < numbers->Count()) numbers->InsertItem(index, std::make_unique<TfrxXMLItem>(QStringLiteral("page")));
  emptyPageCache();
}

void TfrxPreviewPages::DeletePage(int index) {
  TfrxXMLItem* pages = PagesNode();
  if (pages->Count() < 2 || index < 0 || index >= pages->Count()) return;
  pages->Take(index);
  TfrxXMLItem* numbers = LogicalPagesNode();
  if (index < numbers->Count()) numbers->Take(index);
  if (curPage_ >= pages->Count()) curPage_ = pages->Count() - 1;
  emptyPageCache();
}

void TfrxPreviewPages::ModifyPage(int index, TfrxReportPage* page) {
  TfrxXMLItem* item = pageItem(index);
  if (!item || !page) return;
  // Pictures stay in the cache; the element keeps only their index.
  std::vector<TfrxPictureView*> suppressed;
  for (TfrxComponent* object : page->AllObjects())
    if (auto* picture = qobject_cast<TfrxPictureView*>(object)) {
      pictures_->AddPicture(*picture);
      picture->SetPictureSuppressed(true);
      suppressed.push_back(picture);
    }
  auto fresh = std::make_unique<TfrxXMLItem>();
  serializer_->WriteObject(*page, *fresh, true, true);
  for (TfrxPictureView* picture : suppressed) picture->SetPictureSuppressed(false);
  item->Clear();
  item->Name = fresh->Name;
  item->Text = fresh->Text;
  while (fresh->Count() > 0) item->AddItem(fresh->Take(0));
  item->Movable = false;
  emptyPageCache();
}

void TfrxPreviewPages::AddFrom(TfrxReport* other) {
  if (!other || other == report_) return;
  TfrxPreviewPages* prepared = other->Run().PreparedPages();
  if (!prepared) return;
  TfrxPreviewPages& from = *prepared;
  const int offset = Count();
  TfrxXMLItem* pages = PagesNode();
  for (int i = 0; i < from.Count(); ++i) {
    TfrxReportPage* page = from.Page(i);
    if (!page) continue;
    // Pictures move into this store's cache; the other store's page keeps
    // its own indexes.
    std::vector<std::pair<TfrxPictureView*, int>> indexes;
    for (TfrxComponent* object : page->AllObjects())
      if (auto* picture = qobject_cast<TfrxPictureView*>(object)) {
        indexes.emplace_back(picture, picture->ImageIndex());
        pictures_->AddPicture(*picture);
        picture->SetPictureSuppressed(true);
      }
    TfrxXMLItem* item = pages->Add();
    serializer_->WriteObject(*page, *item, true, true);
    for (auto& [picture, imageIndex] : indexes) {
      picture->SetPictureSuppressed(false);
      picture->SetImageIndex(imageIndex);
    }
    const auto [n, t] = from.LogicalNumbers(i);
    TfrxXMLItem* numbers = LogicalPagesNode();
    while (numbers->Count() < pages->Count() - 1) numbers->Add(QStringLiteral("page"));
    TfrxXMLItem* entry = numbers->Add(QStringLiteral("page"));
    if (n > 0) entry->SetProp(QStringLiteral("n"), QString::number(n));
    if (t > 0) entry->SetProp(QStringLiteral("t"), QString::number(t));
  }
  for (int i = 0; i < from.AnchorCount(); ++i) {
    const TfrxOutlineItemInfo anchor = from.Anchor(i);
    TfrxXMLItem* item = AnchorsNode()->Add(QStringLiteral("item"));
    item->SetProp(QStringLiteral("text"), anchor.text);
    item->SetProp(QStringLiteral("page"), QString::number(anchor.page + offset));
    item->SetProp(QStringLiteral("top"), QString::number(anchor.top));
  }
  // The other outline item by item under this root, pages offset.
  struct Step {
    const TfrxXMLItem* source;
    TfrxXMLItem* target;
  };
  std::vector<Step> todo{{from.OutlineNode(), OutlineNode()}};
  while (!todo.empty()) {
    const Step step = todo.back();
    todo.pop_back();
    for (int i = 0; i < step.source->Count(); ++i) {
      const TfrxXMLItem* s = step.source->Items(i);
      TfrxXMLItem* t = step.target->Add(QStringLiteral("item"));
      t->SetProp(QStringLiteral("text"), s->Prop(QStringLiteral("text")));
      t->SetProp(QStringLiteral("page"), QString::number(s->Prop(QStringLiteral("page")).toInt() + offset));
      t->SetProp(QStringLiteral("top"), s->Prop(QStringLiteral("top")));
      todo.push_back({s, t});
    }
  }
  emptyPageCache();
}

// ---------------------------------------------------------------------------
// Files

void TfrxPreviewPages::SaveToStream(QIODevice& stream) {
  TfrxXMLItem* root = xml_->Root();
  root->Name = QStringLiteral("preparedreport");
  TfrxXMLItem* reportNode = node(QStringLiteral("report"));
  reportNode->Clear();
  if (report_) {
    TfrxXMLItem* r = reportNode->Add(report_->ClassName());
    r->SetProp(QStringLiteral("DotMatrixReport"), frxValueToXML(report_->DotMatrixReport()));
    r->SetProp(QStringLiteral("PreviewOptions.OutlineVisible"),
               frxValueToXML(report_->PreviewOptions()->OutlineVisible()));
    r->SetProp(QStringLiteral("PreviewOptions.OutlineWidth"),
               QString::number(report_->PreviewOptions()->OutlineWidth()));
    r->SetProp(QStringLiteral("ReportOptions.Name"), report_->ReportOptions()->Name());
  }
  TfrxXMLItem* sources = node(QStringLiteral("sourcepages"));
  sources->Clear();
  for (const auto& page : sourcePages_) serializer_->WriteObject(*page, *sources->Add(), true, false);
  TfrxXMLItem* dictionary = node(QStringLiteral("dictionary"));
  dictionary->Clear();
  for (const auto& so : dictionary_)
    dictionary->Add(so->alias)->Text = QStringLiteral(" name=\"") + frxEscape(so->sourceName) + QLatin1Char('"');
  TfrxXMLItem* pictures = node(QStringLiteral("picturecache"));
  pictures->Clear();
  pictures_->SaveToXML(*pictures);

  // What the pages need comes first: a file cut short still shows the
  // pages before the cut.
  int front = 0;
  for (const char* name : {"report", "sourcepages", "dictionary", "picturecache"}) {
    const int at = root->Find(QLatin1String(name));
    if (at >= 0) root->InsertItem(front++, root->Take(at));
  }

  struct DropParts {
    TfrxXMLItem* root;
    ~DropParts() {
      // Written only for the file: rebuilt from memory on every save.
      for (const char* name : {"sourcepages", "dictionary", "picturecache"}) {
        const int at = root->Find(QLatin1String(name));
        if (at >= 0) root->Take(at);
      }
    }
  } drop{root};
  xml_->SaveToStream(stream);
}

void TfrxPreviewPages::SaveToFile(const QString& fileName) {
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw ReportError(QStringLiteral("Nie można utworzyć pliku %1: %2").arg(fileName, files::ioErrorText(file)));
  SaveToStream(file);
  if (!files::commitFile(file))
    throw ReportError(QStringLiteral("Nie można zapisać pliku %1: %2").arg(fileName, files::ioErrorText(file)));
}

void TfrxPreviewPages::LoadFromStream(QIODevice& stream, bool allowPartialLoading) {
  Clear();
  try {
    xml_->LoadFromStream(stream, allowPartialLoading);
  } catch (const ReportError&) {
    Clear();
    throw;
  }
  TfrxXMLItem* root = xml_->Root();
  if (root->Name.compare(QLatin1String("preparedreport"), Qt::CaseInsensitive) != 0) {
    Clear();
    throw ReportError(QStringLiteral("To nie jest plik przygotowanego raportu"));
  }
  root->Name = QStringLiteral("preparedreport");

  try {
    if (const TfrxXMLItem* r = root->FindItem(QStringLiteral("report")); r && r->Count() > 0 && report_) {
      const TfrxXMLItem& attributes = *r->Items(0);
      auto flag = [&](const char* name) {
        const QString v = attributes.Prop(QLatin1String(name));
        return v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || v == QLatin1String("1");
      };
      report_->SetDotMatrixReport(flag("DotMatrixReport"));
      report_->PreviewOptions()->SetOutlineVisible(flag("PreviewOptions.OutlineVisible"));
      const QString width = attributes.Prop(QStringLiteral("PreviewOptions.OutlineWidth"));
      if (!width.isEmpty()) report_->PreviewOptions()->SetOutlineWidth(width.toInt());
      report_->ReportOptions()->SetName(attributes.Prop(QStringLiteral("ReportOptions.Name")));
    }

    if (const int at = root->Find(QStringLiteral("sourcepages")); at >= 0) {
      std::unique_ptr<TfrxXMLItem> sources = root->Take(at);
      if (sources->Unloaded()) xml_->LoadItem(sources.get());
      for (int i = 0; i < sources->Count(); ++i) {
        auto page = std::make_unique<TfrxReportPage>();
        serializer_->ReadRootComponent(*page, *sources->Items(i));
        sourcePages_.push_back(std::move(page));
      }
    }

    if (const int at = root->Find(QStringLiteral("dictionary")); at >= 0) {
      std::unique_ptr<TfrxXMLItem> dictionary = root->Take(at);
      for (int i = 0; i < dictionary->Count(); ++i) {
        const TfrxXMLItem& entry = *dictionary->Items(i);
        const QString sourceName = entry.Prop(QStringLiteral("name"));
        const qsizetype dot = sourceName.indexOf(QLatin1Char('.'));
        if (entry.Name.isEmpty() || dot < 0 || findAlias(entry.Name)) continue;
        const int pageIndex = sourceIndexOf(sourceName.left(dot).toLower());
        TfrxReportPage* page = SourcePage(pageIndex);
        if (!page) continue;
        TfrxComponent* copy = page->FindObject(sourceName.mid(dot + 1));
        if (!copy || copy == page) continue;
        auto so = std::make_unique<SourceObject>();
        so->alias = entry.Name;
        so->sourceName = sourceName;
        so->copy = copy;
        so->baseText = baseTextOf(*copy);
        so->pageIndex = pageIndex;
        byCopy_.insert(copy, so.get());
        auto pos = std::lower_bound(dictionary_.begin(), dictionary_.end(), so->alias,
                                    [](const std::unique_ptr<SourceObject>& s, const QString& a) { return s->alias < a; });
        dictionary_.insert(pos, std::move(so));
      }
    }

    if (const int at = root->Find(QStringLiteral("picturecache")); at >= 0) {
      std::unique_ptr<TfrxXMLItem> pictures = root->Take(at);
      if (pictures->Unloaded()) xml_->LoadItem(pictures.get());
      pictures_->LoadFromXML(*pictures);
    }
  } catch (const ReportError&) {
    Clear();
    throw;
  }
  // Elements nobody reads stay out of the store's own numbering.
  const int at = root->Find(QStringLiteral("cutted"));
  if (at >= 0) root->Take(at);
  curPage_ = Count() - 1;
  addPageAction_ = apAdd;
}

bool TfrxPreviewPages::LoadFromFile(const QString& fileName, bool exceptionIfNotFound) {
  const bool exists = QFile::exists(fileName);
  if (!exists && !exceptionIfNotFound) return false;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw ReportError(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(fileName, files::ioErrorText(file)));
  LoadFromStream(file, false);
  return exists;
}

}  // namespace valmoro::report
