#include "common/widgets/panel.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "common/chat/chatdisplay.h"
#include "common/options/options.h"
#include "common/options/optionsdlg.h"
#include "common/widgets/dlgmove.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/resources/resflags.h"
#include "ostrel/system/debug.h"

namespace {

// The longest bitmap name the digit key may give.
constexpr int32_t DIGIT_NAME_SIZE = 301;
const TRGBA DISABLED_TEXT{224, 224, 224, 0};

}  // namespace

CPanel::CPanel() = default;

CPanel::~CPanel() { Exit(); }

CDialog* CPanel::GetDialog(int32_t section) const {
  switch (section) {
    case PANEL_SECTION_MESSAGELINE: return m_pMessageLine;
    case PANEL_SECTION_CHIPS: return m_pChips;
    case PANEL_SECTION_USERLIST: return m_pUserList;
    case PANEL_SECTION_BUTTONS: return m_pButtons;
    case PANEL_SECTION_CHAT: return m_pChat;
    case PANEL_SECTION_BETAREA: return m_pBetArea;
    case PANEL_SECTION_OPTIONS: return m_pOptionsDlg && m_OptionsDlgCreated ? m_pOptionsDlg : nullptr;
    case PANEL_SECTION_REQUEST: return m_pRequest;
    case PANEL_SECTION_HELP: return m_pHelp;
    case PANEL_SECTION_FKEYS: return m_pFKeys;
    case PANEL_SECTION_AUTOPLAY: return m_pAutoplay;
    case PANEL_SECTION_DENOMINATION: return m_pDenomination;
    default: return nullptr;
  }
}

CDialog* CPanel::MakeSection(int32_t section, bool required) {
  auto* dialog = new (std::nothrow) CDialog;
  if (dialog && dialog->Create(m_pPanelRes.get(), section, &DialogCallback, 0, this)) return dialog;
  delete dialog;
  if (required) xprintf("CPanel::Init: could not create dialog %ld\n", static_cast<long>(section));
  return nullptr;
}

int32_t CPanel::MakeExtraDialogs(CLList* extraDialogs) {
  m_pExtraDialogs = extraDialogs;
  if (!extraDialogs) return 1;
  if (extraDialogs->GetNumNodes() % 2) return 0;
  for (CNode* n = extraDialogs->HeadNode(); n && n->m_pNext; n = n->m_pNext->m_pNext) {
    const auto id = static_cast<int32_t>(reinterpret_cast<intptr_t>(n->m_pData));
    auto* dialog = static_cast<CDialog*>(n->m_pNext->m_pData);
    // The game's callback gets its table whole, not the interface inside it.
    if (!dialog || !dialog->Create(m_pGameRes, id, m_pExtraCallback, 0, dynamic_cast<void*>(m_pTable))) return 0;
  }
  return 1;
}

int32_t CPanel::MakeUserListBitmap() {
  CControlBase* area = m_pUserList->GetCtrl(PANEL_CTRL_USERLIST_AREA);
  int32_t width = 0, height = 0;
  if (!area || !area->GetSize(width, height) || width <= 0 || height <= 0) return 0;
  m_pUserListBm.reset(new (std::nothrow) CBitmap);
  if (!m_pUserListBm || !m_pUserListBm->CreateRGB(width, height, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
  area->SetFlag(CNTRL_HASBITMAP);
  area->SetBitmap(m_pUserListBm.get(), m_pUserListBm.get(), m_pUserListBm.get(), m_pUserListBm.get());
  m_VisibleLines = height / PANEL_USERLIST_LINE + 1;
  return 1;
}

namespace {

// A long key of the current chunk, searched from its first item.
bool ReadLong(CResData& res, const char* key, int32_t& value) {
  res.FirstItem();
  if (!res.FindItem(key) || !res.GetLong(0, &value)) {
    xprintf("CPanel::Init: could not read %s\n", key);
    return false;
  }
  return true;
}
void ReadLongOr(CResData& res, const char* key, int32_t& value, int32_t fallback) {
  res.FirstItem();
  if (!res.FindItem(key) || !res.GetLong(0, &value)) value = fallback;
}

}  // namespace

int32_t CPanel::ReadData() {
  CResData& res = *m_pPanelRes;
  if (!res.EnterDataChunk()) return 0;
  int32_t lights[PANEL_NUM_CHIPS * 4] = {};
  bool ok = ReadLong(res, "NUM_BITMAPS", m_NumChipSets) && m_NumChipSets > 0 &&
            ReadLong(res, "CHATYDISABLED", m_ChatYDisabled);
  if (ok) {
    res.FirstItem();
    ok = res.FindItem("CHIPLIGHTPOS") && res.GetLongArray(0, lights, PANEL_NUM_CHIPS * 4);
    if (!ok) xprintf("CPanel::Init: could not read %s\n", "CHIPLIGHTPOS");
  }
  if (ok && m_pDenomination) ok = ReadLong(res, "NUM_COINVALUES", m_NumCoinValues) && m_NumCoinValues > 0;
  ok = ok && ReadLong(res, "SWITCHDOWNX", m_SwitchDownX) && ReadLong(res, "SWITCHDOWNY", m_SwitchDownY) &&
       ReadLong(res, "SWITCHUPX", m_SwitchUpX) && ReadLong(res, "SWITCHUPY", m_SwitchUpY) &&
       ReadLong(res, "SWITCHFRAMES", m_SwitchFrames) && ReadLong(res, "PANELRIGHTUPY", m_UserListUpY) &&
       ReadLong(res, "PANELOPTIONSY", m_OptionsUpY) && ReadLong(res, "PANELHELPUPY", m_HelpUpY) &&
       ReadLong(res, "PANELFKEYSUPY", m_FKeysUpY);
  char digits[DIGIT_NAME_SIZE] = {};
  if (ok) {
    res.FirstItem();
    int32_t numbers[3] = {-1, -1, -1};
    ok = res.FindItem("NUMSPINSDIGITS") &&
         res.GetItem(nullptr, KSTRING, DIGIT_NAME_SIZE - 1, digits, KLONG, &numbers[0], KLONG, &numbers[1], KLONG,
                     &numbers[2], KEND) &&
         numbers[0] != -1 && numbers[1] != -1 && numbers[2] != -1;
    if (!ok) xprintf("CPanel::Init: could not read %s\n", "NUMSPINSDIGITS");
    m_DigitsSpare = numbers[0];
    m_DigitCellWidth = numbers[1];
    m_DigitCellHeight = numbers[2];
  }
  if (ok && m_pAutoplay) {
    ReadLongOr(res, "AUTOPLAYPANELUP", m_AutoplayUpY, 600);
    ReadLongOr(res, "AUTOPLAYPANELDOWN", m_AutoplayDownY, 600);
    ReadLongOr(res, "AUTOPLAYPANELANIMFRAMES", m_AutoplayFrames, 1);
    ReadLongOr(res, "DEFAULTNUMAUTOSPINS", m_DefaultRounds, 1);
    ReadLongOr(res, "MINNUMAUTOSPINS", m_MinRounds, 2);
    ReadLongOr(res, "MAXNUMAUTOSPINS", m_MaxRounds, 50);
    ReadLongOr(res, "AUTOPLAYPANELDEFAULT", m_AutoplayPanelDefault, 1);
  }
  res.ExitDataChunk();
  if (!ok) return 0;
  for (int32_t k = 0; k < PANEL_NUM_CHIPS; ++k)
    m_ChipLights[k] = {lights[4 * k], lights[4 * k + 1], lights[4 * k + 2], lights[4 * k + 3]};
  m_pDigitStrip = res.GetBm(digits, nullptr, nullptr);
  if (m_pDigitStrip && m_DigitCellWidth > 0 && m_DigitCellHeight > 0)
    for (auto& canvas : m_DigitCanvas) {
      canvas.reset(new (std::nothrow) CBitmap);
      if (!canvas || !canvas->CreateRGB(m_DigitCellWidth, m_DigitCellHeight, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
    }
  return 1;
}

int32_t CPanel::LoadChipBitmaps() {
  static const char* const kLooks[4] = {"N", "P", "H", "D"};
  for (int32_t look = 0; look < 4; ++look) {
    m_pChipLooks[look].reset(new (std::nothrow) CBitmap*[size_t(m_NumChipSets) * PANEL_NUM_CHIPS]());
    if (!m_pChipLooks[look]) return 0;
    for (int32_t set = 0; set < m_NumChipSets; ++set)
      for (int32_t chip = 0; chip < PANEL_NUM_CHIPS; ++chip) {
        char name[64];
        snprintf(name, sizeof name, "chip%ldBm%s%ld", static_cast<long>(chip + 1), kLooks[look],
                 static_cast<long>(set + 1));
        CBitmap* bm = m_pPanelRes->GetBm(name, nullptr, nullptr);
        if (!bm) {
          xprintf("CPanel::Init: no bitmap %s\n", name);
          return 0;
        }
        m_pChipLooks[look][size_t(set) * PANEL_NUM_CHIPS + chip] = bm;
      }
  }
  return 1;
}

int32_t CPanel::LoadDenominationBitmaps() {
  m_pDenomBm.reset(new (std::nothrow) CBitmap*[size_t(m_NumCoinValues)]());
  if (!m_pDenomBm) return 0;
  for (int32_t i = 0; i < m_NumCoinValues; ++i) {
    char name[32];
    snprintf(name, sizeof name, "denomBm_%d", static_cast<int>(i));
    if (!(m_pDenomBm[i] = m_pPanelRes->GetBm(name, nullptr, nullptr))) {
      xprintf("CPanel::Init: no bitmap %s\n", name);
      return 0;
    }
  }
  return 1;
}

int32_t CPanel::Init(CResData* gameRes, CPanelTable* table, int32_t requestFrames, TWinCallback callback,
                     CLList* extraDialogs) {
  Exit();
  m_pTable = table;
  m_RequestFrames = requestFrames;
  m_pGameRes = gameRes;
  m_pExtraCallback = callback;
  if (!gameRes || !table) return 0;
  // 1. The panel script.
  const char* script = gameRes->GetResString(PANEL_STR_PANEL_SCRIPT);
  m_pPanelRes.reset(new (std::nothrow) CResData);
  if (!script || !m_pPanelRes || !m_pPanelRes->Load(script)) {
    xprintf("CPanel::Init: could not load the panel script %s\n", script ? script : "(none)");
    return 0;
  }
  // 2. The options, in the game's section.
  if (!m_pOptionsDlg) m_pOptionsDlg = new (std::nothrow) COptionsDlg(m_pPanelRes.get());
  if (!m_pOptionsDlg) return 0;
  const char* game = table->GetPanelGameName();
  m_pOptionsDlg->GetOptions()->Load(game ? game : "", "");
  // 3. The sub-panels.
  if (!(m_pChips = MakeSection(PANEL_SECTION_CHIPS, true)) ||
      !(m_pMessageLine = MakeSection(PANEL_SECTION_MESSAGELINE, true)) ||
      !(m_pBetArea = MakeSection(PANEL_SECTION_BETAREA, true)) ||
      !(m_pButtons = MakeSection(PANEL_SECTION_BUTTONS, true)) ||
      !(m_pUserList = MakeSection(PANEL_SECTION_USERLIST, true)) ||
      !(m_pHelp = MakeSection(PANEL_SECTION_HELP, true)) || !(m_pFKeys = MakeSection(PANEL_SECTION_FKEYS, true)))
    return 0;
  if (!m_pOptionsDlg->ShowWin(PANEL_SECTION_OPTIONS, 0, 0, &DialogCallback, 0, this)) return 0;
  m_OptionsShown = 1;
  if (!(m_pRequest = MakeSection(PANEL_SECTION_REQUEST, true))) return 0;
  m_pDenomination = MakeSection(PANEL_SECTION_DENOMINATION, false);
  m_pAutoplay = MakeSection(PANEL_SECTION_AUTOPLAY, false);
  // 4. The chat box; its two table buttons come here.
  m_pChatDisplay.reset(new (std::nothrow) CChatDisplay);
  if (!m_pChatDisplay) return 0;
  m_pChatDisplay->SetButtonHook(&ChatButton, this);
  if (!(m_pChat = m_pChatDisplay->Init(m_pPanelRes.get(), PANEL_SECTION_CHAT, table->GetPanelChatClient(), nullptr)))
    return 0;
  // 5 to 7.
  if (!MakeExtraDialogs(extraDialogs) || !MakeUserListBitmap() || !ReadData() || !LoadChipBitmaps() ||
      (m_pDenomination && !LoadDenominationBitmaps()))
    return 0;
  m_pDotsDef = m_pPanelRes->GetBm("autoplayDotsBmDef", nullptr, nullptr);
  m_pDotsFull = m_pPanelRes->GetBm("autoplayDotsBmFull", nullptr, nullptr);
  // 8.
  SetState(m_pUserList, PANEL_CTRL_CLOSE, XGUI_DISABLED);
  SetState(m_pOptionsDlg, PANEL_CTRL_CLOSE, XGUI_DISABLED);
  // 9.
  SetUpTablePlace();
  // 10.
  SetAutoplayDots(0);
  if (m_pAutoplay) AddTimer(PANEL_TIMER_DOTS);
  // 11.
  m_pPanelLeftLowCopyBm = m_pPanelRes->GetBm("panelLeftLow_CopyBm", nullptr, nullptr);
  m_pPanelLeftLowLightBm = m_pPanelRes->GetBm("panelLeftLow_LightBm", nullptr, nullptr);
  m_pPanelLeftLowBm = m_pPanelRes->GetBm("panelLeftLowBm", nullptr, nullptr);
  if (!m_pPanelLeftLowCopyBm || !m_pPanelLeftLowLightBm || !m_pPanelLeftLowBm) {
    xprintf("CPanel::Init: a lower-left panel bitmap is missing\n");
    return 0;
  }
  m_pUserList->GetPos(m_ClosedX, m_ClosedY);
  // Closed, the four panels lie on one another: the user list's head, with its open button, shows.
  m_pUserList->ToFront();
  m_pRequest->GetPos(m_RequestShownX, m_RequestShownY);
  m_pRequest->SetPos(m_RequestShownX, PANEL_REQUEST_HIDDEN_Y);
  // 12.
  m_pDlgMove.reset(new (std::nothrow) CDlgMove);
  if (!m_pDlgMove) return 0;
  m_CurrencyPattern = m_pPanelRes->GetResString(PANEL_STR_CURRENCY, "");
  m_Translate.SetCurrency(m_CurrencyPattern.empty() ? nullptr : m_CurrencyPattern.c_str());
  m_OptionsDlgCreated = 1;
  DisableChipButtons();
  if (!table->IsPanelTableRemote()) SetState(m_pHelp, PANEL_CTRL_HELP_HISTORY, XGUI_DISABLED);
  return 1;
}

void CPanel::SetUpTablePlace() {
  if (!m_pTable->IsPanelTableRemote()) {
    m_pUserList->SetText(PANEL_CTRL_USERLIST_TITLE, m_pPanelRes->GetResString(PANEL_STR_LOCAL_USERLIST, ""));
    SetState(m_pUserList, PANEL_CTRL_OPEN_USERLIST, XGUI_DISABLED);
    SetState(m_pHelp, PANEL_CTRL_HELP_PAGE2, XGUI_DISABLED);
    if (CControlBase* page = m_pHelp->GetCtrl(PANEL_CTRL_HELP_PAGE2)) page->SetTextColor(DISABLED_TEXT);
  } else {
    SetState(m_pChat, PANEL_CTRL_FORREAL, XGUI_HIDDEN);
    AddTimer(PANEL_TIMER_USERLIST);
  }
}

int32_t CPanel::Exit() {
  RemoveAllTimers();
  // Moves end before the dialogs they move go.
  if (m_pDlgMove) m_pDlgMove->Exit();
  m_pDlgMove.reset();
  for (auto& looks : m_pChipLooks) looks.reset();
  m_pDenomBm.reset();
  m_pPanelLeftLowCopyBm = m_pPanelLeftLowLightBm = m_pPanelLeftLowBm = nullptr;
  m_pDigitStrip = m_pDotsDef = m_pDotsFull = nullptr;
  if (m_pOptionsDlg) {
    if (m_OptionsShown) m_pOptionsDlg->ExitWin();
    delete m_pOptionsDlg;
    m_pOptionsDlg = nullptr;
  }
  m_OptionsShown = 0;
  m_OptionsDlgCreated = 0;
  if (m_pChatDisplay) m_pChatDisplay->Exit();
  m_pChatDisplay.reset();
  m_pChat = nullptr;
  for (CDialog** dialog : {&m_pRequest, &m_pMessageLine, &m_pBetArea, &m_pChips, &m_pUserList, &m_pButtons,
                           &m_pHelp, &m_pFKeys, &m_pAutoplay, &m_pDenomination}) {
    if (*dialog) (*dialog)->Destroy();
    delete *dialog;
    *dialog = nullptr;
  }
  // The control that showed the user-list bitmap is gone with its dialog.
  m_pUserListBm.reset();
  for (auto& canvas : m_DigitCanvas) canvas.reset();
  m_pDotsFrame.reset();
  // Bitmaps above belong to the script: it goes last.
  m_pPanelRes.reset();
  m_OptionsOpen = m_UserListOpen = m_HelpOpen = m_FKeysOpen = 0;
  m_ChipSet = -1;
  return 1;
}

void CPanel::UpdateChat(char* line) {
  if (m_pChatDisplay && line) m_pChatDisplay->UpdateChat(line);
}

void CPanel::Show() {
  for (CDialog* dialog : {m_pMessageLine, m_pBetArea, m_pChips, m_pUserList, m_pButtons, m_pHelp, m_pFKeys,
                          m_pAutoplay, m_pDenomination, m_pChat})
    if (dialog) dialog->ShowWindow();
  if (m_pOptionsDlg && m_OptionsShown) m_pOptionsDlg->ShowWindow();
  HideChatAndAutoplay();
  ShowDefaultPanel();
  SetAutoplayButtonsState(XGUI_RELEASED);
  SetAutoplayNumRounds(m_DefaultRounds);
}

void CPanel::Hide() {
  for (CDialog* dialog : {m_pMessageLine, m_pBetArea, m_pChips, m_pUserList, m_pButtons, m_pHelp, m_pFKeys,
                          m_pAutoplay, m_pDenomination, m_pChat, m_pRequest})
    if (dialog) dialog->HideWindow();
  if (m_pOptionsDlg && m_OptionsShown) m_pOptionsDlg->HideWindow();
}

int32_t CPanel::MoveWindow(CDialog* dialog, int32_t x, int32_t y, int32_t frames) {
  return m_pDlgMove ? m_pDlgMove->MoveWindow(dialog, x, y, frames) : 0;
}

int32_t CPanel::SetState(CDialog* dialog, int32_t controlId, int32_t state) {
  CControlBase* control = dialog ? dialog->GetCtrl(controlId) : nullptr;
  if (!control) return 0;
  control->SetState(state);
  return 1;
}

int32_t CPanel::GetState(CDialog* dialog, int32_t controlId) const {
  CControlBase* control = dialog ? dialog->GetCtrl(controlId) : nullptr;
  return control ? control->GetState() : 0;
}

void CPanel::Click() {
  if (m_pTable) m_pTable->PlayClickSound();
}

// ---- the sub-panels' events ----

void CPanel::DialogCallback(int32_t event, int32_t dialogId, int32_t controlId, int32_t value, void* user) {
  if (auto* panel = static_cast<CPanel*>(user)) panel->OnEvent(event, dialogId, controlId, value);
}

void CPanel::OnEvent(int32_t event, int32_t dialogId, int32_t controlId, int32_t value) {
  if (m_pExternalCallback && !m_pExternalCallback(event, dialogId, controlId, value, this)) return;
  if (!m_pTable) return;
  if (event == GUIMSG_SLIDER && dialogId == PANEL_SECTION_USERLIST && controlId == PANEL_CTRL_USERLIST_SLIDER) {
    WriteUserList();
    return;
  }
  if (event != GUIMSG_COMMAND) return;
  switch (dialogId) {
    case PANEL_SECTION_CHIPS: OnChip(controlId); break;
    case PANEL_SECTION_USERLIST: OnUserList(controlId); break;
    case PANEL_SECTION_BUTTONS: OnButtonsBar(controlId); break;
    case PANEL_SECTION_BETAREA: OnBetArea(controlId); break;
    case PANEL_SECTION_OPTIONS:
      if (controlId == PANEL_CTRL_CLOSE) {
        Click();
        switchOptions(PANEL_CLOSE);
      }
      break;
    case PANEL_SECTION_REQUEST: OnRequest(controlId); break;
    case PANEL_SECTION_HELP: OnHelp(controlId); break;
    case PANEL_SECTION_FKEYS:
      if (controlId == PANEL_CTRL_CLOSE) {
        Click();
        switchFKeys(PANEL_CLOSE);
      }
      break;
    case PANEL_SECTION_AUTOPLAY: OnAutoplay(controlId); break;
    default: break;  // the denomination panel speaks only to the external callback
  }
}

void CPanel::OnChip(int32_t controlId) {
  const int32_t k = controlId - PANEL_CTRL_CHIP1 + 1;
  if (k < 1 || k > PANEL_NUM_CHIPS) return;
  const double amount = m_ChipValues[k - 1] / m_Multiplier;
  if (!(amount >= INT32_MIN && amount <= INT32_MAX)) return;
  if (!m_pTable->CheckCash(TMoney(static_cast<int32_t>(amount)))) return;
  Click();
  SetCurrentChip(k);
}

void CPanel::OnUserList(int32_t controlId) {
  if (controlId == PANEL_CTRL_OPEN_USERLIST) {
    Click();
    SwitchHelpAndOptions(PANEL_USERLIST);
  } else if (controlId == PANEL_CTRL_CLOSE) {
    Click();
    switchUserList(PANEL_CLOSE);
  } else if (controlId == PANEL_CTRL_USERLIST_AREA) {
    HandleIgnore();
  }
}

void CPanel::OnButtonsBar(int32_t controlId) {
  if (controlId != PANEL_CTRL_HELP && controlId != PANEL_CTRL_OPTIONS && controlId != PANEL_CTRL_EXIT) return;
  Click();
  if (controlId == PANEL_CTRL_HELP) SwitchHelpAndOptions(PANEL_HELP);
  if (controlId == PANEL_CTRL_OPTIONS) SwitchHelpAndOptions(PANEL_OPTIONS);
  if (controlId == PANEL_CTRL_EXIT) m_pTable->ExitButtonPressed();
}

void CPanel::OnBetArea(int32_t controlId) {
  if (controlId == PANEL_CTRL_BET1) {
    Click();
    m_pTable->BetDone();
  } else if (controlId == PANEL_CTRL_BET2) {
    SetState(m_pBetArea, PANEL_CTRL_BET2, XGUI_HIDDEN);
    Click();
    m_pTable->SetOldBet();
  }
}

void CPanel::OnRequest(int32_t controlId) {
  if (controlId != PANEL_CTRL_REQUEST_YES && controlId != PANEL_CTRL_REQUEST_NO) return;
  Click();
  m_pTable->SendRequestAnswer(controlId == PANEL_CTRL_REQUEST_YES ? 1 : 0);
  RemoveTimer(PANEL_TIMER_REQUEST);
  MoveWindow(m_pRequest, m_RequestShownX, PANEL_REQUEST_HIDDEN_Y, m_RequestFrames);
}

void CPanel::OnHelp(int32_t controlId) {
  switch (controlId) {
    case PANEL_CTRL_CLOSE:
      Click();
      switchHelp(PANEL_CLOSE);
      break;
    case PANEL_CTRL_HELP_PAGE1:
    case PANEL_CTRL_HELP_PAGE2: {
      Click();
      const char* url = controlId == PANEL_CTRL_HELP_PAGE1 ? m_pTable->GetHelpURL() : m_pTable->GetFKeyHelpURL();
      if (url) ShowHelp(url);
      break;
    }
    case PANEL_CTRL_HELP_FKEYS:
      Click();
      SwitchHelpAndOptions(PANEL_FKEYS);
      break;
    case PANEL_CTRL_HELP_HISTORY: m_pTable->CreatePlayerHistoryDialog(); break;
    default: break;
  }
}

void CPanel::OnAutoplay(int32_t controlId) {
  switch (controlId) {
    case PANEL_CTRL_SHOW_CHAT:
      switchAutoplayPanel(1);
      Click();
      return;
    case PANEL_CTRL_AUTO_START:
      m_DefaultRounds = m_AutoplayRounds;
      m_pTable->StartAutoplay(static_cast<uint32_t>(m_AutoplayRounds));
      m_pTable->ValidateAutoplayButtons();
      Click();
      return;
    case PANEL_CTRL_AUTO_STOP:
      if (m_AutoplayRounds > 0) m_DefaultRounds = m_AutoplayRounds;
      m_pTable->StopAutoplay();
      Click();
      return;
    case PANEL_CTRL_AUTO_MINUS1: SetAutoplayNumRounds(m_AutoplayRounds - 1); break;
    case PANEL_CTRL_AUTO_PLUS1: SetAutoplayNumRounds(m_AutoplayRounds + 1); break;
    case PANEL_CTRL_AUTO_PLUS5: SetAutoplayNumRounds(m_AutoplayRounds + 5); break;
    case PANEL_CTRL_AUTO_PLUS10: SetAutoplayNumRounds(m_AutoplayRounds + 10); break;
    case PANEL_CTRL_AUTO_RESET: SetAutoplayNumRounds(1); break;
    default: return;
  }
  m_pTable->ValidateAutoplayButtons();
  Click();
}

void CPanel::ChatButton(int32_t controlId, void* user) {
  if (auto* panel = static_cast<CPanel*>(user)) panel->OnChatButton(controlId);
}

void CPanel::OnChatButton(int32_t controlId) {
  if (!m_pTable) return;
  if (controlId == PANEL_CTRL_FORREAL) {
    Click();
    m_pTable->RestartToForReal();
  } else if (controlId == PANEL_CTRL_SHOW_AUTOPLAY) {
    switchAutoplayPanel(0);
    Click();
    m_pTable->ChatAutoplayPressed();
  }
}
