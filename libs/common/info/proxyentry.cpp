#include "common/info/proxyentry.h"

#include <optional>
#include <string_view>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcblnumbers.h"

namespace {
constexpr std::string_view kOpen = "([";
constexpr std::string_view kClose = "])";

// The text between the first "([" and the first "])" after it.
std::optional<std::string_view> Body(std::string_view description) {
  const size_t open = description.find(kOpen);
  if (open == std::string_view::npos) return std::nullopt;
  const size_t start = open + kOpen.size();
  const size_t close = description.find(kClose, start);
  if (close == std::string_view::npos) return std::nullopt;
  return description.substr(start, close - start);
}

// The values of the first entry called name: the text after its "=" up to its ";" or the body's end.
std::optional<std::string_view> EntryValues(std::string_view body, std::string_view name) {
  while (!body.empty()) {
    const size_t end = body.find(';');
    const std::string_view entry = body.substr(0, end);
    const size_t equals = entry.find('=');
    if (equals != std::string_view::npos && entry.substr(0, equals) == name) return entry.substr(equals + 1);
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + 1);
  }
  return std::nullopt;
}

std::optional<std::string_view> Value(std::string_view values, int32_t index) {
  for (int32_t i = 0; i < index; ++i) {
    const size_t comma = values.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    values.remove_prefix(comma + 1);
  }
  return values.substr(0, values.find(','));
}

std::optional<std::string_view> FindValue(const char* description, const char* name, int32_t index) {
  if (!description || !name || !*name || index < 0) return std::nullopt;
  const auto body = Body(description);
  if (!body) return std::nullopt;
  const auto values = EntryValues(*body, name);
  if (!values) return std::nullopt;
  return Value(*values, index);
}
}  // namespace

int32_t GetProxyEntryText(const char* description, const char* name, int32_t index, char** text) {
  if (!text) return 0;
  *text = nullptr;
  const auto value = FindValue(description, name, index);
  if (!value) return 0;
  *text = xStrndup(value->data(), value->size());
  return *text ? 1 : 0;
}

int32_t GetProxyEntryLong(const char* description, const char* name, int32_t index, int32_t* value) {
  if (!value) return 0;
  char* text = nullptr;
  if (!GetProxyEntryText(description, name, index, &text)) return 0;
  const int32_t read = xKCBLParseLong(text, value);
  xFree(text);
  return read;
}
