// What an info server answers, read from the raw text it sent: the server addresses with the
// proxy configuration and the configuration tail, the file map's size, and the verdict on a
// connection. Every reader takes the packet as it came (its text ends at the first NUL or at the
// packet's end) and never reads or writes past it or past a field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An address or port of the answer: 99 characters and the NUL. A longer value makes the whole
// answer invalid rather than being cut.
inline constexpr size_t INFO_FIELD_SIZE = 100;
// The proxy configuration: 255 characters and the NUL; a longer one is dropped.
inline constexpr size_t INFO_PROXY_CONFIG_SIZE = 256;
// Refusal text, update message and login message are cut to this many characters.
inline constexpr size_t INFO_MESSAGE_MAX = 1024;
// The largest file map a server may announce, and the largest module list it may expand to.
inline constexpr uint32_t INFO_FILEMAP_MAX_PACKED = 16u * 1024u * 1024u;
inline constexpr uint32_t INFO_FILEMAP_MAX_EXPANDED = 64u * 1024u * 1024u;

struct SInfoAnswer {
  char m_CasinoIp[INFO_FIELD_SIZE];
  char m_CasinoPort[INFO_FIELD_SIZE];
  char m_ChatIp[INFO_FIELD_SIZE];
  char m_ChatPort[INFO_FIELD_SIZE];
  char m_CashierIp[INFO_FIELD_SIZE];
  char m_CashierPort[INFO_FIELD_SIZE];
  char m_ProxyConfig[INFO_PROXY_CONFIG_SIZE];
  bool m_HasUpdateMessage;
  std::string m_UpdateMessage;
  bool m_HasLoginMessage;
  std::string m_LoginMessage;
};

// The answer to "RequestInfo": three pairs "key = address,port" separated by ";" (casino, chat,
// cashier), then optionally "([proxy configuration])" and behind it a tail holding "normalconf="
// with "updatemessage=..." and "lmessage=..." (each value up to the next "," or the end). 1 and
// *out filled when the text is an answer; 0 (and *out cleared) when it is none, which the request
// treats as nothing received.
int32_t xParseInfoAnswer(const char* data, size_t size, SInfoAnswer* out);

enum : int32_t {
  INFO_FILESIZE_NONE = 0,   // not an answer: keep waiting
  INFO_FILESIZE_SKIP = 1,   // "Skip": the local list is current
  INFO_FILESIZE_GIVEN = 2,  // "Filesize = n" with n in 0..INFO_FILEMAP_MAX_PACKED
};
// The first answer to "RequestFileMap". The size is plain decimal digits (white space may follow);
// a sign, other characters or a value above the cap make the text no answer.
int32_t xParseFileSizeAnswer(const char* data, size_t size, uint32_t* fileSize);

enum : int32_t {
  INFO_CONNECTION_NONE = 0,
  INFO_CONNECTION_ACCEPTED = 1,
  INFO_CONNECTION_REFUSED = 2,
};
// The answer to "RequestConnection": "key = Accepted" or "key = Refused = text". A refusal's text
// (empty when none follows) goes to *refusal, cut to INFO_MESSAGE_MAX characters.
int32_t xParseConnectionAnswer(const char* data, size_t size, std::string* refusal);

// The file map as it came in its raw packet, announced as announced bytes: 1 and the expanded
// module list in *text when the packet has exactly that length, at least 2 bytes, and is a whole
// LZSS stream of at most INFO_FILEMAP_MAX_EXPANDED bytes. 0 otherwise (*text is emptied).
int32_t xExpandFileMap(const void* data, uint32_t size, uint32_t announced, std::vector<char>* text);
