#include "common/widgets/historyled.h"

#include <algorithm>
#include <memory>
#include <new>

#include "common/tables/servertablebase.h"
#include "common/tables/statebytes.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"

namespace {
bool CountFits(uint32_t n) { return n > 0 && n <= HISTORYLED_MAX_COUNT; }

// A 24-bit picture of the size, in the screen's format when there is a screen.
CBitmap* NewScreenPicture(int32_t width, int32_t height) {
  auto* b = new (std::nothrow) CBitmap;
  if (!b) return nullptr;
  if (!b->CreateRGB(width, height, 24, 8, 8, 8, 16, 8, 0, 0)) {
    delete b;
    return nullptr;
  }
  xGuiMakeScreenFormat(b, 1);
  return b;
}

// The rectangle lies wholly inside the bitmap.
bool AreaInside(const CBitmap* b, int32_t x, int32_t y, int32_t width, int32_t height) {
  return b && x >= 0 && y >= 0 && width > 0 && height > 0 && int64_t(x) + width <= b->m_Width &&
         int64_t(y) + height <= b->m_Height;
}
}  // namespace

// ---- the list ----

CHistoryLed::~CHistoryLed() { CHistoryLed::Destroy(); }

int32_t CHistoryLed::Create(uint32_t entries, uint32_t symbols) {
  CHistoryLed::Destroy();
  if (!CountFits(entries) || !CountFits(symbols)) return 0;
  m_History.assign(entries, symbols - 1);
  m_NumHistory = entries;
  m_NumSymbols = symbols;
  return 1;
}

int32_t CHistoryLed::Destroy() {
  m_History.clear();
  m_History.shrink_to_fit();
  m_NumHistory = m_NumSymbols = 0;
  return 1;
}

int32_t CHistoryLed::UpdateWinHistory(uint32_t symbol) {
  if (symbol >= m_NumSymbols || m_History.empty()) return 0;
  std::move_backward(m_History.begin(), m_History.end() - 1, m_History.end());
  m_History[0] = symbol;
  return 1;
}

// ---- the server half ----

int32_t CServerHistoryLed::AddSymbolToHistory(uint32_t symbol, CCommNode* node) {
  if (!UpdateWinHistory(symbol)) return 1;
  if (!node) return 0;
  return node->NewItem(HISTORYLED_ITEM, KULONGARRAY, m_NumHistory, m_History.data(), KEND) ? 1 : 0;
}

void CServerHistoryLed::StoreState(std::vector<uint8_t>& out) const {
  for (uint32_t symbol : m_History) xStatePutLong(out, symbol);
}

int32_t CServerHistoryLed::StoreHistory(CServerTableBase* table) { return table ? table->SSAddState(*this) : 0; }

int32_t CServerHistoryLed::RestoreHistory(CServerTableBase* table) { return table ? table->SSGetState(*this) : 0; }

int32_t CServerHistoryLed::RestoreState(const uint8_t* data, size_t size, size_t& used) {
  used = 0;
  const size_t need = size_t(m_NumHistory) * 4;
  if (!data || size < need) {
    xprintf("CServerHistoryLed::RestoreState: refused: the store is short\n");
    return 0;
  }
  std::vector<uint32_t> restored(m_NumHistory);
  for (uint32_t i = 0; i < m_NumHistory; ++i) {
    restored[i] = xStateGetLong(data + size_t(i) * 4);
    if (restored[i] >= m_NumSymbols) {
      xprintf("CServerHistoryLed::RestoreState: refused: a symbol out of range\n");
      return 0;
    }
  }
  m_History.swap(restored);
  used = need;
  return 1;
}

// ---- the client half ----

CClientHistoryLed::~CClientHistoryLed() { CClientHistoryLed::Destroy(); }

CControlBase* CClientHistoryLed::GetControl() const {
  return m_pDialog ? m_pDialog->GetCtrl(static_cast<int32_t>(m_StaticId)) : nullptr;
}

int32_t CClientHistoryLed::Create(CDialog* dialog, CResData* res, CBitmap* background) {
  if (m_Created) return 1;
  if (!dialog || !res) return 0;
  m_pDialog = dialog;
  if (!GetData(res) || !CHistoryLed::Create(m_NumHistory, m_NumSymbols)) {
    Destroy();
    return 0;
  }
  m_pSymbols = res->GetBm(m_SymbolsBitmapName.c_str(), nullptr, nullptr);
  if (!m_pSymbols) {
    xprintf("Couldn't get symbols bitmap: %s\n", m_SymbolsBitmapName.c_str());
    Destroy();
    return 0;
  }
  if (!PrepareControl(background)) {
    Destroy();
    return 0;
  }
  m_Created = 1;
  return 1;
}

int32_t CClientHistoryLed::GetCount(CResData* res, const char* key, uint32_t& value) {
  if (!res->FindItem(key)) {
    xprintf("CClientHistoryLed::GetData: Could not find %s item.\n", key);
    return 0;
  }
  if (!res->GetItem(nullptr, KULONG, &value, KEND)) {
    xprintf("CClientHistoryLed::GetData: Could not get %s item.\n", key);
    return 0;
  }
  return 1;
}

int32_t CClientHistoryLed::GetPairs(CResData* res, const char* key, int32_t* values, int32_t count) {
  if (!res->FindItem(key)) {
    xprintf("CClientHistoryLed::GetData: Could not find %s item.\n", key);
    return 0;
  }
  if (!res->GetItem(nullptr, KLONGARRAY, count, values, KEND)) {
    xprintf("CClientHistoryLed::GetData: Could not get %s item.\n", key);
    return 0;
  }
  return 1;
}

int32_t CClientHistoryLed::GetSubChunk(CResData* res, const char* key, uint32_t count, int32_t per,
                                       std::vector<int32_t>& out) {
  if (!res->FindSubChunk(key)) {
    xprintf("CClientHistoryLed::GetData: Could not find subchunk %s.\n", key);
    return 0;
  }
  if (!res->EnterChunk()) {
    xprintf("CClientHistoryLed::GetData: Could not enter subchunk %s.\n", key);
    return 0;
  }
  // Grown item by item, so that a count the sub-chunk does not back costs nothing.
  out.clear();
  uint32_t read = 0;
  for (int32_t more = res->FirstItem(); more && read < count; more = res->NextItem(0)) {
    if (res->IsComment() || !res->GetKeyword()) continue;
    out.resize(out.size() + size_t(per));
    if (!res->GetItem(nullptr, KLONGARRAY, per, out.data() + out.size() - size_t(per), KEND)) break;
    ++read;
  }
  res->ExitChunk();
  if (read < count) {
    xprintf("CClientHistoryLed::GetData: Could not get %s item.\n", key);
    return 0;
  }
  return 1;
}

int32_t CClientHistoryLed::GetData(CResData* res) {
  if (!res->EnterDataChunk()) {
    xprintf("CClientHistoryLed::GetData: Could not enter datachunk.\n");
    return 0;
  }
  const int32_t restart = res->RestartMode(1);
  int32_t ok = 0;
  if (!res->FindSubChunk(HISTORYLED_CHUNK)) {
    xprintf("CClientHistoryLed::GetData: Could not find subchunk %s.\n", HISTORYLED_CHUNK);
  } else if (!res->EnterChunk()) {
    xprintf("CClientHistoryLed::GetData: Could not enter subchunk %s.\n", HISTORYLED_CHUNK);
  } else {
    char name[RES_FILENAME_SIZE] = {};
    uint32_t numHistory = 0, numSymbols = 0;
    uint32_t layout = 0;
    ok = GetCount(res, "Layout", layout);
    m_Layout = layout == LAYOUT_HORIZONTAL ? LAYOUT_HORIZONTAL : LAYOUT_VERTICAL;
    if (ok && !res->FindItem("SymbolsBitmap")) {
      xprintf("CClientHistoryLed::GetData: Could not find %s item.\n", "SymbolsBitmap");
      ok = 0;
    } else if (ok && !res->GetItem(nullptr, KSTRING, int32_t(sizeof name - 1), name, KEND)) {
      xprintf("CClientHistoryLed::GetData: Could not get %s item.\n", "SymbolsBitmap");
      ok = 0;
    }
    ok = ok && GetCount(res, "StaticId", m_StaticId) && GetCount(res, "NumHistory", numHistory) &&
         GetCount(res, "NumSymbolPositions", m_NumSymbolPositions) && GetCount(res, "NumSymbols", numSymbols) &&
         GetCount(res, "NumPlayerPositions", m_NumPlayerPositions);
    if (ok && (!CountFits(numHistory) || !CountFits(numSymbols) || !CountFits(m_NumSymbolPositions) ||
               m_NumPlayerPositions > HISTORYLED_MAX_COUNT)) {
      xprintf("CClientHistoryLed::GetData: Could not get %s item.\n", "NumHistory, NumSymbols or a positions");
      ok = 0;
    }
    ok = ok && GetPairs(res, "SymbolSpaces", m_SymbolSpaces, 2) &&
         GetSubChunk(res, "SymbolPositions", numSymbols, int32_t(2 * m_NumSymbolPositions), m_SymbolPositions) &&
         GetSubChunk(res, "SymbolSizes", numSymbols, 2, m_SymbolSizes) &&
         GetSubChunk(res, "PlayerPositions", m_NumPlayerPositions, 2, m_PlayerPositions);
    if (ok) {
      m_SymbolsBitmapName = name;
      m_NumHistory = numHistory;
      m_NumSymbols = numSymbols;
    }
    res->ExitChunk();
  }
  res->RestartMode(restart);
  res->ExitDataChunk();
  return ok;
}

int32_t CClientHistoryLed::PrepareControl(CBitmap* background) {
  CControlBase* control = GetControl();
  if (!control) {
    xprintf("CClientHistoryLed::Create: Could not find static %lu.\n", static_cast<unsigned long>(m_StaticId));
    return 0;
  }
  int32_t width = 0, height = 0;
  control->GetSize(width, height);
  if (width <= 0 || height <= 0) {
    xprintf("CClientHistoryLed::Create: The static %lu has no area.\n", static_cast<unsigned long>(m_StaticId));
    return 0;
  }
  m_pDrawing = NewScreenPicture(width, height);
  m_pClean = NewScreenPicture(width, height);
  if (!m_pDrawing || !m_pClean) return 0;
  TakeBackground(background);
  control->SetState(XGUI_DISABLED);
  control->SetFlag(CNTRL_HASBITMAP);
  control->SetBitmap(m_pDrawing, m_pDrawing, m_pDrawing, m_pDrawing);
  control->Validate();
  return 1;
}

void CClientHistoryLed::TakeBackground(CBitmap* background) {
  CControlBase* control = GetControl();
  if (!control || !m_pClean || !m_pDrawing) return;
  int32_t x = 0, y = 0;
  control->GetPos(x, y);
  if (background) m_pClean->Blt(background, x, y, 0, 0, m_pClean->m_Width, m_pClean->m_Height, 0, 0, 0);
  m_pDrawing->Blt(m_pClean, 0, 0, 0, 0, -1, -1, 0, 0, 0);
}

int32_t CClientHistoryLed::SetShowPosition(uint32_t position, CBitmap* background) {
  if (!m_Created || position >= m_NumPlayerPositions) return 0;
  CControlBase* control = GetControl();
  if (!control) return 0;
  int32_t dx = 0, dy = 0;
  m_pDialog->ClientOffset(dx, dy);
  xGuiAddClearAreaGui(control->ScreenRect());
  control->SetPos(m_PlayerPositions[2 * position] + dx, m_PlayerPositions[2 * position + 1] + dy);
  TakeBackground(background);
  control->Validate();
  return 1;
}

int32_t CClientHistoryLed::ProcessIncomingData(CCommNode* node) {
  if (!node) return 0;
  CKCBL& record = node->m_RecvKCBL;
  const int32_t restart = record.RestartMode(1);
  const int32_t found = record.FindItem(HISTORYLED_ITEM);
  record.RestartMode(restart);
  if (!found) return 1;
  int32_t count = 0;
  std::vector<uint32_t> received;
  bool ok = record.GetNumArrayItems(0, &count) != 0 && count >= 0;
  if (ok) {
    received.resize(std::min<size_t>(size_t(count), m_NumHistory));
    ok = record.GetULongArray(0, received.data(), int32_t(received.size())) != 0;
  }
  if (!ok) {
    xprintf("CClientHistoryLed::ProcessIncomingData: Failed to get 'WINHISTORYARRAY' item.\n");
    return 0;
  }
  std::copy(received.begin(), received.end(), m_History.begin());
  return 1;
}

void CClientHistoryLed::ShowHistory() {
  if (!m_Created) return;
  m_pDrawing->Blt(m_pClean, 0, 0, 0, 0, -1, -1, 0, 0, 0);
  const int32_t spaceX = m_SymbolSpaces[0], spaceY = m_SymbolSpaces[1];
  for (uint32_t i = 0; i < m_NumHistory; ++i) {
    const uint32_t s = m_History[i];
    if (s >= m_NumSymbols) continue;
    const int32_t height = m_SymbolSizes[2 * s], width = m_SymbolSizes[2 * s + 1];
    const int32_t* sources = m_SymbolPositions.data() + size_t(s) * 2 * m_NumSymbolPositions;
    for (uint32_t j = 0; j < m_NumSymbolPositions; ++j) {
      const int32_t sx = sources[2 * j], sy = sources[2 * j + 1];
      if (sx == -1 || !AreaInside(m_pSymbols, sx, sy, width, height)) continue;
      const int64_t across = int64_t(spaceX) + width, down = int64_t(spaceY) + height;
      const int64_t x = m_Layout == LAYOUT_HORIZONTAL ? across * i : across * j;
      const int64_t y = m_Layout == LAYOUT_HORIZONTAL ? down * j : down * i;
      if (x >= m_pDrawing->m_Width || y >= m_pDrawing->m_Height || x + width <= 0 || y + height <= 0) continue;
      m_pDrawing->Blt(m_pSymbols, sx, sy, int32_t(x), int32_t(y), width, height, 0, 0, 0);
    }
  }
  if (CControlBase* control = GetControl()) control->Validate();
}

void CClientHistoryLed::FreeBitmaps() {
  if (m_pDrawing || m_pClean) {
    if (CControlBase* control = GetControl()) {
      control->SetBitmap(nullptr, nullptr, nullptr, nullptr);
      control->Validate();
    }
  }
  delete m_pDrawing;
  delete m_pClean;
  m_pDrawing = m_pClean = nullptr;
  m_pSymbols = nullptr;
}

int32_t CClientHistoryLed::Destroy() {
  FreeBitmaps();
  m_SymbolPositions.clear();
  m_SymbolSizes.clear();
  m_PlayerPositions.clear();
  m_NumSymbolPositions = m_NumPlayerPositions = 0;
  m_SymbolSpaces[0] = m_SymbolSpaces[1] = 0;
  m_StaticId = 0;
  m_Layout = LAYOUT_VERTICAL;
  m_SymbolsBitmapName.clear();
  m_pDialog = nullptr;
  m_Created = 0;
  return CHistoryLed::Destroy();
}
