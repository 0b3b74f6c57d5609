#include "kavolayout.h"

#include <algorithm>
#include <cmath>

#include "fennic/geometry.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
double Rad(double degrees) { return degrees * kPi / 180.0; }

SBox Union(const SBox& a, const SBox& b) {
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
  return {x0, y0, x1 - x0, y1 - y0};
}

void Add(std::vector<SLayoutKey>& keys, const char* name, char type, double value) {
  keys.push_back({name, type, 0, {value}});
}
void AddArray(std::vector<SLayoutKey>& keys, const char* name, char type, std::vector<double> values) {
  const int count = static_cast<int>(values.size());
  keys.push_back({name, type, count, std::move(values)});
}
void AddBox(std::vector<double>& out, const SBox& b) { out.insert(out.end(), {double(b.x), double(b.y), double(b.w), double(b.h)}); }
void AddXY(std::vector<double>& out, const SBox& b) { out.insert(out.end(), {double(b.x), double(b.y)}); }
void AddXZ(std::vector<double>& out, SWorldPoint p) { out.insert(out.end(), {p.x, p.z}); }
std::string Name(const char* what, int seat) { return std::string(what) + " of seat " + std::to_string(seat + 1); }
std::string In(int view) { return " in view " + std::to_string(view); }
}  // namespace

CKavoLayout::CKavoLayout(const SScene& scene) : m_Scene(scene) {
  for (int v = 0; v < KAVO_VIEWS; ++v) {
    const double a = Rad(scene.SeatAngles[v]);
    CCamera* camera = m_Views[v].GetActiveCamera();
    camera->SetPosition(scene.CameraRadius * std::sin(a), scene.TableY + scene.CameraHeight, scene.CameraRadius * std::cos(a));
    // A side seat's camera turns a little less than its seat, towards the middle of the table, so
    // the far end of the arc stays in the picture.
    camera->SetRotate(scene.CameraPitch, scene.SeatAngles[v] * scene.CameraYawScale, 0);
    m_Views[v].SetCameraFOV(scene.HFov, scene.VFov);
  }
}

// ---- world places ------------------------------------------------------------------------------

SWorldPoint CKavoLayout::SeatPoint(int seat, double radius, double u, double w) const {
  const double a = Rad(m_Scene.SeatAngles[seat]);
  // Out along the seat's radius, and to the seat's right as its player faces the dealer.
  const double rx = std::sin(a), rz = std::cos(a), tx = std::cos(a), tz = -std::sin(a);
  return {rx * (radius + w) + tx * u, rz * (radius + w) + tz * u};
}

int CKavoLayout::SeatOfHand(int hand) { return hand < KAVO_SEATS ? hand : hand < 11 ? hand - 6 : hand - 11; }

SWorldPoint CKavoLayout::HandPosition(int hand) const {
  if (hand == KAVO_DEALER) return {m_Scene.DealerHand[0], m_Scene.DealerHand[1]};
  if (hand < KAVO_SEATS) return SeatPoint(hand, m_Scene.HandRadius, 0, 0);
  if (hand < 11) return SeatPoint(hand - 6, m_Scene.HandRadius, -m_Scene.SplitU, 0);
  return SeatPoint(hand - 11, m_Scene.HandRadius, m_Scene.SplitU, 0);
}

// A card's rz turns its top towards the arc's centre: against the seat's own angle, as a turn
// about the card's face and then about x lays it down.
double CKavoLayout::HandRotation(int hand) const {
  if (hand == KAVO_DEALER) return 0.0;
  return -m_Scene.SeatAngles[SeatOfHand(hand)];
}

// ---- projection --------------------------------------------------------------------------------

bool CKavoLayout::Project(int view, SWorldPoint p, int* x, int* y) const {
  int32_t sx = 0, sy = 0;
  if (!m_Views[view].ProjectPoint2Screen(p.x, m_Scene.TableY, p.z, sx, sy)) return false;
  *x = sx / 2;
  *y = sy / 2;
  return true;
}

bool CKavoLayout::ProjectExact(int view, double x, double y, double z, double* sx, double* sy) const {
  CCamera* camera = m_Views[view].GetActiveCamera();
  if (!camera->Project({x, y, z}, sx, sy, nullptr)) return false;
  *sx /= 2;
  *sy /= 2;
  return true;
}

bool CKavoLayout::Unproject(int view, double px, double py, SWorldPoint* p) const {
  CCamera* camera = m_Views[view].GetActiveCamera();
  double hfov = 0, vfov = 0;
  camera->GetFOV(&hfov, &vfov);
  // The camera's axes in the world: the rows of its world-to-camera rotation.
  const TVec3 at = camera->Position(), o = camera->ToCamera(at);
  const TVec3 ex = camera->ToCamera(at + TVec3{1, 0, 0}) - o, ey = camera->ToCamera(at + TVec3{0, 1, 0}) - o,
              ez = camera->ToCamera(at + TVec3{0, 0, 1}) - o;
  const double cx = (2 * px - KAVO_SCREEN_W) / KAVO_SCREEN_W * std::tan(Rad(hfov / 2));
  const double cy = (KAVO_SCREEN_H - 2 * py) / KAVO_SCREEN_H * std::tan(Rad(vfov / 2));
  const TVec3 dir{ex.x * cx + ex.y * cy - ex.z, ey.x * cx + ey.y * cy - ey.z, ez.x * cx + ez.y * cy - ez.z};
  if (!(dir.y < 0)) return false;
  const double t = (m_Scene.TableY - at.y) / dir.y;
  p->x = at.x + dir.x * t;
  p->z = at.z + dir.z * t;
  return true;
}

std::vector<std::array<double, 3>> CKavoLayout::CirclePoints(SWorldPoint c, double radius) const {
  std::vector<std::array<double, 3>> out;
  for (int i = 0; i < 96; ++i) {
    const double a = 2 * kPi * i / 96;
    out.push_back({c.x + radius * std::cos(a), m_Scene.TableY, c.z + radius * std::sin(a)});
  }
  return out;
}

std::vector<std::array<double, 3>> CKavoLayout::BoxCorners(const TPair& c, const std::array<double, 3>& size,
                                                           double angle) const {
  const double a = Rad(angle), ca = std::cos(a), sa = std::sin(a);
  std::vector<std::array<double, 3>> out;
  for (int i = 0; i < 8; ++i) {
    const double u = (i & 1 ? 0.5 : -0.5) * size[0], w = (i & 2 ? 0.5 : -0.5) * size[2];
    const double y = m_Scene.TableY + (i & 4 ? size[1] : 0.0);
    // Turned about the world's y like the cameras: counter-clockwise seen from above.
    out.push_back({c[0] + u * ca + w * sa, y, c[1] - u * sa + w * ca});
  }
  return out;
}

SBox CKavoLayout::ProjectedBox(int view, const std::vector<std::array<double, 3>>& points, int grow) const {
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  for (const auto& p : points) {
    double sx = 0, sy = 0;
    if (!ProjectExact(view, p[0], p[1], p[2], &sx, &sy)) return {-100000, -100000, 1, 1};
    x0 = std::min(x0, sx);
    y0 = std::min(y0, sy);
    x1 = std::max(x1, sx);
    y1 = std::max(y1, sy);
  }
  const int left = static_cast<int>(std::floor(x0)) - grow, top = static_cast<int>(std::floor(y0)) - grow;
  return {left, top, static_cast<int>(std::ceil(x1)) + grow - left, static_cast<int>(std::ceil(y1)) + grow - top};
}

SBox CKavoLayout::SpotBox(const SSceneTable& table, int view, int seat) const {
  SBox box = ProjectedBox(view, CirclePoints(SpotCentre(seat), m_Scene.CircleRadius), 2);
  if (table.SideBet) box = Union(box, ProjectedBox(view, CirclePoints(SideBetCentre(seat), m_Scene.SideBetCircle), 2));
  return box;
}

// ---- controls ----------------------------------------------------------------------------------

// The icon stands outwards of its seat's bet spot, towards the rail, as near to the spot as the
// seat's icon, bubble and tag allow with a gap that leaves room for the time-out meter. Where that
// leaves the screen or reaches under the panel (a far seat seen from the side), the direction turns
// by steps towards either side until the seat's controls fit.
SBox CKavoLayout::IconBox(int view, int seat) const {
  const SBox spot = ProjectedBox(view, CirclePoints(SpotCentre(seat), m_Scene.CircleRadius), 2);
  const int gap = m_Scene.GroupGap;
  const SBox clear{spot.x - gap, spot.y - gap, spot.w + 2 * gap, spot.h + 2 * gap};
  double cx = 0, cy = 0, rx = 0, ry = 0;
  const SWorldPoint c = SpotCentre(seat), r = SeatPoint(seat, m_Scene.IconRadius, 0, 0);
  ProjectExact(view, c.x, m_Scene.TableY, c.z, &cx, &cy);
  ProjectExact(view, r.x, m_Scene.TableY, r.z, &rx, &ry);
  const double out = std::atan2(ry - cy, rx - cx);
  auto place = [&](double angle) {
    const double dx = std::cos(angle), dy = std::sin(angle);
    SBox icon;
    for (int t = 0; t < KAVO_SCREEN_W; ++t) {
      const int x = static_cast<int>(std::lround(cx + dx * t)), y = static_cast<int>(std::lround(cy + dy * t));
      icon = {x - m_Scene.Icon[0] / 2, y - m_Scene.Icon[1] / 2, m_Scene.Icon[0], m_Scene.Icon[1]};
      if (!GroupOf(icon).Overlaps(clear)) break;
    }
    return icon;
  };
  auto fits = [&](const SBox& icon) {
    const SBox group = GroupOf(icon);
    if (!group.OnScreen()) return false;
    for (const auto& a : m_Scene.PanelAreas)
      if (group.Overlaps({a[0], a[1], a[2], a[3]})) return false;
    for (const auto& b : {m_Scene.InfoButton, m_Scene.CloseButton})
      if (group.Overlaps({b[0], b[1], b[2], b[3]})) return false;
    // Clear of the other spots, of every side-bet spot (the same place serves every table) and of
    // the hands' values.
    for (int other = 0; other < KAVO_SEATS; ++other) {
      const SBox s = ProjectedBox(view, CirclePoints(SpotCentre(other), m_Scene.CircleRadius), 2 + gap);
      if (other != seat && group.Overlaps(s)) return false;
      if (group.Overlaps(ProjectedBox(view, CirclePoints(SideBetCentre(other), m_Scene.SideBetCircle), 2))) return false;
    }
    for (int i = 0; i < KAVO_HANDS; ++i)
      if (group.Overlaps(ValueBox(view, i))) return false;
    return true;
  };
  for (int step = 0; step <= 12; ++step)
    for (int side : {1, -1}) {
      const SBox icon = place(out + side * step * kPi / 12);
      if (fits(icon)) return icon;
      if (step == 0) break;
    }
  return place(out);
}

SBox CKavoLayout::GroupOf(const SBox& icon) const {
  const SBox bubble{icon.x + m_Scene.BubbleOffset[0], icon.y + m_Scene.BubbleOffset[1], m_Scene.Bubble[0], m_Scene.Bubble[1]};
  const SBox tag{icon.x + m_Scene.TagOffset[0], icon.y + m_Scene.TagOffset[1], m_Scene.Tag[0], m_Scene.Tag[1]};
  return Union(Union(icon, bubble), tag);
}

SBox CKavoLayout::BubbleBox(int view, int seat) const {
  const SBox icon = IconBox(view, seat);
  return {icon.x + m_Scene.BubbleOffset[0], icon.y + m_Scene.BubbleOffset[1], m_Scene.Bubble[0], m_Scene.Bubble[1]};
}

SBox CKavoLayout::TagBox(int view, int seat) const {
  const SBox icon = IconBox(view, seat);
  return {icon.x + m_Scene.TagOffset[0], icon.y + m_Scene.TagOffset[1], m_Scene.Tag[0], m_Scene.Tag[1]};
}

SBox CKavoLayout::SeatGroup(int view, int seat) const { return GroupOf(IconBox(view, seat)); }

int CKavoLayout::ValueHand(int index) {
  if (index == 15) return KAVO_DEALER;
  const int seat = index / 3, kind = index % 3;
  return kind == 0 ? seat : kind == 1 ? 6 + seat : 11 + seat;
}

SBox CKavoLayout::ValueBox(int view, int index) const {
  const int hand = ValueHand(index);
  const int w = m_Scene.Value[0], h = m_Scene.Value[1];
  int x = 0, y = 0;
  if (hand == KAVO_DEALER) {
    // Below the dealer's cards, towards the players.
    const SWorldPoint p = HandPosition(hand);
    Project(view, {p.x, p.z + m_Scene.CardHeight / 2 + m_Scene.ValueGap}, &x, &y);
    return {x - w / 2, y, w, h};
  }
  // Above a player's hand, towards the dealer: its further cards grow towards the player. A split
  // seat's two texts stand over the middle of the seat, the second hand's above the first's, so
  // they keep clear of the neighbours' when both split.
  const int seat = SeatOfHand(hand), kind = index % 3;
  Project(view, SeatPoint(seat, m_Scene.HandRadius - m_Scene.CardHeight / 2 - m_Scene.ValueGap, 0, 0), &x, &y);
  return {x - w / 2, y - h - (kind == 2 ? h + 1 : 0), w, h};
}

// Over the seat's bet: the windows show once betting is over.
SBox CKavoLayout::InsuranceWindowBox(int view, int seat) const {
  const SBox spot = ProjectedBox(view, CirclePoints(SpotCentre(seat), m_Scene.CircleRadius), 0);
  const int w = m_Scene.InsuranceWindow[0], h = m_Scene.InsuranceWindow[1];
  return {spot.x + spot.w / 2 - w / 2, spot.y + spot.h / 2 - h / 2, w, h};
}

// Under the viewer's own bet spot, in the gap before his icon.
SBox CKavoLayout::TimeoutBox(int view) const {
  const SBox spot = ProjectedBox(view, CirclePoints(SpotCentre(view), m_Scene.CircleRadius), 2);
  const int w = m_Scene.TimeoutMeter[0], h = m_Scene.TimeoutMeter[1];
  return {spot.x + spot.w / 2 - w / 2, spot.y + spot.h + (m_Scene.GroupGap - h) / 2, w, h};
}

SBox CKavoLayout::DiscardBox(int view) const {
  return ProjectedBox(view, BoxCorners(m_Scene.DiscardCentre, m_Scene.DiscardSize, m_Scene.DiscardAngle), 6);
}

// ---- keys --------------------------------------------------------------------------------------

std::vector<SLayoutKey> CKavoLayout::Keys(const SSceneTable& table) const {
  const SScene& s = m_Scene;
  std::vector<SLayoutKey> k;
  std::vector<double> practice, infoButton, infoPopup;
  for (int v = 0; v < KAVO_VIEWS; ++v) {
    practice.insert(practice.end(), {double(s.PracticePlace[0]), double(s.PracticePlace[1])});
    infoButton.insert(infoButton.end(), {double(s.InfoButton[0]), double(s.InfoButton[1]), double(s.InfoButton[2]),
                                         double(s.InfoButton[3])});
    infoPopup.insert(infoPopup.end(), {double(s.InfoPopupPlace[0]), double(s.InfoPopupPlace[1])});
  }
  AddArray(k, "PracticeDlgPosXY", 'l', practice);
  AddArray(k, "TableInfoBtn", 'l', infoButton);
  AddArray(k, "TableInfoPopup", 'l', infoPopup);
  Add(k, "TABLEY", 'd', s.TableY);
  Add(k, "CARDWIDTH", 'l', s.CardPixelsWide);
  Add(k, "CARDHEIGHT", 'l', s.CardPixelsHigh);
  Add(k, "CARDX", 'd', s.CardWidth);
  Add(k, "CARDY", 'd', s.CardHeight);
  Add(k, "CARDROTANGLE", 'd', s.CardRotAngle);

  // The shoe's mouth faces the middle of the table; a card leaves it face down, still tilted as it
  // lay, and lands face down on the felt before the mouth (the deal origin).
  const double shoe = Rad(s.ShoeAngle);
  const double fx = -std::cos(shoe), fz = std::sin(shoe);
  const double mouthX = s.ShoeCentre[0] + fx * s.ShoeSize[2] / 2, mouthZ = s.ShoeCentre[1] + fz * s.ShoeSize[2] / 2;
  Add(k, "CARDHOUSEX", 'd', mouthX);
  Add(k, "CARDHOUSEY", 'd', s.TableY + s.ShoeSize[1] * 0.45);
  Add(k, "CARDHOUSEZ", 'd', mouthZ);
  Add(k, "CARDHOUSEROTX", 'd', 70.0);
  Add(k, "CARDHOUSEROTY", 'd', 0.0);
  Add(k, "CARDHOUSEROTZ", 'd', s.ShoeAngle + 90.0);
  Add(k, "DEALORGX", 'd', mouthX + fx * 0.09);
  Add(k, "DEALORGY", 'd', s.TableY);
  Add(k, "DEALORGZ", 'd', mouthZ + fz * 0.09);
  Add(k, "DEALORGROTX", 'd', 90.0);
  Add(k, "DEALORGROTY", 'd', 0.0);
  Add(k, "DEALORGROTZ", 'd', s.ShoeAngle + 90.0);
  Add(k, "DISCARDXPOS", 'd', s.DiscardCentre[0]);
  Add(k, "DISCARDYPOS", 'd', s.TableY + s.DiscardSize[1] * 0.6);
  Add(k, "DISCARDZPOS", 'd', s.DiscardCentre[1]);
  Add(k, "DISCARDROTX", 'd', 90.0);
  Add(k, "DISCARDROTY", 'd', 0.0);
  Add(k, "DISCARDROTZ", 'd', s.DiscardAngle + 90.0);

  std::vector<double> deckPos, deckRot, deckOffset;
  for (int i = 0; i < KAVO_HANDS; ++i) {
    AddXZ(deckPos, HandPosition(i));
    deckRot.push_back(HandRotation(i));
    if (i == KAVO_DEALER) {
      deckOffset.insert(deckOffset.end(), {s.DealerStep[0], s.DealerStep[1]});
    } else {
      // Each further card a little to the player's right and towards him, so the ranks below show.
      const int seat = SeatOfHand(i);
      const SWorldPoint c = SeatPoint(seat, s.HandRadius, 0, 0), step = SeatPoint(seat, s.HandRadius, s.CardStep[0], s.CardStep[1]);
      deckOffset.insert(deckOffset.end(), {step.x - c.x, step.z - c.z});
    }
  }
  AddArray(k, "DECKPOS", 'd', deckPos);
  AddArray(k, "DECKROTZ", 'd', deckRot);
  AddArray(k, "DECKOFFSET", 'd', deckOffset);

  // Every view's camera position, then every view's rotation, each as three keys.
  for (const char* part : {"CAMERA", "CAMERAROT"})
    for (int v = 0; v < KAVO_VIEWS; ++v) {
      double a[3] = {};
      const CCamera* camera = m_Views[v].GetActiveCamera();
      if (std::string(part) == "CAMERA") camera->GetPosition(&a[0], &a[1], &a[2]);
      else camera->GetRotate(&a[0], &a[1], &a[2]);
      for (int i = 0; i < 3; ++i) k.push_back({part + std::string(1, "XYZ"[i]) + std::to_string(v), 'd', 0, {a[i]}});
    }
  AddArray(k, "LIGHTPOS", 'd', {s.Light[0], s.TableY + s.Light[1], s.Light[2], s.TableY});
  Add(k, "SCANXOFFSET", 'd', s.ScanOffset[0]);
  Add(k, "SCANYOFFSET", 'd', s.ScanOffset[1]);
  Add(k, "SCANXROT", 'd', s.ScanRotX);
  AddArray(k, "XDEALEROFFSET", 'd', std::vector<double>(KAVO_SEATS, 0.0));
  AddArray(k, "YDEALEROFFSET", 'd', std::vector<double>(KAVO_SEATS, 0.0));
  Add(k, "HFOV", 'd', s.HFov);
  Add(k, "VFOV", 'd', s.VFov);

  std::vector<double> chips, handOut, insurance;
  for (int seat = 0; seat < KAVO_SEATS; ++seat) {
    for (const auto* row : {&s.Split1, &s.Unsplit, &s.Split2})
      for (const TPair& p : *row) AddXZ(chips, SeatPoint(seat, s.SpotRadius, p[0], p[1]));
    if (table.SideBet) AddXZ(chips, SideBetCentre(seat));
    for (const TPair& p : s.HandOut) AddXZ(handOut, SeatPoint(seat, s.SpotRadius, p[0], p[1]));
    if (table.SideBet) AddXZ(handOut, SeatPoint(seat, s.SideBetRadius, s.SideBetHandOut[0], s.SideBetHandOut[1]));
    for (const TPair& p : s.InsuranceSpots)
      AddXZ(insurance, SeatPoint(seat, (s.InsuranceInner + s.InsuranceOuter) / 2, p[0], p[1]));
  }
  AddArray(k, "CHIP3DCOORDS", 'd', chips);
  AddArray(k, "HANDOUT3DCOORDS", 'd', handOut);

  // One clear area a view: the discard tray as that view shows it, so cards discarded in any view
  // leave the table at the next round.
  std::vector<double> clear;
  for (int v = 0; v < KAVO_VIEWS; ++v) AddBox(clear, DiscardBox(v));
  Add(k, "NUM_CLEARAREAS", 'l', KAVO_VIEWS);
  AddArray(k, "CLEAR_COORDS", 'l', clear);

  std::vector<double> dealer;
  for (int v = 0; v < KAVO_VIEWS; ++v) {
    int x = 0, y = 0;
    Project(v, {s.RackCentre[0], s.RackCentre[1]}, &x, &y);
    dealer.insert(dealer.end(), {double(x), double(y)});
  }
  AddArray(k, "DEALER_COORDS", 'l', dealer);
  AddArray(k, "INSURANCECOORDS", 'd', insurance);

  // Three arrows a seat: its hand, its second split hand, its first split hand. Each lies on the
  // felt before the hand, pointing at it, and slides between two points towards it.
  std::vector<double> arrows, arrowRot;
  static const int kArrowHands[3][KAVO_SEATS] = {{0, 1, 2, 3, 4}, {11, 12, 13, 14, 15}, {6, 7, 8, 9, 10}};
  for (const auto& row : kArrowHands)
    for (int seat = 0; seat < KAVO_SEATS; ++seat) {
      const double u = row[seat] < KAVO_SEATS ? 0 : row[seat] < 11 ? -s.SplitU : s.SplitU;
      const double near = s.ArrowRadius - s.HandRadius;
      AddXZ(arrows, SeatPoint(seat, s.HandRadius, u, near + s.ArrowLength));
      AddXZ(arrows, SeatPoint(seat, s.HandRadius, u, near));
    }
  for (int arrow = 0; arrow < 3 * KAVO_SEATS; ++arrow)
    arrowRot.insert(arrowRot.end(), {s.ArrowRotX, 0.0, 180.0 - s.SeatAngles[arrow % KAVO_SEATS]});
  AddArray(k, "ARROWCOORDS", 'd', arrows);
  AddArray(k, "ARROWROT", 'd', arrowRot);
  Add(k, "ARROWXSIZE", 'd', s.ArrowWidth);
  Add(k, "ARROWYSIZE", 'd', s.ArrowHeight);
  Add(k, "SHADOWOFFSET", 'd', s.ShadowOffset);

  std::vector<double> spots, icons, bubbles, values, windows, meters;
  for (int v = 0; v < KAVO_VIEWS; ++v) {
    for (int seat = 0; seat < KAVO_SEATS; ++seat) {
      AddBox(spots, SpotBox(table, v, seat));
      AddXY(icons, IconBox(v, seat));
      AddXY(bubbles, BubbleBox(v, seat));
      AddXY(windows, InsuranceWindowBox(v, seat));
    }
    for (int i = 0; i < KAVO_HANDS; ++i) AddXY(values, ValueBox(v, i));
    AddXY(meters, TimeoutBox(v));
  }
  AddArray(k, "SPOTCOORDS", 'l', spots);
  AddArray(k, "PLAYERICON_COORDS", 'l', icons);
  AddArray(k, "THINKBUBBLE_COORDS", 'l', bubbles);
  AddArray(k, "TAG_OFFSET", 'l', {double(s.TagOffset[0]), double(s.TagOffset[1])});
  AddArray(k, "NAMETAG_OFFSET", 'l', {double(s.NameOffset[0]), double(s.NameOffset[1])});
  AddArray(k, "CASHTAG_OFFSET", 'l', {double(s.CashOffset[0]), double(s.CashOffset[1])});
  AddArray(k, "BETREMOVE_OFFSET", 'l', {double(s.BetRemoveOffset[0]), double(s.BetRemoveOffset[1])});
  AddArray(k, "CARDVALUE_COORDS", 'l', values);
  AddArray(k, "INSURANCEWINDOWS_COORDS", 'l', windows);
  AddArray(k, "TIMEOUTMETER_POS", 'l', meters);
  Add(k, "CHIPXSIZE", 'l', s.Chip[0]);
  Add(k, "CHIPYSIZE", 'l', s.Chip[1]);
  Add(k, "PLAYERICONS_WIDTH", 'l', s.Icon[0]);
  Add(k, "PLAYERICONS_HEIGHT", 'l', s.Icon[1]);
  Add(k, "PLAYERICONS_MALE", 'l', s.IconsMale);
  Add(k, "PLAYERICONS_FEMALE", 'l', s.IconsFemale);
  Add(k, "PLAYERICONS_OTHER", 'l', s.IconsOther);
  return k;
}

// ---- spot map ----------------------------------------------------------------------------------

std::vector<uint8_t> CKavoLayout::SpotMap(const SSceneTable& table, int view) const {
  std::vector<uint8_t> map(static_cast<size_t>(KAVO_MAP_W) * KAVO_MAP_H, 0);
  const double r2 = m_Scene.CircleRadius * m_Scene.CircleRadius, s2 = m_Scene.SideBetCircle * m_Scene.SideBetCircle;
  for (int my = 0; my < KAVO_MAP_H; ++my)
    for (int mx = 0; mx < KAVO_MAP_W; ++mx) {
      // A map pixel stands for the screen's 2 x 2 pixels from (2 mx, 2 my): their middle.
      SWorldPoint p;
      if (!Unproject(view, 2 * mx + 1.0, 2 * my + 1.0, &p)) continue;
      uint8_t value = 0;
      for (int seat = 0; seat < KAVO_SEATS && !value; ++seat) {
        const SWorldPoint c = SpotCentre(seat);
        if ((p.x - c.x) * (p.x - c.x) + (p.z - c.z) * (p.z - c.z) <= r2) value = static_cast<uint8_t>(seat + 1);
        const SWorldPoint b = SideBetCentre(seat);
        if (table.SideBet && (p.x - b.x) * (p.x - b.x) + (p.z - b.z) * (p.z - b.z) <= s2)
          value = static_cast<uint8_t>(seat + 6);
      }
      map[static_cast<size_t>(my) * KAVO_MAP_W + mx] = value;
    }
  return map;
}

// ---- checks ------------------------------------------------------------------------------------

std::vector<std::string> CKavoLayout::Check(const SSceneTable& table) const {
  const SScene& s = m_Scene;
  std::vector<std::string> errors;
  auto fail = [&errors](const std::string& what) { errors.push_back(what); };

  // Bet spots apart from one another, in the world.
  struct SCircle {
    std::string Name;
    SWorldPoint Centre;
    double Radius;
  };
  std::vector<SCircle> circles;
  for (int seat = 0; seat < KAVO_SEATS; ++seat) {
    circles.push_back({Name("the bet spot", seat), SpotCentre(seat), s.CircleRadius});
    if (table.SideBet) circles.push_back({Name("the side-bet spot", seat), SideBetCentre(seat), s.SideBetCircle});
  }
  for (size_t i = 0; i < circles.size(); ++i)
    for (size_t j = i + 1; j < circles.size(); ++j) {
      const double dx = circles[i].Centre.x - circles[j].Centre.x, dz = circles[i].Centre.z - circles[j].Centre.z;
      if (std::hypot(dx, dz) <= circles[i].Radius + circles[j].Radius)
        fail(circles[i].Name + " and " + circles[j].Name + " overlap");
    }

  for (int v = 0; v < KAVO_VIEWS; ++v) {
    // What the view places: each seat's group, the hand values, the insurance windows, the time-out
    // meter, the table-information button and the panel.
    struct SPlaced {
      std::string Name;
      SBox Box;
      int Seat;  // -1 none
      int Kind;  // 0 seat group, 1 hand value, 2 insurance window, 3 other
      int Hand;  // value texts: 0 the hand, 1 and 2 its split hands
    };
    std::vector<SPlaced> placed;
    for (int seat = 0; seat < KAVO_SEATS; ++seat) placed.push_back({Name("the icon and tags", seat), SeatGroup(v, seat), seat, 0, 0});
    for (int i = 0; i < KAVO_HANDS; ++i) {
      const bool dealer = i == 15;
      const std::string name = dealer ? std::string("the dealer's hand value")
                                      : Name(i % 3 == 0 ? "the hand value" : i % 3 == 1 ? "the first split hand's value" : "the second split hand's value", i / 3);
      placed.push_back({name, ValueBox(v, i), dealer ? -1 : i / 3, 1, dealer ? 0 : i % 3});
    }
    for (int seat = 0; seat < KAVO_SEATS; ++seat)
      placed.push_back({Name("the insurance window", seat), InsuranceWindowBox(v, seat), seat, 2, 0});
    placed.push_back({"the time-out meter", TimeoutBox(v), -1, 3, 0});
    placed.push_back({"the table-information button", {s.InfoButton[0], s.InfoButton[1], s.InfoButton[2], s.InfoButton[3]}, -1, 3, 0});
    placed.push_back({"the close box", {s.CloseButton[0], s.CloseButton[1], s.CloseButton[2], s.CloseButton[3]}, -1, 3, 0});

    for (const SPlaced& p : placed)
      if (!p.Box.OnScreen()) fail(p.Name + " is off the screen" + In(v));
    for (size_t i = 0; i < placed.size(); ++i)
      for (size_t j = i + 1; j < placed.size(); ++j) {
        const SPlaced &a = placed[i], &b = placed[j];
        // A split seat empties its own hand's value: that text never shows beside its split ones.
        if (a.Kind == 1 && b.Kind == 1 && a.Seat == b.Seat && a.Seat >= 0 && (a.Hand == 0) != (b.Hand == 0)) continue;
        if (a.Box.Overlaps(b.Box)) fail(a.Name + " and " + b.Name + " overlap" + In(v));
      }
    for (const auto& area : s.PanelAreas) {
      const SBox panel{area[0], area[1], area[2], area[3]};
      for (const SPlaced& p : placed)
        if (p.Kind != 2 && p.Box.Overlaps(panel)) fail(p.Name + " lies under the control panel" + In(v));
    }

    for (int seat = 0; seat < KAVO_SEATS; ++seat) {
      const SBox spot = SpotBox(table, v, seat);
      if (!spot.OnScreen()) fail(Name("the bet spot", seat) + " falls off the picture" + In(v));
      // The insurance windows show only once betting is over, when no spot takes a click.
      for (const SPlaced& p : placed)
        if (p.Kind != 2 && spot.Overlaps(p.Box)) fail(Name("the bet spot", seat) + " hides under " + p.Name + In(v));
      for (const auto& area : s.PanelAreas)
        if (spot.Overlaps({area[0], area[1], area[2], area[3]}))
          fail(Name("the bet spot", seat) + " hides under the control panel" + In(v));
    }

    for (int i = 0; i < KAVO_HANDS; ++i) {
      const SWorldPoint p = HandPosition(i);
      int x = 0, y = 0;
      const std::string hand = "hand position " + std::to_string(i);
      if (!Project(v, p, &x, &y) || x < 0 || y < 0 || x >= KAVO_SCREEN_W || y >= KAVO_SCREEN_H) {
        fail(hand + " falls off the picture" + In(v));
        continue;
      }
      for (const SCircle& c : circles)
        if (std::hypot(p.x - c.Centre.x, p.z - c.Centre.z) <= c.Radius) fail(hand + " lies on " + c.Name);
    }
  }
  std::sort(errors.begin(), errors.end());
  errors.erase(std::unique(errors.begin(), errors.end()), errors.end());
  return errors;
}
