#include "ostrel/sound/milesfile.h"

#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/files/scramble.h"
#include "ostrel/sound/soundstate.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "platform/sound/soundfile.h"

namespace {
constexpr uint32_t kSweepInterval = 30000;
constexpr uint32_t kUnusedLifetime = 300000;
// A sound file larger than this is refused rather than read.
constexpr uint32_t kMaxSoundFile = 256u << 20;

CMilesCachedFile* FindCached(const char* name) {
  CLList& cache = xSoundState().cache;
  for (CNode* n = cache.HeadNode(); n; n = n->m_pNext) {
    auto* entry = static_cast<CMilesCachedFile*>(n->m_pData);
    if (xStricmp(entry->GetFileName(), name) == 0) return entry;
  }
  return nullptr;
}

void* ReadWhole(const char* name, uint32_t& size) {
  size = 0;
  uint32_t fileSize = 0;
  if (!xFileSize(name, &fileSize) || fileSize == 0 || fileSize == XNONE32) return nullptr;
  if (fileSize > kMaxSoundFile) {
    xprintf("CMilesFile::Load: '%s' is too large (%u bytes)\n", name, fileSize);
    return nullptr;
  }
  void* data = ::operator new(fileSize, std::nothrow);
  if (!data) return nullptr;
  if (!xReadFile(name, data, fileSize)) {
    xFree(data);
    return nullptr;
  }
  size = fileSize;
  return data;
}

// Turns the file as read into what the output plays; frees what it replaces. False (with the
// image freed) when the file is of no playable kind.
bool Convert(void*& image, uint32_t& size, int32_t& type) {
  type = SoundFileType(image, size);
  void* converted = nullptr;
  uint32_t convertedSize = 0;
  switch (type) {
    case SOUNDFILE_PCM_WAVE:
    case SOUNDFILE_MIDI:
      return true;
    case SOUNDFILE_ADPCM_WAVE: {
      SWaveInfo info;
      if (SoundWaveInfo(image, size, info) && info.format == WAVE_FORMAT_IMA_ADPCM)
        converted = SoundDecodeImaAdpcm(image, size, &convertedSize);
      break;
    }
    case SOUNDFILE_MPEG_LAYER3: {
      CSoundDevice* device = xSoundDevice();
      if (device && !device->DecodeToWave(image, size, &converted, &convertedSize)) converted = nullptr;
      break;
    }
    default:
      break;
  }
  xFree(image);
  image = converted;
  size = convertedSize;
  type = SOUNDFILE_PCM_WAVE;
  return converted != nullptr;
}
}  // namespace

CMilesCachedFile::CMilesCachedFile(int32_t type, const char* name, const char* buddyName, void* image,
                                   uint32_t size)
    : m_Type(type),
      m_pName(xStrdup(name)),
      m_pBuddyName(buddyName ? xStrdup(buddyName) : nullptr),
      m_pImage(image),
      m_ImageSize(size) {}

CMilesCachedFile::~CMilesCachedFile() {
  xFree(m_pName);
  xFree(m_pBuddyName);
  xFree(m_pImage);
}

void CMilesCachedFile::DecReferenceCounter() {
  if (m_References > 0 && --m_References == 0) m_ZeroTime = xGetTime();
}

CMilesFile::CMilesFile() { ++xSoundState().fileCount; }

CMilesFile::~CMilesFile() {
  Unload();
  if (--xSoundState().fileCount == 0) SweepCache(1);
}

int32_t CMilesFile::Load(const char* name) {
  Unload();
  if (!name || !*name) return 0;

  if (CMilesCachedFile* hit = FindCached(name)) {
    hit->IncReferenceCounter();
    m_pCached = hit;
    if (hit->GetBuddyName() && (m_pBuddy = FindCached(hit->GetBuddyName()))) m_pBuddy->IncReferenceCounter();
    return 1;
  }

  uint32_t size = 0;
  void* image = ReadWhole(name, size);
  if (!image) return 0;
  if (xIsCrypt(image, size)) {
    xDecrypt(image, size);
    size -= XCRYPT_MARKER_LEN;  // the marker is no part of the sound
  }
  int32_t type = SOUNDFILE_UNKNOWN;
  if (!Convert(image, size, type)) {
    xprintf("CMilesFile::Load: '%s' is no sound file that can be played\n", name);
    return 0;
  }
  auto* entry = new CMilesCachedFile(type, name, nullptr, image, size);
  xSoundState().cache.InsertLast(entry);
  entry->IncReferenceCounter();
  m_pCached = entry;
  return 1;
}

int32_t CMilesFile::Clone(CMilesFile* other) {
  if (other == this) return GetImage() != nullptr;
  Unload();
  if (!other) return 0;
  m_pCached = other->m_pCached;
  m_pBuddy = other->m_pBuddy;
  if (m_pCached) m_pCached->IncReferenceCounter();
  if (m_pBuddy) m_pBuddy->IncReferenceCounter();
  return GetImage() != nullptr;
}

void CMilesFile::Unload() {
  if (!m_pCached && !m_pBuddy) return;
  if (m_pCached) m_pCached->DecReferenceCounter();
  if (m_pBuddy) m_pBuddy->DecReferenceCounter();
  m_pCached = nullptr;
  m_pBuddy = nullptr;
  SweepCache(0);
}

void* CMilesFile::GetImage() const { return m_pCached ? m_pCached->GetImage() : nullptr; }
uint32_t CMilesFile::GetImageSize() const { return m_pCached ? m_pCached->GetImageSize() : 0; }
int32_t CMilesFile::GetFileType() const { return m_pCached ? m_pCached->GetFileType() : 0; }
void* CMilesFile::GetImageBuddy() const { return m_pBuddy ? m_pBuddy->GetImage() : nullptr; }
uint32_t CMilesFile::GetImageSizeBuddy() const { return m_pBuddy ? m_pBuddy->GetImageSize() : 0; }

void CMilesFile::SweepCache(int32_t force) {
  SSoundState& s = xSoundState();
  const uint32_t now = xGetTime();
  if (!force && s.swept && xTimeDiff(s.lastSweep, now) < kSweepInterval) return;
  s.swept = 1;
  s.lastSweep = now;
  const auto unused = xTakeFromList<CMilesCachedFile>(s.cache, [&](CMilesCachedFile* entry) {
    return entry->GetReferenceCounter() == 0 &&
           (force || xTimeDiff(entry->GetRefZeroTimeStamp(), now) >= kUnusedLifetime);
  });
  for (CMilesCachedFile* entry : unused) delete entry;
}
