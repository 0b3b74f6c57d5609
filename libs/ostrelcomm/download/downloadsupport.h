// Pieces the download clients share: log texts, transfer figures and the local file a download
// writes into.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "ostrel/files/file.h"

// What one step of a download may read: it stops at whichever comes first, so the frame loop keeps
// its pace while a file arrives at close to the link's speed.
inline constexpr uint32_t DOWNLOAD_STEP_TIME_BUDGET_MS = 12;
inline constexpr uint32_t DOWNLOAD_STEP_BYTE_BUDGET = 64u << 20;

// 1 when the frame loop hands its pacing wait to the socket wait (wait mode on, and the wait is
// the library's): a download then has the wait watch its sockets, so each frame ends as soon as
// data comes, and a step takes only what has come instead of waiting for more within the step.
int32_t xDownloadFrameWaitsOnSockets();

// printf-style formatting into a text of whatever length it needs.
std::string xFormatText(const char* format, va_list args);

// An unsigned 16-bit decimal number at text, digits only (no sign, no blanks); the first byte
// after it in end. false when there is no digit or the number passes 65535.
bool xDownloadReadPort(const char* text, uint16_t& port, const char*& end);

// Bytes per second for bytes moved in ms milliseconds; 0 ms counts as 1, and the result stops
// at INT32_MAX.
int32_t xDownloadSpeed(uint64_t bytes, uint32_t ms);

// Bytes moved and the speed since Start, on the system clock.
class CDownloadProgress {
 public:
  void Start();
  void Add(uint32_t bytes);
  uint32_t GetBytes() const { return m_Bytes; }
  int32_t GetSpeed() const { return m_Speed; }
  uint32_t GetStartTime() const { return m_StartTime; }
  uint32_t GetElapsed() const;

 private:
  uint32_t m_StartTime = 0;
  uint32_t m_Bytes = 0;
  int32_t m_Speed = 0;
};

// The local file of one download: made anew, or continued where an earlier download stopped.
class CDownloadFile {
 public:
  // Deletes any file of that name and creates an empty one, with the folders it needs.
  int32_t Create(const char* name);
  // Continues an existing file at position: the file must hold at least position bytes; what
  // lies behind position is cut off, so the file never keeps stale bytes past the new end.
  int32_t Resume(const char* name, uint32_t position);
  int32_t Write(const void* data, uint32_t size);
  // 1 when everything written reached the file.
  int32_t Close();
  int32_t IsOpen() const { return m_File.IsOpen(); }

 private:
  CFile m_File;
};
