// A loaded resource script: KCBL text (plain or scrambled) whose named top-level chunks declare
// the program's defines, strings, numbers, palette, fonts, bitmaps, control animations, colour
// tables and the window manager's defaults. Loading turns those sections into ready objects kept
// here and removes most of them from the keyword data; dialog sections, the "Data" chunk and the
// program's own chunks stay for the cursor operations.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ostrel/controls/guitypes.h"
#include "ostrel/kcbl/kcbl.h"

class CBitmap;
class CFont;

inline constexpr int32_t RES_NAME_SIZE = 32;       // 31 characters and the NUL
inline constexpr int32_t RES_FILENAME_SIZE = 260;  // 259 characters and the NUL

struct TBitmapRes {
  char m_Name[RES_NAME_SIZE];
  char m_FileName[RES_FILENAME_SIZE];
  int32_t m_X;
  int32_t m_Y;
  CBitmap* m_pBitmap;  // owned
};

class CResData : public CKCBL {
 public:
  CResData();
  // 1 when the file exists, reads, parses and the sections are set up. A scrambled script is
  // unscrambled and its last byte before the marker dropped.
  int32_t Load(const char* fileName) override;
  ~CResData() override;

  // The same from text in memory, without unscrambling (length -1: up to the NUL).
  int32_t Import(const char* text, int32_t length = -1);
  // A whole script file as it lies on disk (plain or scrambled), from memory.
  int32_t LoadImage(const uint8_t* data, uint32_t size);

  // Lookups by id (first match) and by name.
  const char* GetResName(int32_t id) const;
  const char* GetResString(int32_t id) const;
  const char* GetResString(int32_t id, const char* fallback) const;
  // The name is compared exactly.
  const char* GetResString(const char* name, const char* fallback) const;
  int32_t GetResValue(int32_t id) const;
  // Among the defines, without regard to case.
  int32_t GetResId(const char* name, int32_t* id) const;
  CFont* GetFont(const char* name) const;
  CBitmap* GetBm(const char* name, int32_t* width, int32_t* height) const;
  TCntrlAnim* GetAnimByName(const char* name) const;

  // Value n of the current item, read as a name or a list of names.
  CFont* GetFont(int32_t n);
  CBitmap* GetBitmap(int32_t n, int32_t* width, int32_t* height);
  TCntrlAnim* GetAnim(int32_t n);
  int32_t GetResFlags(int32_t n, int32_t* flags);
  int32_t GetResFlags(int32_t n, uint32_t* flags);
  int32_t GetHotkey(int32_t n, int16_t* key);
  // Four numbers (red, green, blue, alpha) separated by blanks or commas, or the name of a
  // colour table whose entry index is taken.
  int32_t GetColor(int32_t n, TRGBA* colour, int32_t index);
  int32_t GetCol(const char* name, TRGBA* colour, int32_t index) const;
  // The control colour set of the colour table named by value n: its first 8 entries.
  TCntrlColor* GetCntrlColor(int32_t n);
  TCntrlColor* GetCntrlColorByName(const char* name);

  int32_t EnterDataChunk();
  int32_t ExitDataChunk();
  // Frees the keyword data and everything loaded from it.
  void Free();

  int32_t NumDefines() const { return static_cast<int32_t>(m_Defines.size()); }
  int32_t NumStrings() const { return static_cast<int32_t>(m_Strings.size()); }
  int32_t NumBitmaps() const { return static_cast<int32_t>(m_Bitmaps.size()); }
  int32_t NumColorTables() const { return static_cast<int32_t>(m_Colors.size()); }
  const TBitmapRes* GetBitmapRes(int32_t i) const;

 private:
  struct SDefine {
    char m_Name[RES_NAME_SIZE];
    int32_t m_Id;
  };
  struct SString {
    int32_t m_Id;
    char m_Name[RES_NAME_SIZE];
    char* m_pText;  // xStrdup
  };
  struct SValue {
    int32_t m_Id;
    char m_Name[RES_NAME_SIZE];
    int32_t m_Value;
  };
  struct SFont {
    char m_Name[RES_NAME_SIZE];
    CFont* m_pFont;
  };
  struct SAnim {
    char m_Name[RES_NAME_SIZE];
    TCntrlAnim* m_pAnim;
  };
  struct SColorTable {
    char m_Name[RES_NAME_SIZE];
    std::vector<TRGBA> m_Entries;
  };
  struct SCntrlColor {
    char m_Name[RES_NAME_SIZE];
    std::unique_ptr<TCntrlColor> m_pSet;
  };

  void FreeLists();
  void AddBuiltInColors();
  void SetupSections();
  // Enters the named top-level section with restart mode off; false when there is none.
  bool EnterSection(const char* name);
  // Walks the items of the current chunk, skipping comments; fn returns false to stop.
  template <class Fn>
  void ForEachItem(Fn&& fn);
  void ReadDefines();
  void ReadStrings();
  void ReadValues();
  void ReadPalette();
  void ReadFonts();
  void ReadBitmaps();
  bool ReadSheet();
  // The current item's name, or null when it has none (missing is said in the log) or one too
  // long ("<kind> define name to big" is said).
  const char* NameOrSay(const char* missing, const char* kind);
  // The current item's first string as a file name, or null (said in the log) when it has none.
  const char* FileNameOrSay();
  bool AddBitmap(const char* name, const char* file, CBitmap* source, int32_t x, int32_t y, int32_t w, int32_t h);
  void ReadAnimations();
  void ReadColors();
  void ReadDefaults();
  void DeleteSections();
  const SColorTable* FindColorTable(const char* name) const;

  std::vector<SDefine> m_Defines;
  std::vector<SString> m_Strings;
  std::vector<SValue> m_Values;
  std::vector<SFont> m_Fonts;
  std::vector<TBitmapRes> m_Bitmaps;
  std::vector<SAnim> m_Anims;
  std::vector<SColorTable> m_Colors;
  std::vector<SCntrlColor> m_CntrlColors;
};

// Fits a name into a list's name field: 0 when it is longer than 31 characters.
int32_t xResNameFits(const char* name);
