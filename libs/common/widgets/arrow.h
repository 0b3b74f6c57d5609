// The seat arrow: a textured 3-D triangle with its shadow that glides to and fro between two
// points of the table, pointing at the place where the player should act. Its timer steps the
// animation; the game's drawing code calls Handler once per frame to draw it on the screen layer.
#pragma once

#include <cstdint>
#include <memory>

#include "fennic/polygon.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/system/timers.h"

class CCamera;
class CLight;

class CArrow : public CTimer {
 public:
  static constexpr int32_t MAX_ARROWS = 15;
  // Sixteen steps from the first point to the second, sixteen back.
  static constexpr int32_t PATH_POINTS = 32;
  static constexpr uint32_t DEFAULT_PERIOD = 20;  // ms per step

  CArrow() = default;
  ~CArrow() override;

  // Loads the texture (its first pixel is the see-through colour) in the current screen's
  // format and makes the triangle: its tip at (0, -height, 0), its base from (width, height, 0)
  // to (-width, height, 0). Camera and light are not owned. 0 when the texture cannot be loaded
  // or made for the screen, or the sizes are not finite.
  int32_t Init(const char* textureName, CCamera* camera, CLight* light, double width, double height);
  // count arrows from the arrays x, y, z (two values per arrow: the first point A at 2i, the
  // second point B at 2i + 1) and rx, ry, rz (one rotation per arrow). 0, with nothing changed,
  // before Init, for a count outside 1 .. MAX_ARROWS, a null array or a value that is not finite.
  int32_t CreateArrows(int32_t count, const double* x, const double* y, const double* z, const double* rx,
                       const double* ry, const double* rz);
  // Shows arrow number n (from 0) and starts its animation; ignored unless 0 <= n < count.
  void StartArrow(int32_t n);
  void StopArrow();
  // ms per animation step, kept within what the timers accept (1 ms and up).
  void SetUpdateSpeed(int64_t period);
  // Draws the current arrow, its shadow first, onto the screen layer. 1 after Init, else 0.
  int32_t Handler();
  // Stops the arrow and frees the texture and the triangle; Init may follow again.
  void Exit();

  void TimerHandler(uint32_t period) override;

  int32_t GetCurrentArrow() const { return m_CurrentArrow; }
  int32_t GetFrame() const { return m_Frame; }
  int32_t GetNumArrows() const { return m_NumArrows; }
  uint32_t GetUpdateSpeed() const { return m_Period; }
  // Point p (0 .. PATH_POINTS - 1) of an arrow's path; 0 outside the arrows made.
  int32_t GetPathPoint(int32_t arrow, int32_t p, double* x, double* y, double* z) const;
  CPolygon* GetPolygon() const { return m_pPolygon.get(); }

 private:
  struct SPoint {
    double x = 0, y = 0, z = 0;
  };

  int32_t m_CurrentArrow = -1;
  std::unique_ptr<CBitmap> m_pTexture;
  int32_t m_Frame = 0;
  SPoint m_Path[MAX_ARROWS][PATH_POINTS];
  SPoint m_Rotation[MAX_ARROWS];
  CCamera* m_pCamera = nullptr;
  CLight* m_pLight = nullptr;
  std::unique_ptr<CPolygon> m_pPolygon;
  shadow m_Shadow;
  int32_t m_NumArrows = 0;
  uint32_t m_Period = DEFAULT_PERIOD;
};
