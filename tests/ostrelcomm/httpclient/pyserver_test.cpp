// The HTTP client against Python's own http.server: HTTP/1.0 replies that close the connection
// after every file.
#include <gtest/gtest.h>

#include <string>

#include "clientfixture.h"
#include "support/httppeers.h"

TEST_F(HTTPClientTest, PythonServerClosesAfterEveryFile) {
  CTempDir served;
  std::vector<std::string> contents;
  for (int i = 0; i < 3; ++i) {
    contents.push_back(TestContent(10000 * (i + 1), 70 + i));
    WriteWholeFile(served.File("p" + std::to_string(i) + ".bin"), contents.back());
  }
  CPeerProcess server;
  uint16_t port = 0;
  for (int attempt = 0; attempt < 5 && !port; ++attempt) {
    port = FreeLoopbackPort();
    ASSERT_TRUE(server.Start({"python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory", served.Path(),
                              std::to_string(port)},
                             m_Dir.File("server.out")));
    if (!WaitForPort(port, server)) {
      server.Stop();
      port = 0;
    }
  }
  ASSERT_NE(port, 0);
  ASSERT_EQ(m_Client.Connect(("http://127.0.0.1:" + std::to_string(port)).c_str()), 1);
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(m_Client.RetrieveFile(("p" + std::to_string(i)).c_str(), ("/p" + std::to_string(i) + ".bin").c_str()), 1);
  ASSERT_EQ(m_Client.RetrieveFile("none", "/none.bin"), 1);
  ASSERT_EQ(Run(), ERun::Idle);
  const auto notes = TakeNotes();
  ASSERT_EQ(notes.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(ReadWholeFile(Local("p" + std::to_string(i))) == contents[i]) << i;
    EXPECT_EQ(notes[i].m_Size, contents[i].size());
  }
  EXPECT_EQ(m_Client.GetKeepAlive(), 0);
  EXPECT_EQ(LogCount("Connecting to: 127.0.0.1:"), 4);  // a connection per reply
  EXPECT_EQ(LogCount("File not found: /none.bin"), 1);
}
