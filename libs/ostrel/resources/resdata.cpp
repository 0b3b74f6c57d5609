#include "ostrel/resources/resdata.h"

#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/files/scramble.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/system/debug.h"

namespace {
// Far beyond any script of the system.
constexpr uint32_t kMaxScriptSize = 64u << 20;
constexpr int32_t kMaxBitmapSide = 16384;
// A scrambled script's text ends this far before the end of the file.
constexpr uint32_t kScrambledTail = XCRYPT_MARKER_LEN + 1;

struct SBuiltInDefine {
  const char* m_pName;
  int32_t m_Id;
};
constexpr SBuiltInDefine kBuiltInDefines[] = {
    {"IDS_NONE", 0}, {"IDB_NONE", 0}, {"IDP_NONE", 0}, {"IDG_NONE", 0}, {"IDL_NONE", 0}, {"XCNTRL_CLOSE", XCNTRL_CLOSE},
};

struct SBuiltInColor {
  const char* m_pName;
  uint8_t m_R, m_G, m_B;
};
constexpr SBuiltInColor kBuiltInColors[] = {
    {"black", 1, 1, 1}, {"white", 255, 255, 255}, {"grey", 128, 128, 128},
    {"red", 255, 0, 0}, {"green", 0, 255, 0},     {"blue", 0, 0, 255},
};

const char* const kDeletedSections[] = {"Defines", "Strings", "Values", "Palette", "Bitmaps", "Animations", "Colors"};

void CopyName(char (&to)[RES_NAME_SIZE], const char* from) {
  xStrncpy(to, from, RES_NAME_SIZE - 1);
  to[RES_NAME_SIZE - 1] = '\0';
}

bool IsColourSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

// A picture from a file; null when it does not load.
CBitmap* LoadPicture(const char* file) {
  auto* bitmap = new (std::nothrow) CBitmap;
  if (!bitmap) return nullptr;
  if (!bitmap->Load(file, 0)) {
    delete bitmap;
    return nullptr;
  }
  return bitmap;
}

// The palette's name: the text after the last "/", cut at its first ".".
void PaletteName(const char* file, char* out, size_t size) {
  const char* slash = std::strrchr(file, '/');
  const char* base = slash ? slash + 1 : file;
  size_t n = std::strcspn(base, ".");
  if (n >= size) n = size - 1;
  std::memcpy(out, base, n);
  out[n] = '\0';
}
}  // namespace

int32_t xResNameFits(const char* name) { return name && std::strlen(name) < static_cast<size_t>(RES_NAME_SIZE); }

namespace {
// Names of the Defines, Strings and Values sections must fit their records.
bool NameFitsOrSay(const char* name) {
  if (xResNameFits(name)) return true;
  xprintf("Define name to big : \"%s\"", name ? name : "");
  return false;
}
}  // namespace

CResData::CResData() = default;

CResData::~CResData() { FreeLists(); }

void CResData::Free() {
  CKCBL::Free();
  FreeLists();
}

void CResData::FreeLists() {
  // The window manager may hold some of these as its defaults.
  if (CWinCtrl* wc = xWinCtrl()) {
    for (SFont& f : m_Fonts) wc->ForgetDefault(f.m_pFont);
    for (TBitmapRes& b : m_Bitmaps) wc->ForgetDefault(b.m_pBitmap);
    for (SCntrlColor& c : m_CntrlColors) wc->ForgetDefault(c.m_pSet.get());
  }
  m_Defines.clear();
  for (SString& s : m_Strings) xFree(s.m_pText);
  m_Strings.clear();
  m_Values.clear();
  for (SFont& f : m_Fonts) xGuiDeleteFont(f.m_pFont);
  m_Fonts.clear();
  for (TBitmapRes& b : m_Bitmaps) delete b.m_pBitmap;
  m_Bitmaps.clear();
  for (SAnim& a : m_Anims) delete a.m_pAnim;
  m_Anims.clear();
  m_Colors.clear();
  m_CntrlColors.clear();
}

// --- Loading ---

int32_t CResData::Load(const char* fileName) {
  Free();
  if (!fileName || !xFileExists(fileName)) return 0;
  CFile file;
  if (!file.Open(fileName, XFILE_READ)) return 0;
  uint32_t size = 0;
  if (!file.GetSize(&size) || size > kMaxScriptSize) return 0;
  std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[size ? size : 1]);
  if (!image) return 0;
  if (size && !file.Read(image.get(), size)) return 0;
  file.Close();
  return LoadImage(image.get(), size);
}

int32_t CResData::LoadImage(const uint8_t* data, uint32_t size) {
  Free();
  if ((!data && size) || size > kMaxScriptSize) return 0;
  std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(size) + 1]);
  if (!text) return 0;
  if (size) std::memcpy(text.get(), data, size);
  text[size] = '\0';
  uint32_t length = size;
  if (xIsCrypt(text.get(), size)) {
    // The marker and the byte before it are not part of the text.
    xDecrypt(text.get(), size);
    length = size >= kScrambledTail ? size - kScrambledTail : 0;
    text[length] = '\0';
  }
  return Import(text.get(), static_cast<int32_t>(length));
}

int32_t CResData::Import(const char* text, int32_t length) {
  FreeLists();
  if (!text || !CKCBL::Import(text, length)) return 0;
  AddBuiltInColors();
  SetupSections();
  return 1;
}

void CResData::AddBuiltInColors() {
  for (const SBuiltInColor& c : kBuiltInColors) {
    SColorTable table;
    CopyName(table.m_Name, c.m_pName);
    table.m_Entries.push_back(TRGBA(c.m_R, c.m_G, c.m_B, 0));
    m_Colors.push_back(std::move(table));
  }
}

bool CResData::EnterSection(const char* name) {
  if (!EnterChunk(name)) return false;
  RestartMode(0);
  return true;
}

template <class Fn>
void CResData::ForEachItem(Fn&& fn) {
  for (int32_t more = ItemExists(); more; more = NextItem(0)) {
    if (IsComment()) continue;
    if (!fn()) return;
  }
}

void CResData::SetupSections() {
  ReadDefines();
  ReadStrings();
  ReadValues();
  ReadPalette();
  ReadFonts();
  ReadBitmaps();
  ReadAnimations();
  ReadColors();
  ReadDefaults();
  DeleteSections();
}

void CResData::ReadDefines() {
  if (!EnterSection("Defines")) return;
  for (const SBuiltInDefine& d : kBuiltInDefines) {
    SDefine define{};
    CopyName(define.m_Name, d.m_pName);
    define.m_Id = d.m_Id;
    m_Defines.push_back(define);
  }
  ForEachItem([&] {
    const char* name = GetKeyword();
    if (!NameFitsOrSay(name)) return false;
    SDefine define{};
    if (!GetLong(0, &define.m_Id)) {
      xprintf("Unable to get define id for \"%s\"", name);
      return false;
    }
    CopyName(define.m_Name, name);
    m_Defines.push_back(define);
    return true;
  });
}

void CResData::ReadStrings() {
  if (!EnterSection("Strings")) return;
  ForEachItem([&] {
    const char* name = GetKeyword();
    if (!NameFitsOrSay(name)) return false;
    SString entry{};
    const char* text = GetString(1);
    if (!GetLong(0, &entry.m_Id) || !text) {
      xprintf("Unable to get id/string for \"%s\"", name);
      return false;
    }
    CopyName(entry.m_Name, name);
    entry.m_pText = xStrdup(text);
    if (!entry.m_pText) return false;
    m_Strings.push_back(entry);
    return true;
  });
}

void CResData::ReadValues() {
  if (!EnterSection("Values")) return;
  ForEachItem([&] {
    const char* name = GetKeyword();
    if (!NameFitsOrSay(name)) return false;
    SValue entry{};
    if (!GetLong(0, &entry.m_Id) || !GetLong(1, &entry.m_Value)) {
      xprintf("Unable to get id/value for \"%s\"", name);
      return false;
    }
    CopyName(entry.m_Name, name);
    m_Values.push_back(entry);
    return true;
  });
}

void CResData::ReadPalette() {
  if (!EnterSection("Palette")) return;
  ForEachItem([&] {
    const char* file = GetString(0);
    if (!file) {
      xprintf("Unable to get string for \"%s\"", GetKeyword());
      return false;
    }
    std::unique_ptr<CBitmap> picture(LoadPicture(file));
    if (!picture) return false;
    if (CPalette* palette = picture->m_pPalette) {
      char name[RES_FILENAME_SIZE];
      PaletteName(file, name, sizeof name);
      palette->SetName(name);
      xGuiSetPalette(palette);
    }
    return true;
  });
}

void CResData::ReadFonts() {
  if (!EnterSection("Fonts")) return;
  ForEachItem([&] {
    const char* name = GetKeyword();
    if (!xResNameFits(name)) {
      xprintf("Bitmap define name to big : \"%s\"", name ? name : "");
      return false;
    }
    const char* file = FileNameOrSay();
    if (!file) return false;
    CFont* font = xGuiLoadFont(file);
    if (!font) {
      xprintf("Unable to load the font \"%s\" from \"%s\"", name, file);
      return false;
    }
    SFont entry{};
    CopyName(entry.m_Name, name);
    entry.m_pFont = font;
    m_Fonts.push_back(entry);
    return true;
  });
}

bool CResData::AddBitmap(const char* name, const char* file, CBitmap* source, int32_t x, int32_t y, int32_t w,
                         int32_t h) {
  std::unique_ptr<CBitmap> bitmap(new (std::nothrow) CBitmap);
  if (!bitmap) return false;
  if (w == -1 || h == -1) {
    x = 0;
    y = 0;
    w = source->m_Width;
    h = source->m_Height;
  }
  if (w < 1 || h < 1 || w > kMaxBitmapSide || h > kMaxBitmapSide) {
    xprintf("Bitmap size out of range for \"%s\"", name);
    return false;
  }
  if (!bitmap->CreateRGB(w, h, 24, 8, 8, 8, 16, 8, 0, 0)) return false;
  bitmap->Blt(source, x, y, 0, 0, w, h, 0, 0, 0);
  xGuiMakeScreenBitmap(bitmap.get());
  TBitmapRes entry{};
  CopyName(entry.m_Name, name);
  xStrncpy(entry.m_FileName, file, RES_FILENAME_SIZE - 1);
  entry.m_X = x;
  entry.m_Y = y;
  entry.m_pBitmap = bitmap.release();
  m_Bitmaps.push_back(entry);
  return true;
}

const char* CResData::NameOrSay(const char* missing, const char* kind) {
  const char* name = GetKeyword();
  if (!name) {
    xprintf("%s", missing);
    return nullptr;
  }
  if (!xResNameFits(name)) {
    xprintf("%s define name to big : \"%s\"", kind, name);
    return nullptr;
  }
  return name;
}

const char* CResData::FileNameOrSay() {
  const char* file = GetString(0);
  if (!file) xprintf("fname is invalid");
  return file;
}

bool CResData::ReadSheet() {
  const char* file = GetString(0);
  if (!file) return true;  // a sub-chunk that names no picture is no sheet
  if (std::strlen(file) >= static_cast<size_t>(RES_FILENAME_SIZE)) {
    xprintf("Bitmap filename to big : \"%s\"", file);
    return false;
  }
  std::unique_ptr<CBitmap> sheet(LoadPicture(file));
  if (!sheet) {
    xprintf("Unable to load the bitmap sheet \"%s\"", file);
    return false;
  }
  char fileName[RES_FILENAME_SIZE];
  xStrncpy(fileName, file, RES_FILENAME_SIZE - 1);
  fileName[RES_FILENAME_SIZE - 1] = '\0';
  if (!EnterChunk()) return true;
  bool ok = true;
  ForEachItem([&] {
    const char* name = NameOrSay("defName is invalid", "Bitmap");
    if (!name) return ok = false;
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!GetLong(0, &x) || !GetLong(1, &y) || !GetLong(2, &w) || !GetLong(3, &h)) {
      xprintf("Failed to read in the x,y,w,h data fields for bitmap \"%s\"", name);
      return ok = false;
    }
    return ok = AddBitmap(name, fileName, sheet.get(), x, y, w, h);
  });
  ExitChunk();
  return ok;
}

void CResData::ReadBitmaps() {
  if (!EnterSection("Bitmaps")) return;
  ForEachItem([&] {
    if (ItemType() == 2) return ReadSheet();
    const char* name = NameOrSay("defName is invalid", "Bitmap");
    if (!name) return false;
    const char* file = FileNameOrSay();
    if (!file) return false;
    if (std::strlen(file) >= static_cast<size_t>(RES_FILENAME_SIZE)) {
      xprintf("Bitmap filename to big : \"%s\"", file);
      return false;
    }
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!GetLong(1, &x) || !GetLong(2, &y) || !GetLong(3, &w) || !GetLong(4, &h)) {
      xprintf("Failed to read in the x,y,w,h data fields for bitmap \"%s\"", name);
      return false;
    }
    std::unique_ptr<CBitmap> picture(LoadPicture(file));
    if (!picture) {
      xprintf("Unable to load the bitmap \"%s\"", file);
      return false;
    }
    return AddBitmap(name, file, picture.get(), x, y, w, h);
  });
}

void CResData::ReadAnimations() {
  if (!EnterSection("Animations")) return;
  ForEachItem([&] {
    const char* name = NameOrSay("defName is invalid", "Bitmap");
    if (!name) return false;
    const char* file = FileNameOrSay();
    if (!file) return false;
    int32_t v[8];
    for (int32_t i = 0; i < 8; ++i) {
      if (!GetLong(i + 1, &v[i])) {
        xprintf("Failed to read in the frame delay,x,y,w,h,col,row,transFlag data fields for animation \"%s\"", name);
        return false;
      }
    }
    const int32_t delay = v[0], w = v[3], h = v[4], columns = v[5], rows = v[6], trans = v[7];
    std::unique_ptr<CBitmap> picture(LoadPicture(file));
    if (!picture) {
      xprintf("Failed to load temporary bitmap for anim\n");
      return false;
    }
    // Without a screen the picture keeps its own format.
    if (xGuiScreenSize(nullptr, nullptr) && !xGuiMakeScreenFormat(picture.get(), 1)) {
      xprintf("Failed to make screen bitmap for anim\n");
      return false;
    }
    TCntrlAnim* anim = xCreateCntrlAnim(picture.get(), w, h, 0, columns, rows, 1, trans);
    if (!anim) {
      xprintf("Failed to create the \"%s\" animation", name);
      return false;
    }
    anim->m_Delay = delay > 0 ? static_cast<uint32_t>(delay) : 1;
    SAnim entry{};
    CopyName(entry.m_Name, name);
    entry.m_pAnim = anim;
    m_Anims.push_back(entry);
    return true;
  });
}

void CResData::ReadColors() {
  if (!EnterSection("Colors")) return;
  ForEachItem([&] {
    const char* name = NameOrSay("GetKeytword returned error", "Color");
    if (!name) return false;
    SColorTable table;
    CopyName(table.m_Name, name);
    const int32_t count = GetNumStrings();
    for (int32_t i = 0; i < count; ++i) {
      TRGBA colour(0, 0, 0, 0);
      if (!GetColor(i, &colour, 0)) return false;
      table.m_Entries.push_back(colour);
    }
    m_Colors.push_back(std::move(table));
    return true;
  });
}

namespace {
// The "Defaults" keys that name four bitmaps or four colour sets, one for each look state.
struct SBitmapDefault {
  const char* m_pKey;
  const char* m_pError;
  void (CWinCtrl::*m_Set)(CBitmap*, CBitmap*, CBitmap*, CBitmap*);
};
struct SColourDefault {
  const char* m_pKey;
  void (CWinCtrl::*m_Set)(TCntrlColor*, TCntrlColor*, TCntrlColor*, TCntrlColor*);
};
constexpr SBitmapDefault kBitmapDefaults[] = {
    {"Close", "Unable to get the default close bitmaps", &CWinCtrl::SetDefaultClose},
    {"Drop", "Unable to get the default drop bitmaps", &CWinCtrl::SetDefaultDrop},
    {"ArrowUp", "Unable to get the default arrow up bitmaps", &CWinCtrl::SetDefaultArrowUp},
    {"ArrowDown", "Unable to get the default arrow down bitmaps", &CWinCtrl::SetDefaultArrowDown},
    {"Radio", "Unable to get the default radio bitmaps", &CWinCtrl::SetDefaultRadio},
    {"Thumb", "Unable to get the default thumb bitmaps", &CWinCtrl::SetDefaultThumb},
};
constexpr SColourDefault kColourDefaults[] = {
    {"Timeout", &CWinCtrl::SetDefaultTimeout},
    {"Titlebar", &CWinCtrl::SetDefaultTitlebar},
    {"Frame", &CWinCtrl::SetDefaultFrame},
    {"Static", &CWinCtrl::SetDefaultFrame},
    {"Button", &CWinCtrl::SetDefaultButton},
};

template <typename T, size_t N>
const T* FindDefault(const T (&table)[N], const char* key) {
  for (const T& entry : table)
    if (xStricmp(key, entry.m_pKey) == 0) return &entry;
  return nullptr;
}
}  // namespace

void CResData::ReadDefaults() {
  CWinCtrl* wc = xWinCtrl();
  if (!wc || !EnterSection("Defaults")) return;
  auto bitmaps4 = [&](CBitmap** out, const char* error) {
    for (int32_t i = 0; i < 4; ++i) {
      out[i] = GetBitmap(i, nullptr, nullptr);
      if (!out[i]) {
        xprintf("%s", error);
        return false;
      }
    }
    return true;
  };
  auto colours4 = [&](TCntrlColor** out) {
    for (int32_t i = 0; i < 4; ++i)
      if (!(out[i] = GetCntrlColor(i))) return false;
    return true;
  };
  ForEachItem([&] {
    const char* key = GetKeyword();
    if (!key) {
      xprintf("GetKeyword returned error.");
      return false;
    }
    CBitmap* b[4] = {};
    TCntrlColor* c[4] = {};
    if (xStricmp(key, "Font") == 0) {
      CFont* font = GetFont(0);
      if (!font) {
        xprintf("Unable to get the default font");
        return false;
      }
      wc->SetDefaultFont(font);
    } else if (xStricmp(key, "Caret") == 0 || xStricmp(key, "Check") == 0) {
      const bool caret = xStricmp(key, "Caret") == 0;
      CBitmap* bitmap = GetBitmap(0, nullptr, nullptr);
      if (!bitmap) {
        xprintf(caret ? "Unable to get the default caret bitmap" : "Unable to get the default check bitmap");
        return false;
      }
      if (caret)
        wc->SetDefaultCaret(bitmap);
      else
        wc->SetDefaultCheck(bitmap);
    } else if (const SBitmapDefault* d = FindDefault(kBitmapDefaults, key)) {
      if (!bitmaps4(b, d->m_pError)) return false;
      (wc->*d->m_Set)(b[0], b[1], b[2], b[3]);
    } else if (const SColourDefault* d = FindDefault(kColourDefaults, key)) {
      if (!colours4(c)) return false;
      (wc->*d->m_Set)(c[0], c[1], c[2], c[3]);
    }
    return true;
  });
}

void CResData::DeleteSections() {
  RestartMode(1);
  for (const char* name : kDeletedSections) {
    MainChunk();
    FirstItem();
    if (FindItem("{", name)) KillItem();
  }
  MainChunk();
  FirstItem();
}

// --- Lookups ---

const char* CResData::GetResName(int32_t id) const {
  for (const SDefine& d : m_Defines)
    if (d.m_Id == id) return d.m_Name;
  return nullptr;
}

const char* CResData::GetResString(int32_t id) const {
  for (const SString& s : m_Strings)
    if (s.m_Id == id) return s.m_pText;
  return nullptr;
}

const char* CResData::GetResString(int32_t id, const char* fallback) const {
  const char* text = GetResString(id);
  return text ? text : fallback;
}

const char* CResData::GetResString(const char* name, const char* fallback) const {
  if (name) {
    for (const SString& s : m_Strings)
      if (std::strcmp(s.m_Name, name) == 0) return s.m_pText;
  }
  return fallback;
}

int32_t CResData::GetResValue(int32_t id) const {
  for (const SValue& v : m_Values)
    if (v.m_Id == id) return v.m_Value;
  return 0;
}

int32_t CResData::GetResId(const char* name, int32_t* id) const {
  if (!name) return 0;
  for (const SDefine& d : m_Defines) {
    if (xStricmp(d.m_Name, name) == 0) {
      if (id) *id = d.m_Id;
      return 1;
    }
  }
  return 0;
}

CFont* CResData::GetFont(const char* name) const {
  if (name) {
    for (const SFont& f : m_Fonts)
      if (xStricmp(f.m_Name, name) == 0) return f.m_pFont;
  }
  xprintf("The \"%s\" font hasn't been preloaded in the res file", name ? name : "");
  return nullptr;
}

CBitmap* CResData::GetBm(const char* name, int32_t* width, int32_t* height) const {
  if (!name) return nullptr;
  for (const TBitmapRes& b : m_Bitmaps) {
    if (xStricmp(b.m_Name, name) == 0) {
      if (width) *width = b.m_pBitmap->m_Width;
      if (height) *height = b.m_pBitmap->m_Height;
      return b.m_pBitmap;
    }
  }
  return nullptr;
}

TCntrlAnim* CResData::GetAnimByName(const char* name) const {
  if (!name) return nullptr;
  for (const SAnim& a : m_Anims)
    if (xStricmp(a.m_Name, name) == 0) return a.m_pAnim;
  return nullptr;
}

const TBitmapRes* CResData::GetBitmapRes(int32_t i) const {
  return i >= 0 && i < NumBitmaps() ? &m_Bitmaps[static_cast<size_t>(i)] : nullptr;
}

CFont* CResData::GetFont(int32_t n) { return GetFont(static_cast<const char*>(GetString(n))); }

CBitmap* CResData::GetBitmap(int32_t n, int32_t* width, int32_t* height) { return GetBm(GetString(n), width, height); }

TCntrlAnim* CResData::GetAnim(int32_t n) { return GetAnimByName(GetString(n)); }

int32_t CResData::GetResFlags(int32_t n, uint32_t* flags) { return xResFlagsOfText(GetString(n), flags); }

int32_t CResData::GetResFlags(int32_t n, int32_t* flags) {
  uint32_t value = 0;
  if (!flags || !GetResFlags(n, &value)) return 0;
  *flags = static_cast<int32_t>(value);
  return 1;
}

int32_t CResData::GetHotkey(int32_t n, int16_t* key) {
  uint16_t code = 0;
  if (!key || !xResKeyByName(GetString(n), &code)) return 0;
  *key = static_cast<int16_t>(code);
  return 1;
}

const CResData::SColorTable* CResData::FindColorTable(const char* name) const {
  if (!name) return nullptr;
  for (const SColorTable& t : m_Colors)
    if (xStricmp(t.m_Name, name) == 0) return &t;
  return nullptr;
}

int32_t CResData::GetColor(int32_t n, TRGBA* colour, int32_t index) {
  const char* v = GetString(n);
  if (!v || !colour) return 0;
  while (IsColourSeparator(*v)) ++v;
  if (*v < '0' || *v > '9') return GetCol(v, colour, index);
  int32_t channel[4];
  for (int32_t i = 0; i < 4; ++i) {
    while (IsColourSeparator(*v)) ++v;
    if (*v < '0' || *v > '9') return 0;
    int32_t value = 0;
    while (*v >= '0' && *v <= '9') {
      value = value * 10 + (*v++ - '0');
      if (value > 255) return 0;
    }
    channel[i] = value;
  }
  colour->Set(static_cast<uint8_t>(channel[0]), static_cast<uint8_t>(channel[1]), static_cast<uint8_t>(channel[2]),
              static_cast<uint8_t>(channel[3]));
  return 1;
}

int32_t CResData::GetCol(const char* name, TRGBA* colour, int32_t index) const {
  if (!colour) return 0;
  const SColorTable* table = FindColorTable(name);
  if (!table) {
    xprintf("Unable to find the specified color (\"%s\")", name ? name : "");
    return 0;
  }
  if (index < 0 || static_cast<size_t>(index) >= table->m_Entries.size()) return 0;
  *colour = table->m_Entries[static_cast<size_t>(index)];
  return 1;
}

TCntrlColor* CResData::GetCntrlColor(int32_t n) { return GetCntrlColorByName(GetString(n)); }

TCntrlColor* CResData::GetCntrlColorByName(const char* name) {
  if (!name) return nullptr;
  for (SCntrlColor& c : m_CntrlColors)
    if (xStricmp(c.m_Name, name) == 0) return c.m_pSet.get();
  const SColorTable* table = FindColorTable(name);
  if (!table || table->m_Entries.size() < 8) return nullptr;
  SCntrlColor entry;
  CopyName(entry.m_Name, name);
  entry.m_pSet.reset(new (std::nothrow) TCntrlColor);
  if (!entry.m_pSet) return nullptr;
  for (int32_t i = 0; i < 8; ++i) entry.m_pSet->m_Col[i] = table->m_Entries[static_cast<size_t>(i)];
  m_CntrlColors.push_back(std::move(entry));
  return m_CntrlColors.back().m_pSet.get();
}

int32_t CResData::EnterDataChunk() { return EnterChunk("Data"); }
int32_t CResData::ExitDataChunk() { return ExitChunk(); }
