#include "testview.h"

#include "historyrecord.h"
#include "historyrow.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "roundtext.h"

int32_t CTestHistoryView::ParseHistoryData(THistoryRecord* record, CLList& rows) {
  if (record) return CGameHistory::ParseHistoryData(record, rows);
  CHistoryRow* header = ReadGameColumnData();
  if (!header) return 0;
  rows.InsertLast(header);
  m_Rounds = 0;
  return 1;
}

CBitmap* CTestHistoryView::Marker(const char* text) {
  int32_t rgb[3];
  if (GetKeyLongs(text, "MARK=", rgb, 3, "+") != 3) return nullptr;
  CBitmap* mark = GetBitmaps().Create(TESTVIEW_MARK_SIZE, TESTVIEW_MARK_SIZE);
  const TRGBA colour(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2]));
  if (mark) mark->Fill(&colour);
  return mark;
}

int32_t CTestHistoryView::HandleRoundData(THistoryRecord* record, CLList& rows) {
  if (record->m_Kind != HISTORY_KIND_ROUND) return 1;
  const char* text = record->RoundText();
  const std::string number = std::to_string(++m_Rounds);
  char bet[HISTORY_VALUE_SIZE];
  GetKeyMoney(text, "BET=", bet);
  AddCell(number.c_str(), nullptr);
  AddCell(record->m_Name, nullptr);
  AddCell(nullptr, Marker(text));
  AddCell(bet, nullptr);
  CHistoryRow* first = EndRow();
  first->GetRecords().InsertLast(record);
  record->m_Value = m_Rounds;
  rows.InsertLast(first);
  if (!FindKeyValue(text, "SPLIT=")) return 1;

  GetKeyMoney(text, "SPLIT=", bet);
  for (int i = 0; i < 3; ++i) AddCell(nullptr, nullptr);
  AddCell(bet, nullptr);
  CHistoryRow* second = EndRow();
  second->FollowRow(first);
  second->GetRecords().InsertLast(record);
  rows.InsertLast(second);
  return 1;
}

int32_t CTestHistoryView::InitGraphics(CDialog* host) {
  if (!LoadCardList() || !LoadControls(host, nullptr)) return 0;
  if (!SetControlBitmap(FindControl(TESTVIEW_CARDS), GetCardSpacing() * 4 + GetCardWidth(), GetCardHeight()))
    return 0;
  SetControlState(-1, 5);
  return 1;
}

void CTestHistoryView::ShowRound(CBitmap*, int32_t, int32_t, CLList& records) {
  CNode* first = records.HeadNode();
  if (!first) return;
  const char* text = static_cast<THistoryRecord*>(first->m_pData)->RoundText();
  if (CControlBase* bet = FindControl(TESTVIEW_BET)) {
    char* buffer = bet->GetTextBuffer(1);
    if (buffer) GetKeyMoney(text, "BET=", buffer, static_cast<size_t>(bet->GetTextBufferSize()));
  }
  if (CControlBase* cards = FindControl(TESTVIEW_CARDS)) {
    int32_t list[6];
    list[0] = GetKeyLongs(text, "CARDS=", list + 1, 5, "+");
    CBitmap* face = cards->GetLook().m_pBitmaps[LOOK_NORMAL];
    ClearBitmap(face);
    DrawCards(list, 6, face);
  }
  SetControlState(-1, 2);
}

CTestViewRegistration::CTestViewRegistration(std::initializer_list<const char*> views) {
  for (const char* name : views)
    m_Replaced.emplace_back(name, xSetHistoryViewMaker(name, &xMakeHistoryView<CTestHistoryView>));
}

CTestViewRegistration::~CTestViewRegistration() {
  for (const auto& [name, maker] : m_Replaced) xSetHistoryViewMaker(name.c_str(), maker);
}
