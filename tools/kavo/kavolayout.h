// The blackjack table laid out from its scene: the layout keys of each main script, the bet-spot
// rectangles and spot maps of each camera view, and the checks that refuse a scene the client
// would mis-click on. Every screen place comes from fennic's projection, as the client's own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fennic/scene.h"
#include "kavoscene.h"

inline constexpr int KAVO_VIEWS = 5;
inline constexpr int KAVO_HANDS = 16;  // hand positions: seats, dealer, first and second split hands
inline constexpr int KAVO_DEALER = 5;
inline constexpr int KAVO_SCREEN_W = 800, KAVO_SCREEN_H = 600;
inline constexpr int KAVO_MAP_W = 400, KAVO_MAP_H = 300;

// One key of the main script's data chunk: a scalar (Count 0) or an array of Count values.
struct SLayoutKey {
  std::string Name;
  char Type = 'l';  // 'l' long, 'd' double, 'b' bool
  int Count = 0;
  std::vector<double> Values;
};

// A screen rectangle: x, y, width, height.
struct SBox {
  int x = 0, y = 0, w = 0, h = 0;
  bool Overlaps(const SBox& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
  bool OnScreen() const { return x >= 0 && y >= 0 && x + w <= KAVO_SCREEN_W && y + h <= KAVO_SCREEN_H; }
};

struct SWorldPoint {
  double x = 0, z = 0;
};

class CKavoLayout {
 public:
  explicit CKavoLayout(const SScene& scene);

  // The keys of a table's main script, in the order the client reads them.
  std::vector<SLayoutKey> Keys(const SSceneTable& table) const;
  // What is wrong with the scene at that table, one sentence each; empty when nothing is.
  std::vector<std::string> Check(const SSceneTable& table) const;
  // The view's spot map: 400 x 300 bytes, rows top down; 1 to 5 over seat 1 to 5's bet spot, 6 to
  // 10 over their side-bet spots, else 0.
  std::vector<uint8_t> SpotMap(const SSceneTable& table, int view) const;

  // World places the pictures are drawn from.
  SWorldPoint SeatPoint(int seat, double radius, double u, double w) const;
  SWorldPoint HandPosition(int hand) const;
  double HandRotation(int hand) const;
  // The seat a player's hand position belongs to (not the dealer's).
  static int SeatOfHand(int hand);
  SWorldPoint SpotCentre(int seat) const { return SeatPoint(seat, m_Scene.SpotRadius, 0, 0); }
  SWorldPoint SideBetCentre(int seat) const { return SeatPoint(seat, m_Scene.SideBetRadius, 0, 0); }
  // The scene of a view: its camera set as the client sets it.
  const CSceneHandler& View(int view) const { return m_Views[view]; }
  const CCamera& Camera(int view) const { return *m_Views[view].GetActiveCamera(); }
  // A table point in pixels, as the client has it (the half pixels halved); false off the camera.
  bool Project(int view, SWorldPoint p, int* x, int* y) const;
  // The same at a height above the table, in exact pixels.
  bool ProjectExact(int view, double x, double y, double z, double* sx, double* sy) const;
  // The bet-spot rectangle of a seat in a view (its circle, and its side-bet circle when the table
  // has one), as "SPOTCOORDS" holds it.
  SBox SpotBox(const SSceneTable& table, int view, int seat) const;

  // Controls of a view, as the client places them.
  SBox IconBox(int view, int seat) const;
  SBox BubbleBox(int view, int seat) const;
  SBox TagBox(int view, int seat) const;
  // The union of a seat's icon, bubble and tag: what a seat shows.
  SBox SeatGroup(int view, int seat) const;
  // The union of the icon, bubble and tag for an icon at that place.
  SBox GroupOf(const SBox& icon) const;
  // Hand-value texts in the order of "CARDVALUE_COORDS": per seat its hand, first and second split
  // hand, then the dealer.
  SBox ValueBox(int view, int index) const;
  SBox InsuranceWindowBox(int view, int seat) const;
  SBox TimeoutBox(int view) const;
  SBox DiscardBox(int view) const;

 private:
  // The value-text index of a hand position, and back.
  static int ValueHand(int index);
  SBox ProjectedBox(int view, const std::vector<std::array<double, 3>>& points, int grow) const;
  std::vector<std::array<double, 3>> CirclePoints(SWorldPoint centre, double radius) const;
  std::vector<std::array<double, 3>> BoxCorners(const TPair& centre, const std::array<double, 3>& size, double angle) const;
  // The point of the table plane under a screen point (pixels); false when the ray misses it.
  bool Unproject(int view, double px, double py, SWorldPoint* p) const;

  SScene m_Scene;
  // Projecting reads the cameras only; the scenes are ours to set.
  mutable std::array<CSceneHandler, KAVO_VIEWS> m_Views;
};
