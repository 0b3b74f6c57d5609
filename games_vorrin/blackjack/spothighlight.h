// The seat spot highlight of the blackjack table: one lit picture per seat, made for the current
// camera view by adding a light picture onto the table picture under the seat's bet spot, and
// drawn into (or taken out of) the screen's persistent layer.
#pragma once

#include <cstdint>
#include <memory>

#include "ostrel/containers/rect.h"

class CBitmap;

inline constexpr int32_t SPOT_SEATS = 5;
inline constexpr int32_t SPOT_VIEWS = 5;
// The layout key "SPOTCOORDS": x, y, width, height for each view and seat, view-major.
inline constexpr int32_t SPOT_COORDS = SPOT_VIEWS * SPOT_SEATS * 4;

class CSpotHighlight {
 public:
  CSpotHighlight();
  ~CSpotHighlight();
  CSpotHighlight(const CSpotHighlight&) = delete;
  CSpotHighlight& operator=(const CSpotHighlight&) = delete;

  // Nothing lit, no pictures.
  void Init();
  // The light picture from a file; 1 when it loaded (an earlier one is replaced either way).
  int32_t LoadLight(const char* fileName);
  // The spots of every view and seat from the 100 values of "SPOTCOORDS".
  void SetSpotCoords(const int32_t* coords);
  // The spot of a seat in a view as it was given; 0 outside the views and seats.
  int32_t GetSpot(int32_t view, int32_t seat, CRect* spot) const;

  // The lit pictures of the view over its table picture (not owned; kept for Hide). Each spot is
  // cut to the picture first: a spot wholly off it gets no lit picture. 0 without a light
  // picture, a view outside 0 .. 4, without a background or without memory.
  int32_t Build(int32_t view, CBitmap* background);
  // The seat's lit picture into the persistent layer; the seat becomes the selected one and out
  // (may be null) gets the area drawn. 0 (nothing drawn, nothing selected) for a seat without a
  // lit picture or without a screen.
  int32_t Show(int32_t seat, CRect* out);
  // The table picture drawn back over the seat's spot; -1 does nothing. out (may be null) gets
  // the area drawn. The selection is the caller's to clear (SetSelected(-1)).
  int32_t Hide(int32_t seat, CRect* out);
  int32_t GetSelected() const { return m_Selected; }
  void SetSelected(int32_t seat) { m_Selected = seat; }
  // The light and the lit pictures deleted.
  void Free();

  // What Build made for a seat of the current view: the spot cut to the picture and its lit
  // picture (null when none).
  const CRect& GetLitArea(int32_t seat) const { return m_LitArea[seat]; }
  const CBitmap* GetLit(int32_t seat) const { return m_pLit[seat].get(); }
  int32_t GetView() const { return m_View; }

 private:
  struct SSpot {
    int32_t x = 0, y = 0, w = 0, h = 0;
  };
  void FreeLit();
  // The lit picture of the part (area) of a spot that lies on the background.
  std::unique_ptr<CBitmap> MakeLit(const SSpot& spot, const CRect& area) const;

  int32_t m_Selected = -1;
  std::unique_ptr<CBitmap> m_pLight;
  CBitmap* m_pBackground = nullptr;
  int32_t m_View = 0;
  std::unique_ptr<CBitmap> m_pLit[SPOT_SEATS];
  SSpot m_Spots[SPOT_VIEWS][SPOT_SEATS];
  CRect m_LitArea[SPOT_SEATS];
};
