#include "support/programfolder.h"

#include <sys/stat.h>

#include <filesystem>
#include <stdexcept>

#include "platform/modules/modules.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kCopied[] = {"xrs"};
constexpr const char* kLinked[] = {"pictures", "sounds", "fonts", "modules"};
constexpr const char* kUpdaterStub = "#!/bin/sh\n# The updater's stand-in of the client's tests: it does nothing.\nexit 0\n";

fs::path Dist() { return fs::path(VORRIN_DIST_DIR); }

// A real folder for every folder below from, a link for every file.
void LinkTree(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(from)) {
    const fs::path target = to / fs::relative(e.path(), from);
    if (e.is_directory())
      fs::create_directories(target);
    else
      fs::create_symlink(e.path(), target);
  }
}

// Replaces whatever stands at path (a link into build/dist above all) before writing.
void Clear(const fs::path& path) {
  std::error_code ignored;
  fs::remove(path, ignored);
  fs::create_directories(path.parent_path());
}
}  // namespace

CProgramFolder::CProgramFolder() { Stage(); }

void CProgramFolder::Stage() {
  const fs::path here(Path());
  for (const char* name : kCopied)
    if (fs::exists(Dist() / name)) fs::copy(Dist() / name, here / name, fs::copy_options::recursive);
  for (const char* name : kLinked)
    if (fs::exists(Dist() / name)) LinkTree(Dist() / name, here / name);
  for (const fs::directory_entry& e : fs::directory_iterator(Dist()))
    if (e.path().extension() == ".so") fs::create_symlink(e.path(), here / e.path().filename());
  for (const std::string& dir : {ConfigHome(), DataHome(), RuntimeDir()}) fs::create_directories(dir);
  fs::permissions(RuntimeDir(), fs::perms::owner_all, fs::perm_options::replace);
  Write("update", kUpdaterStub);
  fs::permissions(File("update"), fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read,
                  fs::perm_options::replace);
}

void CProgramFolder::Write(const std::string& name, const std::string& content) const {
  Clear(File(name));
  WriteWholeFile(File(name), content);
}

void CProgramFolder::Put(const std::string& testDataFile, const std::string& name) const {
  const std::string content = ReadWholeFile(std::string(VORRIN_TEST_DATA_DIR) + "/" + testDataFile);
  if (content.empty()) throw std::runtime_error("tests/data/" + testDataFile + " is missing or empty");
  Write(name, content);
}

void CProgramFolder::Remove(const std::string& name) const {
  std::error_code ignored;
  fs::remove(File(name), ignored);
}

std::string CProgramFolder::CopyProgram(const std::string& builtProgram) const {
  fs::path from = Dist() / builtProgram;
  // The tests' helpers lie beside the test programs.
  if (!fs::exists(from)) from = fs::path(PlatformProgramFolder()) / builtProgram;
  const fs::path to = fs::path(Path()) / from.filename();
  Clear(to);
  fs::copy_file(from, to);
  return to.string();
}
