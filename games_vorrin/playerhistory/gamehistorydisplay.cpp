#include "gamehistorydisplay.h"

#include <algorithm>
#include <new>

#include "common/updater/gamestxtmodule.h"
#include "historyrow.h"
#include "historyscript.h"
#include "ostrel/base/xstring.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

CGameHistoryDisplay::CGameHistoryDisplay(CResData* res, GamestxtCFVModule* game) : m_pRes(res) {
  if (game) {
    m_GameId = game->GetGameid();
    if (const char* path = game->GetHistoryPath()) xStrncpy(m_HistoryPath, path, HISTORY_PATH_SIZE - 1);
  }
  if (const char* currency = res ? res->GetResString(HISTORY_CURRENCY_STRING) : nullptr)
    m_Translate.SetCurrency(currency);
}

CGameHistoryDisplay::~CGameHistoryDisplay() {
  RemoveControls(-1);
  // Children of container controls stay with the factory dialog; they go before the script
  // whose pictures they show.
  CDialog::Destroy();
  m_pLocalRes.reset();
}

int32_t CGameHistoryDisplay::GetGameId() { return m_GameId; }
const char* CGameHistoryDisplay::GetHistoryResPath() { return m_HistoryPath; }
void CGameHistoryDisplay::HandleControl(int32_t, int32_t, int32_t, int32_t) {}

int32_t CGameHistoryDisplay::LoadResDataLocal() {
  if (m_pLocalRes) return 1;
  std::unique_ptr<CResData> res(new (std::nothrow) CResData);
  if (!res) {
    xprintf("CGameHistoryDisplay::LoadResDataLocal: Out of memory.");
    return 0;
  }
  const char* path = GetHistoryResPath();
  if (!path || !*path || !res->Load(path)) {
    xprintf("CGameHistoryDisplay::LoadResDataLocal: Could not load res file.");
    return 0;
  }
  m_pLocalRes = std::move(res);
  CHistoryDataChunk data(m_pLocalRes.get());
  int32_t rows = 0;
  if (data.FindLong("NUMBEROFROWSTODRAW", rows)) m_RowsToDraw = std::clamp(rows, 0, HISTORY_MAX_ROWS_TO_DRAW);
  return 1;
}

bool CGameHistoryDisplay::ReadColumnData() {
  CHistoryDataChunk data(m_pLocalRes.get());
  CResData& r = *m_pLocalRes;
  int32_t count = 0, height = 0;
  if (!data.Find("COLUMNDATA") || !r.GetLong(0, &count) || !r.GetLong(1, &height)) return false;
  if (count < 1 || count > HISTORY_MAX_COLUMNS || height < 1 || height > HISTORY_MAX_ROW_HEIGHT) {
    xprintf("CGameHistoryDisplay::ReadGameColumnData: COLUMNDATA of %d columns of height %d refused.", count, height);
    return false;
  }
  std::vector<int32_t> widths(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (!r.GetLong(2 + i, &widths[static_cast<size_t>(i)]) || widths[static_cast<size_t>(i)] < 0 ||
        widths[static_cast<size_t>(i)] > HISTORY_MAX_COLUMN_WIDTH) {
      xprintf("CGameHistoryDisplay::ReadGameColumnData: COLUMNDATA width %d missing or out of bounds.", i);
      return false;
    }
  }
  m_ColumnWidths = std::move(widths);
  m_RowHeight = height;
  return true;
}

void CGameHistoryDisplay::AddHeaderCells() {
  CHistoryDataChunk data(m_pLocalRes.get());
  CResData& r = *m_pLocalRes;
  const int32_t columns = GetColumnCount();
  if (data.Find("COLUMNBMP")) {
    for (int32_t i = 0; i < columns; ++i) AddCell(nullptr, r.GetBitmap(i, nullptr, nullptr));
  } else if (data.Find("COLUMNSTR")) {
    for (int32_t i = 0; i < columns; ++i) AddCell(i < r.GetNumStrings() ? r.GetString(i) : nullptr, nullptr);
  }
}

CHistoryRow* CGameHistoryDisplay::ReadGameColumnData() {
  if (!LoadResDataLocal() || !ReadColumnData()) return nullptr;
  m_pCurrentRow = std::make_unique<CHistoryRow>(m_RowHeight);
  m_ColumnIndex = 0;
  AddHeaderCells();

  TRGBA colour;
  m_HasRowBackground = m_pRes && m_pRes->GetCol("rowBgColor", &colour, 0);
  if (m_HasRowBackground) m_RowBackground = colour;
  CHistoryRow* header = m_pCurrentRow.release();
  m_ColumnIndex = 0;
  if (m_pRes && m_pRes->GetCol("topColumnColor", &colour, 0)) header->SetBackground(colour);
  header->SetHeader();
  return header;
}

int32_t CGameHistoryDisplay::AddCell(const char* text, CBitmap* bitmap) {
  if (m_ColumnWidths.empty() || m_ColumnIndex >= m_ColumnWidths.size()) return 0;
  if (!m_pCurrentRow) m_pCurrentRow = std::make_unique<CHistoryRow>(m_RowHeight);
  m_pCurrentRow->AddCell(text, text ? nullptr : bitmap, m_ColumnWidths[m_ColumnIndex++]);
  return 1;
}

CHistoryRow* CGameHistoryDisplay::EndRow() {
  CHistoryRow* row = m_pCurrentRow.release();
  m_ColumnIndex = 0;
  if (row && m_HasRowBackground) row->SetBackground(m_RowBackground);
  return row;
}

int32_t CGameHistoryDisplay::IsRowComplete() {
  return m_pCurrentRow && !m_ColumnWidths.empty() && m_pCurrentRow->NumCells() == GetColumnCount() ? 1 : 0;
}

int32_t CGameHistoryDisplay::LoadControls(CDialog* host, const char* section) {
  if (!LoadResDataLocal()) {
    xprintf("CGameHistoryDisplay::LoadControls: Unable to load local res data.");
    return 0;
  }
  CResData& r = *m_pLocalRes;
  r.MainChunk();
  r.FirstItem();
  if (!host || !r.FindItem("{", section ? section : HISTORY_CONTROLS_SECTION) || !r.EnterChunk()) return 0;
  m_pHost = host;
  for (int32_t more = r.FirstItem(); more; more = r.NextItem(0)) {
    if (r.IsComment()) continue;
    // The builder adds what it makes to this dialog (and deletes what it refuses); the control
    // moves to the window, the children of a container stay here with their records.
    TGuiCtrl* record = CreateGuiCtrl(&r);
    if (!record) continue;
    RemoveGuiCntrl(record);
    AddOwnControl(record);
  }
  r.ExitChunk();
  return 1;
}

int32_t CGameHistoryDisplay::AddOwnControl(TGuiCtrl* record) {
  if (!m_pHost || !record) return 0;
  m_pHost->AddGuiCtrl(record, HISTORY_ADD_CONTROL);
  m_Controls.push_back(record);
  return 1;
}

CControlBase* CGameHistoryDisplay::FindControl(int32_t id) {
  for (TGuiCtrl* record : m_Controls)
    if (record->m_Id == id) return record->m_pCntrl;
  return nullptr;
}

void CGameHistoryDisplay::SetControlState(int32_t id, int32_t state) {
  for (TGuiCtrl* record : m_Controls)
    if (id == -1 || record->m_Id == id) {
      record->m_pCntrl->SetState(state);
      if (id != -1) return;
    }
}

void CGameHistoryDisplay::RemoveControls(int32_t id) {
  for (auto it = m_Controls.begin(); it != m_Controls.end();) {
    TGuiCtrl* record = *it;
    if (id != -1 && record->m_Id != id) {
      ++it;
      continue;
    }
    if (m_pHost) m_pHost->RemoveGuiCntrl(record);
    delete record->m_pCntrl;
    delete record;
    it = m_Controls.erase(it);
    if (id != -1) return;
  }
  if (id == -1 && m_pHost) m_pHost->Validate();
}

int32_t CGameHistoryDisplay::SetControlBitmap(CControlBase* control, int32_t w, int32_t h) {
  if (!control) return 0;
  CBitmap* bitmap = m_Bitmaps.Create(w, h);
  if (!bitmap) return 0;
  control->SetBitmap(bitmap, bitmap, bitmap, bitmap);
  control->SetSize(w, h);
  control->SetFlag(HISTORY_BITMAP_CONTROL_FLAGS);
  return 1;
}

void CGameHistoryDisplay::ClearBitmap(CBitmap* bitmap) {
  if (bitmap) bitmap->Fill(&HISTORY_KEY_COLOUR);
}

void CGameHistoryDisplay::ClearPixel(CBitmap* bitmap) {
  if (bitmap) bitmap->PutPixel(0, 0, &HISTORY_KEY_COLOUR);
}
