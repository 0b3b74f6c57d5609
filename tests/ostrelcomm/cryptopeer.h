// What the tests of the enciphered links check against: OpenSSL's own Blowfish-CBC (through its
// legacy provider), the openssl program as a TLS peer, throwaway certificates made by it, and
// socket pairs to run both ends of a link in one process.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/tempdir.h"

using Bytes = std::vector<uint8_t>;

// Blowfish-CBC with a zero IV and no padding; the chain runs on from one call to the next.
class CRefBlowfishCbc {
 public:
  CRefBlowfishCbc(const uint8_t* key, size_t keySize, bool encrypt);
  ~CRefBlowfishCbc();
  CRefBlowfishCbc(const CRefBlowfishCbc&) = delete;
  CRefBlowfishCbc& operator=(const CRefBlowfishCbc&) = delete;
  // data.size() must be a multiple of 8.
  Bytes Run(const Bytes& data);

 private:
  struct SImpl;
  std::unique_ptr<SImpl> m_p;
};

// A connected pair of non-blocking stream sockets; both closed at the end.
struct SSocketPair {
  SSocketPair();
  ~SSocketPair();
  SSocketPair(const SSocketPair&) = delete;
  SSocketPair& operator=(const SSocketPair&) = delete;
  void Close(int side);
  // Shrinks both buffers so that writes stop early.
  void SetSmallBuffers();
  int fd[2] = {-1, -1};
};

// Writes all of it (waiting as needed).
void WriteAll(int fd, const void* data, size_t size);
void WriteAll(int fd, const Bytes& data);
// Whatever can be read now, without waiting.
Bytes ReadAvailable(int fd);
// Exactly size bytes, waiting at most ms for them; fewer when they do not come.
Bytes ReadExactly(int fd, size_t size, int ms = 5000);

// Runs a program (looked up on PATH) to its end with its output dropped; the exit code.
int RunProgram(const std::vector<std::string>& args);

// A self-signed certificate and its key for "localhost", made by openssl, plus a second key that
// does not belong to it and the key again under a pass phrase.
class CTestCertificate {
 public:
  CTestCertificate();
  bool Made() const { return m_Made; }
  std::string Certificate() const { return m_Dir.File("cert.pem"); }
  std::string Key() const { return m_Dir.File("key.pem"); }
  std::string OtherKey() const { return m_Dir.File("other.pem"); }
  // The key enciphered under the pass phrase.
  std::string EncryptedKey(const std::string& passPhrase);

 private:
  CTempDir m_Dir;
  bool m_Made = false;
  int m_Encrypted = 0;
};

// Waits until something listens on 127.0.0.1:port (without connecting to it), at most ms.
bool WaitForListener(uint16_t port, int ms = 10000);

// A TCP relay on 127.0.0.1 in a thread of its own: takes one connection and joins it to the
// target port, passing every byte on in segments of the given size (1: one byte per segment).
// An orderly end on one side is passed on as such; a reset or error drops both.
class CSegmentRelay {
 public:
  CSegmentRelay(uint16_t target, size_t segment = 1);
  ~CSegmentRelay();
  CSegmentRelay(const CSegmentRelay&) = delete;
  CSegmentRelay& operator=(const CSegmentRelay&) = delete;
  uint16_t Port() const { return m_Port; }
  // Everything that went from the connecting side to the target so far.
  Bytes Upstream();

 private:
  struct SImpl;
  std::unique_ptr<SImpl> m_p;
  uint16_t m_Port = 0;
};
