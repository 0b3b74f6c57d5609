// The packet store's filters: before a round is replayed to a reconnecting player, the stored
// packets lose the "Hello" items and the per-player chunks he must not see again (or that are
// not his to see).
#include <new>
#include <string>
#include <vector>

#include "common/tables/servertablebase.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/debug.h"

namespace {
struct SFilter {
  int32_t m_PlayerId;
  bool m_KeepPlayer;  // drop the chunks of everybody else, rather than the player's
  bool m_DropPlayerData;
  bool m_DropPrivateData;
};

// A "PlayerData" or "PrivatePlayerData" chunk that the filter removes: one of the flagged forms
// whose player (value 2) is the one to drop, or cannot be read.
bool DropsChunk(CKCBL& record, const SFilter& filter) {
  const char* form = record.GetString(0);
  if (!form) return false;
  const bool playerData = xStricmp(form, TABLE_CHUNK_PLAYERDATA) == 0;
  const bool privateData = xStricmp(form, TABLE_CHUNK_PRIVATEPLAYERDATA) == 0;
  if (!(playerData && filter.m_DropPlayerData) && !(privateData && filter.m_DropPrivateData)) return false;
  int32_t id = 0;
  if (!record.GetLong(2, &id)) return true;
  return (id == filter.m_PlayerId) != filter.m_KeepPlayer;
}

// Walks the current chunk and those below it (the reader bounds their depth); true when
// anything was removed.
bool FilterChunk(CKCBL& record, const SFilter& filter) {
  bool removed = false;
  record.FirstItem();
  while (record.ItemExists()) {
    const bool chunk = record.ItemType() == 2;
    const char* keyword = record.GetKeyword();
    if ((chunk && DropsChunk(record, filter)) || (!chunk && keyword && xStricmp(keyword, TABLE_MSG_HELLO) == 0)) {
      record.KillItem();
      removed = true;
    } else if (chunk && record.EnterChunk()) {
      removed = FilterChunk(record, filter) || removed;
      record.ExitChunk();
    }
    record.NextItem(0);
  }
  return removed;
}

// The packet filtered: false when it is to be dropped (it does not parse, or nothing is left).
bool FilterPacket(std::string& packet, const SFilter& filter) {
  CKCBL record;
  record.RestartMode(0);
  if (packet.empty() || packet.size() > 0x7FFFFFFEu ||
      !record.Import(packet.data(), static_cast<int32_t>(packet.size())))
    return false;
  record.MainChunk();
  const bool removed = FilterChunk(record, filter);
  record.MainChunk();
  if (!record.FirstItem()) return false;
  if (!removed) return true;
  int32_t length = 0;
  if (!record.ExportSize(&length) || length < 0) return false;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  if (!record.Export(text.data(), static_cast<int32_t>(text.size()), &length, 0) || length < 0) return false;
  text.resize(static_cast<size_t>(length));
  packet.swap(text);
  return true;
}

// Filters every packet in place, keeping the order of those kept; their number.
int32_t FilterStore(std::vector<std::string>& store, const SFilter& filter) {
  size_t kept = 0;
  for (size_t i = 0; i < store.size(); ++i) {
    bool keep = false;
    try {
      keep = FilterPacket(store[i], filter);
    } catch (const std::bad_alloc&) {
      xprintf("CServerTableBase: a stored packet could not be filtered and is dropped");
    }
    if (!keep) continue;
    if (kept != i) store[kept].swap(store[i]);
    ++kept;
  }
  store.resize(kept);
  return static_cast<int32_t>(kept);
}
}  // namespace

int32_t CServerTableBase::AddStoredPacket(const void* data, uint32_t size) {
  if (!data && size) return 0;
  try {
    m_PacketStore.emplace_back(static_cast<const char*>(data), size);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

int32_t CServerTableBase::ErasePacketsForPlayer(int32_t playerId, int32_t dropPlayerData, int32_t dropPrivateData) {
  return FilterStore(m_PacketStore, {playerId, false, dropPlayerData != 0, dropPrivateData != 0});
}

int32_t CServerTableBase::ErasePacketsExceptForPlayer(int32_t playerId, int32_t dropPlayerData,
                                                      int32_t dropPrivateData) {
  return FilterStore(m_PacketStore, {playerId, true, dropPlayerData != 0, dropPrivateData != 0});
}
