// Diagnostics of the file, archive and coder classes.
#pragma once

// STUB: stands in for the library's xprintf until the debug options land; replace every call of
// xFilesDiag by xprintf then. Silent, like the sink it stands for.
[[gnu::format(printf, 1, 2)]] inline void xFilesDiag(const char*, ...) {}
