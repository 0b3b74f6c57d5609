#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/resources/resflags.h"

// Every key name of the scripts with its code, listed the way the key table is written: the
// named keys, the digits and letters, then the keys from 256 in their order.
TEST(ResourceNames, AllKeyNamesHaveTheirCodes) {
  std::vector<std::pair<std::string, int>> names = {
      {"NULL", 0},        {"XKEY_NONE", 0},     {"XKEY_BSPACE", 8},  {"XKEY_TAB", 9},   {"XKEY_ENTER", 13},
      {"XKEY_ESC", 27},   {"XKEY_SPACE", 32},   {"XKEY_MULTIPLY", 42}, {"XKEY_ADD", 43}, {"XKEY_DECIMAL", 44},
      {"XKEY_SUBTRACT", 45}, {"XKEY_DOT", 46}, {"XKEY_DIVIDE", 47}, {"XKEY_TILDE", 115}};
  for (char c = '0'; c <= '9'; ++c) names.push_back({std::string("XKEY_") + c, c});
  for (char c = 'A'; c <= 'Z'; ++c) names.push_back({std::string("XKEY_") + c, c});
  std::vector<std::string> from256 = {"INSERT", "DELETE", "HOME", "END", "PAGEUP", "PAGEDOWN", "LEFT", "UP", "RIGHT",
                                      "DOWN", "SHIFT", "LSHIFT", "RSHIFT", "CTRL", "LCTRL", "RCTRL", "ALT", "LALT",
                                      "RALT", "WIN", "LWIN", "RWIN", "NUMLOCK", "NPDIVIDE", "NPMULTIPLY",
                                      "NPSUBTRACT", "NPADD", "NPENTER", "NPDECIMAL"};
  for (int i = 0; i <= 9; ++i) from256.push_back("NP" + std::to_string(i));
  for (const char* k : {"PRINTSCR", "SCROLL", "BREAK", "CAPSLOCK"}) from256.push_back(k);
  for (int i = 1; i <= 24; ++i) from256.push_back("F" + std::to_string(i));
  for (size_t i = 0; i < from256.size(); ++i) names.push_back({"XKEY_" + from256[i], 256 + static_cast<int>(i)});
  EXPECT_EQ(names.size(), 117u);
  for (const auto& [name, code] : names) {
    uint16_t got = 0xFFFF;
    EXPECT_EQ(xResKeyByName(name.c_str(), &got), 1) << name;
    EXPECT_EQ(got, code) << name;
  }
  uint16_t got = 0;
  EXPECT_EQ(xResKeyByName("XKEY_F1", &got), 1);
  EXPECT_EQ(got, 299);
  EXPECT_EQ(xResKeyByName("XKEY_F24", &got), 1);
  EXPECT_EQ(got, 322);
  for (const char* bad : {"", "XKEY", "XKEY_F01", "XKEY_NP", "XKEY_AA", "XKEY_ENTERX", "KEY_ENTER"})
    EXPECT_EQ(xResKeyByName(bad, &got), 0) << bad;
}

TEST(ResourceNames, FlagNamesCompareWithoutCaseOverTheirFullLength) {
  uint32_t v = 0;
  EXPECT_EQ(xResFlagByName("xwin_alwayslast", &v), 1);
  EXPECT_EQ(v, 0x10000u);
  EXPECT_EQ(xResFlagByName("CNTRL_RIGHTJUSTIFIED", &v), 1);
  EXPECT_EQ(v, 0x80000000u);
  EXPECT_EQ(xResFlagByName("XGUI_DISABLED", &v), 1);
  EXPECT_EQ(v, 4u);
  EXPECT_EQ(xResFlagByName("ANIM_PINGPONG", &v), 1);
  EXPECT_EQ(v, 4u);
  EXPECT_EQ(xResFlagByName("XWIN_FRAM", &v), 0);
  EXPECT_EQ(xResFlagByName("XWIN_FRAMES", &v), 0);
  EXPECT_EQ(xResFlagsOfText("CNTRL_MD5 CNTRL_PASSWORD", &v), 1);
  EXPECT_EQ(v, 0x40200000u);
}
