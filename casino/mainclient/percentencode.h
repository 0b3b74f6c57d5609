// Percent-encoding of bytes for the parts of a web address: every byte but the unreserved
// characters of RFC 3986 (letters, digits, '-', '.', '_', '~') becomes '%' and two upper-case
// hex digits. Not a form encoder: a blank is "%20", '=' and '&' are encoded too.
#pragma once

#include <string>
#include <string_view>

std::string xPercentEncode(std::string_view bytes);
