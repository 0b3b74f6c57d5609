// kavo.so in a process like the host's (the headless 800 x 600 screen, the communication library,
// a working folder that shows the install folder and holds the player database), loaded through
// the module contract, with the player and the table record the host makes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "../client/kavotablefixture.h"
#include "forfunplayer.h"
#include "kavoxmain.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/sysservices.h"
#include "stova/stovaconn.h"

class CKavoModuleFixture : public CKavoTableFixture {
 protected:
  void TearDown() override {
    xSetUserWantToQuit(0);
    CKavoTableFixture::TearDown();
  }
  // The module from `path` and its entry.
  void LoadModule(const char* path) {
    ASSERT_EQ(m_Module.Load(path, DYNLIB_INHERIT_OSTREL), 1);
    m_xMain = reinterpret_cast<TKavoXMain>(m_Module.GetSymbol("xMain"));
    ASSERT_NE(m_xMain, nullptr);
  }
  // The player "vorrin" and the table's record, as the host makes them; the player's id.
  static int32_t PreparePlayer(uint32_t tableId) {
    CStovaConn db;
    EXPECT_EQ(db.Init(), 1);
    const uint32_t player = EnsureForFunPlayer(db, KAVOHOST_PLAYER, KAVOHOST_START_CASH);
    EXPECT_NE(player, 0u);
    EXPECT_EQ(EnsureTableRecord(db, tableId, player), 1);
    db.Exit();
    return static_cast<int32_t>(player);
  }

  CDynamicLibrary m_Module;
  TKavoXMain m_xMain = nullptr;
};
