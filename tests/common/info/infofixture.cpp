#include "infofixture.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);
// The real time one pass of a request takes in the tests: a frame of the program is about 20 ms.
constexpr auto kPassTime = std::chrono::microseconds(300);
}  // namespace

// ---- the fake server ----

bool CFakeInfoServer::Start(const std::vector<std::string>& flags) {
  std::vector<std::string> args = {std::string(VORRIN_TEST_TOOLS_DIR) + "/fake_info_server.py"};
  args.insert(args.end(), flags.begin(), flags.end());
  if (!m_Process.StartSystemProgram("python3", args)) return false;
  std::string line;
  if (!m_Process.TryReadLine(line, 20000) || line.rfind("port ", 0) != 0) return false;
  m_Port = static_cast<uint16_t>(std::stoi(line.substr(5)));
  return true;
}

bool CFakeInfoServer::ReadOne(int ms) {
  std::string line;
  if (!m_Process.TryReadLine(line, ms)) return false;
  m_Events.push_back(line);
  return true;
}

bool CFakeInfoServer::On(const std::string& kind, const std::vector<std::string>& steps) {
  std::string line = "on " + kind;
  for (const std::string& step : steps) line += " " + step;
  const size_t before = Seen("ok on").size();
  Order(line);
  return WaitFor("ok on", before + 1);
}

bool CFakeInfoServer::Map(const std::string& path) {
  const size_t before = Seen("ok map").size();
  Order("map " + path);
  return WaitFor("ok map", before + 1);
}

std::vector<std::string> CFakeInfoServer::Seen(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& e : m_Events)
    if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
  return out;
}

bool CFakeInfoServer::WaitFor(const std::string& prefix, size_t count) {
  const auto end = Clock::now() + kPatience;
  while (Seen(prefix).size() < count) {
    if (Clock::now() > end) return false;
    ReadOne(50);
  }
  return true;
}

void CFakeInfoServer::Drain(int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) ReadOne(5);
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex.empty() ? "-" : hex;
}

std::string Wire(const std::string& text) { return Hex(text + std::string(1, '\0')); }

// ---- the script ----

CInfoScript::CInfoScript() {
  for (const char* key : {"IC_CONNECT_TIMEOUT", "RCF_TIMEOUT", "RCFS_TIMEOUT", "RCC_TIMEOUT", "RCI_TIMEOUT"})
    m_Timeouts[key] = 30000;
  m_Timeouts["MIN_TIMEOUT"] = 2;
  m_Strings[IC_STR_CONNECT_FAILED] = "Unable to connect (test)";
  m_Strings[IC_STR_NO_CONNECTION_ANSWER] = "No connection answer (test)";
  m_Strings[IC_STR_NO_FILEMAP] = "No file map (test)";
  m_Strings[IC_STR_NO_INFO] = "No info (test)";
}

CInfoScript& CInfoScript::Timeout(const std::string& key, uint32_t passes) {
  m_Timeouts[key] = passes;
  return *this;
}

CInfoScript& CInfoScript::NoTimeout(const std::string& key) {
  m_Timeouts.erase(key);
  return *this;
}

CInfoScript& CInfoScript::String(int32_t id, const std::string& text) {
  m_Strings[id] = text;
  return *this;
}

CInfoScript& CInfoScript::FirstServer(const std::string& address, uint16_t port, const std::string& casino) {
  const std::string texts[] = {address, casino, std::to_string(port), "FALSE", "FALSE", "127.0.0.1", "1"};
  for (int32_t i = 0; i < 7; ++i) m_Strings[IC_STR_ADDRESS + i] = texts[i];
  return *this;
}

CInfoScript& CInfoScript::Item(const std::vector<std::string>& values) {
  m_Items.push_back(values);
  return *this;
}

CInfoScript& CInfoScript::Server(const std::string& address, uint16_t port, const std::string& casino) {
  return Item({address, casino, std::to_string(port), "FALSE", "127.0.0.1", "FALSE", "1"});
}

std::string CInfoScript::Text() const {
  std::string text = "{ = Data\n";
  for (const auto& [key, value] : m_Timeouts) text += "    " + key + " = " + std::to_string(value) + "\n";
  text += "}\n{ = Strings\n";
  for (const auto& [id, value] : m_Strings) text += "    S" + std::to_string(id) + " = " + std::to_string(id) + ", \"" + value + "\"\n";
  text += "}\n{ = FileMapServers\n";
  for (const auto& item : m_Items) {
    text += "    server = ";
    for (size_t i = 0; i < item.size(); ++i) text += (i ? ", \"" : "\"") + item[i] + "\"";
    text += "\n";
  }
  return text + "}\n";
}

void CInfoScript::Write(const std::string& path) const {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteWholeFile(path, Text());
}

// ---- recorders ----

void CRecordingProgress::Progress(int32_t total, int32_t current) {
  m_Calls.push_back({total, current});
  if (m_OnPass) m_OnPass(m_Calls.size());
  std::this_thread::sleep_for(kPassTime);
}

void CRecordingProgress::Done() {
  ++m_DoneCount;
  m_DoneAt = static_cast<int32_t>(m_Calls.size());
}

void CRecordingInfoConnection::ShowMessage(const char* caption, const char* text) {
  m_Messages.push_back(std::string(caption) + "|" + text);
}

// ---- the test ----

void CInfoTest::SetUp() {
  CRuntimeTest::SetUp();
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
  m_pWorkingDir = std::make_unique<CWorkingDir>(m_Dir.Path());
  m_pInfo = std::make_unique<CRecordingInfoConnection>();
}

void CInfoTest::TearDown() {
  // The link leaves the library's lists before they go.
  m_pInfo.reset();
  xCommClosedown();
  m_pWorkingDir.reset();
  CRuntimeTest::TearDown();
}

void CInfoTest::StartServer(const std::vector<std::string>& flags) {
  ASSERT_TRUE(m_Server.Start(flags));
  m_Script.FirstServer("127.0.0.1", m_Server.Port());
  WriteScript(m_Script);
}

void CInfoTest::AwaitAnswerOnFirstWait(const std::string& kind) {
  const size_t count = m_Server.Seen("answered " + kind).size() + 1;
  // Call 1 is the start of the request, before anything is sent; the connection request sends
  // only once connected, right after Done.
  m_Progress.m_OnPass = [this, kind, count](size_t n) {
    const size_t firstWait = kind == "connection" ? static_cast<size_t>(m_Progress.m_DoneAt) + 1 : 2;
    if (n == firstWait && (kind != "connection" || m_Progress.m_DoneAt >= 0))
      EXPECT_TRUE(m_Server.WaitFor("answered " + kind, count));
  };
}

void CInfoTest::Connect() {
  ASSERT_EQ(m_pInfo->SetNextserver(), 1);
  Reconnect();
}

void CInfoTest::Reconnect() {
  ASSERT_TRUE(m_Server.On("connection", {Wire("Connection = Accepted")}));
  ASSERT_EQ(m_pInfo->RequestCasinoConnection(&m_Progress), 1);
  ASSERT_EQ(m_pInfo->GetIcState(), IC_STATE_DONE);
  m_Progress = CRecordingProgress();
}

// ---- a port without a listener ----

CClosedPort::CClosedPort() {
  m_Socket = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (m_Socket >= 0 && bind(m_Socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(m_Socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    m_Port = ntohs(address.sin_port);
}

CClosedPort::~CClosedPort() {
  if (m_Socket >= 0) close(m_Socket);
}
