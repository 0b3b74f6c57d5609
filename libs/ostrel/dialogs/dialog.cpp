#include "ostrel/dialogs/dialog.h"

#include <algorithm>

#include "ostrel/base/xstring.h"
#include "ostrel/controls/container.h"
#include "ostrel/controls/groupbox.h"
#include "ostrel/controls/menu.h"
#include "ostrel/controls/progress.h"
#include "ostrel/controls/radiobutton.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/dialogkinds.h"
#include "ostrel/dialogs/frame.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"

namespace {
// Four bitmaps from values 0-3 of the current item.
bool GetBitmaps(CResData* res, CBitmap* bm[4]) {
  for (int32_t i = 0; i < 4; ++i) {
    bm[i] = res->GetBitmap(i, nullptr, nullptr);
    if (!bm[i]) return false;
  }
  return true;
}

// Four colour sets from values 0-3; the index of the first missing one, or -1.
int32_t GetColorSets(CResData* res, TCntrlColor* sets[4]) {
  for (int32_t i = 0; i < 4; ++i) {
    sets[i] = res->GetCntrlColor(i);
    if (!sets[i]) return i;
  }
  return -1;
}

}  // namespace

CDialog::~CDialog() {
  // Without the globals Destroy leaves everything; the records are still ours to free.
  if (!Destroy()) FreeRecords();
}

void CDialog::FreeRecords() {
  FreeRecordsFrom(0);
  m_ListEntries.clear();
}

void CDialog::DeleteRecord(TGuiCtrl* record) {
  // An entry of a list or combo box went with its list.
  auto entry = std::find(m_ListEntries.begin(), m_ListEntries.end(), record->m_pCntrl);
  if (entry == m_ListEntries.end())
    delete record->m_pCntrl;
  else
    m_ListEntries.erase(entry);
  delete record;
}

void CDialog::FreeRecordsFrom(size_t from) {
  // A parent goes before its children, which it may still touch on its way out.
  for (size_t i = from; i < m_Records.size(); ++i) DeleteRecord(m_Records[i]);
  if (from < m_Records.size()) m_Records.resize(from);
  if (m_Cursor > m_Records.size()) m_Cursor = m_Records.size();
}

int32_t CDialog::DeleteGuiCtrl(TGuiCtrl* record) {
  if (!record || std::find(m_Records.begin(), m_Records.end(), record) == m_Records.end()) return 0;
  RemoveGuiCntrl(record);
  DeleteRecord(record);
  return 1;
}

TGuiCtrl* CDialog::CreateGuiCtrl(CResData* res) {
  if (!res || !res->ItemExists()) return nullptr;
  const size_t before = m_Records.size();
  if (!GetCntrl(res, nullptr)) {
    FreeRecordsFrom(before);
    return nullptr;
  }
  return m_Records.size() > before ? m_Records[before] : nullptr;
}

int32_t CDialog::Create(CResData* res, int32_t id, TWinCallback callback, int32_t flags, void* user) {
  if (!res) return 0;
  // Building again starts from nothing: the records of an earlier build would be found first.
  if (!m_Records.empty() || GetTitlebar() || GetFrame() || (xWinCtrl() && xWinCtrl()->IsRegistered(this))) Destroy();
  const char* name = res->GetResName(id);
  if (!name) {
    xprintf("CDialog::Create: Unknown id: %ld.", static_cast<long>(id));
    return 0;
  }
  res->RestartMode(1);
  res->MainChunk();
  if (!res->FindItem("{", "Window", name) || !res->EnterChunk()) {
    xprintf("Unable to find specified window in the resource data %s", name);
    return 0;
  }
  res->FirstItem();
  int32_t r[4];
  uint32_t winFlags = 0;
  if (!res->FindItem("Create") || !DialogReadValues(res, 1, r) || !res->GetResFlags(5, &winFlags)) {
    xprintf("Unable to get the create data for \"%s\"", name);
    res->ExitChunk();
    return 0;
  }
  const char* caption = res->GetString(0);
  CWindow::Create(id, caption ? caption : "", r[0], r[1], r[2], r[3], winFlags);

  bool ok = ReadTitlebarAndFrame(res) && ReadChildren(res, nullptr);
  res->ExitChunk();
  if (!ok) {
    CWindow::Destroy();
    return 0;
  }
  if (CWinCtrl* wc = xWinCtrl()) wc->AddWindow(this, callback, user);
  if (flags & DIALOG_HIDDEN)
    HideWindow();
  else
    ShowWindow();
  return 1;
}

int32_t CDialog::ReadTitlebarAndFrame(CResData* res) {
  CBitmap* bm[4];
  uint32_t f = 0;
  // Items for a part the window lacks are ignored: there is nothing to take them.
  if (CTitlebar* tb = GetTitlebar()) {
    res->FirstItem();
    if (res->FindItem("TitlebarFlags")) {
      if (!res->GetResFlags(0, &f)) return 0;
      tb->SetFlag(f);
      if (f & CNTRL_HASBITMAP) {
        if (!res->FindItem("TitlebarBitmap") || !GetBitmaps(res, bm)) return 0;
        tb->SetBitmap(bm[0], bm[1], bm[2], bm[3]);
      }
    }
  }
  if (CFrame* fr = GetFrame()) {
    res->FirstItem();
    if (res->FindItem("FrameFlags")) {
      if (!res->GetResFlags(0, &f)) return 0;
      fr->SetFlag(f);
      if (f & CNTRL_HASBITMAP) {
        if (!res->FindItem("FrameBitmap") || !GetBitmaps(res, bm)) return 0;
        fr->SetBitmap(bm[0], bm[1], bm[2], bm[3]);
      }
      if (res->FindItem("Colors")) {
        TCntrlColor* sets[4];
        const int32_t missing = GetColorSets(res, sets);
        if (missing >= 0) {
          xprintf("Unable to get color nr %ld in the frame", static_cast<long>(missing));
          return 0;
        }
        fr->SetColors(sets[0], sets[1], sets[2], sets[3]);
      }
    }
  }
  return 1;
}

void CDialog::Place(TGuiCtrl* record, CControlBase* parent) {
  m_Records.push_back(record);
  CControlBase* c = record->m_pCntrl;
  if (!parent)
    AddCntrl(c, ADDCNTRL_LAST);
  else if (DialogAddEntry(parent, c, nullptr))
    m_ListEntries.push_back(c);
  else if (auto* menu = dynamic_cast<CMenu*>(parent))
    menu->Add(c, -1);
  else if (auto* group = dynamic_cast<CGroupbox*>(parent))
    group->Add(static_cast<CRadiobutton*>(c));  // ReadChildren lets only radio buttons in
  else
    static_cast<CControlContainer*>(parent)->Add(c);
}

int32_t CDialog::GetCntrl(CResData* res, CControlBase* parent) {
  const char* keyword = res->GetKeyword();
  if (!keyword) return 1;
  if (xStricmp(keyword, "CreateStatic") == 0) {
    const char* name = res->GetString(0);
    int32_t ctrlId = 0;
    int32_t r[4];
    uint32_t f = 0;
    if (!name || !res->GetResId(name, &ctrlId)) {
      xprintf("Unable to get the create data for \"%s\"", name ? name : "");
      return 0;
    }
    const char* text = res->GetString(1);
    if (!text || !DialogReadValues(res, 2, r) || !res->GetResFlags(6, &f)) {
      xprintf("Unable to get the create data for \"%s\"", name);
      return 0;
    }
    auto* st = new CStatic;
    st->Create(text, r[0], r[1], r[2], r[3], f);
    Place(new TGuiCtrl{GUICTRL_STATIC, ctrlId, st}, parent);
    return 1;
  }
  if (xStrcmp(keyword, "{") != 0 || res->GetNumStrings() < 1) return 1;
  const char* word = res->GetString(0);
  const char* name = res->GetString(1);
  if (xStricmp(word, "Window") == 0) return 1;
  int32_t ctrlId = 0;
  if (!name || !res->GetResId(name, &ctrlId)) {
    xprintf("Unable to get the cntrl create data for \"%s\"", name ? name : "");
    return 0;
  }
  const SDialogKind* kind = DialogKindOf(word);
  if (!kind) {
    xprintf("Unable to get the cntrl create data for \"%s\"", name);
    return 0;
  }
  auto* record = new TGuiCtrl{kind->m_Type, ctrlId, DialogNewControl(kind->m_Type)};
  if (!res->EnterChunk()) {
    delete record->m_pCntrl;
    delete record;
    return 0;
  }
  res->FirstItem();
  int32_t ok = ReadControl(res, kind->m_Type, name, record->m_pCntrl);
  if (ok && kind->m_Type != GUICTRL_GROUPBOX) ok = GetCommon(res, record->m_pCntrl, name, kind->m_Kind);
  if (ok) ok = ReadKindParts(res, kind->m_Type, name, record->m_pCntrl);
  if (ok && DialogIsParentKind(kind->m_Type)) {
    // The parent goes first so that its children follow it in the window.
    Place(record, parent);
    record = nullptr;
    ok = ReadChildren(res, m_Records.back()->m_pCntrl);
  }
  res->ExitChunk();
  if (!ok) {
    if (record) {
      delete record->m_pCntrl;
      delete record;
    }
    return 0;
  }
  if (record) Place(record, parent);
  return 1;
}

int32_t CDialog::ReadChildren(CResData* res, CControlBase* parent) {
  // Readers enter and leave sub-chunks only, so this chunk's cursor stays where it is.
  for (int32_t more = res->FirstItem(); more; more = res->NextItem(0)) {
    const char* kw = res->GetKeyword();
    if (res->IsComment() || !kw) continue;
    if (parent && xStricmp(kw, "Create") == 0) continue;
    if (parent && xStricmp(kw, "Text") == 0 && DialogAddEntry(parent, nullptr, res->GetString(0))) continue;
    // A group box holds radio buttons and nothing else.
    if (dynamic_cast<CGroupbox*>(parent) &&
        (xStrcmp(kw, "{") != 0 || res->GetNumStrings() < 2 || xStricmp(res->GetString(0), "Radio") != 0)) {
      xprintf("Unable to get the cntrl create data for \"%s\"", res->GetString(1) ? res->GetString(1) : kw);
      return 0;
    }
    if (!GetCntrl(res, parent)) return 0;
  }
  return 1;
}

int32_t CDialog::GetCommon(CResData* res, CControlBase* control, const char* name, const char* kind) {
  CBitmap* bm[4];
  res->FirstItem();
  if (res->FindItem("Bitmap")) {
    if (!GetBitmaps(res, bm)) {
      xprintf("Unable to get the Bitmap's in the \"%s\" %s ctrl", name, kind);
      return 0;
    }
    control->SetFlag(CNTRL_HASBITMAP);
    control->SetBitmap(bm[0], bm[1], bm[2], bm[3]);
  }
  // Every animation item counts, in chunk order.
  TKCBLKeyword* resume = res->GetCurKeyword();
  for (res->FirstItem(); res->ItemExists(); res->NextItem(0)) {
    const char* kw = res->GetKeyword();
    if (!kw || res->IsComment()) continue;
    if (xStricmp(kw, "AnimBitmap") == 0) {
      TCntrlAnim* anim = res->GetAnim(0);
      int32_t slot = 0, mode = 0;
      if (!anim || !res->GetResFlags(1, &slot) || !res->GetResFlags(2, &mode)) {
        xprintf("Unable to get one of the anim bitmaps in the \"%s\" button", name);
        xprintf("Unable to get the AnimBitmap's in the \"%s\" %s ctrl", name, kind);
        return 0;
      }
      control->SetFlag(CNTRL_HASBITMAP);
      control->SetAnimBitmap(anim, slot, mode);
    } else if (xStricmp(kw, "AnimLine") == 0) {
      int32_t slot = 0;
      uint32_t w[4];
      const char* line = res->GetString(1);
      const char* animName = res->GetString(4);
      const char* next[5] = {};
      for (int32_t i = 0; i < 5; ++i) next[i] = res->GetString(7 + i);
      bool ok = res->GetResFlags(0, &slot) != 0;
      if (!ok) xprintf("Unable to get the bitmap type from animLine in the \"%s\" button", name);
      ok = ok && line && res->GetULong(2, &w[0]) && res->GetULong(3, &w[1]) && res->GetULong(5, &w[2]) &&
           res->GetULong(6, &w[3]) && next[0];
      TCntrlAnim* anim = nullptr;
      if (ok && !animName) {
        xprintf("animationname is invalid in the \"%s\" button", name);
        ok = false;
      }
      if (ok && xStricmp(animName, "None") != 0) {
        anim = res->GetAnim(4);
        if (!anim) {
          xprintf("animation is invalid in the \"%s\" button", name);
          ok = false;
        }
      }
      if (ok && !control->SetAnimLine(slot, line, w[0], w[1], anim, w[2], w[3], next[0], next[1], next[2], next[3],
                                      next[4])) {
        xprintf("ctrl->SetAnimLine failed for the \"%s\" button", name);
        ok = false;
      }
      if (!ok) {
        xprintf("Unable to get the AnimLines in the \"%s\" %s ctrl", name, kind);
        return 0;
      }
      control->SetFlag(CNTRL_HASBITMAP);
    }
  }
  // The single-value keys search on from where "Bitmap" left the cursor.
  res->FirstItem();
  while (resume && res->ItemExists() && res->GetCurKeyword() != resume) res->NextItem(0);
  if (!res->ItemExists()) res->FirstItem();

  if (res->FindItem("TextBufferSize")) {
    int32_t size = 0;
    if (!res->GetLong(0, &size) || !control->AllocBuffer(size)) {
      xprintf("Unable to get the buffer size in the \"%s\" %s ctrl", name, kind);
      return 0;
    }
  }
  if (res->FindItem("Font")) {
    CFont* font = res->GetFont(0);
    if (!font) {
      xprintf("Unable to get the font in the \"%s\" %s ctrl", name, kind);
      return 0;
    }
    control->SetFont(font, nullptr);
  }
  if (res->FindItem("TextColor")) {
    TRGBA colour{};
    if (!res->GetColor(0, &colour, 0)) {
      xprintf("Unable to get the text color in the \"%s\" %s ctrl", name, kind);
      return 0;
    }
    control->SetTextColor(colour);
  }
  if (res->FindItem("Colors")) {
    TCntrlColor* sets[4];
    const int32_t missing = GetColorSets(res, sets);
    if (missing >= 0) {
      xprintf("Unable to get color nr %ld in the \"%s\" %s ctrl", static_cast<long>(missing), name, kind);
      return 0;
    }
    control->SetColors(sets[0], sets[1], sets[2], sets[3]);
  }
  if (res->FindItem("Alpha")) {
    int32_t alpha = 0;
    if (!res->GetLong(0, &alpha)) {
      xprintf("Unable to get the alpha value for \"%s\" %s ctrl", name, kind);
      return 0;
    }
    control->SetAlpha(alpha);
    control->SetFlag(CNTRL_ALPHA);
  }
  if (res->FindItem("State")) {
    int32_t state = 0;
    if (!res->GetResFlags(0, &state)) {
      xprintf("Unable to get the state value for \"%s\" %s ctrl", name, kind);
      return 0;
    }
    control->SetParent(m_Id, this);
    control->SetState(state);
  }
  return 1;
}

int32_t CDialog::Destroy() {
  if (!glb) return 0;
  if (CWinCtrl* wc = xWinCtrl(); wc && wc->IsRegistered(this)) wc->RemoveWindow(static_cast<CWindowBase*>(this));
  CWindow::Destroy();
  FreeRecords();
  return 1;
}

TGuiCtrl* CDialog::FindGuiCtrl(int32_t id) const {
  for (TGuiCtrl* record : m_Records)
    if (record->m_Id == id) return record;
  return nullptr;
}

CControlBase* CDialog::GetCtrl(int32_t id) {
  TGuiCtrl* record = CurrentGuiCtrl();
  if (id != -1 || !record || record->m_Id != -1) record = FindGuiCtrl(id);
  return record ? record->m_pCntrl : nullptr;
}

TGuiCtrl* CDialog::GetGuiCtrl(int32_t id) { return id == -1 ? CurrentGuiCtrl() : FindGuiCtrl(id); }

int32_t CDialog::First() {
  m_Cursor = 0;
  return Exists();
}
int32_t CDialog::Exists() { return m_Cursor < m_Records.size() ? 1 : 0; }
int32_t CDialog::Next() {
  if (m_Cursor < m_Records.size()) ++m_Cursor;
  return Exists();
}

int32_t CDialog::SetText(int32_t id, const char* text) {
  CControlBase* c = GetCtrl(id);
  return c ? c->SetText(text) : 0;
}

char* CDialog::GetTextBuffer(int32_t id, int32_t validate) {
  CControlBase* c = GetCtrl(id);
  return c ? c->GetTextBuffer(validate) : nullptr;
}

int32_t CDialog::GetTextBufferSize(int32_t id) {
  CControlBase* c = GetCtrl(id);
  return c ? c->GetTextBufferSize() : 0;
}

int32_t CDialog::SetValue(int32_t id, int32_t value) {
  TGuiCtrl* record = GetGuiCtrl(id);
  if (!record || record->m_Type != GUICTRL_PROGRESS) return 0;
  auto* bar = static_cast<CProgress*>(record->m_pCntrl);
  int32_t a = 0, b = 0;
  bar->GetRange(a, b);
  bar->SetValue(std::clamp(value, std::min(a, b), std::max(a, b)));
  bar->Validate();
  return 1;
}

int32_t CDialog::AddGuiCtrl(TGuiCtrl* record, int32_t addFlags) {
  if (!record) return 0;
  if (addFlags & ADDCNTRL_FIRST)
    m_Records.insert(m_Records.begin(), record);
  else
    m_Records.push_back(record);
  return AddCntrl(record->m_pCntrl, addFlags);
}

int32_t CDialog::RemoveGuiCntrl(TGuiCtrl* record) {
  auto it = std::find(m_Records.begin(), m_Records.end(), record);
  if (it != m_Records.end()) m_Records.erase(it);
  if (m_Cursor > m_Records.size()) m_Cursor = m_Records.size();
  return record ? RemoveCntrl(record->m_pCntrl) : 0;
}
