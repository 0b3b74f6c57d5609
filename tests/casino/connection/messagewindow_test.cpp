// The message window and the unpack window, answered by the autopilot from inside their loops.
#include <gtest/gtest.h>

#include <string>

#include "casino/connection/messagewindow.h"
#include "casino/connection/unpackprogress.h"
#include "ostrel/sound/milessample.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"
#include "support/casinotest.h"
#include "support/controlreaders.h"
#include "support/screenshot.h"

namespace {

class Windows : public CCasinoTest {
 protected:
  void SetUp() override {
    CCasinoTest::SetUp();
    ASSERT_EQ(StartClient(), 1);
  }
};

struct SCloseRow {
  int32_t m_Asked;     // the dialog id Show is given
  int32_t m_Shown;     // the one that shows
  int32_t m_CloseBy;   // the control pressed
};

TEST_F(Windows, MessageWindowShowsItsTextUntilOkOrTheCloseBox) {
  const SCloseRow rows[] = {
      {MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_OK},
      {MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_PLAIN, 1002},
      {MESSAGEWINDOW_SECOND, MESSAGEWINDOW_SECOND, MESSAGEWINDOW_OK},
      {4999, MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_OK},  // unknown: the plain layout
  };
  for (const SCloseRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.m_Asked) + " closed by " + std::to_string(row.m_CloseBy));
    m_Sound.Forget();
    CAutopilot pilot;
    std::string text;
    pilot.Do(row.m_Shown, [&](CDialog&) { text = ControlText(row.m_Shown, MESSAGEWINDOW_TEXT); }, "read")
        .Press(row.m_Shown, 4075)  // a control the window does not answer
        .Press(row.m_Shown, row.m_CloseBy);
    MessageWindow window(Click());
    // The caller's text may go at once: the window keeps a copy.
    std::string message = "Your session has ended.";
    EXPECT_EQ(window.Show(message.c_str(), row.m_Asked), 1);
    EXPECT_EQ(text, "Your session has ended.");
    EXPECT_TRUE(pilot.ScriptDone());
    EXPECT_FALSE(IsSectionShown(row.m_Shown));
    EXPECT_EQ(window.IsOpen(), 0);
    EXPECT_EQ(m_Sound.Starts(), 1);
  }
}

// The windows as the player sees them: drawn in the middle of the client's picture.
TEST_F(Windows, TheWindowsAreDrawnWhereThePlayerSeesThem) {
  auto differs = [](const TRgbImage& image, int32_t x, int32_t y) {
    const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 3;
    const size_t corner = 0;
    return image.rgb[at] != image.rgb[corner] || image.rgb[at + 1] != image.rgb[corner + 1] ||
           image.rgb[at + 2] != image.rgb[corner + 2];
  };
  // A persistent picture behind the windows, as the main client's screens keep one: a window that
  // goes leaves that picture behind.
  ASSERT_EQ(glb->m_pCurrentScreen->SetPersistentMode(1), 1);
  bool drawn = false;
  Autopilot()
      .When([] { return IsSectionShown(MESSAGEWINDOW_PLAIN); }, [] {}, "the message shown")
      .When([] { return true; }, [&] {
              const TRgbImage picture = ShownPicture();
              drawn = differs(picture, 400, 300) && picture.width == 800;
              EXPECT_TRUE(SaveShot("messagewindow.png"));
            }, "the picture taken")
      .Press(MESSAGEWINDOW_PLAIN, MESSAGEWINDOW_OK);
  MessageWindow window(Click());
  EXPECT_EQ(window.Show("Your practice money has been refilled.\nGood luck at the tables!"), 1);
  EXPECT_TRUE(drawn);

  UnpackProgressWindow unpack;
  ASSERT_EQ(unpack.Open(4, Click()), 1);
  unpack.Step("kavo.dll.zpk");
  unpack.Step("kavo_main.xrs.zpk");
  xHandler();
  EXPECT_TRUE(differs(ShownPicture(), 400, 300));
  EXPECT_TRUE(SaveShot("unpackwindow.png"));
}

TEST_F(Windows, MessageWindowWithoutATextReturnsAtOnceAndStaysUntilClosed) {
  MessageWindow window(Click());
  EXPECT_EQ(window.Show(nullptr), 0);
  EXPECT_TRUE(IsSectionShown(MESSAGEWINDOW_PLAIN));
  EXPECT_EQ(window.IsOpen(), 1);
  window.Close();
  EXPECT_FALSE(IsSectionShown(MESSAGEWINDOW_PLAIN));
}

TEST_F(Windows, MessageWindowEndsUnansweredWhenTheProgramIsAskedToQuit) {
  Autopilot().QuitAfter(5);
  MessageWindow window(nullptr);
  EXPECT_EQ(window.Show("Closing"), 0);
  EXPECT_FALSE(IsSectionShown(MESSAGEWINDOW_PLAIN));
  EXPECT_EQ(xDoUserWantToQuit(), 1);
}

TEST_F(Windows, UnpackWindowCountsItsStepsAndTheCancelStopsIt) {
  UnpackProgressWindow window;
  ASSERT_EQ(window.Open(3, Click()), 1);
  int32_t first = -1, second = -1;
  ASSERT_TRUE(BarRange(UNPACKWINDOW_DIALOG, UNPACKWINDOW_BAR, first, second));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 3);
  EXPECT_EQ(BarValue(UNPACKWINDOW_DIALOG, UNPACKWINDOW_BAR), 0);
  std::string name = "kavo.dll.zpk";
  EXPECT_EQ(window.Step(name.c_str()), 1);
  name = "overwritten";
  EXPECT_EQ(BarValue(UNPACKWINDOW_DIALOG, UNPACKWINDOW_BAR), 1);
  EXPECT_EQ(ControlText(UNPACKWINDOW_DIALOG, UNPACKWINDOW_TEXT), "kavo.dll.zpk");
  EXPECT_EQ(window.Step(nullptr), 1);  // no text: the old one stays
  EXPECT_EQ(ControlText(UNPACKWINDOW_DIALOG, UNPACKWINDOW_TEXT), "kavo.dll.zpk");

  // The player cancels during one of the next steps' passes; the budget guards the loop.
  Autopilot().Press(UNPACKWINDOW_DIALOG, UNPACKWINDOW_CANCEL);
  int32_t steps = 2;
  while (window.Step("kavo_main.xrs.zpk")) ++steps;
  EXPECT_EQ(window.Steps(), steps + 1);
  EXPECT_EQ(window.IsOpen(), 0);
  EXPECT_EQ(m_Sound.Starts(), 1);
  EXPECT_EQ(window.Step("late.zpk"), 0);
  EXPECT_EQ(window.Steps(), steps + 1);
  window.Close();
  EXPECT_FALSE(IsSectionShown(UNPACKWINDOW_DIALOG));
}

TEST_F(Windows, UnpackWindowNeedsItsBarAndItsText) {
  UnpackProgressWindow window;
  EditMainScript("{ = Static, IDC_UNPACK_TEXT", "{ = Static, IDC_DL_SITE");
  ASSERT_EQ(RestartClient(), 1);
  EXPECT_EQ(window.Open(3, nullptr), 0);
  EXPECT_EQ(ShownSections(), std::vector<int32_t>{});
  EXPECT_EQ(window.Step("x"), 0);
}

}  // namespace
