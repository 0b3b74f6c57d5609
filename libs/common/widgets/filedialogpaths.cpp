#include "common/widgets/filedialogpaths.h"

#include <cstring>

#include "ostrel/base/xstring.h"
#include "ostrel/system/folders.h"

namespace {
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

bool OnlyOf(std::string_view s, std::string_view chars) {
  return s.find_first_not_of(chars) == std::string_view::npos;
}

// Calls fn with each non-empty piece between separators.
template <class Fn>
void ForEachPart(std::string_view text, char separator, Fn&& fn) {
  while (!text.empty()) {
    const size_t cut = text.find(separator);
    const std::string_view part = text.substr(0, cut);
    if (!part.empty()) fn(part);
    if (cut == std::string_view::npos) return;
    text.remove_prefix(cut + 1);
  }
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
}  // namespace

std::vector<SFileDialogDrive> FileDialogLetterDrives(const std::vector<TDrive>& drives) {
  std::vector<SFileDialogDrive> out;
  char letter = 'C';
  for (const TDrive& d : drives) {
    if (letter > 'Z') break;
    out.push_back({letter++, d.m_Root, d.m_Kind, d.m_Label});
  }
  return out;
}

bool FileDialogSplitPath(const char* path, SFileDialogPath& out) {
  out = SFileDialogPath();
  if (!path) return false;
  const size_t length = strnlen(path, XMAX_PATH);
  if (length >= XMAX_PATH) return false;
  std::string text(path, length);
  for (char& c : text) {
    if (IsControl(c)) return false;
    if (c == '/') c = '\\';
  }
  if (!text.empty() && text.back() == ' ') text.pop_back();
  std::string_view rest = text;
  if (rest == "." || rest.starts_with(".\\")) {
    out.m_WorkingFolder = true;
    rest.remove_prefix(1);
  } else if (rest.size() >= 2 && IsLetter(rest[0]) && rest[1] == ':') {
    out.m_Drive = xToUpperAscii(rest[0]);
    rest.remove_prefix(2);
  } else if (rest.starts_with('\\')) {
    out.m_FromRoot = true;
  }
  bool blankPart = false;
  ForEachPart(rest, '\\', [&](std::string_view part) {
    if (OnlyOf(part, " ")) blankPart = true;
    if (part != ".") out.m_Parts.emplace_back(part);
  });
  if (blankPart) return false;
  // Separators alone, or nothing, name no place.
  return out.m_Drive || out.m_WorkingFolder || !out.m_Parts.empty();
}

std::string FileDialogFolderText(char letter, const std::vector<std::string>& parts) {
  std::string text{letter, ':', '\\'};
  for (const std::string& part : parts) text += part + '\\';
  return text;
}

std::string FileDialogSystemFolder(const SFileDialogDrive& drive, const std::vector<std::string>& parts) {
  std::string folder = drive.m_Mount;
  if (folder.empty() || folder.back() != '/') folder += '/';
  for (const std::string& part : parts) folder += part + '/';
  return folder;
}

bool FileDialogLocate(const std::vector<SFileDialogDrive>& drives, std::string_view folder, size_t& drive,
                      std::vector<std::string>& parts) {
  size_t best = 0, bestLength = 0;
  bool found = false;
  for (size_t i = 0; i < drives.size(); ++i) {
    std::string_view mount = drives[i].m_Mount;
    while (mount.size() > 1 && mount.back() == '/') mount.remove_suffix(1);
    const bool holds = mount == "/" ? folder.starts_with('/')
                                    : folder.starts_with(mount) && (folder.size() == mount.size() || folder[mount.size()] == '/');
    if (holds && (!found || mount.size() > bestLength)) {
      found = true;
      best = i;
      bestLength = mount.size();
    }
  }
  if (!found) return false;
  drive = best;
  parts.clear();
  ForEachPart(folder.substr(bestLength), '/', [&](std::string_view part) {
    if (part != ".") parts.emplace_back(part);
  });
  return true;
}

bool FileDialogListableName(std::string_view name) {
  if (name.empty() || name.find('\\') != std::string_view::npos) return false;
  for (char c : name)
    if (IsControl(c)) return false;
  return true;
}

bool FileDialogValidNewName(std::string_view name) {
  return FileDialogListableName(name) && name.find_first_of("/:*?\"<>|") == std::string_view::npos &&
         !OnlyOf(name, " .");
}
