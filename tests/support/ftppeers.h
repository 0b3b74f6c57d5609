// Real FTP servers on 127.0.0.1 for the FTP client's tests and benchmark: vsftpd with a generated
// configuration, and pyftpdlib through tests/tools/ftp_test_server.py. Each test starts its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/httppeers.h"
#include "support/tempdir.h"

// vsftpd serving Root() to anonymous users.
class CVsftpdPeer {
 public:
  struct SOptions {
    bool m_AnonymousPassword = false;  // USER anonymous gets 331 and wants a password
    bool m_LongBanner = false;         // a greeting of several lines
  };

  bool Start(const SOptions& options);
  bool Start() { return Start(SOptions{}); }
  void Stop() { m_Process.Stop(); }
  uint16_t Port() const { return m_Port; }
  std::string Root() const { return m_Dir.File("root"); }
  // The commands it received, as its protocol log shows them ("USER anonymous", "RETR a.bin").
  std::vector<std::string> Commands() const;

 private:
  CTempDir m_Dir;
  CPeerProcess m_Process;
  uint16_t m_Port = 0;
};

// pyftpdlib serving Root() to anonymous and to kLogin with kPassword; see the script for the
// faults that file names ask for.
class CPyFtpPeer {
 public:
  static constexpr const char* kLogin = "player";
  static constexpr const char* kPassword = "s3cret";

  // Options of the script: "--sizes", "--long-banner", "--long-login".
  bool Start(const std::vector<std::string>& options = {});
  void Stop() { m_Process.Stop(); }
  uint16_t Port() const { return m_Port; }
  std::string Root() const { return m_Dir.File("root"); }
  std::vector<std::string> Commands() const;

 private:
  CTempDir m_Dir;
  CPeerProcess m_Process;
  uint16_t m_Port = 0;
};
