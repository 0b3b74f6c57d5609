#include "ostrel/system/memhooks.h"

#include <cstdlib>

void* xSysAllocMemFunc(size_t size) { return std::malloc(size); }
void* xSysReallocMemFunc(void* block, size_t size) { return std::realloc(block, size); }
void xSysFreeMemFunc(void* block) { std::free(block); }
