#include "connection.h"

#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtcp.h"

CConnection::~CConnection() {
  if (m_pLink) m_pLink->Disconnect();
  delete m_pNode;
  delete m_pLink;
}
