// Server messages that carry a message number: "Table closed<MESSAGEID>1207</MESSAGEID>" is
// shown as the local text of 1207 from "xrs/message.xrs" when the script has one, else as
// "Table closed". Server and chat texts are outside input: a tag that is cut, nested or carries
// no decimal number never leads to a write outside the text.
#pragma once

#include <cstdint>

#include "ostrel/resources/resdata.h"

inline constexpr const char* TRANSLATEMESSAGE_FILE = "xrs/message.xrs";

class CTranslateMessage : public CResData {
 public:
  using CResData::Load;
  // Loads "xrs/message.xrs"; the load's result.
  int32_t Load();

  // Tagged text: the message, one separator, "MESSAGEID", one separator, the number in decimal,
  // one separator, "/MESSAGEID", one closing character. Without "MESSAGEID" the text stays as it
  // is (1). "MESSAGEID" without a "/MESSAGEID" behind it, and a null text, give 0. Otherwise the
  // text is cut before its tag (at the separator before "MESSAGEID"; a tag at the very start
  // leaves it empty) and, when the number is a non-zero decimal that fits 32 bits and the script
  // has a string of it, *text points at that string instead (1).
  int32_t TranslateMessage(char** text);
};
