#include "common/options/gametablesettings.h"

#include <cstdio>
#include <string>

#include "common/info/registrypath.h"
#include "common/updater/gamestxtmodule.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/registry.h"

namespace {
constexpr char kSettingsChunk[] = "GameTableSettings";
constexpr char kBitmapsChunk[] = "GameTableSettingsBitmaps";
constexpr char kHideDenomination[] = "HIDEDENOMINATION";

// Values of a setting item: description, static data, then per choice a default flag, a text and
// a number.
constexpr int32_t kFirstChoice = 2;
constexpr int32_t kChoiceValues = 3;
int32_t FlagOf(int32_t k) { return kFirstChoice + kChoiceValues * k; }
int32_t TextOf(int32_t k) { return FlagOf(k) + 1; }
int32_t NumberOf(int32_t k) { return FlagOf(k) + 2; }

// A saved index written as plain decimal digits.
bool ParseIndex(const char* text, int32_t* index) {
  if (!*text) return false;
  int64_t v = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
    if (v > INT32_MAX) return false;
  }
  *index = static_cast<int32_t>(v);
  return true;
}
}  // namespace

CGameTableSettings::CGameTableSettings(GamestxtCFVModule* game) : m_pGame(game) {
  if (!game) throw "Pointer to game not valid";
  CResData common;
  if (!common.Load(COMMON_SCRIPT_FILE)) throw "BException(Could not load common.xrs!)";
  const char* application = common.GetResString(COMMON_STRING_APPLICATION_NAME);
  const int written = application ? std::snprintf(m_RegPath, sizeof m_RegPath, "%s%s", CASINO_REGISTRY_BASE, application) : -1;
  // A name that does not fit would name another key.
  if (written < 0 || written >= static_cast<int>(sizeof m_RegPath)) throw "Could not get application name";
  const char* limits = game->GetLimitpath();
  if (!limits) throw "No limits path for the game";
  if (!Load(limits)) throw "Could not load limits file";
  MainChunk();
  RestartMode(1);
}

// The walk

int32_t CGameTableSettings::FirstItem() { return EnterChunk(kSettingsChunk) ? CResData::FirstItem() : 0; }

const char* CGameTableSettings::CurrentKeyword() { return ItemExists() && !IsComment() ? GetKeyword() : nullptr; }

int32_t CGameTableSettings::CurrentIs(const char* keyword) {
  const char* current = CurrentKeyword();
  return current && xStricmp(current, keyword) == 0 ? 1 : 0;
}

int32_t CGameTableSettings::CurrentIsChipDenomination() { return CurrentIs("CHIPDENOMINATION"); }
int32_t CGameTableSettings::CurrentIsTablePosition() { return CurrentIs("TABLEPOSITION"); }
int32_t CGameTableSettings::CurrentIsBetLimit() { return CurrentIs("BETLIMITS"); }
int32_t CGameTableSettings::CurrentIsTableType() { return CurrentIs("TABLETYPE"); }

int32_t CGameTableSettings::SkipCurrent() { return ItemExists() && (IsComment() || CurrentIs(kHideDenomination)) ? 1 : 0; }

// The current setting

int32_t CGameTableSettings::GetCurrentNumberOfValue() {
  if (!CurrentKeyword()) return 0;
  int32_t count = 0, number = 0;
  while (GetLong(NumberOf(count), &number)) ++count;
  return count;
}

int32_t CGameTableSettings::GetCurrentIndex(int32_t number) {
  const char* keyword = CurrentKeyword();
  if (!keyword) return 0;
  const int32_t count = GetCurrentNumberOfValue();
  if (number != -1) {
    int32_t choice = 0;
    for (int32_t k = 0; k < count; ++k)
      if (GetLong(NumberOf(k), &choice) && choice == number) return k;
    return 0;
  }
  char saved[GAMETABLESETTINGS_VALUE_SIZE];
  int32_t index = 0;
  if (GetIndex(keyword, saved) && ParseIndex(saved, &index)) {
    if (xStrcmp(saved, "0") == 0) return 0;
    if (index > 0 && index < count) return index;
  }
  int32_t isDefault = 0;
  for (int32_t k = 0; k < count; ++k)
    if (GetBool(FlagOf(k), &isDefault) && isDefault) return k;
  return 0;
}

int32_t CGameTableSettings::GetCurrentValue() {
  if (GetCurrentNumberOfValue() == 0) return -1;
  int32_t number = -1;
  return GetLong(NumberOf(GetCurrentIndex(-1)), &number) ? number : -1;
}

const char* CGameTableSettings::GetCurrentDescription() { return CurrentKeyword() ? GetString(0) : nullptr; }
const char* CGameTableSettings::GetCurrentStaticData() { return CurrentKeyword() ? GetString(1) : nullptr; }

const char* CGameTableSettings::GetCurrentValueString(int32_t k) {
  if (!CurrentKeyword() || k < -1) return nullptr;
  if (k == -1) {
    if (GetCurrentNumberOfValue() == 0) return nullptr;
    k = GetCurrentIndex(-1);
  }
  return GetString(TextOf(k));
}

// Pictures

CBitmap* CGameTableSettings::CurrentBitmap(int32_t n, int32_t* width, int32_t* height) {
  const char* keyword = CurrentKeyword();
  if (!keyword) return nullptr;
  // The settings chunk keeps its cursor while the search moves through the other chunk.
  const std::string wanted = keyword;
  PushChunk();
  CBitmap* bitmap = nullptr;
  if (EnterChunk(kBitmapsChunk) && FindItem(wanted.c_str())) bitmap = GetBitmap(n, width, height);
  PopChunk();
  return bitmap;
}

CBitmap* CGameTableSettings::GetCurrentDescriptionBitmap(int32_t* width, int32_t* height) {
  return CurrentBitmap(0, width, height);
}

CBitmap* CGameTableSettings::GetCurrentValueBitmap(int32_t k, int32_t* width, int32_t* height) {
  if (k < -1) return nullptr;
  if (k == -1) k = GetCurrentIndex(-1);
  return CurrentBitmap(k + 1, width, height);
}

// The registry

namespace {
std::string KeyPath(const char* base, const GamestxtCFVModule* game, const char* keyword) {
  if (!game || !game->GetModName() || !keyword) throw "Game is not valid";
  return std::string(base) + "\\" + game->GetModName() + "\\" + keyword;
}
}  // namespace

int32_t CGameTableSettings::SetIndex(const char* keyword, int32_t index) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", index);
  return SetIndex(keyword, text);
}

int32_t CGameTableSettings::SetIndex(const char* keyword, const char* text) {
  const std::string path = KeyPath(m_RegPath, m_pGame, keyword);
  CRegKey key;
  if (!key.Create(XREG_CURRENT_USER, path.c_str())) throw "Could not create key";
  if (!text) return 0;
  // Stored as the original did: the text without its ending zero.
  const int32_t written = key.SetValue(path.c_str(), XREG_STRING, text, static_cast<uint32_t>(xStrlen(text)));
  const int32_t flushed = key.Flush();
  key.Close();
  return written && flushed ? 1 : 0;
}

int32_t CGameTableSettings::GetIndex(const char* keyword, char* out) {
  const std::string path = KeyPath(m_RegPath, m_pGame, keyword);
  if (!out) return 0;
  out[0] = '\0';
  CRegKey key;
  if (!key.Open(XREG_CURRENT_USER, path.c_str())) return 0;
  const int32_t read = key.GetString(path.c_str(), out, GAMETABLESETTINGS_VALUE_SIZE);
  key.Close();
  if (!read) out[0] = '\0';
  return read;
}
