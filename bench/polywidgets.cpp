// The seat arrow and the polygon deck on the 800 x 600 24-bit headless screen, each beside the
// same fennic calls made directly: an arrow frame (the last frame's areas restored, the arrow and
// its shadow drawn) and a deck redraw of the full shoe (the last box put back, five polygons drawn
// into the persistent layer; the direct calls put nothing back). Goals: an arrow frame within 1.1 times
// the direct calls, a deck redraw within 2 times.
#include <benchmark/benchmark.h>

#include <string>

#include "common/widgets/arrow.h"
#include "common/widgets/polydeck.h"
#include "feltscreen.h"
#include "fennic/fennic.h"
#include "ratioreporter.h"

namespace {
constexpr double kArrowW = 0.015, kArrowH = 0.03;
// A shoe 10 by 16 cm and 12 cm high, standing on the table to the dealer's right.
constexpr double kShoeAt[6] = {0.25, 0.12, -0.2, 0, 25, 0};
const CPolyDeck::TQuad kShoe[CPolyDeck::NUM_QUADS] = {
    {{-0.05, 0, -0.08}, {0.05, 0, -0.08}, {0.05, -0.12, -0.08}, {-0.05, -0.12, -0.08}},
    {{-0.05, 0, -0.08}, {-0.05, 0, 0.08}, {-0.05, -0.12, 0.08}, {-0.05, -0.12, -0.08}},
    {{0.05, 0, 0.08}, {0.05, 0, -0.08}, {0.05, -0.12, -0.08}, {0.05, -0.12, 0.08}},
    {{-0.05, 0, 0.08}, {0.05, 0, 0.08}, {0.05, -0.12, 0.08}, {-0.05, -0.12, 0.08}},
    {{-0.05, -0.12, -0.08}, {0.05, -0.12, -0.08}, {0.05, -0.12, 0.08}, {-0.05, -0.12, 0.08}},
};

std::string Data(const char* name) { return std::string(VORRIN_TEST_DATA_DIR) + "/fennic/" + name; }

// The felt screen with the shoe's and the arrow's pictures, a camera at the middle seat and a
// light above the table.
class CRig : public CFeltScreen {
 public:
  CRig() {
    if (!m_Ok) return;
    CDibScreen* s = &Screen();
    m_Ok = m_Top.Load(Data("back.bmp").c_str(), 0) && s->MakeScreenFormat(&m_Top, 0) &&
           m_Texture.Load(Data("arrow.bmp").c_str(), 0) && s->MakeScreenFormat(&m_Texture, 0);
    m_Camera.SetPosition(0, 0.42, 0.62);
    m_Camera.SetRotate(-34, 0, 0);
    m_Camera.SetFOV(50, 38.5);
    m_Light.SetPosition(-0.4, 1.4, 0.3, 0);
  }

  CBitmap m_Top, m_Texture;
  CCamera m_Camera;
  CLight m_Light;
};

// Step f of an arrow from (0, 0.06, 0.1) to (0, 0.1, 0.1) and back, as the arrow's path has it.
double ArrowHeight(int64_t f) {
  const int64_t p = f % 32;
  return 0.06 + 0.04 * static_cast<double>(p < 16 ? p : 32 - p) / 16;
}

void ArrowFrameOurs(benchmark::State& state) {
  CRig rig;
  CArrow arrow;
  const double x[2] = {0, 0}, y[2] = {0.06, 0.1}, z[2] = {0.1, 0.1}, rx[1] = {-30}, ry[1] = {20}, rz[1] = {0};
  if (!rig.Ok() || !arrow.Init(Data("arrow.bmp").c_str(), &rig.m_Camera, &rig.m_Light, kArrowW, kArrowH) ||
      !arrow.CreateArrows(1, x, y, z, rx, ry, rz)) {
    state.SkipWithError("no screen or texture");
    return;
  }
  arrow.StartArrow(0);
  CDibScreen& s = rig.Screen();
  for (auto _ : state) {
    s.ClearBuffer();
    arrow.Handler();
    arrow.TimerHandler(CArrow::DEFAULT_PERIOD);
  }
}

void ArrowFrameDirect(benchmark::State& state) {
  CRig rig;
  if (!rig.Ok()) {
    state.SkipWithError("no screen or texture");
    return;
  }
  CPolygon arrow;
  arrow.Set3D(0, -kArrowH, 0, 0, -kArrowH, 0, kArrowW, kArrowH, 0, -kArrowW, kArrowH, 0);
  arrow.SetTexture(&rig.m_Texture, 0, 0, 1, 1);
  shadow arrowShadow;
  CDibScreen& s = rig.Screen();
  int64_t frame = 0;
  for (auto _ : state) {
    s.ClearBuffer();
    arrow.ResetCoords();
    arrow.SetPosition(0, ArrowHeight(frame++), 0.1);
    arrow.SetRotate(-30, 20, 0);
    arrow.RotatePolygon();
    arrow.Project(&rig.m_Camera);
    arrowShadow.Calc(&arrow, &rig.m_Light, &rig.m_Camera);
    arrowShadow.DrawScreen();
    arrow.DrawScreen();
  }
}

// The full shoe drawn again and again: each time the last one is put back first.
void DeckRedrawOurs(benchmark::State& state) {
  CRig rig;
  CPolyDeck deck;
  if (!rig.Ok() || !deck.Init(Data("back.bmp").c_str(), &rig.m_Top, &rig.m_Camera, kShoe)) {
    state.SkipWithError("no screen or texture");
    return;
  }
  deck.SetPosition(kShoeAt[0], kShoeAt[1], kShoeAt[2], kShoeAt[3], kShoeAt[4], kShoeAt[5]);
  for (auto _ : state) deck.DrawDeck();
}

void DeckRedrawDirect(benchmark::State& state) {
  CRig rig;
  if (!rig.Ok()) {
    state.SkipWithError("no screen or texture");
    return;
  }
  CBitmap side;
  side.Load(Data("back.bmp").c_str(), 0);
  rig.Screen().MakeScreenFormat(&side, 0);
  CPolygon faces[CPolyDeck::NUM_QUADS];
  for (int32_t k = 0; k < CPolyDeck::NUM_QUADS; ++k) {
    const auto& q = kShoe[k];
    faces[k].Set3D(q[0][0], q[0][1], q[0][2], q[1][0], q[1][1], q[1][2], q[2][0], q[2][1], q[2][2], q[3][0], q[3][1],
                   q[3][2]);
    faces[k].SetTexture(k == CPolyDeck::TOP_QUAD ? &rig.m_Top : &side, 0, 0, 1, 1);
  }
  for (auto _ : state) {
    for (CPolygon& face : faces) {
      face.ResetCoords();
      face.SetPosition(kShoeAt[0], kShoeAt[1], kShoeAt[2]);
      face.SetRotate(kShoeAt[3], kShoeAt[4], kShoeAt[5]);
      face.RotatePolygon();
      face.Project(&rig.m_Camera);
      CRect drawn;
      face.DrawPersistent(&drawn);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("ArrowFrame/ostrel", ArrowFrameOurs)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ArrowFrame/fennic", ArrowFrameDirect)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("DeckRedraw/ostrel", DeckRedrawOurs)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("DeckRedraw/fennic", DeckRedrawDirect)->Unit(benchmark::kMicrosecond);
  CRatioReporter reporter("fennic", "arrow frame <= 1.1; deck redraw <= 2");
  return xRunRatioBenchmarks(argc, argv, reporter);
}
