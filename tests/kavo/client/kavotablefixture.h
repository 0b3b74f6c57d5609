// A blackjack client table set up headless: the 800 x 600 headless screen with its persistent
// layer, the test clock, the communication library, and a working folder that shows the install
// folder's data (scripts, pictures, sounds, fonts) through links, so that whatever the table
// writes (options) stays out of the install folder. StartTable runs the framework's InitTable on
// a table of the test's class; the fixture's TearDown ends a table the test left running.
//
//   class MyTest : public CKavoTableFixture {};
//   TEST_F(MyTest, Something) {
//     ASSERT_EQ(StartTable(), 1);            // the regular table, view 2, no music
//     Frames(10);                            // ten 20 ms frames of the table
//     CBlackJackClientTable& table = Table();
//   }
//
// A test that needs the table's protected members derives its own table class and starts it
// with StartTable(std::make_unique<MyTable>()).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "client/clienttable.h"
#include "ostrel/containers/llist.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/resources/basepack.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "support/guiharness.h"
#include "support/png.h"
#include "support/tempdir.h"

inline constexpr int32_t KAVO_TEST_TABLE_ID = KAVO_GAMEID_REGULAR * 1000 + 1;
inline constexpr int32_t KAVO_TEST_ONEDECK_TABLE_ID = KAVO_GAMEID_ONEDECK * 1000 + 1;

// What the process holds that a table could leave behind: timers, windows and nodes.
struct SKavoLeftovers {
  int32_t Timers = 0, Windows = 0, Nodes = 0;
  bool operator==(const SKavoLeftovers&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const SKavoLeftovers& l) {
  return out << "timers " << l.Timers << ", windows " << l.Windows << ", nodes " << l.Nodes;
}

class CKavoTableFixture : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    StartScreen(800, 600);
    ASSERT_EQ(Screen()->SetPersistentMode(1), 1);
    ASSERT_EQ(xCommStartup(glb, sglb), 1);
    m_CommStarted = true;
    for (const auto& entry : std::filesystem::directory_iterator(VORRIN_DIST_DIR))
      std::filesystem::create_symlink(entry.path(), m_Dir.File(entry.path().filename().string()));
    m_pCwd = std::make_unique<CWorkingDir>(m_Dir.Path());
    ASSERT_EQ(xLoadBaseResData(&m_Base, m_Dir.Path().c_str()), 1);
    Frame();
    m_Before = Leftovers();
  }
  void TearDown() override {
    EndTable();
    m_pTable.reset();
    xFreeFramePools();
    if (m_CommStarted) xCommClosedown();
    m_Base.Free();
    m_pCwd.reset();
    CGuiTest::TearDown();
  }

  static CScreenBase* Screen() { return glb->m_pCurrentScreen; }

  // The framework's InitTable on the table (the regular table when none is given), as the module
  // starts it for play for fun; its result. The table stays for EndTable even when it failed.
  int32_t StartTable(std::unique_ptr<CBlackJackClientTable> table = nullptr, int32_t tableId = KAVO_TEST_TABLE_ID,
                     int32_t startSeat = -1, CMilesMusic* music = nullptr) {
    EndTable();
    m_pTable = table ? std::move(table) : std::make_unique<CBlackJackClientTable>();
    m_pTable->SetPlayerId(7);
    m_pTable->SetUserName("ann");
    m_pTable->SetMusicObj(music);
    m_pTable->SetStartSlotPos(startSeat);
    m_Started = true;
    return m_pTable->InitTable(tableId, 0, 0, 0, 0);
  }
  // The framework's ExitTable on a started table; its result (1 when there was none).
  int32_t EndTable() {
    if (!m_Started) return 1;
    m_Started = false;
    const int32_t result = m_pTable->ExitTable();
    Frame();  // removed timers and windows leave their lists at the next pass
    return result;
  }
  // Frames of the table as the module's loop runs them: the clock, the loop's pass, the table.
  void Frames(int32_t n, uint32_t ms = KAVO_TIMER_MS) {
    for (int32_t i = 0; i < n; ++i) {
      m_Clock.Advance(ms);
      Frame();
      if (m_Started) m_pTable->ClientHandler();
    }
  }

  CBlackJackClientTable& Table() { return *m_pTable; }
  template <class T>
  T& TableAs() {
    return static_cast<T&>(*m_pTable);
  }

  // Timers, windows and nodes as they stand now.
  static SKavoLeftovers Leftovers() {
    SKavoLeftovers l;
    for (CLList* list : {glb->m_pActiveTimers, glb->m_pPendingTimers})
      if (list) l.Timers += list->GetNumNodes();
    if (CWinCtrl* wc = xWinCtrl()) l.Windows = wc->NumWindows();
    if (CLList* nodes = xCommNodeList(0)) l.Nodes = nodes->GetNumNodes();
    return l;
  }
  // The screen after two frames of the loop, as a player sees it between turns: the seats'
  // thinking bubbles hidden.
  TRgbImage ShotBetweenTurns() {
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
      if (CControlBase* bubble = m_pTable->GetMainDialog().GetCtrl(145 + seat)) bubble->SetState(XGUI_HIDDEN);
    Frame();
    Frame();
    TRgbImage image{800, 600, {}};
    image.rgb.reserve(800 * 600 * 3);
    for (int32_t y = 0; y < 600; ++y)
      for (int32_t x = 0; x < 800; ++x) {
        const uint32_t p = ScreenPixel(x, y);
        image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
      }
    return image;
  }
  // What stood before the table was made.
  const SKavoLeftovers& Before() const { return m_Before; }

  CTempDir m_Dir;
  std::unique_ptr<CWorkingDir> m_pCwd;
  CResData m_Base;
  std::unique_ptr<CBlackJackClientTable> m_pTable;
  bool m_Started = false;
  bool m_CommStarted = false;
  SKavoLeftovers m_Before;
};
