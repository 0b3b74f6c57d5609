#include "commandline.h"

#include <string_view>

#include "portnumber.h"
#include "shared/exception.h"

namespace {
constexpr std::string_view kUserWord = "-u:";
constexpr std::string_view kPasswordWord = "-p:";
constexpr std::string_view kPrefixWord = "-prefix:";

std::string_view Word(char* const* argv, int32_t i) { return argv[i] ? std::string_view(argv[i]) : std::string_view(); }

bool Begins(std::string_view word, std::string_view start) { return word.substr(0, start.size()) == start; }

[[noreturn]] void Refuse(const char* source = __builtin_FILE(), int32_t line = __builtin_LINE()) {
  throw CException("CCashierClientApp::Initialize()", "Invalid command-line arguments.", source, line);
}

// The rest of word `first`, then words first + 1 .. end - 1, each after one blank. The room is taken
// once, so that no partial copy of a password is left behind in freed memory.
void Join(char* const* argv, int32_t first, int32_t end, size_t skip, std::string& out) {
  size_t length = Word(argv, first).size() - skip;
  for (int32_t j = first + 1; j < end; ++j) length += 1 + Word(argv, j).size();
  WipeText(out);
  out.reserve(length);
  out.append(Word(argv, first).substr(skip));
  for (int32_t j = first + 1; j < end; ++j) out.append(1, ' ').append(Word(argv, j));
}

void ReadHostAndPort(char* const* argv, TCashierArguments& a) {
  const std::string_view host = Word(argv, 0), port = Word(argv, 1);
  if (host.empty() || port.empty() || host.size() > CASHIER_HOST_MAX) Refuse();
  if (!ReadPortNumber(port.data(), port.size(), a.m_Port)) Refuse();
  a.m_Host = host;
}

// Every "-u:", "-p:" and "-prefix:" word counts in turn; a later one replaces what an earlier gave.
void ReadCredentials(int32_t argc, char* const* argv, TCashierArguments& a) {
  for (int32_t i = 0; i < argc; ++i) {
    const std::string_view word = Word(argv, i);
    if (Begins(word, kUserWord)) {
      int32_t end = i + 1;
      while (end < argc && !Begins(Word(argv, end), kPasswordWord)) ++end;
      Join(argv, i, end, kUserWord.size(), a.m_UserName);
    }
    if (Begins(word, kPasswordWord)) Join(argv, i, argc, kPasswordWord.size(), a.m_Password);
    if (Begins(word, kPrefixWord)) a.m_Prefix = word.substr(kPrefixWord.size());
  }
  if (a.m_UserName.size() > CASHIER_CREDENTIAL_MAX || a.m_Password.size() > CASHIER_CREDENTIAL_MAX ||
      a.m_Prefix.size() > CASHIER_PREFIX_MAX)
    Refuse();
}
}  // namespace

TCashierArguments::~TCashierArguments() { WipeText(m_Password); }

void WipeText(std::string& text) {
  volatile char* bytes = text.data();
  for (size_t i = 0; i < text.size(); ++i) bytes[i] = 0;
  text.clear();
}

void ReadCashierArguments(int32_t argc, char* const* argv, TCashierArguments& a) {
  a.m_Host.clear();
  a.m_Port = 0;
  a.m_ProxyDescription.clear();
  a.m_UserName.clear();
  WipeText(a.m_Password);
  a.m_Prefix.clear();
  if (argc > 0 && !argv) Refuse();
  if (argc >= 2) ReadHostAndPort(argv, a);
  if (argc >= 3 && Begins(Word(argv, 2), "(")) a.m_ProxyDescription = Word(argv, 2);
  ReadCredentials(argc, argv, a);
}
