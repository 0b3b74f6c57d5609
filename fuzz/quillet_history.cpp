// Round texts come from the server and history scripts ship with the games: whatever either
// holds, the round-text readers keep to their buffers and answers, a view refuses a script it
// cannot draw, and rows of any size land on small bitmaps without a byte written outside them.
// The input is a history script, a NUL, then round texts one per line (without the NUL, all of
// it is round texts over a fixed script).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cardgamehistorydisplay.h"
#include "common/updater/gamestxtmodule.h"
#include "fuzzfolder.h"
#include "historydraw.h"
#include "historyrecord.h"
#include "historyrow.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/font.h"
#include "ostrel/resources/resdata.h"
#include "roundtext.h"
#include "widgetfuzz.h"

namespace {
constexpr char kWindow[] =
    "{ = Defines\n    IDW_MAIN = 1000\n}\n"
    "{ = Strings\n    IDS_CURRENCY = 1510, \"$%s\"\n}\n"
    "{ = Colors\n    topColumnColor = \"30 32 36 0\"\n    rowBgColor = \"18 56 42 0\"\n}\n"
    "{ = Window, IDW_MAIN\n    Create = \"\", 0, 0, 320, 240, 0\n}\n";
constexpr char kScript[] =
    "{ = Defines\n    IDC_CARDS = 2001\n}\n"
    "{ = Strings\n    STR_CARDSLOCATION = 3100, \"cards.bmp\"\n}\n"
    "{ = GameDialog\n    { = Static, IDC_CARDS\n        Create = \"\", 0, 0, 40, 8, 0\n    }\n}\n"
    "{ = Data\n    COLUMNDATA = 4, 12, 20, 40, 30, 40\n    COLUMNSTR = \"No\", \"Name\", \"Bet\", \"Win\"\n"
    "    NUMBEROFROWSTODRAW = 5\n    CARDSPACING = 4\n}\n";
constexpr int32_t kMaxCards = 20;

// Every reader on a text, each answer checked against the text itself.
void Read(const CTranslate& translate, const char* text) {
  for (const char* key : {"BET=", "WIN=", ";REELS=", "CARDS=", "SEAT=", "="}) {
    const char* value = FindKeyValue(text, key);
    char out[HISTORY_VALUE_SIZE + 8];
    std::memset(out, '#', sizeof out);
    GetKeyString(text, key, out, HISTORY_VALUE_SIZE);
    const size_t n = std::strlen(out);
    FuzzCheck(n < HISTORY_VALUE_SIZE && out[HISTORY_VALUE_SIZE] == '#');
    FuzzCheck(value ? std::strncmp(out, value, n) == 0 && std::memchr(out, ';', n) == nullptr : n == 0);
    if (!value) FuzzCheck(GetKeyLong(text, key) == -1);
    int32_t numbers[kMaxCards + 1];
    numbers[kMaxCards] = 0x5A5A5A5A;
    FuzzCheck(GetKeyLongs(text, key, numbers, kMaxCards, "+,") <= kMaxCards && numbers[kMaxCards] == 0x5A5A5A5A);
    char money[32];
    if (!GetKeyMoney(translate, text, key, money, sizeof money)) FuzzCheck(money[0] == '\0');
  }
}

class CFuzzView : public CCardGameHistoryDisplay {
 public:
  using CCardGameHistoryDisplay::CCardGameHistoryDisplay;

  int32_t ParseHistoryData(THistoryRecord* record, CLList& rows) override {
    if (record) return CGameHistory::ParseHistoryData(record, rows);
    CHistoryRow* header = ReadGameColumnData();
    return header && rows.InsertLast(header);
  }
  int32_t HandleRoundData(THistoryRecord* record, CLList& rows) override {
    const char* text = record->RoundText();
    Read(m_Translate, text);
    char bet[HISTORY_VALUE_SIZE], win[64];
    GetKeyString(text, "BET=", bet);
    GetKeyMoney(text, "WIN=", win);
    const std::string number = std::to_string(GetKeyLong(text, "ROUND="));
    AddCell(number.c_str(), nullptr);
    AddCell(nullptr, GetCardBitmap(GetKeyLong(text, "CARD=")));
    AddCell(bet, nullptr);
    AddCell(win, nullptr);
    CHistoryRow* row = EndRow();
    if (!row) return 1;
    row->GetRecords().InsertLast(record);
    if (m_pLast && FindKeyValue(text, "SPLIT=")) row->FollowRow(m_pLast);
    m_pLast = row;
    rows.InsertLast(row);
    int32_t cards[kMaxCards + 1];
    cards[0] = GetKeyLongs(text, "CARDS=", cards + 1, kMaxCards, "+");
    CBitmap* face = FindControl(2001) ? FindControl(2001)->GetLook().m_pBitmaps[LOOK_NORMAL] : nullptr;
    if (face) DrawCards(cards, kMaxCards + 1, face);
    return 1;
  }
  int32_t InitGraphics(CDialog* host) override {
    const int32_t cards = LoadCardList();
    if (!LoadControls(host, nullptr)) return 0;
    if (cards) SetControlBitmap(FindControl(2001), GetCardSpacing() * 3 + GetCardWidth(), GetCardHeight());
    return 1;
  }
  void ShowRound(CBitmap*, int32_t, int32_t, CLList&) override {}

 private:
  CHistoryRow* m_pLast = nullptr;
};

struct SHost {
  CResData m_Res;
  CDialog m_Dialog;
  CBitmap m_Glyphs;
  CFont m_Font;
  bool m_Ok = false;
  SHost() {
    // Printable characters alternate between two glyphs of the picture.
    std::vector<TCharData> chars;
    for (int code = 33; code < 127; ++code) chars.push_back(code % 2 ? TCharData{0, 0, 4} : TCharData{4, 0, 3});
    chars.push_back({0, 0, 0xFFFF});
    m_Ok = m_Res.Import(kWindow) == 1 && m_Dialog.Create(&m_Res, 1000, nullptr, 0, nullptr) == 1 &&
           m_Glyphs.CreateRGB(8, 7, 24, 8, 8, 8, 16, 8, 0, 0) == 1;
    const TRGBA white(255, 255, 255);
    m_Glyphs.Fill(&white);
    m_Ok = m_Ok && m_Font.SetFont(&m_Glyphs, chars.data(), 33, 7, 1) == 1;
    xSetHistoryGridLook(TRGBA(212, 175, 55), TRGBA(40, 124, 86), TRGBA(250, 250, 245), &m_Font);
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    if (!widgetfuzz::Ready()) return false;
    FuzzEnterTempFolder("/tmp/vorrin-fuzz-quillet-XXXXXX");
    return widgetfuzz::WriteFile("cards.bmp", widgetfuzz::Bmp24(78, 32));
  }();
  if (!ready || size > (1u << 20)) return 0;
  static SHost host;
  FuzzCheck(host.m_Ok);

  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string script = split == std::string::npos ? kScript : input.substr(0, split);
  const std::string texts = split == std::string::npos ? input : input.substr(split + 1);
  if (!widgetfuzz::WriteFile("history.xrs", script)) return 0;

  GamestxtCFVModule game;
  game.SetGameid(2130000);
  game.SetHistoryPath("history.xrs");
  CFuzzView view(&host.m_Res, &game);
  CLList header;
  if (!view.InitGraphics(&host.m_Dialog) || !view.ParseHistoryData(nullptr, header)) {
    for (CNode* n = header.HeadNode(); n; n = n->m_pNext) delete static_cast<CHistoryRow*>(n->m_pData);
    return 0;
  }
  view.AddRows(header);
  FuzzCheck(view.GetColumnCount() >= 1 && view.GetColumnCount() <= HISTORY_MAX_COLUMNS);
  FuzzCheck(view.GetRowsToDraw() >= 0 && view.GetRowsToDraw() <= HISTORY_MAX_ROWS_TO_DRAW);

  std::vector<std::unique_ptr<THistoryRecord>> records;
  for (size_t at = 0; at <= texts.size() && records.size() < 64;) {
    size_t end = texts.find('\n', at);
    if (end == std::string::npos) end = texts.size();
    auto record = std::make_unique<THistoryRecord>();
    record->m_Kind = HISTORY_KIND_ROUND;
    record->SetRoundText(texts.data() + at, end - at);
    CLList rows;
    FuzzCheck(view.ParseHistoryData(record.get(), rows) == 1);
    view.AddRows(rows);
    records.push_back(std::move(record));
    at = end + 1;
  }
  view.SortForDisplay();
  FuzzCheck(view.GetRow(0) == view.GetHeaderRow());
  for (int32_t i = 0; i < view.GetNumRows(); ++i) FuzzCheck(view.GetRow(i)->GetNumber() == i);

  const struct {
    int32_t m_W, m_H, m_X, m_Y;
  } targets[] = {{40, 20, 0, 0}, {40, 20, -15, -7}, {120, 60, 30, 25}, {1, 1, 0, 0}};
  for (const auto& t : targets) {
    CBitmap target;
    FuzzCheck(target.CreateRGB(t.m_W, t.m_H, 24, 8, 8, 8, 16, 8, 0, 0) == 1);
    view.DrawRows(&target, t.m_X, t.m_Y, view.GetRowsToDraw(), static_cast<int32_t>(size % 4));
    view.DrawRows(&target, t.m_X, t.m_Y, 64, 0);
  }
  return 0;
}
