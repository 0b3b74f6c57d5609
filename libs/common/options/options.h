// The player's options: "options.cfg" beside the program, held in memory as keyword/chunk data.
// Code names an option by a numeric id; the file holds the id's name from the option-definition
// script, so the file stays readable and ids may be renumbered without losing what was saved.
//
// Layout of the file: defaults at the top level; a chunk "User" per user name (the value of the
// chunk), holding a chunk "Global" for all games and one chunk per section (a game's name). An
// option is an item named after its id with one value of its type.
#pragma once

#include <cstdint>

#include "ostrel/kcbl/kcbl.h"

class CResData;

// Where a default goes: the user's section chunk, the user's "Global" chunk, the top level. A
// negative scope adds it to the chunk that was current when the setter was called.
enum : int32_t {
  OPTSCOPE_SECTION = 0,
  OPTSCOPE_GLOBAL = 1,
  OPTSCOPE_TOP = 2,
};

// Longest section and user name kept; longer ones are cut.
inline constexpr int32_t OPTIONS_NAME_LENGTH = 100;

inline constexpr char OPTIONS_FILE_NAME[] = "options.cfg";

class COptions : public CKCBL {
 public:
  // The script names the option ids; it is not owned and must outlive the options.
  explicit COptions(CResData* res);
  ~COptions() override;

  // Reads "options.cfg" (missing or unreadable: no options), makes the user's chunks when a user
  // is given (null: none; "" is a user too) and adds the built-in defaults. 0 only when a chunk
  // cannot be made.
  int32_t Load(const char* section, const char* user);
  // Drops what is in memory and loads the file again for the same section and user.
  int32_t Reset();
  // Replaces "options.cfg" whole (a failed write leaves the old file); the write's result.
  int32_t Save();
  int32_t Exit();

  // 1 when added; 0 when the option exists anywhere already, its id has no name, or the scope's
  // chunk is missing (the section scope without a section is missing).
  int32_t SetDefaultBool(int32_t id, int32_t value, int32_t scope);
  int32_t SetDefaultLong(int32_t id, int32_t value, int32_t scope);
  int32_t SetDefaultDouble(int32_t id, double value, int32_t scope);
  int32_t SetDefaultString(int32_t id, const char* value, int32_t scope);
  // Stores the name of resId; 0 also when resId has no name.
  int32_t SetDefaultResId(int32_t id, int32_t resId, int32_t scope);

  // Replace the value where the option is; 0 when it is nowhere (or, for SetResId, when the value
  // has no name).
  int32_t SetBool(int32_t id, int32_t value);
  int32_t SetLong(int32_t id, int32_t value);
  int32_t SetDouble(int32_t id, double value);
  int32_t SetString(int32_t id, const char* value);
  int32_t SetResId(int32_t id, int32_t resId);

  // 0 when the option is missing or its value does not read as the type.
  int32_t GetBool(int32_t id, int32_t* value);
  int32_t GetLong(int32_t id, int32_t* value);
  int32_t GetFloat(int32_t id, float* value);
  // The text inside the record (valid until the option changes), or null.
  char* GetString(int32_t id);
  // The id whose name the option holds.
  int32_t GetResId(int32_t id, int32_t* resId);

  // 1 with the cursor on the option's item (top level first, then the user's "Global", then the
  // user's section when one is set), 0 when it is nowhere, -1 when the id has no name. *name, when
  // asked for, gets the id's name (or null).
  int32_t FindOption(int32_t id, const char** name);
  // Enters the chunk of a scope; 0 when it is missing. A negative scope stays where it is.
  int32_t MoveToChunk(int32_t scope);

  CResData* GetResData() const { return m_pResData; }
  const char* GetSection() const { return m_Section; }
  const char* GetUser() const { return m_User; }

 private:
  // Quiets the hidden file-name Load; the options always read their own file.
  using CKCBL::Load;

  // The id's name in the naming script, or null.
  const char* NameOf(int32_t id) const;
  // Enters the chunk "{ = value0[, value1]" of the current chunk, made at its end when missing.
  int32_t EnterOrMakeChunk(const char* value0, const char* value1);
  // Enters the user's chunk from the top; 0 when it is missing.
  int32_t EnterUserChunk();
  // Leaves the cursor past the last item, so that the next new item goes at the end.
  void ToChunkEnd();
  // The checks and the placing shared by the default setters: the item's name, or null when the
  // default must not be added; the cursor then stands where it goes.
  const char* PlaceDefault(int32_t id, int32_t scope);
  // A default of one value: added where PlaceDefault puts it.
  template <class Tag, class V>
  int32_t AddDefault(int32_t id, int32_t scope, Tag tag, const V& value) {
    const char* name = PlaceDefault(id, scope);
    return name ? NewItem(name, tag, value, KEND) : 0;
  }
  // The option's one value replaced where the lookup finds it.
  template <class Tag, class V>
  int32_t ReplaceOption(int32_t id, Tag tag, const V& value) {
    return FindOption(id, nullptr) == 1 ? ReplaceItem(nullptr, tag, value, KEND) : 0;
  }
  // The option's value 0 as plain text, or null (missing, or an array or a chunk).
  char* FindText(int32_t id);
  void AddBuiltInDefaults();

  CResData* m_pResData;
  char m_Section[OPTIONS_NAME_LENGTH + 1] = {};
  char m_User[OPTIONS_NAME_LENGTH + 1] = {};
  bool m_HasUser = false;
};
