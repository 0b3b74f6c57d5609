#include "casino/connection/lightsequence.h"

#include "ostrel/controls/controlbase.h"
#include "ostrel/crypto/random.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

LightSequence::~LightSequence() { Stop(); }

int32_t LightSequence::Set(CDialog* dialog, CResData* resources, const char* listName, uint32_t minimumDelay,
                           uint32_t maximumDelay) {
  Stop();
  if (!resources || !listName || !*listName) return 0;
  m_pDialog = dialog;
  m_pRes = resources;
  m_ListName = listName;
  m_MinDelay = minimumDelay;
  m_MaxDelay = maximumDelay;
  m_Position = 0;
  return 1;
}

bool LightSequence::ReadList(std::vector<SEntry>& entries) {
  entries.clear();
  if (!m_pRes || !m_pRes->EnterDataChunk()) return false;
  const bool found = m_pRes->FindSubChunk(m_ListName.c_str()) && m_pRes->EnterChunk();
  if (found) {
    for (int32_t more = m_pRes->FirstItem(); more && m_pRes->ItemExists(); more = m_pRes->NextItem(0)) {
      if (m_pRes->IsComment()) continue;
      SEntry e{false, {}, 0, 0};
      const char* name = m_pRes->GetString(0);
      e.m_Valid = name && m_pRes->GetBool(1, &e.m_On) && m_pRes->GetULong(2, &e.m_Delay);
      if (name) e.m_Name = name;
      entries.push_back(e);
    }
    m_pRes->ExitChunk();
  }
  m_pRes->ExitDataChunk();
  return found;
}

int32_t LightSequence::Start() {
  Stop();
  std::vector<SEntry> entries;
  if (!ReadList(entries)) {
    xprintf("LightSequence::Start: no list %s", m_ListName.c_str());
    return 0;
  }
  bool waits = false;
  for (const SEntry& e : entries) waits = waits || (e.m_Valid && e.m_Delay != 0);
  if (!waits) {
    xprintf("LightSequence::Start: the list %s never waits", m_ListName.c_str());
    return 0;
  }
  m_Position = 0;
  m_Running = 1;
  Step();
  return 1;
}

void LightSequence::Stop() {
  RemoveAllTimers();
  m_Running = 0;
  m_Delay = 0;
}

void LightSequence::TimerHandler(uint32_t period) {
  if (!m_Running || period != m_Delay) return;
  RemoveTimer(period);
  Step();
}

uint32_t LightSequence::RandomDelay() const {
  // A minimum above the maximum would wrap the span into weeks.
  return m_MaxDelay > m_MinDelay ? m_MinDelay + xRand(m_MaxDelay - m_MinDelay) : m_MinDelay;
}

void LightSequence::Light(const SEntry& entry) {
  int32_t id = 0;
  if (!m_pRes->GetResId(entry.m_Name.c_str(), &id) || id == 0) return;
  if (CControlBase* control = m_pDialog ? m_pDialog->GetCtrl(id) : nullptr)
    control->SetState(entry.m_On ? LIGHTSEQUENCE_STATE_ON : LIGHTSEQUENCE_STATE_OFF);
}

void LightSequence::Step() {
  std::vector<SEntry> entries;
  if (!ReadList(entries) || entries.empty()) {
    Stop();
    return;
  }
  for (size_t chained = 0; chained < entries.size(); ++chained) {
    if (m_Position >= entries.size()) m_Position = 0;
    const SEntry& entry = entries[m_Position];
    m_Position = (m_Position + 1) % entries.size();
    if (!entry.m_Valid) continue;
    Light(entry);
    const uint32_t delay = entry.m_Delay == LIGHTSEQUENCE_RANDOM ? RandomDelay() : entry.m_Delay;
    if (delay != 0) {
      m_Delay = xClampTimerPeriod(delay);
      AddTimer(m_Delay);
      return;
    }
  }
  // A whole round without a wait (random waits of 0): the rest waits for the next pass.
  m_Delay = 1;
  AddTimer(m_Delay);
}
