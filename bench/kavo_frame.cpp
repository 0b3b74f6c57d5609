// Frames of the blackjack client table at 800 x 600 in 24 bits on the headless screen, beside one
// SDL_BlitSurface of the whole 800 x 600 picture: a deal frame (the last frame presented and its
// areas restored from the persistent layer, then the table's animation step with three cards in
// flight over their shadows) and a settlement frame (the same with the five seats' chips flying to their players).
// Goal: each frame within 10 times the blit, well inside the 20 ms frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "feltscreen.h"
#include "fennic/fennic.h"
#include "ratioreporter.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;
constexpr int32_t kChipW = 28, kChipH = 14;
constexpr int32_t kDealFrames = 40;

std::string Data(const char* name) { return std::string(VORRIN_TEST_DATA_DIR) + "/fennic/" + name; }

// A seat's record with a settlement result, as the round's packets leave it.
class CBenchRecord : public CBlackJackPlayerData {
 public:
  void Won(const TMoney& bet) {
    m_WinCondition1 = KAVO_WIN_WON;
    SetBet(KAVO_HAND_1, bet);
    SetReportedBet(KAVO_HAND_1, bet);
    SetWin(KAVO_HAND_1, bet);
  }
};

// The client table with its places as the layout gives them for the middle seat's view.
class CBenchTable : public CBlackJackClientTable {
 public:
  CBenchTable() {
    m_Layout.MaxCardsInPocket = 12;
    m_Layout.ChipXSize = kChipW;
    m_Layout.ChipYSize = kChipH;
    m_Layout.BetRemoveOffset[1] = -20;
    for (int32_t v = 0; v < KAVO_VIEWS; ++v) {
      m_Layout.DealerCoords[2 * v] = 400;
      m_Layout.DealerCoords[2 * v + 1] = 140;
      for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
        m_Layout.PlayerIconCoords[2 * (v * KAVO_NUM_SEATS + seat)] = 90 + 155 * seat;
        m_Layout.PlayerIconCoords[2 * (v * KAVO_NUM_SEATS + seat) + 1] = 560;
      }
    }
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
      for (int32_t k = 0; k < KAVO_HANDOUT_SPOTS; ++k) {
        m_Layout.Handout3DCoords[2 * (seat * KAVO_HANDOUT_SPOTS + k)] = -0.28 + 0.14 * seat;
        m_Layout.Handout3DCoords[2 * (seat * KAVO_HANDOUT_SPOTS + k) + 1] = 0.16;
      }
      for (int32_t spot = 0; spot < KAVO_CHIP_SPOTS; ++spot)
        SetChipSpot(seat, spot, 90 + 155 * seat + 14 * (spot % 3 - 1), 430 + 12 * (spot / 3));
    }
  }
  int32_t Exit() override { return 1; }
  // An animation started as the game states start it.
  void Begin(int32_t number) { m_Animation = number; }
  CBenchRecord& Record(int32_t seat) { return static_cast<CBenchRecord&>(*GetPlayerRecord(seat)); }

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new CBenchRecord; }
};

// The felt screen with the client table seen from the middle seat, its records and chip stack.
class CRig : public CFeltScreen {
 public:
  CRig() {
    if (!m_Ok) return;
    MakeChipStrip();
    m_pTable = std::make_unique<CBenchTable>();
    CCardTable& scene = m_pTable->GetCardTable();
    m_Ok = scene.Init(KAVO_HAND_POSITIONS, 4, 13, 13) && scene.SetCardSize(40, 56) &&
           scene.SetCardDimension(0.063, 0.088) &&
           scene.SetTextureNames(Data("faces.bmp").c_str(), Data("back.bmp").c_str()) && scene.LoadTextures() &&
           m_pTable->CreatePlayerRecords();
    scene.GetActiveCamera()->SetPosition(0, 0.42, 0.62);
    scene.GetActiveCamera()->SetRotate(-34, 0, 0);
    scene.SetCameraFOV(50, 38.5);
    scene.GetLight()->SetPosition(-0.4, 1.4, 0.3, 0);
    scene.SetPersistent(&m_Felt);
    auto* stack = new CChipStack;
    stack->Init();
    stack->SetChipBitmap(&m_Strip);
    stack->SetDimension(kChipW, kChipH);
    m_pTable->SetChipStack(stack);
  }
  ~CRig() { m_pTable.reset(); }
  CBenchTable& Table() { return *m_pTable; }
  // The last frame shown, and what it drew on the screen layer restored from the persistent one.
  void Frame() {
    Screen().FlipPage();
    Screen().ClearBuffer();
  }

 private:
  // Six chips of their colours side by side, corners see-through.
  void MakeChipStrip() {
    const TRGBA green(0, 255, 0), colours[6] = {{230, 230, 230}, {200, 30, 30}, {30, 60, 200},
                                                {20, 20, 20},    {140, 40, 170}, {230, 190, 20}};
    m_Strip.CreateRGB(6 * (kChipW + 1), kChipH, 24, 8, 8, 8, 16, 8, 0, 0);
    m_Strip.Fill(&green);
    for (int32_t k = 0; k < 6; ++k)
      for (int32_t y = 0; y < kChipH; ++y)
        for (int32_t x = 0; x < kChipW; ++x) {
          const bool corner = (x < 2 || x >= kChipW - 2) && (y < 2 || y >= kChipH - 2);
          if (!corner) m_Strip.PutPixel(k * (kChipW + 1) + x, y, &colours[k]);
        }
  }

  CBitmap m_Strip;
  std::unique_ptr<CBenchTable> m_pTable;
};

// Three seats' cards dealt from the shoe, each over 40 frames, again once they landed.
class CDeal {
 public:
  explicit CDeal(CBenchTable& table) : m_Table(table) {
    for (int32_t seat = 1; seat <= 3; ++seat) {
      m_Moves.emplace_back(std::make_unique<C3DMove>());
      C3DMove& m = *m_Moves.back();
      m.Init(nullptr, kDealFrames);
      m.SetX(0.35, -0.04, -0.25 + 0.25 * (seat - 1), 0);
      m.SetY(0.06, 0.25, 0.0, 0.25);
      m.SetZ(-0.35, -0.04, 0.15 - 0.05 * (seat - 1), 0.02);
      m.SetRotX(-30, 0, -90, 0);
      m.SetRotY(0, 0, 0, 0);
      m.SetRotZ(60, 0, 20.0 * seat - 40, 0);
      m_Lists.emplace_back(std::make_unique<C3DMoveList>());
      m_Lists.back()->AddMove(&m);
      table.GetCardTable().GetPocket(seat)->AddMove(m_Lists.back().get());
    }
  }
  // A new deal once the table's card move has ended.
  void Keep() {
    if (m_Table.GetAnimationNumber() != 0) return;
    for (int32_t seat = 1; seat <= 3; ++seat) {
      CBlackJackPlayerData& record = *m_Table.GetPlayerRecord(seat);
      record.RemoveCards();
      record.AddCard(3 * seat + 1);
      record.AnimateCard(0);
    }
    // Seen from the start of the flight on, as in play.
    for (int32_t f = 0; f < 12; ++f) m_Table.GetCardTable().Handler();
    m_Table.Begin(CBlackJackClientTable::KAVO_ANIM_CARD);
  }

 private:
  CBenchTable& m_Table;
  std::vector<std::unique_ptr<C3DMove>> m_Moves;
  std::vector<std::unique_ptr<C3DMoveList>> m_Lists;
};

void DealFrameOurs(benchmark::State& state) {
  CRig rig;
  if (!rig.Ok()) {
    state.SkipWithError("no screen or textures");
    return;
  }
  CDeal deal(rig.Table());
  for (auto _ : state) {
    rig.Frame();
    deal.Keep();
    benchmark::DoNotOptimize(rig.Table().IdleHandler());
  }
}

void SettlementFrameOurs(benchmark::State& state) {
  CRig rig;
  if (!rig.Ok()) {
    state.SkipWithError("no screen or textures");
    return;
  }
  CBenchTable& table = rig.Table();
  for (auto _ : state) {
    rig.Frame();
    if (table.GetAnimationNumber() == 0) {
      for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) table.Record(seat).Won(TMoney(125 + 30 * seat));
      table.Begin(CBlackJackClientTable::KAVO_ANIM_SETTLE);
    }
    benchmark::DoNotOptimize(table.IdleHandler());
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const char* name : {"DealFrame", "SettlementFrame"}) {
    const std::string n(name);
    benchmark::RegisterBenchmark((n + "/ostrel").c_str(), n == "DealFrame" ? DealFrameOurs : SettlementFrameOurs)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((n + "/sdl").c_str(), xBlitSdlFullScreen)->Unit(benchmark::kMicrosecond);
  }
  CRatioReporter reporter("sdl", "each frame within 10x, under 20 ms");
  return xRunRatioBenchmarks(argc, argv, reporter);
}
