#include "runtime/strings/hash_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/strings/hash_map.h"
#include "runtime/strings/stl_containers.h"
#include "runtime/strings/string_keyed_hash.h"

namespace {

TEST(HashTableC, GrowsOneBucketAtATimeAtNineTenths) {
  HashTableC table;
  EXPECT_EQ(table.bucketCount(), 1u);
  std::vector<HashElemC> elems(10);
  for (uint32_t i = 0; i < 9; ++i) table.insert(&elems[i], hashOf(i));
  EXPECT_EQ(table.bucketCount(), 10u);  // 9/10 is not above 0.9
  table.insert(&elems[9], hashOf(9));
  EXPECT_EQ(table.bucketCount(), 12u);  // 10/11 still is; 10/12 is not
  EXPECT_EQ(table.mask(), 15u);
  EXPECT_EQ(table.count(), 10u);
}

TEST(HashTableC, EveryElementStaysFindableWhileBucketsAreAdded) {
  HashMapM<uint32_t, uint32_t> map;
  for (uint32_t i = 0; i < 500; ++i) {
    map.insert(i * 7919u, i);
    for (uint32_t j = 0; j <= i; j += 37) {
      auto r = map.find(j * 7919u);
      ASSERT_TRUE(r.valid()) << "lost " << j << " after inserting " << i;
      EXPECT_EQ(r.value(), j);
    }
  }
  // Every element sits in the bucket its hash addresses.
  const HashTableC& t = map.table();
  uint32_t seen = 0, occupied = 0;
  t.forEach([&](HashElemC* e) {
    ++seen;
    bool found = false;
    for (HashElemC* x = t.bucketOf(e->hash); x; x = x->next) found = found || x == e;
    EXPECT_TRUE(found);
  });
  for (uint32_t b = 0; b < t.bucketCount(); ++b) {
    bool any = false;
    t.forEach([&](HashElemC* e) { any = any || t.address(e->hash) == b; });
    occupied += any;
  }
  EXPECT_EQ(seen, 500u);
  EXPECT_EQ(t.occupiedBuckets(), occupied);
}

TEST(HashMapM, DuplicateKeysAndRemovalByValue) {
  HashMapM<uint32_t, int*> map;
  int a = 1, b = 2, c = 3;
  map.insert(42, &a);
  map.insert(42, &b);
  map.insert(7, &c);
  int found = 0;
  for (auto r = map.find(42); r.valid(); r.next()) ++found;
  EXPECT_EQ(found, 2);
  EXPECT_TRUE(map.removeValue(42, &a));
  EXPECT_FALSE(map.removeValue(42, &a));
  auto r = map.find(42);
  ASSERT_TRUE(r.valid());
  EXPECT_EQ(r.value(), &b);
  EXPECT_EQ(map.remove(42), 1u);
  EXPECT_FALSE(map.find(42).valid());
  EXPECT_EQ(map.count(), 1u);
  const uint32_t mods = map.table().modifications();
  map.insert(8, &a);
  EXPECT_GT(map.table().modifications(), mods);
}

TEST(StringContainers, MapsAndKeyedTables) {
  StringMapM<StringArrayC*> map;
  StringArrayC values;
  values.add(StringC::fromUtf8("x"));
  map.insert(StringC::fromUtf8("Key"), &values);
  EXPECT_TRUE(map.find(StringC::fromUtf8("Key")).valid());
  EXPECT_FALSE(map.find(StringC::fromUtf8("key")).valid());

  StringKeyedHashC keyed;
  StringKeyedHashElemC one(StringC::fromUtf8("one")), two(StringC::fromUtf8("two"));
  keyed.add(&one);
  keyed.add(&two);
  EXPECT_EQ(keyed.find(StringC::fromUtf8("two")), &two);
  EXPECT_TRUE(keyed.remove(&two));
  EXPECT_EQ(keyed.find(StringC::fromUtf8("two")), nullptr);

  stl_StringCMemoryManagerC strings;
  stl_MapC smap(strings);
  const StringC v1 = StringC::fromUtf8("v1"), v2 = StringC::fromUtf8("v2");
  smap.set(StringC::fromUtf8("b"), &v1);
  smap.set(StringC::fromUtf8("a"), &v2);
  smap.set(StringC::fromUtf8("b"), &v2);
  EXPECT_EQ(*static_cast<StringC*>(smap.get(StringC::fromUtf8("b"))), v2);
  std::vector<std::string> order;
  smap.forEach([&](const StringC& k, void*) { order.push_back(k.toUtf8()); });
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b"}));

  stl_ListC list(strings);
  list.pushBack(&v1);
  list.pushFront(&v2);
  auto it = list.iterate();
  ASSERT_TRUE(it.valid());
  EXPECT_EQ(*static_cast<StringC*>(it.get()), v2);
  it.next();
  EXPECT_EQ(*static_cast<StringC*>(it.get()), v1);
}

}  // namespace
