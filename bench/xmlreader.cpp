// The client's XML reader (CXmlDocument::Load: text to tree) beside libxml2's xmlReadMemory and
// pugixml's load_buffer, each building its whole tree and freeing it, on a 4 KB account
// document, a 64 KB flat list and a 1 MiB document 20 levels deep; the deep document also at
// 256 KiB and 4 MiB, to show the time growing with the size. At the end each time of ours is
// printed over libxml2's (goal: at most 2) and over pugixml's (a reference).
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <malloc.h>

#include <pugixml.hpp>
#include <string>

#include "casino/xml/xmldocument.h"
#include "ratioreporter.h"

namespace {
const char* const kWords[] = {"Ann", "Example", "lobby", "12.50", "EUR", "Blackjack", "table 7", "ok"};

std::string Leaf(const std::string& name, uint32_t n) {
  return "<" + name + ">" + kWords[n % 8] + " " + std::to_string(n * 7919 % 100000) + "</" + name + ">";
}

// An account request as the client sends it: user details, limits and settings.
std::string AccountDocument() {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<create_user>\n<user_details>";
  const char* const fields[] = {"first_name", "last_name", "street", "city", "zip", "country", "phone",
                                "email", "birth_date", "sec_ques_1", "sec_answer_1", "sec_ques_2", "sec_answer_2"};
  for (uint32_t n = 0; n < 13; ++n) text += "\n  " + Leaf(fields[n], n);
  text += "\n</user_details>\n<limits>";
  for (uint32_t n = 0; text.size() < 3000; ++n)
    text += "\n  <limit kind=\"deposit\">" + Leaf("period", n) + Leaf("amount", n + 1) + Leaf("currency", n + 2) + "</limit>";
  text += "\n</limits>\n<settings>";
  for (uint32_t n = 0; text.size() < 4000; ++n) text += "\n  " + Leaf("setting_" + std::to_string(n), n);
  return text + "\n</settings>\n<currency>EUR</currency>\n</create_user>\n";
}

std::string FlatList(size_t size) {
  std::string text = "<tables>";
  for (uint32_t n = 0; text.size() < size - 20; ++n) text += "\n<table>" + std::string(kWords[n % 8]) + " " + std::to_string(n) + "</table>";
  return text + "\n</tables>";
}

// Sections under the root, each a chain down to the 20th level with two leaves beside every
// link and eight at its end.
void Section(std::string& text, int32_t level, uint32_t& n) {
  const std::string name = "level" + std::to_string(level);
  text += "<" + name + ">" + Leaf("name", n);
  text += Leaf("value", n + 1);
  n += 2;
  if (level < 19) Section(text, level + 1, n);
  else
    for (int i = 0; i < 8; ++i) text += Leaf("item", n++);
  text += "</" + name + ">\n";
}

std::string DeepDocument(size_t size) {
  std::string text = "<root>\n";
  uint32_t n = 0;
  while (text.size() < size - 1500) Section(text, 2, n);
  return text + "</root>\n";
}

void Ours(benchmark::State& state, const std::string* text) {
  const CString input(text->data(), static_cast<uint32_t>(text->size()));
  for (auto _ : state) {
    CXmlDocument document;
    document.Load(input);
    benchmark::DoNotOptimize(document.GetRoot());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text->size()));
}

void Libxml2(benchmark::State& state, const std::string* text) {
  for (auto _ : state) {
    xmlDoc* document = xmlReadMemory(text->data(), static_cast<int>(text->size()), nullptr, nullptr, XML_PARSE_NONET);
    if (!document) state.SkipWithError("libxml2 refused the document");
    benchmark::DoNotOptimize(document);
    xmlFreeDoc(document);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text->size()));
}

void Pugixml(benchmark::State& state, const std::string* text) {
  for (auto _ : state) {
    pugi::xml_document document;
    if (!document.load_buffer(text->data(), text->size())) state.SkipWithError("pugixml refused the document");
    benchmark::DoNotOptimize(document.first_child());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text->size()));
}

void Register(const char* name, const std::string* text) {
  benchmark::RegisterBenchmark((std::string(name) + "/ostrel").c_str(), Ours, text);
  benchmark::RegisterBenchmark((std::string(name) + "/libxml2").c_str(), Libxml2, text);
  benchmark::RegisterBenchmark((std::string(name) + "/pugixml").c_str(), Pugixml, text);
}
}  // namespace

int main(int argc, char** argv) {
  // Page faults are dear on the virtual machines this runs on: the allocator keeps what it got,
  // so that a run measures the readers and not the kernel handing the same pages back.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  static const std::string account = AccountDocument(), flat = FlatList(64 << 10);
  static const std::string deepSmall = DeepDocument(256 << 10), deep = DeepDocument(1 << 20), deepLarge = DeepDocument(4 << 20);
  std::printf("documents: account %zu bytes, flat list %zu, deep %zu / %zu / %zu\n", account.size(), flat.size(),
              deepSmall.size(), deep.size(), deepLarge.size());
  Register("account_4k", &account);
  Register("flat_64k", &flat);
  Register("deep20_256k", &deepSmall);
  Register("deep20_1m", &deep);
  Register("deep20_4m", &deepLarge);
  CRatioReporter reporter("libxml2", "2.00");
  reporter.AddBaseline("pugixml", "none, a reference");
  return xRunRatioBenchmarks(argc, argv, reporter);
}
