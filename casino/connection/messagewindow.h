// A message the player must acknowledge: a dialog of the main resources with the text in
// control 102, shown until OK (101) or the close box (1002). Show blocks, running the frame loop.
#pragma once

#include <cstdint>

class CDialog;
class CMilesSample;

inline constexpr int32_t MESSAGEWINDOW_PLAIN = 4080;
inline constexpr int32_t MESSAGEWINDOW_SECOND = 4081;  // the second layout
inline constexpr int32_t MESSAGEWINDOW_TEXT = 102;
inline constexpr int32_t MESSAGEWINDOW_OK = 101;

class MessageWindow {
 public:
  // The click sound is started when the player closes the window; null for none. Not owned.
  explicit MessageWindow(CMilesSample* clickSound);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  // Dialog id, else 4080 when that one cannot be made. 1 once the player closed it; 0 when no
  // dialog could be made, or without a text (the dialog then stays until Close), or when the
  // program was asked to quit while it showed.
  int32_t Show(const char* text, int32_t dialogId = MESSAGEWINDOW_PLAIN);
  // Deletes a dialog that is still there.
  void Close();
  int32_t IsOpen() const { return m_Open; }

 private:
  static void Callback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);
  int32_t MakeDialog(int32_t dialogId);

  CDialog* m_pDialog = nullptr;
  int32_t m_Open = 0;
  CMilesSample* m_pClick;
};
