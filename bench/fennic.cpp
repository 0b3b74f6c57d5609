// The card table at 800 x 600 in 24 bits on the headless screen: a deal frame (last frame's
// areas restored from the persistent layer, three cards in flight with their shadows and one
// arrow with its shadow drawn) and a full redraw as at a view switch (the table picture and 16
// pockets of 3 cards into the persistent layer), each beside one SDL_BlitSurface of the whole
// 800 x 600 picture. Goals: a deal frame within 4 times the blit, a full redraw under 10 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "feltscreen.h"
#include "fennic/fennic.h"
#include "ratioreporter.h"

namespace {

std::string Data(const char* name) { return std::string(VORRIN_TEST_DATA_DIR) + "/fennic/" + name; }

// The felt screen with a card table seen from the middle seat and the arrow's texture.
class CRig : public CFeltScreen {
 public:
  CRig() {
    if (!m_Ok) return;
    m_Ok = m_Table.Init(16, 4, 13, 13) && m_Table.SetCardSize(40, 56) && m_Table.SetCardDimension(0.063, 0.088) &&
           m_Table.SetTextureNames(Data("faces.bmp").c_str(), Data("back.bmp").c_str()) && m_Table.LoadTextures() &&
           m_Arrow.Load(Data("arrow.bmp").c_str(), 0) && Screen().MakeScreenFormat(&m_Arrow, 0);
    m_Table.GetActiveCamera()->SetPosition(0, 0.42, 0.62);
    m_Table.GetActiveCamera()->SetRotate(-34, 0, 0);
    m_Table.SetCameraFOV(50, 38.5);
    m_Table.GetLight()->SetPosition(-0.4, 1.4, 0.3, 0);
    m_Table.SetPersistent(&m_Felt);
  }
  ~CRig() { m_Table.Exit(); }
  CCardTable& Table() { return m_Table; }
  CBitmap& Arrow() { return m_Arrow; }

 private:
  CBitmap m_Arrow;
  CCardTable m_Table;
};

// Three cards dealt from the shoe to three seats over 40 frames, over and over.
class CDeal {
 public:
  explicit CDeal(CCardTable& table) : m_Table(table) {
    for (int32_t i = 0; i < 3; ++i) {
      m_Cards.emplace_back(table.GetCardObj(i, 3 * i + 1, 0, 0, 1, 1));
      m_Moves.emplace_back(std::make_unique<C3DMove>());
      C3DMove& m = *m_Moves.back();
      m.Init(nullptr, 40);
      m.SetX(0.35, -0.04, -0.25 + 0.25 * i, 0);
      m.SetY(0.06, 0.25, 0.0, 0.25);
      m.SetZ(-0.35, -0.04, 0.15 - 0.05 * i, 0.02);
      m.SetRotX(-30, 0, -90, 0);
      m.SetRotY(0, 0, 0, 0);
      m.SetRotZ(60, 0, 20.0 * i - 20, 0);
      m_Lists.emplace_back(std::make_unique<C3DMoveList>());
      m_Lists.back()->Init(1, 1);
      m_Lists.back()->AddMove(&m);
    }
  }
  // Starts the deal again once every card landed.
  void Keep() {
    if (m_Table.IsAnyPolyAnim()) return;
    m_Table.RemoveAllPolygons();
    for (size_t i = 0; i < m_Cards.size(); ++i) {
      m_Table.StartAnim(m_Lists[i].get(), m_Cards[i].get());
      // Seen from the start of the flight on, as in play.
      for (int32_t f = 0; f < 12; ++f) m_Table.Handler();
    }
  }

 private:
  CCardTable& m_Table;
  std::vector<std::unique_ptr<CObject>> m_Cards;
  std::vector<std::unique_ptr<C3DMove>> m_Moves;
  std::vector<std::unique_ptr<C3DMoveList>> m_Lists;
};

void DealFrameOurs(benchmark::State& state) {
  CRig rig;
  if (!rig.Ok()) {
    state.SkipWithError("no screen or textures");
    return;
  }
  CDibScreen& s = rig.Screen();
  CCardTable& table = rig.Table();
  CDeal deal(table);
  CPolygon arrow;
  arrow.Set3D(0, -0.03, 0, 0, -0.03, 0, 0.015, 0.03, 0, -0.015, 0.03, 0);
  arrow.SetTexture(&rig.Arrow(), 0, 0, 1, 1);
  shadow arrowShadow;
  int64_t frame = 0;
  for (auto _ : state) {
    // What the last frame drew goes back to the table picture.
    s.ClearBuffer();
    deal.Keep();
    table.Handler();
    arrow.ResetCoords();
    arrow.SetPosition(0.1, 0.06 + 0.002 * static_cast<double>(frame % 16), 0.1);
    arrow.SetRotate(-30, 20, 0);
    arrow.RotatePolygon();
    arrow.Project(table.GetActiveCamera());
    arrowShadow.Calc(&arrow, table.GetLight(), table.GetActiveCamera());
    arrowShadow.DrawScreen();
    arrow.DrawScreen();
    ++frame;
  }
}

void FullRedrawOurs(benchmark::State& state) {
  CRig rig;
  if (!rig.Ok()) {
    state.SkipWithError("no screen or textures");
    return;
  }
  CCardTable& table = rig.Table();
  std::vector<std::unique_ptr<C3DMove>> moves;
  std::vector<std::unique_ptr<C3DMoveList>> lists;
  // 16 hands of 3 cards about the table, each card offset from the one below.
  for (int32_t p = 0; p < 16; ++p) {
    CPocket* pocket = table.GetPocket(p);
    const double x = -0.36 + 0.048 * p, z = p % 2 ? 0.12 : -0.02;
    for (int32_t c = 0; c < 3; ++c) {
      moves.push_back(std::make_unique<C3DMove>());
      moves.back()->Init(nullptr, 1);
      moves.back()->SetX(x + 0.012 * c, 0, x + 0.012 * c, 0);
      moves.back()->SetZ(z + 0.008 * c, 0, z + 0.008 * c, 0);
      moves.back()->SetRotX(-90, 0, -90, 0);
      moves.back()->SetRotZ(5.0 * p - 40, 0, 5.0 * p - 40, 0);
      lists.push_back(std::make_unique<C3DMoveList>());
      lists.back()->AddMove(moves.back().get());
      pocket->AddMove(lists.back().get());
      pocket->AddCard((p * 3 + c) % 52);
    }
  }
  CDibScreen& s = rig.Screen();
  for (auto _ : state) {
    s.DrawBitmapPersistent(&rig.Felt(), 0, 0, 0, 0, -1, -1, 0, 0);
    table.SetPersistent(&rig.Felt());
    for (int32_t p = 0; p < 16; ++p) table.DrawPocket(p, nullptr);
  }
}

void PrintLoad(const char* when) {
  std::ifstream load("/proc/loadavg");
  std::string line;
  std::getline(load, line);
  std::printf("load %s: %s\n", when, line.c_str());
}

void Register() {
  for (const char* name : {"DealFrame", "FullRedraw"}) {
    const std::string n(name);
    benchmark::RegisterBenchmark((n + "/ostrel").c_str(), n == "DealFrame" ? DealFrameOurs : FullRedrawOurs)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((n + "/sdl").c_str(), xBlitSdlFullScreen)->Unit(benchmark::kMicrosecond);
  }
}
}  // namespace

int main(int argc, char** argv) {
  Register();
  // The machine is shared: five repetitions and their median unless asked otherwise.
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=5", aggregates = "--benchmark_report_aggregates_only=true";
  bool given = false;
  for (int i = 1; i < argc; ++i) given = given || std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
  if (!given) {
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  CRatioReporter reporter("sdl", "deal frame <= 4; full redraw under 10 ms");
  PrintLoad("before");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintLoad("after");
  benchmark::Shutdown();
  return 0;
}
