// An installation for the update driver's suites: a temporary tree that is the working folder,
// files of known content, server and installed lists built in code with packages made by the
// block compressor and LZSS, and callbacks that record what the driver asks of its host.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/updater/fvmodulehandler.h"
#include "support/tempdir.h"

// What the recording callbacks saw, in order, and how the Download stub answers.
struct SUpdateHost {
  struct SAnswer {
    int32_t m_Result;
    int32_t m_Stop;
  };
  // "Download a.zpk b.zpk", "MessageBox caption|text", "UnpackStart 2", "UnpackProgress a.zpk",
  // "UnpackFile a.zpk", "UnpackEnd", "EraseFile a.zpk", "Restart 1", "MissingCriticalFiles",
  // "DownloadComplete", "CheckStart m n i", "CheckEnd".
  std::vector<std::string> m_Calls;
  // Answers of the Download stub, one per call; when none is left it fetches and succeeds. A
  // successful answer writes every asked-for package that m_Served holds.
  std::deque<SAnswer> m_Answers;
  std::map<std::string, std::string> m_Served;  // packed name -> bytes
  bool m_MessageBox = true;
  // When set, UnpackFile hands this name back instead of unpacking.
  std::string m_UnpackedNameOverride;
  // Step callbacks that answer 0.
  std::set<std::string> m_Refuse;
  // Run by CheckStart, to look at the tree between passes.
  std::function<void()> m_OnCheckStart;

  // The calls whose text begins with prefix.
  std::vector<std::string> Calls(const std::string& prefix) const;
};

// The host of the running test.
SUpdateHost& Host();

// Registers the recording callbacks (file work through the defaults) and empties the host.
void InstallRecordingCallbacks();

uint32_t Crc(const std::string& bytes);

// A module list built in code.
class CListBuilder {
 public:
  // A NORMAL module has a package "modules/<name>.bos" unless package is false.
  void Module(const std::string& name, int32_t mode, int32_t forced, bool package = true);
  void File(const std::string& module, const std::string& name, uint32_t crc, uint32_t size,
            const std::string& packed, uint32_t packedCRC, uint32_t packedSize);
  void IndFile(const std::string& module, const std::string& name);
  void Restart(const std::string& file, const std::string& unpackName, int32_t full);
  void Write(const std::string& path);
  void Reset() { m_List.KillAll(); }
  CFVModuleHandler& Handler() { return m_List; }

 private:
  CFVModuleHandler m_List;
};

class CUpdateTree : public ::testing::Test {
 protected:
  CUpdateTree();
  ~CUpdateTree() override;

  // A file of the tree (folders made).
  void Put(const std::string& name, const std::string& bytes);
  std::string Get(const std::string& name) const;
  bool Exists(const std::string& name) const;

  // The package of bytes under packedName by its extension (".bos" block compressor, ".zpk"
  // LZSS, ".rpk" as it is, else the bytes themselves), as the server offers it.
  std::string Pack(const std::string& packedName, const std::string& bytes);
  // A file of module in the server's list whose content is bytes, offered packed under name +
  // ext; the package is served by the Download stub.
  void Serve(const std::string& module, const std::string& name, const std::string& bytes,
             const std::string& ext = ".zpk");
  // A record of the installed list for the file with CRC and size of bytes.
  void Record(const std::string& module, const std::string& name, const std::string& bytes);
  // The status file with these statuses.
  void Statuses(const std::vector<std::pair<std::string, int32_t>>& statuses);
  int32_t StatusOf(const std::string& module) const;
  // Both lists empty again (the files stay).
  void ResetLists();
  // Writes "srvmap.lst" and "filemap.lst" (the latter only when it has a module).
  void WriteLists();
  // FVersion_ValidateFiles over the two lists.
  int32_t Validate(int32_t twoPasses = 1, int32_t listedOnly = 0, int32_t downloadAll = 0);
  // The CRC of the installed record of a file, or -1 when it has none.
  int64_t InstalledCRC(const std::string& module, const std::string& name) const;

  // Every file below the temporary folder, the tree's included, with its bytes.
  std::map<std::string, std::string> Everything() const;

  CListBuilder m_Server;
  CListBuilder m_Installed;
  bool m_HaveInstalled = false;
  CTempDir m_Dir;
  std::string m_Tree;
  std::unique_ptr<CWorkingDir> m_Work;
};
