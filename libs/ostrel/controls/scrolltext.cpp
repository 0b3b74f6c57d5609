#include "ostrel/controls/scrolltext.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/controls/guidraw.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"

namespace {
constexpr int64_t kMaxWorkPixels = int64_t{1} << 24;
}  // namespace

CScrollText::~CScrollText() { CScrollText::Destroy(); }

int32_t CScrollText::Create(const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                            int32_t pixelsPerFrame, uint32_t flags) {
  CScrollText::Destroy();
  CStatic::Create(text, x, y, width, height, flags);
  SetPixPerFrame(pixelsPerFrame);
  m_pWork = new (std::nothrow) CBitmap;
  if (!m_pWork) return 0;
  const int64_t workWidth = static_cast<int64_t>(width) + 16;
  // Scripts are read from outside: a picture larger than any screen is refused.
  if (workWidth <= 0 || height <= 0 || workWidth * height > kMaxWorkPixels ||
      !m_pWork->CreateRGB(static_cast<int32_t>(workWidth), height, 24, 8, 8, 8, 16, 8, 0, 0)) {
    delete m_pWork;
    m_pWork = nullptr;
    return 0;
  }
  xGuiMakeScreenFormat(m_pWork, 0);
  CScrollText::SetText(text);
  return 1;
}

int32_t CScrollText::Destroy() {
  RemoveAllTimers();
  m_Running = 0;
  FreePadded();
  delete m_pWork;
  m_pWork = nullptr;
  return CStatic::Destroy();
}

void CScrollText::FreePadded() {
  // The base's text points into the padded copy.
  if (m_pPadded) CControlBase::SetText(nullptr);
  delete[] m_pPadded;
  m_pPadded = nullptr;
  m_TextLength = 0;
  m_PadLength = 0;
}

int32_t CScrollText::CharWidth(uint8_t code) const {
  const CFont* font = m_Look.m_pFont;
  if (!font) return 0;
  const TFontChar& c = font->GetChar(code);
  return c.type == FONT_CHAR ? c.width + font->GetSpacing() : c.amount;
}

int32_t CScrollText::SetText(const char* text) {
  FreePadded();
  m_Position = 0;
  m_PixelOffset = 0;
  m_PauseCount = 0;
  if (!text) return 1;
  // A font without a word-space amount still pads with one space a pixel.
  const int32_t space = std::max(CharWidth(' '), 1);
  const int64_t pad = static_cast<int64_t>(std::max(m_Width, 0)) / space + 1;
  const int64_t length = static_cast<int64_t>(std::strlen(text));
  if (pad + length + 1 > CNTRL_MAX_BUFFER) return 0;
  m_pPadded = new (std::nothrow) char[static_cast<size_t>(pad + length + 1)];
  if (!m_pPadded) return 0;
  std::memset(m_pPadded, ' ', static_cast<size_t>(pad));
  std::memcpy(m_pPadded + pad, text, static_cast<size_t>(length) + 1);
  m_PadLength = static_cast<int32_t>(pad);
  m_TextLength = static_cast<int32_t>(pad + length);
  CControlBase::SetText(m_pPadded + pad);
  RedrawWork();
  return 1;
}

int32_t CScrollText::SetPixPerFrame(int32_t pixels) {
  m_PixPerFrame = pixels;
  return 1;
}

int32_t CScrollText::Start(uint32_t ms) {
  if (!m_pPadded) return 0;
  ms = xClampTimerPeriod(ms);  // a script's delay of 0 still scrolls, one step a millisecond
  if (m_Running && m_Period != ms) RemoveTimer(m_Period);
  m_Running = 1;
  m_Period = ms;
  AddTimer(ms);
  return 1;
}

int32_t CScrollText::Stop() {
  if (m_pWork) {
    const TRGBA black(0, 0, 0, 0);
    m_pWork->Fill(&black);
  }
  RemoveAllTimers();
  xGuiAddClearAreaGui(ScreenRect());
  m_Running = 0;
  FreePadded();
  return 1;
}

void CScrollText::RedrawWork() {
  if (!m_pWork) return;
  const TRGBA black(0, 0, 0, 0);
  m_pWork->Fill(&black);
  if (!m_pPadded || !m_Look.m_pFont) return;
  m_Look.m_pFont->CreateColor(&m_Look.m_TextColor);
  m_Look.m_pFont->Text(m_pWork, m_pPadded + m_Position, 0, 1, -1, static_cast<int16_t>(std::min(m_Height, 32767)),
                       &m_Look.m_TextColor, nullptr, 0);
}

void CScrollText::TimerHandler(uint32_t period) {
  if (!m_Running || period != m_Period) {
    CStatic::TimerHandler(period);
    return;
  }
  if (!m_pPadded) return;
  if (m_PauseCount > 0) {
    --m_PauseCount;
  } else {
    const uint8_t code = m_Position < m_TextLength ? static_cast<uint8_t>(m_pPadded[m_Position]) : 0;
    if (code >= 1 && code <= SCROLLTEXT_PAUSE_LAST) {
      m_PauseCount = code * SCROLLTEXT_PAUSE_PERIODS;
      if (++m_Position >= m_TextLength) m_Position = 0;
    } else if (code == SCROLLTEXT_STOP) {
      Stop();
      return;
    } else {
      m_PixelOffset += m_PixPerFrame;
      const int32_t width = CharWidth(code);
      if (m_PixelOffset >= width) {
        if (++m_Position >= m_TextLength) m_Position = 0;
        m_PixelOffset -= width;
        RedrawWork();
      }
    }
  }
  Validate();
}

int32_t CScrollText::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State != XGUI_HIDDEN && m_pWork) {
    CRect area;
    area.SetXYWH(x + m_X, y + m_Y, m_Width, m_Height);
    xGuiPushClip();
    xGuiSetSubClip(area);
    xGuiDrawBitmap(m_pWork, 0, 0, x + m_X - m_PixelOffset, y + m_Y, m_pWork->m_Width, m_pWork->m_Height, 0);
    xGuiPopClip();
  }
  CControlBase::Draw(x, y, mode);
  // A running marquee draws again next frame.
  if (m_Running) Validate();
  return 1;
}
