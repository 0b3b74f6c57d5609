// The card shoe as a textured 3-D box drawn into the screen's persistent layer, its height
// following the number of cards left. The box is given as five quads in its own frame: four
// sides whose top corners lie at y = 0 (a full shoe) and whose bottom corners lie at the depth,
// and the top face at the depth (an empty shoe); the depth is the fifth quad's first corner's y,
// below 0. As cards leave, the sides' top corners and the top face come down together.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "fennic/polygon.h"
#include "ostrel/containers/rect.h"
#include "ostrel/graphics/bitmap.h"

class CCamera;
class CScreenBase;

class CPolyDeck {
 public:
  static constexpr int32_t NUM_CARDS = 52;
  static constexpr int32_t NUM_QUADS = 5;  // four sides, then the top face
  static constexpr int32_t TOP_QUAD = 4;
  using TQuad = double[4][3];  // four corners of x, y, z

  CPolyDeck() = default;
  ~CPolyDeck();
  CPolyDeck(const CPolyDeck&) = delete;
  CPolyDeck& operator=(const CPolyDeck&) = delete;

  // Loads the sides' texture (its first pixel is the see-through colour) in the current screen's
  // format; the top face shows top (not owned, in the screen's format). Starts full, at the
  // origin, unturned, with nothing drawn. 0 when the texture cannot be loaded or made for the
  // screen, top or quads is null, or a coordinate is not finite.
  int32_t Init(const char* textureName, CBitmap* top, CCamera* camera, const TQuad quads[NUM_QUADS]);
  // Ignored outside 0 .. NUM_CARDS, and before Init. Shows on the next DrawDeck.
  void SetNumCardsLeft(int32_t cards);
  // The box's place and turn (degrees, as fennic's polygons turn).
  void SetPosition(double x, double y, double z, double rx, double ry, double rz);
  // Where the top card lies: the position lowered as the top face is, and the turn. Null outputs
  // are skipped.
  void GetTopCardPos(double* x, double* y, double* z, double* rx, double* ry, double* rz) const;
  // Takes the box drawn last away, then draws it anew into the persistent layer. 1 when any of it
  // was drawn.
  int32_t DrawDeck();
  // Puts back what the persistent layer held under the box drawn last.
  void ClearDeck();
  // Frees the textures and the polygons; what is drawn stays. Init may follow again.
  void Exit();

  int32_t GetNumCardsLeft() const { return m_NumCards; }
  // The screen rectangle drawn last; false when nothing is drawn.
  bool GetDrawnRect(CRect* rect) const;
  CPolygon* GetPolygon(int32_t k) const { return k >= 0 && k < NUM_QUADS ? m_pPolygons[k].get() : nullptr; }
  CBitmap* GetSideTexture() const { return m_pCutTexture.get(); }

 private:
  // A rectangle of a pixel buffer kept to be put back (the persistent layer under the box).
  class CSavedArea {
   public:
    // The rectangle (inside the buffer) of pixels as they were.
    void Keep(const std::vector<uint8_t>& before, const CBitmap& buffer, const CRect& area);
    // Back into the buffer when it is still the one kept from; false when there was nothing.
    bool PutBack(CBitmap& buffer, CRect* area);
    void Forget() { m_Pixels.clear(); }

   private:
    std::vector<uint8_t> m_Pixels;
    CRect m_Area;
    const uint8_t* m_pBuffer = nullptr;
    int32_t m_Width = 0, m_Height = 0, m_Pitch = 0, m_BytesPerPixel = 0;
  };

  // The sides' texture cut to the fill's share of its lines, at least one.
  bool CutSideTexture();
  // The given quads moved to the fill; false when fennic refuses a coordinate.
  bool ShapeQuads();
  void PlacePolygon(CPolygon& polygon);
  void PutBackArea(CScreenBase* screen);

  std::unique_ptr<CBitmap> m_pTexture;
  std::unique_ptr<CBitmap> m_pCutTexture;
  CBitmap* m_pTop = nullptr;
  CCamera* m_pCamera = nullptr;
  std::unique_ptr<CPolygon> m_pPolygons[NUM_QUADS];
  double m_Scale = 1.0;
  double m_Depth = 0;
  int32_t m_NumCards = NUM_CARDS;
  double m_Fraction = 1.0;  // cards left / NUM_CARDS
  double m_X = 0, m_Y = 0, m_Z = 0, m_Rx = 0, m_Ry = 0, m_Rz = 0;
  CRect m_Drawn;
  bool m_HasDrawn = false;
  CSavedArea m_Under;
  double m_Quads[NUM_QUADS][4][3] = {};
};
