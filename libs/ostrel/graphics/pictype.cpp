#include "ostrel/graphics/pictype.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/files/scramble.h"
#include "ostrel/system/globals.h"

namespace {
CPicTypeList* ProcessList() { return glb ? glb->m_pPicTypeList : nullptr; }
}  // namespace

CPicType::CPicType() {
  if (CPicTypeList* list = ProcessList()) list->Register(this);
}

// The list would otherwise keep a pointer to a deleted type.
CPicType::~CPicType() {
  if (CPicTypeList* list = ProcessList()) list->Unregister(this);
}

int32_t CPicType::Load(const char* name, CBitmapBase* bitmap, void* data) {
  if (!name || !xFileExists(name)) return 0;
  CFile file;
  if (!file.Open(name, XFILE_READ | XFILE_BIG)) return 0;
  const int32_t result = Load(&file, bitmap, data);
  file.Close();
  return result;
}

int32_t CPicType::Load(CFile* file, CBitmapBase* bitmap, void* data) {
  if (!file) return 0;
  const int32_t scrambled = xIsFileCrypt(file);
  uint32_t size = 0;
  if (!file->GetSize(&size) || !file->Seek(0, XSEEK_BOUNDSTART)) return 0;
  std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[size ? size : 1]);
  if (!image || !file->Read(image.get(), size)) return 0;
  if (scrambled) {
    size -= XCRYPT_MARKER_LEN;
    xDecrypt(image.get(), size);
  }
  return LoadMemory(image.get(), size, bitmap, data);
}

int32_t CPicType::LoadMemory(const uint8_t* image, uint32_t size, CBitmapBase* bitmap,
                             void* data) {
  if (!bitmap) return 0;
  m_pImage = image;
  m_Pos = 0;
  m_Size = image ? size : 0;
  const int32_t result = Load(bitmap, data);
  m_pImage = nullptr;
  m_Pos = m_Size = 0;
  return result;
}

int32_t CPicType::SizeAllowed(int64_t width, int64_t height) const {
  if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return 0;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= m_MaxPixels ? 1 : 0;
}

int32_t CPicType::Read(void* out, uint32_t count) {
  if (count > Remaining()) return 0;
  if (count) std::memcpy(out, m_pImage + m_Pos, count);
  m_Pos += count;
  return 1;
}

int32_t CPicType::ReadByte(char* out) { return Read(out, 1); }

int32_t CPicType::ReadWord(int16_t* out) {
  uint8_t b[2];
  if (!Read(b, 2)) return 0;
  *out = static_cast<int16_t>((b[0] << 8) | b[1]);
  return 1;
}

int32_t CPicType::Seek(int64_t offset, int32_t mode) {
  const int64_t target = mode == PIC_SEEK_SET ? offset : static_cast<int64_t>(m_Pos) + offset;
  if (target < 0 || target > static_cast<int64_t>(m_Size)) return 0;
  m_Pos = static_cast<uint32_t>(target);
  return 1;
}

int32_t CPicTypeList::Register(CPicType* type) { return type && InsertLast(type) ? 1 : 0; }

int32_t CPicTypeList::Unregister(CPicType* type) { return DeleteItem(type); }

int32_t CPicTypeList::UnregisterAll() {
  KillAll();
  return 1;
}

CPicType* CPicTypeList::GetDesc(const char** extension, const char** description) {
  auto* type = static_cast<CPicType*>(Get());
  if (type) type->GetDesc(extension, description);
  return type;
}

void CPicTypeList::SetMaxPixels(uint64_t pixels) {
  for (CNode* n = HeadNode(); n; n = n->m_pNext)
    if (auto* type = static_cast<CPicType*>(n->m_pData)) type->SetMaxPixels(pixels);
}

CPicType* CPicTypeList::GetType(const char* name) {
  const char* dot = name ? xStrrchr(name, '.') : nullptr;
  if (!dot) return nullptr;
  for (CNode* n = HeadNode(); n; n = n->m_pNext) {
    auto* type = static_cast<CPicType*>(n->m_pData);
    if (type && type->IsType(name, dot + 1)) return type;
  }
  return nullptr;
}
