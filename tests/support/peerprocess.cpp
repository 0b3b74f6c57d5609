#include "support/peerprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

CPeerProcess::~CPeerProcess() {
  if (m_Pid > 0) {
    kill(m_Pid, SIGKILL);
    Wait();
  }
  if (m_Out >= 0) close(m_Out);
}

std::string CPeerProcess::Path(const char* name) { return std::string(VORRIN_PEER_DIR) + "/peer_" + name; }

bool CPeerProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int rc = posix_spawn(&m_Pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    m_Pid = -1;
    return false;
  }
  m_Out = fds[0];
  return true;
}

bool CPeerProcess::ReadLine(std::string& line, int waitMs) {
  for (;;) {
    const size_t end = m_Buffer.find('\n');
    if (end != std::string::npos) {
      line = m_Buffer.substr(0, end);
      m_Buffer.erase(0, end + 1);
      return true;
    }
    pollfd p{m_Out, POLLIN, 0};
    const int ready = poll(&p, 1, waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buf[512];
    const ssize_t n = read(m_Out, buf, sizeof buf);
    if (n <= 0) return false;
    m_Buffer.append(buf, static_cast<size_t>(n));
  }
}

bool CPeerProcess::WaitFor(const std::string& want, int waitMs) {
  std::string line;
  while (ReadLine(line, waitMs))
    if (line == want) return true;
  return false;
}

void CPeerProcess::Signal(int sig) {
  if (m_Pid > 0) kill(m_Pid, sig);
}

int CPeerProcess::Wait() {
  int status = 0;
  if (m_Pid > 0) {
    while (waitpid(m_Pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_Pid = -1;
  }
  return status;
}
