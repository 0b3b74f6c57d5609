#include "common/chat/chatdisplay.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/chat/chatclient.h"
#include "common/chat/cmdstring.h"
#include "common/info/translatemessage.h"
#include "ostrel/controls/edit.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/font.h"

namespace {

constexpr int32_t kNameRows[CHATBOX_ROWS] = {CHATBOX_NAME1, CHATBOX_NAME2, CHATBOX_NAME3};
constexpr int32_t kTextRows[CHATBOX_ROWS] = {CHATBOX_TEXT1, CHATBOX_TEXT2, CHATBOX_TEXT3};

const std::string& NoText() {
  static const std::string none;
  return none;
}

// The line after translation: a tagged server text becomes the script's text of its number.
std::string Translated(const char* line, CTranslateMessage* translator) {
  if (!translator) return line;
  std::vector<char> copy(line, line + std::strlen(line) + 1);
  char* text = copy.data();
  translator->TranslateMessage(&text);
  return text ? std::string(text) : std::string();
}

// A sender's name at the front of a line, between byte 3 and byte 4 or between "<" and ">".
// Without its closing mark within reach the whole line is text.
void SplitName(const std::string& line, std::string& name, std::string& text) {
  const char close = line.empty() ? 0 : line[0] == CHAT_NAME_START ? CHAT_NAME_END : line[0] == '<' ? '>' : 0;
  const size_t end = close ? line.find(close, 1) : std::string::npos;
  if (end == std::string::npos || end - 1 > CHATBOX_MAX_NAME) {
    name.clear();
    text = line;
    return;
  }
  name = line.substr(1, end - 1);
  text = line.substr(end + 1);
}

}  // namespace

CChatDisplay::CChatDisplay() = default;

void CChatDisplay::TimerHandler(uint32_t) {}

CChatDisplay::~CChatDisplay() { Exit(); }

CDialog* CChatDisplay::Init(CResData* res, int32_t dialogId, CChatClient* chat, CClientTableBase* table) {
  Exit();
  m_pChat = chat;
  m_pTable = table;
  auto dialog = std::make_unique<CDialog>();
  if (!res || !dialog->Create(res, dialogId, &ChatCallback, 0, this)) return nullptr;
  m_pDialog = dialog.release();
  if (CControlBase* slider = m_pDialog->GetCtrl(CHATBOX_SLIDER)) slider->SetState(XGUI_HIDDEN);
  auto translator = std::make_unique<CTranslateMessage>();
  if (translator->Load()) m_pTranslator = std::move(translator);
  return m_pDialog;
}

int32_t CChatDisplay::Exit() {
  // The rows show the entries' texts: the dialog goes first.
  delete m_pDialog;
  m_pDialog = nullptr;
  m_Entries.clear();
  m_pTranslator.reset();
  return 1;
}

const std::string& CChatDisplay::EntryName(int32_t i) const {
  return i >= 0 && i < NumEntries() ? m_Entries[static_cast<size_t>(i)].m_Name : NoText();
}

const std::string& CChatDisplay::EntryText(int32_t i) const {
  return i >= 0 && i < NumEntries() ? m_Entries[static_cast<size_t>(i)].m_Text : NoText();
}

void CChatDisplay::UpdateChat(const char* line) {
  if (!line) return;
  std::string name, text;
  SplitName(Translated(line, m_pTranslator.get()), name, text);
  const size_t cut = SplitPoint(text);
  if (cut == std::string::npos) {
    AddEntry(std::move(name), std::move(text));
  } else {
    // The first part goes in first: the rest, in front of it, shows in the row below it.
    const bool atBreak = text[cut] == ' ' || text[cut] == '\n';
    std::string rest = text.substr(cut + (atBreak ? 1 : 0));
    text.resize(cut);
    AddEntry(std::move(name), std::move(text));
    AddEntry(std::string(), std::move(rest));
  }
  DisplayChatLines(0);
  // Only now may the oldest go: no row shows them any more.
  while (m_Entries.size() > static_cast<size_t>(CHATBOX_MAX_ENTRIES)) m_Entries.pop_back();
  UpdateSlider();
}

void CChatDisplay::AddEntry(std::string name, std::string text) { m_Entries.push_front({std::move(name), std::move(text)}); }

size_t CChatDisplay::SplitPoint(const std::string& text) const {
  CControlBase* row = m_pDialog ? m_pDialog->GetCtrl(CHATBOX_TEXT1) : nullptr;
  CFont* font = row ? row->GetLook().m_pFont : nullptr;
  int32_t width = 0, height = 0;
  if (!font || text.empty() || !row->GetSize(width, height) || width <= 0) return std::string::npos;
  width = std::min(width, TEXT_UNBOUNDED - 1);
  if (font->GetTextWidth(text.c_str(), -1, -1, 0) <= width) return std::string::npos;
  TTextInfo info{};
  if (font->GetLineIndex(text.c_str(), static_cast<int16_t>(width), -1, 1, &info, 0) && info.lastIndex > 0 &&
      info.lastIndex < text.size())
    return info.lastIndex;
  // One word wider than the row: cut it where it stops fitting.
  size_t fits = 0, tooWide = text.size();
  while (tooWide - fits > 1) {
    const size_t mid = (fits + tooWide) / 2;
    if (font->GetTextWidth(text.substr(0, mid).c_str(), -1, -1, 0) <= width)
      fits = mid;
    else
      tooWide = mid;
  }
  return fits > 0 ? fits : std::string::npos;
}

void CChatDisplay::UpdateSlider() {
  auto* slider = m_pDialog ? dynamic_cast<CSlider*>(m_pDialog->GetCtrl(CHATBOX_SLIDER)) : nullptr;
  if (!slider) return;
  const int32_t count = NumEntries();
  if (count <= CHATBOX_ROWS) {
    slider->SetState(XGUI_HIDDEN);
    return;
  }
  // One position for each entry, a page of three: at the range end the newest three show.
  slider->SetRange(0, count - 1, CHATBOX_ROWS);
  slider->SetValue(slider->GetLargestValue());
  if (slider->GetState() == XGUI_HIDDEN) slider->SetState(XGUI_RELEASED);
  slider->Validate();
}

void CChatDisplay::DisplayChatLines(int32_t offset) {
  if (!m_pDialog) return;
  offset = std::max(offset, 0);
  for (int32_t row = 0; row < CHATBOX_ROWS; ++row) {
    m_pDialog->SetText(kNameRows[row], EntryName(offset + row).c_str());
    m_pDialog->SetText(kTextRows[row], EntryText(offset + row).c_str());
  }
}

void CChatDisplay::ClearChatHistory() {
  m_Entries.clear();
  DisplayChatLines(0);
  UpdateSlider();
}

void CChatDisplay::ChatCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user) {
  auto* self = static_cast<CChatDisplay*>(user);
  if (!self) return;
  switch (event) {
    case GUIMSG_KEY:
      self->OnKey(controlId, value);
      break;
    case GUIMSG_COMMAND:
      self->OnCommand(windowId, controlId);
      break;
    case GUIMSG_SLIDER:
      self->OnSlider(windowId, controlId);
      break;
    default:
      break;
  }
}

void CChatDisplay::OnKey(int32_t controlId, int32_t value) {
  if (controlId != CHATBOX_INPUT || (value & 0xFFFF) != CHATBOX_KEY_ENTER || !m_pDialog) return;
  auto* field = dynamic_cast<CEdit*>(m_pDialog->GetCtrl(CHATBOX_INPUT));
  if (!field) return;
  const char* typed = field->GetTextBuffer(0);
  if (m_pChat && typed) m_pChat->SendText(typed, 0);
  field->ClearBuf();
}

void CChatDisplay::OnCommand(int32_t windowId, int32_t controlId) {
  if (windowId != CHATBOX_WINDOW) return;
  if (m_pButtonHook && (controlId == CHATBOX_FORREAL || controlId == CHATBOX_AUTOPLAY)) {
    m_pButtonHook(controlId, m_pButtonHookUser);
    return;
  }
  if (controlId == CHATBOX_FORREAL && m_TableCalls.m_pRestartToForReal) m_TableCalls.m_pRestartToForReal(m_pTable);
  if (controlId == CHATBOX_AUTOPLAY && m_TableCalls.m_pSwitchAutoplayOff) m_TableCalls.m_pSwitchAutoplayOff(m_pTable);
}

// The slider counts back from its range end: there the newest entries show.
void CChatDisplay::OnSlider(int32_t windowId, int32_t controlId) {
  if (windowId != CHATBOX_WINDOW || controlId != CHATBOX_SLIDER || !m_pDialog) return;
  auto* slider = dynamic_cast<CSlider*>(m_pDialog->GetCtrl(CHATBOX_SLIDER));
  if (slider) DisplayChatLines(std::max(0, slider->GetLargestValue() - slider->GetValue()));
}
