// The parameter text of a Windows program start, split into arguments by the rules of the
// Microsoft C runtime: blanks separate, double quotes group, 2n backslashes before a quote give n
// backslashes and a quote that groups, 2n+1 give n backslashes and a literal quote, and "" inside
// a quoted part is a literal quote. Backslashes elsewhere are ordinary characters.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> PlatformSplitCommandLine(const char* text);
