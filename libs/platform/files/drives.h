// The "drives" a player picks from: the root folder and the mounted file systems that hold files
// (disks, removable media, discs, network shares), each with its kind and volume label.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum EDriveKind { XDRIVE_UNKNOWN, XDRIVE_REMOVABLE, XDRIVE_FIXED, XDRIVE_REMOTE, XDRIVE_CDROM };

struct TDrive {
  std::string m_Root;   // the mount point
  EDriveKind m_Kind = XDRIVE_UNKNOWN;
  std::string m_Label;  // Windows-1252; empty when the volume has none
};

struct TMount {
  std::string m_Source, m_Point, m_Type;
};

// The lines of a mount table in the form of /proc/self/mounts, with its octal escapes undone.
std::vector<TMount> PlatformParseMounts(const std::string& text);

// What the drive list asks the system about a mount's device and folder.
struct TDriveProbe {
  std::function<bool(const std::string& device)> m_Removable;
  std::function<std::string(const std::string& device)> m_Label;
  std::function<bool(const std::string& point)> m_IsFolder;
};

// "/" first, then the other mounts in table order; a folder mounted over again counts once, as
// its last mount. Kernel, memory and package-image file systems are not drives.
std::vector<TDrive> PlatformDrivesFromMounts(const std::vector<TMount>& mounts, const TDriveProbe& probe);
// The drives of this machine (/proc/self/mounts, /sys and /dev/disk/by-label).
std::vector<TDrive> PlatformDrives();
