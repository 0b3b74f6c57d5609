#include "platform/display/headless.h"

#include <algorithm>
#include <cstdio>

#include "platform/display/pixels.h"

namespace {
constexpr int32_t kDefaultDesktopWidth = 1280;
constexpr int32_t kDefaultDesktopHeight = 1024;
constexpr int32_t kDefaultDesktopDepth = 32;
// Bounds a surface a test could ask for by accident (a negative size read as huge, say).
constexpr int32_t kMaxSurfaceSide = 16384;

int32_t ClampSide(int32_t v) { return std::clamp(v, 0, kMaxSurfaceSide); }
}  // namespace

void CHeadlessDisplay::Reset() {
  ResetInput();
  m_Open = false;
  m_Visible = false;
  m_Minimized = false;
  m_Title.clear();
  m_Style = 0;
  m_Metrics = {};
  m_X = m_Y = m_Width = m_Height = 0;
  m_FullScreen = EFullScreen::Off;
  m_SavedX = m_SavedY = m_SavedWidth = m_SavedHeight = 0;
  m_DesktopWidth = m_SavedDesktopWidth = kDefaultDesktopWidth;
  m_DesktopHeight = m_SavedDesktopHeight = kDefaultDesktopHeight;
  m_DesktopDepth = kDefaultDesktopDepth;
  for (int i = 0; i < 256; ++i) m_Palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
  m_Surface.clear();
  m_SurfaceWidth = m_SurfaceHeight = 0;
  ClearPresented();
  m_PresentFails = false;
  m_FullScreenFails = false;
  m_Maximized = false;
  m_IconPixels.clear();
  m_IconWidth = m_IconHeight = 0;
  m_SystemMessages.clear();
  m_FullScreenVideo = false;
  m_MousePresent = true;
  for (bool& a : m_CursorAvailable) a = true;
  for (SCursorPicture& p : m_CursorPictures) p = SCursorPicture{};
  m_Cursor = EDisplayCursor::Arrow;
  m_PointerShown = true;
  m_HasClipboard = false;
  m_Clipboard.clear();
  m_RaiseCount = 0;
}

bool CHeadlessDisplay::OpenWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) {
  m_Open = true;
  m_Visible = false;
  m_Minimized = false;
  m_Maximized = false;
  m_Title = title ? title : "";
  m_Style = 0;
  m_FullScreen = EFullScreen::Off;
  m_X = x;
  m_Y = y;
  m_Width = ClampSide(width);
  m_Height = ClampSide(height);
  ResizeSurface();
  return true;
}

void CHeadlessDisplay::CloseWindow() {
  m_Open = false;
  m_Visible = false;
  m_Minimized = false;
  m_Maximized = false;
  ClearQueue();
  m_Surface.clear();
  m_SurfaceWidth = m_SurfaceHeight = 0;
}

void CHeadlessDisplay::QueueSize(uint32_t kind) {
  int32_t w = 0, h = 0;
  GetClientSize(w, h);
  PostMessage({XMSG_SIZE, kind, kind == XSIZE_MINIMIZED ? 0 : XMakePointParam(w, h)});
}

void CHeadlessDisplay::MinimizeWindow() {
  if (!m_Open || m_Minimized) return;
  m_Minimized = true;
  QueueSize(XSIZE_MINIMIZED);
}

void CHeadlessDisplay::RestoreWindow() {
  if (!m_Open) return;
  if (m_Minimized) {
    m_Minimized = false;
    QueueSize(m_Maximized ? XSIZE_MAXIMIZED : XSIZE_RESTORED);
    return;
  }
  if (!m_Maximized) return;
  m_Maximized = false;
  m_X = m_RestoreX;
  m_Y = m_RestoreY;
  m_Width = m_RestoreWidth;
  m_Height = m_RestoreHeight;
  ResizeSurface();
  QueueSize(XSIZE_RESTORED);
}

void CHeadlessDisplay::MaximizeWindow() {
  if (!m_Open || m_Maximized || m_FullScreen != EFullScreen::Off) return;
  m_Maximized = true;
  m_Minimized = false;
  m_RestoreX = m_X;
  m_RestoreY = m_Y;
  m_RestoreWidth = m_Width;
  m_RestoreHeight = m_Height;
  m_X = m_Y = 0;
  m_Width = ClampSide(m_DesktopWidth);
  m_Height = ClampSide(m_DesktopHeight);
  ResizeSurface();
  QueueSize(XSIZE_MAXIMIZED);
}

void CHeadlessDisplay::SetWindowIcon(const TDisplayImage& icon) {
  m_IconPixels.clear();
  m_IconWidth = m_IconHeight = 0;
  if (!icon.pixels || icon.width < 1 || icon.height < 1) return;
  m_IconPixels.assign(icon.pixels, icon.pixels + static_cast<size_t>(icon.width) * static_cast<size_t>(icon.height));
  m_IconWidth = icon.width;
  m_IconHeight = icon.height;
}

void CHeadlessDisplay::ShowSystemMessage(const char* caption, const char* text) {
  const std::string line = std::string(caption ? caption : "") + "|" + (text ? text : "");
  m_SystemMessages.push_back(line);
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}

void CHeadlessDisplay::FrameInsets(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const {
  left = top = right = bottom = 0;
  const bool caption = (m_Style & XWS_CAPTION) != 0;
  const bool sizing = (m_Style & XWS_SIZEFRAME) != 0;
  if (m_FullScreen != EFullScreen::Off || (!caption && !sizing)) return;
  const int32_t fx = sizing ? m_Metrics.sizingFrameWidth : m_Metrics.fixedFrameWidth;
  const int32_t fy = sizing ? m_Metrics.sizingFrameHeight : m_Metrics.fixedFrameHeight;
  left = right = fx;
  top = fy + (caption ? m_Metrics.captionHeight : 0);
  bottom = fy;
}

void CHeadlessDisplay::ClientOrigin(int32_t& x, int32_t& y) const {
  int32_t l, t, r, b;
  FrameInsets(l, t, r, b);
  x = m_X + l;
  y = m_Y + t;
}

void CHeadlessDisplay::GetClientSize(int32_t& width, int32_t& height) const {
  int32_t l, t, r, b;
  FrameInsets(l, t, r, b);
  width = std::max(0, m_Width - l - r);
  height = std::max(0, m_Height - t - b);
}

void CHeadlessDisplay::ResizeSurface() {
  int32_t w = 0, h = 0;
  GetClientSize(w, h);
  if (w == m_SurfaceWidth && h == m_SurfaceHeight) return;
  m_SurfaceWidth = w;
  m_SurfaceHeight = h;
  m_Surface.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
}

void CHeadlessDisplay::SetWindowStyle(uint32_t style) {
  m_Style = style;
  ResizeSurface();
}

void CHeadlessDisplay::SetWindowPos(int32_t x, int32_t y) {
  m_X = x;
  m_Y = y;
}

void CHeadlessDisplay::SetWindowSize(int32_t width, int32_t height) {
  width = ClampSide(width);
  height = ClampSide(height);
  if (width == m_Width && height == m_Height) return;
  m_Width = width;
  m_Height = height;
  ResizeSurface();
  if (m_Open) QueueSize(XSIZE_RESTORED);
}

void CHeadlessDisplay::GetWindowRect(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const {
  x = m_X;
  y = m_Y;
  width = m_Width;
  height = m_Height;
}

bool CHeadlessDisplay::SetFullScreen(EFullScreen mode) {
  if (!m_Open || (m_FullScreenFails && mode != EFullScreen::Off)) return false;
  if (mode == m_FullScreen) return true;
  if (m_FullScreen == EFullScreen::Off) {
    m_SavedX = m_X;
    m_SavedY = m_Y;
    m_SavedWidth = m_Width;
    m_SavedHeight = m_Height;
    m_SavedDesktopWidth = m_DesktopWidth;
    m_SavedDesktopHeight = m_DesktopHeight;
  }
  int32_t w = m_SavedWidth, h = m_SavedHeight;
  m_DesktopWidth = m_SavedDesktopWidth;
  m_DesktopHeight = m_SavedDesktopHeight;
  m_FullScreen = mode;
  switch (mode) {
    case EFullScreen::Off:
      m_X = m_SavedX;
      m_Y = m_SavedY;
      break;
    case EFullScreen::Desktop:
      m_X = m_Y = 0;
      w = m_DesktopWidth;
      h = m_DesktopHeight;
      break;
    case EFullScreen::Exclusive:
      // The display takes the window's size.
      m_X = m_Y = 0;
      m_DesktopWidth = w;
      m_DesktopHeight = h;
      break;
  }
  m_Width = ClampSide(w);
  m_Height = ClampSide(h);
  ResizeSurface();
  QueueSize(XSIZE_RESTORED);
  return true;
}

void CHeadlessDisplay::GetDesktopSize(int32_t& width, int32_t& height) const {
  width = m_DesktopWidth;
  height = m_DesktopHeight;
}

void CHeadlessDisplay::SetDesktop(int32_t width, int32_t height, int32_t depth) {
  m_DesktopWidth = m_SavedDesktopWidth = width;
  m_DesktopHeight = m_SavedDesktopHeight = height;
  m_DesktopDepth = depth;
}

void CHeadlessDisplay::SetPalette(int32_t first, int32_t count, const TDisplayColour* colours) {
  if (!colours || first < 0 || count < 0) return;
  for (int32_t i = 0; i < count && first + i < 256; ++i) m_Palette[first + i] = colours[i];
}

bool CHeadlessDisplay::Present(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count, int32_t dstX,
                               int32_t dstY) {
  ++m_PresentCount;
  if (!m_Open || m_PresentFails || !PlatformFramebufferUsable(fb) || (count > 0 && !rects)) return false;
  const int32_t bpp = PlatformBytesPerPixel(fb.format);
  for (int32_t i = 0; i < count; ++i) {
    TDisplayRect r;
    if (!PlatformClipPresentRect(fb, rects[i], dstX, dstY, m_SurfaceWidth, m_SurfaceHeight, r)) continue;
    for (int32_t row = 0; row < r.height; ++row) {
      const uint8_t* src = fb.pixels + static_cast<int64_t>(r.y + row) * fb.pitch + static_cast<int64_t>(r.x) * bpp;
      uint32_t* dst = m_Surface.data() + static_cast<size_t>(r.y + row + dstY) * m_SurfaceWidth + (r.x + dstX);
      PlatformPixelsToXrgb(src, fb.format, m_Palette, r.width, dst);
    }
    m_Presented.push_back({r.x + dstX, r.y + dstY, r.width, r.height});
  }
  return true;
}

bool CHeadlessDisplay::PresentScaled(const TDisplayFramebuffer& fb, const TDisplayRect* rects, int32_t count,
                                     const TDisplayRect& target) {
  if (target.width == fb.width && target.height == fb.height) return Present(fb, rects, count, target.x, target.y);
  ++m_PresentCount;
  if (!m_Open || m_PresentFails || !PlatformFramebufferUsable(fb) || (count > 0 && !rects)) return false;
  for (int32_t i = 0; i < count; ++i) {
    TDisplayRect r;
    if (!PlatformScaleRect(fb, rects[i], target, m_SurfaceWidth, m_SurfaceHeight, r)) continue;
    PlatformStretchToXrgb(fb, m_Palette, target, r, m_Surface.data() + static_cast<size_t>(r.y) * m_SurfaceWidth + r.x,
                          static_cast<int64_t>(m_SurfaceWidth) * 4);
    m_Presented.push_back(r);
  }
  return true;
}

bool CHeadlessDisplay::FillClient(const TDisplayRect& rect, TDisplayColour colour) {
  if (!m_Open) return false;
  const int32_t x0 = std::max(rect.x, 0), y0 = std::max(rect.y, 0);
  const int32_t x1 = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, m_SurfaceWidth));
  const int32_t y1 = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, m_SurfaceHeight));
  if (x0 >= x1 || y0 >= y1) return true;
  const uint32_t word = (static_cast<uint32_t>(colour.red) << 16) | (colour.green << 8) | colour.blue;
  for (int32_t y = y0; y < y1; ++y)
    std::fill_n(m_Surface.data() + static_cast<size_t>(y) * m_SurfaceWidth + x0, x1 - x0, word);
  m_Presented.push_back({x0, y0, x1 - x0, y1 - y0});
  return true;
}

void CHeadlessDisplay::ClearPresented() {
  m_Presented.clear();
  m_PresentCount = 0;
}

uint32_t CHeadlessDisplay::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= m_SurfaceWidth || y >= m_SurfaceHeight) return 0;
  return m_Surface[static_cast<size_t>(y) * m_SurfaceWidth + x];
}

void CHeadlessDisplay::SetCursorPicture(EDisplayCursor cursor, const TDisplayImage* picture, int32_t hotX,
                                        int32_t hotY) {
  const auto i = static_cast<int32_t>(cursor);
  if (i < 0 || i >= 3) return;
  SCursorPicture& p = m_CursorPictures[i];
  p = SCursorPicture{};
  if (!picture || !picture->pixels || picture->width < 1 || picture->height < 1) return;
  p.m_Pixels.assign(picture->pixels,
                    picture->pixels + static_cast<size_t>(picture->width) * static_cast<size_t>(picture->height));
  p.m_Width = picture->width;
  p.m_HotX = hotX;
  p.m_HotY = hotY;
}

const std::vector<uint32_t>& CHeadlessDisplay::CursorPicture(EDisplayCursor cursor) const {
  static const std::vector<uint32_t> none;
  const auto i = static_cast<int32_t>(cursor);
  return i >= 0 && i < 3 ? m_CursorPictures[i].m_Pixels : none;
}

int32_t CHeadlessDisplay::CursorPictureWidth(EDisplayCursor cursor) const {
  const auto i = static_cast<int32_t>(cursor);
  return i >= 0 && i < 3 ? m_CursorPictures[i].m_Width : 0;
}

bool CHeadlessDisplay::HasSystemCursor(EDisplayCursor cursor) const {
  const auto i = static_cast<int32_t>(cursor);
  return i >= 0 && i < 3 && (m_CursorAvailable[i] || !m_CursorPictures[i].m_Pixels.empty());
}

void CHeadlessDisplay::SetCursorAvailable(EDisplayCursor cursor, bool available) {
  const auto i = static_cast<int32_t>(cursor);
  if (i >= 0 && i < 3) m_CursorAvailable[i] = available;
}

void CHeadlessDisplay::WarpPointer(int32_t x, int32_t y) {
  SetPointer(x, y);
  int32_t ox = 0, oy = 0, w = 0, h = 0;
  ClientOrigin(ox, oy);
  GetClientSize(w, h);
  const int32_t cx = x - ox, cy = y - oy;
  if (m_Open && cx >= 0 && cy >= 0 && cx < w && cy < h) QueueMouseMove(cx, cy);
}

bool CHeadlessDisplay::SetClipboardText(const char* text) {
  if (!text) return false;
  m_Clipboard = text;
  m_HasClipboard = true;
  return true;
}

bool CHeadlessDisplay::GetClipboardText(std::string& text) {
  if (!m_HasClipboard) return false;
  text = m_Clipboard;
  return true;
}
