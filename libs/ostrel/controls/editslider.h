// The scroll bars of the edit controls: sliders made and driven through these few calls, so the
// edit code needs no more of the slider than the control base.
#pragma once

#include <cstdint>

class CControlBase;
class CSlider;

// A slider whose messages go to the control with id target; null when it cannot be made.
CControlBase* xEditMakeSlider(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum,
                              int32_t maximum, int32_t value, int32_t page, uint32_t flags, int32_t target);
void xEditSliderRange(CControlBase* slider, int32_t minimum, int32_t maximum, int32_t page);
void xEditSliderValue(CControlBase* slider, int32_t value);
int32_t xEditSliderGetValue(CControlBase* slider);
CSlider* xEditSlider(CControlBase* slider);
