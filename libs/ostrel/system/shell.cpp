#include "ostrel/system/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ostrel/base/xstring.h"
#include "ostrel/system/debug.h"
#include "platform/files/folders.h"
#include "platform/files/resolver.h"
#include "platform/modules/modules.h"
#include "platform/shell/cmdline.h"
#include "platform/shell/desktopentry.h"
#include "platform/shell/launcher.h"
#include "platform/text/cp1252.h"

namespace {
constexpr const char* kOpener = "xdg-open";

bool EndsWithNoCase(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && xStrnicmp(s.c_str() + s.size() - n, tail, n) == 0;
}

bool HasFolderPart(const std::string& name) { return name.find_first_of("\\/") != std::string::npos; }

// "http:", "mailto:" ...: a scheme of two or more characters (one would be a drive letter).
bool IsAddress(const char* s) {
  size_t i = 0;
  if (!((s[0] | 0x20) >= 'a' && (s[0] | 0x20) <= 'z')) return false;
  while (s[i] && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '+' || s[i] == '-' || s[i] == '.')) ++i;
  return i >= 2 && s[i] == ':';
}

// A regular file the kernel can start: executable, and a binary or a script with its
// interpreter line (documents on Windows-formatted media carry the execute bit too).
bool IsProgram(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0) return false;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char magic[4] = {};
  const ssize_t n = read(fd, magic, sizeof magic);
  close(fd);
  return (n == 4 && std::memcmp(magic, "\x7f" "ELF", 4) == 0) || (n >= 2 && magic[0] == '#' && magic[1] == '!');
}

// The file a name stands for: "X.exe" is the program X; a bare name is looked for in the
// working folder and then beside the running program. Empty when nothing carries the name.
std::string FindFile(const std::string& name) {
  std::string wanted = EndsWithNoCase(name, ".exe") ? name.substr(0, name.size() - 4) : name;
  std::vector<std::string> candidates{wanted};
  if (!HasFolderPart(wanted)) candidates.push_back(PlatformProgramFolder() + "/" + wanted);
  for (const std::string& c : candidates) {
    std::string resolved = PlatformResolvePath(c.c_str());
    if (!resolved.empty() && PlatformPathExists(resolved.c_str())) return resolved;
  }
  return "";
}

bool Start(const std::vector<std::string>& argv) { return PlatformLauncher()->Start(argv); }

// "casino.exe" -> "casino", with '/' between folders.
std::string ProgramName(const char* file) {
  std::string name = PlatformNormalizePath(file);
  if (EndsWithNoCase(name, ".exe")) name.resize(name.size() - 4);
  return name;
}

bool IsProgramName(const char* file) {
  std::string name = PlatformNormalizePath(file);
  name = name.substr(name.rfind('/') + 1);
  return EndsWithNoCase(name, ".exe") || name.find('.') == std::string::npos;
}

// Where the shortcut points: its program, or the document it opens.
std::string ShortcutTarget(const CDesktopEntry& entry) {
  std::vector<std::string> args = entry.ExecArgs();
  if (args.size() > 1 && args[0] == kOpener) return args[1];
  return args.empty() ? "" : args[0];
}

// The target ends in the file's name, whole components only, without regard to case.
bool PointsAt(const std::string& target, const std::string& name) {
  if (name.empty() || !EndsWithNoCase(target, name.c_str())) return false;
  return target.size() == name.size() || target[target.size() - name.size() - 1] == '/';
}

std::string ShortcutName(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  return name.substr(0, name.rfind('.'));
}

std::string ErrorText(int error) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(error));
  return text;
}
}  // namespace

int32_t xExecuteFile(const char* file, const char* parameters) {
  if (!file || !*file) return -1;
  if (IsAddress(file)) return Start({kOpener, file}) ? 0 : -1;
  const std::string path = FindFile(file);
  if (path.empty()) return -1;
  if (!IsProgram(path)) return Start({kOpener, path}) ? 0 : -1;
  // A name without a folder would be looked for on PATH.
  std::vector<std::string> argv{path.find('/') == std::string::npos ? "./" + path : path};
  for (std::string& a : PlatformSplitCommandLine(parameters)) argv.push_back(std::move(a));
  return Start(argv) ? 0 : -1;
}

int32_t xShowURL(const char* address) {
  if (!address || !*address) return 0;
  std::string target = address;
  if (target.size() > 2 && target[0] == '.' && (target[1] == '\\' || target[1] == '/')) {
    std::string here = PlatformCurrentFolder();
    if (!here.empty() && here.back() != '/') here += '/';
    target = PlatformResolvePath((here + target.substr(2)).c_str());
  }
  if (Start({kOpener, target})) return 1;
  // $BROWSER: commands separated by colons, "%s" standing for the address.
  const char* browsers = std::getenv("BROWSER");
  std::string list = browsers ? browsers : "";
  for (size_t pos = 0; pos < list.size();) {
    size_t end = list.find(':', pos);
    if (end == std::string::npos) end = list.size();
    std::vector<std::string> argv;
    bool placed = false;
    std::string command = list.substr(pos, end - pos);
    for (size_t w = 0; w < command.size();) {
      size_t blank = command.find(' ', w);
      if (blank == std::string::npos) blank = command.size();
      std::string word = command.substr(w, blank - w);
      if (size_t at = word.find("%s"); at != std::string::npos) {
        word.replace(at, 2, target);
        placed = true;
      }
      if (!word.empty()) argv.push_back(word);
      w = blank + 1;
    }
    if (!argv.empty()) {
      if (!placed) argv.push_back(target);
      if (Start(argv)) return 1;
    }
    pos = end + 1;
  }
  return 0;
}

eShortReturnFlags xCreteOrUpdate_ShortCut(const char* shortcut, const char* folder, const char* file,
                                          eShortCutFlags flags) {
  if (!shortcut || !folder || !file) return SHORTCUT_FAILED;
  std::string path = PlatformNormalizePath(shortcut);
  if (EndsWithNoCase(path, ".lnk")) path.resize(path.size() - 4);
  path += ".desktop";
  const std::string name = ProgramName(file);
  std::string dir = PlatformResolvePath(folder);
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const std::string target = dir + name;

  CDesktopEntry entry;
  if (entry.Load(path)) {
    if (PointsAt(ShortcutTarget(entry), name)) return flags == SHORTCUT_CHECK ? SHORTCUT_ALREADY_POINTS : SHORTCUT_DONE;
    if (flags == SHORTCUT_CHECK) return SHORTCUT_DONE;
  } else if (flags != SHORTCUT_CREATE_OR_UPDATE) {
    xprintf("Can't do Load in class IPersistFile On Shortcut %s Error(%s)", shortcut, ErrorText(errno).c_str());
    return SHORTCUT_FAILED;
  } else {
    entry.Parse("[Desktop Entry]\n");
    entry.Set("Version", "1.0");
    entry.Set("Name", PlatformUtf8FromCp1252(ShortcutName(path).c_str()));
    entry.Set("Type", "Application");
    entry.Set("Terminal", "false");
  }
  if (IsProgramName(file)) {
    entry.SetExec({target});
  } else {
    entry.SetExec({kOpener, target});
  }
  entry.Set("Path", PlatformResolvePath(folder));
  if (!entry.Save(path)) {
    xprintf("Can't do Save in class IPersistFile On Shortcut %s Error(%s)", shortcut, ErrorText(errno).c_str());
    return SHORTCUT_FAILED;
  }
  return SHORTCUT_DONE;
}
