// The blackjack table's scene description (scene.json): its shape, seats, dealer side, cards,
// cameras and the places of the table's controls, in metres, degrees and screen pixels.
#pragma once

#include <array>
#include <string>
#include <vector>

using TPair = std::array<double, 2>;
using TSize = std::array<int, 2>;

inline constexpr int KAVO_SEATS = 5;

struct SSceneTable {
  std::string Name;        // file names start with it: pictures/kavo/<name>_table<v>.bmp
  std::string Script;      // the main script, in data/xrs and xrs/
  std::string DealerRule;  // printed on the felt
  std::string Limits;      // the limits script whose "DRAWONSOFT17" the rule follows
  bool SideBet = false;
  int Decks = 6;
  int MaxHands = 5;
};

struct SScene {
  double TableY = 0;
  double CardWidth = 0, CardHeight = 0, CardRotAngle = 0;
  int CardPixelsWide = 0, CardPixelsHigh = 0;
  double FeltRadius = 0, RailInner = 0, RailOuter = 0, RailHeight = 0;
  std::array<double, KAVO_SEATS> SeatAngles{};
  double SpotRadius = 0, CircleRadius = 0, SideBetRadius = 0, SideBetCircle = 0, HandRadius = 0, SplitU = 0;
  TPair CardStep{}, DealerStep{};
  std::array<TPair, 3> Unsplit{}, Split1{}, Split2{};
  std::array<TPair, 3> HandOut{};
  TPair SideBetHandOut{};
  double InsuranceInner = 0, InsuranceOuter = 0;
  std::array<TPair, 2> InsuranceSpots{};
  double ArrowRadius = 0, ArrowLength = 0, ArrowWidth = 0, ArrowHeight = 0, ShadowOffset = 0, ArrowRotX = 0;
  TPair DealerHand{}, ScanOffset{};
  double ScanRotX = 0;
  TPair ShoeCentre{}, DiscardCentre{}, RackCentre{};
  std::array<double, 3> ShoeSize{}, DiscardSize{}, RackSize{};
  double ShoeAngle = 0, DiscardAngle = 0;
  double CameraYawScale = 1, CameraRadius = 0, CameraHeight = 0, CameraPitch = 0, HFov = 0, VFov = 0;
  std::array<double, 3> Light{};
  std::vector<SSceneTable> Tables;

  // Controls, in pixels; offsets are (x, y).
  TSize Chip{};  // a chip of the small chip strips, in pixels
  int IconsMale = 0, IconsFemale = 0, IconsOther = 0;
  TSize Icon{}, Bubble{}, BubbleOffset{}, Tag{}, TagOffset{}, NameOffset{}, CashOffset{}, BetRemoveOffset{};
  double IconRadius = 0;  // the icons stand outwards of the spots, towards this radius
  int GroupGap = 0;       // pixels between a bet spot and its seat's icon and tags
  TSize Value{};
  double ValueGap = 0, ValueSplitU = 0;
  TSize InsuranceWindow{};
  TSize TimeoutMeter{};
  std::array<int, 4> InfoButton{}, CloseButton{};  // x, y, width, height
  TSize InfoPopup{}, InfoPopupPlace{}, PracticeDialog{}, PracticePlace{};
  // Screen areas the control panel covers (x, y, width, height): no bet spot or seat control
  // may lie under them.
  std::vector<std::array<int, 4>> PanelAreas;
};

// Reads and checks the description; false with a message naming the field otherwise.
bool xReadScene(const std::string& path, SScene* scene, std::string* error);
