#include "tablekit.h"

#include <vector>

#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"

void CTableTest::SetUp() {
  glb = new SGlobals(0);
  sglb = new SSysGlobals;
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
}

void CTableTest::TearDown() {
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  xCommClosedown();
  delete glb->m_pNodeList;
  delete glb;
  delete sglb;
  glb = nullptr;
  sglb = nullptr;
}

std::string Carry(CCommNode& from, CCommNode& to) {
  int32_t length = 0;
  EXPECT_EQ(from.ExportSize(&length), 1);
  std::vector<char> text(static_cast<size_t>(length) + 1);
  EXPECT_NE(from.Export(text.data(), static_cast<int32_t>(text.size()), &length, 0), -1);
  from.Free();
  to.m_RecvKCBL.Free();
  to.m_RecvKCBL.RestartMode(0);
  EXPECT_EQ(to.m_RecvKCBL.Import(text.data(), length), 1);
  to.m_RecvKCBL.MainChunk();
  to.m_RecvKCBL.FirstItem();
  return std::string(text.data(), static_cast<size_t>(length));
}
