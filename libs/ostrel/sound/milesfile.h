// Sound file images and their process-wide cache. A file is read once, unscrambled and converted
// into the form the output plays (PCM wave for effects, standard MIDI for music); every further
// load of the same name (in any case) shares the cached image. Images nobody uses stay cached
// for five minutes.
#pragma once

#include <cstdint>

class CMilesCachedFile {
 public:
  // Takes over name copies and the image (freed with xFree).
  CMilesCachedFile(int32_t type, const char* name, const char* buddyName, void* image, uint32_t size);
  ~CMilesCachedFile();
  CMilesCachedFile(const CMilesCachedFile&) = delete;
  CMilesCachedFile& operator=(const CMilesCachedFile&) = delete;

  void* GetImage() const { return m_pImage; }
  uint32_t GetImageSize() const { return m_ImageSize; }
  int32_t GetFileType() const { return m_Type; }
  const char* GetFileName() const { return m_pName; }
  // The instrument set the image needs; none of the files playable here brings one.
  const char* GetBuddyName() const { return m_pBuddyName; }
  int32_t GetReferenceCounter() const { return m_References; }
  void IncReferenceCounter() { ++m_References; }
  // Notes the time when the counter reaches 0.
  void DecReferenceCounter();
  uint32_t GetRefZeroTimeStamp() const { return m_ZeroTime; }

 private:
  int32_t m_Type;
  char* m_pName;
  char* m_pBuddyName;
  void* m_pImage;
  uint32_t m_ImageSize;
  int32_t m_References = 0;
  uint32_t m_ZeroTime = 0;
};

class CMilesFile {
 public:
  CMilesFile();
  // The last CMilesFile of the process empties the cache of unused images.
  ~CMilesFile();
  CMilesFile(const CMilesFile&) = delete;
  CMilesFile& operator=(const CMilesFile&) = delete;

  // Drops the current file and loads the name through the cache; 1 when an image was obtained.
  int32_t Load(const char* name);
  // Shares the other's cached file; 1 when that gives an image.
  int32_t Clone(CMilesFile* other);
  void Unload();

  void* GetImage() const;
  uint32_t GetImageSize() const;
  int32_t GetFileType() const;
  void* GetImageBuddy() const;
  uint32_t GetImageSizeBuddy() const;

  // Deletes unused images: unless forced, at most every 30 s and only those unused for 5 minutes.
  static void SweepCache(int32_t force);

 private:
  CMilesCachedFile* m_pCached = nullptr;
  CMilesCachedFile* m_pBuddy = nullptr;
};
