// How the casino common library reaches the database: the connection, its records, and the
// server table's own connection class.
#pragma once

#include "stova/stova.h"

// The connection a server table owns (one per table; the in-process table of play for fun has
// its own beside the local user process's).
class CServerTableDatabase : public CStovaConn {
 public:
  CServerTableDatabase() = default;
  ~CServerTableDatabase() override;
};
