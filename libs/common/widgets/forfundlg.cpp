#include "common/widgets/forfundlg.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/progress.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/clock.h"

namespace {
// Thrown as char*, which handlers of char* and of const char* both catch.
char kAlreadyCreated[] = "Dialog already created";
char kNoResData[] = "No pointer for resdata when CreateGui";
char kNoGui[] = "Could not create GUI";
char kNoAnim[] = "Could create anim dialog";
char kBufferTooSmall[] = "Textbuffer to small";

constexpr const char* kMaxWaitKey = "FORPRACTICE_MAXWAIT_MONEY";
}  // namespace

CForFunDlg::CForFunDlg(CResData* res) : m_pRes(res) {
  if (!m_pRes || !m_pRes->EnterDataChunk()) return;
  int32_t wait = 0;
  if (m_pRes->GetItem(kMaxWaitKey, KLONG, &wait, KEND)) m_MaxWait = wait;
  m_pRes->ExitDataChunk();
}

CForFunDlg::~CForFunDlg() {
  Destroy();
  delete m_pAnim;
}

void CForFunDlg::Callback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
  if (event == GUIMSG_COMMAND && controlId == FORFUN_CLOSE && user) static_cast<CForFunDlg*>(user)->m_Pressed = FORFUN_CLOSE;
}

void CForFunDlg::CreateGui(int32_t section, int32_t flags) {
  if (GetID()) throw kAlreadyCreated;
  if (!m_pRes) throw kNoResData;
  m_Pressed = 0;
  if (!Create(m_pRes, section, Callback, flags, this)) throw kNoGui;
  m_CreateTime = xGetTime();
  if (m_pAnim)
    m_pAnim->Destroy();
  else
    m_pAnim = new CDialog;
  // Hidden until the window is disabled.
  if (!m_pAnim->Create(m_pRes, FORFUN_ANIMSECTION, nullptr, DIALOG_HIDDEN, this)) {
    CDialog::Destroy();
    throw kNoAnim;
  }
  if (auto* bar = dynamic_cast<CProgress*>(GetCtrl(FORFUN_PROGRESS))) bar->SetRange(0, m_MaxWait);
}

int32_t CForFunDlg::IsWaiting() {
  const uint32_t waited = xTimeDiff(m_CreateTime, xGetTime());
  if (m_MaxWait <= 0 || waited >= static_cast<uint32_t>(m_MaxWait)) return 0;
  SetValue(FORFUN_PROGRESS, static_cast<int32_t>(waited));
  return m_Pressed == FORFUN_CLOSE ? 0 : 1;
}

char* CForFunDlg::AmountBuffer(int32_t id) {
  char* buffer = GetTextBuffer(id, 0);
  if (!buffer || GetTextBufferSize(id) < FORFUN_AMOUNT_BUFFER) throw kBufferTooSmall;
  return buffer;
}

void CForFunDlg::WriteAmount(int32_t id, const char* text) {
  char* buffer = AmountBuffer(id);
  snprintf(buffer, static_cast<size_t>(GetTextBufferSize(id)), "%s", text);
  GetCtrl(id)->Validate();
}

void CForFunDlg::SetMoney(const CHugeFixedPoint<10, 10>& amount) {
  // Natural width with two decimals: sign, ten digits, point, decimals and terminator.
  char text[13 + 2];
  CHugeFixedPoint<10, 10>::Print(amount, text, -1, 2);
  WriteAmount(FORFUN_AMOUNTTEXT, text);
  if (GetCtrl(FORFUN_AMOUNT)) WriteAmount(FORFUN_AMOUNT, text);
}

int32_t CForFunDlg::CheckMoney() { return 1; }

int32_t CForFunDlg::ReadAmount(int32_t id, CHugeFixedPoint<10, 10>& amount) {
  const char* buffer = AmountBuffer(id);
  const std::string text(buffer, strnlen(buffer, static_cast<size_t>(GetTextBufferSize(id))));
  return CHugeFixedPoint<10, 10>::Translate(text.c_str(), amount);
}

void CForFunDlg::GetMoney(CHugeFixedPoint<10, 10>& amount) {
  amount.SetError(0);
  if (GetCtrl(FORFUN_AMOUNT) && ReadAmount(FORFUN_AMOUNT, amount)) return;
  if (!ReadAmount(FORFUN_AMOUNTTEXT, amount)) amount.SetError(1);
}

int32_t CForFunDlg::Enable(int32_t on) {
  if (m_pAnim) {
    if (on)
      m_pAnim->HideWindow();
    else
      m_pAnim->ShowWindow();
  }
  return CDialog::Enable(on);
}

int32_t CForFunDlg::Destroy() {
  if (m_pAnim) m_pAnim->Destroy();
  return CDialog::Destroy();
}
