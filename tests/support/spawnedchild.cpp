#include "support/spawnedchild.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "platform/modules/modules.h"

extern char** environ;

CSpawnedChild::~CSpawnedChild() {
  CloseInput();
  if (m_Pid > 0) Kill(SIGKILL);
  if (m_Out >= 0) close(m_Out);
}

bool CSpawnedChild::Start(const std::vector<std::string>& args) { return StartProgram("osobjects_child", args); }

bool CSpawnedChild::StartProgram(const std::string& name, const std::vector<std::string>& args) {
  return Spawn(PlatformProgramFolder() + "/" + name, args, false);
}

bool CSpawnedChild::StartSystemProgram(const std::string& name, const std::vector<std::string>& args) {
  return Spawn(name, args, true);
}

uint16_t CSpawnedChild::StartListeningPeer(const std::string& script, const std::vector<std::string>& args) {
  // A loaded machine can take many seconds to start an interpreter.
  constexpr int kStartPatienceMs = 60000;
  std::vector<std::string> all = {script};
  all.insert(all.end(), args.begin(), args.end());
  if (!StartSystemProgram("python3", all)) return 0;
  std::string line;
  if (!TryReadLine(line, kStartPatienceMs) || line.rfind("port ", 0) != 0) return 0;
  const long port = std::strtol(line.c_str() + 5, nullptr, 10);
  return port > 0 && port <= 65535 ? static_cast<uint16_t>(port) : 0;
}

bool CSpawnedChild::Spawn(const std::string& program, const std::vector<std::string>& args, bool systemProgram) {
  // Orders to a child that died must fail, not end the test.
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  if (systemProgram) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int r = systemProgram ? posix_spawnp(&m_Pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                        : posix_spawn(&m_Pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  if (r != 0) {
    m_Pid = -1;
    close(in[1]);
    close(out[0]);
    return false;
  }
  m_In = in[1];
  m_Out = out[0];
  return true;
}

std::string CSpawnedChild::ReadLine() {
  std::string line;
  while (!TryReadLine(line, -1)) {
  }
  return line;
}

bool CSpawnedChild::TryReadLine(std::string& line, int ms) {
  for (;;) {
    size_t nl = m_Buffer.find('\n');
    if (nl != std::string::npos) {
      line = m_Buffer.substr(0, nl);
      m_Buffer.erase(0, nl + 1);
      return true;
    }
    if (m_Out >= 0 && ms >= 0) {
      pollfd p{m_Out, POLLIN, 0};
      if (poll(&p, 1, ms) == 0) return false;
    }
    char buf[256];
    ssize_t n = m_Out >= 0 ? read(m_Out, buf, sizeof buf) : 0;
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      line = "<eof>";
      return true;
    }
    m_Buffer.append(buf, static_cast<size_t>(n));
  }
}

bool CSpawnedChild::WaitFor(const std::string& want) {
  for (std::string line = ReadLine(); line != "<eof>"; line = ReadLine())
    if (line == want) return true;
  return false;
}

void CSpawnedChild::WriteLine(const std::string& line) { Write(line + "\n"); }

bool CSpawnedChild::Write(const std::string& bytes) {
  if (m_In < 0) return false;
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = write(m_In, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string CSpawnedChild::ReadBytes(size_t size, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (m_Buffer.size() < size && m_Out >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    pollfd p{m_Out, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) == 0) break;
    char buf[65536];
    ssize_t n = read(m_Out, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    m_Buffer.append(buf, static_cast<size_t>(n));
  }
  std::string bytes = m_Buffer.substr(0, size);
  m_Buffer.erase(0, bytes.size());
  return bytes;
}

void CSpawnedChild::CloseInput() {
  if (m_In >= 0) close(m_In);
  m_In = -1;
}

void CSpawnedChild::Kill(int signal) {
  if (m_Pid <= 0) return;
  kill(m_Pid, signal);
  Wait();
}

int CSpawnedChild::Wait() {
  if (m_Pid <= 0) return -1;
  int status = 0;
  while (waitpid(m_Pid, &status, 0) < 0 && errno == EINTR) {
  }
  m_Pid = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}
