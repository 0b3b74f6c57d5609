#include "ostrel/controls/timeout.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <new>

#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/screens/drawpie.h"
#include "ostrel/system/debug.h"

namespace {
constexpr int64_t kMaxWorkPixels = int64_t{1} << 24;
// The platform's pi went through single precision.
const double kPi = static_cast<double>(static_cast<float>(3.14159265358979323846));
}  // namespace

CTimeout::~CTimeout() { CTimeout::Destroy(); }

int32_t CTimeout::Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t centreX,
                         int32_t centreY, int32_t radius, uint32_t flags) {
  CTimeout::Destroy();
  CControlBase::Create(id);
  m_Flags = flags;
  SetPos(x, y);
  SetSize(width, height);
  SetHotkey(0);
  m_Look.m_Bevel = 1;
  m_CentreX = centreX;
  m_CentreY = centreY;
  m_Radius = radius;
  m_Value = 0;
  m_Minimum = 0;
  m_Maximum = 100;
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultTimeout() : nullptr, false, -1);
  // Rows of whole 32-bit words, as the platform's section had them.
  const int64_t workWidth = (static_cast<int64_t>(width) & ~int64_t{3}) + 4;
  m_pWork = new (std::nothrow) CBitmap;
  if (!m_pWork) return 0;
  // Scripts are read from outside: a picture larger than any screen is refused.
  if (width < 0 || height <= 0 || workWidth * height > kMaxWorkPixels ||
      !m_pWork->CreateRGB(static_cast<int32_t>(workWidth), height, 24, 8, 8, 8, 16, 8, 0, 0)) {
    xprintf("Couldn't create dib section: %ld!", static_cast<long>(errno));
    delete m_pWork;
    m_pWork = nullptr;
    return 0;
  }
  return 1;
}

int32_t CTimeout::Destroy() {
  delete m_pWork;
  m_pWork = nullptr;
  return CControlBase::Destroy();
}

int32_t CTimeout::SetValue(int32_t value) {
  m_Value = std::clamp(value, std::min(m_Minimum, m_Maximum), std::max(m_Minimum, m_Maximum));
  Validate();
  return 1;
}

int32_t CTimeout::SetRange(int32_t minimum, int32_t maximum) {
  m_Minimum = minimum;
  m_Maximum = maximum;
  return 1;
}

int32_t CTimeout::GetRange(int32_t& minimum, int32_t& maximum) const {
  minimum = m_Minimum;
  maximum = m_Maximum;
  return 1;
}

double CTimeout::EndAngle() const {
  if (m_Value >= m_Maximum) return 3 * kPi / 2;
  if (m_Value <= m_Minimum) return -kPi / 2;
  // The share of the range still to run, for any minimum.
  const double left = (static_cast<double>(m_Maximum) - m_Value) / (static_cast<double>(m_Maximum) - m_Minimum);
  return left * 2 * kPi - kPi / 2;
}

int32_t CTimeout::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t, void* d) {
  if (m_State == XGUI_DISABLED) return 0;
  if (msg == GUIMSG_MOUSE) return m_Rect.IsPntInRect(a, b) ? 1 : 0;
  if (msg != GUIMSG_KEY) return 0;
  const auto* k = static_cast<const TQueueChar*>(d);
  if (!k || !m_HotKey || k->m_Code != static_cast<uint16_t>(m_HotKey)) return 0;
  if (k->m_Flags & XKEYF_PRESSED) {
    m_RequestedState = XGUI_RELEASED;
    m_Press = 2;
  } else if (m_Press == 2) {
    m_Press = 0;
  }
  Invalidate();
  return 1;
}

int32_t CTimeout::PaintPie() {
  CBitmap* face = m_Look.m_pBitmaps[LOOK_NORMAL];
  if (!face || !m_pWork) return 0;
  const TRGBA black(0, 0, 0, 0);
  m_pWork->Fill(&black);
  if (!m_pWork->Blt(face, 0, 0, 0, 0, -1, -1, 0, 0, 0)) return 0;
  // Run out: nothing is left to show. The pie's start and end points would coincide there, which
  // fills the whole disc and looks as if all the time were still to run.
  if (m_Minimum < m_Maximum && m_Value >= m_Maximum) return 1;
  // The time still to run, clockwise from straight up, in the face colour of the state's set,
  // its edges smoothed against the dial.
  const double start = -kPi / 2;
  double sweep = EndAngle() - start;
  if (sweep <= 0) sweep = 2 * kPi;  // start and end coincide: the whole disc
  const TCntrlColor* set = StateColors();
  const TRGBA colour = set ? set->m_Col[2] : TRGBA(0, 0, 0, 0);
  // A script's centre and radius may lie anywhere 32 bits reach; the drawing stays in the picture.
  return xFillPieSmooth(m_pWork, m_CentreX, m_CentreY, m_Radius, start, sweep, colour);
}

int32_t CTimeout::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_Minimum == m_Maximum || m_State == XGUI_HIDDEN) return CControlBase::Draw(x, y, mode);
  if (!PaintPie()) return 0;
  DrawBitmap(m_pWork, x + m_X, y + m_Y);
  return CControlBase::Draw(x, y, mode);
}
