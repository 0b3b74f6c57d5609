#include "phfixture.h"

#include "ostrel/containers/llist.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "support/pyoracle.h"

namespace {
int64_t TestNow() { return 1700000000; }
}  // namespace

int32_t CRecordingStova::PlayerHistoryGetFlag(uint32_t tableId, uint32_t& flag, int32_t& status) {
  const int32_t result = CServerTableDatabase::PlayerHistoryGetFlag(tableId, flag, status);
  if (m_Flag >= 0) flag = static_cast<uint32_t>(m_Flag);
  return result;
}

int32_t CRecordingStova::PlayerHistoryInsert(uint32_t playerId, uint32_t tableId, int round, int type,
                                             const char* part1, const char* part2, const char* part3,
                                             const char* part4, int32_t& status) {
  m_Inserts.push_back({static_cast<int32_t>(playerId), static_cast<int32_t>(tableId), round, type,
                       {part1 ? part1 : "<null>", part2 ? part2 : "<null>", part3 ? part3 : "<null>",
                        part4 ? part4 : "<null>"}});
  if (m_FailInsert) {
    status = 0;
    return Fail(STOVA_ERR_SQLITE, "PlayerHistoryInsert: the disk is full");
  }
  return CServerTableDatabase::PlayerHistoryInsert(playerId, tableId, round, type, part1, part2, part3, part4, status);
}

int32_t CRecordingStova::PlayerHistoryGetPlayerSessions(uint32_t playerId, int32_t gameFilter, int32_t selection,
                                                        int32_t firstRow, int32_t rows, CLList* list, int32_t& count) {
  m_SessionsCalls.push_back({static_cast<int32_t>(playerId), gameFilter, selection, firstRow, rows});
  const int32_t result =
      CServerTableDatabase::PlayerHistoryGetPlayerSessions(playerId, gameFilter, selection, firstRow, rows, list, count);
  if (m_ForceCount) count = m_ForceCount;
  return result;
}

int32_t CRecordingStova::PlayerHistoryGetPlayerSessionData(int32_t sessionId, int32_t firstRow, int32_t rows,
                                                           CLList* list, int32_t& count) {
  ++m_DataCalls;
  const int32_t result = CServerTableDatabase::PlayerHistoryGetPlayerSessionData(sessionId, firstRow, rows, list, count);
  if (m_ForceCount) count = m_ForceCount;
  return result;
}

void CPlayerHistoryTest::SetUp() {
  glb = new SGlobals(0);
  sglb = new SSysGlobals;
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
  xSetStovaClock(TestNow);
  ASSERT_EQ(m_Db.Init(), 1);
  m_Player = CreateMember("vorrin");
}

void CPlayerHistoryTest::TearDown() {
  m_Db.Exit();
  xSetStovaClock(nullptr);
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  xCommClosedown();
  delete glb->m_pNodeList;
  delete glb;
  delete sglb;
  glb = nullptr;
  sglb = nullptr;
}

uint32_t CPlayerHistoryTest::CreateMember(const char* name) {
  c2stovaUser user;
  snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name);
  uint32_t id = 0;
  int32_t ok = 0;
  EXPECT_EQ(m_Db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok), 1);
  EXPECT_EQ(ok, 1);
  return id;
}

std::vector<std::string> CPlayerHistoryTest::Rows(const std::string& sql) {
  return RunPythonTool("stova_rows.py", m_Dir.File(STOVA_FILE_NAME) + "\n" + sql);
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}
