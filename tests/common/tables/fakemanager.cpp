#include "fakemanager.h"

#include <sstream>

#include "support/tables.h"

bool CFakeManager::Start() {
  return CPythonPeer::Start(std::string(VORRIN_TEST_TOOLS_DIR) + "/fake_manager.py");
}

void CFakeManager::Send(const std::vector<std::string>& words) {
  std::string line = "send";
  for (const std::string& w : words) line += " " + (w.empty() ? std::string("-") : w);
  Order(line);
}

std::vector<std::string> CFakeManager::Texts() const {
  std::vector<std::string> out;
  for (const std::string& rest : Seen("text")) {
    std::istringstream words("text" + rest);
    std::string kind, word, text;
    words >> kind;
    for (bool first = true; words >> word; first = false) text += (first ? "" : "|") + (word == "-" ? std::string() : FromHex(word));
    if (kind == "text-nonul") text += "!nonul";
    if (kind == "text-trailing") text += "!trailing";
    out.push_back(text);
  }
  return out;
}


