#include "ostrel/kcbl/kcbl.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/files/file.h"
#include "ostrel/kcbl/kcblbuffer.h"
#include "ostrel/kcbl/kcblreader.h"
#include "ostrel/kcbl/kcblwriter.h"
#include "ostrel/system/debug.h"
#include "platform/files/resolver.h"

CKCBL::CKCBL() {
  xKCBLInitChunk(&m_Top, nullptr, nullptr);
  m_pCurChunk = &m_Top;
  std::strcpy(m_FloatFormat, "%f");
  std::strcpy(m_DoubleFormat, "%lf");
}

CKCBL::~CKCBL() {
  Clear();
  delete m_pWork;
}

void CKCBL::Clear() {
  if (m_HeapItems) xKCBLClearChunk(&m_Top);
  else xKCBLResetChunk(&m_Top);
  m_Arena.Release();
  m_HeapItems = false;
}

CKCBLBuffer& CKCBL::Work() {
  if (!m_pWork) m_pWork = new CKCBLBuffer;
  return *m_pWork;
}

int32_t CKCBL::MainChunk() {
  m_pCurChunk = &m_Top;
  return 1;
}

int32_t CKCBL::FirstItem() {
  m_pCurChunk->m_pCur = m_pCurChunk->First();
  return m_pCurChunk->m_pCur != nullptr;
}

int32_t CKCBL::NextItem(int32_t descend) {
  TKCBLChunk* c = m_pCurChunk;
  TKCBLKeyword* cur = c->m_pCur;
  if (!descend) {
    if (!cur) return 0;
    c->m_pCur = cur->m_pNext;
    return c->m_pCur != nullptr;
  }
  if (cur && cur->m_pChunk) return EnterChunk();
  if (cur && cur->m_pNext) {
    c->m_pCur = cur->m_pNext;
    return 1;
  }
  // The end of the chunk: out to the parent, past the chunk's opening item.
  if (!c->m_pParent) {
    c->m_pCur = nullptr;
    return 0;
  }
  c->m_pParent->m_pCur = c->m_pOwner->m_pNext;
  m_pCurChunk = c->m_pParent;
  return 0;
}

int32_t CKCBL::ItemExists() { return m_pCurChunk->m_pCur != nullptr; }

int32_t CKCBL::ItemType() {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  if (!cur) return 0;
  return cur->m_pChunk ? 2 : 1;
}

int32_t CKCBL::EnterChunk() {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  if (!cur || !cur->m_pChunk) return 0;
  m_pCurChunk = cur->m_pChunk;
  m_pCurChunk->m_pCur = m_pCurChunk->First();
  return 1;
}

int32_t CKCBL::EnterChunk(const char* name) {
  if (!name || !*name) return 0;
  m_pCurChunk = &m_Top;
  m_RestartMode = 1;
  return FindItem("{", name) ? EnterChunk() : 0;
}

int32_t CKCBL::ExitChunk() {
  if (!m_pCurChunk->m_pParent) return 0;
  m_pCurChunk = m_pCurChunk->m_pParent;
  return 1;
}

int32_t CKCBL::PushChunk() {
  m_ChunkStack.push_back(m_pCurChunk);
  return 1;
}

int32_t CKCBL::PopChunk() {
  if (m_ChunkStack.empty()) return 0;
  m_pCurChunk = m_ChunkStack.back();
  m_ChunkStack.pop_back();
  return 1;
}

int32_t CKCBL::FindItem(const char* keyword, const char* value0, const char* value1, const char* value2) {
  if (!keyword) return 0;
  const char* want[3];
  uint32_t numWant = 0;
  for (const char* v : {value0, value1, value2})
    if (v) want[numWant++] = v;

  TKCBLChunk* c = m_pCurChunk;
  TKCBLKeyword* start = c->m_pCur;
  if (!start) {
    if (!m_RestartMode) return 0;
    start = c->First();
    if (!start) return 0;
  }
  bool wrapped = false;
  for (TKCBLKeyword* it = start;;) {
    if (it != &c->m_Placeholder && xStricmp(keyword, it->Keyword()) == 0 && it->m_NumStrings >= numWant) {
      uint32_t j = 0;
      while (j < numWant && xStricmp(want[j], it->Value(j)) == 0) ++j;
      if (j == numWant) {
        c->m_pCur = it;
        return 1;
      }
    }
    it = it->m_pNext;
    if (!it) {
      if (!m_RestartMode || wrapped) return 0;
      wrapped = true;
      it = c->First();
    }
    if (it == start) return 0;
  }
}

int32_t CKCBL::FindSubChunk(const char* value0, const char* value1, const char* value2) {
  return FindItem("{", value0, value1, value2);
}

int32_t CKCBL::FindRawdata(const char* value0, const char* value1, const char* value2) {
  return FindItem("[", value0, value1, value2);
}

int32_t CKCBL::RestartMode(int32_t on) {
  const int32_t old = m_RestartMode;
  m_RestartMode = on ? 1 : 0;
  return old;
}

char* CKCBL::GetKeyword() {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  return cur ? cur->Keyword() : nullptr;
}

TKCBLKeyword* CKCBL::GetCurKeyword() { return m_pCurChunk->m_pCur; }

int32_t CKCBL::GetNumStrings() {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  return cur ? static_cast<int32_t>(cur->m_NumStrings) : 0;
}

char* CKCBL::GetString(int32_t n) {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  return cur && n >= 0 ? cur->Value(static_cast<uint32_t>(n)) : nullptr;
}

int32_t CKCBL::IsComment() {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  if (!cur) return 0;
  const char k = cur->Keyword()[0];
  return k == ';' || k == ' ' || k == '\t' || k == 0;
}

int32_t CKCBL::GetDataType(int32_t n) {
  const TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  if (!cur) return 0;
  if (n < 0 || static_cast<uint32_t>(n) >= cur->m_NumStrings) return KCBLV_TEXT;
  return cur->Kind(static_cast<uint32_t>(n));
}

TKCBLKeyword* CKCBL::RealItem() {
  TKCBLKeyword* cur = m_pCurChunk->m_pCur;
  return cur == &m_pCurChunk->m_Placeholder ? nullptr : cur;
}

void CKCBL::ForgetChunks(const TKCBLChunk* chunk) {
  std::erase_if(m_ChunkStack, [chunk](const TKCBLChunk* c) {
    while (c && c->m_Depth > chunk->m_Depth) c = c->m_pParent;
    return c == chunk;
  });
}

int32_t CKCBL::KillItem() {
  TKCBLKeyword* item = RealItem();
  if (!item) return 0;
  TKCBLChunk* c = m_pCurChunk;
  TKCBLKeyword* prev = item->m_pPrev;
  if (item->m_pChunk) ForgetChunks(item->m_pChunk);
  xKCBLUnlink(c, item);
  xKCBLFreeKeyword(item);
  c->m_pCur = prev;
  return 1;
}

void CKCBL::Free() {
  Clear();
  m_pCurChunk = &m_Top;
  m_ChunkStack.clear();
  m_HasData = 0;
}

int32_t CKCBL::Import(const char* text, int32_t length) {
  Free();
  if (!text) return 0;
  size_t len;
  if (length < 0) {
    len = std::strlen(text);
  } else {
    const void* nul = std::memchr(text, 0, static_cast<size_t>(length));
    len = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : static_cast<size_t>(length);
  }
  if (len > 0x7FFFFFFEu) return 0;
  m_HasData = 1;

  CKCBLBuffer& work = Work();
  CKCBLReader reader(text, len, work);
  TKCBLChunk* chunk = &m_Top;
  int32_t ok = 1;
  do {
    SKCBLItemParts parts;
    if (!reader.ReadLine(&parts)) {
      ok = 0;
      break;
    }
    const char* keyword = parts.m_pBlock;
    if (keyword[0] == '}') {
      if (chunk->m_pParent) chunk = chunk->m_pParent;  // a stray "}" at the top is ignored
      continue;
    }
    if (keyword[0] == ']') continue;
    const bool opens = xKCBLIsChunkKeyword(keyword);
    if (opens && chunk->m_Depth >= KCBL_MAX_DEPTH) {
      xprintf("KCBL: chunks nested deeper than %d levels\n", KCBL_MAX_DEPTH);
      ok = 0;
      break;
    }
    TKCBLKeyword* item = xKCBLNewKeyword(parts, &m_Arena);
    TKCBLChunk* sub = item && opens ? xKCBLNewChunk(chunk, item, &m_Arena) : nullptr;
    if (!item || (opens && !sub)) {
      xKCBLFreeKeyword(item);
      ok = 0;
      break;
    }
    xKCBLLinkAfter(chunk, chunk->m_pLast, item);
    if (sub) {
      item->m_pChunk = sub;
      chunk = sub;
    }
  } while (!reader.AtEnd());
  work.Trim();

  m_pCurChunk = &m_Top;
  FirstItem();
  return ok;
}

int32_t CKCBL::Export(char* buffer, int32_t size, int32_t* length, int32_t measureOnly) {
  const bool measure = measureOnly || !buffer;
  if (!size || !m_HasData) {
    if (!measure && size > 0) buffer[0] = 0;
    if (length) *length = 1;
    return 1;
  }
  size_t len = 0;
  int32_t ok = 0;
  if (measure) {
    ok = xKCBLWriteText(&m_Top, m_MaxLineLength, nullptr, 0, &len);
    if (len > 0x7FFFFFFEu) ok = 0;
  } else if (size > 0) {
    ok = xKCBLWriteText(&m_Top, m_MaxLineLength, buffer, static_cast<size_t>(size), &len);
    buffer[ok ? len : 0] = 0;
  }
  if (length) *length = ok ? static_cast<int32_t>(len) : -1;
  return ok;
}

int32_t CKCBL::ExportSize(int32_t* length) { return Export(nullptr, -1, length, 1); }

int32_t CKCBL::Save(const char* fileName) {
  if (!fileName) return 0;
  int32_t len = 0;
  if (!m_HasData) return PlatformWriteFileReplacing(fileName, "", 0);
  if (!ExportSize(&len)) return 0;
  char* text = static_cast<char*>(::operator new(static_cast<size_t>(len) + 1, std::nothrow));
  if (!text) return 0;
  int32_t ok = Export(text, len + 1, &len, 0) &&
               PlatformWriteFileReplacing(fileName, text, static_cast<uint32_t>(len));
  ::operator delete(text);
  return ok;
}

int32_t CKCBL::Load(const char* fileName) {
  Free();
  if (!fileName) return 0;
  CFile file;
  uint32_t size = 0;
  if (!file.Open(fileName, XFILE_READ) || !file.GetSize(&size) || size > 0x7FFFFFFEu) return 0;
  char* text = static_cast<char*>(::operator new(static_cast<size_t>(size) + 1, std::nothrow));
  if (!text) return 0;
  int32_t ok = 0;
  if (!size || file.Read(text, size)) {
    text[size] = 0;
    ok = Import(text, static_cast<int32_t>(size));
  }
  ::operator delete(text);
  return ok;
}

void CKCBL::SetMaxLineLength(int32_t n) {
  if (n == 0) m_MaxLineLength = KCBL_DEFAULT_LINE_LENGTH;
  else if (n > 0) m_MaxLineLength = n;
}
