#include "media/DSUtil.h"

namespace kavoro {

namespace {

// Takes every item an enumerator hands out, one at a time. A failing Next ends the list
// (an enumerator that fell out of step with its graph gives what it had so far).
template <class I, class E>
std::vector<ComPtr<I>> Drain(E* e) {
  std::vector<ComPtr<I>> items;
  if (!e) return items;
  for (;;) {
    I* item = nullptr;
    ULONG fetched = 0;
    if (e->Next(1, &item, &fetched) != S_OK || fetched != 1 || !item) {
      if (item) item->Release();
      break;
    }
    items.push_back(ComPtr<I>::Attach(item));
  }
  return items;
}

template <class I>
int Find(const std::vector<ComPtr<I>>& items, I* what) {
  if (!what) return -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].Get() == what || IsSameObject(items[i].Get(), what)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

TFilterList::TFilterList(IFilterGraph* graph) {
  if (!graph) return;
  ComPtr<IEnumFilters> e;
  if (SUCCEEDED(graph->EnumFilters(e.Put()))) items_ = Drain<IBaseFilter>(e.Get());
}

IBaseFilter* TFilterList::operator[](std::size_t index) const {
  return index < items_.size() ? items_[index].Get() : nullptr;
}

int TFilterList::IndexOf(IBaseFilter* filter) const { return Find(items_, filter); }

bool TFilterList::Remove(IBaseFilter* filter) {
  int i = IndexOf(filter);
  if (i < 0) return false;
  items_.erase(items_.begin() + i);
  return true;
}

TPinList::TPinList(IBaseFilter* filter) {
  if (!filter) return;
  ComPtr<IEnumPins> e;
  if (SUCCEEDED(filter->EnumPins(e.Put()))) items_ = Drain<IPin>(e.Get());
}

IPin* TPinList::operator[](std::size_t index) const {
  return index < items_.size() ? items_[index].Get() : nullptr;
}

int TPinList::IndexOf(IPin* pin) const { return Find(items_, pin); }

bool TPinList::Remove(IPin* pin) {
  int i = IndexOf(pin);
  if (i < 0) return false;
  items_.erase(items_.begin() + i);
  return true;
}

}  // namespace kavoro
