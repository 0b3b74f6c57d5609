// A readable picture of a keyword tree for comparisons: one line per item, two blanks per level,
// the keyword in [], then each value: t(text), c(comment) or a<count>[element|element]. Bytes outside
// 33..126 and the bracket characters are shown as \xHH.
#pragma once

#include <cstdio>
#include <string>

#include "ostrel/kcbl/kcbl.h"

inline std::string KcblShow(const char* s) {
  std::string out;
  for (; *s; ++s) {
    const auto c = static_cast<unsigned char>(*s);
    if (c < 33 || c > 126 || c == '(' || c == ')' || c == '[' || c == ']' || c == '|' || c == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

inline std::string KcblShowItem(const TKCBLKeyword* it) {
  std::string out = "[" + KcblShow(it->Keyword()) + "]";
  for (uint32_t i = 0; i < it->m_NumStrings; ++i) {
    switch (it->Kind(i)) {
      case KCBLV_COMMENT: out += " c(" + KcblShow(it->Value(i)) + ")"; break;
      case KCBLV_TEXT: out += " t(" + KcblShow(it->Value(i)) + ")"; break;
      default: {
        out += " a" + std::to_string(it->m_pValues[i].m_Count) + "[";
        for (uint32_t e = 0; e < it->m_pValues[i].m_Count; ++e) out += (e ? "|" : "") + KcblShow(it->Element(i, e));
        out += "]";
      }
    }
  }
  return out;
}

// The current chunk from its first item, sub-chunks included; the cursor is left at the start.
inline void KcblDumpChunk(CKCBL& k, int depth, std::string& out) {
  if (!k.FirstItem()) return;
  do {
    out += std::string(static_cast<size_t>(depth) * 2, ' ') + KcblShowItem(k.GetCurKeyword()) + "\n";
    if (k.ItemType() == 2) {
      k.EnterChunk();
      KcblDumpChunk(k, depth + 1, out);
      k.ExitChunk();
    }
  } while (k.NextItem(0));
}

inline std::string KcblDump(CKCBL& k) {
  std::string out;
  k.MainChunk();
  KcblDumpChunk(k, 0, out);
  k.MainChunk();
  k.FirstItem();
  return out;
}

inline std::string KcblExport(CKCBL& k) {
  int32_t len = 0;
  if (!k.ExportSize(&len)) return "<export failed>";
  std::string s(static_cast<size_t>(len) + 1, '\0');
  if (!k.Export(s.data(), len + 1, &len, 0)) return "<export failed>";
  s.resize(static_cast<size_t>(len));
  return s;
}
