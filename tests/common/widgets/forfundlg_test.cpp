#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/widgets/forfundlg.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/progress.h"
#include "ostrel/dialogs/winctrl.h"
#include "widgetfixture.h"

namespace {
using Money = CHugeFixedPoint<10, 10>;

// The text CreateGui, SetMoney or GetMoney threw, or "" when none.
template <class Fn>
std::string Thrown(Fn&& fn) {
  try {
    fn();
  } catch (char* text) {
    return text;
  }
  return "";
}

class ForFunDlg : public CWidgetTest {
 protected:
  void SetUp() override {
    CWidgetTest::SetUp();
    LoadTable();
  }
  // The table script with its text changed: each pair replaces the first match.
  void LoadVariant(std::initializer_list<std::pair<const char*, const char*>> changes) {
    std::string script = TableScript();
    for (const auto& [from, to] : changes) {
      const size_t at = script.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      script.replace(at, strlen(from), to);
    }
    ASSERT_EQ(m_Res.Import(script.c_str()), 1);
  }
  static void SetAmountText(CForFunDlg& dlg, int32_t id, const char* text) {
    char* buffer = dlg.GetTextBuffer(id, 0);
    ASSERT_NE(buffer, nullptr);
    snprintf(buffer, static_cast<size_t>(dlg.GetTextBufferSize(id)), "%s", text);
  }
  static int32_t ProgressValue(CForFunDlg& dlg) { return static_cast<CProgress*>(dlg.GetCtrl(FORFUN_PROGRESS))->GetValue(); }
};

TEST_F(ForFunDlg, CreateGuiThrowsItsFourTexts) {
  {
    CForFunDlg dlg(&m_Res);
    EXPECT_EQ(Thrown([&] { dlg.CreateGui(200, 0); }), "");
    EXPECT_EQ(Thrown([&] { dlg.CreateGui(300, 0); }), "Dialog already created");
    EXPECT_EQ(dlg.GetID(), 200);
  }
  {
    CForFunDlg dlg(nullptr);
    EXPECT_EQ(Thrown([&] { dlg.CreateGui(200, 0); }), "No pointer for resdata when CreateGui");
  }
  {
    CForFunDlg dlg(&m_Res);
    EXPECT_EQ(Thrown([&] { dlg.CreateGui(999, 0); }), "Could not create GUI");
    EXPECT_EQ(dlg.GetID(), 0);
  }
  // The texts are char*, which a handler of const char* catches as well.
  LoadVariant({{"IDD_FORFUN_ANIM = 250", "IDD_FORFUN_ANIM = 251"}});
  CForFunDlg dlg(&m_Res);
  try {
    dlg.CreateGui(200, 0);
    ADD_FAILURE() << "no throw";
  } catch (const char* text) {
    EXPECT_STREQ(text, "Could create anim dialog");
  }
  // The half-made window was taken down: nothing stays registered.
  EXPECT_EQ(dlg.GetID(), 0);
  EXPECT_EQ(WC().IsRegistered(&dlg), 0);
}

TEST_F(ForFunDlg, TheWaitEndsAfterThirtySecondsWithoutTheKey) {
  CForFunDlg dlg(&m_Res);
  EXPECT_EQ(dlg.GetMaxWait(), 30000);
  dlg.CreateGui(200, 0);
  int32_t first = -1, second = -1;
  static_cast<CProgress*>(dlg.GetCtrl(FORFUN_PROGRESS))->GetRange(first, second);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 30000);
  EXPECT_EQ(dlg.IsWaiting(), 1);
  m_Clock.Advance(12345);
  EXPECT_EQ(dlg.IsWaiting(), 1);
  EXPECT_EQ(ProgressValue(dlg), 12345);
  m_Clock.Advance(30000 - 12345 - 1);
  EXPECT_EQ(dlg.IsWaiting(), 1);
  m_Clock.Advance(1);
  EXPECT_EQ(dlg.IsWaiting(), 0);
}

TEST_F(ForFunDlg, TheKeySetsTheLongestWait) {
  const std::string data = "\n{ = Data\n    FORPRACTICE_MAXWAIT_MONEY = 45000\n}\n";
  ASSERT_EQ(m_Res.Import((TableScript() + data).c_str()), 1);
  CForFunDlg dlg(&m_Res);
  EXPECT_EQ(dlg.GetMaxWait(), 45000);
  // Across the wrap of the millisecond clock.
  m_Clock.Set(0xFFFFFFFFu - 1000);
  dlg.CreateGui(300, 0);
  m_Clock.Advance(44999);
  EXPECT_EQ(dlg.IsWaiting(), 1);
  m_Clock.Advance(1);
  EXPECT_EQ(dlg.IsWaiting(), 0);
}

TEST_F(ForFunDlg, TheCloseButtonEndsTheWait) {
  StartScreen(800, 600);
  CForFunDlg dlg(&m_Res);
  dlg.CreateGui(200, 0);
  Frame();
  EXPECT_EQ(dlg.IsWaiting(), 1);
  const CRect r = dlg.GetCtrl(FORFUN_CLOSE)->ScreenRect();
  Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_EQ(dlg.GetPressed(), FORFUN_CLOSE);
  EXPECT_EQ(dlg.IsWaiting(), 0);
  // A new window starts a new wait.
  dlg.Destroy();
  dlg.CreateGui(300, 0);
  EXPECT_EQ(dlg.GetPressed(), 0);
  EXPECT_EQ(dlg.IsWaiting(), 1);
}

struct SMoneyRow {
  const char* m_Amount;
  const char* m_Text;
};

TEST_F(ForFunDlg, AmountsAreWrittenWithTwoDecimals) {
  const SMoneyRow rows[] = {
      {"5000", "5000.00"}, {"12.5", "12.50"}, {"-0.25", "-0.25"}, {"0", "0.00"},
      {"0.999", "0.99"},   {"9999999999.9999999999", "9999999999.99"},
  };
  CForFunDlg request(&m_Res);
  request.CreateGui(200, 0);
  for (const SMoneyRow& r : rows) {
    SCOPED_TRACE(r.m_Amount);
    request.SetMoney(Money(r.m_Amount));
    EXPECT_STREQ(request.GetTextBuffer(FORFUN_AMOUNTTEXT, 0), r.m_Text);
    EXPECT_STREQ(request.GetTextBuffer(FORFUN_AMOUNT, 0), r.m_Text);
  }
  // The answer has no amount to edit: 203 alone.
  CForFunDlg answer(&m_Res);
  answer.CreateGui(300, 0);
  EXPECT_EQ(Thrown([&] { answer.SetMoney(Money("250")); }), "");
  EXPECT_STREQ(answer.GetTextBuffer(FORFUN_AMOUNTTEXT, 0), "250.00");
  EXPECT_EQ(answer.CheckMoney(), 1);
}

TEST_F(ForFunDlg, SmallAmountBuffersAreRefused) {
  struct SRow {
    const char* m_From;
    const char* m_To;
  } rows[] = {
      // 203 with 23 bytes, 202 with 23 bytes, 203 with no buffer of its own.
      {"        Create = \"\", 20, 50, 160, 22, CNTRL_CENTERV\n        TextBufferSize = 24",
       "        Create = \"\", 20, 50, 160, 22, CNTRL_CENTERV\n        TextBufferSize = 23"},
      {"        Create = \"\", 20, 20, 160, 22, 23, CNTRL_EXTRUDED|CNTRL_CENTERV\n        TextBufferSize = 24",
       "        Create = \"\", 20, 20, 160, 22, 22, CNTRL_EXTRUDED|CNTRL_CENTERV\n        TextBufferSize = 23"},
      {"        Create = \"\", 20, 50, 160, 22, CNTRL_CENTERV\n        TextBufferSize = 24",
       "        Create = \"\", 20, 50, 160, 22, CNTRL_CENTERV"},
  };
  for (const SRow& r : rows) {
    SCOPED_TRACE(r.m_To);
    LoadVariant({{r.m_From, r.m_To}});
    CForFunDlg dlg(&m_Res);
    dlg.CreateGui(200, 0);
    EXPECT_EQ(Thrown([&] { dlg.SetMoney(Money("12.5")); }), "Textbuffer to small");
    Money amount;
    EXPECT_EQ(Thrown([&] { dlg.GetMoney(amount); }), "Textbuffer to small");
  }
}

struct SReadRow {
  const char* m_Edit;    // 202
  const char* m_Shown;   // 203
  const char* m_Amount;  // null: the error flag
};

TEST_F(ForFunDlg, GetMoneyReadsTheEditThenTheShownAmount) {
  const SReadRow rows[] = {
      {"250.75", "100.00", "250.75"},
      {"abc", "100.00", "100"},
      {"", "7", "7"},
      {"12345678901", "3.5", "3.5"},  // more digits than an amount has
      {"1.2.3", "0.01", "0.01"},
      {"-", "", nullptr},
      {"", "", nullptr},
      {"twelve", "99999999999", nullptr},
      {"  42", "1", "42"},
  };
  CForFunDlg dlg(&m_Res);
  dlg.CreateGui(200, 0);
  for (const SReadRow& r : rows) {
    SCOPED_TRACE(std::string(r.m_Edit) + " | " + r.m_Shown);
    SetAmountText(dlg, FORFUN_AMOUNT, r.m_Edit);
    SetAmountText(dlg, FORFUN_AMOUNTTEXT, r.m_Shown);
    Money amount(5);
    amount.SetError(1);
    dlg.GetMoney(amount);
    if (r.m_Amount) {
      EXPECT_EQ(amount.GetError(), 0);
      EXPECT_EQ(amount, Money(r.m_Amount));
    } else {
      EXPECT_EQ(amount.GetError(), 1);
    }
  }
  // Without 202 the shown amount counts.
  CForFunDlg answer(&m_Res);
  answer.CreateGui(300, 0);
  SetAmountText(answer, FORFUN_AMOUNTTEXT, "64.10");
  Money amount;
  answer.GetMoney(amount);
  EXPECT_EQ(amount.GetError(), 0);
  EXPECT_EQ(amount, Money("64.1"));
}

TEST_F(ForFunDlg, TheAnimationPlaysWhileTheWindowIsDisabled) {
  CForFunDlg dlg(&m_Res);
  dlg.CreateGui(200, 0);
  CDialog* anim = dlg.GetAnimDialog();
  ASSERT_NE(anim, nullptr);
  EXPECT_EQ(anim->GetID(), FORFUN_ANIMSECTION);
  EXPECT_EQ(anim->IsHidden(), 1);
  dlg.Enable(0);
  EXPECT_EQ(anim->IsHidden(), 0);
  EXPECT_EQ(dlg.GetCtrl(FORFUN_CLOSE)->GetState(), XGUI_DISABLED);
  dlg.Enable(1);
  EXPECT_EQ(anim->IsHidden(), 1);
  EXPECT_NE(dlg.GetCtrl(FORFUN_CLOSE)->GetState(), XGUI_DISABLED);
}

TEST_F(ForFunDlg, DestroyTakesDownBothWindowsAndTheDialogCanBeBuiltAgain) {
  CForFunDlg dlg(&m_Res);
  dlg.CreateGui(200, DIALOG_HIDDEN);
  EXPECT_EQ(dlg.IsHidden(), 1);
  CDialog* anim = dlg.GetAnimDialog();
  EXPECT_EQ(WC().IsRegistered(&dlg), 1);
  EXPECT_EQ(WC().IsRegistered(anim), 1);
  dlg.Destroy();
  EXPECT_EQ(WC().IsRegistered(&dlg), 0);
  EXPECT_EQ(WC().IsRegistered(anim), 0);
  EXPECT_EQ(dlg.GetID(), 0);
  // The client table moves on to the answer section with the same object.
  EXPECT_EQ(Thrown([&] { dlg.CreateGui(350, 0); }), "");
  EXPECT_EQ(dlg.GetID(), 350);
  EXPECT_EQ(dlg.GetAnimDialog(), anim);
  EXPECT_EQ(WC().IsRegistered(anim), 1);
}
}  // namespace
