// Form requests round-tripped through the Python fault server, which reads the pairs with
// Python's own form decoder and answers with what it read.
#include <gtest/gtest.h>

#include <string>

#include "ostrelcomm/httpclient/httpformrequest.h"
#include "support/httppeers.h"
#include "support/tempdir.h"

TEST(HTTPFormRequest, PairsRoundTripThroughAServer) {
  CFaultServer server;
  ASSERT_TRUE(server.Start());
  CHTTPRequest request;
  const std::string url = "127.0.0.1:" + std::to_string(server.Port()) + "/ignored/path";
  ASSERT_EQ(request.Connect(url.c_str(), 0), 1);
  EXPECT_EQ(request.IsConnected(), 1);
  request.SetValue("player name", "J\xE9r\xF4me Smith");
  request.SetValue("note", "a&b=c");  // sent as it is: splits on the other side
  request.SetValue("amount", "10.50 EUR");
  const std::string head = "POST /form HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                           "Content-Length: " +
                           std::to_string(request.CalculateRequestLength()) + "\r\n\r\n";
  ASSERT_EQ(request.SendRequest(head.c_str()), 1);
  EXPECT_STREQ(request.GetValue("count"), "4");
  EXPECT_STREQ(request.GetValue("got_player name"), "J\xE9r\xF4me Smith");
  EXPECT_STREQ(request.GetValue("got_note"), "a");
  EXPECT_STREQ(request.GetValue("got_b"), "c");
  EXPECT_STREQ(request.GetValue("got_amount"), "10.50 EUR");
  EXPECT_STREQ(request.GetValue("note"), "a&b=c");  // the request's own pairs stay first
  const std::string answer(request.GetAnswer(), request.GetAnswerSize());
  EXPECT_EQ(answer.rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
  request.Disconnect();
  EXPECT_EQ(request.IsConnected(), 0);
}

TEST(HTTPFormRequest, EncodedSeparatorsInTheAnswerStayInTheirValues) {
  CFaultServer server;
  ASSERT_TRUE(server.Start());
  CHTTPRequest request;
  ASSERT_EQ(request.Connect(("127.0.0.1:" + std::to_string(server.Port())).c_str(), 0), 1);
  request.SetValue("sum", "1+1=2");
  const std::string head = "POST /form HTTP/1.0\r\nContent-Length: " +
                           std::to_string(request.CalculateRequestLength()) + "\r\n\r\n";
  ASSERT_EQ(request.SendRequest(head.c_str()), 1);
  EXPECT_STREQ(request.GetValue("motto"), "cards & chips = fun+games");
  EXPECT_STREQ(request.GetValue("got_sum"), "1+1=2");
  EXPECT_EQ(request.GetValue("chips "), nullptr);
}

TEST(HTTPFormRequest, ConnectNeedsAServer) {
  CHTTPRequest request;
  EXPECT_EQ(request.Connect(nullptr, 0), 0);
  EXPECT_EQ(request.Connect("/path/only", 0), 0);
  EXPECT_EQ(request.Connect("127.0.0.1:0", 0), 0);
  EXPECT_EQ(request.Connect(("127.0.0.1:" + std::to_string(FreeLoopbackPort())).c_str(), 0), 0);
  EXPECT_EQ(request.IsConnected(), 0);
  EXPECT_EQ(request.SendRequest("x"), 0);
}

TEST(HTTPFormRequest, EncryptedRequestsGoOverTls) {
  CNginxPeer nginx;
  ASSERT_TRUE(nginx.Start(true));
  WriteWholeFile(nginx.Www() + "/answer.txt", "table=7&game=blackjack");
  const std::string url = "127.0.0.1:" + std::to_string(nginx.Port()) + "/answer.txt";
  CHTTPRequest request;
  ASSERT_EQ(request.Connect(url.c_str(), 1), 1);
  ASSERT_EQ(request.SendRequest("GET /answer.txt HTTP/1.0\r\n\r\n"), 1);
  EXPECT_EQ(std::string(request.GetAnswer(), request.GetAnswerSize()).rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_STREQ(request.GetValue("table"), "7");
  EXPECT_STREQ(request.GetValue("game"), "blackjack");
  // The same object without encryption speaks plain HTTP, which the TLS port turns away.
  request.DeleteAllValues();
  ASSERT_EQ(request.Connect(url.c_str(), 0), 1);
  ASSERT_EQ(request.SendRequest("GET /answer.txt HTTP/1.0\r\n\r\n"), 1);
  EXPECT_EQ(std::string(request.GetAnswer(), request.GetAnswerSize()).rfind("HTTP/1.1 400 ", 0), 0u);
  EXPECT_EQ(request.GetValue("table"), nullptr);
  const std::vector<std::string> log = nginx.AccessLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].find(" 200 \"GET /answer.txt HTTP/1.0\""), std::string::npos);
  EXPECT_NE(log[1].find(" 400 "), std::string::npos);
}
