// Shared-library modules. Windows names carry over: "X.dll" is the module "X.so", and a name
// without a folder is looked for in the program folder.
#pragma once

#include <cstdint>
#include <string>

// The running program's file, as the executable link names it (symbolic links resolved); empty
// when it cannot be told.
std::string PlatformProgramPath();
// The folder of the running program (no trailing '/'); empty when it cannot be told.
std::string PlatformProgramFolder();
// The file a module name stands for, through the path resolver.
std::string PlatformModulePath(const char* name);

// Loads with every symbol bound now and none shared with later modules; null on failure.
void* PlatformModuleOpen(const char* name);
void* PlatformModuleSymbol(void* module, const char* name);
int32_t PlatformModuleClose(void* module);
