// The blackjack table's layout as its main script's data chunk gives it: the 3-D scene, the chip
// and hand places, the seat controls of each view and the table's switches. The table's set-up
// fills it; until then it holds zeros, and the practice dialog positions -1.
#pragma once

#include <cstdint>

inline constexpr int32_t KAVO_VIEWS = 5;
inline constexpr int32_t KAVO_HAND_POSITIONS = 16;  // seats, dealer, first and second split hands
inline constexpr int32_t KAVO_CHIP_SPOTS = 9;        // bet spots of a seat
inline constexpr int32_t KAVO_HANDOUT_SPOTS = 3;     // hand-out points of a seat
inline constexpr int32_t KAVO_INSURANCE_SPOTS = 2;   // insurance spots of a seat
inline constexpr int32_t KAVO_CHIP_KINDS = 6;        // five denominations and the sixth value
// The side-bet table's script gives each seat one more bet spot (the side bet's) and one more
// hand-out point (where its win lands) after the regular ones.
inline constexpr int32_t KAVO_SIDEBET_CHIP_SPOTS = KAVO_CHIP_SPOTS + 1;
inline constexpr int32_t KAVO_SIDEBET_HANDOUT_SPOTS = KAVO_HANDOUT_SPOTS + 1;

struct SKavoLayout {
  int32_t PracticeDlgPosXY[2 * KAVO_VIEWS];
  int32_t TableInfoBtn[4 * KAVO_VIEWS];
  int32_t TableInfoPopup[2 * KAVO_VIEWS];
  int32_t MaxCardsInPocket;
  int32_t NumPockets;
  double TableY;
  int32_t CardWidth, CardHeight;
  double CardX, CardY;
  double CardRotAngle;
  double CardHouse[6];  // x, y, z, rotation x, y, z
  double DealOrg[6];
  double Discard[6];
  double DeckPos[2 * KAVO_HAND_POSITIONS];
  double DeckRotZ[KAVO_HAND_POSITIONS];
  double DeckOffset[2 * KAVO_HAND_POSITIONS];
  double DeckSpeed[6];
  double ClearSpeedSmall, ClearSpeedBig;
  double TableYStrength;
  double SplitSpeed, Deck5TurnSpeed, ScanSpeed;
  double Camera[KAVO_VIEWS][3];
  double CameraRot[KAVO_VIEWS][3];
  double LightPos[4];
  double ScanXOffset, ScanYOffset, ScanXRot;
  double XDealerOffset[KAVO_VIEWS], YDealerOffset[KAVO_VIEWS];
  double HFov, VFov;
  double Chip3DCoords[2 * KAVO_CHIP_SPOTS * KAVO_VIEWS];
  double Handout3DCoords[2 * KAVO_HANDOUT_SPOTS * KAVO_VIEWS];
  // The side-bet table's extra spot and point of each seat (x, z); zeros at the other tables.
  double SideBetChip3DCoords[2 * KAVO_VIEWS];
  double SideBetHandout3DCoords[2 * KAVO_VIEWS];
  int32_t NumClearAreas;
  int32_t ChipXSize, ChipYSize;
  int32_t DealerCoords[2 * KAVO_VIEWS];
  int32_t PanelAnimFrames;
  int32_t WinWaitTime, SayWaitTime;
  double InsuranceCoords[2 * KAVO_INSURANCE_SPOTS * KAVO_VIEWS];
  double ArrowCoords[60];
  double ArrowRot[45];
  double ArrowXSize, ArrowYSize;
  double ShadowOffset;
  int32_t PlayerIconCoords[2 * KAVO_VIEWS * KAVO_VIEWS];
  int32_t ThinkBubbleCoords[2 * KAVO_VIEWS * KAVO_VIEWS];
  int32_t TagOffset[2], NameTagOffset[2], CashTagOffset[2], BetRemoveOffset[2];
  int32_t CardValueCoords[2 * KAVO_HAND_POSITIONS * KAVO_VIEWS];
  int32_t InsuranceWindowsCoords[2 * KAVO_VIEWS * KAVO_VIEWS];
  int32_t TimeoutMeterPos[2 * KAVO_VIEWS];
  int32_t PlayerIconsWidth, PlayerIconsHeight, PlayerIconsMale, PlayerIconsFemale, PlayerIconsOther;
  int32_t ShowOtherUsersCash;
};
