#include "common/info/translatemessage.h"

#include <cstring>

namespace {
constexpr const char* kOpenTag = "MESSAGEID";
constexpr const char* kCloseTag = "/MESSAGEID";
constexpr size_t kOpenLength = 9;

// The message number between [first, last): decimal digits only, non-zero, at most 2^31 - 1;
// 0 for anything else.
int32_t ReadNumber(const char* first, const char* last) {
  if (first >= last) return 0;
  int64_t value = 0;
  for (const char* p = first; p < last; ++p) {
    if (*p < '0' || *p > '9') return 0;
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) return 0;
  }
  return static_cast<int32_t>(value);
}
}  // namespace

int32_t CTranslateMessage::Load() { return CResData::Load(TRANSLATEMESSAGE_FILE); }

int32_t CTranslateMessage::TranslateMessage(char** text) {
  if (!text || !*text) return 0;
  char* original = *text;
  char* open = strstr(original, kOpenTag);
  if (!open) return 1;
  char* close = strstr(open + kOpenLength, kCloseTag);
  if (!close) return 0;

  // The number sits between the separators after "MESSAGEID" and before "/MESSAGEID".
  const int32_t id = ReadNumber(open + kOpenLength + 1, close - 1);
  if (id) {
    if (const char* local = GetResString(id)) *text = const_cast<char*>(local);
  }
  // What stays shown when no local text was found: the message before its tag.
  close[-1] = '\0';
  if (open > original)
    open[-1] = '\0';
  else
    original[0] = '\0';
  return 1;
}
