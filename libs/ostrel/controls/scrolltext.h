// A one-line marquee: the text moves left pixel by pixel on a timer. Bytes 1 to 6 in the text
// pause it for that many times 25 timer periods, byte 7 stops it.
#pragma once

#include <cstdint>

#include "ostrel/controls/static.h"

inline constexpr uint8_t SCROLLTEXT_PAUSE_LAST = 6;
inline constexpr uint8_t SCROLLTEXT_STOP = 7;
inline constexpr int32_t SCROLLTEXT_PAUSE_PERIODS = 25;

class CScrollText : public CStatic {
 public:
  CScrollText() = default;
  ~CScrollText() override;
  CScrollText(const CScrollText&) = delete;
  CScrollText& operator=(const CScrollText&) = delete;

  using CStatic::Create;
  // A static with the text, moving pixelsPerFrame each period once started. Id 1004.
  int32_t Create(const char* text, int32_t x, int32_t y, int32_t width, int32_t height, int32_t pixelsPerFrame,
                 uint32_t flags);
  // A copy of the text behind a run of spaces as wide as the control, from its start.
  int32_t SetText(const char* text) override;
  int32_t SetPixPerFrame(int32_t pixels);
  // Scrolls with a timer of that period; 0, doing nothing, while there is no text.
  int32_t Start(uint32_t ms);
  // Removes the timers and frees the text: SetText must come before the next Start.
  int32_t Stop();
  int32_t IsScrolling() const { return m_Running; }
  // The timer period Start was given.
  uint32_t GetPeriod() const { return m_Period; }

  void TimerHandler(uint32_t period) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  int32_t Destroy() override;

  // For owners and tests: the padded text and where the marquee stands.
  const char* GetPaddedText() const { return m_pPadded; }
  int32_t GetPadLength() const { return m_PadLength; }
  int32_t GetPosition() const { return m_Position; }
  int32_t GetPixelOffset() const { return m_PixelOffset; }
  int32_t GetPauseCount() const { return m_PauseCount; }
  CBitmap* GetWorkBitmap() const { return m_pWork; }

 private:
  // The width the marquee moves over for a character.
  int32_t CharWidth(uint8_t code) const;
  // The text from the position into the work picture.
  void RedrawWork();
  void FreePadded();

  uint32_t m_Period = 0;
  char* m_pPadded = nullptr;
  int32_t m_PixelOffset = 0;
  int32_t m_Position = 0;
  int32_t m_TextLength = 0;
  int32_t m_PauseCount = 0;
  int32_t m_PixPerFrame = 1;
  int32_t m_PadLength = 0;
  CBitmap* m_pWork = nullptr;
  int32_t m_Running = 0;
};
