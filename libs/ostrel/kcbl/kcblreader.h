// Reads keyword/chunk text one logical line at a time into item parts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/kcbl/kcblbuffer.h"
#include "ostrel/kcbl/kcbltree.h"

class CKCBLReader {
 public:
  // text need not end with a NUL; length bytes are read.
  CKCBLReader(const char* text, size_t length, CKCBLBuffer& buffer);

  // Reads the logical line at the current position (with its raw text when it is a "[" line);
  // then the position stands after one CR and one LF behind it. The parts stay valid until the
  // next call. 0 when the line is malformed or memory runs out.
  int32_t ReadLine(SKCBLItemParts* parts);
  bool AtEnd() const { return m_p >= m_End; }

 private:
  bool Reserve(const unsigned char* from, size_t extra);
  const unsigned char* NextSignificant(const unsigned char* p);
  bool ReadQuoted();
  void StartValue(uint8_t kind);
  void EndString();
  void CloseArray(bool moreFollow);
  void CopyToLineEnd();
  bool ReadRaw(uint32_t indent, const unsigned char* lineEnd);

  const unsigned char* m_p;
  const unsigned char* m_End;
  CKCBLBuffer& m_Buf;
  char* m_o = nullptr;  // output cursor in m_Buf
  // The last look-ahead over blank space; lines of nothing but line ends reuse it.
  const unsigned char* m_SkipFrom = nullptr;
  const unsigned char* m_SkipTo = nullptr;

  // State of the line being read.
  bool m_InArray = false;
  bool m_BracePending = false;  // a "}" stored in an array that a separator may take back
  bool m_ArrayAny = false;      // the array has an element (text, quotes or a separator)
  bool m_ValueAny = false;      // the string in progress has text or quotes
  bool m_ValueQuoted = false;
  uint32_t m_Separators = 0;    // element separators of the open array
};
