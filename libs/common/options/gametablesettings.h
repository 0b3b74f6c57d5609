// A game's table settings: the limits file that its games-list entry names lists the settings
// (chip denomination, table position, bet limits, table type and others), their choices and
// defaults. The player's last choice per game and setting is kept in the registry of the current
// user, under "Software\Casino\<application>\<module>\<keyword>" in a string value named by that
// same full key path, holding the choice index as decimal text.
//
// Limits file:
//   { = GameTableSettings
//       BETLIMITS = "Bet limits", "RADIO", FALSE, "1 - 100", 1, TRUE, "5 - 500", 5
//   }                  description, static data, then per choice: default flag, text, number
//   { = GameTableSettingsBitmaps
//       BETLIMITS = LimitsLabel, Limits1, Limits5    description picture, one per choice
//   }
// The constructor and SetIndex/GetIndex throw a message text (const char*) on failure.
#pragma once

#include <cstdint>

#include "ostrel/resources/resdata.h"

class CBitmap;
class GamestxtCFVModule;

inline constexpr int32_t GAMETABLESETTINGS_PATH_SIZE = 300;
// Room for a saved index that GetIndex reads (and that its caller gives).
inline constexpr int32_t GAMETABLESETTINGS_VALUE_SIZE = 300;

class CGameTableSettings : public CResData {
 public:
  // The entry stays the caller's and must outlive the object.
  explicit CGameTableSettings(GamestxtCFVModule* game);
  ~CGameTableSettings() override = default;

  // The first setting; 0 when the file has no "GameTableSettings" chunk.
  int32_t FirstItem();
  int32_t CurrentIsChipDenomination();
  int32_t CurrentIsTablePosition();
  int32_t CurrentIsBetLimit();
  int32_t CurrentIsTableType();
  // 1 for a comment or "HIDEDENOMINATION", which the caller passes over.
  int32_t SkipCurrent();

  // Choices of the current setting (0 for a comment or no item).
  int32_t GetCurrentNumberOfValue();
  // number != -1: the index of the first choice of that number, else 0. For -1 the chosen
  // choice: the saved index when there is a valid one, else the first default, else 0.
  int32_t GetCurrentIndex(int32_t number);
  // The number of the chosen choice; -1 when the setting has none.
  int32_t GetCurrentValue();
  // Values 0 and 1 of the setting; null for a comment or no item.
  const char* GetCurrentDescription();
  const char* GetCurrentStaticData();
  // The text of choice k (-1: the chosen one); null when there is none.
  const char* GetCurrentValueString(int32_t k);
  // The pictures of the setting from "GameTableSettingsBitmaps" with their size; null when
  // missing. The walk stays on the same setting.
  CBitmap* GetCurrentDescriptionBitmap(int32_t* width, int32_t* height);
  CBitmap* GetCurrentValueBitmap(int32_t k, int32_t* width, int32_t* height);

  // The player's choice of the setting with that keyword. Both throw "Game is not valid" without
  // an entry or module name; SetIndex throws "Could not create key" when the key cannot be made,
  // and gives 0 when the value cannot be written. GetIndex gives 1 when a saved value was read
  // into out (GAMETABLESETTINGS_VALUE_SIZE characters), else 0 with out empty.
  int32_t SetIndex(const char* keyword, int32_t index);
  int32_t SetIndex(const char* keyword, const char* text);
  int32_t GetIndex(const char* keyword, char* out);

 private:
  // The current item when it is a setting (there, not a comment); else null with nothing read.
  const char* CurrentKeyword();
  int32_t CurrentIs(const char* keyword);
  CBitmap* CurrentBitmap(int32_t n, int32_t* width, int32_t* height);

  char m_RegPath[GAMETABLESETTINGS_PATH_SIZE] = {};
  GamestxtCFVModule* m_pGame = nullptr;
};
