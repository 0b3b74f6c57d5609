// The manager process's plain texts reach a table server over a raw link. Splits the input; what
// splits must rebuild into a text that splits to the same command and data strings.
#include <cstdint>
#include <string>
#include <vector>

#include "common/tables/managertext.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > MANAGER_TEXT_MAX + 16) return 0;
  SManagerText message;
  if (!SplitManagerText(data, static_cast<uint32_t>(size), message)) {
    Check(message.m_Code == MANAGER_MSG_UNKNOWN && message.m_Strings.empty());
    return 0;
  }
  Check(message.m_Code == ManagerMessageCode(message.m_Command.data(), message.m_Command.size()));
  std::vector<const char*> strings;
  for (const std::string& s : message.m_Strings) {
    Check(!s.empty() && s.find(static_cast<char>(MANAGER_SEPARATOR)) == std::string::npos);
    Check(s.find('\0') == std::string::npos);
    strings.push_back(s.c_str());
  }
  std::string text;
  if (!BuildManagerText(message.m_Command.c_str(), strings.data(), strings.size(), text)) return 0;
  SManagerText again;
  Check(SplitManagerText(text.data(), static_cast<uint32_t>(text.size()), again) == 1);
  Check(again.m_Code == message.m_Code && again.m_Command == message.m_Command && again.m_Strings == message.m_Strings);
  return 0;
}
