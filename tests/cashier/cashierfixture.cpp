#include "cashierfixture.h"

#include <filesystem>

#include "ostrel/containers/llist.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"

CArgumentWords::CArgumentWords(const std::vector<std::string>& words) : m_Words(words) {
  for (std::string& w : m_Words) m_Pointers.push_back(w.data());
  m_Pointers.push_back(nullptr);
}

CCaughtReports::CCaughtReports() {
  xSetDiagnostics(1);
  ::testing::internal::CaptureStderr();
}

CCaughtReports::~CCaughtReports() { Text(); }

const std::string& CCaughtReports::Text() {
  if (!m_Caught) {
    m_Caught = true;
    m_Text = ::testing::internal::GetCapturedStderr();
    xSetDiagnostics(0);
  }
  return m_Text;
}

void CCashierTest::SetUp() {
  CRuntimeTest::SetUp();
  std::filesystem::create_directories(m_Folder.File("xrs"));
  StageMainScript();
  m_pWorking = std::make_unique<CWorkingDir>(m_Folder.Path());
}

void CCashierTest::TearDown() {
  m_pWorking.reset();
  CRuntimeTest::TearDown();
}

void CCashierTest::StageMainScript() {
  std::filesystem::copy_file(VORRIN_DIST_DIR "/xrs/cashier_main.xrs", m_Folder.File("xrs/cashier_main.xrs"),
                             std::filesystem::copy_options::overwrite_existing);
}

void CCashierTest::WriteMainScript(const std::string& text) { WriteWholeFile(m_Folder.File("xrs/cashier_main.xrs"), text); }

void CCashierTest::RemoveMainScript() { std::filesystem::remove(m_Folder.File("xrs/cashier_main.xrs")); }

int32_t CCashierTest::Timers() {
  xRemoveNotActiveTimers();
  int32_t n = 0;
  for (CLList* list : {glb->m_pActiveTimers, glb->m_pPendingTimers})
    if (list) n += list->GetNumNodes();
  return n;
}
