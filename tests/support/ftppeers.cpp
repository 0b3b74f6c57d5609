#include "support/ftppeers.h"

#include <sys/stat.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

bool CVsftpdPeer::Start(const SOptions& options) {
  mkdir(Root().c_str(), 0755);
  mkdir(m_Dir.File("empty").c_str(), 0755);
  if (options.m_LongBanner)
    WriteWholeFile(m_Dir.File("banner.txt"), "Welcome to the casino test site.\nDownloads only.\n\nHave fun.\n");
  for (int attempt = 0; attempt < 5; ++attempt) {
    m_Port = FreeLoopbackPort();
    std::string conf;
    conf += "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n";
    conf += "listen_port=" + std::to_string(m_Port) + "\n";
    conf += "background=NO\nrun_as_launching_user=YES\n";
    conf += "seccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n";
    conf += "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=NO\n";
    conf += "anon_root=" + Root() + "\n";
    conf += std::string("no_anon_password=") + (options.m_AnonymousPassword ? "NO" : "YES") + "\n";
    conf += "secure_chroot_dir=" + m_Dir.File("empty") + "\n";
    conf += "pasv_enable=YES\nport_enable=YES\nconnect_from_port_20=NO\n";
    conf += "max_per_ip=0\nmax_clients=0\n";
    if (options.m_LongBanner) conf += "banner_file=" + m_Dir.File("banner.txt") + "\n";
    conf += "xferlog_enable=YES\nxferlog_std_format=NO\nlog_ftp_protocol=YES\ndual_log_enable=NO\n";
    conf += "vsftpd_log_file=" + m_Dir.File("vsftpd.log") + "\n";
    WriteWholeFile(m_Dir.File("vsftpd.conf"), conf);
    if (!m_Process.Start({"vsftpd", m_Dir.File("vsftpd.conf")}, m_Dir.File("vsftpd.out"))) return false;
    if (WaitForPort(m_Port, m_Process)) return true;
    m_Process.Stop();
  }
  return false;
}

std::vector<std::string> CVsftpdPeer::Commands() const {
  // FTP command: Client "127.0.0.1", "RETR a.bin"
  std::vector<std::string> commands;
  for (const std::string& line : Lines(ReadWholeFile(m_Dir.File("vsftpd.log")))) {
    const size_t at = line.find("FTP command: Client \"");
    if (at == std::string::npos) continue;
    const size_t open = line.find(", \"", at);
    if (open == std::string::npos || line.size() < open + 4) continue;
    commands.push_back(line.substr(open + 3, line.size() - open - 4));
  }
  return commands;
}

bool CPyFtpPeer::Start(const std::vector<std::string>& options) {
  mkdir(Root().c_str(), 0755);
  const std::string out = m_Dir.File("server.out");
  // The system's own Python: the one that carries the distribution's pyftpdlib.
  std::vector<std::string> argv = {"/usr/bin/python3", std::string(VORRIN_TEST_TOOLS_DIR) + "/ftp_test_server.py",
                                   Root()};
  argv.insert(argv.end(), options.begin(), options.end());
  if (!m_Process.Start(argv, out)) return false;
  for (int i = 0; i < 1000 && m_Process.Running(); ++i) {
    const std::string first = ReadWholeFile(out);
    if (first.rfind("port ", 0) == 0 && first.find('\n') != std::string::npos) {
      m_Port = static_cast<uint16_t>(std::stoi(first.substr(5)));
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::vector<std::string> CPyFtpPeer::Commands() const {
  std::vector<std::string> commands;
  for (const std::string& line : Lines(ReadWholeFile(m_Dir.File("server.out"))))
    if (line.rfind("command ", 0) == 0) commands.push_back(line.substr(8));
  return commands;
}
