// The autoplay panel (rounds, its buttons, the running dots, its place against the chat box) and
// the coin-denomination selector.
#include <algorithm>
#include <memory>

#include "common/widgets/panel.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/blit.h"
#include "ostrel/resources/resflags.h"

void CPanel::DrawDigit(int32_t controlId, int32_t digit) {
  CControlBase* cell = m_pAutoplay ? m_pAutoplay->GetCtrl(controlId) : nullptr;
  if (!cell || !m_pDigitStrip || m_DigitCellWidth <= 0 || m_DigitCellHeight <= 0) return;
  CBitmap* canvas = m_DigitCanvas[controlId == PANEL_CTRL_AUTO_UNITS ? 0 : 1].get();
  if (!canvas) return;
  canvas->Blt(m_pDigitStrip, m_DigitCellWidth * digit, 0, 0, 0, m_DigitCellWidth, m_DigitCellHeight, BLT_MODE_COPY,
              0, 0);
  canvas->m_Changed = 1;
  cell->SetFlag(CNTRL_HASBITMAP);
  cell->SetBitmap(canvas, canvas, canvas, canvas);
  xGuiAddClearAreaGui(cell->ScreenRect());
  cell->Validate();
}

void CPanel::SetAutoplayNumRounds(int32_t n) {
  if (!m_pAutoplay || n == m_AutoplayRounds) return;
  n = std::min(n, m_MaxRounds);
  n = std::min(n, PANEL_MAX_AUTOPLAY_ROUNDS);
  if (GetState(m_pAutoplay, PANEL_CTRL_AUTO_MINUS1) != XGUI_DISABLED) n = std::max(n, m_MinRounds);
  n = std::max(n, 0);
  m_AutoplayRounds = n;
  DrawDigit(PANEL_CTRL_AUTO_UNITS, n % 10);
  DrawDigit(PANEL_CTRL_AUTO_TENS, n / 10);
}

void CPanel::SetAutoplayDots(int32_t n) {
  CControlBase* dots = m_pAutoplay ? m_pAutoplay->GetCtrl(PANEL_CTRL_AUTO_DOTS) : nullptr;
  if (!dots || !m_pDotsDef || !m_pDotsFull || n < 0 || n >= PANEL_DOT_FRAMES) return;
  if (n == 0) {
    dots->SetBitmap(m_pDotsDef, m_pDotsDef, m_pDotsDef, m_pDotsDef);
  } else {
    // The full picture from n fifths of the plain one's width on, at the plain one's height.
    const int32_t from = n * (m_pDotsDef->m_Width / 5);
    const int32_t width = std::max(0, std::min(m_pDotsDef->m_Width, m_pDotsFull->m_Width - from));
    const int32_t height = std::min(m_pDotsDef->m_Height, m_pDotsFull->m_Height);
    if (!m_pDotsFrame || m_pDotsFrame->m_Width != m_pDotsDef->m_Width ||
        m_pDotsFrame->m_Height != m_pDotsDef->m_Height) {
      m_pDotsFrame = std::make_unique<CBitmap>();
      if (!m_pDotsFrame->CreateRGB(m_pDotsDef->m_Width, m_pDotsDef->m_Height, 24, 8, 8, 8, 16, 8, 0, 0)) {
        m_pDotsFrame.reset();
        return;
      }
    }
    m_pDotsFrame->Blt(m_pDotsDef, 0, 0, 0, 0, m_pDotsDef->m_Width, m_pDotsDef->m_Height, BLT_MODE_COPY, 0, 0);
    if (width > 0 && height > 0) m_pDotsFrame->Blt(m_pDotsFull, from, 0, 0, 0, width, height, BLT_MODE_COPY, 0, 0);
    m_pDotsFrame->m_Changed = 1;
    dots->SetBitmap(m_pDotsFrame.get(), m_pDotsFrame.get(), m_pDotsFrame.get(), m_pDotsFrame.get());
  }
  dots->SetFlag(CNTRL_HASBITMAP);
  m_DotFrame = n;
  xGuiAddClearAreaGui(dots->ScreenRect());
  dots->Validate();
}

void CPanel::SetAutoplayButtonsState(int32_t state) {
  if (!m_pAutoplay) return;
  static const int32_t kRoundButtons[] = {PANEL_CTRL_AUTO_START,  PANEL_CTRL_AUTO_MINUS1, PANEL_CTRL_AUTO_PLUS1,
                                          PANEL_CTRL_AUTO_PLUS5,  PANEL_CTRL_AUTO_PLUS10, PANEL_CTRL_AUTO_RESET};
  static const int32_t kRunning[] = {PANEL_CTRL_AUTO_RUNNING2, PANEL_CTRL_AUTO_DOTS, PANEL_CTRL_AUTO_RUNNING};
  if (m_PlayerSeated) {
    for (int32_t id : kRoundButtons) SetState(m_pAutoplay, id, state);
    for (int32_t id : kRunning) SetState(m_pAutoplay, id, state == XGUI_DISABLED ? XGUI_RELEASED : XGUI_HIDDEN);
    SetState(m_pAutoplay, PANEL_CTRL_AUTO_STOP, state == XGUI_DISABLED ? XGUI_RELEASED : XGUI_DISABLED);
    return;
  }
  for (int32_t id = PANEL_CTRL_AUTO_START; id <= PANEL_CTRL_AUTO_RESET; ++id) SetState(m_pAutoplay, id, XGUI_DISABLED);
  for (int32_t id : kRunning) SetState(m_pAutoplay, id, XGUI_HIDDEN);
}

void CPanel::SetAutoplaySpinButtonState(int32_t state) { SetState(m_pAutoplay, PANEL_CTRL_AUTO_START, state); }

void CPanel::SetPlayerIsSeated(bool seated) {
  m_PlayerSeated = seated ? 1 : 0;
  SetAutoplayButtonsState(seated ? XGUI_RELEASED : XGUI_DISABLED);
}

void CPanel::switchAutoplayPanel(int32_t chatUp) {
  int32_t autoX = 0, autoY = 0, chatX = 0, chatY = 0;
  if (m_pAutoplay) m_pAutoplay->GetPos(autoX, autoY);
  if (m_pChat) m_pChat->GetPos(chatX, chatY);
  if (chatUp == 1) {
    MoveWindow(m_pAutoplay, autoX, m_AutoplayDownY, m_AutoplayFrames);
    MoveWindow(m_pChat, chatX, m_PlayerSeated ? m_AutoplayUpY : m_ChatYDisabled, m_AutoplayFrames);
    SetState(m_pAutoplay, PANEL_CTRL_SHOW_CHAT, XGUI_DISABLED);
    SetState(m_pChat, PANEL_CTRL_SHOW_AUTOPLAY, XGUI_RELEASED);
  } else {
    MoveWindow(m_pAutoplay, autoX, m_AutoplayUpY, m_AutoplayFrames);
    MoveWindow(m_pChat, chatX, m_AutoplayDownY, m_AutoplayFrames);
    SetState(m_pChat, PANEL_CTRL_SHOW_AUTOPLAY, XGUI_DISABLED);
    SetState(m_pAutoplay, PANEL_CTRL_SHOW_CHAT, XGUI_RELEASED);
  }
}

void CPanel::HideChatAndAutoplay() {
  int32_t x = 0, y = 0;
  if (m_pAutoplay && m_pAutoplay->GetPos(x, y)) MoveWindow(m_pAutoplay, x, m_AutoplayDownY, m_AutoplayFrames);
  if (m_pChat && m_pChat->GetPos(x, y)) MoveWindow(m_pChat, x, m_AutoplayDownY, m_AutoplayFrames);
  SetState(m_pAutoplay, PANEL_CTRL_SHOW_CHAT, XGUI_DISABLED);
  SetState(m_pChat, PANEL_CTRL_SHOW_AUTOPLAY, XGUI_DISABLED);
}

void CPanel::ShowDefaultPanel() { switchAutoplayPanel(m_AutoplayPanelDefault == 0 ? 1 : 0); }

// ---- coin denominations ----

void CPanel::IncDenomination() {
  if (m_Denomination < m_NumCoinValues - 1) ++m_Denomination;
  UpdateDenomination();
}

void CPanel::DecDenomination() {
  if (m_Denomination > 0) --m_Denomination;
  UpdateDenomination();
}

void CPanel::SetDenomination(int32_t i) {
  if (i < 0 || i >= m_NumCoinValues) return;
  m_Denomination = i;
  UpdateDenomination();
}

void CPanel::UpdateDenomination() {
  if (!m_pDenomination || !m_DenominationShown || !m_pDenomBm) return;
  SetState(m_pDenomination, PANEL_CTRL_DENOM_HIGHER,
           m_Denomination >= m_NumCoinValues - 1 ? XGUI_DISABLED : XGUI_RELEASED);
  SetState(m_pDenomination, PANEL_CTRL_DENOM_LOWER, m_Denomination <= 0 ? XGUI_DISABLED : XGUI_RELEASED);
  if (CControlBase* picture = m_pDenomination->GetCtrl(PANEL_CTRL_DENOM_PICTURE)) {
    CBitmap* bm = m_pDenomBm[m_Denomination];
    picture->SetFlag(CNTRL_HASBITMAP);
    picture->SetBitmap(bm, bm, bm, bm);
    xGuiAddClearAreaGui(picture->ScreenRect());
    picture->Validate();
  }
}

void CPanel::ShowDenomination() {
  if (!m_pDenomination) return;
  m_DenominationShown = 1;
  UpdateDenomination();
}

void CPanel::HideDenomination() {
  if (!m_pDenomination) return;
  m_DenominationShown = 0;
  SetState(m_pDenomination, PANEL_CTRL_DENOM_HIGHER, XGUI_DISABLED);
  SetState(m_pDenomination, PANEL_CTRL_DENOM_LOWER, XGUI_DISABLED);
}
