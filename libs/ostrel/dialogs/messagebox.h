// A modal message window with the text and an OK button, sized by the default font, shown over
// everything else until it is answered.
#pragma once

#include <cstdint>

// 1 when OK was clicked or Enter pressed; 0 for the close box, a quit of the program, and a box
// asked for while another is open (the one box of the process stays as it is).
int32_t xMessageBox(const char* caption, const char* text, uint32_t flags);

// The box's size for a text and caption, as xMessageBox computes it from the default font.
void xMessageBoxSize(const char* caption, const char* text, int32_t* width, int32_t* height);
