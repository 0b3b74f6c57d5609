#include "platform/files/drives.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/text/cp1252.h"

namespace {
const std::set<std::string> kRemoteTypes = {"nfs",   "nfs4",      "cifs",  "smb3",       "smbfs",
                                            "ncpfs", "afs",       "9p",    "ceph",       "glusterfs",
                                            "lustre", "fuse.sshfs", "davfs", "fuse.rclone", "fuse.glusterfs"};
const std::set<std::string> kDiscTypes = {"iso9660", "udf"};
const std::set<std::string> kImageTypes = {"squashfs"};  // read-only package images (snaps)

std::string Unoctal(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' &&
        s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool Below(const std::string& point, const char* folder) {
  const std::string f = folder;
  return point == f || point.starts_with(f + "/");
}

// The kind of a mount, or XDRIVE_UNKNOWN when it is no drive at all.
EDriveKind KindOf(const TMount& m, const TDriveProbe& probe) {
  if (kRemoteTypes.count(m.m_Type)) return XDRIVE_REMOTE;
  if (!m.m_Source.starts_with("/dev/") || kImageTypes.count(m.m_Type)) return XDRIVE_UNKNOWN;
  if (kDiscTypes.count(m.m_Type) || m.m_Source.starts_with("/dev/sr")) return XDRIVE_CDROM;
  return probe.m_Removable && probe.m_Removable(m.m_Source) ? XDRIVE_REMOVABLE : XDRIVE_FIXED;
}

std::string ReadLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return realpath(path.c_str(), buf) ? buf : "";
}

bool SystemRemovable(const std::string& device) {
  std::string dev = RealPath(device);
  if (dev.empty()) return false;
  std::string sys = RealPath("/sys/class/block/" + dev.substr(dev.rfind('/') + 1));
  if (sys.empty()) return false;
  std::string flag = ReadLine(sys + "/removable");
  if (flag.empty()) flag = ReadLine(sys.substr(0, sys.rfind('/')) + "/removable");  // a partition
  return flag == "1";
}

// udev names the links with \xHH for bytes that are unsafe in names.
std::string UnescapeUdev(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      out += static_cast<char>(std::strtol(s.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string SystemLabel(const std::string& device) {
  const std::string dev = RealPath(device);
  DIR* d = opendir("/dev/disk/by-label");
  if (!d || dev.empty()) {
    if (d) closedir(d);
    return "";
  }
  std::string label;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    if (RealPath(std::string("/dev/disk/by-label/") + e->d_name) == dev) {
      label = PlatformCp1252FromUtf8(UnescapeUdev(e->d_name).c_str());
      break;
    }
  }
  closedir(d);
  return label;
}

bool SystemIsFolder(const std::string& point) {
  struct stat st;
  return stat(point.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

std::vector<TMount> PlatformParseMounts(const std::string& text) {
  std::vector<TMount> mounts;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    TMount m;
    if (!(fields >> m.m_Source >> m.m_Point >> m.m_Type)) continue;
    m.m_Source = Unoctal(m.m_Source);
    m.m_Point = Unoctal(m.m_Point);
    mounts.push_back(m);
  }
  return mounts;
}

std::vector<TDrive> PlatformDrivesFromMounts(const std::vector<TMount>& mounts, const TDriveProbe& probe) {
  std::vector<TDrive> drives{{"/", XDRIVE_FIXED, ""}};
  for (const TMount& m : mounts) {
    const bool root = m.m_Point == "/";
    EDriveKind kind = KindOf(m, probe);
    if (!root && (kind == XDRIVE_UNKNOWN || Below(m.m_Point, "/proc") || Below(m.m_Point, "/sys") ||
                  Below(m.m_Point, "/dev") || Below(m.m_Point, "/boot")))
      continue;
    if (!root && probe.m_IsFolder && !probe.m_IsFolder(m.m_Point)) continue;  // files bound into place
    TDrive drive{m.m_Point, kind == XDRIVE_UNKNOWN ? XDRIVE_FIXED : kind, ""};
    if (m.m_Source.starts_with("/dev/") && probe.m_Label) drive.m_Label = probe.m_Label(m.m_Source);
    bool replaced = false;
    for (TDrive& d : drives) {
      if (d.m_Root == drive.m_Root) {
        d = drive;
        replaced = true;
      }
    }
    if (!replaced) drives.push_back(drive);
  }
  return drives;
}

std::vector<TDrive> PlatformDrives() {
  std::ifstream in("/proc/self/mounts");
  std::stringstream text;
  text << in.rdbuf();
  return PlatformDrivesFromMounts(PlatformParseMounts(text.str()), {SystemRemovable, SystemLabel, SystemIsFolder});
}
