#include "tablewidgets.h"

#include <gtest/gtest.h>

#include "ostrel/screens/screenbase.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "platform/display/headless.h"

void CTableWidgetTest::SetUp() {
  CWidgetTest::SetUp();
  StartScreen(widgetpictures::kScreenW, widgetpictures::kScreenH, 24);
  m_pCwd = std::make_unique<CWorkingDir>(WidgetsDir());
  // The felt lies in the persistent layer, so an area given back shows the felt again.
  CScreenBase* screen = glb->m_pCurrentScreen;
  ASSERT_EQ(screen->SetPersistentMode(1), 1);
  ASSERT_EQ(m_Felt.Load("felt.bmp", 0), 1);
  ASSERT_EQ(screen->MakeScreenFormat(&m_Felt, 0), 1);
  ASSERT_EQ(screen->DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
  Settle();
}

void CTableWidgetTest::CloseTable() {
  if (m_pTable) m_pTable->Destroy();
  m_pTable.reset();
}

void CTableWidgetTest::TearDown() {
  CloseTable();
  m_pCwd.reset();
  CWidgetTest::TearDown();
}

std::string CTableWidgetTest::WidgetsDir() { return std::string(VORRIN_TEST_DATA_DIR) + "/widgets"; }

std::string CTableWidgetTest::WidgetsScript() { return ReadWholeFile(WidgetsDir() + "/widgets.xrs"); }

std::string CTableWidgetTest::ScriptWith(const std::string& from, const std::string& to) {
  std::string text = WidgetsScript();
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

int32_t CTableWidgetTest::LoadScript(const std::string& text) {
  // The table's controls point into the script's pictures and colours.
  CloseTable();
  m_Res.Free();
  return m_Res.Import(text.c_str());
}

void CTableWidgetTest::OpenTable() {
  m_pTable = std::make_unique<CDialog>();
  ASSERT_EQ(m_pTable->Create(&m_Res, widgetpictures::IDD_TABLE, &Record, 0, nullptr), 1);
  Settle();
}

uint32_t CTableWidgetTest::Seen(int32_t x, int32_t y) { return Display().Pixel(x, y); }

void CTableWidgetTest::Settle() {
  for (int i = 0; i < 3; ++i) Frame();
}

void CTableWidgetTest::BeginSaying() {
  xSetDiagnostics(1);
  testing::internal::CaptureStderr();
}

std::string CTableWidgetTest::EndSaying() {
  std::string said = testing::internal::GetCapturedStderr();
  xSetDiagnostics(0);
  return said;
}
