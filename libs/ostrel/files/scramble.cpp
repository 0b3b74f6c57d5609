#include "ostrel/files/scramble.h"

#include "ostrel/files/file.h"

namespace {
constexpr uint8_t kKey = 0x6B;
constexpr char kMarker[] = "XICRYPTEDFILE";
static_assert(sizeof kMarker - 1 == XCRYPT_MARKER_LEN);
}  // namespace

void xDecrypt(void* data, uint32_t len) {
  uint8_t* p = static_cast<uint8_t*>(data);
  if (!p) return;
  for (uint32_t i = 0; i < len; ++i) p[i] ^= kKey;
}

int32_t xIsCrypt(const void* data, uint32_t len) {
  if (!data || len < XCRYPT_MARKER_LEN) return 0;
  const uint8_t* tail = static_cast<const uint8_t*>(data) + len - XCRYPT_MARKER_LEN;
  for (uint32_t i = 0; i < XCRYPT_MARKER_LEN; ++i)
    if ((tail[i] ^ kKey) != static_cast<uint8_t>(kMarker[i])) return 0;
  return 1;
}

int32_t xIsFileCrypt(CFile* file) {
  if (!file) return 0;
  uint8_t tail[XCRYPT_MARKER_LEN];
  // A short stretch would have the test read bytes in front of the bounds.
  uint32_t size = 0;
  if (!file->GetSize(&size) || size < XCRYPT_MARKER_LEN) return 0;
  if (!file->Seek(-static_cast<int32_t>(XCRYPT_MARKER_LEN), XSEEK_BOUNDEND)) return 0;
  if (!file->Read(tail, XCRYPT_MARKER_LEN)) return 0;
  if (!file->Seek(0, XSEEK_BOUNDSTART)) return 0;
  return xIsCrypt(tail, XCRYPT_MARKER_LEN);
}
