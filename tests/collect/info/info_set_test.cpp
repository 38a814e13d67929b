#include "collect/info/info_set.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "collect/info/array.h"
#include "collect/info/ref_count.h"

namespace {

StringC u(const char* s) { return StringC::fromUtf8(s); }

// Counts live objects, so a test sees exactly when one is destroyed.
struct Probe : RefCountC {
  explicit Probe(int* live) : live_(live) { ++*live_; }
  ~Probe() override { --*live_; }
  int* live_;
};

TEST(RefM, CountsReferencesAndDestroysWithTheLast) {
  int live = 0;
  Probe* raw = new Probe(&live);
  EXPECT_EQ(raw->refCount(), 0u);
  {
    RefM<Probe> a = raw;
    EXPECT_EQ(raw->refCount(), 1u);
    RefM<Probe> b = a;
    EXPECT_EQ(raw->refCount(), 2u);
    b = a;  // the same object again: still two
    EXPECT_EQ(raw->refCount(), 2u);
    a = a;  // self-assignment keeps the object alive
    EXPECT_EQ(live, 1);
    RefM<Probe> c = std::move(b);
    EXPECT_FALSE(b);
    EXPECT_EQ(raw->refCount(), 2u);
    c.reset();
    EXPECT_EQ(raw->refCount(), 1u);
  }
  EXPECT_EQ(live, 0);
}

TEST(RefM, CopiesOnManyThreadsLeaveTheCountExact) {
  int live = 0;
  RefM<Probe> shared = new Probe(&live);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&shared] {
      for (int i = 0; i < 20000; ++i) {
        RefM<Probe> copy = shared;
        RefM<Probe> another(copy);
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(shared->refCount(), 1u);
  shared.reset();
  EXPECT_EQ(live, 0);
}

TEST(ArrayM, GrowsByTheFrameworkRule) {
  // Appending element N (1-based) when the array is full gives capacity C.
  const struct {
    uint32_t nth;
    uint32_t capacity;
  } steps[] = {{1, 32}, {32, 32}, {33, 64}, {64, 64}, {65, 128}, {129, 224}, {225, 352}, {353, 544}};
  ArrayM<int> a;
  EXPECT_EQ(a.capacity(), 0u);
  uint32_t appended = 0;
  for (const auto& s : steps) {
    while (appended < s.nth) ASSERT_TRUE(a.append(static_cast<int>(appended++)));
    EXPECT_EQ(a.capacity(), s.capacity) << "after element " << s.nth;
  }
  for (uint32_t i = 0; i < a.count(); ++i) ASSERT_EQ(*a.at(i), static_cast<int>(i));
  EXPECT_EQ(a.at(a.count()), nullptr);
  EXPECT_EQ(ArrayM<int>::grownCapacity(0xFFFFFFF0u), 0u) << "growth past 32 bits is refused";
}

TEST(ArrayM, InsertShiftsAndClearDestroysLastToFirst) {
  std::vector<int> destroyed;
  struct Tracked {
    int id;
    std::vector<int>* log;
    Tracked(int i, std::vector<int>* l) : id(i), log(l) {}
    Tracked(const Tracked&) = default;
    Tracked(Tracked&& o) noexcept : id(o.id), log(o.log) { o.log = nullptr; }
    Tracked& operator=(Tracked&& o) noexcept {
      id = o.id;
      log = o.log;
      o.log = nullptr;
      return *this;
    }
    ~Tracked() {
      if (log) log->push_back(id);
    }
  };
  ArrayM<Tracked> a;
  a.append(Tracked(1, &destroyed));
  a.append(Tracked(3, &destroyed));
  a.insert(1, Tracked(2, &destroyed));
  a.insert(99, Tracked(4, &destroyed));  // beyond the count: appended
  destroyed.clear();                     // temporaries
  ASSERT_EQ(a.count(), 4u);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(a.at(i)->id, static_cast<int>(i + 1));
  a.clear();
  EXPECT_EQ(destroyed, (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(a.count(), 0u);
  EXPECT_EQ(a.capacity(), 0u);
}

TEST(ArrayM, AppendingAnElementOfItselfSurvivesGrowth) {
  ArrayM<std::string> a;
  for (int i = 0; i < 32; ++i) a.append(std::string(40, static_cast<char>('a' + i % 26)));
  a.append(*a.at(0));  // the array is full: the reference would dangle after growth
  EXPECT_EQ(*a.at(32), std::string(40, 'a'));
}

RefM<InfoPiece> piece(const char* name, const char* value, bool compared = true, bool hidden = false) {
  RefM<InfoPiece> p = new InfoPiece(name, compared, hidden);
  p->setValue(u(value));
  return p;
}

struct PieceSpec {
  const char* name;
  const char* value;
  bool compared;
};

InfoSet setOf(std::initializer_list<PieceSpec> pieces) {
  InfoSet s;
  for (const PieceSpec& p : pieces) s.append(piece(p.name, p.value, p.compared));
  return s;
}

TEST(InfoSet, ComparesOnComparedPiecesInNameOrder) {
  const struct Case {
    const char* what;
    InfoSet a, b;
    bool differs;
  } cases[] = {
      {"two empty sets", setOf({}), setOf({}), false},
      {"same values, other order", setOf({{"a", "1", true}, {"b", "2", true}}), setOf({{"b", "2", true}, {"a", "1", true}}),
       false},
      {"one value differs", setOf({{"a", "1", true}, {"b", "2", true}}), setOf({{"a", "1", true}, {"b", "3", true}}),
       true},
      {"only an uncompared piece differs", setOf({{"a", "1", true}, {"t", "x", false}}),
       setOf({{"a", "1", true}, {"t", "y", false}}), false},
      {"different numbers of compared pieces", setOf({{"a", "1", true}}), setOf({{"a", "1", true}, {"b", "", true}}),
       true},
      {"an uncompared piece does not count", setOf({{"a", "1", true}}), setOf({{"a", "1", true}, {"b", "", false}}),
       false},
      {"values differ only in length", setOf({{"a", "ab", true}}), setOf({{"a", "abc", true}}), true},
      {"values compare case-sensitively", setOf({{"a", "X", true}}), setOf({{"a", "x", true}}), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.differsFrom(c.b), c.differs) << c.what;
    EXPECT_EQ(c.b.differsFrom(c.a), c.differs) << c.what << " (reversed)";
    if (!c.differs) {
      EXPECT_EQ(c.a.comparisonHash(), c.b.comparisonHash()) << c.what << " (hashes)";
    }
  }
}

// Sets that do not differ hash alike; sets that differ (almost always) do
// not: a collision would only cost newerThan a differsFrom.
TEST(InfoSet, ComparisonHashesAgreeWithDiffersFromOnRandomSets) {
  std::mt19937 random(7);
  const char* names[] = {"a", "b", "c"};
  const char* values[] = {"", "1", "12", "1:2", "2"};
  auto randomSet = [&] {
    InfoSet s;
    const int n = static_cast<int>(random() % 4);
    for (int i = 0; i < n; ++i) s.append(piece(names[random() % 3], values[random() % 5], random() % 4 != 0));
    return s;
  };
  int collisions = 0;
  for (int i = 0; i < 5000; ++i) {
    const InfoSet a = randomSet(), b = randomSet();
    if (!a.differsFrom(b)) {
      ASSERT_EQ(a.comparisonHash(), b.comparisonHash()) << "pair " << i;
    } else if (a.comparisonHash() == b.comparisonHash()) {
      ++collisions;
    }
  }
  EXPECT_EQ(collisions, 0);
}

TEST(InfoSet, CopiesShareThePieces) {
  InfoSet a = setOf({{"a", "1", true}});
  const InfoSet b = a;
  a.at(0)->get()->setValue(u("2"));
  EXPECT_EQ(b.at(0)->get()->value(), u("2"));
  EXPECT_FALSE(a.differsFrom(b));
}

class MemoryStreamC final : public XmlOutputStreamC {
 public:
  uint32_t writeRaw(const StringC& text) override {
    if (failAt >= 0 && ++calls > failAt) return 0x80070070;
    out += text.utf8();
    return 0;
  }
  std::string out;
  int failAt = -1;
  int calls = 0;
};

TEST(InfoSet, WritesVisiblePiecesAsAttributesInSetOrder) {
  InfoSet s;
  s.append(piece("endPointClientName", "THIN <7>"));
  s.append(piece("userID", "S-1-5-21-1", true, true));
  s.append(piece("userName", ""));
  MemoryStreamC out;
  out.startElement(u("CitrixVDIEndpointInfo"));
  EXPECT_EQ(s.writeAttributes(out), 0u);
  out.endElement(u("CitrixVDIEndpointInfo"));
  EXPECT_EQ(out.out, "<CitrixVDIEndpointInfo endPointClientName=\"THIN &lt;7&gt;\" userName=\"\"/>\n");
}

TEST(InfoSet, WritingStopsAtTheStreamsFirstError) {
  InfoSet s = setOf({{"a", "1", true}, {"b", "2", true}});
  MemoryStreamC out;
  out.startElement(u("r"));
  out.failAt = 0;
  EXPECT_EQ(s.writeAttributes(out), 0x80070070u);
}

}  // namespace
