// A database in a fresh working folder, and the helpers the database suites share.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "stova/stova.h"
#include "support/tempdir.h"

// Every error record of the connection, oldest first; the queue is empty afterwards.
std::vector<c2stovaError> DrainErrors(CStovaConnBase& db);
// A member with that name (and nickname, when given) and every other field empty.
c2stovaUser MakeUser(const char* name, const char* nickname = "");
TStovaMoney Money(const char* text);
std::string MoneyText(const TStovaMoney& value);
// The first line of what a program printed, run with the arguments (on PATH).
std::string RunProgram(const std::string& program, const std::vector<std::string>& args);

class StovaTest : public ::testing::Test {
 protected:
  StovaTest();
  ~StovaTest() override;

  // A member made through CreateUser; its id.
  uint32_t Create(const char* name, const char* nickname = "");
  std::string DbPath() const { return m_Dir.File(STOVA_FILE_NAME); }
  // Fails the test when the connection holds an error record.
  void ExpectNoErrors();

  CTempDir m_Dir;
  CWorkingDir m_Cwd{m_Dir.Path()};
  CStovaConn m_Db;
};
