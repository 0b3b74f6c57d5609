#include "ostrel/controls/editslider.h"

#include <new>

#include "ostrel/controls/slider.h"

CControlBase* xEditMakeSlider(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum,
                              int32_t maximum, int32_t value, int32_t page, uint32_t flags, int32_t target) {
  auto* slider = new (std::nothrow) CSlider;
  if (!slider) return nullptr;
  slider->Create(id, x, y, width, height, minimum, maximum, value, page, flags);
  slider->SetCntrlMessagingSystem(target);
  return slider;
}

void xEditSliderRange(CControlBase* slider, int32_t minimum, int32_t maximum, int32_t page) {
  if (slider) static_cast<CSlider*>(slider)->SetRange(minimum, maximum, page);
}

void xEditSliderValue(CControlBase* slider, int32_t value) {
  if (slider) static_cast<CSlider*>(slider)->SetValue(value);
}

int32_t xEditSliderGetValue(CControlBase* slider) { return slider ? static_cast<CSlider*>(slider)->GetValue() : 0; }

CSlider* xEditSlider(CControlBase* slider) { return static_cast<CSlider*>(slider); }
