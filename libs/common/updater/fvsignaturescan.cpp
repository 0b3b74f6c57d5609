#include "common/updater/fvsignaturescan.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <string>

#include "ostrel/files/file.h"

namespace {
// Nothing is known to look for; the table keeps its place for when something is.
constexpr SFVSignature kKnownSignatures[] = {{nullptr, nullptr}};
constexpr size_t kKnownSignatureCount = 0;

// Whole files only up to this size are read; nothing larger is shipped.
constexpr uint32_t kMaxScanned = 256u * 1024 * 1024;

std::string Decoded(const char* encoded) {
  std::string text(encoded ? encoded : "");
  IsSpecificVirus_DecodeString(text.data());
  return text;
}
}  // namespace

void IsSpecificVirus_EncodeString(char* text) {
  for (char* p = text; p && *p; ++p) *p = static_cast<char>(static_cast<unsigned char>(*p) + 1);
}

void IsSpecificVirus_DecodeString(char* text) {
  for (char* p = text; p && *p; ++p) *p = static_cast<char>(static_cast<unsigned char>(*p) - 1);
}

int32_t IsSpecificVirus_SearchMatch(const uint8_t* buffer, uint32_t size, const char* encodedPattern,
                                    const char* encodedName, char* found) {
  if (!buffer || !encodedPattern || !*encodedPattern) return 0;
  const std::string pattern = Decoded(encodedPattern);
  const auto* end = buffer + size;
  const auto* p = reinterpret_cast<const uint8_t*>(pattern.data());
  if (std::search(buffer, end, std::boyer_moore_horspool_searcher(p, p + pattern.size())) == end) return 0;
  if (found) {
    const std::string name = Decoded(encodedName);
    const size_t n = std::min(name.size(), FV_SIGNATURE_NAME_SIZE - 1);
    name.copy(found, n);
    found[n] = '\0';
  }
  return 1;
}

int32_t IsSpecificVirus_Scan(const char* fileName, const SFVSignature* table, size_t count, char* found) {
  if (!fileName || !table || !count) return 0;
  CFile file;
  uint32_t size = 0;
  if (!file.Open(fileName, XFILE_READ) || !file.GetSize(&size) || size > kMaxScanned) return 0;
  std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size ? size : 1]);
  if (!data || (size && !file.Read(data.get(), size))) return 0;
  for (size_t i = 0; i < count; ++i)
    if (IsSpecificVirus_SearchMatch(data.get(), size, table[i].m_pPattern, table[i].m_pName, found)) return 1;
  return 0;
}

int32_t IsSpecificVirus(const char* fileName, char* found) {
  return IsSpecificVirus_Scan(fileName, kKnownSignatures, kKnownSignatureCount, found);
}
