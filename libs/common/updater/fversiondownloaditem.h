// One file that the updater fetches: its plain name, CRC and size as installed, and the name, CRC
// and size of its packed form on the server. The games list keeps one per file of a game, the
// update driver queues them for the Download callback.
#pragma once

#include <cstdint>

struct SFVersionDownloadItem {
  SFVersionDownloadItem() = default;
  // Each field into its own place. A name that cannot be copied stays null (Copied tells).
  SFVersionDownloadItem(const SFVersionDownloadItem& other);
  SFVersionDownloadItem& operator=(const SFVersionDownloadItem&) = delete;
  ~SFVersionDownloadItem();

  // Equal normal names (case-sensitive); two items without a normal name are equal too.
  bool operator==(const SFVersionDownloadItem& other) const;

  // Copies in place of the names (null clears); 0, the name kept, when memory runs out.
  int32_t SetNormName(const char* name);
  int32_t SetPackedName(const char* name);
  // 1 when every name that other carries was copied into this item.
  int32_t Copied(const SFVersionDownloadItem& other) const;

  char* m_pNormName = nullptr;
  uint32_t m_NormCRC = 0;
  uint32_t m_NormSize = 0;
  char* m_pPackedName = nullptr;
  uint32_t m_PackedCRC = 0;
  uint32_t m_PackedSize = 0;
};
