// The registry's file can be edited or damaged by anyone with the user's rights. Parses it and,
// when it parses, checks that its text form reads back to the same text.
#include <cstdint>
#include <string>

#include "platform/registry/registrytree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CRegistryTree tree;
  if (!tree.Parse(std::string(reinterpret_cast<const char*>(data), size))) return 0;
  const std::string text = tree.Text();
  CRegistryTree again;
  if (!again.Parse(text) || again.Text() != text) __builtin_trap();
  return 0;
}
