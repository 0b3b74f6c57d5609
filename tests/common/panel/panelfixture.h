// The control panel's tests: the panel script of tests/data/panel (drawn by
// tests/tools/make_panel_fixtures.py) copied into a working folder with the tests' font, a game
// script that names it, and a table that records what the panel asks of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/widgets/panel.h"
#include "ostrel/resources/resdata.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

class CChatClient;
class CFont;

// Colours of the pictures (as make_panel_fixtures.py draws them).
inline constexpr uint32_t PANEL_BACK_RGB = 0x1C3428;
inline constexpr uint32_t LIGHT_OFF_RGB = 0x2C2C28;
inline constexpr uint32_t LIGHT_ON_RGB = 0xFFC428;
inline constexpr int32_t LIGHT_X0 = 10, LIGHT_STEP = 58, LIGHT_Y = 86;

class CRecordingTable : public CPanelTable {
 public:
  TMoney GetCash() override { return m_Cash; }
  int32_t CheckCash(const TMoney& amount) override {
    Log("CheckCash");
    return !(m_Cash < amount);
  }
  int32_t GetCurrentChip() const override { return m_CurrentChip; }
  void SetCurrentChip(int32_t value) override { m_CurrentChip = value; }
  int32_t SendRequestAnswer(int32_t answer) override { return Log("Answer " + std::to_string(answer)), 1; }
  void ExitButtonPressed() override { Log("Exit"); }
  int32_t CreatePlayerHistoryDialog() override { return Log("History"), 1; }
  int32_t ShowServerMsg(const char* title, const char* text, uint8_t, const char* action, const char*,
                        const char*) override {
    return Log(std::string("ServerMsg ") + title + "|" + text + "|" + action), 1;
  }
  int32_t OptionsChanged() override { return Log("OptionsChanged"), 1; }
  void StartAutoplay(uint32_t rounds) override { Log("StartAutoplay " + std::to_string(rounds)); }
  void StopAutoplay() override { Log("StopAutoplay"); }
  void ValidateAutoplayButtons() override { Log("Validate"); }
  int32_t RestartToForReal() override { return Log("ForReal"), 1; }
  void PlayClickSound() override { Log("Click"); }
  void RightUpCallback() override { Log("Opened"); }
  int32_t BetDone() override { return Log("BetDone"), 1; }
  int32_t SetOldBet() override { return Log("SetOldBet"), 1; }
  void ChatAutoplayPressed() override { Log("ChatAutoplay"); }
  const char* GetHelpURL() override { return m_HelpUrl; }
  const char* GetFKeyHelpURL() override { return m_FKeyUrl; }
  const char* GetHelpErrText() override { return "No browser: "; }
  const char* GetPanelGameName() override { return "Blackjack"; }
  CChatClient* GetPanelChatClient() override { return m_pChat; }
  int32_t GetPanelTableId() override { return m_TableId; }
  int32_t IsPanelTableRemote() override { return m_Remote; }

  void Log(const std::string& call) { m_Calls.push_back(call); }
  // The calls so far, and the log emptied.
  std::vector<std::string> Take() {
    std::vector<std::string> calls;
    calls.swap(m_Calls);
    return calls;
  }

  TMoney m_Cash{1000};
  int32_t m_CurrentChip = 0;
  const char* m_HelpUrl = "http://help.example/rules";
  const char* m_FKeyUrl = "http://help.example/keys";
  CChatClient* m_pChat = nullptr;
  int32_t m_TableId = 1405;
  int32_t m_Remote = 0;
  std::vector<std::string> m_Calls;
};

class CPanelTest : public CGuiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The panel script as drawn, and written back (a variant) into the working folder.
  std::string Script() const;
  void WriteScript(const std::string& text) const;
  // Init on the working folder's script; the frames run once after it.
  int32_t Init(int32_t requestFrames = 4);
  // A control of a sub-panel, its state, and a click on its middle.
  CControlBase* Ctrl(int32_t section, int32_t id);
  int32_t State(int32_t section, int32_t id);
  void ClickCtrl(int32_t section, int32_t id);
  // Frames with the test clock stepped 20 ms before each.
  void Frames(int32_t n);
  int32_t DialogY(int32_t section);
  // 0x00RRGGBB of the lower-left panel's picture.
  uint32_t PanelPixel(int32_t x, int32_t y) const;

  std::unique_ptr<CTempDir> m_pDir;
  std::unique_ptr<CWorkingDir> m_pHere;
  CFont* m_pFont = nullptr;
  CResData m_GameRes;
  CRecordingTable m_Table;
  std::unique_ptr<CPanel> m_pPanel;
};
