// A display without a screen: the window is a rectangle with a memory surface that tests read
// back, the desktop is what tests configure, and input is whatever tests queue.
#pragma once

#include <string>
#include <vector>

#include "platform/display/translator.h"

class CHeadlessDisplay : public CQueuedDisplay {
 public:
  CHeadlessDisplay() { Reset(); }
  const char* Name() const override { return "headless"; }

  bool OpenWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void CloseWindow() override;
  bool IsWindowOpen() const override { return m_Open; }
  void ShowWindow(bool visible) override { m_Visible = m_Open && visible; }
  bool IsWindowVisible() const override { return m_Visible; }
  void RaiseWindow() override { ++m_RaiseCount; }
  void SetTitle(const char* title) override { m_Title = title ? title : ""; }
  void MinimizeWindow() override;
  void RestoreWindow() override;
  bool IsWindowMinimized() const override { return m_Minimized; }
  void MaximizeWindow() override;
  bool IsWindowMaximized() const override { return m_Maximized; }
  void SetWindowIcon(const TDisplayImage& icon) override;

  void SetWindowStyle(uint32_t style) override;
  uint32_t GetWindowStyle() const override { return m_Style; }
  TFrameMetrics GetFrameMetrics() const override { return m_Metrics; }
  void SetWindowPos(int32_t x, int32_t y) override;
  void SetWindowSize(int32_t width, int32_t height) override;
  void GetWindowRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const override;
  void GetClientSize(int32_t& width, int32_t& height) const override;
  bool SetFullScreen(EFullScreen mode) override;
  EFullScreen GetFullScreen() const override { return m_FullScreen; }

  void GetDesktopSize(int32_t& width, int32_t& height) const override;
  int32_t GetDesktopDepth() const override { return m_DesktopDepth; }

  void SetPalette(int32_t first, int32_t count, const TDisplayColour* colours) override;
  bool Present(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count, int32_t dstX,
               int32_t dstY) override;
  bool PresentScaled(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count,
                     const TDisplayRect& target) override;
  bool FillClient(const TDisplayRect& rect, TDisplayColour colour) override;
  bool HasFullScreenVideo() const override { return m_FullScreenVideo; }

  bool HasMouse() const override { return m_MousePresent; }
  bool HasSystemCursor(EDisplayCursor cursor) const override;
  void SetSystemCursor(EDisplayCursor cursor) override { m_Cursor = cursor; }
  void SetCursorPicture(EDisplayCursor cursor, const TDisplayImage* picture, int32_t hotX, int32_t hotY) override;
  EDisplayCursor GetSystemCursor() const override { return m_Cursor; }
  void ShowPointer(bool visible) override { m_PointerShown = visible; }
  bool IsPointerShown() const override { return m_PointerShown; }
  void WarpPointer(int32_t x, int32_t y) override;

  // Kept for the tests (SystemMessages) and written to the standard error stream.
  void ShowSystemMessage(const char* caption, const char* text) override;

  bool SetClipboardText(const char* text) override;
  bool GetClipboardText(std::string& text) override;

  // Test controls. Reset returns to a closed window, a 1280 by 1024 desktop of depth 32, no frame
  // metrics, every cursor available, a mouse, no full-screen video, an empty clipboard and nothing
  // queued or held.
  void Reset();
  void SetFullScreenVideo(bool available) { m_FullScreenVideo = available; }
  void SetDesktop(int32_t width, int32_t height, int32_t depth);
  void SetFrameMetrics(const TFrameMetrics& metrics) { m_Metrics = metrics; }
  void SetCursorAvailable(EDisplayCursor cursor, bool available);
  void SetMousePresent(bool present) { m_MousePresent = present; }
  void SetPresentFails(bool fails) { m_PresentFails = fails; }
  // Full screen is listed (with SetFullScreenVideo) but refused when asked for.
  void SetFullScreenFails(bool fails) { m_FullScreenFails = fails; }
  // The desktop's own doings: queue the messages the window gets from them.
  void QueueClose() { PostMessage({XMSG_CLOSE, 0, 0}); }
  void QueueActivate(bool active) { PostMessage({XMSG_ACTIVATEAPP, active ? 1u : 0u, 0}); }
  void QueueExpose() { PostMessage({XMSG_PAINT, 0, 0}); }
  void Clear() { ClearQueue(); }

  // What the window shows: 0x00RRGGBB of the client area (0 outside it).
  uint32_t Pixel(int32_t x, int32_t y) const;
  int32_t SurfaceWidth() const { return m_SurfaceWidth; }
  int32_t SurfaceHeight() const { return m_SurfaceHeight; }
  // Client rectangles shown since the last ClearPresented, and the number of Present calls.
  const std::vector<TDisplayRect>& Presented() const { return m_Presented; }
  int32_t PresentCount() const { return m_PresentCount; }
  void ClearPresented();
  const std::string& Title() const { return m_Title; }
  int32_t RaiseCount() const { return m_RaiseCount; }
  // The icon last set (empty pixels: none), and every system message as "caption|text".
  const std::vector<uint32_t>& IconPixels() const { return m_IconPixels; }
  int32_t IconWidth() const { return m_IconWidth; }
  int32_t IconHeight() const { return m_IconHeight; }
  const std::vector<std::string>& SystemMessages() const { return m_SystemMessages; }
  // The picture a cursor kind was given (empty: none), its width and its hot spot.
  const std::vector<uint32_t>& CursorPicture(EDisplayCursor cursor) const;
  int32_t CursorPictureWidth(EDisplayCursor cursor) const;

 protected:
  void ClientOrigin(int32_t& x, int32_t& y) const override;

 private:
  void FrameInsets(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;
  void ResizeSurface();
  void QueueSize(uint32_t kind);

  bool m_Open = false;
  bool m_Visible = false;
  bool m_Minimized = false;
  bool m_Maximized = false;
  int32_t m_RestoreX = 0, m_RestoreY = 0, m_RestoreWidth = 0, m_RestoreHeight = 0;
  std::string m_Title;
  uint32_t m_Style = 0;
  TFrameMetrics m_Metrics{};
  int32_t m_X = 0, m_Y = 0, m_Width = 0, m_Height = 0;
  EFullScreen m_FullScreen = EFullScreen::Off;
  int32_t m_SavedX = 0, m_SavedY = 0, m_SavedWidth = 0, m_SavedHeight = 0;
  int32_t m_DesktopWidth = 0, m_DesktopHeight = 0, m_DesktopDepth = 0;
  int32_t m_SavedDesktopWidth = 0, m_SavedDesktopHeight = 0;
  TDisplayColour m_Palette[256] = {};
  std::vector<uint32_t> m_Surface;
  int32_t m_SurfaceWidth = 0, m_SurfaceHeight = 0;
  std::vector<TDisplayRect> m_Presented;
  int32_t m_PresentCount = 0;
  bool m_PresentFails = false;
  bool m_FullScreenFails = false;
  std::vector<uint32_t> m_IconPixels;
  int32_t m_IconWidth = 0, m_IconHeight = 0;
  std::vector<std::string> m_SystemMessages;
  bool m_FullScreenVideo = false;
  bool m_MousePresent = true;
  bool m_CursorAvailable[3] = {true, true, true};
  struct SCursorPicture {
    std::vector<uint32_t> m_Pixels;
    int32_t m_Width = 0, m_HotX = 0, m_HotY = 0;
  };
  SCursorPicture m_CursorPictures[3];
  EDisplayCursor m_Cursor = EDisplayCursor::Arrow;
  bool m_PointerShown = true;
  bool m_HasClipboard = false;
  std::string m_Clipboard;
  int32_t m_RaiseCount = 0;
};

// The process's headless backend (the one PlatformHeadlessDisplay returns).
CHeadlessDisplay* PlatformHeadless();
