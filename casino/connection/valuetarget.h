// A value the table windows hand to a timer-driven control: one 32-bit number.
#pragma once

#include <cstdint>

class ValueTarget {
 public:
  // Stores the value; 1.
  int32_t SetValue(int32_t value) {
    m_Value = value;
    return 1;
  }
  int32_t GetValue() const { return m_Value; }

 private:
  int32_t m_Value = 0;
};
