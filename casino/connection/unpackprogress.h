// The window shown while downloaded packages are unpacked: a bar that counts the packages and the
// name of the one at hand. The player may cancel it.
#pragma once

#include <cstdint>

class CDialog;
class CMilesSample;

inline constexpr int32_t UNPACKWINDOW_DIALOG = 4050;
inline constexpr int32_t UNPACKWINDOW_BAR = 105;
inline constexpr int32_t UNPACKWINDOW_TEXT = 125;
inline constexpr int32_t UNPACKWINDOW_CANCEL = 106;

class UnpackProgressWindow {
 public:
  UnpackProgressWindow() = default;
  ~UnpackProgressWindow();
  UnpackProgressWindow(const UnpackProgressWindow&) = delete;
  UnpackProgressWindow& operator=(const UnpackProgressWindow&) = delete;

  // Dialog 4050 with its bar (range 0 to count, value 0) and text; 0 when the dialog or either
  // control is missing (nothing is left open then).
  int32_t Open(int32_t count, CMilesSample* clickSound);
  // One step more on the bar, the text (when given) shown, one pass of the loop. 1 while open;
  // 0 once the player cancelled (or it was never opened).
  int32_t Step(const char* text);
  void Close();
  int32_t IsOpen() const { return m_Open; }
  int32_t Steps() const { return m_Steps; }

 private:
  static void Callback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

  CDialog* m_pDialog = nullptr;
  int32_t m_Steps = 0;
  int32_t m_Open = 0;
  CMilesSample* m_pClick = nullptr;
};
