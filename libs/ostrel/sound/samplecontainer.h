// A set of samples by numeric id, played one at a time: as sequences of ids with a pause between
// entries, or from a queue of up to 32 ids. The owner calls PlaySequence and PlayCircularBuffer
// once a frame.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/containers/avltree.h"

class CMilesSample;

// Ends a sequence of ids.
inline constexpr uint32_t SAMPLE_SEQUENCE_END = 0xFFFFFFFFu;
inline constexpr int32_t SAMPLE_QUEUE_SIZE = 32;

struct CSampleContainerItem {
  CMilesSample* m_pSample;  // owned
  uint32_t m_Id;
};

class CSampleContainer {
 public:
  // delay: ms between the end of one sequence entry and the start of the next.
  explicit CSampleContainer(uint32_t delay = 0);
  ~CSampleContainer();
  CSampleContainer(const CSampleContainer&) = delete;
  CSampleContainer& operator=(const CSampleContainer&) = delete;

  // 1 at once when the id exists; 0 for a null file or a failed load.
  int32_t Load(uint32_t id, const char* file);
  // 1 without playing while disabled; 0 for an unknown id.
  int32_t Play(uint32_t id, int32_t loop = 0, int32_t wait = 0);
  int32_t IsPlaying(uint32_t id);
  int32_t Stop(uint32_t id);
  CMilesSample* FindSample(uint32_t id);

  void Enable(int32_t on) { m_Enabled = on; }
  int32_t IsEnabled() const { return m_Enabled; }
  // Volume 0..255 and pan -128..127, applied to every sample when they change.
  void SetVolume(int32_t volume);
  int32_t GetVolume() const { return m_Volume; }
  void SetPan(int16_t pan);
  int16_t GetPan() const { return m_Pan; }

  // Plays the caller's ids (ended by SAMPLE_SEQUENCE_END; the caller keeps the array).
  int32_t StartSequence(const uint32_t* ids);
  // Capacity of the container's own sequence, the end mark included (10 by default).
  void SetSequenceSize(int32_t size);
  // Appends to the own sequence; 0 when it is full.
  int32_t AddSample(uint32_t id);
  int32_t StartInternalSequence();
  // One step of the running sequence: 1 when there is none or it has ended, else 0.
  int32_t PlaySequence();

  // Queues an id while enabled (at most 32 wait); 0 when refused.
  int32_t AddCircularBuffer(uint32_t id);
  // Starts the next queued id once the queued sample playing has ended; 1 when one started.
  int32_t PlayCircularBuffer();
  void StopCircularBuffer();

 private:
  CSampleContainerItem* FindItem(uint32_t id);
  void EndSequence();

  CAvlBinaryTree m_Items;
  uint32_t m_Queue[SAMPLE_QUEUE_SIZE] = {};
  int32_t m_QueueRead = 0;
  int32_t m_QueueCount = 0;
  CMilesSample* m_pQueuePlaying = nullptr;

  const uint32_t* m_pSequence = nullptr;
  int32_t m_SequencePos = 0;
  int32_t m_SequenceOwned = 0;  // the sequence is m_OwnSequence
  std::vector<uint32_t> m_OwnSequence;  // ids and the end mark; empty until first used
  int32_t m_Capacity = 10;
  uint32_t m_Delay;
  int32_t m_Waiting = 0;  // the pause after an entry has begun
  uint32_t m_WaitStart = 0;

  int32_t m_Volume = 255;
  int16_t m_Pan = 0;
  int32_t m_Enabled = 1;
};
