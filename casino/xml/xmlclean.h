// Prepares a text for the XML parser, in place: comments become blanks and the declaration and
// document-type lines stop being tags.
#pragma once

#include <cstdint>

// Every "<!--" up to and with the next "-->" is overwritten with blanks (to the end of the text
// when it is never closed); the '<' of every "<?xml" and "<!DOCTYPE" becomes '_'.
void xCleanXmlText(char* text, uint32_t length);
