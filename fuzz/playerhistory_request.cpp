// Play-history requests come from the viewer in the player's client. Imports the input as the
// request node's received record and hands it to the history server over a small database with
// one member, his sessions and their rows; the reply, when there is one, must read back whole.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/database/stovaconn.h"
#include "fuzzfolder.h"
#include "common/playerhistory/playerhistorylogger.h"
#include "common/playerhistory/playerhistoryserver.h"
#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"

namespace {

struct SWorld {
  CServerTableDatabase m_Db;
  CCommNode m_Server;
  CCommNode m_Viewer;
  CPlayerHistoryServer m_History;

  SWorld() {
    FuzzEnterTempFolder("/tmp/fuzz_playerhistoryXXXXXX");
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    FuzzCheck(m_Db.Init() == 1);
    c2stovaUser user;
    snprintf(user.m_UserName, sizeof user.m_UserName, "vorrin");
    uint32_t id = 0;
    int32_t ok = 0;
    FuzzCheck(m_Db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok) == 1);
    CPlayerHistoryLogger logger;
    FuzzCheck(logger.Init(&m_Db, 1020001, 5) == 1);
    for (int i = 0; i < 30; ++i) {
      logger.LogData(static_cast<int32_t>(id), i % 6 - 1, i % 5, CString(std::string(i * 9, 'q').c_str()));
      logger.IncRound();
    }
    for (CCommNode* node : {&m_Server, &m_Viewer}) {
      node->m_RecvKCBL.RestartMode(0);
      FuzzCheck(node->SetId(0) == 1 && node->SetName("Kavo:playerhistoryRequestNode_1020001") == 1);
    }
    FuzzCheck(m_Server.InitCommNode(CNODE_SERVER) == 1);
    FuzzCheck(m_Viewer.InitCommNode(CNODE_CLIENT) == 1);
    m_History.Init(&m_Db, &m_Server);
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  static SWorld* world = new SWorld;
  CKCBL& request = world->m_Server.m_RecvKCBL;
  request.Free();
  request.RestartMode(0);
  if (!request.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))) return 0;
  request.MainChunk();
  request.FirstItem();
  world->m_History.HandleCmd(&request, PLAYERHISTORY_PLAYER_FROM_REQUEST);
  world->m_History.HandleCmd(&request, 1);

  while (world->m_Viewer.IsDataAvailable()) {
    FuzzCheck(world->m_Viewer.RecvKCBLPacket() == 1);
    CKCBL& reply = world->m_Viewer.m_RecvKCBL;
    FuzzCheck(reply.FindSubChunk(PLAYERHISTORY_CHUNK_REPLY, PLAYERHISTORY_REQUEST) == 1);
    world->m_Viewer.RecvKCBLFree();
  }
  return 0;
}
