#include "ostrel/sound/milessample.h"

#include "ostrel/sound/milesfile.h"
#include "ostrel/sound/soundstate.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/frameloop.h"
#include "platform/sound/soundfile.h"

namespace {
// Margin past the computed end of a play before the voice counts as free.
constexpr uint32_t kEndMargin = 100;

int32_t Status(TSoundHandle h) { return xSoundDevice()->SampleStatus(h); }
}  // namespace

CMilesSample::CMilesSample(const char* name) {
  if (name) Load(name);
}

CMilesSample::CMilesSample(CMilesSample* other) {
  if (!other) return;
  m_pFile->Clone(other->m_pFile);
  m_Volume = other->m_Volume;
  m_Pan = other->m_Pan;
}

CMilesSample::~CMilesSample() {
  GiveBackHandle();
  DeleteCopies(this, false);
}

int32_t CMilesSample::Handle() const {
  return m_Slot >= 0 && xSoundDevice() ? xSoundState().handles[m_Slot] : 0;
}

void CMilesSample::GiveBackHandle() {
  if (m_Slot < 0) return;
  SSoundState& s = xSoundState();
  if (s.available && s.holders[m_Slot] == this) {
    s.device->EndSample(s.handles[m_Slot]);
    s.holders[m_Slot] = nullptr;
  }
  m_Slot = -1;
}

void CMilesSample::DeleteCopies(const CMilesSample* original, bool finishedOnly) {
  const auto copies = xTakeFromList<CMilesSample>(xSoundState().copies, [&](CMilesSample* copy) {
    return (!original || copy->m_pOriginal == original) && (!finishedOnly || !copy->IsPlaying());
  });
  for (CMilesSample* copy : copies) delete copy;
}

void CMilesSample::FreeIdleHandles() {
  SSoundState& s = xSoundState();
  for (int32_t i = 0; i < s.handleCount; ++i) {
    CMilesSample* holder = s.holders[i];
    if (holder && !holder->IsPlaying()) {
      holder->m_Slot = -1;
      s.holders[i] = nullptr;
    }
  }
}

int32_t CMilesSample::Load(const char* name) {
  if (!name) return 0;
  if (!xSoundDevice()) return 1;
  DeleteCopies(nullptr, true);
  return CMiles::Load(name);
}

int32_t CMilesSample::Start(int32_t loop, int32_t wait) {
  CSoundDevice* device = xSoundDevice();
  if (!device || !m_pFile->GetImage()) return 0;
  DeleteCopies(nullptr, true);

  SSoundState& s = xSoundState();
  if (IsPlaying()) {
    auto* copy = new CMilesSample(this);
    copy->m_pOriginal = this;
    const int32_t result = copy->Start(loop, wait);
    if (result) {
      s.copies.InsertLast(copy);
    } else {
      delete copy;
    }
    return result;
  }

  if (loop) m_LoopCount = 0;
  FreeIdleHandles();
  int32_t slot = -1;
  for (int32_t i = 0; i < s.handleCount && slot < 0; ++i) {
    if (!s.holders[i]) slot = i;
  }
  if (slot < 0) return 0;
  const TSoundHandle h = s.handles[slot];
  if (!device->SetSampleFile(h, m_pFile->GetImage(), m_pFile->GetImageSize())) return 0;
  s.holders[slot] = this;
  m_Slot = slot;
  device->SetSampleVolume(h, m_Volume);
  device->SetSamplePan(h, m_Pan);
  device->SetSampleLoopCount(h, m_LoopCount);

  // A loop count of -1 plays once, like 1.
  const int64_t plays = m_LoopCount < 0 ? 1 : m_LoopCount;
  const int64_t playTime = static_cast<int64_t>(GetLength()) * plays;
  m_EndTime = playTime == 0 ? -1 : static_cast<int64_t>(static_cast<uint32_t>(xGetTime() + playTime + kEndMargin));
  m_Paused = 0;
  device->StartSample(h);

  // An endless play never ends: waiting for it would hang the program.
  if (wait && !loop && m_EndTime != -1) {
    while (IsPlaying()) {
      if (xHandler() != 0) break;
    }
  }
  return 1;
}

int32_t CMilesSample::Pause() {
  const TSoundHandle h = Handle();
  if (!h) return 0;
  xSoundDevice()->StopSample(h);
  if (!m_Paused) {
    m_Paused = 1;
    m_PausedAt = xGetTime();
  }
  return 1;
}

int32_t CMilesSample::Resume() {
  const TSoundHandle h = Handle();
  if (!h) return 0;
  xSoundDevice()->ResumeSample(h);
  // The pause does not count against the play's end.
  if (m_Paused && m_EndTime != -1)
    m_EndTime = static_cast<uint32_t>(static_cast<uint32_t>(m_EndTime) + xTimeDiff(m_PausedAt, xGetTime()));
  m_Paused = 0;
  return 1;
}

int32_t CMilesSample::Stop() {
  const TSoundHandle h = Handle();
  if (!h) return 0;
  xSoundDevice()->EndSample(h);
  m_Paused = 0;
  return 1;
}

int32_t CMilesSample::IsPlaying() {
  const TSoundHandle h = Handle();
  if (!h) return 0;
  const int32_t status = Status(h);
  if (status != SOUND_STATUS_PLAYING && status != SOUND_STATUS_PAUSED) return 0;
  if (m_EndTime == -1 || m_Paused) return 1;
  return static_cast<int32_t>(static_cast<uint32_t>(m_EndTime) - xGetTime()) > 0;
}

int32_t CMilesSample::SetVolume(int32_t volume) {
  m_Volume = SoundClamp127(volume / 2);
  if (const TSoundHandle h = Handle()) xSoundDevice()->SetSampleVolume(h, m_Volume);
  return 1;
}

int32_t CMilesSample::GetVolume() { return m_Volume * 2; }

int32_t CMilesSample::SetPan(int32_t pan) {
  m_Pan = SoundClamp127((pan + 128) / 2);
  if (const TSoundHandle h = Handle()) xSoundDevice()->SetSamplePan(h, m_Pan);
  return 1;
}

int32_t CMilesSample::GetPan() { return m_Pan * 2 - 128; }

int32_t CMilesSample::SetLoopCount(int32_t count) {
  m_LoopCount = count < -1 ? 1 : count;
  return 1;
}

int32_t CMilesSample::GetLoopCount() { return m_LoopCount; }

int32_t CMilesSample::GetStatus() {
  const TSoundHandle h = Handle();
  return h ? Status(h) : SOUND_STATUS_DONE;
}

int32_t CMilesSample::GetLength() {
  return static_cast<int32_t>(SoundWaveLengthMs(m_pFile->GetImage(), m_pFile->GetImageSize()));
}

int32_t CMilesSample::GetPosition() {
  const TSoundHandle h = Handle();
  if (!h) return 0;
  int32_t total = 0, current = 0;
  xSoundDevice()->SampleMsPosition(h, &total, &current);
  return current;
}

int32_t CMilesSample::SetPosition(int32_t ms) {
  const TSoundHandle h = Handle();
  if (!h) return 0;
  xSoundDevice()->SetSampleMsPosition(h, ms);
  return 1;
}
