// What the chat client does with a line before it goes out: the commands it carries out itself
// and the lines it sends.
#include <string>

#include "common/chat/chatclient.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/file.h"

namespace {

enum class ELocal { None, SaveLog, Ignore, Unignore, ListIgnores };

struct SLocalWord {
  const char* m_pWord;
  ELocal m_Command;
};

// A typed word names a command when it begins with the command's word.
constexpr SLocalWord kLocalWords[] = {
    {"savelog", ELocal::SaveLog},
    {"ignore", ELocal::Ignore},
    {"unignore", ELocal::Unignore},
    {"listignores", ELocal::ListIgnores},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

std::string PlainWord(const char* p) {
  const char* end = p;
  while (*end && !IsBlank(*end)) ++end;
  return std::string(p, end);
}

// A command's argument: the next word, or the text between quotes (a name may hold blanks),
// cut to the longest name a command takes.
std::string Argument(const char* p) {
  p = SkipBlanks(p);
  std::string word;
  if (*p == '"') {
    const char* end = ++p;
    while (*end && *end != '"') ++end;
    word.assign(p, end);
  } else {
    word = PlainWord(p);
  }
  if (word.size() > CHAT_MAX_COMMAND_NAME) word.resize(CHAT_MAX_COMMAND_NAME);
  return word;
}

ELocal LocalCommandOf(const std::string& word) {
  for (const SLocalWord& w : kLocalWords)
    if (xStrnicmp(word.c_str(), w.m_pWord, xStrlen(w.m_pWord)) == 0) return w.m_Command;
  return ELocal::None;
}

}  // namespace

int32_t CChatClient::SendText(const char* text, int32_t fromProgram) {
  if (!text || !*text) return 0;
  if (text[0] == '/' && LocalCommand(text)) return 1;
  if (m_IgnoreAll) {
    ShowLine(CHAT_STYLE_CLIENT, "Ignore all is active.");
    return 0;
  }
  std::string line = text;
  // What the player types never reaches the server as a command.
  if (fromProgram != 1 && line[0] == '/') line[0] = ' ';
  return QueueCommand(line);
}

int32_t CChatClient::LocalCommand(const char* text) {
  const char* p = SkipBlanks(text + 1);
  const std::string word = PlainWord(p);
  const ELocal command = LocalCommandOf(word);
  const std::string argument = Argument(p + word.size());
  switch (command) {
    case ELocal::None:
      return 0;
    case ELocal::SaveLog:
      SaveLog(argument);
      break;
    case ELocal::Ignore:
      IgnoreCommand(argument);
      break;
    case ELocal::Unignore:
      UnignoreCommand(argument);
      break;
    case ELocal::ListIgnores:
      ListIgnores();
      break;
  }
  return 1;
}

void CChatClient::SaveLog(const std::string& file) {
  CFile out;
  bool saved = !file.empty() && out.Open(file.c_str(), XFILE_WRITE);
  for (const SDisplayLine& line : m_DisplayLines) {
    if (!saved) break;
    saved = out.Write(line.m_Text.data(), static_cast<uint32_t>(line.m_Text.size())) && out.Write("\n", 1);
  }
  if (out.IsOpen() && !out.Close()) saved = false;
  ShowLine(CHAT_STYLE_CLIENT, saved ? "Log file saved to \"" + file + "\"" : std::string("Unable to save log file"));
}

void CChatClient::IgnoreCommand(const std::string& name) {
  if (name.empty()) return;
  if (IsIgnored(name.c_str())) {
    ShowLine(CHAT_STYLE_CLIENT, "\"" + name + "\" is allready in the ignore list");
    return;
  }
  m_Ignored.push_back(name);
  ShowFormatted(m_IgnoreAddedFormat, name);
  m_UsersChanged = 1;
}

void CChatClient::UnignoreCommand(const std::string& name) {
  if (name.empty()) return;
  for (auto it = m_Ignored.begin(); it != m_Ignored.end(); ++it) {
    if (*it != name) continue;
    m_Ignored.erase(it);
    ShowFormatted(m_IgnoreRemovedFormat, name);
    m_UsersChanged = 1;
    return;
  }
  ShowLine(CHAT_STYLE_CLIENT, "Unable to find \"" + name + "\"");
}

void CChatClient::ListIgnores() {
  ShowLine(CHAT_STYLE_CLIENT, "People on the ignore list");
  ShowLine(CHAT_STYLE_CLIENT, "");
  for (const std::string& name : m_Ignored) ShowLine(CHAT_STYLE_CLIENT, " " + name);
  ShowLine(CHAT_STYLE_CLIENT, "");
  ShowLine(CHAT_STYLE_CLIENT, "Total : " + std::to_string(m_Ignored.size()));
  ShowLine(CHAT_STYLE_CLIENT, "");
}

// The formats come from the resource script: only their "%s" is filled, every other character
// stays as it is, so a stray conversion in a translation can do no harm.
void CChatClient::ShowFormatted(const std::string& format, const std::string& name) {
  std::string line = format;
  const size_t at = line.find("%s");
  if (at != std::string::npos) line.replace(at, 2, name);
  ShowLine(CHAT_STYLE_CLIENT, line);
}
