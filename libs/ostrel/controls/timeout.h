// A countdown shown as a filled pie: the part of the range still to run, clockwise from the top,
// drawn in black over the control's normal bitmap.
#pragma once

#include <cstdint>

#include "ostrel/controls/controlbase.h"

class CTimeout : public CControlBase {
 public:
  CTimeout() = default;
  ~CTimeout() override;
  CTimeout(const CTimeout&) = delete;
  CTimeout& operator=(const CTimeout&) = delete;

  using CControlBase::Create;
  // The pie's centre and radius count from the control's top-left corner. Value 0, range 0 to
  // 100. 0 when the work picture cannot be made.
  int32_t Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t centreX, int32_t centreY,
                 int32_t radius, uint32_t flags);
  // Frees the work picture.
  int32_t Destroy() override;

  int32_t GetValue() const { return m_Value; }
  // Clamped into the range; asks for a redraw.
  int32_t SetValue(int32_t value);
  int32_t SetRange(int32_t minimum, int32_t maximum);
  int32_t GetRange(int32_t& minimum, int32_t& maximum) const;
  // The end angle of the pie for the current value (radians, y down; the start is straight up).
  double EndAngle() const;
  // The picture the pie is drawn into before it goes to the screen.
  CBitmap* GetWorkBitmap() const { return m_pWork; }

  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  // Without a range, or without the normal bitmap to draw over, only the base's part.
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;
  // The normal bitmap with the pie over it in the work picture (no pie once the value reached the
  // maximum); 0 when either is missing.
  int32_t PaintPie();

 private:
  int32_t m_Value = 0;
  int32_t m_Maximum = 100;
  int32_t m_Minimum = 0;
  int32_t m_CentreX = 0, m_CentreY = 0, m_Radius = 0;
  CBitmap* m_pWork = nullptr;
};
