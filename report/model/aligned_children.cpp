// Placement of child views by their Align property, for bands and pages.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "report/model/component.h"
#include "report/model/view.h"

namespace valmoro::report {

namespace {

// The order in which views are aligned: "1" + Left for Left >= 0, "0" + -Left
// for a negative Left, each number with two decimals right-aligned in nine
// characters, compared as text. Negative positions thus come first, nearest
// to zero first.
std::string sortKey(double left) {
  const bool negative = left < 0;
  std::array<char, 64> digits{};
  const auto result =
      std::to_chars(digits.data(), digits.data() + digits.size(), negative ? -left : left, std::chars_format::fixed, 2);
  std::string number(digits.data(), result.ptr);
  if (number.size() < 9) number.insert(0, 9 - number.size(), ' ');
  return (negative ? "0" : "1") + number;
}

// Neither lies completely above or below the other.
bool overlapVertically(const TfrxView* a, const TfrxView* b) {
  const double aTop = a->AbsTop();
  const double bTop = b->AbsTop();
  const bool aAbove = aTop + a->Height() <= bTop + kCoordinateTolerance;
  const bool aBelow = aTop >= bTop + b->Height() - kCoordinateTolerance;
  return !aAbove && !aBelow;
}

}  // namespace

void TfrxComponent::ArrangeAlignedChildren() {
  struct Entry {
    std::string key;
    TfrxView* view;
  };
  std::vector<Entry> views;
  for (TfrxComponent* child : objects_)
    if (auto* view = qobject_cast<TfrxView*>(child)) views.push_back({sortKey(view->Left()), view});
  std::stable_sort(views.begin(), views.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });

  // Views aligned to the left stop at the nearest view before them on their row.
  for (size_t i = 0; i < views.size(); ++i) {
    TfrxView* view = views[i].view;
    if (view->Align() != baLeft && view->Align() != baWidth) continue;
    const TfrxView* found = nullptr;
    for (size_t j = i; j-- > 0;) {
      const TfrxView* candidate = views[j].view;
      if (!overlapVertically(candidate, view)) continue;
      if (view->Align() == baWidth && candidate->Left() > view->Left()) continue;
      found = candidate;
      break;
    }
    view->SetLeft(found ? found->Left() + found->Width() : 0);
  }

  // Views aligned to the right stop at the nearest view after them on their row.
  for (size_t i = views.size(); i-- > 0;) {
    TfrxView* view = views[i].view;
    if (view->Align() != baRight && view->Align() != baWidth) continue;
    const TfrxView* found = nullptr;
    for (size_t j = i + 1; j < views.size(); ++j) {
      const TfrxView* candidate = views[j].view;
      if (!overlapVertically(candidate, view)) continue;
      if (view->Align() == baWidth && candidate->Left() + candidate->Width() < view->Left() + view->Width())
        continue;
      found = candidate;
      break;
    }
    const double right = found ? found->Left() : Width();
    if (view->Align() == baRight)
      view->SetLeft(right - view->Width());
    else
      view->SetWidth(right - view->Left());
  }

  for (TfrxComponent* child : objects_) {
    auto* view = qobject_cast<TfrxView*>(child);
    if (!view) continue;
    switch (view->Align()) {
      case baCenter:
        view->SetLeft((Width() - view->Width()) / 2);
        break;
      case baBottom:
        view->SetTop(Height() - view->Height());
        break;
      case baClient:
        view->SetBounds(0, 0, Width(), Height());
        break;
      default:
        break;
    }
  }
}

}  // namespace valmoro::report
