// The two escapes of element text: '&' and '<' are written as "&amp;" and "&lt;", so that no
// text can end its element or open another, and are read back from exactly those two. Every
// other byte, entity or character reference stays as it is.
#pragma once

#include <string>
#include <string_view>

// Appends text to out with '&' and '<' escaped.
void xXmlEscapeText(std::string_view text, std::string& out);
// The text with "&amp;" and "&lt;" turned back, in one pass from the left: the text itself when
// it holds no '&', else the decoded copy made in buffer.
std::string_view xXmlDecodeText(std::string_view text, std::string& buffer);
