// The run states of the road to the cashier window come with the connection and the login; until
// they do, the cashier ends at once, as after a failed connection.
#include "cashierclientapp.h"

int32_t CCashierClientApp::Run() {
  m_RunState = CASHIER_RUN_QUIT;
  return 0;
}
