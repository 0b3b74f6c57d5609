// A one-way request/answer channel between processes: a server Creates the channel and Writes one
// answer each time a client asks; a client Opens it and each Read asks for one answer. Every
// operation answers 1 or 0.
#pragma once

#include <cstdint>

class CNamedPipeBase {
 public:
  virtual ~CNamedPipeBase() = default;

  // Server side: makes the channel (closing what the object held first).
  virtual int Create(const char* name, uint32_t timeout) = 0;
  // Client side: opens an existing channel (closing what the object held first); timeout is the
  // longest wait for each answer in ms.
  virtual int Open(const char* name, uint32_t timeout) = 0;
  virtual int Close() = 0;
  // Server side: hands out one answer of at most 1020 bytes.
  virtual int Write(const void* data, uint32_t size) = 0;
  // Client side: asks for one answer and copies it out when it fits in size bytes; got is set only
  // on success.
  virtual int Read(void* buffer, uint32_t size, uint32_t& got) = 0;
  // Server side: 1 when a client asked within the timeout.
  virtual int ClientReading() = 0;
};
