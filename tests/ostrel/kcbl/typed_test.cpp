#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "kcbldump.h"
#include "ostrel/base/money.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/kcbl/kcblnumbers.h"

namespace {
// Whether a list compiles for NewItem / GetItem.
template <class... A>
concept CanNew = requires(CKCBL& k, const A&... a) { k.NewItem("k", a...); };
template <class... A>
concept CanGet = requires(CKCBL& k, const A&... a) { k.GetItem("k", a...); };

using TEnd = decltype(KEND);
using TLong = decltype(KLONG);
using TULong = decltype(KULONG);
using TBool = decltype(KBOOL);
using TDouble = decltype(KDOUBLE);
using TString = decltype(KSTRING);
using TMoney = decltype(KMONEY);
using TLongArray = decltype(KLONGARRAY);
using TDoubleArray = decltype(KDOUBLEARRAY);

enum EAction { ACTION_HIT = 3 };

// The right shapes compile.
static_assert(CanNew<TEnd>);
static_assert(CanNew<TLong, int, TULong, uint32_t, TBool, bool, TDouble, double, TString, char[4], TEnd>);
static_assert(CanNew<TLong, EAction, TLong, int64_t, TDouble, float, TString, const char*, TEnd>);
static_assert(CanNew<TLongArray, int, const int32_t*, TDoubleArray, size_t, double*, TEnd>);
static_assert(CanNew<TMoney, const TKCBLMoney*, TEnd>);
static_assert(CanGet<TLong, int32_t*, TULong, uint32_t*, TBool, int32_t*, TDouble, double*, TEnd>);
static_assert(CanGet<TString, int, char*, TLongArray, int, int32_t*, TMoney, TKCBLMoney*, TEnd>);
// Wrong types for a tag do not.
static_assert(!CanNew<TLong, double, TEnd>);         // a double cut to a long
static_assert(!CanNew<TLong, const char*, TEnd>);
static_assert(!CanNew<TDouble, int, TEnd>);          // read as a double by C varargs
static_assert(!CanNew<TString, int, TEnd>);
static_assert(!CanNew<TString, std::string, TEnd>);
static_assert(!CanNew<TLongArray, int, const long*, TEnd>);  // 64-bit longs
static_assert(!CanNew<TLongArray, const int32_t*, TEnd>);    // count missing
static_assert(!CanNew<TLongArray, double, const int32_t*, TEnd>);
static_assert(!CanNew<TMoney, double, TEnd>);
static_assert(!CanGet<TLong, long*, TEnd>);
static_assert(!CanGet<TLong, const int32_t*, TEnd>);
static_assert(!CanGet<TLong, uint32_t*, TEnd>);
static_assert(!CanGet<TDouble, float*, TEnd>);
static_assert(!CanGet<TString, char*, TEnd>);  // the maximum length is missing
static_assert(!CanGet<TString, int, const char*, TEnd>);
static_assert(!CanGet<TMoney, const TKCBLMoney*, TEnd>);
// Shape: KEND is required, last, and a value without a tag is refused.
static_assert(!CanNew<TLong, int>);
static_assert(!CanNew<TLong, int, TEnd, TLong, int>);
static_assert(!CanNew<int, TEnd>);
static_assert(!CanNew<uint32_t, int, TEnd>);  // the tag word as a plain number

std::string ExportOf(CKCBL& k) { return KcblExport(k); }
}  // namespace

TEST(KcblTyped, TagWords) {
  EXPECT_EQ(static_cast<uint32_t>(KEND), 0x10000000u);
  EXPECT_EQ(static_cast<uint32_t>(KBOOL), 0x10000001u);
  EXPECT_EQ(static_cast<uint32_t>(KSTRING), 0x10000005u);
  EXPECT_EQ(static_cast<uint32_t>(KMONEYARRAY), 0x1000000Bu);
  EXPECT_EQ(KCBL_FIRSTTAG, 0x1000000Cu);
}

TEST(KcblTyped, ScalarsRoundTrip) {
  CKCBL k;
  ASSERT_EQ(k.NewItem("v", KBOOL, 7, KBOOL, false, KLONG, INT32_MIN, KLONG, -1, KULONG, 0xFFFFFFFFu, KDOUBLE, 3.14159,
                      KSTRING, "two words", KEND),
            1);
  // Longs are 32 bits and wrap as they did.
  ASSERT_EQ(k.NewItem("wrap", KLONG, int64_t{0x100000005}, KLONG, 0xFFFFFFFFu, KULONG, -1, KEND), 1);
  const std::string text = ExportOf(k);
  EXPECT_EQ(text,
            "v = TRUE, FALSE, -2147483648, -1, 4294967295, 3.141590, \"two words\"\n"
            "wrap = 5, -1, 4294967295\n");
  CKCBL r;
  ASSERT_EQ(r.Import(text.c_str(), -1), 1);
  int32_t b1 = 5, b2 = 5, l1 = 0, l2 = 0;
  uint32_t u = 0;
  double d = 0;
  char s[16];
  ASSERT_EQ(r.GetItem("v", KBOOL, &b1, KBOOL, &b2, KLONG, &l1, KLONG, &l2, KULONG, &u, KDOUBLE, &d, KSTRING, 15, s, KEND),
            1);
  EXPECT_EQ(b1, 1);
  EXPECT_EQ(b2, 0);
  EXPECT_EQ(l1, INT32_MIN);
  EXPECT_EQ(l2, -1);
  EXPECT_EQ(u, 0xFFFFFFFFu);
  EXPECT_DOUBLE_EQ(d, 3.14159);
  EXPECT_STREQ(s, "two words");
  // A long read as unsigned and the other way round wrap in 32 bits.
  ASSERT_EQ(r.GetItem("v", KBOOL, &b1, KBOOL, &b2, KULONG, &u, KULONG, &u, KLONG, &l1, KEND), 1);
  EXPECT_EQ(u, 0xFFFFFFFFu);
  EXPECT_EQ(l1, -1);
}

TEST(KcblTyped, NumberTexts) {
  struct {
    const char* text;
    int32_t ok;
    int32_t value;
  } const longs[] = {
      {"12", 1, 12},          {"12abc", 1, 12},    {"  \t+7", 1, 7},     {"-0", 1, 0},
      {"abc", 0, 0},          {"", 0, 0},          {"-", 0, 0},          {"+-1", 0, 0},
      {"0x10", 1, 0},         {"2147483648", 1, INT32_MIN}, {"4294967295", 1, -1},
      {"4294967296", 0, 0},   {"99999999999999999999", 0, 0}, {"-4294967295", 1, 1},
      {"00000000000000000042", 1, 42},
  };
  for (const auto& c : longs) {
    int32_t v = 0;
    EXPECT_EQ(xKCBLParseLong(c.text, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
    uint32_t u = 0;
    EXPECT_EQ(xKCBLParseULong(c.text, &u), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(u, static_cast<uint32_t>(c.value)) << c.text;
    }
  }
  uint32_t u = 0;
  EXPECT_EQ(xKCBLParseULong("-1", &u), 1);
  EXPECT_EQ(u, 0xFFFFFFFFu);

  struct {
    const char* text;
    int32_t ok;
    double value;
  } const doubles[] = {
      {"3.5", 1, 3.5}, {" -2e3xyz", 1, -2000}, {"+.25", 1, 0.25}, {"1,5", 1, 1},
      {"x1", 0, 0},    {"++1", 0, 0},          {"", 0, 0},        {"1e999", 0, 0},
  };
  for (const auto& c : doubles) {
    double d = 0;
    EXPECT_EQ(xKCBLParseDouble(c.text, &d), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(d, c.value) << c.text;
    }
  }
  double d = 0;
  EXPECT_EQ(xKCBLParseDouble("nan", &d), 1);
  EXPECT_TRUE(std::isnan(d));
  float f = 0;
  EXPECT_EQ(xKCBLParseFloat("0.1", &f), 1);
  EXPECT_EQ(f, 0.1f);

  struct {
    const char* text;
    int32_t ok;
    int32_t value;
  } const bools[] = {{"TRUE", 1, 1}, {"yes", 1, 1}, {"1", 1, 1},   {"False", 1, 0}, {"no", 1, 0},
                     {"0", 1, 0},    {"maybe", 0, 0}, {"TRUEx", 0, 0}, {"", 0, 0}};
  for (const auto& c : bools) {
    int32_t v = 9;
    EXPECT_EQ(xKCBLParseBool(c.text, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(KcblTyped, TypedGettersOnTheCurrentItem) {
  CKCBL k;
  ASSERT_EQ(k.Import("v = 12abc, yes, maybe, 2.5, {1, 2, 3}, {TRUE, no}, {1.5, x}", -1), 1);
  int32_t l = 0;
  EXPECT_EQ(k.GetLong(0, &l), 1);
  EXPECT_EQ(l, 12);
  EXPECT_EQ(k.GetLong(0, nullptr), 0);
  EXPECT_EQ(k.GetLong(9, &l), 0);
  EXPECT_EQ(k.GetLong(4, &l), 0);  // an array is no number
  int32_t b = 0;
  EXPECT_EQ(k.GetBool(1, &b), 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(k.GetBool(2, &b), 0);
  float f = 0;
  EXPECT_EQ(k.GetFloat(3, &f), 1);
  EXPECT_EQ(f, 2.5f);
  int32_t longs[4] = {};
  EXPECT_EQ(k.GetLongArray(4, longs, 3), 1);
  EXPECT_EQ(longs[2], 3);
  EXPECT_EQ(k.GetLongArray(4, longs, 4), 0);
  EXPECT_EQ(k.GetLongArray(4, longs, -1), 0);
  EXPECT_EQ(k.GetLongArray(4, nullptr, 2), 0);
  EXPECT_EQ(k.GetLongArray(0, longs, 1), 0);
  uint32_t ulongs[3] = {};
  EXPECT_EQ(k.GetULongArray(4, ulongs, 0), 1);
  int32_t bools[2] = {};
  EXPECT_EQ(k.GetBoolArray(5, bools, 2), 1);
  EXPECT_EQ(bools[0], 1);
  EXPECT_EQ(bools[1], 0);
  double doubles[2] = {0, 7};
  EXPECT_EQ(k.GetDoubleArray(6, doubles, 2), 0);  // "x" does not convert
  EXPECT_EQ(doubles[0], 1.5);                     // the ones before it are read
  EXPECT_EQ(k.GetDoubleArray(6, doubles, 1), 1);
  int32_t n = 0;
  EXPECT_EQ(k.GetNumArrayItems(5, &n), 1);
  EXPECT_EQ(n, 2);
}

TEST(KcblTyped, ArraysRoundTrip) {
  const int32_t longs[] = {1, 2, 3};
  const uint32_t ulongs[] = {0, 0xFFFFFFFFu};
  const int32_t bools[] = {5, 0, -1};
  const double doubles[] = {0.5, -1e6};
  CKCBL k;
  ASSERT_EQ(k.NewItem("a", KLONGARRAY, 3, longs, KULONGARRAY, 2, ulongs, KBOOLARRAY, 3, bools, KDOUBLEARRAY, 2u,
                      doubles, KLONGARRAY, 0, longs, KEND),
            1);
  EXPECT_EQ(ExportOf(k),
            "a = { 1, 2, 3}, { 0, 4294967295}, { TRUE, FALSE, TRUE}, { 0.500000, -1000000.000000}, { }\n");
  // Blocks end arrays with 0xFE only when more values follow.
  const TKCBLKeyword* it = k.GetCurKeyword();
  EXPECT_EQ(static_cast<unsigned char>(it->m_pData[it->m_Size - 1]), 0xFFu);
  EXPECT_EQ(static_cast<unsigned char>(it->m_pData[it->m_pValues[1].m_Offset - 1]), 0xFEu);
  CKCBL r;
  const std::string text = ExportOf(k);
  ASSERT_EQ(r.Import(text.c_str(), -1), 1);
  int32_t l[3] = {}, bo[3] = {};
  uint32_t u[2] = {};
  double d[2] = {};
  int32_t none = 0;
  ASSERT_EQ(r.GetItem("a", KLONGARRAY, 3, l, KULONGARRAY, 2, u, KBOOLARRAY, 3, bo, KDOUBLEARRAY, 2, d, KLONGARRAY, 0,
                      &none, KEND),
            1);
  EXPECT_EQ(l[2], 3);
  EXPECT_EQ(u[1], 0xFFFFFFFFu);
  EXPECT_EQ(bo[2], 1);
  EXPECT_EQ(d[1], -1e6);
  EXPECT_EQ(r.GetItem("a", KLONGARRAY, 4, l, KEND), 0);
  EXPECT_EQ(r.GetItem("a", KLONGARRAY, 65536, l, KEND), 0);
  EXPECT_EQ(r.GetItem("a", KLONGARRAY, -1, l, KEND), 0);
  EXPECT_EQ(k.NewItem("b", KLONGARRAY, -1, longs, KEND), 0);
  EXPECT_EQ(k.NewItem("b", KLONGARRAY, 2, static_cast<const int32_t*>(nullptr), KEND), 0);
}

TEST(KcblTyped, GetItemRules) {
  CKCBL k;
  k.NewItem("s", KSTRING, "abcd", KSTRING, "abc", KEND);
  char buf[8];
  EXPECT_EQ(k.GetItem("s", KSTRING, 3, buf, KEND), 0);
  EXPECT_EQ(k.GetItem("s", KSTRING, 4, buf, KSTRING, 3, buf, KEND), 1);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(k.GetItem("s", KSTRING, 65536, buf, KEND), 0);
  EXPECT_EQ(k.GetItem("s", KSTRING, 7, buf, KSTRING, 7, buf, KSTRING, 7, buf, KEND), 0);  // more tags than values
  EXPECT_EQ(k.GetItem("missing", KSTRING, 7, buf, KEND), 0);
  EXPECT_EQ(k.GetItem(nullptr, KSTRING, 7, buf, KEND), 1);  // the current item
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(k.GetItem("s", KEND), 1);
  int32_t l = 0;
  EXPECT_EQ(k.GetItem("s", KLONG, &l, KEND), 0);

  char* text = xStrdup("old");
  EXPECT_EQ(k.GetString("S", &text), 1);
  EXPECT_STREQ(text, "abcd");
  EXPECT_EQ(k.GetString("missing", &text), 0);
  EXPECT_STREQ(text, "abcd");
  xFree(text);
}

TEST(KcblTyped, NewItemRefusals) {
  CKCBL k;
  k.NewItem("first", KEND);
  const char* refused[] = {"a b", "a,b", "a=b", "a{b", "a;b", "a\"b", "}x", "]x", "[x", "\tx", " x",
                           "a\nb", "\xE9", "x\x01", "{{", "; line\nbreak"};
  for (const char* kw : refused) EXPECT_EQ(k.NewItem(kw, KLONG, 1, KEND), 0) << kw;
  EXPECT_EQ(k.NewItem(nullptr, KEND), 0);
  EXPECT_EQ(k.NewItem("s", KSTRING, static_cast<const char*>(nullptr), KEND), 0);
  EXPECT_EQ(k.NewItem("s", KLONG, 1, KSTRING, nullptr, KEND), 0);
  EXPECT_EQ(ExportOf(k), "first\n");
  const char* accepted[] = {"", "{", "[", "; any \xE9 text", "a}b", "a]b", "x[y", "back\\slash", "a:b.c"};
  for (const char* kw : accepted) {
    CKCBL a;
    EXPECT_EQ(a.NewItem(kw, KEND), 1) << kw;
    a.ExitChunk();  // "{" made its chunk current
    EXPECT_STREQ(a.GetKeyword(), kw);
  }
}

TEST(KcblTyped, NewItemPlacesAfterTheCurrentItem) {
  CKCBL k;
  ASSERT_EQ(k.NewChunk(KSTRING, "Strings", KEND), 1);
  EXPECT_EQ(k.NewItem("a", KLONG, 1, KEND), 1);
  EXPECT_EQ(k.NewItem("b", KLONG, 2, KEND), 1);
  EXPECT_EQ(k.NewItem("c", KLONG, 3, KEND), 1);
  EXPECT_EQ(k.ExitChunk(), 1);
  EXPECT_EQ(k.NewItem("after", KEND), 1);
  k.FirstItem();
  EXPECT_EQ(k.NewItem("second", KEND), 1);
  k.FirstItem();
  k.KillItem();  // the cursor on the placeholder: insert at the front
  EXPECT_EQ(k.NewItem("front", KEND), 1);
  EXPECT_EQ(KcblDump(k), "[front]\n[second]\n[after]\n");
  k.FirstItem();
  k.NextItem(0);
  k.NextItem(0);
  k.NextItem(0);  // no current item: at the end
  EXPECT_EQ(k.NewItem("end", KEND), 1);
  EXPECT_EQ(KcblDump(k), "[front]\n[second]\n[after]\n[end]\n");
}

TEST(KcblTyped, ReplaceItem) {
  CKCBL k;
  ASSERT_EQ(k.Import("a = 1\nB = 2\nc = 3\n{ = sub\n    x\n}\n", -1), 1);
  EXPECT_EQ(k.ReplaceItem("b", KLONG, 20, KSTRING, "more", KEND), 1);
  EXPECT_STREQ(k.GetKeyword(), "B");
  EXPECT_EQ(k.ReplaceItem("zzz", KLONG, 1, KEND), 0);
  EXPECT_EQ(k.ReplaceItem("a", KSTRING, nullptr, KEND), 0);  // nothing changes on failure
  // The current item, whatever the length of its keyword.
  const std::string longKey(300, 'k');
  k.FirstItem();
  k.NewItem(longKey.c_str(), KLONG, 1, KEND);
  EXPECT_EQ(k.ReplaceItem(nullptr, KLONG, 2, KEND), 1);
  EXPECT_EQ(k.GetKeyword(), longKey);
  // A chunk item is replaced by a new, empty chunk.
  k.FindSubChunk("sub");
  k.PushChunk();
  k.EnterChunk();
  k.PushChunk();
  k.ExitChunk();
  EXPECT_EQ(k.ReplaceItem(nullptr, KSTRING, "new", KEND), 1);
  EXPECT_EQ(k.PopChunk(), 1);  // the top chunk; the replaced chunk was dropped from the stack
  EXPECT_EQ(k.PopChunk(), 0);
  EXPECT_EQ(KcblDump(k), "[a] t(1)\n[" + longKey + "] t(2)\n[B] t(20) t(more)\n[c] t(3)\n[{] t(new)\n");
  k.Free();
  EXPECT_EQ(k.ReplaceItem(nullptr, KLONG, 1, KEND), 0);
}

TEST(KcblTyped, Precisions) {
  CKCBL k;
  EXPECT_STREQ(k.GetFloatFormat(), "%f");
  EXPECT_STREQ(k.GetDoubleFormat(), "%lf");
  EXPECT_EQ(k.GetMoneyPrecision(), 10);
  k.NewItem("d", KDOUBLE, 3.14159, KEND);
  k.SetDoublePrecision(2);
  EXPECT_STREQ(k.GetDoubleFormat(), "%.2lf");
  k.NewItem("d", KDOUBLE, 3.14159, KEND);
  k.SetDoublePrecision(25);
  EXPECT_STREQ(k.GetDoubleFormat(), "%.10lf");
  k.NewItem("d", KDOUBLE, 1.0 / 3, KEND);
  k.SetDoublePrecision(0);
  k.NewItem("d", KDOUBLE, 2.5, KDOUBLE, 1e22, KEND);
  k.SetDoublePrecision(-1);
  EXPECT_STREQ(k.GetDoubleFormat(), "%lf");
  k.NewItem("d", KDOUBLE, -std::numeric_limits<double>::infinity(), KEND);
  EXPECT_EQ(ExportOf(k), "d = 3.141590\nd = 3.14\nd = 0.3333333333\nd = 2, 10000000000000000000000\nd = -inf\n");
  // The largest numbers fit whatever the precision.
  k.Free();
  k.SetDoublePrecision(10);
  k.NewItem("d", KDOUBLE, -DBL_MAX, KEND);
  char want[400];
  std::snprintf(want, sizeof want, "d = %.10f\n", -DBL_MAX);
  EXPECT_EQ(ExportOf(k), want);
  k.SetFloatPrecision(3);
  EXPECT_STREQ(k.GetFloatFormat(), "%.3f");
  k.SetFloatPrecision(-4);
  EXPECT_STREQ(k.GetFloatFormat(), "%f");
  k.SetMoneyPrecision(2);
  EXPECT_EQ(k.GetMoneyPrecision(), 2);
  k.SetMoneyPrecision(11);
  EXPECT_EQ(k.GetMoneyPrecision(), 10);
  k.SetMoneyPrecision(-1);
  EXPECT_EQ(k.GetMoneyPrecision(), 10);
}

TEST(KcblTyped, Money) {
  const TKCBLMoney amount("12.5"), negative("-0.25");
  CKCBL k;
  ASSERT_EQ(k.NewItem("m", KMONEY, &amount, KMONEY, &negative, KEND), 1);
  k.SetMoneyPrecision(2);
  ASSERT_EQ(k.NewItem("m2", KMONEY, &amount, KEND), 1);
  k.SetMoneyPrecision(0);
  ASSERT_EQ(k.NewItem("m0", KMONEY, &amount, KEND), 1);
  k.SetMoneyPrecision(-1);
  const TKCBLMoney list[] = {TKCBLMoney(1), TKCBLMoney("-2.5"), TKCBLMoney("9999999999.9999999999")};
  ASSERT_EQ(k.NewItem("ma", KMONEYARRAY, 3, list, KLONG, 1, KEND), 1);
  EXPECT_EQ(k.NewItem("bad", KMONEY, static_cast<const TKCBLMoney*>(nullptr), KEND), 0);
  const std::string text = ExportOf(k);
  EXPECT_EQ(text,
            "m = 12.5000000000, -0.2500000000\n"
            "m2 = 12.50\n"
            "m0 = 12\n"
            "ma = { 1.0000000000, -2.5000000000, 9999999999.9999999999}, 1\n");

  CKCBL r;
  ASSERT_EQ(r.Import((text + "x = abc, {1.5, abc}\n").c_str(), -1), 1);
  TKCBLMoney a, b;
  ASSERT_EQ(r.GetItem("m", KMONEY, &a, KMONEY, &b, KEND), 1);
  EXPECT_TRUE(a == amount);
  EXPECT_TRUE(b == negative);
  EXPECT_EQ(a.GetError(), 0);
  TKCBLMoney got[3];
  int32_t one = 0;
  ASSERT_EQ(r.GetItem("ma", KMONEYARRAY, 3, got, KLONG, &one, KEND), 1);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(got[i] == list[i]) << i;
  EXPECT_EQ(r.GetItem("ma", KMONEYARRAY, 4, got, KEND), 0);
  // A text that is no amount reads as zero with the error flag; the read itself succeeds.
  ASSERT_EQ(r.FindItem("x"), 1);
  TKCBLMoney bad("7");
  EXPECT_EQ(r.GetMoney(0, &bad), 1);
  EXPECT_EQ(bad.GetError(), 1);
  EXPECT_TRUE(bad.IsZero());
  EXPECT_EQ(r.GetMoney(5, &bad), 0);
  EXPECT_EQ(r.GetMoney(0, nullptr), 0);
  TKCBLMoney pair[2];
  EXPECT_EQ(r.GetMoneyArray(1, pair, 2), 1);
  EXPECT_EQ(pair[0].GetError(), 0);
  EXPECT_TRUE(pair[0] == TKCBLMoney("1.5"));
  EXPECT_EQ(pair[1].GetError(), 1);
  EXPECT_EQ(r.GetMoneyArray(0, pair, 1), 0);  // not an array
}
