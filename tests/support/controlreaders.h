// What a player sees of the windows: the dialog of a resource section while it is shown, and the
// text, state and bar of its controls. Every reader answers "nothing" (null, "", -1) when the
// section is not shown or has no such control, so a test may ask at any pass.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDialog;
class CControlBase;

// The registered, shown dialog with that id (the section it was made from), or null.
CDialog* ShownSection(int32_t section);
bool IsSectionShown(int32_t section);
// Ids of every shown window, front first: for messages of failing tests.
std::vector<int32_t> ShownSections();

CControlBase* SectionControl(int32_t section, int32_t control);
std::string ControlText(int32_t section, int32_t control);
// The control's state (2 normal, 4 disabled, 5 hidden...), or -1.
int32_t ControlState(int32_t section, int32_t control);
// A progress bar's value, or -1; and its range (false when it is none).
int32_t BarValue(int32_t section, int32_t control);
bool BarRange(int32_t section, int32_t control, int32_t& first, int32_t& second);

// The control's centre in the program window's client area, where a click must land: the
// screen's picture may sit inside a larger window. False when the control is not shown.
bool ControlCentre(int32_t section, int32_t control, int32_t& x, int32_t& y);
