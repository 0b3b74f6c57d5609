#include "common/info/countrylist.h"

#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "ostrel/base/xstring.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/compression/uuencode.h"
#include "ostrel/dialogs/messagebox.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/resources/resdata.h"
#include "ostrelcomm/commnode.h"

namespace {
constexpr char kChunkName[] = "CountryList";
constexpr char kDataItem[] = "Data";
constexpr char kRequestItem[] = "SendCountryList";
// Ends each text of an expanded answer.
constexpr uint8_t kTextEnd = 1;

struct SCountry {
  char m_Name[COUNTRY_NAME_SIZE];
  char m_Code[COUNTRY_CODE_SIZE];
};

struct SCountryState {
  std::vector<SCountry> m_List;
  CCountryList::STATE m_State = CCountryList::STATE_NOT_LOADED;
  CCommNode* m_pNode = nullptr;
  bool m_Waiting = false;
};

SCountryState& State() {
  static SCountryState state;
  return state;
}

// A name cut to 50 characters and a code cut to 2.
SCountry MakeCountry(std::string_view name, std::string_view code) {
  SCountry c{};
  name = name.substr(0, COUNTRY_NAME_SIZE - 1);
  code = code.substr(0, COUNTRY_CODE_SIZE - 1);
  std::memcpy(c.m_Name, name.data(), name.size());
  std::memcpy(c.m_Code, code.data(), code.size());
  return c;
}

// Puts a record's cursor back where its owner left it: the current chunk, the top chunk's item and
// the restart mode.
class CCursorKeeper {
 public:
  explicit CCursorKeeper(CKCBL& record) : m_Record(record), m_Restart(record.GetRestartMode()) {
    m_Record.PushChunk();
    m_Record.MainChunk();
    m_pTopItem = m_Record.GetCurKeyword();
  }
  ~CCursorKeeper() {
    m_Record.MainChunk();
    m_Record.FirstItem();
    while (m_Record.ItemExists() && m_Record.GetCurKeyword() != m_pTopItem) m_Record.NextItem(0);
    m_Record.PopChunk();
    m_Record.RestartMode(m_Restart);
  }
  CCursorKeeper(const CCursorKeeper&) = delete;
  CCursorKeeper& operator=(const CCursorKeeper&) = delete;

 private:
  CKCBL& m_Record;
  int32_t m_Restart;
  TKCBLKeyword* m_pTopItem;
};

// Enters the top-level chunk of the list; false when there is none.
bool EnterListChunk(CKCBL& record) {
  record.MainChunk();
  record.FirstItem();
  return record.FindItem("{", kChunkName) && record.EnterChunk();
}

// The answer's bytes: its "Data" text, as long as the chunk says and within the cap, UU-decoded
// and LZSS-expanded. Empty when any step fails. The chunk item is current.
std::vector<uint8_t> ExpandAnswer(CKCBL& record) {
  uint32_t size = 0;
  if (!record.GetULong(1, &size) || size >= COUNTRYLIST_MAX_DATA || !record.EnterChunk()) return {};
  record.FirstItem();
  const TKCBLKeyword* item = record.FindItem(kDataItem) ? record.GetCurKeyword() : nullptr;
  if (!item || item->m_NumStrings < 1 || item->TextLength(0) != size) return {};
  // Well-formed lines give three bytes for every four characters; more than that is refused.
  std::vector<uint8_t> coded(static_cast<size_t>(size) + 64);
  const int32_t codedLength = UUDecode(item->Value(0), coded.data(), static_cast<int32_t>(size),
                                       static_cast<int32_t>(coded.size()));
  if (codedLength <= 0) return {};
  CLzss lzss;
  uint32_t expanded = 0;
  if (!lzss.ExpandBuffer(coded.data(), static_cast<uint32_t>(codedLength), nullptr, &expanded) || expanded == 0 ||
      expanded > COUNTRYLIST_MAX_EXPANDED)
    return {};
  std::vector<uint8_t> plain(expanded);
  if (!lzss.ExpandBuffer(coded.data(), static_cast<uint32_t>(codedLength), plain.data(), &expanded)) return {};
  plain.resize(expanded);
  return plain;
}

// Texts ended by byte 1, name and code in turn; an incomplete last pair is dropped.
std::vector<SCountry> SplitAnswer(const std::vector<uint8_t>& plain) {
  std::vector<SCountry> list;
  const std::string_view all(reinterpret_cast<const char*>(plain.data()), plain.size());
  std::string_view name;
  bool haveName = false;
  for (size_t start = 0, end; (end = all.find(static_cast<char>(kTextEnd), start)) != std::string_view::npos;
       start = end + 1) {
    const std::string_view text = all.substr(start, end - start);
    if (haveName) list.push_back(MakeCountry(name, text));
    else name = text;
    haveName = !haveName;
  }
  return list;
}

// The texts of the current item when it is a country (a name and a code); false for comments,
// chunks and items with fewer values.
bool ResourceCountry(CKCBL& record, const char** name, const char** code) {
  if (record.IsComment() || record.ItemType() != 1) return false;
  *name = record.GetString(0);
  *code = record.GetString(1);
  return *name && *code;
}

int32_t Copy(int32_t result, const char* text, char* out) {
  if (out) std::strcpy(out, result == COUNTRY_FOUND ? text : "");
  return result;
}

template <class FText>
int32_t Lookup(const char* key, char* out, FText keyOf, FText resultOf) {
  const SCountryState& s = State();
  if (s.m_State == CCountryList::STATE_NOT_LOADED) return Copy(COUNTRY_NO_LIST, nullptr, out);
  if (key)
    for (const SCountry& c : s.m_List)
      if (xStricmp(keyOf(c), key) == 0) return Copy(COUNTRY_FOUND, resultOf(c), out);
  return Copy(COUNTRY_NOT_FOUND, nullptr, out);
}

template <class FText>
int32_t LookupIndex(uint32_t index, char* out, FText resultOf) {
  const SCountryState& s = State();
  if (s.m_State == CCountryList::STATE_NOT_LOADED) return Copy(COUNTRY_NO_LIST, nullptr, out);
  if (index >= s.m_List.size()) return Copy(COUNTRY_NOT_FOUND, nullptr, out);
  return Copy(COUNTRY_FOUND, resultOf(s.m_List[index]), out);
}

using TField = const char* (*)(const SCountry&);
const char* NameOf(const SCountry& c) { return c.m_Name; }
const char* CodeOf(const SCountry& c) { return c.m_Code; }
}  // namespace

int32_t CCountryList::Request(CCommNode* node) {
  SCountryState& s = State();
  s.m_pNode = node;
  if (!node) {
    s.m_Waiting = false;
    return 0;
  }
  if (s.m_State == STATE_FROM_SERVER) return 1;
  if (!node->SendInit()) return 0;
  // The send is closed whatever happens, or the node could never send again.
  const int32_t built = node->NewItem(kRequestItem, KEND);
  if (!node->SendKCBLPacket() || !built) return 0;
  s.m_Waiting = true;
  return 1;
}

void CCountryList::ScanNode() {
  SCountryState& s = State();
  if (!s.m_pNode) return;
  CKCBL& record = s.m_pNode->m_RecvKCBL;
  CCursorKeeper keeper(record);
  record.MainChunk();
  record.FirstItem();
  if (!record.FindItem("{", kChunkName)) return;
  s.m_Waiting = false;
  s.m_List.clear();
  s.m_State = STATE_FROM_SERVER;
  try {
    s.m_List = SplitAnswer(ExpandAnswer(record));
  } catch (const std::bad_alloc&) {
    s.m_List.clear();
  }
}

int32_t CCountryList::LoadFromRes(CResData* resources) {
  DumpList();
  if (!resources) return 0;
  CCursorKeeper keeper(*resources);
  if (!EnterListChunk(*resources)) return 0;
  SCountryState& s = State();
  try {
    const char *name, *code;
    for (int32_t more = resources->FirstItem(); more; more = resources->NextItem(0))
      if (ResourceCountry(*resources, &name, &code)) s.m_List.push_back(MakeCountry(name, code));
  } catch (const std::bad_alloc&) {
    DumpList();
    xMessageBox("Client error", "Out of memory", 0);
    return 0;
  }
  s.m_State = STATE_FROM_RESOURCES;
  return 1;
}

void CCountryList::DumpList() {
  SCountryState& s = State();
  s.m_List.clear();
  s.m_List.shrink_to_fit();
  s.m_State = STATE_NOT_LOADED;
}

int32_t CCountryList::NumberOfCountries() { return static_cast<int32_t>(State().m_List.size()); }
int32_t CCountryList::IsLoaded() { return State().m_State != STATE_NOT_LOADED ? 1 : 0; }
CCountryList::STATE CCountryList::GetState() { return State().m_State; }
int32_t CCountryList::IsWaiting() { return State().m_Waiting ? 1 : 0; }

int32_t CCountryList::GetCountryName(const char* iso, char* out) {
  return Lookup<TField>(iso, out, CodeOf, NameOf);
}
int32_t CCountryList::GetISOCode(const char* name, char* out) { return Lookup<TField>(name, out, NameOf, CodeOf); }
int32_t CCountryList::GetCountryName(uint32_t index, char* out) { return LookupIndex<TField>(index, out, NameOf); }
int32_t CCountryList::GetISOCode(uint32_t index, char* out) { return LookupIndex<TField>(index, out, CodeOf); }
int32_t CCountryList::GetCountryName(int32_t index, char* out) {
  return GetCountryName(index < 0 ? UINT32_MAX : static_cast<uint32_t>(index), out);
}
int32_t CCountryList::GetISOCode(int32_t index, char* out) {
  return GetISOCode(index < 0 ? UINT32_MAX : static_cast<uint32_t>(index), out);
}
