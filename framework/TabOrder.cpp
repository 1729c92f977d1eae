// The order Tab moves the focus in: a form's tab stops, parents before their children,
// each parent's in reading order unless the form description gives places.
#include <algorithm>

#include "framework/Controls.h"

namespace dorvane {

namespace {

// A parent's windowed children in tab order. Rows: a control whose vertical middle lies
// within the first (topmost) control of a row shares its row, so a box and an edit set a
// pixel or two apart read left to right.
std::vector<TWinControl*> ChildrenInTabOrder(const TWinControl& parent) {
  std::vector<TWinControl*> kids;
  for (int i = 0; i < parent.ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(parent.Controls(i))) kids.push_back(w);
  const auto placed = std::stable_partition(kids.begin(), kids.end(), [](const TWinControl* c) { return c->TabOrder() >= 0; });
  std::stable_sort(kids.begin(), placed, [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  std::stable_sort(placed, kids.end(), [](const TWinControl* a, const TWinControl* b) { return a->Top() < b->Top(); });
  for (auto row = placed; row != kids.end();) {
    const int top = (*row)->Top(), bottom = top + (*row)->Height();
    auto end = std::next(row);
    while (end != kids.end()) {
      const int middle = (*end)->Top() + (*end)->Height() / 2;
      if (middle < top || middle >= bottom) break;
      ++end;
    }
    std::stable_sort(row, end, [](const TWinControl* a, const TWinControl* b) { return a->Left() < b->Left(); });
    row = end;
  }
  return kids;
}

// `area`: the part of parent's client area that can be seen, in its client coordinates.
void CollectTabStops(const TWinControl& parent, const RECT& area, std::vector<TWinControl*>& stops) {
  for (TWinControl* c : ChildrenInTabOrder(parent)) {
    if (!c->Visible() || !c->Enabled()) continue;  // nor can anything inside it be reached
    const RECT bounds = c->BoundsRect();
    RECT seen;
    if (!IntersectRect(&seen, &bounds, &area)) continue;  // out of sight, beyond a folded edge
    if (c->TabStop() && c->HandleAllocated()) stops.push_back(c);
    OffsetRect(&seen, -c->Left(), -c->Top());
    const RECT client = c->ClientRect();
    if (IntersectRect(&seen, &seen, &client)) CollectTabStops(*c, seen, stops);
  }
}

}  // namespace

std::vector<TWinControl*> TWinControl::TabOrderList() const {
  std::vector<TWinControl*> stops;
  CollectTabStops(*this, ClientRect(), stops);
  return stops;
}

TWinControl* TWinControl::SelectNext(TWinControl* current, bool forward) {
  const std::vector<TWinControl*> stops = TabOrderList();
  if (stops.empty()) return nullptr;
  const std::size_t n = stops.size();
  // The focus may be inside a stop (the edit part of a composite control).
  auto at = stops.end();
  for (TWinControl* c = current; c && c != this && at == stops.end(); c = c->Parent())
    at = std::find(stops.begin(), stops.end(), c);
  std::size_t next = forward ? 0 : n - 1;
  if (at != stops.end()) {
    const auto i = static_cast<std::size_t>(at - stops.begin());
    next = forward ? (i + 1) % n : (i + n - 1) % n;
  }
  stops[next]->SetFocus();
  return stops[next];
}

}  // namespace dorvane
