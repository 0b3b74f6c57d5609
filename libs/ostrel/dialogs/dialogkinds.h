// The dialog reader's table of control kinds, shared by the reader's files.
#pragma once

#include <cstdint>

class CControlBase;
class CResData;

struct SDialogKind {
  const char* m_Word;
  int32_t m_Type;
  const char* m_Kind;  // as the diagnostics name it
};

// The kind a chunk's word names (any case); null for none.
const SDialogKind* DialogKindOf(const char* word);
// A new, not yet created control of the type; null for an unknown type.
CControlBase* DialogNewControl(int32_t type);
// Kinds whose chunks hold child control chunks.
bool DialogIsParentKind(int32_t type);
// Lists and combo boxes take an entry made from the control, or else from the text; 0 when the
// parent is neither or nothing could be made.
int32_t DialogAddEntry(CControlBase* list, CControlBase* entry, const char* text);
// count numbers from value first on of the current item.
bool DialogReadValues(CResData* res, int32_t first, int32_t* r, int32_t count = 4);
