// What the module's entry points do, behind their plain C surface: one application object at a
// time, made and initialised by CashierStart, ticked by CashierTick, ended by CashierEnd. Every
// exception of the cashier stops here; it is reported and the entry answers 0.
#pragma once

#include <cstdint>

// 1 when the application stands and is initialised. After a failure nothing of it is left: the
// half-built object and its timer are gone and the module may be unloaded or started again.
int32_t CashierStart(int32_t logFlag, int argc, char** argv);
// 1 while the cashier runs; 0 once it has ended or when there is none.
int32_t CashierTick();
// Ends and deletes the application; 1, also when there is none.
int32_t CashierEnd();
