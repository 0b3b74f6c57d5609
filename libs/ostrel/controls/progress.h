// A bar that shows a value within a range.
#pragma once

#include "ostrel/controls/controlbase.h"

class CProgress : public CControlBase {
 public:
  using CControlBase::Create;
  // Bevel 1, value 0, range 0 to 100.
  int32_t Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
  int32_t SetRange(int32_t first, int32_t second) {
    m_First = first;
    m_Second = second;
    return 1;
  }
  int32_t SetValue(int32_t value) {
    m_Value = value;
    return 1;
  }
  int32_t GetValue() const { return m_Value; }
  void GetRange(int32_t& first, int32_t& second) const {
    first = m_First;
    second = m_Second;
  }
  // The bar's width inside the bevel for the current value; 0 when the range is empty.
  int32_t BarWidth() const;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  int32_t Draw(int32_t x, int32_t y, int32_t mode) override;

 private:
  int32_t m_Value = 0;
  int32_t m_First = 0;
  int32_t m_Second = 100;
};
