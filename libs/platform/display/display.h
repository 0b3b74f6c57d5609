// The one OS window of the process and its event queue, behind one table of operations so a
// headless backend (tests, no display) and a real one can stand in for each other.
//
// Coordinates on the desktop are those of the pointer and of the window's outer rectangle. The
// client area starts inside it by the frame the style gives (GetFrameMetrics); the SDL backend
// sizes and places the client area itself, so its metrics are all 0.
#pragma once

#include <cstdint>
#include <string>

#include "platform/display/keys.h"
#include "platform/display/messages.h"

// Pixel layouts a screen draws in. Each row starts at pixels + y * pitch.
enum class EPixelFormat : int32_t {
  Indexed8,  // one byte, an index into the palette set with SetPalette
  Rgb555,    // little-endian 16 bits: red << 10 | green << 5 | blue
  Rgb565,    // little-endian 16 bits: red << 11 | green << 5 | blue
  Bgr24,     // three bytes: blue, green, red
};

struct TDisplayFramebuffer {
  const uint8_t* pixels;
  int32_t pitch;
  int32_t width;
  int32_t height;
  EPixelFormat format;
};

// x, y, width, height; empty when either size is below 1.
struct TDisplayRect {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
};

struct TDisplayColour {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// Window style bits; 0 is a pop-up without frame or caption (the style the window opens with).
enum : uint32_t {
  XWS_CAPTION = 0x01,
  XWS_SIZEFRAME = 0x02,
  XWS_SYSMENU = 0x04,
  XWS_MINIMIZEBOX = 0x08,
  XWS_MAXIMIZEBOX = 0x10,
  XWS_OVERLAPPEDWINDOW = 0x1F,
};

// What the frame of a style adds around the client area, in pixels.
struct TFrameMetrics {
  int32_t captionHeight;
  int32_t sizingFrameWidth;
  int32_t sizingFrameHeight;
  int32_t fixedFrameWidth;
  int32_t fixedFrameHeight;
};

enum class EFullScreen : int32_t {
  Off,
  Desktop,    // the window covers the whole desktop; the desktop keeps its mode
  Exclusive,  // the display switches to the window's size
};

enum class EDisplayCursor : int32_t { Arrow, Hand, TextBeam };

// A small picture for the desktop (the window's icon): rows top to bottom, each width words of
// 0xAARRGGBB (alpha 0 fully transparent).
struct TDisplayImage {
  const uint32_t* pixels;
  int32_t width;
  int32_t height;
};

class CDisplayBackend {
 public:
  CDisplayBackend() = default;
  CDisplayBackend(const CDisplayBackend&) = delete;
  CDisplayBackend& operator=(const CDisplayBackend&) = delete;
  virtual ~CDisplayBackend() = default;
  virtual const char* Name() const = 0;

  // The window exists from OpenWindow to CloseWindow; closing it from the desktop only queues
  // XMSG_CLOSE. It opens hidden, as a pop-up (style 0). The title is Windows-1252.
  virtual bool OpenWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
  virtual void CloseWindow() = 0;
  virtual bool IsWindowOpen() const = 0;
  virtual void ShowWindow(bool visible) = 0;
  virtual bool IsWindowVisible() const = 0;
  virtual void RaiseWindow() = 0;
  virtual void SetTitle(const char* title) = 0;
  virtual void MinimizeWindow() = 0;
  virtual void RestoreWindow() = 0;
  virtual bool IsWindowMinimized() const = 0;
  // The window fills the desktop's work area with its frame, as its maximise box would; a
  // restore gives it its former place back. A size message follows either way.
  virtual void MaximizeWindow() = 0;
  virtual bool IsWindowMaximized() const = 0;
  // The picture the desktop shows for the window (task bar, title bar); a copy is taken.
  virtual void SetWindowIcon(const TDisplayImage& icon) = 0;

  // Style bits above; a frame (caption or sizing frame) makes the window bordered, the sizing
  // frame makes it resizable.
  virtual void SetWindowStyle(uint32_t style) = 0;
  virtual uint32_t GetWindowStyle() const = 0;
  virtual TFrameMetrics GetFrameMetrics() const = 0;
  // The outer rectangle on the desktop; neither changes the stacking order or the focus.
  virtual void SetWindowPos(int32_t x, int32_t y) = 0;
  virtual void SetWindowSize(int32_t width, int32_t height) = 0;
  virtual void GetWindowRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const = 0;
  virtual void GetClientSize(int32_t& width, int32_t& height) const = 0;
  virtual bool SetFullScreen(EFullScreen mode) = 0;
  virtual EFullScreen GetFullScreen() const = 0;

  virtual void GetDesktopSize(int32_t& width, int32_t& height) const = 0;
  // Bits per pixel of the desktop (32 for the usual 8-8-8 in 4 bytes).
  virtual int32_t GetDesktopDepth() const = 0;

  // The palette that Indexed8 framebuffers are shown through (256 entries).
  virtual void SetPalette(int32_t first, int32_t count, const TDisplayColour* colours) = 0;
  // Copies each rectangle of the framebuffer to the client area at (rect.x + dstX, rect.y + dstY),
  // clipped to both, and shows it. False when the framebuffer is unusable or the window cannot
  // take it; nothing is shown then.
  virtual bool Present(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count, int32_t dstX,
                       int32_t dstY) = 0;
  // The whole framebuffer stretched onto target (client coordinates, nearest pixel): each
  // rectangle of the framebuffer is shown where it lands in target, clipped to the client area.
  // A target of the framebuffer's own size is Present at its corner. False as Present.
  virtual bool PresentScaled(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count,
                             const TDisplayRect& target) = 0;
  // Fills a rectangle of the client area with one colour and shows it; false without a window.
  virtual bool FillClient(const TDisplayRect& rect, TDisplayColour colour) = 0;
  // Whether a full-screen picture can be had at all (the full-screen screen is offered then).
  virtual bool HasFullScreenVideo() const = 0;

  virtual bool HasMouse() const = 0;
  // False when the desktop has no cursor of that kind.
  virtual bool HasSystemCursor(EDisplayCursor cursor) const = 0;
  virtual void SetSystemCursor(EDisplayCursor cursor) = 0;
  // The cursor of that kind shows the picture (a copy is taken; the hot spot in its pixels); a
  // kind the desktop lacks becomes available so. Null gives the desktop's own back.
  virtual void SetCursorPicture(EDisplayCursor cursor, const TDisplayImage* picture, int32_t hotX, int32_t hotY) = 0;
  virtual EDisplayCursor GetSystemCursor() const = 0;
  virtual void ShowPointer(bool visible) = 0;
  virtual bool IsPointerShown() const = 0;
  // The pointer on the desktop as of the message being handled.
  virtual void GetPointerPos(int32_t& x, int32_t& y) const = 0;
  // Moves the pointer; a move message to the new place follows when it lies in the client area.
  virtual void WarpPointer(int32_t x, int32_t y) = 0;

  // Whether a key is down as of the message being handled; the side keys (XVK_LSHIFT...) are
  // told apart, the generic ones mean either side. Lock keys report their toggle state through
  // IsKeyToggled.
  virtual bool IsKeyDown(uint32_t virtualKey) const = 0;
  virtual bool IsKeyToggled(uint32_t virtualKey) const = 0;

  // A message for the player that needs no window of ours (the program could not start): the
  // desktop's own message box where it has one, else the standard error stream. Returns when
  // the player has read it. Texts are Windows-1252.
  virtual void ShowSystemMessage(const char* caption, const char* text) = 0;

  // Clipboard text, Windows-1252 on our side.
  virtual bool SetClipboardText(const char* text) = 0;
  // False when the clipboard holds no text.
  virtual bool GetClipboardText(std::string& text) = 0;

  // Takes the next waiting message, already translated; false when none waits. Never blocks.
  virtual bool PeekMessage(TPlatformMessage& out) = 0;
  // Queues a message for the pump (quit requests, messages from other programs, tests).
  virtual void PostMessage(const TPlatformMessage& message) = 0;
};

// The backend in use; the headless one until another is installed or chosen.
CDisplayBackend* PlatformDisplay();
// Installs a backend (null returns to the headless one, and lets PlatformChooseDisplay choose
// again). The caller keeps ownership.
void PlatformSetDisplay(CDisplayBackend* backend);
CDisplayBackend* PlatformHeadlessDisplay();

// Chooses the backend once, unless one is installed already: SDL when a display is there
// (DISPLAY, WAYLAND_DISPLAY or SDL_VIDEODRIVER set) and VORRIN_DISPLAY is not "headless", else
// headless. VORRIN_DISPLAY=sdl skips the look for a display. Returns the backend in use.
CDisplayBackend* PlatformChooseDisplay();
// Frees a backend that PlatformChooseDisplay made and returns to the headless one.
void PlatformReleaseDisplay();

// Queues XMSG_QUIT with the exit code, as a program asks to end its loop.
void PlatformPostQuit(int32_t code);
