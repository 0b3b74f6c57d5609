#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ostrel/crypto/blowfish.h"

namespace {

std::vector<uint8_t> Hex(const std::string& s) {
  std::vector<uint8_t> out(s.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = uint8_t(std::stoul(s.substr(2 * i, 2), nullptr, 16));
  return out;
}

uint32_t Word(const std::string& hex16, int half) { return uint32_t(std::stoul(hex16.substr(8 * half, 8), nullptr, 16)); }

// Schneier's published ECB vectors (8-byte keys); halves are the big-endian words of the block.
struct SVector {
  const char* key;
  const char* clear;
  const char* cipher;
};
const SVector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// Schneier's variable-key vectors: the first n bytes of one key, n = 1..24, on one block.
const char kVarKey[] = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
const char kVarKeyClear[] = "FEDCBA9876543210";
const char* const kVarKeyCipher[] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
    "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
    "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
    "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

void ExpectBlock(const CBlowfish& bf, const std::string& clear, const std::string& cipher) {
  uint32_t l = Word(clear, 0), r = Word(clear, 1);
  bf.Encrypt(&l, &r);
  EXPECT_EQ(l, Word(cipher, 0));
  EXPECT_EQ(r, Word(cipher, 1));
  bf.Decrypt(&l, &r);
  EXPECT_EQ(l, Word(clear, 0));
  EXPECT_EQ(r, Word(clear, 1));
}

}  // namespace

TEST(Blowfish, PublishedEcbVectors) {
  for (const SVector& v : kEcbVectors) {
    SCOPED_TRACE(v.key);
    CBlowfish bf;
    std::vector<uint8_t> key = Hex(v.key);
    ASSERT_EQ(bf.Init(key.data(), int32_t(key.size())), 1);
    ExpectBlock(bf, v.clear, v.cipher);
  }
}

TEST(Blowfish, PublishedVariableKeyVectors) {
  std::vector<uint8_t> key = Hex(kVarKey);
  for (int n = 1; n <= 24; ++n) {
    SCOPED_TRACE(n);
    CBlowfish bf;
    ASSERT_EQ(bf.Init(key.data(), n), 1);
    ExpectBlock(bf, kVarKeyClear, kVarKeyCipher[n - 1]);
  }
}

TEST(Blowfish, MatchesOpenSslForEveryKeyLength) {
  std::mt19937 gen(1234);
  for (int32_t len = 1; len <= 56; ++len) {
    SCOPED_TRACE(len);
    std::vector<uint8_t> key(static_cast<size_t>(len));
    for (auto& b : key) b = uint8_t(gen());
    CBlowfish bf;
    ASSERT_EQ(bf.Init(key.data(), len), 1);
    BF_KEY ref;
    BF_set_key(&ref, len, key.data());
    for (int i = 0; i < 20; ++i) {
      uint32_t l = gen(), r = gen();
      BF_LONG data[2] = {l, r};
      BF_encrypt(data, &ref);
      uint32_t el = l, er = r;
      bf.Encrypt(&el, &er);
      ASSERT_EQ(el, uint32_t(data[0]));
      ASSERT_EQ(er, uint32_t(data[1]));
      bf.Decrypt(&el, &er);
      ASSERT_EQ(el, l);
      ASSERT_EQ(er, r);
    }
  }
}

TEST(Blowfish, RefusesKeysOutsideOneTo56Bytes) {
  uint8_t key[80] = {1, 2, 3};
  CBlowfish bf;
  EXPECT_EQ(bf.Init(nullptr, 8), 0);
  EXPECT_EQ(bf.Init(key, 0), 0);
  EXPECT_EQ(bf.Init(key, -1), 0);
  EXPECT_EQ(bf.Init(key, 57), 0);
  EXPECT_EQ(bf.Init(key, 72), 0);
  EXPECT_EQ(bf.Init(key, 56), 1);
  // A refused key leaves no trace of the one before: the cipher is cleared, not keyed.
  CBlowfish cleared;
  ASSERT_EQ(bf.Init(key, 57), 0);
  uint32_t a = 1, b = 2, c = 1, d = 2;
  bf.Encrypt(&a, &b);
  cleared.Encrypt(&c, &d);
  EXPECT_EQ(a, c);
  EXPECT_EQ(b, d);
}

TEST(Blowfish, ReInitReplacesTheKey) {
  std::vector<uint8_t> k1 = Hex("0123456789ABCDEF"), k2 = Hex("FEDCBA9876543210");
  CBlowfish bf;
  ASSERT_EQ(bf.Init(k1.data(), 8), 1);
  ASSERT_EQ(bf.Init(k2.data(), 8), 1);
  ExpectBlock(bf, "0123456789ABCDEF", "0ACEAB0FC6A0A28D");
}
