#include "ostrel/resources/resflags.h"

#include <cstring>

#include "ostrel/base/xstring.h"
#include "ostrel/input/keycodes.h"

namespace {
struct SNamedValue {
  const char* m_pName;
  uint32_t m_Value;
};

constexpr SNamedValue kFlagNames[] = {
    {"XWIN_TITLEBAR", XWIN_TITLEBAR},
    {"XWIN_FRAME", XWIN_FRAME},
    {"XWIN_CLOSE", XWIN_CLOSE},
    {"XWIN_MODAL", XWIN_MODAL},
    {"XWIN_SIZE", XWIN_SIZE},
    {"XWIN_DRAG", XWIN_DRAG},
    {"XWIN_CENTER", XWIN_CENTER},
    {"XWIN_POPUP", XWIN_POPUP},
    {"XWIN_AUTORESIZE", XWIN_AUTORESIZE},
    {"XWIN_BORDER", XWIN_BORDER},
    {"XWIN_ALPHA", XWIN_ALPHA},
    {"XWIN_HIGHLIGHTIFINACTIVE", XWIN_HIGHLIGHTIFINACTIVE},
    {"XWIN_SYSTEMWINDOW", XWIN_SYSTEMWINDOW},
    {"XWIN_ZORDERFIRST", XWIN_ZORDERFIRST},
    {"XWIN_ZORDERLAST", XWIN_ZORDERLAST},
    {"XWIN_ZORDER", XWIN_ZORDER},
    {"XWIN_ALWAYSLAST", XWIN_ALWAYSLAST},
    {"CNTRL_EXTRUDED", CNTRL_EXTRUDED},
    {"CNTRL_TRANSPARENT", CNTRL_TRANSPARENT},
    {"CNTRL_HASBITMAP", CNTRL_HASBITMAP},
    {"CNTRL_TILED", CNTRL_TILED},
    {"CNTRL_ANIMNORMAL", CNTRL_ANIMNORMAL},
    {"CNTRL_ANIMPRESSED", CNTRL_ANIMPRESSED},
    {"CNTRL_ANIMHIGHLIGHT", CNTRL_ANIMHIGHLIGHT},
    {"CNTRL_ALPHA", CNTRL_ALPHA},
    {"CNTRL_BMTRANS", CNTRL_BMTRANS},
    {"CNTRL_CHECKED", CNTRL_CHECKED},
    {"CNTRL_HSLIDER", CNTRL_HSLIDER},
    {"CNTRL_CENTERH", CNTRL_CENTERH},
    {"CNTRL_CENTERV", CNTRL_CENTERV},
    {"CNTRL_MULTILINE", CNTRL_MULTILINE},
    {"CNTRL_READONLY", CNTRL_READONLY},
    {"CNTRL_TABSTOP", CNTRL_TABSTOP},
    {"CNTRL_BUTTONBORDER", CNTRL_BUTTONBORDER},
    {"CNTRL_EDITVSLIDER", CNTRL_EDITVSLIDER},
    {"CNTRL_EDITHSLIDER", CNTRL_EDITHSLIDER},
    {"CNTRL_PASSWORD", CNTRL_PASSWORD},
    {"CNTRL_NOWORDWRAP", CNTRL_NOWORDWRAP},
    {"CNTRL_BTNTRANSCLICK", CNTRL_BTNTRANSCLICK},
    {"CNTRL_INITIALCAPITAL", CNTRL_INITIALCAPITAL},
    {"CNTRL_UPPERCASE", CNTRL_UPPERCASE},
    {"CNTRL_LOWERCASE", CNTRL_LOWERCASE},
    {"CNTRL_NUMERIC", CNTRL_NUMERIC},
    {"CNTRL_TRIMLEFT", CNTRL_TRIMLEFT},
    {"CNTRL_TRIMRIGHT", CNTRL_TRIMRIGHT},
    {"CNTRL_MD5", CNTRL_MD5},
    {"CNTRL_RIGHTJUSTIFIED", CNTRL_RIGHTJUSTIFIED},
    {"XGUI_PRESSED", XGUI_PRESSED},
    {"XGUI_RELEASED", XGUI_RELEASED},
    {"XGUI_HIGHLIGHT", XGUI_HIGHLIGHT},
    {"XGUI_DISABLED", XGUI_DISABLED},
    {"XGUI_HIDDEN", XGUI_HIDDEN},
    {"ANIM_ONCE", ANIM_ONCE},
    {"ANIM_LOOP", ANIM_LOOP},
    {"ANIM_PINGPONG", ANIM_PINGPONG},
};

// The named keys apart from the runs of digits, letters, keypad digits and function keys.
constexpr SNamedValue kKeyNames[] = {
    {"NULL", XKEY_NONE},
    {"XKEY_NONE", XKEY_NONE},
    {"XKEY_BSPACE", XKEY_BSPACE},
    {"XKEY_TAB", XKEY_TAB},
    {"XKEY_ENTER", XKEY_ENTER},
    {"XKEY_ESC", XKEY_ESC},
    {"XKEY_SPACE", XKEY_SPACE},
    {"XKEY_MULTIPLY", '*'},
    {"XKEY_ADD", '+'},
    {"XKEY_DECIMAL", ','},
    {"XKEY_SUBTRACT", '-'},
    {"XKEY_DOT", '.'},
    {"XKEY_DIVIDE", '/'},
    {"XKEY_TILDE", 115},
    {"XKEY_INSERT", XKEY_INSERT},
    {"XKEY_DELETE", XKEY_DELETE},
    {"XKEY_HOME", XKEY_HOME},
    {"XKEY_END", XKEY_END},
    {"XKEY_PAGEUP", XKEY_PAGEUP},
    {"XKEY_PAGEDOWN", XKEY_PAGEDOWN},
    {"XKEY_LEFT", XKEY_LEFT},
    {"XKEY_UP", XKEY_UP},
    {"XKEY_RIGHT", XKEY_RIGHT},
    {"XKEY_DOWN", XKEY_DOWN},
    {"XKEY_SHIFT", XKEY_SHIFT},
    {"XKEY_LSHIFT", XKEY_LSHIFT},
    {"XKEY_RSHIFT", XKEY_RSHIFT},
    {"XKEY_CTRL", XKEY_CTRL},
    {"XKEY_LCTRL", XKEY_LCTRL},
    {"XKEY_RCTRL", XKEY_RCTRL},
    {"XKEY_ALT", XKEY_ALT},
    {"XKEY_LALT", XKEY_LALT},
    {"XKEY_RALT", XKEY_RALT},
    {"XKEY_WIN", XKEY_WIN},
    {"XKEY_LWIN", XKEY_LWIN},
    {"XKEY_RWIN", XKEY_RWIN},
    {"XKEY_NUMLOCK", XKEY_NUMLOCK},
    {"XKEY_NPDIVIDE", XKEY_NPDIVIDE},
    {"XKEY_NPMULTIPLY", XKEY_NPMULTIPLY},
    {"XKEY_NPSUBTRACT", XKEY_NPSUBTRACT},
    {"XKEY_NPADD", XKEY_NPADD},
    {"XKEY_NPENTER", XKEY_NPENTER},
    {"XKEY_NPDECIMAL", XKEY_NPDECIMAL},
    {"XKEY_PRINTSCR", XKEY_PRINTSCR},
    {"XKEY_SCROLL", XKEY_SCROLL},
    {"XKEY_BREAK", XKEY_BREAK},
    {"XKEY_CAPSLOCK", XKEY_CAPSLOCK},
};

template <size_t N>
int32_t Lookup(const SNamedValue (&table)[N], const char* name, size_t length, uint32_t* value) {
  for (const SNamedValue& e : table) {
    if (std::strlen(e.m_pName) == length && xStrnicmp(e.m_pName, name, length) == 0) {
      *value = e.m_Value;
      return 1;
    }
  }
  return 0;
}

// A decimal number of one to two digits in [1, last], the whole of text.
int32_t SmallNumber(const char* text, int32_t last, int32_t* out) {
  const size_t n = std::strlen(text);
  if (n == 0 || n > 2 || text[0] == '0') return 0;
  int32_t v = 0;
  for (size_t i = 0; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    v = v * 10 + (text[i] - '0');
  }
  if (v < 1 || v > last) return 0;
  *out = v;
  return 1;
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '|'; }
}  // namespace

int32_t xResFlagByName(const char* name, uint32_t* value) {
  if (!name || !value) return 0;
  return Lookup(kFlagNames, name, std::strlen(name), value);
}

int32_t xResFlagsOfText(const char* text, uint32_t* flags) {
  if (!text || !flags) return 0;
  *flags = 0;
  if (text[0] == '\0' || text[0] == '0') return 1;
  uint32_t all = 0;
  const char* p = text;
  for (;;) {
    const char* start = p;
    while (*p && !IsSeparator(*p)) ++p;
    uint32_t v = 0;
    if (!Lookup(kFlagNames, start, static_cast<size_t>(p - start), &v)) return 0;
    all |= v;
    if (!*p) break;
    while (IsSeparator(*p)) ++p;
  }
  *flags = all;
  return 1;
}

int32_t xResKeyByName(const char* name, uint16_t* code) {
  if (!name || !code) return 0;
  uint32_t v = 0;
  if (Lookup(kKeyNames, name, std::strlen(name), &v)) {
    *code = static_cast<uint16_t>(v);
    return 1;
  }
  if (xStrnicmp(name, "XKEY_", 5) != 0) return 0;
  const char* rest = name + 5;
  // XKEY_0 to XKEY_9 and XKEY_A to XKEY_Z: their ASCII codes.
  if (rest[0] && !rest[1]) {
    const char c = xToUpperAscii(rest[0]);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
      *code = static_cast<uint16_t>(c);
      return 1;
    }
    return 0;
  }
  int32_t n = 0;
  if (xStrnicmp(rest, "NP", 2) == 0 && rest[2] >= '0' && rest[2] <= '9' && !rest[3]) {
    *code = static_cast<uint16_t>(XKEY_NP0 + (rest[2] - '0'));
    return 1;
  }
  if ((rest[0] == 'F' || rest[0] == 'f') && SmallNumber(rest + 1, 24, &n)) {
    *code = static_cast<uint16_t>(XKEY_F1 + n - 1);
    return 1;
  }
  return 0;
}
