// The fixture of the main client's tests: the client's fixture (clientfixture.h) with the test
// main script (tests/data/casino/mc_main.xrs) as "xrs/mc_main.xrs", and the client started as its
// program starts it. Only the client's suites include it: they link the client's library.
#pragma once

#include <memory>
#include <string>

#include "casino/startup/appinit.h"
#include "ostrel/sound/milessample.h"
#include "support/clientfixture.h"

class CCasinoTest : public CClientTest {
 protected:
  void SetUp() override {
    CClientTest::SetUp();
    m_Folder.Put("casino/mc_main.xrs", "xrs/mc_main.xrs");
  }
  void TearDown() override {
    m_pClick.reset();
    m_pPilot.reset();
    if (m_Started) ExitApplication();
    CClientTest::TearDown();
  }

  // InitApplication as the program calls it; its result.
  int32_t StartClient() {
    m_Started = true;
    return InitApplication(0, nullptr);
  }
  // Replaces a text of the folder's main script (which must hold it); takes effect at the next
  // start.
  void EditMainScript(const std::string& from, const std::string& to) {
    std::string script = ReadWholeFile(m_Folder.File("xrs/mc_main.xrs"));
    const size_t at = script.find(from);
    ASSERT_NE(at, std::string::npos) << "the main script holds no \"" << from << "\"";
    script.replace(at, from.size(), to);
    m_Folder.Write("xrs/mc_main.xrs", script);
  }
  // The click sound the client's windows are given ("sounds/click.wav"); its starts are counted
  // by m_Sound.
  CMilesSample* Click() {
    if (!m_pClick) m_pClick = std::make_unique<CMilesSample>("sounds/click.wav");
    return m_pClick.get();
  }
  // ExitApplication, and a new start of the program in the same folder.
  int32_t RestartClient() {
    if (m_Started) ExitApplication();
    m_Started = false;
    RenewGlobals();
    return StartClient();
  }

 private:
  std::unique_ptr<CMilesSample> m_pClick;
  bool m_Started = false;
};
