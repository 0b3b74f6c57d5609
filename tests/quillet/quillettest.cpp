#include "quillettest.h"

#include <filesystem>

#include "common/updater/gamestxtmodule.h"
#include "historydraw.h"
#include "historygrid.h"
#include "historyrow.h"

std::string QuilletData(const std::string& name) { return std::string(VORRIN_TEST_DATA_DIR) + "/quillet/" + name; }

CRecords::~CRecords() {
  for (CNode* n = m_List.HeadNode(); n; n = n->m_pNext) delete static_cast<THistoryRecord*>(n->m_pData);
  m_List.KillAll();
}

THistoryRecord* CRecords::Add(int32_t gameId, int32_t kind, int32_t value, const char* name, const std::string& text) {
  auto* record = new THistoryRecord;
  record->m_GameId = gameId;
  record->m_Kind = kind;
  record->m_Value = value;
  record->SetName(name);
  record->SetRoundText(text.data(), text.size());
  m_List.InsertLast(record);
  return record;
}

void CQuilletTest::SetUp() {
  CRuntimeTest::SetUp();
  m_Dir = std::make_unique<CTempDir>();
  for (const char* f : {"modstatus.lst", "games.xrs"}) Copy(std::string("games/") + f, f);
  for (const char* f : {"testview.xrs", "cards.bmp", "cards_joker.bmp", "cards_tiny.bmp", "cards_odd.bmp"}) Copy(f, f);
  std::filesystem::create_directory(m_Dir->File("xrs"));
  std::filesystem::copy_file(std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/games_history.xrs",
                             m_Dir->File("xrs/games_history.xrs"));
  m_Work = std::make_unique<CWorkingDir>(m_Dir->Path());

  ASSERT_EQ(m_Window.Load(QuilletData("window.xrs").c_str()), 1);
  m_pHost = std::make_unique<CDialog>();
  ASSERT_EQ(m_pHost->Create(&m_Window, 1000, nullptr, 0, nullptr), 1);
  m_pFont = std::make_unique<CFont>();
  ASSERT_EQ(m_pFont->Load((std::string(VORRIN_DIST_DIR) + "/fonts/sans13.xbf").c_str()), 1);
  xSetHistoryGridLook(kGridColour, kSelectColour, kFontColour, m_pFont.get());
  m_Info.SetResources(&m_Window);
  ASSERT_EQ(m_Info.Load(), 1);
}

void CQuilletTest::TearDown() {
  xSetHistoryGridLook(kGridColour, kSelectColour, kFontColour, nullptr);
  m_pFont.reset();
  m_pHost.reset();
  m_Work.reset();
  m_Dir.reset();
  CRuntimeTest::TearDown();
}

void CQuilletTest::Copy(const std::string& from, const std::string& to) const {
  std::filesystem::copy_file(QuilletData(from), m_Dir->File(to));
}

std::unique_ptr<CBitmap> CQuilletTest::Paper(int32_t w, int32_t h) {
  auto b = std::make_unique<CBitmap>();
  b->CreateRGB(w, h, 24, 8, 8, 8, 16, 8, 0, 0);
  b->Fill(&kPaper);
  return b;
}

TRGBA CQuilletTest::Pixel(const CBitmap& b, int32_t x, int32_t y) {
  TRGBA c(0, 0, 0);
  b.GetPixel(x, y, &c);
  return c;
}

int32_t CQuilletTest::Count(const CBitmap& b, int32_t x, int32_t y, int32_t w, int32_t h, const TRGBA& colour) {
  int32_t n = 0;
  for (int32_t j = y; j < y + h; ++j)
    for (int32_t i = x; i < x + w; ++i)
      if (SameRgb(Pixel(b, i, j), colour)) ++n;
  return n;
}

int32_t CQuilletTest::Light(const CBitmap& b, int32_t x, int32_t y, int32_t w, int32_t h) {
  int32_t n = 0;
  for (int32_t j = y; j < y + h; ++j)
    for (int32_t i = x; i < x + w; ++i) {
      const TRGBA c = Pixel(b, i, j);
      if (c.r > 150 && c.g > 150 && c.b > 150) ++n;
    }
  return n;
}

std::unique_ptr<CGameHistoryDisplay> CQuilletTest::Grid(CRecords& records, int32_t sessionList) {
  CHistoryGrid grid(m_pHost.get(), &m_Window, &m_Info);
  if (!grid.Build(records.List(), sessionList, -1)) return nullptr;
  return grid.TakeView();
}

std::unique_ptr<CTestHistoryView> CQuilletTest::TestView(const char* script) {
  GamestxtCFVModule game;
  game.SetGameid(2130000);
  game.SetHistoryPath(script);
  auto view = std::make_unique<CTestHistoryView>(&m_Window, &game);
  CLList header;
  if (!view->InitGraphics(m_pHost.get()) || !view->ParseHistoryData(nullptr, header)) return nullptr;
  view->AddRows(header);
  return view;
}
