// Table files ("*.tab") that an earlier run left in the working folder.
#pragma once

#include <cstdint>

// Deletes every regular file directly in the working folder whose name ends in ".tab" (any
// case); folders, links and other files stay. The number deleted.
int32_t DeleteLeftoverTableFiles();
