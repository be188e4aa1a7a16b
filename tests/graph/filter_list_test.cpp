// The filter and pin lists: snapshots in the graph's and the filter's order.
#include <gtest/gtest.h>

#include "GraphFakes.h"
#include "media/DSUtil.h"

namespace kavoro::test {
namespace {

std::string NameOf(IBaseFilter* f) {
  FILTER_INFO info;
  f->QueryFilterInfo(&info);
  return info.achName;
}

std::string IdOf(IPin* p) {
  std::string id;
  p->QueryId(&id);
  return id;
}

TEST(FilterListTest, ListsTheGraphsFiltersInOrderAndDoesNotFollowTheGraph) {
  auto graph = MakeCom<FakeGraph>(GraphScript{});
  auto a = MakeCom<FakeFilter>("a", 0);
  auto b = MakeCom<FakeFilter>("b", 0);
  auto c = MakeCom<FakeFilter>("c", 0);
  graph->AddFilter(a.Get(), "a");
  graph->AddFilter(b.Get(), "b");
  graph->AddFilter(c.Get(), "c");

  TFilterList list(static_cast<IFilterGraph*>(graph.Get()));
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(NameOf(list[0]), "a");
  EXPECT_EQ(NameOf(list.Items(2)), "c");
  EXPECT_EQ(list[3], nullptr);
  EXPECT_EQ(list.IndexOf(b.Get()), 1);

  EXPECT_TRUE(list.Remove(b.Get()));
  EXPECT_FALSE(list.Remove(b.Get()));
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(NameOf(list[1]), "c");
  EXPECT_EQ(graph->FilterNames().size(), 3u) << "removal from the list leaves the graph alone";

  graph->RemoveFilter(a.Get());
  EXPECT_EQ(NameOf(list[0]), "a") << "the list is a snapshot and holds its filters";
}

TEST(FilterListTest, NullGraphOrFilterGivesEmptyLists) {
  EXPECT_EQ(TFilterList(nullptr).Count(), 0u);
  EXPECT_EQ(TPinList(nullptr).Count(), 0u);
  EXPECT_EQ(TFilterList().IndexOf(nullptr), -1);
}

TEST(PinListTest, ListsTheFiltersPinsInOrder) {
  auto f = MakeCom<FakeFilter>("f", 3);
  TPinList pins(f.Get());
  ASSERT_EQ(pins.Count(), 3u);
  EXPECT_EQ(IdOf(pins[0]), "pin0");
  EXPECT_EQ(IdOf(pins[2]), "pin2");
  ComPtr<IPin> middle(pins[1]);
  EXPECT_EQ(pins.IndexOf(middle.Get()), 1);
  EXPECT_TRUE(pins.Remove(middle.Get()));
  EXPECT_EQ(pins.Count(), 2u);
  EXPECT_EQ(IdOf(pins[1]), "pin2");
  EXPECT_EQ(pins.IndexOf(middle.Get()), -1);
}

}  // namespace
}  // namespace kavoro::test
