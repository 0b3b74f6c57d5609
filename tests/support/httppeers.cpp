#include "support/httppeers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::vector<char*> Argv(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

bool CPeerProcess::Start(const std::vector<std::string>& args, const std::string& outputFile) {
  Stop();
  signal(SIGPIPE, SIG_IGN);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv = Argv(args);
  const int r = posix_spawnp(&m_Pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (r != 0) m_Pid = -1;
  return r == 0;
}

bool CPeerProcess::Running() {
  if (m_Pid <= 0) return false;
  int status = 0;
  if (waitpid(m_Pid, &status, WNOHANG) == m_Pid) m_Pid = -1;
  return m_Pid > 0;
}

void CPeerProcess::Stop() {
  if (m_Pid <= 0) return;
  kill(m_Pid, SIGTERM);
  for (int i = 0; i < 500; ++i) {
    if (!Running()) return;
    Pause(10);
  }
  kill(m_Pid, SIGKILL);
  int status = 0;
  while (waitpid(m_Pid, &status, 0) < 0 && errno == EINTR) {
  }
  m_Pid = -1;
}

std::string RunForOutput(const std::vector<std::string>& args) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<char*> argv = Argv(args);
  pid_t pid = -1;
  const int r = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  if (r == 0) {
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      text.append(buffer, static_cast<size_t>(n));
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) text.clear();
  }
  close(out[0]);
  return text;
}

uint16_t FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof sa;
  uint16_t port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length) == 0)
    port = ntohs(sa.sin_port);
  if (fd >= 0) close(fd);
  return port;
}

bool WaitForPort(uint16_t port, CPeerProcess& process) {
  // A loaded machine can take many seconds to start an interpreter or a server.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (process.Running() && std::chrono::steady_clock::now() < end) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool up = connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    close(fd);
    if (up) return true;
    Pause(10);
  }
  return false;
}

bool CNginxPeer::Start(bool tls) {
  const std::string root = m_Dir.Path();
  const std::string cert = m_Dir.File("cert.pem"), key = m_Dir.File("key.pem");
  if (tls) {
    RunForOutput({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-subj",
                  "/CN=localhost", "-days", "2", "-keyout", key, "-out", cert});
    if (ReadWholeFile(cert).empty() || ReadWholeFile(key).empty()) return false;
  }
  mkdir(Www().c_str(), 0755);
  mkdir((Www() + "/secret").c_str(), 0755);
  mkdir(m_Dir.File("temp").c_str(), 0755);
  const std::string hash = RunForOutput({"openssl", "passwd", "-apr1", kPassword});
  if (hash.empty()) return false;
  WriteWholeFile(m_Dir.File("htpasswd"), std::string(kLogin) + ":" + hash);
  // A port taken between the look and nginx's bind makes nginx end; another one is tried then.
  for (int attempt = 0; attempt < 5; ++attempt) {
    m_Port = FreeLoopbackPort();
    std::string conf;
    conf += "daemon off;\nmaster_process off;\nworker_processes 1;\n";
    if (geteuid() == 0) conf += "user root root;\n";
    conf += "error_log " + root + "/error.log;\npid " + root + "/nginx.pid;\n";
    conf += "events { worker_connections 64; }\n";
    conf += "http {\n";
    conf += "  log_format conn '$connection $connection_requests $status \"$request\"';\n";
    conf += "  access_log " + root + "/access.log conn;\n";
    conf += "  sendfile on;\n  keepalive_timeout 60;\n  keepalive_requests 1000;\n";
    conf += "  default_type application/octet-stream;\n";
    for (const char* t : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
      conf += std::string("  ") + t + "_temp_path " + root + "/temp/" + t + ";\n";
    conf += "  server {\n    listen 127.0.0.1:" + std::to_string(m_Port) + (tls ? " ssl" : "") + ";\n";
    if (tls) conf += "    ssl_certificate " + cert + ";\n    ssl_certificate_key " + key + ";\n";
    conf += "    root " + Www() + ";\n";
    conf += "    location /secret/ {\n      auth_basic \"casino\";\n";
    conf += "      auth_basic_user_file " + root + "/htpasswd;\n    }\n  }\n}\n";
    WriteWholeFile(m_Dir.File("nginx.conf"), conf);
    if (!m_Process.Start({"nginx", "-p", root, "-c", m_Dir.File("nginx.conf"), "-e", m_Dir.File("error.log")},
                         m_Dir.File("nginx.out")))
      return false;
    if (WaitForPort(m_Port, m_Process)) return true;
    m_Process.Stop();
  }
  return false;
}

std::vector<std::string> CNginxPeer::AccessLog() const { return SplitLines(ReadWholeFile(m_Dir.File("access.log"))); }

bool CFaultServer::Start() {
  mkdir(Files().c_str(), 0755);
  const std::string out = m_Dir.File("server.out");
  if (!m_Process.Start({"python3", std::string(VORRIN_TEST_TOOLS_DIR) + "/http_fault_server.py", Files()}, out))
    return false;
  for (int i = 0; i < 1000 && m_Process.Running(); ++i) {
    const std::string first = ReadWholeFile(out);
    if (first.rfind("port ", 0) == 0 && first.find('\n') != std::string::npos) {
      m_Port = static_cast<uint16_t>(std::stoi(first.substr(5)));
      return true;
    }
    Pause(10);
  }
  return false;
}

std::vector<std::string> CFaultServer::Requests() const {
  std::vector<std::string> requests;
  for (const std::string& line : SplitLines(ReadWholeFile(m_Dir.File("server.out"))))
    if (line.rfind("request ", 0) == 0) requests.push_back(line.substr(8));
  return requests;
}

std::string TestContent(size_t size, uint32_t seed) {
  std::string data(size, '\0');
  uint64_t x = 0x9E3779B97F4A7C15ull ^ seed;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    data[i] = static_cast<char>(x >> 32);
  }
  return data;
}
