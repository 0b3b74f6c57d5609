#include "common/database/stovaconn.h"

// Defined here so the class's virtual table lives in the common library.
CServerTableDatabase::~CServerTableDatabase() = default;
