#include "dealerodds.h"

#include <sstream>

#include "support/pyoracle.h"

namespace {
double Fraction(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::stod(text);
  return std::stod(text.substr(0, slash)) / std::stod(text.substr(slash + 1));
}
}  // namespace

const SKavoOdds& KavoExactOdds() {
  static const SKavoOdds odds = [] {
    SKavoOdds out;
    for (const std::string& line : RunPythonTool("dealer_odds.py", "6\n")) {
      std::istringstream in(line);
      std::vector<std::string> words;
      for (std::string w; in >> w;) words.push_back(w);
      if (words.empty()) continue;
      if (words[0] == "SIDE") {
        for (size_t i = 1; i < words.size(); ++i) out.m_Side.push_back(Fraction(words[i]));
        continue;
      }
      const size_t first = words[1] == "up" ? 3 : 2;
      std::string key = words[0] + " " + words[1] + (first == 3 ? " " + words[2] : "");
      TKavoOddsRow row{};
      for (size_t i = 0; i < row.size() && first + i < words.size(); ++i) row[i] = Fraction(words[first + i]);
      out.m_Rows[key] = row;
    }
    return out;
  }();
  return odds;
}

double KavoChiSquareCritical(int32_t freedom) {
  static const std::map<int32_t, double> critical = {{5, 20.515}, {6, 22.458}, {9, 27.877}};
  const auto at = critical.find(freedom);
  return at == critical.end() ? 0.0 : at->second;
}
