// What the set-up suites share: a table that shows its set-up fields and reads its main script
// from a copy the test edits, the edits themselves, and the one diagnostic a failed set-up writes.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "client/playerdata.h"
#include "kavotablefixture.h"
#include "ostrel/controls/static.h"
#include "ostrel/sound/samplecontainer.h"
#include "ostrel/system/debug.h"

class CProbeTable : public CBlackJackClientTable {
 public:
  explicit CProbeTable(std::string script = "") : m_Script(std::move(script)) {}
  const char* GetMainScriptName() override {
    return m_Script.empty() ? CBlackJackClientTable::GetMainScriptName() : m_Script.c_str();
  }
  int32_t MaxRoundLimit() const { return m_MaxRoundLimit; }
  int32_t DepositDelay() const { return m_DepositDelay; }
  int32_t PanelWindowHomeY() const { return m_PanelWindowHomeY; }
  int32_t ActionDialogHomeY() const { return m_ActionDialogHomeY; }
  int32_t SecondDialogHomeY() const { return m_SecondDialogHomeY; }
  void SetTablePicture(CBitmap* picture) {
    delete m_pTablePicture;
    m_pTablePicture = picture;
  }
  // Anything of the table's own still standing after its tear-down.
  std::vector<std::string> Remains() const {
    std::vector<std::string> r;
    for (const CStatic* s : m_pChipStatics)
      if (s) r.push_back("chip static");
    for (const CStatic* s : m_pSeatStatics)
      if (s) r.push_back("seat static");
    for (const CBitmap* b : m_pChipBitmaps)
      if (b) r.push_back("chip bitmap");
    for (const CDialog* d : m_pInsuranceDlg)
      if (d) r.push_back("insurance window");
    const struct {
      const void* p;
      const char* what;
    } singles[] = {{m_pActionDialog, "action dialog"}, {m_pSecondDialog, "second dialog"},
                   {m_pTableInfoPopup, "table-info popup"}, {m_pChipStack, "chip stack"},
                   {m_pChipDrawBitmap, "chip drawing bitmap"}, {m_pSpotHighlight, "spot highlight"},
                   {m_pArrow, "arrow"}, {m_pShoeCard, "shoe card"}, {m_pPlayerIconBitmap, "player icons"},
                   {GetTablePicture(), "table picture"}, {Raw(m_pSpotMap), "spot map"}, {m_ppPlayers, "hand records"}};
    for (const auto& s : singles)
      if (s.p) r.push_back(s.what);
    if (m_CardTable.GetNumPockets()) r.push_back("pockets");
    if (!m_ClearAreas.empty()) r.push_back("clear areas");
    for (uint32_t id = 0; id < KAVO_SAMPLES; ++id)
      if (m_pSamples->FindSample(id)) r.push_back("sample " + std::to_string(id));
    return r;
  }

 private:
  // A plain or an owning pointer's object.
  template <class P>
  static const void* Raw(const P& p) {
    if constexpr (std::is_pointer_v<P>) return p;
    else return p.get();
  }
  std::string m_Script;
};

// The text of a staged script.
inline std::string DistScript(const char* name) {
  std::ifstream file(std::string(VORRIN_DIST_DIR) + "/xrs/" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The script's lines without the one item whose line starts with keyword and " =" (after the
// indentation); the text unchanged when there is none.
inline std::string WithoutItem(const std::string& script, const std::string& keyword) {
  std::istringstream in(script);
  std::string out, line;
  bool removed = false;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (!removed && start != std::string::npos && line.compare(start, keyword.size() + 2, keyword + " =") == 0) {
      removed = true;
      continue;
    }
    out += line + "\n";
  }
  return out;
}

// The script with the item of keyword given another value text.
inline std::string WithItem(const std::string& script, const std::string& keyword, const std::string& value) {
  const std::string without = WithoutItem(script, keyword);
  const size_t data = without.find("{ = Data");
  if (data == std::string::npos) return without;
  const size_t lineEnd = without.find('\n', data);
  return without.substr(0, lineEnd + 1) + "    " + keyword + " = " + value + "\n" + without.substr(lineEnd + 1);
}

// The script without the chunk whose opening line holds head (up to its closing brace).
inline std::string WithoutChunk(const std::string& script, const std::string& head) {
  std::istringstream in(script);
  std::string out, line;
  int32_t depth = 0;
  bool done = false;
  while (std::getline(in, line)) {
    if (depth == 0 && !done && line.find(head) != std::string::npos) {
      depth = 1;
      done = true;
      continue;
    }
    if (depth > 0) {
      if (line.find('{') != std::string::npos) ++depth;
      if (line.find('}') != std::string::npos) --depth;
      continue;
    }
    out += line + "\n";
  }
  return out;
}

// Diagnostics switched on and stderr caught around a piece of work; the set-up's lines of what
// was caught.
class CSetupDiagnostics {
 public:
  CSetupDiagnostics() {
    xSetDiagnostics(1);
    ::testing::internal::CaptureStderr();
  }
  ~CSetupDiagnostics() { Lines(); }
  const std::vector<std::string>& Lines() {
    if (!m_Caught) {
      m_Caught = true;
      std::istringstream in(::testing::internal::GetCapturedStderr());
      xSetDiagnostics(0);
      std::string line;
      while (std::getline(in, line)) {
        const size_t at = line.find("Blackjack table set-up: ");
        if (at != std::string::npos) m_Lines.push_back(line.substr(at));
      }
    }
    return m_Lines;
  }

 private:
  bool m_Caught = false;
  std::vector<std::string> m_Lines;
};
