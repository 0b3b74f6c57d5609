// The cashier in a process like the client's: the headless runtime on a test clock, a working
// folder that holds the cashier's main script as the build stages it, argument words as the client
// splits them, and the diagnostic output caught where a test reads a report.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/runtimefixture.h"
#include "support/tempdir.h"

// Words as the client hands them: a count and modifiable texts that live as long as the object.
class CArgumentWords {
 public:
  explicit CArgumentWords(const std::vector<std::string>& words);
  int Count() const { return static_cast<int>(m_Words.size()); }
  char** Vector() { return m_Pointers.data(); }

 private:
  std::vector<std::string> m_Words;
  std::vector<char*> m_Pointers;
};

// Diagnostics switched on and stderr caught from construction until Text.
class CCaughtReports {
 public:
  CCaughtReports();
  ~CCaughtReports();
  const std::string& Text();

 private:
  bool m_Caught = false;
  std::string m_Text;
};

class CCashierTest : public CRuntimeTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The staged main script, or a script of the test's own, at xrs/cashier_main.xrs.
  void StageMainScript();
  void WriteMainScript(const std::string& text);
  void RemoveMainScript();
  // Entries of the object timer lists, the swept removed ones excluded.
  static int32_t Timers();

  CTempDir m_Folder;
  std::unique_ptr<CWorkingDir> m_pWorking;
};
