#include "common/options/options.h"

#include <cstring>

#include "common/options/optionids.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcblnumbers.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

namespace {
void CopyName(char (&to)[OPTIONS_NAME_LENGTH + 1], const char* from) {
  xStrncpy(to, from ? from : "", OPTIONS_NAME_LENGTH);
  to[OPTIONS_NAME_LENGTH] = '\0';
}

// The text read as a number of the type; *value is written only when it reads.
template <class T>
int32_t ParseInto(const char* text, T* value, int32_t (*parse)(const char*, T*)) {
  T v{};
  if (!text || !parse(text, &v)) return 0;
  if (value) *value = v;
  return 1;
}
}  // namespace

COptions::COptions(CResData* res) : m_pResData(res) {}

COptions::~COptions() = default;

// --- The file ---

int32_t COptions::Load(const char* section, const char* user) {
  // Copied before the file is read: Reset hands in our own names.
  char newSection[OPTIONS_NAME_LENGTH + 1];
  char newUser[OPTIONS_NAME_LENGTH + 1];
  CopyName(newSection, section);
  CopyName(newUser, user);
  std::memcpy(m_Section, newSection, sizeof m_Section);
  std::memcpy(m_User, newUser, sizeof m_User);
  m_HasUser = user != nullptr;

  // A damaged file counts as none rather than as the part before the damage.
  if (!CKCBL::Load(OPTIONS_FILE_NAME)) Free();
  if (m_HasUser) {
    MainChunk();
    if (!EnterOrMakeChunk("User", m_User) || !EnterOrMakeChunk("Global", nullptr)) return 0;
    if (m_Section[0]) {
      ExitChunk();
      if (!EnterOrMakeChunk(m_Section, nullptr)) return 0;
    }
  }
  AddBuiltInDefaults();
  MainChunk();
  FirstItem();
  return 1;
}

void COptions::AddBuiltInDefaults() {
  SetDefaultLong(OPTION_DISPLAYMODE, OPTION_WINDOWMODE, OPTSCOPE_TOP);
  SetDefaultBool(OPTION_MUSIC, 1, OPTSCOPE_TOP);
  SetDefaultBool(OPTION_SOUND, 1, OPTSCOPE_TOP);
  SetDefaultLong(OPTION_MUSICSOURCE, OPTION_MUSIC_BUILTIN, OPTSCOPE_TOP);
  SetDefaultString(OPTION_MUSICFILE, ".\\", OPTSCOPE_TOP);
  SetDefaultString(OPTION_LASTUSER, "", OPTSCOPE_TOP);
  SetDefaultBool(OPTION_JACKPOTLIST_OPEN, 1, OPTSCOPE_TOP);
  SetDefaultLong(OPTION_JACKPOTLIST_OFFSET, 0, OPTSCOPE_TOP);
}

int32_t COptions::Reset() {
  Free();
  return Load(m_Section, m_HasUser ? m_User : nullptr);
}

int32_t COptions::Save() { return CKCBL::Save(OPTIONS_FILE_NAME); }

int32_t COptions::Exit() {
  Free();
  return 1;
}

const char* COptions::NameOf(int32_t id) const { return m_pResData ? m_pResData->GetResName(id) : nullptr; }

// --- Chunks ---

void COptions::ToChunkEnd() {
  FirstItem();
  while (NextItem(0)) {
  }
}

int32_t COptions::EnterOrMakeChunk(const char* value0, const char* value1) {
  FirstItem();
  if (FindItem("{", value0, value1)) return EnterChunk();
  ToChunkEnd();
  // A new chunk becomes the current one.
  return value1 ? NewChunk(KSTRING, value0, KSTRING, value1, KEND) : NewChunk(KSTRING, value0, KEND);
}

int32_t COptions::EnterUserChunk() {
  MainChunk();
  FirstItem();
  return FindItem("{", "User", m_User) && EnterChunk();
}

int32_t COptions::MoveToChunk(int32_t scope) {
  if (scope < 0) return 1;
  if (scope == OPTSCOPE_TOP) return MainChunk();
  if (scope != OPTSCOPE_SECTION && scope != OPTSCOPE_GLOBAL) return 0;
  // Without a section its chunk is never searched; a default put anywhere else would be hidden.
  if (scope == OPTSCOPE_SECTION && !m_Section[0]) return 0;
  if (!EnterUserChunk()) {
    MainChunk();
    return 0;
  }
  FirstItem();
  if (!FindItem("{", scope == OPTSCOPE_SECTION ? m_Section : "Global") || !EnterChunk()) {
    MainChunk();
    return 0;
  }
  return 1;
}

int32_t COptions::FindOption(int32_t id, const char** name) {
  const char* optionName = NameOf(id);
  if (name) *name = optionName;
  if (!optionName) {
    xprintf("Unable to find the name of option %ld", static_cast<long>(id));
    return -1;
  }
  for (int32_t scope : {OPTSCOPE_TOP, OPTSCOPE_GLOBAL, OPTSCOPE_SECTION}) {
    if (!MoveToChunk(scope)) continue;
    FirstItem();
    if (FindItem(optionName)) return 1;
  }
  MainChunk();
  return 0;
}

// --- Defaults ---

const char* COptions::PlaceDefault(int32_t id, int32_t scope) {
  const char* name = nullptr;
  // The search moves about; a negative scope means the chunk current before it.
  PushChunk();
  const int32_t found = FindOption(id, &name);
  PopChunk();
  if (found != 0 || !MoveToChunk(scope)) return nullptr;
  ToChunkEnd();
  return name;
}

int32_t COptions::SetDefaultBool(int32_t id, int32_t value, int32_t scope) {
  return AddDefault(id, scope, KBOOL, value != 0);
}

int32_t COptions::SetDefaultLong(int32_t id, int32_t value, int32_t scope) { return AddDefault(id, scope, KLONG, value); }

int32_t COptions::SetDefaultDouble(int32_t id, double value, int32_t scope) {
  return AddDefault(id, scope, KDOUBLE, value);
}

int32_t COptions::SetDefaultString(int32_t id, const char* value, int32_t scope) {
  return AddDefault(id, scope, KSTRING, value ? value : "");
}

int32_t COptions::SetDefaultResId(int32_t id, int32_t resId, int32_t scope) {
  const char* resName = NameOf(resId);
  return resName ? SetDefaultString(id, resName, scope) : 0;
}

// --- Values ---

int32_t COptions::SetBool(int32_t id, int32_t value) { return ReplaceOption(id, KBOOL, value != 0); }

int32_t COptions::SetLong(int32_t id, int32_t value) { return ReplaceOption(id, KLONG, value); }

int32_t COptions::SetDouble(int32_t id, double value) { return ReplaceOption(id, KDOUBLE, value); }

int32_t COptions::SetString(int32_t id, const char* value) { return ReplaceOption(id, KSTRING, value ? value : ""); }

int32_t COptions::SetResId(int32_t id, int32_t resId) {
  const char* resName = NameOf(resId);
  return resName ? SetString(id, resName) : 0;
}

char* COptions::FindText(int32_t id) {
  if (FindOption(id, nullptr) != 1 || CKCBL::GetNumStrings() < 1 || CKCBL::GetDataType(0) != KCBLV_TEXT)
    return nullptr;
  return CKCBL::GetString(0);
}

int32_t COptions::GetBool(int32_t id, int32_t* value) { return ParseInto(FindText(id), value, xKCBLParseBool); }

int32_t COptions::GetLong(int32_t id, int32_t* value) { return ParseInto(FindText(id), value, xKCBLParseLong); }

int32_t COptions::GetFloat(int32_t id, float* value) { return ParseInto(FindText(id), value, xKCBLParseFloat); }

char* COptions::GetString(int32_t id) { return FindText(id); }

int32_t COptions::GetResId(int32_t id, int32_t* resId) {
  const char* text = FindText(id);
  return text && m_pResData ? m_pResData->GetResId(text, resId) : 0;
}
