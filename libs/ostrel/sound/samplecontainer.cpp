#include "ostrel/sound/samplecontainer.h"

#include <algorithm>

#include "ostrel/sound/milessample.h"
#include "ostrel/system/clock.h"

namespace {
int32_t CompareIds(void* key, void* stored) {
  const uint32_t a = static_cast<CSampleContainerItem*>(key)->m_Id;
  const uint32_t b = static_cast<CSampleContainerItem*>(stored)->m_Id;
  return a < b ? -1 : a > b ? 1 : 0;
}
}  // namespace

CSampleContainer::CSampleContainer(uint32_t delay) : m_Items(CompareIds), m_Delay(delay) {}

CSampleContainer::~CSampleContainer() {
  for (m_Items.FullTraversal_Init(); m_Items.FullTraversal_Exists(); m_Items.FullTraversal_Next()) {
    auto* item = static_cast<CSampleContainerItem*>(m_Items.FullTraversal_Get());
    item->m_pSample->Stop();
    delete item->m_pSample;
    delete item;
  }
  m_Items.DeleteTree();
}

CSampleContainerItem* CSampleContainer::FindItem(uint32_t id) {
  CSampleContainerItem key{nullptr, id};
  void* found = nullptr;
  return m_Items.Find(&key, found) ? static_cast<CSampleContainerItem*>(found) : nullptr;
}

CMilesSample* CSampleContainer::FindSample(uint32_t id) {
  CSampleContainerItem* item = FindItem(id);
  return item ? item->m_pSample : nullptr;
}

int32_t CSampleContainer::Load(uint32_t id, const char* file) {
  if (FindItem(id)) return 1;
  if (!file) return 0;
  auto* sample = new CMilesSample;
  if (!sample->Load(file)) {
    delete sample;
    return 0;
  }
  sample->SetVolume(m_Volume);
  sample->SetPan(m_Pan);
  auto* item = new CSampleContainerItem{sample, id};
  if (!m_Items.AddItem(item)) {
    delete sample;
    delete item;
    return 0;
  }
  return 1;
}

int32_t CSampleContainer::Play(uint32_t id, int32_t loop, int32_t wait) {
  if (!m_Enabled) return 1;
  CMilesSample* sample = FindSample(id);
  return sample ? sample->Start(loop, wait) : 0;
}

int32_t CSampleContainer::IsPlaying(uint32_t id) {
  CMilesSample* sample = FindSample(id);
  return sample ? sample->IsPlaying() : 0;
}

int32_t CSampleContainer::Stop(uint32_t id) {
  CMilesSample* sample = FindSample(id);
  return sample ? sample->Stop() : 0;
}

void CSampleContainer::SetVolume(int32_t volume) {
  if (volume == m_Volume) return;
  m_Volume = volume;
  for (m_Items.FullTraversal_Init(); m_Items.FullTraversal_Exists(); m_Items.FullTraversal_Next())
    static_cast<CSampleContainerItem*>(m_Items.FullTraversal_Get())->m_pSample->SetVolume(volume);
}

void CSampleContainer::SetPan(int16_t pan) {
  if (pan == m_Pan) return;
  m_Pan = pan;
  for (m_Items.FullTraversal_Init(); m_Items.FullTraversal_Exists(); m_Items.FullTraversal_Next())
    static_cast<CSampleContainerItem*>(m_Items.FullTraversal_Get())->m_pSample->SetPan(pan);
}

int32_t CSampleContainer::StartSequence(const uint32_t* ids) {
  if (!ids) return 0;
  m_pSequence = ids;
  m_SequenceOwned = 0;
  m_SequencePos = 0;
  m_Waiting = 0;
  if (ids[0] == SAMPLE_SEQUENCE_END) {
    EndSequence();
    return 0;
  }
  Play(ids[0]);
  return 1;
}

void CSampleContainer::SetSequenceSize(int32_t size) {
  if (size < 2) return;
  m_Capacity = size;
  if (m_OwnSequence.empty()) return;
  // Keep what fits, and the end mark.
  const size_t keep = std::min(m_OwnSequence.size() - 1, static_cast<size_t>(size - 1));
  m_OwnSequence.resize(keep);
  m_OwnSequence.shrink_to_fit();
  m_OwnSequence.reserve(static_cast<size_t>(size));
  m_OwnSequence.push_back(SAMPLE_SEQUENCE_END);
  if (m_SequenceOwned) {
    m_pSequence = m_OwnSequence.data();
    if (m_SequencePos >= static_cast<int32_t>(keep)) EndSequence();
  }
}

int32_t CSampleContainer::AddSample(uint32_t id) {
  if (id == SAMPLE_SEQUENCE_END) return 0;
  if (m_OwnSequence.empty()) {
    m_OwnSequence.reserve(static_cast<size_t>(m_Capacity));
    m_OwnSequence.push_back(SAMPLE_SEQUENCE_END);
  }
  if (static_cast<int32_t>(m_OwnSequence.size()) >= m_Capacity) return 0;
  m_OwnSequence.back() = id;
  m_OwnSequence.push_back(SAMPLE_SEQUENCE_END);
  if (m_SequenceOwned) m_pSequence = m_OwnSequence.data();
  return 1;
}

int32_t CSampleContainer::StartInternalSequence() {
  if (m_OwnSequence.size() < 2) return 0;
  m_pSequence = m_OwnSequence.data();
  m_SequenceOwned = 1;
  m_SequencePos = 0;
  m_Waiting = 0;
  Play(m_pSequence[0]);
  return 1;
}

void CSampleContainer::EndSequence() {
  if (m_SequenceOwned) {
    m_OwnSequence.clear();
    m_OwnSequence.shrink_to_fit();
  }
  m_pSequence = nullptr;
  m_SequenceOwned = 0;
  m_SequencePos = 0;
  m_Waiting = 0;
}

int32_t CSampleContainer::PlaySequence() {
  if (!m_pSequence) return 1;
  CMilesSample* current = FindSample(m_pSequence[m_SequencePos]);
  if (current && current->IsPlaying()) return 0;
  // Each container times its own pause: a shared one would cut or stretch the pauses of
  // containers that run sequences at the same time.
  const uint32_t now = xGetTime();
  if (!m_Waiting) {
    m_Waiting = 1;
    m_WaitStart = now;
  }
  if (xTimeDiff(m_WaitStart, now) < m_Delay) return 0;
  m_Waiting = 0;
  ++m_SequencePos;
  if (m_pSequence[m_SequencePos] == SAMPLE_SEQUENCE_END) {
    EndSequence();
    return 1;
  }
  Play(m_pSequence[m_SequencePos]);
  return 0;
}

int32_t CSampleContainer::AddCircularBuffer(uint32_t id) {
  if (!m_Enabled || m_QueueCount >= SAMPLE_QUEUE_SIZE) return 0;
  m_Queue[(m_QueueRead + m_QueueCount) % SAMPLE_QUEUE_SIZE] = id;
  ++m_QueueCount;
  return 1;
}

int32_t CSampleContainer::PlayCircularBuffer() {
  if (!m_Enabled || m_QueueCount == 0) return 0;
  if (m_pQueuePlaying && m_pQueuePlaying->IsPlaying()) return 0;
  const uint32_t id = m_Queue[m_QueueRead];
  m_QueueRead = (m_QueueRead + 1) % SAMPLE_QUEUE_SIZE;
  --m_QueueCount;
  m_pQueuePlaying = FindSample(id);
  return m_pQueuePlaying ? m_pQueuePlaying->Start() : 0;
}

void CSampleContainer::StopCircularBuffer() {
  if (m_pQueuePlaying) m_pQueuePlaying->Stop();
  m_pQueuePlaying = nullptr;
  m_QueueRead = 0;
  m_QueueCount = 0;
}
