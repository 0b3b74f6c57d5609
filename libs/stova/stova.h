// Everything a caller of the database library needs: the connection and its records.
#pragma once

#include "stova/idverification.h"
#include "stova/stovaconn.h"
#include "stova/stovarecords.h"
