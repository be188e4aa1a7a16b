#pragma once
// Snapshots of the filters of one graph and of the pins of one filter. Each list is filled
// once, when it is made, and does not follow later changes of the graph; it holds counted
// references to what it lists.
#include <cstddef>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/media/IBaseFilter.h"
#include "platform/media/IFilterGraph.h"

namespace kavoro {

class TFilterList {
 public:
  TFilterList() = default;
  // The graph's filters in the graph's order; empty when the graph is null or cannot list them.
  explicit TFilterList(IFilterGraph* graph);

  std::size_t Count() const { return items_.size(); }
  // The filter at `index` (no reference added); null outside the list.
  IBaseFilter* operator[](std::size_t index) const;
  IBaseFilter* Items(std::size_t index) const { return (*this)[index]; }
  // Position of the filter (compared by object identity), or -1.
  int IndexOf(IBaseFilter* filter) const;
  // Drops the filter from the list (not from the graph); true when it was listed.
  bool Remove(IBaseFilter* filter);

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<ComPtr<IBaseFilter>> items_;
};

class TPinList {
 public:
  TPinList() = default;
  // The filter's pins in the filter's order; empty when the filter is null or cannot list them.
  explicit TPinList(IBaseFilter* filter);

  std::size_t Count() const { return items_.size(); }
  IPin* operator[](std::size_t index) const;
  IPin* Items(std::size_t index) const { return (*this)[index]; }
  int IndexOf(IPin* pin) const;
  bool Remove(IPin* pin);

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<ComPtr<IPin>> items_;
};

}  // namespace kavoro
