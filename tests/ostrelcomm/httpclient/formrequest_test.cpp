// Form requests round-tripped through the Python fault server, which reads the pairs with
// Python's own form decoder and answers with what it read.
#include <gtest/gtest.h>

#include <string>

#include "ostrelcomm/httpclient/httpformrequest.h"
#include "support/httppeers.h"

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
