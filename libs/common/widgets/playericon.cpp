#include "common/widgets/playericon.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/graphics/bitmap.h"

namespace {
// Whether think bubbles show at all: one switch for every seat of the process.
int32_t g_BubblesVisible = 1;

// Every pixel whose column plus row is odd takes the first pixel's bytes.
void Chequer(CBitmap& picture) {
  const int32_t bytes = picture.m_BytesPerPixel;
  if (!picture.m_pData || bytes <= 0) return;
  uint8_t first[4];
  std::memcpy(first, picture.m_pData, size_t(bytes));
  for (int32_t y = 0; y < picture.m_Height; ++y) {
    uint8_t* row = picture.m_pData + size_t(y) * size_t(picture.m_Pitch);
    for (int32_t x = 1 - (y & 1); x < picture.m_Width; x += 2) std::memcpy(row + size_t(x) * bytes, first, size_t(bytes));
  }
}
}  // namespace

CPlayerIcon::CPlayerIcon() { g_BubblesVisible = 1; }

CPlayerIcon::~CPlayerIcon() { FreePicture(); }

void CPlayerIcon::SetGlobalBubbleVisible(int32_t visible) { g_BubblesVisible = visible ? 1 : 0; }
int32_t CPlayerIcon::GetGlobalBubbleVisible() { return g_BubblesVisible; }

int32_t CPlayerIcon::Init(CControlBase* bubble, CControlBase* picture, CControlBase* third, CControlBase* name,
                          CControlBase* fifth, CControlBase* joinButton, int32_t joinAllowed) {
  m_pBubble = bubble;
  m_pPicture = picture;
  m_pThird = third;
  m_pName = name;
  m_pFifth = fifth;
  m_pJoinButton = joinButton;
  m_JoinAllowed = joinAllowed;
  return 1;
}

int32_t CPlayerIcon::InitIconBitmap(CBitmap* strip, int32_t cellWidth, int32_t cellHeight, int32_t row0Count,
                                    int32_t row1Count, int32_t extra1, int32_t extra2) {
  if (!strip || cellWidth < 1 || cellHeight < 1) return 0;
  m_pStrip = strip;
  m_CellWidth = cellWidth;
  m_CellHeight = cellHeight;
  m_Row0Count = row0Count;
  m_Row1Count = row1Count;
  m_Extra1 = extra1;
  m_Extra2 = extra2;
  return 1;
}

int32_t CPlayerIcon::SetIcon(int32_t kind, int32_t number, int32_t highlight) {
  if (!m_pPicture || !m_pStrip) return 0;
  m_Chequered = (kind & ICON_CHEQUERED) ? 1 : 0;
  m_Row = kind & ~ICON_CHEQUERED;
  m_Highlight = highlight;
  const int32_t count = m_Chequered && m_Row != 1 ? m_Row1Count : m_Row0Count;
  if (number >= count) {
    m_Row = 2;
    number -= count;
  }
  m_Number = number;
  if (FifthHidden()) Show(m_pFifth, false);

  const int64_t x = (int64_t(m_CellWidth) + 1) * number + 1, y = (int64_t(m_CellHeight) + 1) * m_Row + 1;
  int32_t width = 0, height = 0;
  m_pPicture->GetSize(width, height);
  if (number < 0 || m_Row < 0 || x + m_CellWidth > m_pStrip->m_Width || y + m_CellHeight > m_pStrip->m_Height) {
    FreePicture();
    return 0;
  }
  auto* icon = new (std::nothrow) CBitmap;
  if (!icon || !icon->CreateRGB(width, height, 24, 8, 8, 8, 16, 8, 0, 0)) {
    delete icon;
    FreePicture();
    return 0;
  }
  icon->Blt(m_pStrip, int32_t(x), int32_t(y), 0, 0, m_CellWidth, m_CellHeight, 0, 0, 0);
  if (m_Chequered) Chequer(*icon);
  xGuiMakeScreenFormat(icon, 1);
  m_pPicture->SetFlag(CNTRL_HASBITMAP);
  m_pPicture->SetBitmap(icon, icon, icon, icon);
  m_pPicture->Validate();
  delete m_pIcon;
  m_pIcon = icon;
  return 1;
}

void CPlayerIcon::FreePicture() {
  if (!m_pIcon) return;
  if (m_pPicture) {
    m_pPicture->SetBitmap(nullptr, nullptr, nullptr, nullptr);
    m_pPicture->Validate();
  }
  delete m_pIcon;
  m_pIcon = nullptr;
}

int32_t CPlayerIcon::SetName(const char* name) {
  if (!m_pName || !m_pName->IsBufferOwned()) return 0;
  const int32_t size = m_pName->GetTextBufferSize();
  char* buffer = m_pName->GetUnHashedBuffer(0);
  if (!buffer || size <= 0) return 0;
  std::snprintf(buffer, size_t(size), "%s", name ? name : "");
  m_pName->Validate();
  return 1;
}

void CPlayerIcon::SetBubble(int32_t value) {
  m_Bubble = value;
  if (g_BubblesVisible) Show(m_pBubble, value > 0);
}

void CPlayerIcon::UpdateBubbleFromGlobal() { Show(m_pBubble, g_BubblesVisible && m_Bubble > 0); }

int32_t CPlayerIcon::SetPlayMode(int32_t mode) {
  if (!m_pPicture || !m_pThird || !m_pName || !m_pFifth) return 0;
  if (mode < 0) return 1;
  const bool on = mode > 0;
  Show(m_pFifth, on && !FifthHidden());
  Show(m_pPicture, on);
  Show(m_pThird, on);
  Show(m_pName, on);
  return 1;
}

void CPlayerIcon::SetJoinButton(CControlBase* button) {
  if (button) m_pJoinButton = button;
}

void CPlayerIcon::ShowJoinButton(int32_t show) {
  if (!m_pJoinButton) return;
  if (!show) {
    HideJoinButton();
    return;
  }
  if (m_pJoinButton->GetState() == XGUI_DISABLED) m_pJoinButton->SetState(XGUI_RELEASED);
}

void CPlayerIcon::HideJoinButton() {
  if (!m_pJoinButton) return;
  SetStateOnce(m_pJoinButton, XGUI_DISABLED);
  xGuiAddClearAreaGui(m_pJoinButton->ScreenRect());
}

void CPlayerIcon::Show(CControlBase* control, bool show) { SetStateOnce(control, show ? XGUI_RELEASED : XGUI_HIDDEN); }

void CPlayerIcon::SetStateOnce(CControlBase* control, int32_t state) {
  // A hidden control gives its area back to what lies below when its state changes.
  if (control && control->GetState() != state) control->SetState(state);
}
