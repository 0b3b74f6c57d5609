// A stage for dialogs of a resource script: the runtime on the headless display or a real one, the
// windowed screen in one 24-bit mode, the base pack, the script and some of its dialogs, frames
// and a picture of the screen. The dialog viewer, the gallery and the toolkit benchmark use it.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resdata.h"

struct TRgbImage;

class CDialogStage {
 public:
  CDialogStage() = default;
  ~CDialogStage();
  CDialogStage(const CDialogStage&) = delete;
  CDialogStage& operator=(const CDialogStage&) = delete;

  // The runtime and the screen (width x height). headless keeps off any real display; otherwise
  // the display is chosen as programs choose it. False, with a reason in Error(), on failure.
  bool Start(int32_t width, int32_t height, bool headless);
  // The base pack of the install folder dist, then the script. The script's file names count
  // from dist too, as they do for the programs.
  bool Load(const std::string& dist, const std::string& script);
  // The dialogs of these define names (or numbers), in order; none: every window section of the
  // script. Later ones stand in front.
  bool Open(const std::vector<std::string>& names);
  // "ID=N": control ID (define name or number) of the open dialogs shows N: a progress bar,
  // slider or time-out that value, a scrolling text N steps of its timer on, a check box checked
  // (N not 0) or not, a group box its radio button N (an id or define name) chosen, a list box or
  // combo box its entry N (from 1) selected. Without
  // mustExist a control that no open dialog has is no failure.
  bool SetValue(const std::string& assignment, bool mustExist = true);
  // The script's "Data" chunk for the controls that are open: every "Value" item (control,
  // number) as SetValue, every "Line" item (control, text, optional colour) a line added to that
  // multi-line edit, in that colour (a colour name or "r g b a").
  bool ApplyDataValues();
  // Controls that take no input keep the states the script gave them (a picture has no mouse).
  void Freeze();
  // The define names of the script's window sections, in script order.
  std::vector<std::string> WindowNames();
  // One pass of the loop. The stage keeps no persistent page, so what a moved window uncovers
  // is painted black again here, and the windows it overlapped are drawn anew.
  int32_t Frame();
  // The screen as RGB; with margin >= 0 only the dialogs' rectangles and that margin around them.
  bool Capture(TRgbImage* image, int32_t margin) const;

  const std::string& Error() const { return m_Error; }
  CResData& Script() { return m_Script; }
  std::vector<std::unique_ptr<CDialog>>& Dialogs() { return m_Dialogs; }

 private:
  bool Fail(std::string why);
  // A define name or a number; false when it is neither.
  bool IdOf(const std::string& name, int32_t* id);
  // The record of control id in the open dialogs, or null.
  TGuiCtrl* Find(int32_t id);
  bool AddLine(const char* control, const char* text);
  void RepaintUncovered();

  bool m_Started = false;
  CResData m_Base;
  CResData m_Script;
  std::vector<std::unique_ptr<CDialog>> m_Dialogs;
  // Where each dialog stood at the last frame.
  std::vector<CRect> m_LastRects;
  // Line colours: multi-line edits keep pointers to them.
  std::deque<TRGBA> m_LineColours;
  std::string m_Error;
};
