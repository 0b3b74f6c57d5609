// The country list: from the shipped resource chunk, from a server answer made by Python's own
// UU coder over the LZSS reference model, the request on a real node pair, and hostile answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/info/countrylist.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "support/tempdir.h"

namespace {
const std::string kShippedList = std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/countrylist.xrs";
const std::string kAnswerScript = std::string(VORRIN_TEST_DATA_DIR) + "/../common/info/country_answer.py";

// The "Data" text that a server sends for the payload (plain: without LZSS).
std::string Answer(const std::string& payload, bool plain = false) {
  CTempDir dir;
  WriteWholeFile(dir.File("payload"), payload);
  const std::string command = "python3 '" + kAnswerScript + "' " + (plain ? "--plain " : "") + "'" +
                              dir.File("payload") + "' '" + dir.File("answer") + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return ReadWholeFile(dir.File("answer"));
}

std::string Payload(const std::vector<std::pair<std::string, std::string>>& countries) {
  std::string p;
  for (const auto& [name, code] : countries) p += name + '\1' + code + '\1';
  return p;
}

// The communication library started, a client node and the server's node of one conversation.
class CountryList : public ::testing::Test {
 protected:
  void SetUp() override {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    ASSERT_EQ(xCommStartup(glb, sglb), 1);
    for (auto [node, type] : {std::pair{&m_Client, CNODE_CLIENT}, std::pair{&m_Server, CNODE_SERVER}}) {
      node->SetId(7);
      node->SetName("InfoNode");
      ASSERT_EQ(node->InitCommNode(type), 1);
    }
    CCountryList::DumpList();
  }
  void TearDown() override {
    CCountryList::Request(nullptr);
    CCountryList::DumpList();
    m_Client.ExitCommNode();
    m_Server.ExitCommNode();
    xCommClosedown();
    delete glb->m_pNodeList;
    delete glb;
    delete sglb;
    glb = nullptr;
    sglb = nullptr;
  }

  // The server sends what build makes of its record; the client takes it and the list scans it.
  void Receive(const std::function<void(CCommNode&)>& build) {
    ASSERT_EQ(m_Server.SendInit(), 1);
    build(m_Server);
    ASSERT_EQ(m_Server.SendKCBLPacket(), 1);
    ASSERT_EQ(m_Client.RecvKCBLPacket(), 1);
    m_Client.m_RecvKCBL.RestartMode(1);
    CCountryList::ScanNode();
  }
  // The answer of a "Data" text with its size item.
  void ReceiveAnswer(const std::string& data) {
    Receive([&](CCommNode& r) {
      r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(data.size()), KEND);
      r.NewItem("Data", KSTRING, data.c_str(), KEND);
    });
  }

  CCommNode m_Client, m_Server;
};

std::string Name(uint32_t i) {
  char out[COUNTRY_NAME_SIZE] = "x";
  const int32_t r = CCountryList::GetCountryName(i, out);
  return std::to_string(r) + ":" + out;
}
std::string Code(uint32_t i) {
  char out[COUNTRY_CODE_SIZE] = "x";
  const int32_t r = CCountryList::GetISOCode(i, out);
  return std::to_string(r) + ":" + out;
}
std::string NameOf(const char* code) {
  char out[COUNTRY_NAME_SIZE] = "x";
  const int32_t r = CCountryList::GetCountryName(code, out);
  return std::to_string(r) + ":" + out;
}
std::string CodeOf(const char* name) {
  char out[COUNTRY_CODE_SIZE] = "x";
  const int32_t r = CCountryList::GetISOCode(name, out);
  return std::to_string(r) + ":" + out;
}
}  // namespace

TEST_F(CountryList, NothingLoadedAnswersOne) {
  EXPECT_EQ(CCountryList::IsLoaded(), 0);
  EXPECT_EQ(CCountryList::GetState(), CCountryList::STATE_NOT_LOADED);
  EXPECT_EQ(NameOf("BE"), "1:");
  EXPECT_EQ(CodeOf("Belgium"), "1:");
  EXPECT_EQ(Name(0), "1:");
  EXPECT_EQ(Code(0), "1:");
}

TEST_F(CountryList, TheShippedResourceChunk) {
  CResData res;
  ASSERT_EQ(res.Load(kShippedList.c_str()), 1);
  ASSERT_EQ(CCountryList::LoadFromRes(&res), 1);
  EXPECT_EQ(CCountryList::GetState(), CCountryList::STATE_FROM_RESOURCES);
  EXPECT_EQ(CCountryList::IsLoaded(), 1);
  // ISO 3166-1 as iso-codes has it: 249 countries, each code two capitals and given once.
  const int32_t n = CCountryList::NumberOfCountries();
  EXPECT_EQ(n, 249);
  std::vector<std::string> codes;
  for (int32_t i = 0; i < n; ++i) {
    char name[COUNTRY_NAME_SIZE], code[COUNTRY_CODE_SIZE];
    ASSERT_EQ(CCountryList::GetCountryName(i, name), COUNTRY_FOUND);
    ASSERT_EQ(CCountryList::GetISOCode(i, code), COUNTRY_FOUND);
    EXPECT_TRUE(code[0] >= 'A' && code[0] <= 'Z' && code[1] >= 'A' && code[1] <= 'Z' && !code[2]) << code;
    EXPECT_GT(std::string(name).size(), 3u);
    codes.push_back(code);
  }
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(std::unique(codes.begin(), codes.end()), codes.end());
  EXPECT_EQ(NameOf("de"), "0:Germany") << "a code in small letters";
  EXPECT_EQ(NameOf("Gb"), "0:United Kingdom");
  EXPECT_EQ(CodeOf("united states"), "0:US");
  EXPECT_EQ(CodeOf("\xC5land Islands"), "0:AX") << "Windows-1252, as the client reads it";
  EXPECT_EQ(Name(0), "0:Afghanistan");
  EXPECT_EQ(Name(static_cast<uint32_t>(n)), "2:") << "past the end";
  EXPECT_EQ(Code(static_cast<uint32_t>(n)), "2:");
  EXPECT_EQ(CCountryList::GetCountryName(-1, nullptr), COUNTRY_NOT_FOUND);
  EXPECT_EQ(NameOf("XX"), "2:");
  EXPECT_EQ(NameOf(nullptr), "2:");
  EXPECT_EQ(CodeOf("Atlantis"), "2:");
}

TEST_F(CountryList, TheResourceChunkSkipsWhatIsNoCountryAndKeepsTheScriptsPlace) {
  CResData res;
  ASSERT_EQ(res.Load((std::string(VORRIN_TEST_DATA_DIR) + "/countrylist/mixed.xrs").c_str()), 1);
  res.MainChunk();
  // On the item after the list chunk.
  for (res.FirstItem(); res.ItemExists() && (res.ItemType() != 1 || res.IsComment());) res.NextItem(0);
  res.RestartMode(0);
  ASSERT_STREQ(res.GetKeyword(), "Country");
  ASSERT_EQ(CCountryList::LoadFromRes(&res), 1);
  EXPECT_STREQ(res.GetKeyword(), "Country");
  EXPECT_STREQ(res.GetString(0), "Outside");
  EXPECT_EQ(res.GetRestartMode(), 0);
  ASSERT_EQ(CCountryList::NumberOfCountries(), 4);
  EXPECT_EQ(Name(0) + "|" + Code(0), "0:Belgium|0:BE");
  EXPECT_EQ(Name(1) + "|" + Code(1), "0:A country whose name runs on far beyond the fifty |0:XY");
  EXPECT_EQ(Name(2) + "|" + Code(2), "0:Norway|0:no");
  EXPECT_EQ(Name(3) + "|" + Code(3), "0:|0:");
  EXPECT_EQ(NameOf("NO"), "0:Norway");
  EXPECT_EQ(NameOf("HD"), "2:");

  // A script without the chunk drops the list.
  CResData other;
  ASSERT_EQ(other.Import("{ = Strings\n}\n"), 1);
  EXPECT_EQ(CCountryList::LoadFromRes(&other), 0);
  EXPECT_EQ(CCountryList::NumberOfCountries(), 0);
  EXPECT_EQ(CCountryList::GetState(), CCountryList::STATE_NOT_LOADED);
  EXPECT_EQ(CCountryList::LoadFromRes(nullptr), 0);
}

TEST_F(CountryList, TheRequestAndTheServersAnswer) {
  CResData res;
  ASSERT_EQ(res.Load(kShippedList.c_str()), 1);
  ASSERT_EQ(CCountryList::LoadFromRes(&res), 1);
  ASSERT_EQ(CCountryList::Request(&m_Client), 1);
  EXPECT_EQ(CCountryList::IsWaiting(), 1);
  ASSERT_EQ(m_Server.RecvKCBLPacket(), 1);
  CKCBL& asked = m_Server.m_RecvKCBL;
  asked.MainChunk();
  ASSERT_EQ(asked.FirstItem(), 1);
  EXPECT_STREQ(asked.GetKeyword(), "SendCountryList");
  EXPECT_EQ(asked.GetNumStrings(), 0);
  EXPECT_EQ(asked.NextItem(0), 0) << "the one item";
  m_Server.RecvKCBLFree();

  // A record without the list changes nothing.
  Receive([](CCommNode& r) { r.NewItem("Login", KLONG, 1, KEND); });
  EXPECT_EQ(CCountryList::IsWaiting(), 1);
  EXPECT_EQ(CCountryList::GetState(), CCountryList::STATE_FROM_RESOURCES);

  ReceiveAnswer(Answer(Payload({{"Belgium", "BE"}, {"Norway", "NO"}, {"C\xF4te d'Ivoire", "CI"}})));
  EXPECT_EQ(CCountryList::IsWaiting(), 0);
  EXPECT_EQ(CCountryList::GetState(), CCountryList::STATE_FROM_SERVER);
  ASSERT_EQ(CCountryList::NumberOfCountries(), 3) << "the answer replaces the resource list";
  EXPECT_EQ(NameOf("ci"), "0:C\xF4te d'Ivoire");
  EXPECT_EQ(CodeOf("NORWAY"), "0:NO");
  EXPECT_EQ(Name(3), "2:");

  // Asked again, it sends nothing.
  EXPECT_EQ(CCountryList::Request(&m_Client), 1);
  EXPECT_EQ(m_Server.IsDataAvailable(), 0);
  EXPECT_EQ(CCountryList::IsWaiting(), 0);
  // Resources again: the next request goes out.
  ASSERT_EQ(CCountryList::LoadFromRes(&res), 1);
  EXPECT_EQ(CCountryList::Request(&m_Client), 1);
  EXPECT_EQ(m_Server.IsDataAvailable(), 1);
}

TEST_F(CountryList, TheWholeListFromTheServerAndTheRecordsPlaceKept) {
  CResData res;
  ASSERT_EQ(res.Load(kShippedList.c_str()), 1);
  ASSERT_EQ(CCountryList::LoadFromRes(&res), 1);
  std::vector<std::pair<std::string, std::string>> all;
  for (uint32_t i = 0; i < static_cast<uint32_t>(CCountryList::NumberOfCountries()); ++i) {
    char name[COUNTRY_NAME_SIZE], code[COUNTRY_CODE_SIZE];
    CCountryList::GetCountryName(i, name);
    CCountryList::GetISOCode(i, code);
    all.emplace_back(name, code);
  }
  const std::string data = Answer(Payload(all));
  ASSERT_EQ(CCountryList::Request(&m_Client), 1);
  // The login's reply comes in the same record; the owner reads it after the scan.
  Receive([&](CCommNode& r) {
    r.NewItem("Login", KLONG, 1, KEND);
    r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(data.size()), KEND);
    r.NewItem("Data", KSTRING, data.c_str(), KEND);
    r.ExitChunk();
    r.NewItem("Success", KLONG, 1, KEND);
  });
  CKCBL& record = m_Client.m_RecvKCBL;
  EXPECT_STREQ(record.GetKeyword(), "Login") << "the cursor stays on the first item";
  EXPECT_EQ(record.GetRestartMode(), 1);
  EXPECT_EQ(record.FindItem("Success"), 1);
  ASSERT_EQ(CCountryList::NumberOfCountries(), static_cast<int32_t>(all.size()));
  for (uint32_t i = 0; i < all.size(); ++i) EXPECT_EQ(Name(i) + Code(i), "0:" + all[i].first + "0:" + all[i].second);
}

TEST_F(CountryList, AnAnswerIsCutAndAnIncompleteLastPairDropped) {
  ASSERT_EQ(CCountryList::Request(&m_Client), 1);
  const std::string longName(70, 'L');
  ReceiveAnswer(Answer(Payload({{"Belgium", "BE"}, {longName, "DEU"}}) + "Orphan\1" + "No end"));
  ASSERT_EQ(CCountryList::NumberOfCountries(), 2);
  EXPECT_EQ(Name(1), "0:" + longName.substr(0, 50));
  EXPECT_EQ(Code(1), "0:DE");
  EXPECT_EQ(CodeOf("Orphan"), "2:");
}

TEST_F(CountryList, HostileAnswersLeaveAnEmptyListFromTheServer) {
  const std::string good = Answer(Payload({{"Belgium", "BE"}}));
  const std::string coded = Answer(Payload({{"Belgium", "BE"}, {"Norway", "NO"}}));
  const struct {
    const char* m_pWhy;
    std::function<void(CCommNode&)> m_Build;
  } cases[] = {
      {"no size", [&](CCommNode& r) {
         r.NewChunk(KSTRING, "CountryList", KEND);
         r.NewItem("Data", KSTRING, good.c_str(), KEND);
       }},
      {"a size that is no number", [&](CCommNode& r) {
         r.NewChunk(KSTRING, "CountryList", KSTRING, "many", KEND);
         r.NewItem("Data", KSTRING, good.c_str(), KEND);
       }},
      {"a size one short", [&](CCommNode& r) {
         r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(good.size() - 1), KEND);
         r.NewItem("Data", KSTRING, good.c_str(), KEND);
       }},
      {"a size one long", [&](CCommNode& r) {
         r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(good.size() + 1), KEND);
         r.NewItem("Data", KSTRING, good.c_str(), KEND);
       }},
      {"a negative size", [&](CCommNode& r) {
         r.NewChunk(KSTRING, "CountryList", KLONG, -1, KEND);
         r.NewItem("Data", KSTRING, good.c_str(), KEND);
       }},
      {"no Data", [&](CCommNode& r) { r.NewChunk(KSTRING, "CountryList", KLONG, 0, KEND); }},
      {"empty Data", [&](CCommNode& r) {
         r.NewChunk(KSTRING, "CountryList", KLONG, 0, KEND);
         r.NewItem("Data", KSTRING, "", KEND);
       }},
      {"huge", [&](CCommNode& r) {
         const std::string huge(COUNTRYLIST_MAX_DATA, 'M');
         r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(huge.size()), KEND);
         r.NewItem("Data", KSTRING, huge.c_str(), KEND);
       }},
      {"not UU: lines that claim more than they carry", [&](CCommNode& r) {
         std::string lies;
         for (int i = 0; i < 100; ++i) lies += "_\n";
         r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(lies.size()), KEND);
         r.NewItem("Data", KSTRING, lies.c_str(), KEND);
       }},
      {"not LZSS: the plain payload", [&](CCommNode& r) {
         const std::string plain = Answer(Payload({{"Belgium", "BE"}, {"Norway", "NO"}}), true);
         r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(plain.size()), KEND);
         r.NewItem("Data", KSTRING, plain.c_str(), KEND);
       }},
      {"not LZSS: a coded stream without its end", [&](CCommNode& r) {
         // The UU text of the coded bytes less their last two (the end mark).
         std::string cut = coded.substr(0, coded.find('\n'));
         cut[0] = static_cast<char>(cut[0] - 2);
         cut += '\n';
         r.NewChunk(KSTRING, "CountryList", KLONG, static_cast<int32_t>(cut.size()), KEND);
         r.NewItem("Data", KSTRING, cut.c_str(), KEND);
       }},
  };
  ASSERT_LT(coded.size(), 60u) << "one UU line";
  for (const auto& c : cases) {
    CResData res;
    ASSERT_EQ(res.Import("{ = CountryList\n Country = \"Belgium\", BE\n}\n"), 1);
    ASSERT_EQ(CCountryList::LoadFromRes(&res), 1);
    ASSERT_EQ(CCountryList::Request(&m_Client), 1);
    m_Server.RecvKCBLPacket();
    Receive(c.m_Build);
    EXPECT_EQ(CCountryList::GetState(), CCountryList::STATE_FROM_SERVER) << c.m_pWhy;
    EXPECT_EQ(CCountryList::NumberOfCountries(), 0) << c.m_pWhy;
    EXPECT_EQ(CCountryList::IsWaiting(), 0) << c.m_pWhy;
    EXPECT_EQ(NameOf("BE"), "2:") << c.m_pWhy;
    CCountryList::DumpList();
  }
  // The good answer, as a check on the table's own making.
  ASSERT_EQ(CCountryList::Request(&m_Client), 1);
  ReceiveAnswer(good);
  EXPECT_EQ(NameOf("be"), "0:Belgium");
}

TEST_F(CountryList, TheGeneratorWritesAChunkTheListReads) {
  CTempDir dir;
  const std::string tool = std::string(VORRIN_TEST_DATA_DIR) + "/../../tools/countrylist/makecountrylist.py";
  const std::string input = std::string(VORRIN_TEST_DATA_DIR) + "/countrylist/iso_3166-1.json";
  std::string command = "python3 '" + tool + "' --input '" + input + "' --output '" + dir.File("list.xrs") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  CResData res;
  ASSERT_EQ(res.Load(dir.File("list.xrs").c_str()), 1);
  ASSERT_EQ(CCountryList::LoadFromRes(&res), 1);
  // Sorted as read, accents aside; the common name where the standard gives one; Windows-1252.
  std::string names;
  for (uint32_t i = 0; i < 5; ++i) names += Name(i).substr(2) + "|";
  EXPECT_EQ(names, "Afghanistan|\xC5land Islands|Belgium|Bolivia|C\xF4te d'Ivoire|");
  EXPECT_EQ(Name(5), "2:");

  // A name the client would cut stops the run.
  WriteWholeFile(dir.File("long.json"), "{\"3166-1\": [{\"alpha_2\": \"LL\", \"name\": \"" + std::string(51, 'L') + "\"}]}");
  command = "python3 '" + tool + "' --input '" + dir.File("long.json") + "' --output '" + dir.File("long.xrs") +
            "' 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
}
