// The chip buttons with their light on the lower-left panel, the total bet and the switch between
// the message line and the bet area.
#include <algorithm>

#include "common/widgets/dlgmove.h"
#include "common/widgets/panel.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/blit.h"
#include "ostrel/resources/resflags.h"

int32_t CPanel::SetChipValues(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5) {
  const int32_t values[PANEL_NUM_CHIPS] = {v1, v2, v3, v4, v5};
  std::copy(values, values + PANEL_NUM_CHIPS, m_ChipValues);
  return 1;
}

CPanel::TMoney CPanel::GetChipValue(int32_t k) const {
  return k >= 0 && k < PANEL_NUM_CHIPS ? TMoney(m_ChipValues[k]) : TMoney(0);
}

int32_t CPanel::SetChips(int32_t set) {
  if (set < 0 || set >= m_NumChipSets || !m_pChips) return 0;
  if (set == m_ChipSet) return 1;
  for (int32_t chip = 0; chip < PANEL_NUM_CHIPS; ++chip) {
    CControlBase* button = m_pChips->GetCtrl(PANEL_CTRL_CHIP1 + chip);
    const size_t at = size_t(set) * PANEL_NUM_CHIPS + size_t(chip);
    CBitmap* looks[4] = {};
    for (int32_t look = 0; look < 4; ++look) looks[look] = m_pChipLooks[look] ? m_pChipLooks[look][at] : nullptr;
    if (!button || !looks[0] || !looks[1] || !looks[2] || !looks[3]) return 0;
    button->SetFlag(CNTRL_HASBITMAP);
    button->SetBitmap(looks[0], looks[1], looks[2], looks[3]);
    button->Validate();
  }
  m_ChipSet = set;
  return 1;
}

void CPanel::RedrawSection(CDialog* dialog) {
  if (!dialog) return;
  for (int32_t more = dialog->First(); more; more = dialog->Next())
    if (CControlBase* control = dialog->GetCtrl(-1)) control->Validate();
  if (m_pPanelLeftLowBm) m_pPanelLeftLowBm->m_Changed = 1;
  dialog->Validate();
}

// The light's rectangle painted from the light picture (lit) or from the clean copy.
void CPanel::PaintLight(int32_t chip, bool lit) {
  if (chip < 1 || chip > PANEL_NUM_CHIPS || !m_pPanelLeftLowBm) return;
  const SChipLight& r = m_ChipLights[chip - 1];
  if (r.w <= 0 || r.h <= 0) return;
  if (!lit) {
    if (m_pPanelLeftLowCopyBm)
      m_pPanelLeftLowBm->Blt(m_pPanelLeftLowCopyBm, r.x, r.y, r.x, r.y, r.w, r.h, BLT_MODE_COPY, 0, 0);
    return;
  }
  if (!m_pPanelLeftLowLightBm) return;
  const int32_t w = std::min(r.w, m_pPanelLeftLowLightBm->m_Width);
  const int32_t h = std::min(r.h, m_pPanelLeftLowLightBm->m_Height);
  m_pPanelLeftLowBm->Blt(m_pPanelLeftLowLightBm, 0, 0, r.x, r.y, w, h, BLT_MODE_KEY, 0, 0);
}

void CPanel::PaintAllLightsClean() {
  for (int32_t chip = 1; chip <= PANEL_NUM_CHIPS; ++chip) PaintLight(chip, false);
}

void CPanel::SetCurrentChip(int32_t k) {
  if (k < 1 || k > PANEL_NUM_CHIPS) return;
  PaintLight(m_ChosenChip, false);
  m_ChosenChip = k;
  if (m_pTable) m_pTable->SetCurrentChip(m_ChipValues[k - 1]);
  PaintLight(k, true);
  RedrawSection(m_pChips);
}

void CPanel::DisableChipButtons() {
  for (int32_t chip = 0; chip < PANEL_NUM_CHIPS; ++chip) SetState(m_pChips, PANEL_CTRL_CHIP1 + chip, XGUI_DISABLED);
  m_ChipSet = -1;
  PaintAllLightsClean();
  RedrawSection(m_pChips);
}

void CPanel::CheckChipButtons(int32_t max) {
  if (m_ChipSet == -1 || !m_pTable || !m_pChips) return;
  const TMoney cash = m_pTable->GetCash() / m_Multiplier;
  int32_t highestEnabled = 0;
  for (int32_t k = 1; k <= PANEL_NUM_CHIPS; ++k) {
    const int32_t value = m_ChipValues[k - 1];
    CControlBase* button = m_pChips->GetCtrl(PANEL_CTRL_CHIP1 + k - 1);
    if (!button) continue;
    if (cash >= TMoney(value) && (max == 0 || max >= value)) {
      button->SetState(XGUI_RELEASED);
      highestEnabled = k;
    } else {
      button->SetState(XGUI_DISABLED);
      xGuiAddClearAreaGui(button->ScreenRect());
    }
  }
  const int32_t current = m_pTable->GetCurrentChip();
  if (!(cash < TMoney(current))) {
    for (int32_t k = PANEL_NUM_CHIPS; k >= 1; --k)
      if (m_ChipValues[k - 1] == current) {
        SetCurrentChip(k);
        return;
      }
    return;
  }
  if (highestEnabled) {
    SetCurrentChip(highestEnabled);
    return;
  }
  PaintLight(m_ChosenChip, false);
  RedrawSection(m_pChips);
}

void CPanel::SelectChipFromLimits(int32_t low, int32_t high) {
  for (int32_t k = 1; k <= PANEL_NUM_CHIPS; ++k)
    if (m_ChipValues[k - 1] >= low && m_ChipValues[k - 1] <= high) {
      SetCurrentChip(k);
      return;
    }
  PaintLight(m_ChosenChip, true);
  RedrawSection(m_pChips);
}

void CPanel::ShowTotalBet(const TMoney& amount) {
  CControlBase* text = m_pBetArea ? m_pBetArea->GetCtrl(PANEL_CTRL_TOTALBET) : nullptr;
  char* buffer = text ? text->GetTextBuffer(0) : nullptr;
  const int32_t size = text ? text->GetTextBufferSize() : 0;
  if (!buffer || size < 10) return;
  buffer[0] = '\0';
  m_Translate.CreateCurrStr(buffer, static_cast<size_t>(size), "%5.2f", amount);
  text->FormatText();
  text->Validate();
}

int32_t CPanel::SwitchScrollAndBet(int32_t down) {
  if (down == 1) {
    MoveWindow(m_pMessageLine, m_SwitchDownX, m_SwitchDownY, m_SwitchFrames);
    MoveWindow(m_pBetArea, m_SwitchUpX, m_SwitchUpY, m_SwitchFrames);
  } else {
    MoveWindow(m_pMessageLine, m_SwitchUpX, m_SwitchUpY, m_SwitchFrames);
    MoveWindow(m_pBetArea, m_SwitchDownX, m_SwitchDownY, m_SwitchFrames);
  }
  return 1;
}
