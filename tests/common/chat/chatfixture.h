// The chat tests' peers: the fake chat server of tests/tools run as a process of its own, and a
// chat client started against it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/chat/chatclient.h"
#include "support/guiharness.h"
#include "support/pythonpeer.h"
#include "support/tables.h"

// tests/tools/fake_chat_server.py: orders go to it as lines, its events come back as lines.
class CFakeChatServer : public CPythonPeer {
 public:
  bool Start();
  // One string of records as one raw packet (bytes given as they are).
  void SendRaw(const std::string& bytes);
};

// A process with the runtime and the communication library started, on the headless display.
class CChatTest : public CGuiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the server and the client and connects them ("Bob", "member", "", joining the
  // channel); the server has seen the connect and the join, and its answers have been read.
  void ConnectToServer(const char* channel = nullptr);
  // Runs step until done() holds (true) or a few seconds passed (false).
  static bool RunUntil(const std::function<bool()>& done, const std::function<void()>& step);
  // The same with the client's ticker.
  bool TickUntil(const std::function<bool()>& done) { return RunUntil(done, [this] { Tick(); }); }
  void Tick() { m_pClient->Ticker(); }
  // The display lines taken so far as "style:text", oldest first.
  std::vector<std::string> TakeLines();
  // The user list as texts, in order.
  std::vector<std::string> Users();
  // Sends records and waits until the client has read them.
  void Receive(const std::string& bytes);

  CFakeChatServer m_Server;
  std::unique_ptr<CChatClient> m_pClient;
};
