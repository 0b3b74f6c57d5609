#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/widgets/scrollhandler.h"
#include "ostrel/controls/scrolltext.h"
#include "widgetfixture.h"

namespace {
using CCountingScroll = CCountingTimer<CScrollHandler>;

// The table's message line: a marquee 20 pixels wide without a font, so each of its 20 ms steps
// moves on one character and a message of n characters scrolls off in 21 + n + 1 steps.
class ScrollHandler : public CWidgetTest {
 protected:
  void SetUp() override {
    CWidgetTest::SetUp();
    ASSERT_EQ(m_Line.Create(nullptr, 0, 0, 20, 10, 1, 0), 1);
    m_Handler.Init(&m_Line);
    Frame();  // the handler's timer starts its clock
  }
  void TearDown() override {
    m_Handler.Exit();
    m_Line.Stop();
    CWidgetTest::TearDown();
  }
  // What the line shows now, without its padding; empty once it stopped.
  std::string Shown() {
    const char* text = m_Line.GetTextBuffer(0);
    return text && m_Line.IsScrolling() ? text : "";
  }
  // Runs 10 ms frames for at most ms, noting each message the line starts.
  std::vector<std::string> Run(uint32_t ms) {
    std::vector<std::string> seen;
    for (uint32_t t = 0; t < ms; t += 10) {
      const std::string now = Shown();
      if (!now.empty() && (seen.empty() || seen.back() != now)) seen.push_back(now);
      Advance(10);
    }
    return seen;
  }
  CScrollText m_Line;
  CCountingScroll m_Handler;
};

TEST_F(ScrollHandler, QueuedMessagesScrollOneAfterAnother) {
  m_Handler.AddMessage("one");
  // The first message goes to the line at once, ended by the stop byte, at speed 20.
  EXPECT_EQ(Shown(), "one\x07");
  EXPECT_EQ(m_Line.GetPeriod(), SCROLLHANDLER_SPEED);
  m_Handler.AddMessage("two");
  m_Handler.AddMessage("three");
  EXPECT_EQ(m_Handler.NumQueued(), 3);
  EXPECT_EQ(Shown(), "one\x07");

  const std::vector<std::string> seen = Run(5000);
  EXPECT_EQ(seen, (std::vector<std::string>{"one\x07", "two\x07", "three\x07"}));
  EXPECT_EQ(m_Handler.NumQueued(), 0);
  EXPECT_FALSE(m_Line.IsScrolling());
}

TEST_F(ScrollHandler, AMessageRunsToItsEndBeforeTheNextStarts) {
  m_Handler.AddMessage("AB");
  m_Handler.AddMessage("CD");
  // 21 spaces, two letters and the stop byte: the line stops on its 24th step (480 ms).
  Run(470);
  EXPECT_EQ(Shown(), "AB\x07");
  Run(20);
  EXPECT_EQ(Shown(), "");
  EXPECT_EQ(m_Handler.NumQueued(), 2);
  // The handler's next 100 ms tick takes the next one.
  Run(100);
  EXPECT_EQ(Shown(), "CD\x07");
  EXPECT_EQ(m_Handler.NumQueued(), 1);
}

TEST_F(ScrollHandler, MessagesAreCopiedAndAnEmptyQueueShowsTheNextAtOnce) {
  char text[] = "first";
  m_Handler.AddMessage(text);
  text[0] = 'F';
  m_Handler.AddMessage(nullptr);
  EXPECT_EQ(m_Handler.NumQueued(), 1);
  EXPECT_EQ(Run(1000), (std::vector<std::string>{"first\x07"}));
  EXPECT_EQ(m_Handler.NumQueued(), 0);
  m_Handler.AddMessage("second");
  EXPECT_EQ(Shown(), "second\x07");
}

TEST_F(ScrollHandler, FlushDropsTheQueueAndExitTheTimer) {
  m_Handler.AddMessage("one");
  m_Handler.AddMessage("two");
  m_Handler.AddMessage("three");
  m_Handler.Flush();
  EXPECT_EQ(m_Handler.NumQueued(), 0);
  // The message on the line scrolls to its end; nothing follows it.
  EXPECT_EQ(Run(3000), (std::vector<std::string>{"one\x07"}));
  EXPECT_EQ(Shown(), "");

  m_Handler.AddMessage("four");
  m_Handler.AddMessage("five");
  m_Handler.Exit();
  EXPECT_EQ(m_Handler.NumQueued(), 0);
  const int32_t calls = m_Handler.m_Calls;
  EXPECT_EQ(Run(3000), (std::vector<std::string>{"four\x07"}));
  EXPECT_EQ(m_Handler.m_Calls, calls);
}
}  // namespace
