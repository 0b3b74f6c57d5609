// What the dialog reader knows of each control kind: its word in scripts, how it is made, and
// how its "Create" values and kind-specific items are read.
#include "ostrel/base/xstring.h"
#include "ostrel/controls/button.h"
#include "ostrel/controls/checkbox.h"
#include "ostrel/controls/combobox.h"
#include "ostrel/controls/container.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/groupbox.h"
#include "ostrel/controls/listbox.h"
#include "ostrel/controls/menu.h"
#include "ostrel/controls/multiedit.h"
#include "ostrel/controls/progress.h"
#include "ostrel/controls/radiobutton.h"
#include "ostrel/controls/scrolltext.h"
#include "ostrel/controls/slider.h"
#include "ostrel/controls/static.h"
#include "ostrel/controls/timeout.h"
#include "ostrel/controls/url.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/dialogkinds.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

namespace {
constexpr SDialogKind kKinds[] = {
    {"Static", GUICTRL_STATIC, "static"},
    {"Button", GUICTRL_BUTTON, "button"},
    {"ControlContainer", GUICTRL_CONTAINER, "controlcontainer"},
    {"Progress", GUICTRL_PROGRESS, "progress"},
    {"URL", GUICTRL_URL, "URL"},
    {"Listbox", GUICTRL_LISTBOX, "listbox"},
    {"Combobox", GUICTRL_COMBOBOX, "combobox"},
    {"Slider", GUICTRL_SLIDER, "slider"},
    {"Scrolltext", GUICTRL_SCROLLTEXT, "scrolltext"},
    {"Timeout", GUICTRL_TIMEOUT, "timeout"},
    {"Edit", GUICTRL_EDIT, "edit"},
    {"MultiEdit", GUICTRL_MULTIEDIT, "multiedit"},
    {"Menu", GUICTRL_MENU, "menu"},
    {"Checkbox", GUICTRL_CHECKBOX, "checkbox"},
    {"Radio", GUICTRL_RADIO, "radio button"},
    {"Groupbox", GUICTRL_GROUPBOX, "groupbox"},
};
}  // namespace

const SDialogKind* DialogKindOf(const char* word) {
  if (!word) return nullptr;
  for (const SDialogKind& k : kKinds)
    if (xStricmp(k.m_Word, word) == 0) return &k;
  return nullptr;
}

CControlBase* DialogNewControl(int32_t type) {
  switch (type) {
    case GUICTRL_STATIC: return new CStatic;
    case GUICTRL_BUTTON: return new CButton;
    case GUICTRL_CONTAINER: return new CControlContainer;
    case GUICTRL_PROGRESS: return new CProgress;
    case GUICTRL_URL: return new CURL;
    case GUICTRL_LISTBOX: return new CListbox;
    case GUICTRL_COMBOBOX: return new CCombobox;
    case GUICTRL_SLIDER: return new CSlider;
    case GUICTRL_SCROLLTEXT: return new CScrollText;
    case GUICTRL_TIMEOUT: return new CTimeout;
    case GUICTRL_EDIT: return new CEdit;
    case GUICTRL_MULTIEDIT: return new CMultiEdit;
    case GUICTRL_MENU: return new CMenu;
    case GUICTRL_CHECKBOX: return new CCheckbox;
    case GUICTRL_RADIO: return new CRadiobutton;
    case GUICTRL_GROUPBOX: return new CGroupbox;
    default: return nullptr;
  }
}

// Lists and combo boxes take an entry made from the control, or else from the text; 0 when the
// parent is neither or nothing could be made.
int32_t DialogAddEntry(CControlBase* list, CControlBase* entry, const char* text) {
  if (auto* l = dynamic_cast<CListbox*>(list)) return entry ? l->Add(entry) : l->Add(text);
  if (auto* c = dynamic_cast<CCombobox*>(list)) return entry ? c->Add(entry) : c->Add(text);
  return 0;
}

// Kinds whose chunks hold child control chunks.
bool DialogIsParentKind(int32_t type) {
  return type == GUICTRL_CONTAINER || type == GUICTRL_MENU || type == GUICTRL_GROUPBOX || type == GUICTRL_LISTBOX ||
         type == GUICTRL_COMBOBOX;
}

bool DialogReadValues(CResData* res, int32_t first, int32_t* r, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (!res->GetLong(first + i, &r[i])) return false;
  return true;
}

int32_t CDialog::ReadControl(CResData* res, int32_t type, const char* name, CControlBase* control) {
  int32_t r[4];
  uint32_t f = 0;
  int16_t key = 0;
  if (!res->FindItem("Create")) {
    if (type == GUICTRL_PROGRESS || type == GUICTRL_TIMEOUT || type == GUICTRL_EDIT)
      xprintf("\"Create\" keyword missing for %s cntrl (\"%s\")",
              type == GUICTRL_EDIT ? "edit" : type == GUICTRL_TIMEOUT ? "timeout" : "progress", name);
    else
      xprintf("Unable to get the cntrl create data for \"%s\"", name);
    return 0;
  }
  const char* text = res->GetString(0);
  bool ok = true;
  switch (type) {
    case GUICTRL_STATIC:
      ok = text && DialogReadValues(res, 1, r) && res->GetResFlags(5, &f);
      if (ok) static_cast<CStatic*>(control)->Create(text, r[0], r[1], r[2], r[3], f);
      break;
    case GUICTRL_BUTTON:
      ok = text && DialogReadValues(res, 1, r) && res->GetHotkey(5, &key) && res->GetResFlags(6, &f);
      if (ok) static_cast<CButton*>(control)->Create(0, text, r[0], r[1], r[2], r[3], key, f);
      break;
    case GUICTRL_CONTAINER:
      ok = text && DialogReadValues(res, 1, r) && res->GetHotkey(5, &key) && res->GetResFlags(6, &f);
      if (ok) static_cast<CControlContainer*>(control)->Create(0, text, r[0], r[1], r[2], r[3], key, f);
      break;
    case GUICTRL_PROGRESS:
      ok = DialogReadValues(res, 0, r) && res->GetResFlags(4, &f);
      if (ok) static_cast<CProgress*>(control)->Create(0, r[0], r[1], r[2], r[3], f);
      break;
    case GUICTRL_URL: {
      const char* address = res->GetString(1);
      ok = text && address && DialogReadValues(res, 2, r) && res->GetHotkey(6, &key) && res->GetResFlags(7, &f);
      if (ok) ok = static_cast<CURL*>(control)->Create(0, text, address, r[0], r[1], r[2], r[3], key, f) != 0;
      break;
    }
    case GUICTRL_LISTBOX:
    case GUICTRL_COMBOBOX: {
      // The children take their ids from the list's, so it is created with its own.
      int32_t id = 0, n = 0, state = 0;
      const bool combo = type == GUICTRL_COMBOBOX;
      ok = DialogReadValues(res, 0, r) && res->GetLong(4, &n) && (!combo || res->GetHotkey(5, &key)) &&
           res->GetResFlags(6, &f) && res->GetResId(name, &id);
      if (ok && combo) ok = static_cast<CCombobox*>(control)->Create(id, r[0], r[1], r[2], r[3], n, key, f) != 0;
      if (ok && !combo) ok = static_cast<CListbox*>(control)->Create(id, r[0], r[1], r[2], r[3], n, f) != 0;
      if (ok && combo && res->GetString(7)) ok = res->GetResFlags(7, &state) && control->SetState(state) >= 0;
      break;
    }
    case GUICTRL_SLIDER: {
      int32_t v[4], id = 0;
      ok = DialogReadValues(res, 0, r) && DialogReadValues(res, 4, v) && res->GetResFlags(8, &f) && res->GetResId(name, &id);
      // Made with its own id: the parts take theirs from it.
      if (ok) static_cast<CSlider*>(control)->Create(id, r[0], r[1], r[2], r[3], v[0], v[1], v[2], v[3], f);
      break;
    }
    case GUICTRL_SCROLLTEXT: {
      int32_t pixels = 0;
      ok = text && DialogReadValues(res, 1, r) && res->GetLong(5, &pixels) && res->GetResFlags(6, &f);
      ok = ok && static_cast<CScrollText*>(control)->Create(text, r[0], r[1], r[2], r[3], pixels, f) &&
           ReadScrollItems(res, control);
      // It keeps the static's id; its record carries the define's.
      if (ok) return 1;
      break;
    }
    case GUICTRL_TIMEOUT: {
      int32_t v[3];
      ok = DialogReadValues(res, 0, r) && DialogReadValues(res, 4, v, 3) && res->GetResFlags(7, &f);
      ok = ok && static_cast<CTimeout*>(control)->Create(0, r[0], r[1], r[2], r[3], v[0], v[1], v[2], f);
      break;
    }
    case GUICTRL_EDIT:
    case GUICTRL_MULTIEDIT:
      if (!ReadEdit(res, type, name, control)) return 0;
      break;
    case GUICTRL_MENU: {
      int32_t delay[2];
      const char* direction = res->GetString(7);
      const char* mode = res->GetString(8);
      ok = text && DialogReadValues(res, 1, r) && DialogReadValues(res, 5, delay, 2) && direction && mode && res->GetHotkey(9, &key) &&
           res->GetResFlags(10, &f);
      if (!ok) break;
      auto* menu = static_cast<CMenu*>(control);
      if (res->FindItem("BaseLine")) {
        int32_t baseLine = 0;
        if (!res->GetLong(0, &baseLine)) {
          xprintf("Unable to get the baseline value for \"%s\" Menu ctrl", name);
          return 0;
        }
        menu->SetBaseLine(baseLine);
      }
      menu->Create(0, text, r[0], r[1], r[2], r[3], delay[0], delay[1], direction, mode, key, f);
      break;
    }
    case GUICTRL_CHECKBOX:
    case GUICTRL_RADIO: {
      int32_t offset = 0;
      ok = text && DialogReadValues(res, 1, r) && res->GetLong(5, &offset) && res->GetHotkey(6, &key) && res->GetResFlags(7, &f);
      if (ok && type == GUICTRL_RADIO)
        static_cast<CRadiobutton*>(control)->Create(0, text, r[0], r[1], r[2], r[3], offset, key, f);
      else if (ok)
        static_cast<CCheckbox*>(control)->Create(0, text, r[0], r[1], r[2], r[3], offset, key, f);
      break;
    }
    case GUICTRL_GROUPBOX:
      ok = text && DialogReadValues(res, 1, r) && res->GetResFlags(5, &f);
      if (ok) static_cast<CGroupbox*>(control)->Create(0, text, r[0], r[1], r[2], r[3], f);
      break;
    default:
      ok = false;
  }
  if (!ok) {
    xprintf("Unable to get the cntrl create data for \"%s\"", name);
    return 0;
  }
  int32_t id = 0;
  res->GetResId(name, &id);
  control->SetID(id);
  return 1;
}

int32_t CDialog::ReadScrollItems(CResData* res, CControlBase* control) {
  auto* marquee = static_cast<CScrollText*>(control);
  for (res->FirstItem(); res->ItemExists(); res->NextItem(0)) {
    const char* kw = res->GetKeyword();
    if (!kw || res->IsComment()) continue;
    if (xStricmp(kw, "Text") == 0) {
      const char* text = res->GetString(0);
      if (!text || !marquee->SetText(text)) return 0;
    } else if (xStricmp(kw, "Delay") == 0) {
      uint32_t delay = 0;
      if (!res->GetULong(0, &delay)) return 0;
      marquee->Start(delay);
    }
  }
  return 1;
}

int32_t CDialog::ReadEdit(CResData* res, int32_t type, const char* name, CControlBase* control) {
  // The scroll bars take the field's id at creation, so the id is known before.
  const char* text = res->GetString(0);
  int32_t r[4], size = 0, id = 0;
  uint32_t f = 0;
  if (!text || !DialogReadValues(res, 1, r) || !res->GetLong(5, &size) || !res->GetResFlags(6, &f)) {
    if (type == GUICTRL_EDIT)
      xprintf("\"Create\" keyword missing for edit cntrl (\"%s\")", name);
    else
      xprintf("Unable to get the cntrl create data for \"%s\"", name);
    return 0;
  }
  res->GetResId(name, &id);
  if (type == GUICTRL_EDIT)
    static_cast<CEdit*>(control)->Create(id, text, r[0], r[1], r[2], r[3], size, f);
  else
    static_cast<CMultiEdit*>(control)->Create(id, text, r[0], r[1], r[2], r[3], size, f);
  int32_t state = 0;
  if (res->GetNumStrings() > 7) {
    if (!res->GetResFlags(7, &state)) {
      xprintf("Unable to get the cntrl create data for \"%s\"", name);
      return 0;
    }
    control->SetState(state);
  }
  if (type == GUICTRL_EDIT && res->FindItem("ValidCharacters")) {
    const char* stringName = res->GetString(0);
    const char* valid = stringName ? res->GetResString(stringName, nullptr) : nullptr;
    if (!valid) {
      xprintf("Unable to get the ValidCharacters string in the \"%s\"  ctrl", name);
      return 0;
    }
    static_cast<CEdit*>(control)->SetValidCharacters(valid);
  }
  return 1;
}

int32_t CDialog::ReadPart(CResData* res, const char* word, CControlBase* part, const char* name,
                          const char* flagsError, const char* kind) {
  res->FirstItem();
  if (!part || !res->FindItem("{", word)) return 1;
  if (!res->EnterChunk()) return 0;
  res->FirstItem();
  int32_t ok = 1;
  if (res->FindItem("Flags")) {
    uint32_t f = 0;
    if (res->GetResFlags(0, &f)) {
      part->RemoveFlag(0xFFFF);
      part->SetFlag(f);
    } else {
      xprintf(flagsError, name);
      ok = 0;
    }
  }
  if (ok) ok = GetCommon(res, part, name, kind);
  res->ExitChunk();
  return ok;
}

int32_t CDialog::ReadKindParts(CResData* res, int32_t type, const char* name, CControlBase* control) {
  if (type == GUICTRL_CHECKBOX || type == GUICTRL_RADIO)
    return ReadPart(res, "Caption", static_cast<CToggleBase*>(control)->GetCaption(), name,
                    "Unable to get the flags for \"%s\" textfield", "static");
  if (type == GUICTRL_SLIDER) {
    auto* slider = static_cast<CSlider*>(control);
    return ReadPart(res, "Up", slider->GetUpButton(), name, "Unable to get the flags for \"%s\" up button",
                    "button") &&
           ReadPart(res, "Down", slider->GetDownButton(), name, "Unable to get the flags for \"%s\" down button",
                    "button") &&
           ReadPart(res, "Drag", slider->GetThumb(), name, "Unable to get the flags for \"%s\" drag button", "button");
  }
  return 1;
}
