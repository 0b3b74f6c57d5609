// The process-wide list of countries with their two-letter ISO codes for the account forms. It is
// filled from the client's resource script, or, on request, from the server, whose answer replaces
// it. All operations are static.
//
// Resource form: a chunk "CountryList" in the script's main chunk, one item per country, the name
// then the code:  Country = "Belgium", BE
// Server answer: a chunk "CountryList" whose item carries the size of its item "Data", a UU text
// of LZSS-coded bytes: texts each ended by a byte 1, name and code in turn.
#pragma once

#include <cstdint>

class CCommNode;
class CResData;

// Room for a name / a code with its ending zero.
inline constexpr int32_t COUNTRY_NAME_SIZE = 51;
inline constexpr int32_t COUNTRY_CODE_SIZE = 3;
// Results of the look-ups.
inline constexpr int32_t COUNTRY_FOUND = 0;
inline constexpr int32_t COUNTRY_NO_LIST = 1;
inline constexpr int32_t COUNTRY_NOT_FOUND = 2;
// The largest "Data" text an answer may carry, and the most its bytes may expand to.
inline constexpr uint32_t COUNTRYLIST_MAX_DATA = 1u << 20;
inline constexpr uint32_t COUNTRYLIST_MAX_EXPANDED = 1u << 20;

class CCountryList {
 public:
  enum STATE : int32_t { STATE_NOT_LOADED = 0, STATE_FROM_SERVER = 1, STATE_FROM_RESOURCES = 2 };

  // Remembers the node (not owned). After a server answer 1 without sending; otherwise sends
  // "SendCountryList", waits for the answer and gives 1; 0 when sending fails. A null node (an
  // owner that is about to destroy its node) is forgotten, with the result 0.
  static int32_t Request(CCommNode* node);
  // After each record the node received: when it holds the answer, the list is replaced by it
  // and the state becomes STATE_FROM_SERVER, also when the answer cannot be decoded (the list is
  // empty then). The record's cursor is left where it was.
  static void ScanNode();
  // Replaces the list by the script's chunk: 1 (state STATE_FROM_RESOURCES), 0 when the script
  // has none. Out of memory shows "Client error" / "Out of memory" and gives 0.
  static int32_t LoadFromRes(CResData* resources);
  // Empties the list; STATE_NOT_LOADED.
  static void DumpList();

  static int32_t NumberOfCountries();
  static int32_t IsLoaded();
  static STATE GetState();
  // 1 while a request waits for its answer.
  static int32_t IsWaiting();

  // COUNTRY_FOUND with the text copied (a name needs COUNTRY_NAME_SIZE, a code COUNTRY_CODE_SIZE);
  // COUNTRY_NOT_FOUND (the text empty) for an unknown text or an index past the end;
  // COUNTRY_NO_LIST when nothing is loaded. Texts compare without regard to case.
  static int32_t GetCountryName(const char* iso, char* out);
  static int32_t GetCountryName(uint32_t index, char* out);
  static int32_t GetISOCode(const char* name, char* out);
  static int32_t GetISOCode(uint32_t index, char* out);
  // So that a literal index (0) is not taken for a text; a negative one is past the end.
  static int32_t GetCountryName(int32_t index, char* out);
  static int32_t GetISOCode(int32_t index, char* out);
};
