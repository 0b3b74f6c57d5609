#include "platform/display/sdl/sdldisplay.h"

#include <SDL.h>

#include <cstdio>
#include <new>
#include <vector>

#include "platform/display/pixels.h"
#include "platform/display/sdl/sdlkeys.h"
#include "platform/display/translator.h"
#include "platform/text/cp1252.h"

namespace {
class CSdlDisplay : public CQueuedDisplay {
 public:
  CSdlDisplay();
  ~CSdlDisplay() override;
  const char* Name() const override { return "sdl"; }

  bool OpenWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void CloseWindow() override;
  bool IsWindowOpen() const override { return m_pWindow != nullptr; }
  void ShowWindow(bool visible) override;
  bool IsWindowVisible() const override { return HasFlag(SDL_WINDOW_SHOWN); }
  void RaiseWindow() override {
    if (m_pWindow) SDL_RaiseWindow(m_pWindow);
  }
  void SetTitle(const char* title) override;
  void MinimizeWindow() override {
    if (m_pWindow) SDL_MinimizeWindow(m_pWindow);
  }
  void RestoreWindow() override {
    if (m_pWindow) SDL_RestoreWindow(m_pWindow);
  }
  bool IsWindowMinimized() const override { return HasFlag(SDL_WINDOW_MINIMIZED); }
  void MaximizeWindow() override {
    if (m_pWindow) SDL_MaximizeWindow(m_pWindow);
  }
  bool IsWindowMaximized() const override { return HasFlag(SDL_WINDOW_MAXIMIZED); }
  void SetWindowIcon(const TDisplayImage& icon) override;

  void SetWindowStyle(uint32_t style) override;
  uint32_t GetWindowStyle() const override { return m_Style; }
  // SDL places and sizes the client area; the frame is the desktop's business.
  TFrameMetrics GetFrameMetrics() const override { return {}; }
  void SetWindowPos(int32_t x, int32_t y) override {
    if (m_pWindow) SDL_SetWindowPosition(m_pWindow, x, y);
  }
  void SetWindowSize(int32_t width, int32_t height) override {
    if (m_pWindow && width > 0 && height > 0) SDL_SetWindowSize(m_pWindow, width, height);
  }
  void GetWindowRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const override;
  void GetClientSize(int32_t& width, int32_t& height) const override;
  bool SetFullScreen(EFullScreen mode) override;
  EFullScreen GetFullScreen() const override { return m_FullScreen; }

  void GetDesktopSize(int32_t& width, int32_t& height) const override;
  int32_t GetDesktopDepth() const override;

  void SetPalette(int32_t first, int32_t count, const TDisplayColour* colours) override;
  bool Present(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count, int32_t dstX,
               int32_t dstY) override;
  bool PresentScaled(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count,
                     const TDisplayRect& target) override;
  bool FillClient(const TDisplayRect& rect, TDisplayColour colour) override;
  bool HasFullScreenVideo() const override { return true; }

  bool HasMouse() const override { return true; }
  bool HasSystemCursor(EDisplayCursor cursor) const override { return Cursor(cursor) != nullptr; }
  void SetSystemCursor(EDisplayCursor cursor) override;
  void SetCursorPicture(EDisplayCursor cursor, const TDisplayImage* picture, int32_t hotX, int32_t hotY) override;
  EDisplayCursor GetSystemCursor() const override { return m_Cursor; }
  void ShowPointer(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }
  bool IsPointerShown() const override { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }
  void WarpPointer(int32_t x, int32_t y) override;

  bool SetClipboardText(const char* text) override;
  bool GetClipboardText(std::string& text) override;
  void ShowSystemMessage(const char* caption, const char* text) override;

  SDL_Window* Window() const { return m_pWindow; }

 protected:
  void PumpEvents() override;
  void ClientOrigin(int32_t& x, int32_t& y) const override;

 private:
  bool HasFlag(uint32_t flag) const { return m_pWindow && (SDL_GetWindowFlags(m_pWindow) & flag) != 0; }
  SDL_Cursor* Cursor(EDisplayCursor cursor) const;
  int DisplayIndex() const;
  void QueueSdlKey(const SDL_KeyboardEvent& e, const SDL_Event* next, bool& tookNext);
  void QueueWindowEvent(const SDL_WindowEvent& e);
  void QueueSize(uint32_t kind);
  // Runs draw(surface) on the locked window surface, then shows the rectangles it noted in
  // m_Shown; false when there is no surface or draw failed.
  template <class Fn>
  bool DrawOnSurface(Fn&& draw);
  // Rows of 0x00RRGGBB words, rect.width apart, into the surface at the rectangle.
  static bool WriteXrgb(SDL_Surface* surface, const TDisplayRect& rect, const uint32_t* words);

  SDL_Window* m_pWindow = nullptr;
  uint32_t m_Style = 0;
  EFullScreen m_FullScreen = EFullScreen::Off;
  SDL_Rect m_Windowed{};  // the window's place before full screen
  SDL_Cursor* m_Cursors[3] = {};
  SDL_Cursor* m_Pictures[3] = {};  // the program's own, in place of the desktop's
  EDisplayCursor m_Cursor = EDisplayCursor::Arrow;
  TDisplayColour m_Palette[256] = {};
  std::vector<uint32_t> m_Staging;
  std::vector<SDL_Rect> m_Shown;
};

CSdlDisplay::CSdlDisplay() {
  static constexpr SDL_SystemCursor kKinds[3] = {SDL_SYSTEM_CURSOR_ARROW, SDL_SYSTEM_CURSOR_HAND,
                                                 SDL_SYSTEM_CURSOR_IBEAM};
  for (int i = 0; i < 3; ++i) m_Cursors[i] = SDL_CreateSystemCursor(kKinds[i]);
  for (int i = 0; i < 256; ++i) m_Palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
}

CSdlDisplay::~CSdlDisplay() {
  CloseWindow();
  for (SDL_Cursor** list : {m_Cursors, m_Pictures}) {
    for (int i = 0; i < 3; ++i) {
      if (list[i]) SDL_FreeCursor(list[i]);
      list[i] = nullptr;
    }
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool CSdlDisplay::OpenWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) {
  CloseWindow();
  const std::string utf8 = PlatformUtf8FromCp1252(title);
  m_pWindow = SDL_CreateWindow(utf8.c_str(), x, y, width > 0 ? width : 1, height > 0 ? height : 1,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  if (!m_pWindow) return false;
  m_Style = 0;
  m_FullScreen = EFullScreen::Off;
  SDL_StartTextInput();
  return true;
}

void CSdlDisplay::CloseWindow() {
  if (!m_pWindow) return;
  SDL_StopTextInput();
  SDL_DestroyWindow(m_pWindow);
  m_pWindow = nullptr;
  ClearQueue();
}

void CSdlDisplay::ShowWindow(bool visible) {
  if (!m_pWindow) return;
  if (visible) {
    SDL_ShowWindow(m_pWindow);
  } else {
    SDL_HideWindow(m_pWindow);
  }
}

void CSdlDisplay::SetWindowIcon(const TDisplayImage& icon) {
  if (!m_pWindow || !icon.pixels || icon.width < 1 || icon.height < 1) return;
  // SDL copies the pixels into the window's icon; the surface only lends them.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(icon.pixels), icon.width,
                                                            icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;
  SDL_SetWindowIcon(m_pWindow, surface);
  SDL_FreeSurface(surface);
}

void CSdlDisplay::ShowSystemMessage(const char* caption, const char* text) {
  const std::string title = PlatformUtf8FromCp1252(caption ? caption : "");
  const std::string body = PlatformUtf8FromCp1252(text ? text : "");
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), body.c_str(), m_pWindow) != 0)
    std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
}

void CSdlDisplay::SetTitle(const char* title) {
  if (m_pWindow) SDL_SetWindowTitle(m_pWindow, PlatformUtf8FromCp1252(title).c_str());
}

void CSdlDisplay::SetWindowStyle(uint32_t style) {
  m_Style = style;
  if (!m_pWindow) return;
  SDL_SetWindowBordered(m_pWindow, (style & (XWS_CAPTION | XWS_SIZEFRAME)) ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(m_pWindow, (style & XWS_SIZEFRAME) ? SDL_TRUE : SDL_FALSE);
}

void CSdlDisplay::GetWindowRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const {
  x = y = width = height = 0;
  if (!m_pWindow) return;
  SDL_GetWindowPosition(m_pWindow, &x, &y);
  SDL_GetWindowSize(m_pWindow, &width, &height);
}

void CSdlDisplay::GetClientSize(int32_t& width, int32_t& height) const {
  width = height = 0;
  if (m_pWindow) SDL_GetWindowSize(m_pWindow, &width, &height);
}

void CSdlDisplay::ClientOrigin(int32_t& x, int32_t& y) const {
  x = y = 0;
  if (m_pWindow) SDL_GetWindowPosition(m_pWindow, &x, &y);
}

bool CSdlDisplay::SetFullScreen(EFullScreen mode) {
  if (!m_pWindow) return false;
  uint32_t flags = 0;
  if (mode == EFullScreen::Desktop) flags = SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (mode == EFullScreen::Exclusive) {
    SDL_SetWindowDisplayMode(m_pWindow, nullptr);  // the mode closest to the window's size
    flags = SDL_WINDOW_FULLSCREEN;
  }
  if (m_FullScreen == EFullScreen::Off) GetWindowRect(m_Windowed.x, m_Windowed.y, m_Windowed.w, m_Windowed.h);
  if (SDL_SetWindowFullscreen(m_pWindow, flags) != 0) return false;
  // Not every driver gives the window its place back.
  if (mode == EFullScreen::Off && m_FullScreen != EFullScreen::Off) {
    SDL_SetWindowSize(m_pWindow, m_Windowed.w, m_Windowed.h);
    SDL_SetWindowPosition(m_pWindow, m_Windowed.x, m_Windowed.y);
  }
  m_FullScreen = mode;
  return true;
}

int CSdlDisplay::DisplayIndex() const {
  const int index = m_pWindow ? SDL_GetWindowDisplayIndex(m_pWindow) : 0;
  return index < 0 ? 0 : index;
}

void CSdlDisplay::GetDesktopSize(int32_t& width, int32_t& height) const {
  SDL_DisplayMode mode{};
  width = height = 0;
  if (SDL_GetDesktopDisplayMode(DisplayIndex(), &mode) != 0) return;
  width = mode.w;
  height = mode.h;
}

int32_t CSdlDisplay::GetDesktopDepth() const {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(DisplayIndex(), &mode) != 0) return 0;
  // SDL counts 8-8-8 in four bytes as 24 bits; the desktop calls it 32.
  if (SDL_BYTESPERPIXEL(mode.format) == 4) return 32;
  return static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
}

void CSdlDisplay::SetPalette(int32_t first, int32_t count, const TDisplayColour* colours) {
  if (!colours || first < 0 || count < 0) return;
  for (int32_t i = 0; i < count && first + i < 256; ++i) m_Palette[first + i] = colours[i];
}

template <class Fn>
bool CSdlDisplay::DrawOnSurface(Fn&& draw) {
  if (!m_pWindow) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(m_pWindow);
  if (!surface) return false;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  m_Shown.clear();
  bool ok = draw(surface);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (ok && !m_Shown.empty()) {
    ok = SDL_UpdateWindowSurfaceRects(m_pWindow, m_Shown.data(), static_cast<int>(m_Shown.size())) == 0;
  }
  return ok;
}

namespace {
bool DirectFormat(const SDL_Surface* surface) {
  const uint32_t format = surface->format->format;
  return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
}

uint32_t OpaqueBits(const SDL_Surface* surface) {
  return surface->format->format == SDL_PIXELFORMAT_ARGB8888 ? 0xFF000000u : 0;
}

uint8_t* SurfaceAt(SDL_Surface* surface, int32_t x, int32_t y) {
  return static_cast<uint8_t*>(surface->pixels) + static_cast<int64_t>(y) * surface->pitch +
         static_cast<int64_t>(x) * surface->format->BytesPerPixel;
}
}  // namespace

bool CSdlDisplay::WriteXrgb(SDL_Surface* surface, const TDisplayRect& rect, const uint32_t* words) {
  uint8_t* target = SurfaceAt(surface, rect.x, rect.y);
  if (!DirectFormat(surface)) {
    return SDL_ConvertPixels(rect.width, rect.height, SDL_PIXELFORMAT_RGB888, words, rect.width * 4,
                             surface->format->format, target, surface->pitch) == 0;
  }
  const uint32_t opaque = OpaqueBits(surface);
  for (int32_t row = 0; row < rect.height; ++row) {
    auto* dst = reinterpret_cast<uint32_t*>(target + static_cast<int64_t>(row) * surface->pitch);
    const uint32_t* src = words + static_cast<size_t>(row) * rect.width;
    for (int32_t k = 0; k < rect.width; ++k) dst[k] = src[k] | opaque;
  }
  return true;
}

bool CSdlDisplay::Present(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count, int32_t dstX,
                          int32_t dstY) {
  if (!PlatformFramebufferUsable(fb) || (count > 0 && !rects)) return false;
  return DrawOnSurface([&](SDL_Surface* surface) {
    const bool direct = DirectFormat(surface);
    const uint32_t opaque = OpaqueBits(surface);
    const int32_t bpp = PlatformBytesPerPixel(fb.format);
    for (int32_t i = 0; i < count; ++i) {
      TDisplayRect r;
      if (!PlatformClipPresentRect(fb, rects[i], dstX, dstY, surface->w, surface->h, r)) continue;
      const uint8_t* src = fb.pixels + static_cast<int64_t>(r.y) * fb.pitch + static_cast<int64_t>(r.x) * bpp;
      const TDisplayRect shown{r.x + dstX, r.y + dstY, r.width, r.height};
      if (direct) {
        // Straight into the surface, with no staging copy.
        uint8_t* target = SurfaceAt(surface, shown.x, shown.y);
        for (int32_t row = 0; row < r.height; ++row) {
          auto* dst = reinterpret_cast<uint32_t*>(target + static_cast<int64_t>(row) * surface->pitch);
          PlatformPixelsToXrgb(src + static_cast<int64_t>(row) * fb.pitch, fb.format, m_Palette, r.width, dst);
          if (opaque) {
            for (int32_t k = 0; k < r.width; ++k) dst[k] |= opaque;
          }
        }
      } else {
        m_Staging.resize(static_cast<size_t>(r.width) * static_cast<size_t>(r.height));
        for (int32_t row = 0; row < r.height; ++row) {
          PlatformPixelsToXrgb(src + static_cast<int64_t>(row) * fb.pitch, fb.format, m_Palette, r.width,
                               m_Staging.data() + static_cast<size_t>(row) * r.width);
        }
        if (!WriteXrgb(surface, shown, m_Staging.data())) return false;
      }
      m_Shown.push_back({shown.x, shown.y, shown.width, shown.height});
    }
    return true;
  });
}

bool CSdlDisplay::PresentScaled(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count,
                                const TDisplayRect& target) {
  if (target.width == fb.width && target.height == fb.height) return Present(fb, rects, count, target.x, target.y);
  if (!PlatformFramebufferUsable(fb) || (count > 0 && !rects)) return false;
  return DrawOnSurface([&](SDL_Surface* surface) {
    for (int32_t i = 0; i < count; ++i) {
      TDisplayRect r;
      if (!PlatformScaleRect(fb, rects[i], target, surface->w, surface->h, r)) continue;
      if (DirectFormat(surface)) {
        // Straight into the surface, with no staging copy.
        PlatformStretchToXrgb(fb, m_Palette, target, r, reinterpret_cast<uint32_t*>(SurfaceAt(surface, r.x, r.y)),
                              surface->pitch, OpaqueBits(surface));
      } else {
        m_Staging.resize(static_cast<size_t>(r.width) * static_cast<size_t>(r.height));
        PlatformStretchToXrgb(fb, m_Palette, target, r, m_Staging.data(), static_cast<int64_t>(r.width) * 4);
        if (!WriteXrgb(surface, r, m_Staging.data())) return false;
      }
      m_Shown.push_back({r.x, r.y, r.width, r.height});
    }
    return true;
  });
}

bool CSdlDisplay::FillClient(const TDisplayRect& rect, TDisplayColour colour) {
  return DrawOnSurface([&](SDL_Surface* surface) {
    SDL_Rect r{rect.x, rect.y, rect.width, rect.height};
    SDL_Rect all{0, 0, surface->w, surface->h}, cut;
    if (!SDL_IntersectRect(&r, &all, &cut)) return true;
    m_Staging.assign(static_cast<size_t>(cut.w) * static_cast<size_t>(cut.h),
                     (static_cast<uint32_t>(colour.red) << 16) | (colour.green << 8) | colour.blue);
    if (!WriteXrgb(surface, {cut.x, cut.y, cut.w, cut.h}, m_Staging.data())) return false;
    m_Shown.push_back(cut);
    return true;
  });
}

SDL_Cursor* CSdlDisplay::Cursor(EDisplayCursor cursor) const {
  const auto i = static_cast<int32_t>(cursor);
  if (i < 0 || i >= 3) return nullptr;
  return m_Pictures[i] ? m_Pictures[i] : m_Cursors[i];
}

void CSdlDisplay::SetCursorPicture(EDisplayCursor cursor, const TDisplayImage* picture, int32_t hotX, int32_t hotY) {
  const auto i = static_cast<int32_t>(cursor);
  if (i < 0 || i >= 3) return;
  SDL_Cursor* made = nullptr;
  if (picture && picture->pixels && picture->width > 0 && picture->height > 0) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(picture->pixels), picture->width, picture->height, 32,
                                           picture->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface) {
      made = SDL_CreateColorCursor(surface, hotX, hotY);
      SDL_FreeSurface(surface);
    }
  }
  if (m_Pictures[i]) SDL_FreeCursor(m_Pictures[i]);
  m_Pictures[i] = made;
  if (m_Cursor == cursor) SetSystemCursor(cursor);
}

void CSdlDisplay::SetSystemCursor(EDisplayCursor cursor) {
  m_Cursor = cursor;
  if (SDL_Cursor* c = Cursor(cursor)) SDL_SetCursor(c);
}

void CSdlDisplay::WarpPointer(int32_t x, int32_t y) {
  SetPointer(x, y);
  if (!m_pWindow) return;
  int32_t ox = 0, oy = 0;
  ClientOrigin(ox, oy);
  // SDL reports the move that the warp causes, as the desktop did.
  SDL_WarpMouseInWindow(m_pWindow, x - ox, y - oy);
}

bool CSdlDisplay::SetClipboardText(const char* text) {
  if (!text) return false;
  return SDL_SetClipboardText(PlatformUtf8FromCp1252(text).c_str()) == 0;
}

bool CSdlDisplay::GetClipboardText(std::string& text) {
  if (!SDL_HasClipboardText()) return false;
  char* utf8 = SDL_GetClipboardText();
  if (!utf8) return false;
  text = PlatformCp1252FromUtf8(utf8);
  SDL_free(utf8);
  return true;
}

void CSdlDisplay::QueueSdlKey(const SDL_KeyboardEvent& e, const SDL_Event* next, bool& tookNext) {
  tookNext = false;
  const uint32_t vk = SdlVirtualKey(e.keysym);
  const bool down = e.state == SDL_PRESSED;
  TRawKey key{vk, down};
  key.repeat = e.repeat != 0;
  key.text = down ? 0 : XKEYTEXT_ASPRESSED;
  key.capsLock = (e.keysym.mod & KMOD_CAPS) ? 1 : 0;
  key.numLock = (e.keysym.mod & KMOD_NUM) ? 1 : 0;
  // The text a press types arrives right behind it; the press takes it as its character (the last
  // one when a dead key makes two).
  if (down && next && next->type == SDL_TEXTINPUT) {
    const std::string text = PlatformCp1252FromUtf8(next->text.text);
    if (!text.empty()) key.text = static_cast<uint8_t>(text.back());
    tookNext = true;
  }
  if (vk) {
    QueueKey(key);
  } else if (tookNext) {
    const std::string text = PlatformCp1252FromUtf8(next->text.text);
    QueueText(text.data(), text.size());
  }
}

void CSdlDisplay::QueueSize(uint32_t kind) {
  int32_t w = 0, h = 0;
  GetClientSize(w, h);
  PostMessage({XMSG_SIZE, kind, kind == XSIZE_MINIMIZED ? 0 : XMakePointParam(w, h)});
}

void CSdlDisplay::QueueWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: PostMessage({XMSG_CLOSE, 0, 0}); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: PostMessage({XMSG_ACTIVATEAPP, 1, 0}); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: PostMessage({XMSG_ACTIVATEAPP, 0, 0}); break;
    case SDL_WINDOWEVENT_EXPOSED: PostMessage({XMSG_PAINT, 0, 0}); break;
    case SDL_WINDOWEVENT_MINIMIZED: QueueSize(XSIZE_MINIMIZED); break;
    case SDL_WINDOWEVENT_RESTORED: QueueSize(XSIZE_RESTORED); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      QueueSize(HasFlag(SDL_WINDOW_MAXIMIZED) ? XSIZE_MAXIMIZED : XSIZE_RESTORED);
      break;
    default: break;
  }
}

void CSdlDisplay::PumpEvents() {
  std::vector<SDL_Event> events;
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) events.push_back(ev);
  for (size_t i = 0; i < events.size(); ++i) {
    const SDL_Event& e = events[i];
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        bool tookNext = false;
        QueueSdlKey(e.key, i + 1 < events.size() ? &events[i + 1] : nullptr, tookNext);
        if (tookNext) ++i;
        break;
      }
      case SDL_TEXTINPUT: {
        const std::string text = PlatformCp1252FromUtf8(e.text.text);
        QueueText(text.data(), text.size());
        break;
      }
      case SDL_MOUSEMOTION: QueueMouseMove(e.motion.x, e.motion.y); break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const int32_t button = e.button.button == SDL_BUTTON_LEFT    ? XMOUSE_LEFT
                               : e.button.button == SDL_BUTTON_RIGHT ? XMOUSE_RIGHT
                               : e.button.button == SDL_BUTTON_MIDDLE ? XMOUSE_MIDDLE
                                                                      : -1;
        if (button >= 0) QueueMouseButton(button, e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y);
        break;
      }
      case SDL_MOUSEWHEEL: {
        int32_t notches = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        int32_t px = 0, py = 0, ox = 0, oy = 0;
        GetPointerPos(px, py);
        ClientOrigin(ox, oy);
        if (notches) QueueMouseWheel(notches, px - ox, py - oy);
        break;
      }
      case SDL_WINDOWEVENT: QueueWindowEvent(e.window); break;
      default: break;  // SDL_QUIT too: closing arrives as the window's own close event
    }
  }
}
}  // namespace

CDisplayBackend* PlatformCreateSdlDisplay() {
  // Signals keep their ordinary meaning; a click that activates the window also counts.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  auto* display = new (std::nothrow) CSdlDisplay;
  if (!display) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return display;
}

SDL_Window* PlatformSdlWindow(CDisplayBackend* backend) {
  auto* sdl = dynamic_cast<CSdlDisplay*>(backend);
  return sdl ? sdl->Window() : nullptr;
}
