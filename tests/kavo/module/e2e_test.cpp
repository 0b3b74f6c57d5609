// A new player at the for-fun tables, by the mouse alone: a host loads the module by name, as the
// casino client does, and the module runs its table visit while a scripted player clicks through
// the windows he sees, with presses and releases queued on the headless display as the SDL
// backend queues them. He takes the practice money, sits down, picks a chip, bets on his seat (and
// on its side-bet spot where the table has them), deals, hits or stands, and leaves by the close
// box. After the
// round the cash the table shows is the balance of the player database, and that balance is what
// the server booked (read back with Python's sqlite3).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/tables/clienttablebase.h"
#include "common/widgets/forfundlg.h"
#include "common/widgets/panel.h"
#include "kavomodulefixture.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "platform/display/display.h"
#include "platform/display/headless.h"
#include "stova/stovaconn.h"
#include "support/pyoracle.h"
#include "tableloop.h"


namespace {

// The table's own windows and controls, as its scripts number them.
constexpr int32_t kTableWindow = 110;
constexpr int32_t kActionWindow = 138;
constexpr int32_t kHit = 155, kStand = 156;
constexpr int32_t kCloseBox = 1002;
constexpr int32_t kCashOfSeat1 = 175;
constexpr int32_t kSitDownOfSeat1 = 122;
// The chips are 1, 5, 25, 100 and 500; the lowest bet is 5.
constexpr int32_t kChip25 = PANEL_CTRL_CHIP1 + 2;
constexpr int32_t kStateDisabled = 4, kStateHidden = 5;
// The player sits at the middle seat, which the table shows from the front before he sits.
constexpr int32_t kSeat = 2;
constexpr int32_t kFrontView = 2;
constexpr int32_t kFirstSideBetSpot = 6;
// Frames of 20 ms the whole visit may take before the test gives up on it.
constexpr int32_t kFrameLimit = 15000;
// Frames a round's presentation is given after the deal, and frames the seat's cash must stand.
constexpr int32_t kRoundFrames = 600, kStillFrames = 150;
// Frames after which a table that offered no practice money will not offer it.
constexpr int32_t kNoMoneyAskedFrames = 250;

// The window a player sees with the given id, or null when none is up.
CDialog* ShownWindow(int32_t id) {
  CWinCtrl* windows = glb ? glb->m_pWinCtrl : nullptr;
  if (!windows) return nullptr;
  for (int32_t n = 0; n < windows->NumWindows(); ++n) {
    CWindowBase* window = windows->GetWindowAt(n);
    if (window && window->GetID() == id && !window->IsHidden()) return static_cast<CDialog*>(window);
  }
  return nullptr;
}

// A control a player can press: its window is shown, on the screen, and the control is neither
// hidden nor disabled.
CControlBase* Pressable(CDialog* window, int32_t control) {
  CControlBase* c = window ? window->GetCtrl(control) : nullptr;
  if (!c || c->ScreenRect().bottom > 600) return nullptr;
  const int32_t state = c->GetState();
  return state == kStateDisabled || state == kStateHidden ? nullptr : c;
}

// The window holding a control, among those shown.
CDialog* ShownWindowWith(int32_t control) {
  CWinCtrl* windows = glb ? glb->m_pWinCtrl : nullptr;
  for (int32_t n = 0; windows && n < windows->NumWindows(); ++n) {
    auto* window = static_cast<CDialog*>(windows->GetWindowAt(n));
    if (window && !window->IsHidden() && window->GetCtrl(control)) return window;
  }
  return nullptr;
}

// The middle of a spot of the spot map the table's script names for a view: the map has half the
// screen's resolution and each pixel holds the number of the spot under it.
bool SpotPoint(const std::string& prefix, int32_t view, int32_t spot, int32_t& x, int32_t& y) {
  CBitmap map;
  const std::string name = "pictures/kavo/" + prefix + "spots" + std::to_string(view) + ".bmp";
  if (!map.Load(name.c_str(), 0) || map.m_BytesPerPixel != 1) return false;
  int64_t sx = 0, sy = 0, n = 0;
  for (int32_t my = 0; my < map.m_Height; ++my)
    for (int32_t mx = 0; mx < map.m_Width; ++mx)
      if (map.m_pData[static_cast<size_t>(my) * map.m_Pitch + mx] == spot) sx += mx, sy += my, ++n;
  if (n == 0) return false;
  x = static_cast<int32_t>(2 * sx / n);
  y = static_cast<int32_t>(2 * sy / n);
  return true;
}

// The number in a cash text ("$ 4,975.00" and the like), in cents; -1 for none.
int64_t CentsOf(const char* text) {
  std::string digits;
  for (const char* c = text ? text : ""; *c; ++c)
    if ((*c >= '0' && *c <= '9') || *c == '.' || *c == '-') digits += *c;
  return digits.empty() ? -1 : std::llround(std::atof(digits.c_str()) * 100);
}

// One round of a table as a player plays it.
struct SRoundPlan {
  const char* m_What;
  int32_t m_Game;
  const char* m_SpotMaps;  // the prefix of the game's spot maps
  int32_t m_Hits;          // hits before standing
  bool m_SideBet;
};

// The player at the table: each frame he looks at the windows and, when his hand is free, does
// the next thing his plan asks for. A click is a move, a press held a few frames and a release.
class CScriptedPlayer : public CTimer {
 public:
  enum EStep {
    kTakeMoney,
    kMoneyTaken,
    kSitDown,
    kSeatGranted,
    kPickChip,
    kBetOnSeat,
    kSideBet,
    kDeal,
    kDecide,
    kRoundOver,
    kLeave,
    kBalanceShown,
    kGone,
  };
  static constexpr const char* kStepNames[] = {"practice money asked", "practice money granted", "sit down",
                                               "seat granted", "chip",
                                               "bet on the seat", "side bet", "deal", "decision",
                                               "round over", "leave", "closing balance", "gone"};

  // How he comes to his seat: SIT DOWN; a click on its bet spot (the table's chip, chosen from its
  // limits, is the bet); or the host names it on arrival and he only waits for it.
  enum ESeatBy { kBySitDown, kByBet, kOnArrival };
  // With `leaveAfterDeciding` he closes the window as soon as he has decided.
  CScriptedPlayer(const SRoundPlan& plan, bool leaveAfterDeciding, ESeatBy seatBy)
      : m_Plan(plan), m_LeaveEarly(leaveAfterDeciding), m_SeatBy(seatBy) {}

  // Every 20 ms of the table's clock, at the start of the loop's pass.
  void TimerHandler(uint32_t) override {
    // Calls owed for one long pass come together; the player acts once a pass.
    const uint32_t now = xGetTime();
    if (now == m_LastPass) return;
    m_LastPass = now;
    Frame();
  }

  void Frame() {
    ++m_Frames;
    if (m_Frames >= kFrameLimit && !m_GaveUp) {
      m_GaveUp = true;
      PlatformDisplay()->PostMessage({XMSG_CLOSE, 0, 0});
      return;
    }
    if (!m_Clicks.empty()) {
      PlayClick();
      return;
    }
    if (m_Wait > 0) {
      --m_Wait;
      return;
    }
    Look();
  }

  EStep Step() const { return m_Step; }
  // What the seat was taken with, in cents (0 unless taken by a bet).
  int64_t SeatBet() const { return m_SeatBet; }
  const char* StepName() const { return kStepNames[m_Step]; }
  bool GaveUp() const { return m_GaveUp; }
  int32_t Hits() const { return m_HitsDone; }
  bool Decided() const { return m_Decided; }
  bool SideBetPlaced() const { return m_SideBetPlaced; }
  // The cash text of his seat when the round was over.
  const std::string& CashShown() const { return m_CashShown; }
  // The cash text as the bet was on the table.
  const std::string& CashWithBet() const { return m_CashWithBet; }

 private:
  struct SMouse {
    int32_t m_Frames;  // to wait before it
    int32_t m_Kind;    // 0 move, 1 press, 2 release
    int32_t m_X, m_Y;
  };

  void Click(int32_t x, int32_t y) {
    m_Clicks.push_back({0, 0, x, y});
    m_Clicks.push_back({3, 1, x, y});
    m_Clicks.push_back({6, 2, x, y});
    m_Wait = 10;
  }
  bool ClickControl(CDialog* window, int32_t control) {
    CControlBase* c = Pressable(window, control);
    if (!c) return false;
    const CRect r = c->ScreenRect();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
  }
  void PlayClick() {
    SMouse& m = m_Clicks.front();
    if (m.m_Frames-- > 0) return;
    CHeadlessDisplay* display = PlatformHeadless();
    if (m.m_Kind == 0)
      display->QueueMouseMove(m.m_X, m.m_Y);
    else
      display->QueueMouseButton(XMOUSE_LEFT, m.m_Kind == 1, m.m_X, m.m_Y);
    m_Clicks.erase(m_Clicks.begin());
  }
  void ClickSpot(int32_t spot) {
    int32_t x = 0, y = 0;
    ASSERT_TRUE(SpotPoint(m_Plan.m_SpotMaps, kFrontView, spot, x, y));
    Click(x, y);
  }
  const char* SeatCash() {
    CDialog* table = ShownWindow(kTableWindow);
    CControlBase* cash = table ? table->GetCtrl(kCashOfSeat1 + kSeat) : nullptr;
    const char* text = cash ? cash->GetTextBuffer(0) : nullptr;
    return text ? text : "";
  }
  // The practice-money dialog: the request (with its progress bar), then the amount granted.
  static CDialog* ForFunWindow(int32_t id) {
    CDialog* window = ShownWindow(id);
    if (window && id == TABLEDLG_FORFUN_REQUEST && !window->GetCtrl(FORFUN_PROGRESS)) return nullptr;
    return window;
  }

  void Look() {
    switch (m_Step) {
      case kTakeMoney:
        if (ClickControl(ForFunWindow(TABLEDLG_FORFUN_REQUEST), FORFUN_CLOSE)) {
          m_Step = kMoneyTaken;
        } else if (m_Frames > kNoMoneyAskedFrames &&
                   (Pressable(ShownWindow(kTableWindow), kSitDownOfSeat1 + kSeat) || *SeatCash() != 0)) {
          // A private table plays with the player's own balance: no practice money is offered.
          m_Step = kSitDown;
        }
        return;
      case kMoneyTaken:
        if (ClickControl(ForFunWindow(TABLEDLG_FORFUN_CHOSEN), FORFUN_CLOSE)) m_Step = kSitDown;
        return;
      case kSitDown:
        if (m_SeatBy == kOnArrival) {
          m_Step = kSeatGranted;
          return;
        }
        if (!Pressable(ShownWindow(kTableWindow), kSitDownOfSeat1 + kSeat)) return;
        if (m_SeatBy == kBySitDown) {
          if (ClickControl(ShownWindow(kTableWindow), kSitDownOfSeat1 + kSeat)) m_Step = kPickChip;
          return;
        }
        ClickSpot(kSeat + 1);
        m_Step = kSeatGranted;
        return;
      case kSeatGranted:
        // The seat is his once its cash shows; the chip he bet it with has left it.
        if (*SeatCash() == 0 || Pressable(ShownWindow(kTableWindow), kSitDownOfSeat1 + kSeat)) return;
        m_SeatBet = 500000 - CentsOf(SeatCash());
        m_Step = kPickChip;
        return;
      case kPickChip:
        if (ClickControl(ShownWindowWith(kChip25), kChip25)) m_Step = kBetOnSeat;
        return;
      case kBetOnSeat:
        ClickSpot(kSeat + 1);
        m_Step = kSideBet;
        return;
      case kSideBet:
        // Seated with the bet on the spot: the deal button comes on.
        if (!Pressable(ShownWindowWith(PANEL_CTRL_BET1), PANEL_CTRL_BET1)) return;
        m_CashWithBet = SeatCash();
        if (m_Plan.m_SideBet) {
          ClickSpot(kFirstSideBetSpot + kSeat);
          m_SideBetPlaced = true;
        }
        m_Step = kDeal;
        return;
      case kDeal:
        if (ClickControl(ShownWindowWith(PANEL_CTRL_BET1), PANEL_CTRL_BET1)) m_Step = kDecide;
        return;
      case kDecide: {
        if (RoundOver()) {
          m_Step = kRoundOver;
          return;
        }
        CDialog* actions = ShownWindow(kActionWindow);
        const int32_t button = m_HitsDone < m_Plan.m_Hits ? kHit : kStand;
        if (!ClickControl(actions, button)) return;
        m_Decided = true;
        if (button == kHit) {
          ++m_HitsDone;
          m_Wait = 50;  // the card comes before the dialog asks again
        } else {
          m_Step = kRoundOver;
        }
        if (m_LeaveEarly && m_Step == kRoundOver) {
          m_Step = kGone;
          PlatformDisplay()->PostMessage({XMSG_CLOSE, 0, 0});
        }
        return;
      }
      case kRoundOver:
        if (!RoundOver()) return;
        m_CashShown = SeatCash();
        m_Step = kLeave;
        return;
      case kLeave:
        if (ClickControl(ShownWindow(kTableWindow), kCloseBox)) m_Step = kBalanceShown;
        return;
      case kBalanceShown:
        // Leaving a for-fun table shows what is left of the practice money.
        if (ClickControl(ShownWindow(TABLEDLG_FORFUN_ANSWER), FORFUN_CLOSE) ||
            ClickControl(ShownWindow(TABLEDLG_FORFUN_CHOSEN), FORFUN_CLOSE))
          m_Step = kGone;
        return;
      case kGone:
        return;
    }
  }
  // The chips went away for the play and are back for the next round's bets.
  // The round was presented to its end: the chips are back, and the seat's cash has stood still
  // for a while since the last decision (a lost bet changes nothing more).
  bool RoundOver() {
    const std::string cash = SeatCash();
    if (cash != m_LastCash) {
      m_LastCash = cash;
      m_CashStill = 0;
    }
    ++m_CashStill;
    ++m_SinceDecision;
    return m_SinceDecision > kRoundFrames && m_CashStill > kStillFrames &&
           Pressable(ShownWindowWith(kChip25), kChip25) != nullptr;
  }

  const SRoundPlan m_Plan;
  const bool m_LeaveEarly;
  const ESeatBy m_SeatBy;
  int64_t m_SeatBet = 0;
  EStep m_Step = kTakeMoney;
  std::vector<SMouse> m_Clicks;
  int32_t m_Wait = 0;
  int32_t m_Frames = 0;
  uint32_t m_LastPass = 0;
  int32_t m_HitsDone = 0;
  bool m_Decided = false;
  int32_t m_SinceDecision = 0, m_CashStill = 0;
  std::string m_LastCash;
  bool m_SideBetPlaced = false;
  bool m_GaveUp = false;
  std::string m_CashShown, m_CashWithBet;
};

class KavoEndToEnd : public CKavoModuleFixture, public ::testing::WithParamInterface<SRoundPlan> {
 protected:
  void SetUp() override {
    CKavoModuleFixture::SetUp();
    // The player database is the visit's own.
    for (const char* name : {"c2user.stova", "c2user.stova-journal", "c2user.stova-wal", "c2user.stova-shm"})
      std::filesystem::remove(m_Dir.File(name));
    // By name, as the casino client loads it from its install folder.
    LoadModule(m_Dir.File("kavo.dll").c_str());
  }
  // The scripted player's visit to the plan's table (its first), prepared as the host does; xMain's
  // answer.
  int32_t PlayVisit(CScriptedPlayer& scripted, int32_t startSeat = -1) {
    const int32_t tableId = GetParam().m_Game * 1000 + 1;
    return Visit(PreparePlayer(static_cast<uint32_t>(tableId)), tableId, scripted, startSeat);
  }
  int32_t Visit(int32_t player, int32_t tableId, CScriptedPlayer& scripted, int32_t startSeat) {
    EXPECT_EQ(scripted.AddTimer(KAVO_TIMER_MS), 1);
    char name[32];
    std::snprintf(name, sizeof name, "%s", KAVOHOST_PLAYER);
    const int32_t result = m_xMain(player, tableId, nullptr, nullptr, name, nullptr, nullptr, startSeat, 0, 0);
    scripted.RemoveAllTimers();
    return result;
  }
  // The balance in cents: the users table, the last booking's balance after it, and the start plus
  // every booking.
  std::vector<int64_t> Balances() {
    const std::vector<std::string> lines =
        RunPythonTool("stova_balance.py", m_Dir.File("c2user.stova") + "\n" + KAVOHOST_PLAYER + "\n");
    std::vector<int64_t> cents;
    for (const std::string& line : lines) cents.push_back(line == "-" ? -1 : CentsOf(line.c_str()));
    return cents;
  }
};

// Sitting down, the chip, the bet spot, the deal and the decision, by clicks alone: the bet
// leaves the seat's cash, the cards come and the action dialog takes his decision.
TEST_P(KavoEndToEnd, ANewPlayerSitsBetsDealsAndDecidesByClicks) {
  const SRoundPlan& plan = GetParam();
  CScriptedPlayer scripted(plan, true, CScriptedPlayer::kBySitDown);
  const int32_t result = PlayVisit(scripted);
  ASSERT_FALSE(scripted.GaveUp()) << "stuck at: " << scripted.StepName();
  // The private table is its owner's: it ends with him when he leaves it by the close box.
  if (scripted.Step() == CScriptedPlayer::kGone || plan.m_Game != KAVO_GAMEID_ONEDECK) {
    EXPECT_EQ(result, KAVO_RESULT_LEFT);
  } else {
    EXPECT_TRUE(result == KAVO_RESULT_LEFT || result == KAVO_RESULT_ENDED) << result;
  }
  // He is gone, or the hand wanted no decision and he left by the close box after the round (a
  // private table shows no practice balance on the way out).
  EXPECT_GE(scripted.Step(), CScriptedPlayer::kBalanceShown) << scripted.StepName();
  if (scripted.Decided()) {
    EXPECT_EQ(scripted.Hits(), plan.m_Hits);
  }
  EXPECT_EQ(scripted.SideBetPlaced(), plan.m_SideBet);
  // The 25 chip on the spot of a player who came with 5,000.00.
  EXPECT_EQ(CentsOf(scripted.CashWithBet().c_str()), 497500) << scripted.CashWithBet();
  xSetUserWantToQuit(0);
  Frame();
  EXPECT_EQ(Leftovers(), Before());
}

// The seat taken by a click on its bet spot, a 25 chip added, the whole round to its end and the
// leave by the close box: the cash shown is the balance the server booked.
TEST_P(KavoEndToEnd, ANewPlayerPlaysARoundByClicksAndTheCashShownIsTheBookedBalance) {
  const SRoundPlan& plan = GetParam();
  CScriptedPlayer scripted(plan, false, CScriptedPlayer::kByBet);
  const int32_t result = PlayVisit(scripted);
  ASSERT_FALSE(scripted.GaveUp()) << "stuck at: " << scripted.StepName();
  // The seat came with the table's chip on it; the 25 went on top.
  EXPECT_GT(scripted.SeatBet(), 0);
  EXPECT_EQ(CentsOf(scripted.CashWithBet().c_str()), 500000 - scripted.SeatBet() - 2500) << scripted.CashWithBet();
  // A natural on either side wants no decision.
  if (scripted.Decided()) {
    EXPECT_EQ(scripted.Hits(), plan.m_Hits);
  }
  EXPECT_EQ(scripted.SideBetPlaced(), plan.m_SideBet);
  if (plan.m_Game == KAVO_GAMEID_ONEDECK) {
    // The private table is its owner's and plays with his own balance: it shows no practice
    // balance on the way out and ends with him.
    EXPECT_GE(scripted.Step(), CScriptedPlayer::kBalanceShown) << scripted.StepName();
    EXPECT_TRUE(result == KAVO_RESULT_LEFT || result == KAVO_RESULT_ENDED) << result;
  } else {
    EXPECT_EQ(scripted.Step(), CScriptedPlayer::kGone) << scripted.StepName();
    EXPECT_EQ(result, KAVO_RESULT_LEFT);
  }

  const std::vector<int64_t> balances = Balances();
  ASSERT_EQ(balances.size(), 3u);
  // The cash shown is the balance, and the round's bookings explain it.
  EXPECT_EQ(CentsOf(scripted.CashShown().c_str()), balances[0]) << scripted.CashShown();
  EXPECT_EQ(balances[1], balances[0]);
  EXPECT_EQ(balances[2], balances[0]);
  Frame();
  EXPECT_EQ(Leftovers(), Before());
}

// The host names his seat: the table asks for it once it knows the seats, and he plays from it
// without a click to sit down.
TEST_P(KavoEndToEnd, TheSeatTheHostNamesIsTakenOnArrival) {
  const SRoundPlan& plan = GetParam();
  CScriptedPlayer scripted(plan, true, CScriptedPlayer::kOnArrival);
  const int32_t result = PlayVisit(scripted, kSeat);
  ASSERT_FALSE(scripted.GaveUp()) << "stuck at: " << scripted.StepName();
  EXPECT_GE(scripted.Step(), CScriptedPlayer::kBalanceShown) << scripted.StepName();
  EXPECT_TRUE(result == KAVO_RESULT_LEFT || (plan.m_Game == KAVO_GAMEID_ONEDECK && result == KAVO_RESULT_ENDED)) << result;
  EXPECT_EQ(scripted.SeatBet(), 0);
  EXPECT_EQ(CentsOf(scripted.CashWithBet().c_str()), 497500) << scripted.CashWithBet();
  xSetUserWantToQuit(0);
  Frame();
  EXPECT_EQ(Leftovers(), Before());
}

const SRoundPlan kPlans[] = {
    {"regular table, stand", 1020, "kavo_", 0, false},
    {"regular table, one hit", 1020, "kavo_", 1, false},
    {"side-bet table, side bet and stand", 1021, "kavo_ss_", 0, true},
    {"one-deck private table, stand", 1022, "kavo_onedeck_", 0, false},
};

INSTANTIATE_TEST_SUITE_P(Tables, KavoEndToEnd, ::testing::ValuesIn(kPlans),
                         [](const ::testing::TestParamInfo<SRoundPlan>& info) {
                           std::string name;
                           for (const char* c = info.param.m_What; *c; ++c)
                             if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9'))
                               name += *c;
                           return name;
                         });

}  // namespace
