// Binary files with a declared byte order for their numbers and optional bounds that make a
// stretch of the file look like a whole file. Every file access of the system goes through here.
#pragma once

#include <cstdint>
#include <cstdio>

// Progress of long file work: (done, total, first); first is 1 on the opening report of a run.
using TFileProgressFunc = void (*)(int32_t done, int32_t total, int32_t first);

// Open flags.
inline constexpr int32_t XFILE_READ = 0x01;
inline constexpr int32_t XFILE_WRITE = 0x02;     // created or emptied
inline constexpr int32_t XFILE_UPDATE = 0x04;    // read and write an existing file
inline constexpr int32_t XFILE_APPEND = 0x08;
inline constexpr int32_t XFILE_LITTLE = 0x20;    // numbers little-endian
inline constexpr int32_t XFILE_BIG = 0x40;       // numbers big-endian
inline constexpr int32_t XFILE_MAKEDIRS = 0x100; // with WRITE or UPDATE: create missing folders

// Seek modes. XSEEK_RAW added to XSEEK_BOUNDSTART or XSEEK_BOUNDEND ignores the bounds.
inline constexpr int16_t XSEEK_BOUNDSTART = 1;
inline constexpr int16_t XSEEK_CURRENT = 2;
inline constexpr int16_t XSEEK_BOUNDEND = 4;
inline constexpr int16_t XSEEK_RAW = 0x80;

class CFileBase {
 public:
  virtual int32_t Open(const char* path, int32_t flags) = 0;
  virtual int32_t Read(void* buf, uint32_t n) = 0;
  virtual int32_t SetFileBounds(uint32_t start, uint32_t size) = 0;
  virtual int32_t Write(const void* buf, uint32_t n) = 0;
  virtual int32_t ReadByte(signed char* b) = 0;
  virtual int32_t WriteByte(signed char b) = 0;
  virtual int32_t ReadWord(int16_t* w) = 0;
  virtual int32_t WriteWord(int16_t w) = 0;
  virtual int32_t ReadLong(int32_t* l) = 0;
  virtual int32_t WriteLong(int32_t l) = 0;
  virtual int32_t ReadFloat(float* f) = 0;
  virtual int32_t WriteFloat(float f) = 0;
  virtual int32_t ReadDouble(double* d) = 0;
  virtual int32_t WriteDouble(double d) = 0;
  virtual int32_t Seek(int32_t offset, int16_t mode) = 0;
  virtual int32_t GetPos(uint32_t* pos, int32_t mode) = 0;
  virtual int32_t GetSize(uint32_t* size) = 0;
  virtual int32_t ReadString(char* buf, int32_t n) = 0;
  virtual int32_t Print(const char* format, ...) = 0;
  virtual int32_t Close() = 0;
  virtual ~CFileBase() = default;
};

class CFile : public CFileBase {
 public:
  CFile();
  ~CFile() override;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  int32_t Open(const char* path, int32_t flags) override;
  int32_t Read(void* buf, uint32_t n) override;
  int32_t SetFileBounds(uint32_t start, uint32_t size) override;
  int32_t Write(const void* buf, uint32_t n) override;
  int32_t ReadByte(signed char* b) override;
  int32_t WriteByte(signed char b) override;
  int32_t ReadWord(int16_t* w) override;
  int32_t WriteWord(int16_t w) override;
  int32_t ReadLong(int32_t* l) override;
  int32_t WriteLong(int32_t l) override;
  int32_t ReadFloat(float* f) override;
  int32_t WriteFloat(float f) override;
  int32_t ReadDouble(double* d) override;
  int32_t WriteDouble(double d) override;
  int32_t Seek(int32_t offset, int16_t mode) override;
  int32_t GetPos(uint32_t* pos, int32_t mode) override;
  int32_t GetSize(uint32_t* size) override;
  // One line as fgets reads it (newline kept); the length read, 0 at the end of the file and
  // when n leaves no room for a character.
  int32_t ReadString(char* buf, int32_t n) override;
  [[gnu::format(printf, 2, 3)]] int32_t Print(const char* format, ...) override;
  int32_t Close() override;

  int32_t IsOpen() const { return m_pStream != nullptr; }
  // Positions on an absolute file offset; offsets beyond 2 GiB that Seek cannot express.
  int32_t SeekRaw(uint64_t pos);
  // Pushes buffered writes to the file, so their failure shows now.
  int32_t Flush();

 protected:
  FILE* m_pStream = nullptr;
  uint8_t m_HostOrder;  // XFILE_LITTLE or XFILE_BIG
  uint8_t m_Swap = 0;
  uint32_t m_BoundStart = 0;
  uint32_t m_BoundSize = 0;

 private:
  // An update stream needs a positioning call between a write and a read.
  enum class ELastOp : uint8_t { None, Read, Write };
  void Before(ELastOp op);
  int32_t ReadSwapped(void* v, uint32_t n);
  int32_t WriteSwapped(const void* v, uint32_t n);
  ELastOp m_LastOp = ELastOp::None;
};
