// The card table: a scene of numbered pockets of textured cards dealt by scripted moves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fennic/cardtextures.h"
#include "fennic/polygon.h"
#include "fennic/pocket.h"
#include "fennic/quaddraw.h"
#include "fennic/scene.h"
#include "ostrel/graphics/bitmap.h"

// Bounds of what Init and the textures accept.
inline constexpr int32_t FENNIC_MAX_POCKETS = 256;
inline constexpr int32_t FENNIC_MAX_SHEET_CELLS = 64;  // rows and columns of the face sheet
inline constexpr int32_t FENNIC_MAX_CARD_PIXELS = 4096;

class CCardTable : public CSceneHandler {
 public:
  CCardTable() = default;
  ~CCardTable() override;

  // pockets (1 .. 256), the face sheet's rows (suits) and columns, and the ranks a suit has (a
  // card code's rank is code % ranks, its row code / ranks). An earlier set-up is ended first;
  // camera, light and fields of view are kept. 0 for values out of range.
  int32_t Init(int32_t pockets, int32_t rows, int32_t columns, int32_t ranks);
  // Frees the pockets, their cards and the textures; nothing the caller made (lists, moves,
  // objects) is touched, even while lists play on them. Again, nothing happens.
  int32_t Exit();

  // One cell of the face sheet in pixels (the back may have any size); checked by LoadTextures.
  int32_t SetCardSize(int32_t width, int32_t height);
  // The card in world units; cards made afterwards take it. 0 for sizes not above 0.
  int32_t SetCardDimension(double width, double height);
  // The files LoadTextures reads: the face sheet, then the back.
  int32_t SetTextureNames(const char* faceSheet, const char* back);
  // Both pictures, the sheet holding rows x columns cells of the card size. 0 when a file is
  // missing or unreadable, the sheet too small or the card size not above 0; the table then holds
  // no textures.
  int32_t LoadTextures();
  const CBitmap* GetFaceSheet() const { return m_pFaces.get(); }
  const CBitmap* GetBack() const { return m_pBack.get(); }

  // A new object the caller owns, of the card dimension at the origin: (-1, 0) shows the back on
  // both sides, (row, column) that cell of the face sheet; u0 .. u1, v0 .. v1 is the part of the
  // cell shown (clamped to 0 .. 1). Null out of range or for values that are not finite.
  CObject* GetCardObj(int32_t row, int32_t column, double u0, double v0, double u1, double v1);
  // Null outside 0 .. pockets - 1.
  CPocket* GetPocket(int32_t i);
  int32_t GetNumPockets() const { return static_cast<int32_t>(m_Pockets.size()); }
  // Every playing list one frame on, then each card in flight drawn on the screen layer over
  // its shadow (farthest first); a card whose list ends is put into the persistent layer where
  // it ends (and on the screen layer, so it shows in this very frame). Returns 1.
  int32_t Handler();

  // The view's table picture (not owned), drawn back where a card at rest leaves its place.
  // Cards drawn into the persistent layer before count as gone: the caller repaints.
  int32_t SetPersistent(CBitmap* tablePicture);
  CBitmap* GetTablePicture() const { return m_pTablePicture; }
  // Pocket p's cards at rest, bottom to top, or its card i, as the drawing switches say; area
  // (may be null) gets the rectangle drawn. 0 when nothing was drawn.
  int32_t DrawPocket(int32_t p, CRect* area);
  int32_t DrawCard(int32_t p, int32_t i, CRect* area);

  // The look of a card code (-1: the back on both sides); false for codes off the face sheet.
  bool CodeLook(int32_t code, TCardLook* look) const;
  // A new card takes the card dimension.
  void SizeCard(CObject* object) const { object->SetSize(m_CardWidth, m_CardHeight); }
  // The object stands where the list ends.
  void PlaceAtEnd(C3DMoveList* list, CObject* object) const;
  // An object through the current screen, the side it turns to the camera: into a layer or
  // measured. 0 when nothing would be drawn (no textures, edge-on, behind the camera, off the
  // clip).
  int32_t DrawObject(const CObject& object, EQuadTarget target, CRect* area);
  // Its shadow on the light's plane, on the screen layer.
  int32_t DrawShadow(const CObject& object, CRect* area);

  // The drawing switches: draw into the persistent layer, draw onto the screen layer, write
  // pixels (0: only work out the rectangle).
  int32_t m_DrawPersistent = 1;
  int32_t m_DrawScreen = 0;
  int32_t m_DrawPixels = 1;

 protected:
  void OnAnimStarted(CObject* object) override;
  void OnAnimEnded(CObject* object) override;
  void OnLastFrame(CObject* object) override;

 private:
  // The card's quad and the texture of the side it shows; false when it cannot be drawn.
  bool CardQuad(const CObject& object, TProjectedQuad* quad, TQuadTexture* texture);
  // The cards in flight on the screen layer.
  void DrawFlights();
  // The object's picture into the persistent layer (and onto the screen layer), taking its old
  // picture away first when it is a pocket's card at rest elsewhere.
  void Stamp(CObject* object);
  // A pocket card's picture taken out of the persistent layer: the table picture and the other
  // resting cards drawn again over its rectangle.
  void TakeAway(CObject* object);

  std::vector<std::unique_ptr<CPocket>> m_Pockets;
  int32_t m_Rows = 0, m_Columns = 0, m_Ranks = 0;
  int32_t m_CellWidth = 0, m_CellHeight = 0;
  double m_CardWidth = 0.063, m_CardHeight = 0.088;
  std::string m_FaceName, m_BackName;
  std::unique_ptr<CBitmap> m_pFaces, m_pBack;
  CCardTextures m_Textures;
  CBitmap* m_pTablePicture = nullptr;
};
