// A frame animation that a game table places on its dialog: a static control it adds to the
// dialog shows one frame of a strip bitmap at a time, stepped by its own timer, and may move by a
// fixed step every frame. An end callback hears when the animation ends or a loop completes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/containers/point.h"
#include "ostrel/system/timers.h"

class CBitmap;
class CDialog;
class CResData;
class CStatic;
struct TGuiCtrl;

enum ANIMSTYLE : int32_t {
  ANIMSTYLE_FORWARDBACK = 0,  // forward, then back once
  ANIMSTYLE_FORWARD = 1,      // forward once
  ANIMSTYLE_BACKWARD = 2,     // backward once
  ANIMSTYLE_PINGPONG = 3,     // forward and back for ever
  ANIMSTYLE_LOOP = 4,         // forward in a loop
  ANIMSTYLE_KEEP = 5,         // Start keeps the current style
};

enum ANIMSTATE : int32_t {
  ANIMSTATE_END = 0,   // the animation ended, or was set without running
  ANIMSTATE_LOOP = 1,  // a loop of ANIMSTYLE_LOOP completed
};

class CAnimationControl;
using TAnimEndCallback = void (*)(void* user, CAnimationControl* control, ANIMSTATE state);

// The resource item's value 9 chooses the static's flags: see-through on the strip's first pixel
// (1) or not.
inline constexpr uint32_t ANIMCTRL_FLAGS_KEYED = 262;
inline constexpr uint32_t ANIMCTRL_FLAGS_PLAIN = 6;

// No strip holds more frames than an animation may have.
inline constexpr int32_t ANIMCTRL_MAX_FRAMES = 4096;

class CAnimationControl : public CTimer {
 public:
  CAnimationControl() = default;
  // Destroy.
  ~CAnimationControl() override;

  // Reads the item name of the script's data chunk: strip bitmap name, x, y, frame width, frame
  // height, frame count, frame delay (ms), dx, dy, the keyed flag and, optionally, the resource
  // name of a dialog control that is taken out and added again after the animation, so that it
  // stays drawn above it. Frames lie in the strip row by row. The static is added to the dialog
  // at (x, y) (like the dialog's own controls), one frame in size; with visible 0 it starts
  // hidden, else showing the current frame. The visible flag is also the keep-visible rule: an
  // animation made visible stays visible when it ends. 0, said in the diagnostics, when the item
  // or one of its values is missing, a size or the count is 0 or below, the count is above
  // ANIMCTRL_MAX_FRAMES, the strip is missing or holds fewer frames than the count. The dialog and the script are not owned; the dialog owns
  // the static while it holds it.
  int32_t Create(CResData* res, const char* name, CDialog* dialog, int32_t visible, TAnimEndCallback callback,
                 void* user);
  // Stops, takes the static out of the dialog (when the dialog still holds it) and forgets it.
  // The animation goes before the dialog object itself is deleted.
  void Destroy();

  // Style ANIMSTYLE_KEEP keeps the current style. Without animate (and not ANIMSTYLE_PINGPONG)
  // the animation shows its first frame (its last for ANIMSTYLE_FORWARD) and calls back with
  // ANIMSTATE_END at once. Otherwise it runs from its first frame (its last for
  // ANIMSTYLE_BACKWARD, or startFrame when that is a frame), one step each frame delay.
  void Start(ANIMSTYLE style, int32_t animate, int32_t startFrame);
  // Stops where it is and shows the current frame.
  void Stop();
  void StopAndHide();
  // The animation stops when it shows this frame (-1 none; cleared once it stopped there).
  void StopAtFrame(int32_t frame);
  // Stops and shows the frame; a number beyond the frames shows the current one.
  void StopAndShowFrame(uint32_t frame);
  void Hide();
  // Shows the current frame.
  void Show();

  // Where the static stands, as given to Create.
  void SetPos(int32_t x, int32_t y);
  void GetPos(int32_t& x, int32_t& y) const;
  void SetDeltaX(int32_t dx) { m_DX = dx; }
  void SetDeltaY(int32_t dy) { m_DY = dy; }
  int32_t GetDeltaX() const { return m_DX; }
  int32_t GetDeltaY() const { return m_DY; }
  int32_t GetOriginalPosX() const { return m_OriginalX; }
  int32_t GetOriginalPosY() const { return m_OriginalY; }
  int32_t GetNumFrames() const { return static_cast<int32_t>(m_Frames.size()); }
  int32_t GetCurrentFrameNr() const { return m_CurrentFrame; }
  // A running animation goes on at the new delay.
  void SetFrameDelay(uint32_t ms);
  uint32_t GetFrameDelay() const { return m_FrameDelay; }
  int32_t IsAnimating() const { return m_Animating; }
  void SetUserData(intptr_t data) { m_UserData = data; }
  intptr_t GetUserData() const { return m_UserData; }
  ANIMSTYLE GetStyle() const { return m_Style; }
  // Flags of the static (CNTRL_ of resflags.h); it is redrawn.
  void SetAnimationCtrlFlags(uint32_t flags);
  void ClearAnimationCtrlFlags(uint32_t flags);
  // 1 when the animation was made from the item of that name (without regard to case).
  int32_t Is(const char* name) const;
  CStatic* GetStatic() const { return m_pStatic; }

  // One step: move by (dx, dy), show the current frame, then stop at the stop-at frame or step
  // on by the style.
  void TimerHandler(uint32_t period) override;

 private:
  // The item's values into the members; 0 with the diagnostic.
  int32_t ReadItem(CResData* res, std::string& strip, std::string& above, int32_t& keyed, int32_t& count);
  int32_t BuildFrames(CBitmap* strip, int32_t count);
  int32_t AddStatic(uint32_t flags);
  // The control named in the item, out and in again after the static.
  void RaiseAbove(CResData* res, const char* name);
  // Shows the static with the current frame.
  void DrawFrame();
  void PlaceStatic();
  // The timer stopped; nothing drawn.
  void Halt();
  // Stops the timer, takes the frame number frameAfter (when not -1), hides unless keep-visible
  // and calls back.
  void Finish(ANIMSTATE state, int32_t frameAfter = -1);
  void HideUnlessKept();
  void Notify(ANIMSTATE state);
  void ChangeState(int32_t state);
  int32_t LastFrame() const { return GetNumFrames() - 1; }

  TAnimEndCallback m_pCallback = nullptr;
  void* m_pUser = nullptr;
  CDialog* m_pDialog = nullptr;
  CStatic* m_pStatic = nullptr;   // the dialog's once added
  TGuiCtrl* m_pRecord = nullptr;  // the dialog's once added
  CBitmap* m_pStrip = nullptr;    // the script's
  std::vector<TPoint> m_Frames;
  int32_t m_FrameWidth = 0, m_FrameHeight = 0;
  int32_t m_X = 0, m_Y = 0;
  int32_t m_OriginalX = 0, m_OriginalY = 0;
  int32_t m_DX = 0, m_DY = 0;
  ANIMSTYLE m_Style = ANIMSTYLE_FORWARD;
  int32_t m_CurrentFrame = 0;
  uint32_t m_FrameDelay = 0;
  uint32_t m_TimerPeriod = 0;  // the period running now, 0 none
  int32_t m_StopAtFrame = -1;
  int32_t m_Reverse = 0;
  int32_t m_KeepVisible = 0;
  std::string m_Name;
  intptr_t m_UserData = 0;
  int32_t m_Animating = 0;
};
