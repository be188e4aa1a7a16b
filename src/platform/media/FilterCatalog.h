#pragma once
// The filters a graph builder may put into a graph: the framework's built-in filters, listed
// here with their pin types at registration, together with the filter modules recorded in
// the registry store, searched the same way.
#include <vector>

#include "platform/com/ClassRegistry.h"
#include "platform/com/FilterRegistration.h"
#include "platform/media/MediaTypes.h"

namespace kavoro::media {

// Any thread. Adds a built-in filter: its class goes into the class registry (so
// CoCreateInstance makes it) and its record into the built-in list of `category`.
void RegisterBuiltInFilter(const GUID& category, RegisteredFilter record, ClassCreator creator);

// Any thread. The filters of `category` whose input pins accept one of `types`, highest merit
// first, without those at or below MERIT_DO_NOT_USE. A module recorded in the registry store
// under the class of a built-in filter takes the built-in's place.
std::vector<RegisteredFilter> CandidateFilters(const GUID& category,
                                               const std::vector<AM_MEDIA_TYPE>& types);

// True when the record has no output pins.
bool IsRendererRecord(const RegisteredFilter& record);

}  // namespace kavoro::media
