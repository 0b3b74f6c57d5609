// The notes a download client keeps of each finished file, taken out of the client in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/base/types.h"

struct SDownloadNote {
  uint32_t m_Time;
  int32_t m_HasSize;
  uint32_t m_Size;
  std::string m_Local;
  std::string m_Remote;
};

// Works with every client that keeps notes the HTTP and FTP clients' way.
template <class TClient>
std::vector<SDownloadNote> TakeDownloadNotes(TClient& client) {
  std::vector<SDownloadNote> notes;
  while (client.IsDownloadedNote()) {
    SDownloadNote note{};
    char* local = nullptr;
    char* remote = nullptr;
    if (!client.GetDownloadedNote(note.m_Time, note.m_HasSize, note.m_Size, local, remote)) break;
    note.m_Local = local;
    note.m_Remote = remote;
    xFree(local);
    xFree(remote);
    notes.push_back(note);
  }
  return notes;
}
