// The cashier's road to the cashier server process: the entry server names the process, the
// process link carries the cashier's node. The application makes it in its run state 2 and keeps it
// until Exit; it owns its link and node, which the application only borrows.
#pragma once

#include <cstdint>

class CCommNode;
class CCommRemoteClient;

class CConnection {
 public:
  CConnection() = default;
  // Disconnects and deletes the link, deletes the node.
  ~CConnection();
  CConnection(const CConnection&) = delete;
  CConnection& operator=(const CConnection&) = delete;

  CCommNode* GetNode() const { return m_pNode; }
  CCommRemoteClient* GetLink() const { return m_pLink; }

 protected:
  CCommNode* m_pNode = nullptr;
  CCommRemoteClient* m_pLink = nullptr;
};
