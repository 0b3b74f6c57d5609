// Lights that go on and off by themselves: a list in the data chunk of a resource script, named
// after the sequence, whose entries each name a control, whether it goes on, and how long to wait
// before the next entry (milliseconds; -1, read as 0xFFFFFFFF, a random wait between the minimum
// and the maximum). The list repeats. "On" hides the control (state 5, the lit picture beneath shows),
// "off" shows it again (state 2).
//
//   { = Data
//       { = LOBBY_LIGHTS
//           Light = IDC_LAMP1, TRUE, 400
//           Light = IDC_LAMP1, FALSE, -1
//       }
//   }
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/system/timers.h"

class CDialog;
class CResData;

inline constexpr uint32_t LIGHTSEQUENCE_RANDOM = 0xFFFFFFFF;
inline constexpr int32_t LIGHTSEQUENCE_STATE_ON = 5;
inline constexpr int32_t LIGHTSEQUENCE_STATE_OFF = 2;

class LightSequence : public CTimer {
 public:
  LightSequence() = default;
  ~LightSequence() override;

  // Neither the dialog nor the resources are owned; both must outlive the sequence's run. 1, or
  // 0 without resources or a list name.
  int32_t Set(CDialog* dialog, CResData* resources, const char* listName, uint32_t minimumDelay,
              uint32_t maximumDelay);
  // From the first entry. 0 when the list is missing or would never wait (every delay 0): such
  // a list would never give control back.
  int32_t Start();
  // Removes its timer.
  void Stop();
  // Only its own timer (the current delay) moves it on.
  void TimerHandler(uint32_t period) override;

  int32_t IsRunning() const { return m_Running; }
  // The entry that comes next, and the wait before it (0 while none is set).
  int32_t GetPosition() const { return static_cast<int32_t>(m_Position); }
  uint32_t GetDelay() const { return m_Delay; }

 private:
  struct SEntry {
    bool m_Valid;  // every field present and of its type
    std::string m_Name;
    int32_t m_On;
    uint32_t m_Delay;
  };

  bool ReadList(std::vector<SEntry>& entries);
  // Entries up to the next one that waits (at most one round of the list).
  void Step();
  void Light(const SEntry& entry);
  uint32_t RandomDelay() const;

  CDialog* m_pDialog = nullptr;
  CResData* m_pRes = nullptr;
  std::string m_ListName;
  uint32_t m_MinDelay = 0;
  uint32_t m_MaxDelay = 0;
  size_t m_Position = 0;
  uint32_t m_Delay = 0;
  int32_t m_Running = 0;
};
