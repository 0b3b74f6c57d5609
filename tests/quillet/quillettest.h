// The play-history tests: a working folder with the games fixture (tests/data/quillet/games),
// the test view's script and card textures and the session list's script as the install folder
// has them; the window script of tests/data/quillet/window.xrs with its window as the views'
// host; the grid look with a stock font. Records are made as a reply carries them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gameinfo.h"
#include "gamehistorydisplay.h"
#include "historyrecord.h"
#include "testview.h"
#include "ostrel/containers/llist.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/resources/resdata.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

// Card (row, column) of the test textures, as tests/tools/make_quillet_fixtures.py paints it.
inline TRGBA CardColour(int32_t row, int32_t column) {
  return TRGBA(static_cast<uint8_t>(10 + 18 * column), static_cast<uint8_t>(30 + 50 * row), 90);
}

// The grid look of the tests.
inline const TRGBA kGridColour(212, 175, 55), kSelectColour(40, 124, 86), kFontColour(250, 250, 245);
inline const TRGBA kHeaderColour(30, 32, 36), kRowColour(18, 56, 42), kPaper(5, 5, 5);

std::string QuilletData(const std::string& name);

// The records of one reply, owned, in a list as the window keeps them.
class CRecords {
 public:
  ~CRecords();
  THistoryRecord* Add(int32_t gameId, int32_t kind, int32_t value, const char* name, const std::string& text);
  CLList& List() { return m_List; }

 private:
  CLList m_List;
};

class CQuilletTest : public CRuntimeTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A file of tests/data/quillet (or a path below it) copied into the working folder.
  void Copy(const std::string& from, const std::string& to) const;
  // A 24-bit bitmap filled with kPaper.
  static std::unique_ptr<CBitmap> Paper(int32_t w, int32_t h);
  static TRGBA Pixel(const CBitmap& b, int32_t x, int32_t y);
  // How many pixels of the area have the colour.
  static int32_t Count(const CBitmap& b, int32_t x, int32_t y, int32_t w, int32_t h, const TRGBA& colour);
  // How many pixels of the area are light (the text's; the grid's colours are all darker).
  static int32_t Light(const CBitmap& b, int32_t x, int32_t y, int32_t w, int32_t h);
  // The view the grid makes for the records, with the test view standing for the four-reel
  // game (2130) and blackjack (1020 to 1022); null when the grid gives none or fails.
  std::unique_ptr<CGameHistoryDisplay> Grid(CRecords& records, int32_t sessionList = 0);
  // The test view of game 2130 with its controls loaded into the host and its header read.
  std::unique_ptr<CTestHistoryView> TestView(const char* script = "testview.xrs");

  CGameInfo m_Info;
  CTestViewRegistration m_Views{"C4rdHistory", "CBlackJackHistory"};

  std::unique_ptr<CTempDir> m_Dir;
  std::unique_ptr<CWorkingDir> m_Work;
  CResData m_Window;
  std::unique_ptr<CDialog> m_pHost;
  std::unique_ptr<CFont> m_pFont;
};

inline bool SameRgb(const TRGBA& a, const TRGBA& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
