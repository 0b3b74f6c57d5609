// A settings screen laid over an existing dialog: its controls are made on that dialog from a
// layout script, and while it is attached the dialog's events go to the settings' callback
// (which passes on what it does not handle to the dialog's own callback and user value).
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"

class COptionItem;
class CResData;
class CSettingsGroup;

class CSettings : public CDialog {
 public:
  struct TCoordPair {
    int32_t m_X = 0;
    int32_t m_Y = 0;
  };
  // The layout's positions ("Data" chunk keys, each {x, y}).
  struct TSettingsCoords {
    TCoordPair m_SettingsPos;    // SETTINGSPOS
    TCoordPair m_GroupOffset;    // GROUPOFFSET
    TCoordPair m_OptionsOffset;  // OPTIONSOFFSET
    TCoordPair m_DescOffset;     // DESCOFFSET
    TCoordPair m_LabelOffset;    // LABELOFFSET
  };

  CSettings() = default;
  // DestroySettings.
  ~CSettings() override;

  // Attaches to a dialog of the window manager: its entry calls callback (null: SettingsCallback)
  // with this object as user value until DestroySettings. 0 when the dialog is not registered,
  // its entry already calls that callback, or the layout does not load; nothing changes then.
  // Attached elsewhere before, that dialog is given back first.
  virtual int32_t CreateSettings(CDialog* dialog, const char* layout, TWinCallback callback);
  // Gives the dialog its own callback and user value back, takes the controls GetControl made
  // off it and frees the layout.
  virtual int32_t DestroySettings();

  // Zeroes the pairs, then reads each key of the layout's "Data" chunk (a missing or malformed
  // one stays 0, 0); 0 when there is no "Data" chunk.
  int32_t GetSettingsPosition(TSettingsCoords& coords);
  // Makes on the dialog the control of the layout's "Data" chunk whose chunk starts with the two
  // values (any case), e.g. ("Checkbox", "IDC_TEMPLATE_CHECKBOX"); null when there is none or it
  // cannot be read. It stays on the dialog until DestroySettings.
  TGuiCtrl* GetControl(const char* group, const char* option);
  CSettingsGroup* GetOptionsGroup(int32_t id);
  // Appends a group, which the settings own from then on; 0 for none.
  int32_t AddOptionsGroup(CSettingsGroup* group);
  int32_t NumOptionsGroups() const { return static_cast<int32_t>(m_Groups.size()); }
  CSettingsGroup* GetOptionsGroupAt(int32_t n) const;
  // Deletes every group with its items.
  void DeleteOptionsGroups();

  // The control that shows descriptions (not owned; usually one that GetControl made).
  void SetDescCtrl(TGuiCtrl* record) { m_pDescCtrl = record; }
  TGuiCtrl* GetDescCtrl() const { return m_pDescCtrl; }
  // Copies the item's text into the description control and shows it; 0 without either.
  int32_t ShowDescText(COptionItem* item);
  // Hides the description; 0 without a description control.
  int32_t HideDescText();
  // The id of the control whose description shows, -1 for none.
  int32_t GetDescId() const { return m_DescId; }

  // Passes an event on to the callback and user value the dialog had before it was attached.
  void PassOn(int32_t event, int32_t windowId, int32_t controlId, int32_t value);
  // The default callback of an attached dialog: passes every event on.
  static void SettingsCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

  CDialog* GetSettingsDialog() const { return m_pSettingsDialog; }
  CResData* GetLayout() const { return m_pLayout; }
  int32_t IsAttached() const { return m_pSettingsDialog != nullptr; }

 private:
  // Takes GetControl's records off the dialog while it is still there to hold them.
  void ForgetControls(bool dialogAlive);

  // The dialog's entry as it was before attaching (window, callback, user value).
  TWinEntry m_SavedEntry{};
  TWinCallback m_pNewCallback = nullptr;
  void* m_pUser = nullptr;
  int32_t m_DescId = -1;
  CDialog* m_pSettingsDialog = nullptr;
  CResData* m_pLayout = nullptr;
  TGuiCtrl* m_pDescCtrl = nullptr;
  std::vector<CSettingsGroup*> m_Groups;
  // Made by GetControl, in the order the dialog took them (a parent before its children).
  std::vector<TGuiCtrl*> m_Controls;
};
