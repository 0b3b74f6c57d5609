// CLList against std::list and CAvlBinaryTree against std::multiset: insert, find and walk of
// 10^5 pointer-sized items (and 10^5 insert-delete pairs on a list), with nodes from the heap and
// from the node pools. Prints each
// ours/std time ratio at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <list>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ostrel/containers/avltree.h"
#include "ostrel/containers/llist.h"
#include "ostrel/system/globals.h"
#include "ratioreporter.h"

namespace {

constexpr int kCount = 100000;

void* P(intptr_t n) { return reinterpret_cast<void*>(n); }

// Switches glb to a block with the pool flag on or off for the life of one benchmark.
class CNodeMode {
 public:
  explicit CNodeMode(bool pooled) : m_Globals(pooled ? 1 : 0), m_pSaved(glb) { glb = &m_Globals; }
  ~CNodeMode() { glb = m_pSaved; }

 private:
  SGlobals m_Globals;
  SGlobals* m_pSaved;
};

// ---- list ----

void ListInsert(benchmark::State& state, bool pooled) {
  CNodeMode mode(pooled);
  for (auto _ : state) {
    CLList list;
    for (intptr_t i = 1; i <= kCount; ++i) list.InsertLast(P(i));
    benchmark::DoNotOptimize(list.GetNumNodes());
  }
}

void StdListInsert(benchmark::State& state) {
  for (auto _ : state) {
    std::list<void*> list;
    for (intptr_t i = 1; i <= kCount; ++i) list.push_back(P(i));
    benchmark::DoNotOptimize(list.size());
  }
}

// Searches for the last item, so each search walks the whole list.
void ListFind(benchmark::State& state, bool pooled) {
  CNodeMode mode(pooled);
  CLList list;
  for (intptr_t i = 1; i <= kCount; ++i) list.InsertLast(P(i));
  for (auto _ : state) benchmark::DoNotOptimize(list.IsItemInList(P(kCount)));
}

void StdListFind(benchmark::State& state) {
  std::list<void*> list;
  for (intptr_t i = 1; i <= kCount; ++i) list.push_back(P(i));
  for (auto _ : state) benchmark::DoNotOptimize(std::find(list.begin(), list.end(), P(kCount)));
}

void ListWalk(benchmark::State& state, bool pooled) {
  CNodeMode mode(pooled);
  CLList list;
  for (intptr_t i = 1; i <= kCount; ++i) list.InsertLast(P(i));
  for (auto _ : state) {
    intptr_t sum = 0;
    for (list.First(); list.Exists(); list.Next()) sum += reinterpret_cast<intptr_t>(list.Get());
    benchmark::DoNotOptimize(sum);
  }
}

void StdListWalk(benchmark::State& state) {
  std::list<void*> list;
  for (intptr_t i = 1; i <= kCount; ++i) list.push_back(P(i));
  for (auto _ : state) {
    intptr_t sum = 0;
    for (void* p : list) sum += reinterpret_cast<intptr_t>(p);
    benchmark::DoNotOptimize(sum);
  }
}

// Short-lived nodes on a standing list, where a recycled node saves the heap round trip.
void ListChurn(benchmark::State& state, bool pooled) {
  CNodeMode mode(pooled);
  CLList list;
  for (intptr_t i = 1; i <= 1000; ++i) list.InsertLast(P(i));
  for (auto _ : state) {
    for (intptr_t i = 1; i <= kCount; ++i) {
      list.InsertFirst(P(i));
      list.First();
      list.Delete(1);
    }
    benchmark::DoNotOptimize(list.GetNumNodes());
  }
}

void StdListChurn(benchmark::State& state) {
  std::list<void*> list;
  for (intptr_t i = 1; i <= 1000; ++i) list.push_back(P(i));
  for (auto _ : state) {
    for (intptr_t i = 1; i <= kCount; ++i) {
      list.push_front(P(i));
      list.pop_front();
    }
    benchmark::DoNotOptimize(list.size());
  }
}

// ---- tree ----

// Integers behind pointers, inserted in a fixed random order.
struct SKeys {
  SKeys() : values(kCount), order(kCount) {
    std::iota(values.begin(), values.end(), 0);
    for (int i = 0; i < kCount; ++i) order[i] = &values[i];
    std::shuffle(order.begin(), order.end(), std::mt19937(12345));
  }
  std::vector<int> values;
  std::vector<void*> order;
};
const SKeys& Keys() {
  static const SKeys keys;
  return keys;
}

int32_t CompareInts(void* key, void* stored) {
  int a = *static_cast<int*>(key), b = *static_cast<int*>(stored);
  return a < b ? -1 : a > b ? 1 : 0;
}

struct SLessInts {
  bool operator()(const void* a, const void* b) const {
    return *static_cast<const int*>(a) < *static_cast<const int*>(b);
  }
};
using TStdSet = std::multiset<void*, SLessInts>;

void TreeInsert(benchmark::State& state, bool pooled) {
  CNodeMode mode(pooled);
  for (auto _ : state) {
    CAvlBinaryTree tree(CompareInts);
    for (void* k : Keys().order) tree.AddItem(k);
    benchmark::DoNotOptimize(tree.GetRoot());
  }
}

void StdSetInsert(benchmark::State& state) {
  for (auto _ : state) {
    TStdSet set;
    for (void* k : Keys().order) set.insert(k);
    benchmark::DoNotOptimize(set.size());
  }
}

void TreeFind(benchmark::State& state, bool pooled) {
  CNodeMode mode(pooled);
  CAvlBinaryTree tree(CompareInts);
  for (void* k : Keys().order) tree.AddItem(k);
  for (auto _ : state) {
    void* out = nullptr;
    int32_t found = 0;
    for (void* k : Keys().order) found += tree.Find(k, out);
    benchmark::DoNotOptimize(found);
  }
}

void StdSetFind(benchmark::State& state) {
  TStdSet set(Keys().order.begin(), Keys().order.end());
  for (auto _ : state) {
    int32_t found = 0;
    for (void* k : Keys().order) found += set.find(k) != set.end();
    benchmark::DoNotOptimize(found);
  }
}

void TreeWalk(benchmark::State& state, bool pooled) {
  CNodeMode mode(pooled);
  CAvlBinaryTree tree(CompareInts);
  for (void* k : Keys().order) tree.AddItem(k);
  for (auto _ : state) {
    int64_t sum = 0;
    for (tree.FullTraversal_Init(); tree.FullTraversal_Exists(); tree.FullTraversal_Next())
      sum += *static_cast<int*>(tree.FullTraversal_Get());
    benchmark::DoNotOptimize(sum);
  }
}

void StdSetWalk(benchmark::State& state) {
  TStdSet set(Keys().order.begin(), Keys().order.end());
  for (auto _ : state) {
    int64_t sum = 0;
    for (void* k : set) sum += *static_cast<int*>(k);
    benchmark::DoNotOptimize(sum);
  }
}

void Register() {
  struct SCase {
    const char* name;
    void (*ours)(benchmark::State&, bool);
    void (*std)(benchmark::State&);
  };
  const SCase cases[] = {
      {"List_Insert", ListInsert, StdListInsert}, {"List_Find", ListFind, StdListFind},
      {"List_Walk", ListWalk, StdListWalk},       {"List_Churn", ListChurn, StdListChurn},
      {"Tree_Insert", TreeInsert, StdSetInsert},
      {"Tree_Find", TreeFind, StdSetFind},        {"Tree_Walk", TreeWalk, StdSetWalk},
  };
  for (const SCase& c : cases) {
    std::string name = c.name;
    benchmark::RegisterBenchmark((name + "/std").c_str(), c.std)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/ostrel_heap").c_str(), c.ours, false)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/ostrel_pooled").c_str(), c.ours, true)
        ->Unit(benchmark::kMicrosecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CRatioReporter reporter("std", "<= 1.5");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
