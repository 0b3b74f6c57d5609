// The scrambled copy that the install builder writes for files the host wants hidden.
#include <cstring>
#include <memory>
#include <new>

#include "common/updater/fversionbuild.h"
#include "common/updater/fvreplace.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/files/scramble.h"

namespace {
constexpr char kMarker[] = "XICRYPTEDFILE";
static_assert(sizeof kMarker - 1 == XCRYPT_MARKER_LEN);
// Room for the marker behind the contents within a 32-bit size.
constexpr uint32_t kMaxSource = UINT32_MAX - XCRYPT_MARKER_LEN;
}  // namespace

int32_t FVersion_WriteScrambledCopy(const char* source, const char* target) {
  uint32_t size = 0;
  if (!source || !target || !xFileSize(source, &size) || size > kMaxSource) return 0;
  const uint32_t total = size + XCRYPT_MARKER_LEN;
  std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[total]);
  if (!image || (size && !xReadFile(source, image.get(), size))) return 0;
  std::memcpy(image.get() + size, kMarker, XCRYPT_MARKER_LEN);
  // The same XOR both ways: the runtime's reader undoes it with this call.
  xDecrypt(image.get(), total);
  CFVReplacement replacement;
  return replacement.Begin(target) && xWriteFile(replacement.TempPath(), image.get(), total) && replacement.Commit()
             ? 1
             : 0;
}
