#pragma once

#include <cstddef>

// The system allocator, handed to libraries that take custom allocation functions.
void* xSysAllocMemFunc(size_t size);
void* xSysReallocMemFunc(void* block, size_t size);
void xSysFreeMemFunc(void* block);
