// The practice-money dialog of a client table: the amount asked for or granted, a progress bar
// that fills while the table waits for the server's answer, and a small animation dialog that
// plays while the window is disabled. Built from the table's own resource script: the window
// section asked for (200 the request, 300 the answer, 350 after a choice) and the animation
// section 250.
#pragma once

#include <cstdint>

#include "ostrel/base/money.h"
#include "ostrel/dialogs/dialog.h"

class CResData;

enum : int32_t {
  FORFUN_CLOSE = 201,      // the close button
  FORFUN_AMOUNT = 202,     // the amount the player may edit (not in every section)
  FORFUN_AMOUNTTEXT = 203, // the amount shown
  FORFUN_PROGRESS = 204,
  FORFUN_ANIMSECTION = 250,
};
// Both amount texts need a buffer of at least this many bytes.
inline constexpr int32_t FORFUN_AMOUNT_BUFFER = 24;
// The longest wait when the script's data chunk has no FORPRACTICE_MAXWAIT_MONEY.
inline constexpr int32_t FORFUN_DEFAULT_MAXWAIT = 30000;

class CForFunDlg : public CDialog {
 public:
  // Reads FORPRACTICE_MAXWAIT_MONEY (ms) from the script's data chunk. The script is not owned.
  explicit CForFunDlg(CResData* res);
  ~CForFunDlg() override;

  // Shows the animation dialog while the window is disabled, hides it while enabled.
  int32_t Enable(int32_t on) override;
  // The animation dialog, then the window.
  int32_t Destroy() override;

  // Builds the section with the create flags (DIALOG_HIDDEN) and its animation dialog, and
  // starts the wait. Throws a char* text: "Dialog already created", "No pointer for resdata
  // when CreateGui", "Could not create GUI", "Could create anim dialog" (the window is then
  // taken down again, so a later call may try anew).
  virtual void CreateGui(int32_t section, int32_t flags);
  // The amount with two decimals into 203 and, when the section has it, 202; each redrawn.
  // Throws "Textbuffer to small" for a buffer below FORFUN_AMOUNT_BUFFER bytes.
  virtual void SetMoney(const CHugeFixedPoint<10, 10>& amount);
  // The dialog holds nothing that could be invalid: always 1.
  virtual int32_t CheckMoney();
  // The amount of 202, or of 203 when 202 is missing or holds no amount; the amount's error flag
  // is set when neither does. Buffers checked as by SetMoney.
  virtual void GetMoney(CHugeFixedPoint<10, 10>& amount);

  // 1 while the answer is awaited: the longest wait has not passed since CreateGui and the close
  // button was not pressed. Moves the progress bar to the time waited.
  int32_t IsWaiting();

  int32_t GetPressed() const { return m_Pressed; }
  int32_t GetMaxWait() const { return m_MaxWait; }
  CDialog* GetAnimDialog() const { return m_pAnim; }

 private:
  static void Callback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);
  // The control's text buffer when it holds at least FORFUN_AMOUNT_BUFFER bytes; throws else.
  char* AmountBuffer(int32_t id);
  // Reads the amount of control id; 0 when its text is no amount.
  int32_t ReadAmount(int32_t id, CHugeFixedPoint<10, 10>& amount);
  void WriteAmount(int32_t id, const char* text);

  CResData* m_pRes;
  CDialog* m_pAnim = nullptr;
  int32_t m_Pressed = 0;
  uint32_t m_CreateTime = 0;
  int32_t m_MaxWait = FORFUN_DEFAULT_MAXWAIT;
};
