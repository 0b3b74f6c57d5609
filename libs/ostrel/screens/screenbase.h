// The one interface everything draws through: video modes, the palette, the clip and its stack,
// the persistent, background and alpha buffers, the dirty-area lists of the per-frame redraw and
// the software drawing that works on any screen (bitmaps into the buffers, fills, lines, textured
// polygons and their shadows, the grey copy).
//
// The frame: FlipPage sends bus message 2 (the window manager validates and draws, sprites save
// and draw, the screen makes a pending grey copy), then presents the page's areas; ClearBuffer
// sends bus message 3 (sprites put back what lay under them), then restores the clear areas from
// the persistent buffer. What the windows drew stays until they ask for its area back: their own
// areas (AddClearAreaGui) are restored when the window manager validates, before the windows
// draw again, so that nothing they drew is wiped behind them.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"
#include "ostrel/containers/rect.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/screens/arealist.h"
#include "ostrel/screens/vmode.h"

class CBitmap;
struct TDrawTarget;
struct TSpanSink;

inline constexpr int32_t SCREEN_CLIP_STACK_SIZE = 32;
inline constexpr int32_t POLYGON_LINES = 2048;

// Priorities on bus message 2 (drawing) and 3 (clearing).
inline constexpr int32_t BUSPRI_WINDOWS_DRAW = 100;
inline constexpr int32_t BUSPRI_SPRITE_SAVE = -100;
inline constexpr int32_t BUSPRI_SPRITE_DRAW = -101;
inline constexpr int32_t BUSPRI_SCREEN_GREY = -102;
inline constexpr int32_t BUSPRI_SPRITE_DRAW_LATE = -103;
inline constexpr int32_t BUSPRI_SPRITE_RESTORE = 100;

class CScreenBase {
 public:
  // Active, no mode, flip flag 1, page 0, the grey ramp as palette; registers in the process's
  // screen list when there is one.
  CScreenBase();
  // Leaves the screen list; frees the three buffers. Screens end their mode in their own
  // destructor first.
  virtual ~CScreenBase();
  CScreenBase(const CScreenBase&) = delete;
  CScreenBase& operator=(const CScreenBase&) = delete;

  // Modes. InitMode starts the mode under the mode-list cursor.
  virtual int32_t InitMode() = 0;
  // The first listed mode of that size and depth (windowKind -1: any kind) is started, then the
  // grey ramp set as palette. 0 when none matches or it cannot start.
  virtual int32_t InitModeRez(int32_t width, int32_t height, int32_t bits, int32_t windowKind);
  // The first listed mode of the record's size and depth.
  virtual int32_t InitModeMode(const SVmode* mode);
  virtual const SVmode* GetActiveMode() const;
  // Ends the mode; the mode list is empty afterwards.
  virtual int32_t ExitMode() = 0;
  virtual int32_t GetVideoModes() = 0;
  virtual int32_t AddWindowVideoMode(int32_t width, int32_t height, int32_t bits, int32_t id) = 0;
  virtual int32_t SetScreenWindowProperties(uint32_t flags, int32_t width, int32_t height) = 0;
  virtual int32_t SetDefaultScreenWindowProperties(uint32_t flags) = 0;
  virtual int32_t ModeFirst();
  virtual int32_t ModeExists();
  virtual int32_t ModeNext();
  virtual SVmode* ModeGet();
  virtual int32_t ModeAvailable() = 0;
  virtual int32_t ScreenAvailable() = 0;
  // Bits per pixel of the desktop; 0 when the screen cannot tell.
  virtual int32_t GetDepth() = 0;

  // Active: marks the whole screen for restoring.
  virtual int32_t Activate();
  virtual int32_t DeActivate();
  virtual int32_t GetActive();
  virtual int32_t SetFlipScreen(int32_t on) = 0;
  virtual int32_t IsFullScreen();

  // Converts the bitmap in place to the active mode's pixel format.
  virtual int32_t MakeScreenFormat(CBitmap* bitmap, int32_t flag);
  // The same, the bitmap then marked as made for the screen: drawing it is the software copy.
  virtual int32_t MakeScreenBitmap(CBitmap* bitmap, int32_t flag);
  virtual int32_t MakeScreenTexture(CBitmap* bitmap, int32_t flag) = 0;
  // Bitmap drawing. Width and height -1 take the bitmap's; mode is the pixel workers' draw mode.
  // Into the screen buffer inside the clip, marking the drawn clear area.
  virtual int32_t DrawBitmapScreen(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                   int32_t width, int32_t height, int32_t mode, int32_t alpha);
  // Into the persistent buffer (persistent mode only), clipped by the bitmap's and the screen's
  // clip; marks the persistent clear area.
  virtual int32_t DrawBitmapPersistent(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                       int32_t width, int32_t height, int32_t mode, int32_t alpha);
  // The source rectangle stretched onto the destination rectangle (nearest pixel).
  virtual int32_t DrawBitmapPersistentScale(CBitmap* bitmap, CRect* src, CRect* dst, int32_t mode);
  // The same without any area; the windows mark their own.
  virtual int32_t DrawBitmapScreenGui(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                      int32_t width, int32_t height, int32_t mode, int32_t alpha);
  // Sprites: drawn inside the clip, put back anywhere on the screen, saved from the screen.
  virtual int32_t DrawSpriteScreen(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                   int32_t width, int32_t height, int32_t mode, int32_t alpha);
  virtual int32_t RestoreSpriteScreen(CBitmap* bitmap, int32_t x, int32_t y, int32_t width, int32_t height);
  virtual int32_t UpdateSpriteRestore(int32_t x, int32_t y, int32_t width, int32_t height, int32_t spare,
                                      int32_t flag, CBitmap* bitmap);

  // Polygons: vertices in half pixels, texture coordinates in 16.16 fixed point.
  virtual int32_t SetTexture(CBitmap* texture);
  virtual int32_t SetTextureCoords(int32_t u0, int32_t v0, int32_t u1, int32_t v1, int32_t u2, int32_t v2,
                                   int32_t u3, int32_t v3);
  // z is a corner's depth in front of the eye. With all four above 0 the texture follows the
  // perspective and pixels are covered by their centres (neighbouring polygons share no pixel);
  // otherwise (z 0) it is mapped affinely with both edges drawn.
  virtual int32_t SetPolygon(int32_t x0, int32_t y0, float z0, int32_t x1, int32_t y1, float z1, int32_t x2,
                             int32_t y2, float z2, int32_t x3, int32_t y3, float z3);
  // The filter value switches 2 by 2 supersampling on; the mode value is only kept.
  virtual int32_t SetPolygonMode(int32_t mode, int32_t filter);
  // Each gives the drawn rectangle back through out when out is not null; 1 when drawn. The
  // screen variants mark the drawn clear area.
  virtual int32_t DrawPolygonScreen(CRect*& out);
  virtual int32_t DrawPolygonPersistent(CRect*& out);
  virtual int32_t DrawPolygonBitmap(CBitmap* bitmap, CRect*& out);
  virtual int32_t DrawShadowPolygonScreen(CRect*& out);
  virtual int32_t DrawShadowPolygonPersistent(CRect*& out);
  virtual int32_t DrawShadowPolygonBitmap(CBitmap* bitmap, CRect*& out);
  // The rectangle DrawPolygonScreen would draw and report, nothing drawn; 0 when it would draw
  // nothing.
  int32_t MeasurePolygon(CRect* out);
  // While on, texels whose raw value (their bytes, low first) is key are not drawn: the
  // polygon's transparent colour. Off after construction.
  int32_t SetTextureKey(int32_t on, uint32_t key);
  // Edge tables of the polygon at screen resolution; box gets the bounding box. 0 when nothing
  // lies on lines 0 to 2047.
  virtual int32_t MakeDrawList(CRect* box);
  // The same at double resolution relative to the polygon's top-left corner (given back).
  virtual int32_t MakeFilterDrawList(CRect* box, int32_t* minX, int32_t* minY);
  // Edge tables from four vertices.
  virtual int32_t CalcDrawList(const int32_t* x, const int32_t* y, CRect* box);
  // Each 2 by 2 block of the work pixels averaged into one target pixel (16 or 24 bits).
  virtual void CopyFiltered(const uint8_t* work, int32_t workPitch, uint8_t* target, int32_t targetPitch,
                            int32_t width, int32_t height, int32_t bytesPerPixel, const TPixelFormat& format);

  // Buffers on (1) or off (anything else); the mode setters create a missing buffer for mode 1.
  virtual int32_t SetPersistent(int32_t on);
  virtual int32_t SetPersistentMode(int32_t mode);
  virtual int32_t SetBackground(int32_t on);
  virtual int32_t SetBackgroundMode(int32_t mode);
  virtual int32_t SetPersistentToBackground();
  virtual int32_t UpdateFromBackgroundToPersistent(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  virtual CBitmap* LockPersistentBitmap(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  virtual int32_t UnlockPersistentBitmap() = 0;
  virtual CBitmap* LockBackgroundBitmap(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
  virtual int32_t UnlockBackgroundBitmap() = 0;
  // The first byte of the screen buffer (rows Pitch of the active mode apart); null when none.
  virtual uint8_t* LockScreenBuffer() = 0;
  virtual int32_t ReleaseScreenBuffer() = 0;
  virtual int32_t CachePersistentBitmap();
  virtual int32_t SetAlphaBuffer(int32_t on);
  virtual int32_t SetAlphaBufferMode(int32_t mode);
  // The bitmap becomes 8-bit grey in place, then its grey levels go into the alpha buffer.
  virtual int32_t DrawBitmapAlpha(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                                  int32_t width, int32_t height, int32_t mode, int32_t alpha);
  virtual int32_t ClearAlpha(int32_t value, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

  virtual int32_t FlipPage() = 0;
  virtual int32_t ClearBuffer() = 0;
  virtual int32_t Validate() = 0;
  // The current polygon into any pixel buffer of the active mode's format, inside clip; result
  // gets the drawn rectangle. 1 when something was drawn.
  virtual int32_t DrawPolygonSoftware(uint8_t* pixels, const CRect* clip, int32_t pitch, int32_t height,
                                      int32_t bytesPerPixel, CRect* result);
  virtual int32_t DrawShadowPolygonSoftware(uint8_t* pixels, const CRect* clip, int32_t pitch, int32_t height,
                                            int32_t bytesPerPixel, CRect* result);

  // Area lists (see arealist.h). Clear areas are kept only while persistent mode is on.
  virtual int32_t AddClearArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  // An area the windows give back, on every page: restored before they draw next (or at the
  // clear, when it comes after they drew).
  virtual int32_t AddClearAreaGui(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  // Merged on the current page, stored on every page.
  virtual int32_t AddClearAreaPersistent(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  // The part inside the clip, on every page.
  virtual int32_t AddShadowArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  virtual int32_t ASA(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  // Cohen and Sutherland against the clip; 1 with the clipped end points when something is left.
  virtual uint32_t ClipLine(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2);
  virtual int32_t SetClip(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  // Never widens the clip; a rectangle beside it leaves the clip (0, 0, 0, 0) with nothing
  // inside it (IsClipEmpty).
  virtual int32_t SetSubClip(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  virtual int32_t PushClip();
  virtual int32_t PopClip();
  // Indexed modes only: the palette is copied as the screen's, with the range 0 to 255.
  virtual int32_t SetPalette(const CPalette* palette);
  virtual CPalette* GetPalette();
  virtual int32_t GetScreenPos(int32_t* x, int32_t* y, int32_t* width, int32_t* height);
  virtual int32_t SetScreenPos(int32_t x, int32_t y);
  virtual int32_t SetScreenSize(int32_t width, int32_t height);
  virtual int32_t SetSystemPalette();

  // Software drawing into the screen buffer; no area is recorded.
  void FillRect(int32_t x, int32_t y, int32_t width, int32_t height, const TRGBA& colour);
  // Darkens by percent (0 to 100) through the shade tables.
  void FillRectAlpha(int32_t x, int32_t y, int32_t width, int32_t height, int32_t percent);
  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const TRGBA& colour);
  // 1 below, 2 above, 4 right, 8 left of the clip.
  int32_t CompOutCode(int32_t x, int32_t y) const;
  // The grey copy is made at the next page flip.
  int32_t SetScreenToPersistentGrey() {
    m_GreyRequest = 1;
    return 1;
  }
  // The screen buffer at about half brightness, in grey, into the persistent buffer.
  int32_t ScreenToPersistentGray();
  // The grey copy when one was asked for (on bus message 2).
  void MakePendingGrey() {
    if (!m_GreyRequest) return;
    ScreenToPersistentGray();
    m_GreyRequest = 0;
  }

  // State for the frame, the window manager and sprites.
  const CRect& GetClip() const { return m_Clip; }
  int32_t IsClipEmpty() const { return m_ClipEmpty; }
  int32_t GetClipDepth() const { return m_ClipDepth; }
  int32_t GetCurrentPage() const { return m_Page; }
  int32_t GetNumPages() const { return m_NumPages; }
  int32_t GetFlipScreen() const { return m_Flip; }
  int32_t GetGreyRequest() const { return m_GreyRequest; }
  int32_t GetPersistentMode() const { return m_PersistentMode; }
  int32_t GetBackgroundMode() const { return m_BackgroundMode; }
  int32_t GetAlphaBufferMode() const { return m_AlphaMode; }
  CBitmap* GetPersistentBitmap() const { return m_pPersistent; }
  CBitmap* GetBackgroundBitmap() const { return m_pBackground; }
  CBitmap* GetAlphaBitmap() const { return m_pAlpha; }
  const CPalette& GetGreyPalette() const { return m_GreyPalette; }
  const CAreaList& ClearAreas() const { return m_ClearAreas; }
  const CAreaList& GuiClearAreas() const { return m_GuiAreas; }
  const CAreaList& PersistentClearAreas() const { return m_PersistentAreas; }
  const CAreaList& ShadowAreas() const { return m_ShadowAreas; }
  // (0, 0, width - 1, height - 1) of the active mode.
  CRect WholeScreen() const;

 protected:
  // The base clean-up of ExitMode: no mode, no buffers, page 0, empty clear lists and clip
  // stack, the mode list freed.
  void BaseExitMode();
  // A rectangle of the screen buffer changed without a clear area to tell (sprites, restored
  // areas, areas the windows redrew). The windowed screen presents it at the next flip.
  virtual void NoteScreenChange(const CRect&) {}
  // The active mode becomes mode; buffers of an earlier mode are made again at its size, keeping
  // their modes. 0 without memory (no active mode then).
  int32_t StartActiveMode(const SVmode& mode);
  // The frame's common parts. The page's persistent, window and ordinary clear areas: each
  // becomes a shadow area and is restored from the persistent buffer; the lists of the page are
  // emptied.
  void RestoreClearAreas();
  // The page's window areas are restored as above, the page's clear areas become shadow areas,
  // each shadow area is offered to the window manager, and the page's shadow list is emptied.
  void OfferShadowAreas();
  // An area of the screen buffer back from the persistent buffer, to be drawn over and shown.
  void RestoreArea(const CRect& r);
  // Appends a copy; 0 without memory.
  int32_t AppendMode(const SVmode& mode);
  void RemoveLastMode();
  // The active mode becomes a copy of the mode (or none).
  void SetActiveMode(const SVmode* mode);
  // The screen buffer as a drawing target inside the clip; false without pixels or when the
  // clip holds nothing.
  bool ScreenTarget(TDrawTarget& target);
  // A bitmap as a drawing target inside its own clip rectangle.
  static bool BitmapTarget(CBitmap* bitmap, TDrawTarget& target);
  // Caller's memory in the active mode's format as a drawing target inside the clip; false
  // for a bad description or when the clip holds nothing.
  bool MemoryTarget(uint8_t* pixels, const CRect* clip, int32_t pitch, int32_t height, int32_t bytesPerPixel,
                    TDrawTarget& target);
  // A rectangle of the persistent buffer copied into the screen buffer (clipped to both).
  void RestoreFromPersistent(const CRect& area);
  // Copies between the screen buffer and a bitmap with the pixel workers.
  int32_t BlitToScreen(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                       int32_t height, int32_t mode, const CRect& dstClip, CRect* drawn);
  int32_t BlitFromScreen(CBitmap* bitmap, int32_t x, int32_t y, int32_t width, int32_t height);
  // The polygon and its shadow into a target; the common part of every polygon operation.
  int32_t DrawPolygonInto(const TDrawTarget& target, CRect* result);
  int32_t DrawShadowPolygonInto(const TDrawTarget& target, CRect* result);
  // The texture can be copied into the target's pixels.
  bool TextureFits(const TDrawTarget& target) const;
  // Every corner has a depth above 0.
  bool PerspectiveWanted() const;
  // What the polygon would draw in the target, cut to its clip (the edge tables made for the
  // affine spans); minX, minY get the polygon's corner in half pixels. False when nothing.
  bool PolygonExtent(const TDrawTarget& target, bool filter, CRect* drawn, int32_t* minX, int32_t* minY);
  // The spans of the lines inside lines: from the edge tables, or in perspective from the
  // corners given in the sink's pixels.
  void AffineSpans(const TSpanSink& sink, const CRect& lines) const;
  void PerspectiveSpans(const TSpanSink& sink, const CRect& lines, const double (&x)[4], const double (&y)[4]) const;
  // The persistent and bitmap variants: draw, mark changed, hand the rectangle out.
  int32_t PolygonIntoBitmap(CBitmap* bitmap, CRect*& out, bool shadow, bool persistent);

  // Which buffer each mode setter works on.
  enum EBuffer { BUFFER_PERSISTENT, BUFFER_BACKGROUND, BUFFER_ALPHA };
  int32_t SetBuffer(EBuffer which, int32_t on);
  int32_t SetBufferMode(EBuffer which, int32_t mode);
  CBitmap*& BufferField(EBuffer which);
  int32_t& BufferModeField(EBuffer which);

  SVmode* m_pActiveMode = nullptr;  // owned copy
  CLList m_Modes;                   // owned SVmode records
  int32_t m_Active = 1;
  int32_t m_Flip = 1;
  int32_t m_GreyRequest = 0;
  CPalette m_Palette;
  CPalette m_GreyPalette;
  CRect m_Clip;
  int32_t m_ClipEmpty = 0;
  CRect m_ClipStack[SCREEN_CLIP_STACK_SIZE];
  int32_t m_ClipEmptyStack[SCREEN_CLIP_STACK_SIZE] = {};
  int32_t m_ClipDepth = 0;
  int32_t m_Page = 0;
  int32_t m_NumPages = 0;
  CBitmap* m_pPersistent = nullptr;
  int32_t m_PersistentMode = 0;
  CBitmap* m_pBackground = nullptr;
  int32_t m_BackgroundMode = 0;
  CBitmap* m_pAlpha = nullptr;
  int32_t m_AlphaMode = 0;
  CAreaList m_ClearAreas;
  CAreaList m_GuiAreas;
  CAreaList m_PersistentAreas;
  CAreaList m_ShadowAreas;

  // Polygon state.
  int32_t m_PolyX[4] = {}, m_PolyY[4] = {};
  float m_PolyZ[4] = {};
  int32_t m_TexU[4] = {}, m_TexV[4] = {};
  CBitmap* m_pTexture = nullptr;
  int32_t m_PolygonMode = 0;
  int32_t m_PolygonFilter = 0;
  int32_t m_TextureKeyOn = 0;
  uint32_t m_TextureKey = 0;
  int32_t m_PolyTop = 0, m_PolyBottom = -1;
  int32_t m_LeftX[POLYGON_LINES] = {}, m_RightX[POLYGON_LINES] = {};
  int32_t m_LeftU[POLYGON_LINES] = {}, m_RightU[POLYGON_LINES] = {};
  int32_t m_LeftV[POLYGON_LINES] = {}, m_RightV[POLYGON_LINES] = {};
  // Which lines each side's edges reached; a line missed by either side is not drawn.
  uint8_t m_LeftSet[POLYGON_LINES] = {}, m_RightSet[POLYGON_LINES] = {};
};
