// A group of choices on a settings screen (one setting and its values): the option items, the
// group's caption control and two texts.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/base/cstring.h"
#include "ostrel/controls/guitypes.h"

class CLList;
class COptionItem;

class CSettingsGroup {
 public:
  explicit CSettingsGroup(int32_t id);
  // Deletes the items and the caption control.
  virtual ~CSettingsGroup();
  CSettingsGroup(const CSettingsGroup&) = delete;
  CSettingsGroup& operator=(const CSettingsGroup&) = delete;

  // Appends the item, which the group owns from then on; 0 for none.
  virtual int32_t AddOptionItem(COptionItem* item);
  // Appends to list every item whose control is in that state; the number appended.
  virtual int32_t GetSelected(CLList* list, int32_t state);
  // Sets and redraws the state of the item whose control has the id; 0 when none has.
  virtual int32_t ChangeOptionState(int32_t id, int32_t state);
  // The item whose control has the id, or null.
  virtual COptionItem* GetOptionItem(int32_t id);

  int32_t GetId() const { return m_Id; }
  int32_t NumOptionItems() const { return static_cast<int32_t>(m_Items.size()); }
  COptionItem* GetOptionItemAt(int32_t n) const;
  // The caption control, owned from then on (an earlier one is deleted).
  void SetGroupCtrl(TGuiCtrl* record);
  TGuiCtrl* GetGroupCtrl() const { return m_pGroupCtrl; }
  void SetTexts(const CString& name, const CString& description);
  const CString& GetName() const { return m_Name; }
  const CString& GetDescription() const { return m_Description; }
  // Whether the group takes part; 1 from construction.
  int32_t IsActive() const { return m_Active; }
  void SetActive(int32_t on) { m_Active = on ? 1 : 0; }

 private:
  int32_t m_Id;
  CString m_Name;
  CString m_Description;
  std::vector<COptionItem*> m_Items;
  int32_t m_Active = 1;
  TGuiCtrl* m_pGroupCtrl = nullptr;
};
