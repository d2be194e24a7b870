#include "report/model/style.h"

#include "report/model/memo_view.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/resources.h"

namespace valmoro::report {

TfrxStyleItem::TfrxStyleItem(TfrxStyles* styles)
    : Persistent(styles),
      styles_(styles),
      color_(clTransparent),
      font_(new ReportFont(this)),
      frame_(new TfrxFrame(this)) {}

void TfrxStyleItem::SetName(const QString& name) {
  if (styles_) {
    const TfrxStyleItem* other = styles_->Find(name);
    if (other && other != this) throw ReportError(resources::text(u"prDupl"));
  }
  name_ = name;
}

void TfrxStyleItem::SetFont(const ReportFont* font) {
  if (font) font_->Assign(*font);
}

void TfrxStyleItem::SetFrame(const TfrxFrame* frame) {
  if (frame) frame_->Assign(*frame);
}

void TfrxStyleItem::Assign(const TfrxStyleItem& source) {
  name_ = source.name_;
  color_ = source.color_;
  font_->Assign(*source.font_);
  frame_->Assign(*source.frame_);
}

TfrxStyles::TfrxStyles(TfrxReport* report) : Persistent(report), report_(report) {}

TfrxStyleItem* TfrxStyles::Add() {
  auto* item = new TfrxStyleItem(this);
  items_.append(item);
  return item;
}

TfrxStyleItem* TfrxStyles::Find(const QString& name) const {
  if (name.isEmpty()) return nullptr;
  for (TfrxStyleItem* item : items_)
    if (QString::compare(item->Name(), name, Qt::CaseInsensitive) == 0) return item;
  return nullptr;
}

void TfrxStyles::Clear() {
  qDeleteAll(items_);
  items_.clear();
}

void TfrxStyles::Apply() const {
  if (!report_) return;
  for (TfrxComponent* object : report_->AllObjects()) {
    auto* view = qobject_cast<TfrxCustomMemoView*>(object);
    if (!view || view->Style().isEmpty()) continue;
    if (const TfrxStyleItem* item = Find(view->Style()))
      view->ApplyStyle(*item);
    else
      view->SetStyle(QString());
  }
}

}  // namespace valmoro::report
