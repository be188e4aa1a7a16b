#include "platform/media/FilterCatalog.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/media/MediaClasses.h"

namespace kavoro::media {
namespace {

struct BuiltIns {
  std::mutex lock;
  std::map<GUID, std::vector<RegisteredFilter>> byCategory;  // guarded by lock
};

BuiltIns& Table() {
  static BuiltIns table;
  return table;
}

bool Accepts(const RegisteredFilter& f, const std::vector<AM_MEDIA_TYPE>& types) {
  for (const RegisteredPin& pin : f.pins) {
    if (pin.output) continue;
    for (const ModuleMediaType& mt : pin.types)
      for (const AM_MEDIA_TYPE& t : types)
        if (MatchesPattern(t, mt.major, mt.subtype)) return true;
  }
  return false;
}

}  // namespace

void RegisterBuiltInFilter(const GUID& category, RegisteredFilter record, ClassCreator creator) {
  ClassRegistry::Instance().RegisterClass(record.clsid, record.name, std::move(creator));
  BuiltIns& t = Table();
  std::lock_guard g(t.lock);
  auto& list = t.byCategory[category];
  std::erase_if(list, [&](const RegisteredFilter& f) { return f.clsid == record.clsid; });
  list.push_back(std::move(record));
}

std::vector<RegisteredFilter> CandidateFilters(const GUID& category,
                                               const std::vector<AM_MEDIA_TYPE>& types) {
  std::vector<RegisteredFilter> all = ListRegisteredFilters(category);
  {
    BuiltIns& t = Table();
    std::lock_guard g(t.lock);
    for (const RegisteredFilter& f : t.byCategory[category]) {
      const bool overridden = std::any_of(all.begin(), all.end(), [&](const RegisteredFilter& r) {
        return r.clsid == f.clsid;
      });
      if (!overridden) all.push_back(f);
    }
  }
  std::vector<RegisteredFilter> out;
  for (RegisteredFilter& f : all)
    if (f.merit > MERIT_DO_NOT_USE && Accepts(f, types)) out.push_back(std::move(f));
  std::stable_sort(out.begin(), out.end(),
                   [](const RegisteredFilter& a, const RegisteredFilter& b) { return a.merit > b.merit; });
  return out;
}

bool IsRendererRecord(const RegisteredFilter& record) {
  return std::none_of(record.pins.begin(), record.pins.end(),
                      [](const RegisteredPin& p) { return p.output; });
}

}  // namespace kavoro::media
