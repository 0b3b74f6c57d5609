// Country-list answers come from the server: whatever the record holds, the scan keeps within the
// size it states, the decoders' caps and the entries' lengths. The first byte chooses what the rest
// is: 0 the whole record's text; 1 the "Data" text of an answer whose size is right; 2 the coded
// bytes, UU-encoded into such an answer, so that the expander and the splitter see them.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/info/countrylist.h"
#include "ostrel/compression/uuencode.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrelcomm/commnode.h"

namespace {
// A node that is never started: the request is not sent, but the list scans the node.
CCommNode& Node() {
  static CCommNode* node = [] {
    auto* n = new CCommNode;
    CCountryList::Request(n);
    return n;
  }();
  return *node;
}

void Answer(CKCBL& record, const std::string& data) {
  record.Free();
  record.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(data.size()), KEND);
  record.NewItem("Data", KSTRING, data.c_str(), KEND);
  record.MainChunk();
  record.FirstItem();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 18)) return 0;
  CCommNode& node = Node();
  CKCBL& record = node.m_RecvKCBL;
  const char* rest = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;
  switch (data[0] % 3) {
    case 0:
      record.Import(rest, static_cast<int32_t>(length));
      break;
    case 1:
      Answer(record, std::string(rest, strnlen(rest, length)));
      break;
    default: {
      std::string text(static_cast<size_t>(UUEncodeSize(static_cast<int32_t>(length))), '\0');
      UUEncode(rest, text.data(), static_cast<int32_t>(length));
      Answer(record, text);
      break;
    }
  }
  CCountryList::DumpList();
  CCountryList::ScanNode();
  const int32_t n = CCountryList::NumberOfCountries();
  if (n < 0 || (n && CCountryList::GetState() != CCountryList::STATE_FROM_SERVER)) abort();
  for (int32_t i = 0; i < n; ++i) {
    char name[COUNTRY_NAME_SIZE + 8], code[COUNTRY_CODE_SIZE + 8];
    std::memset(name, 'x', sizeof name);
    std::memset(code, 'x', sizeof code);
    if (CCountryList::GetCountryName(i, name) != COUNTRY_FOUND || CCountryList::GetISOCode(i, code) != COUNTRY_FOUND)
      abort();
    if (strnlen(name, sizeof name) >= COUNTRY_NAME_SIZE || strnlen(code, sizeof code) >= COUNTRY_CODE_SIZE) abort();
  }
  char out[COUNTRY_NAME_SIZE];
  if (CCountryList::GetCountryName(static_cast<uint32_t>(n), out) != COUNTRY_NOT_FOUND && CCountryList::IsLoaded())
    abort();
  return 0;
}
