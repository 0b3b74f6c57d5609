// The file-backed registry: one tree per root in the user's configuration folder, read whole,
// changed under a lock and replaced atomically, so programs that share it never see half a
// write and never lose each other's changes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/registry/registrytree.h"

enum ERegistryRoot : int32_t { XREG_CURRENT_USER = 1, XREG_LOCAL_MACHINE = 2 };

// $XDG_CONFIG_HOME/vorrin/registry/user for the user's settings, .../machine beside it for the
// machine-wide ones (kept per user: an ordinary user cannot write anything machine-wide).
std::string PlatformRegistryFolder(ERegistryRoot root);

// The tree as it is stored now; false when the root is unknown or its file cannot be read or
// parsed (a missing file is an empty tree).
bool PlatformRegistryRead(ERegistryRoot root, CRegistryTree& tree);

// Under the root's lock: reads the tree, lets edit change it and, when edit returns true, writes
// it back. A damaged file is moved aside to "registry.damaged" and counts as empty. false when
// the lock cannot be had within a few seconds, edit refuses, or the write fails.
bool PlatformRegistryChange(ERegistryRoot root, const std::function<bool(CRegistryTree&)>& edit);
