#include "client/layoutkeys.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "ostrel/kcbl/kcbl.h"

namespace {

using EType = EKavoKeyType;
constexpr bool kRequired = true, kOptional = false;
// A key whose count the read finds out ("CLEAR_COORDS").
constexpr int32_t kCountOfAreas = -1;

// One key and where its values go.
struct SKeyPlace {
  SKavoLayoutKey Key;
  void* Into;  // int32_t, uint32_t or double values as the type says
};

class CKeyList {
 public:
  void Add(std::string name, EType type, int32_t count, bool required, void* into) {
    m_Keys.push_back({{std::move(name), type, count, required}, into});
  }
  void Long(const char* name, int32_t* into, int32_t count = 0) { Add(name, EType::Long, count, kRequired, into); }
  void Double(const char* name, double* into, int32_t count = 0) { Add(name, EType::Double, count, kRequired, into); }
  // Six keys named prefix + the suffixes, into six doubles.
  void Pose(const char* x, const char* y, const char* z, const char* rx, const char* ry, const char* rz, double* into) {
    const char* names[] = {x, y, z, rx, ry, rz};
    for (int32_t i = 0; i < 6; ++i) Double(names[i], into + i);
  }
  std::vector<SKeyPlace>& Keys() { return m_Keys; }

 private:
  std::vector<SKeyPlace> m_Keys;
};

// The keys, in reading order, each pointing into read.
std::vector<SKeyPlace> KeysInto(SKavoLayoutRead& read) {
  SKavoLayout& l = read.Layout;
  CKeyList k;
  k.Add("PracticeDlgPosXY", EType::Long, 2 * KAVO_VIEWS, kOptional, l.PracticeDlgPosXY);
  k.Long("TableInfoBtn", l.TableInfoBtn, 4 * KAVO_VIEWS);
  k.Long("TableInfoPopup", l.TableInfoPopup, 2 * KAVO_VIEWS);
  k.Long("MAXCARDSINPOCKET", &l.MaxCardsInPocket);
  k.Long("NUMPOCKETS", &l.NumPockets);
  k.Double("TABLEY", &l.TableY);
  k.Long("CARDWIDTH", &l.CardWidth);
  k.Long("CARDHEIGHT", &l.CardHeight);
  k.Double("CARDX", &l.CardX);
  k.Double("CARDY", &l.CardY);
  k.Double("CARDROTANGLE", &l.CardRotAngle);
  k.Pose("CARDHOUSEX", "CARDHOUSEY", "CARDHOUSEZ", "CARDHOUSEROTX", "CARDHOUSEROTY", "CARDHOUSEROTZ", l.CardHouse);
  k.Pose("DEALORGX", "DEALORGY", "DEALORGZ", "DEALORGROTX", "DEALORGROTY", "DEALORGROTZ", l.DealOrg);
  k.Pose("DISCARDXPOS", "DISCARDYPOS", "DISCARDZPOS", "DISCARDROTX", "DISCARDROTY", "DISCARDROTZ", l.Discard);
  k.Double("DECKPOS", l.DeckPos, 2 * KAVO_HAND_POSITIONS);
  k.Double("DECKROTZ", l.DeckRotZ, KAVO_HAND_POSITIONS);
  k.Double("DECKOFFSET", l.DeckOffset, 2 * KAVO_HAND_POSITIONS);
  k.Double("DECKSPEED", l.DeckSpeed, 6);
  k.Double("CLEARSPEEDSMALL", &l.ClearSpeedSmall);
  k.Double("CLEARSPEEDBIG", &l.ClearSpeedBig);
  k.Double("TABLEYSTRENGTH", &l.TableYStrength);
  k.Double("SPLITSPEED", &l.SplitSpeed);
  k.Double("DECK5TURNSPEED", &l.Deck5TurnSpeed);
  k.Double("SCANSPEED", &l.ScanSpeed);
  const char* axes[] = {"X", "Y", "Z"};
  for (int32_t v = 0; v < KAVO_VIEWS; ++v)
    for (int32_t a = 0; a < 3; ++a)
      k.Add(std::string("CAMERA") + axes[a] + std::to_string(v), EType::Double, 0, kRequired, &l.Camera[v][a]);
  for (int32_t v = 0; v < KAVO_VIEWS; ++v)
    for (int32_t a = 0; a < 3; ++a)
      k.Add(std::string("CAMERAROT") + axes[a] + std::to_string(v), EType::Double, 0, kRequired, &l.CameraRot[v][a]);
  k.Double("LIGHTPOS", l.LightPos, 4);
  k.Double("SCANXOFFSET", &l.ScanXOffset);
  k.Double("SCANYOFFSET", &l.ScanYOffset);
  k.Double("SCANXROT", &l.ScanXRot);
  k.Double("XDEALEROFFSET", l.XDealerOffset, KAVO_VIEWS);
  k.Double("YDEALEROFFSET", l.YDealerOffset, KAVO_VIEWS);
  k.Double("HFOV", &l.HFov);
  k.Double("VFOV", &l.VFov);
  k.Double("CHIP3DCOORDS", read.Chip3DAll, 2 * read.ChipSpotsPerSeat * KAVO_VIEWS);
  k.Double("HANDOUT3DCOORDS", read.Handout3DAll, 2 * read.HandoutSpotsPerSeat * KAVO_VIEWS);
  k.Long("NUM_CLEARAREAS", &l.NumClearAreas);
  k.Add("CLEAR_COORDS", EType::Long, kCountOfAreas, kRequired, &read.ClearCoords);
  k.Long("CHIPXSIZE", &l.ChipXSize);
  k.Long("CHIPYSIZE", &l.ChipYSize);
  k.Long("DEALER_COORDS", l.DealerCoords, 2 * KAVO_VIEWS);
  k.Long("PANEL_ANIMFRAMES", &l.PanelAnimFrames);
  k.Long("WINWAITTIME", &l.WinWaitTime);
  k.Long("SAYWAITTIME", &l.SayWaitTime);
  k.Double("INSURANCECOORDS", l.InsuranceCoords, 2 * KAVO_INSURANCE_SPOTS * KAVO_VIEWS);
  k.Double("ARROWCOORDS", l.ArrowCoords, 60);
  k.Double("ARROWROT", l.ArrowRot, 45);
  k.Double("ARROWXSIZE", &l.ArrowXSize);
  k.Double("ARROWYSIZE", &l.ArrowYSize);
  k.Double("SHADOWOFFSET", &l.ShadowOffset);
  k.Long("SPOTCOORDS", read.SpotCoords, SPOT_COORDS);
  k.Long("PLAYERICON_COORDS", l.PlayerIconCoords, 2 * KAVO_VIEWS * KAVO_VIEWS);
  k.Long("THINKBUBBLE_COORDS", l.ThinkBubbleCoords, 2 * KAVO_VIEWS * KAVO_VIEWS);
  k.Long("TAG_OFFSET", l.TagOffset, 2);
  k.Long("NAMETAG_OFFSET", l.NameTagOffset, 2);
  k.Long("CASHTAG_OFFSET", l.CashTagOffset, 2);
  k.Long("BETREMOVE_OFFSET", l.BetRemoveOffset, 2);
  k.Long("CARDVALUE_COORDS", l.CardValueCoords, 2 * KAVO_HAND_POSITIONS * KAVO_VIEWS);
  k.Long("INSURANCEWINDOWS_COORDS", l.InsuranceWindowsCoords, 2 * KAVO_VIEWS * KAVO_VIEWS);
  k.Long("TIMEOUTMETER_POS", l.TimeoutMeterPos, 2 * KAVO_VIEWS);
  k.Long("PLAYERICONS_WIDTH", &l.PlayerIconsWidth);
  k.Long("PLAYERICONS_HEIGHT", &l.PlayerIconsHeight);
  k.Long("PLAYERICONS_MALE", &l.PlayerIconsMale);
  k.Long("PLAYERICONS_FEMALE", &l.PlayerIconsFemale);
  k.Long("PLAYERICONS_OTHER", &l.PlayerIconsOther);
  k.Long("MAXNUMHANDS", &read.MaxNumHands);
  k.Add("SHOWOTHERUSERSCASH", EType::Bool, 0, kOptional, &l.ShowOtherUsersCash);
  k.Add("CHIP_VALUES", EType::ULong, KAVO_CHIP_KINDS, kOptional, read.ChipValues);
  k.Add("MAXROUNDSBEFOREMSG", EType::Long, 0, kOptional, &read.MaxRoundsBeforeMsg);
  k.Add("CASHIERMSGTIME", EType::Long, 0, kOptional, &read.CashierMsgTime);
  return std::move(k.Keys());
}

// A value as a double, and whether it is one of the type.
bool OfType(EType type, double v) {
  if (!std::isfinite(v)) return false;
  switch (type) {
    case EType::Long:
      return v == std::trunc(v) && v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
    case EType::ULong:
      return v == std::trunc(v) && v >= 0 && v <= std::numeric_limits<uint32_t>::max();
    case EType::Bool:
      return v == 0 || v == 1;
    case EType::Double:
      return true;
  }
  return false;
}

void Store(EType type, void* into, int32_t i, double v) {
  switch (type) {
    case EType::Long:
    case EType::Bool:
      static_cast<int32_t*>(into)[i] = static_cast<int32_t>(v);
      break;
    case EType::ULong:
      static_cast<uint32_t*>(into)[i] = static_cast<uint32_t>(v);
      break;
    case EType::Double:
      static_cast<double*>(into)[i] = v;
      break;
  }
}

// The single value of the current item.
bool ReadOne(CKCBL& data, EType type, void* into) {
  if (data.GetNumStrings() != 1 || data.GetDataType(0) != 2) return false;
  double v = 0;
  if (type == EType::Bool) {
    int32_t b = 0;
    if (!data.GetBool(0, &b)) return false;
    v = b;
  } else if (!data.GetDouble(0, &v)) {
    return false;
  }
  if (!OfType(type, v)) return false;
  Store(type, into, 0, v);
  return true;
}

// The array value of the current item, of exactly count elements (at least, for the clear
// areas, whose count is checked against "NUM_CLEARAREAS" afterwards).
bool ReadArray(CKCBL& data, EType type, int32_t count, std::vector<double>& values) {
  int32_t n = 0;
  if (data.GetNumStrings() != 1 || data.GetDataType(0) != 3 || !data.GetNumArrayItems(0, &n)) return false;
  if (count >= 0 && n != count) return false;
  values.assign(static_cast<size_t>(n), 0.0);
  if (n > 0 && !data.GetDoubleArray(0, values.data(), n)) return false;
  for (double v : values)
    if (!OfType(type, v)) return false;
  return true;
}

const char* TypeName(EType type) {
  switch (type) {
    case EType::Long: return "long";
    case EType::ULong: return "unsigned long";
    case EType::Double: return "double";
    case EType::Bool: return "bool";
  }
  return "?";
}

bool ReadKey(CKCBL& data, const SKeyPlace& place, std::string& fault) {
  const SKavoLayoutKey& key = place.Key;
  data.FirstItem();
  if (!data.FindItem(key.Name.c_str())) {
    if (!key.Required) return true;
    fault = "lacks the key \"" + key.Name + "\"";
    return false;
  }
  bool ok = false;
  if (key.Count == 0) {
    ok = ReadOne(data, key.Type, place.Into);
  } else {
    std::vector<double> values;
    ok = ReadArray(data, key.Type, key.Count, values);
    if (ok && key.Count == kCountOfAreas) {
      auto& into = *static_cast<std::vector<int32_t>*>(place.Into);
      into.assign(values.begin(), values.end());
    } else if (ok) {
      for (int32_t i = 0; i < key.Count; ++i) Store(key.Type, place.Into, i, values[static_cast<size_t>(i)]);
    }
  }
  if (!ok) {
    fault = "has the key \"" + key.Name + "\" not as " +
            (key.Count == 0 ? std::string("one ") + TypeName(key.Type)
             : key.Count > 0 ? std::to_string(key.Count) + " " + TypeName(key.Type) + " values"
                             : std::string("an array of ") + TypeName(key.Type) + " values");
  }
  return ok;
}

// The rules between values that the table's code relies on.
bool HoldsTogether(const SKavoLayoutRead& read, std::string& fault) {
  const SKavoLayout& l = read.Layout;
  auto refuse = [&](const char* key, const char* why) {
    fault = std::string("has the key \"") + key + "\" " + why;
    return false;
  };
  if (l.MaxCardsInPocket != KAVO_MAX_CARDS_IN_POCKET) return refuse("MAXCARDSINPOCKET", "other than 20");
  if (l.NumPockets != KAVO_HAND_POSITIONS) return refuse("NUMPOCKETS", "other than 16");
  const struct {
    const char* Key;
    double Size;
  } sizes[] = {{"CARDWIDTH", double(l.CardWidth)}, {"CARDHEIGHT", double(l.CardHeight)},
               {"CARDX", l.CardX}, {"CARDY", l.CardY},
               {"CHIPXSIZE", double(l.ChipXSize)}, {"CHIPYSIZE", double(l.ChipYSize)},
               {"ARROWXSIZE", l.ArrowXSize}, {"ARROWYSIZE", l.ArrowYSize},
               {"PLAYERICONS_WIDTH", double(l.PlayerIconsWidth)}, {"PLAYERICONS_HEIGHT", double(l.PlayerIconsHeight)},
               {"PANEL_ANIMFRAMES", double(l.PanelAnimFrames)}};
  for (const auto& s : sizes)
    if (s.Size <= 0) return refuse(s.Key, "at 0 or below");
  for (int32_t i = 0; i < SPOT_COORDS; i += 4)
    if (read.SpotCoords[i + 2] <= 0 || read.SpotCoords[i + 3] <= 0) return refuse("SPOTCOORDS", "with a size at 0 or below");
  if (l.PlayerIconsMale < 0 || l.PlayerIconsFemale < 0 || l.PlayerIconsOther < 0)
    return refuse("PLAYERICONS_MALE", "or its neighbours below 0");
  if (l.NumClearAreas < 0) return refuse("NUM_CLEARAREAS", "below 0");
  if (static_cast<int64_t>(l.NumClearAreas) * 4 > static_cast<int64_t>(read.ClearCoords.size()))
    return refuse("NUM_CLEARAREAS", "beyond what \"CLEAR_COORDS\" holds");
  for (int32_t a = 0; a < l.NumClearAreas; ++a)
    if (read.ClearCoords[4 * a + 2] <= 0 || read.ClearCoords[4 * a + 3] <= 0)
      return refuse("CLEAR_COORDS", "with a size at 0 or below");
  return true;
}

// The seats' spots as read, seat after seat, into the regular places and, past them, the
// side-bet table's own.
void SplitSeatSpots(SKavoLayoutRead& read) {
  SKavoLayout& l = read.Layout;
  const auto split = [](const double* all, int32_t perSeat, double* regular, int32_t regularPerSeat, double* extra) {
    for (int32_t seat = 0; seat < KAVO_VIEWS; ++seat)
      for (int32_t k = 0; k < perSeat; ++k) {
        const double* xz = all + 2 * (seat * perSeat + k);
        double* into = k < regularPerSeat ? regular + 2 * (seat * regularPerSeat + k) : extra + 2 * seat;
        into[0] = xz[0];
        into[1] = xz[1];
      }
  };
  split(read.Chip3DAll, read.ChipSpotsPerSeat, l.Chip3DCoords, KAVO_CHIP_SPOTS, l.SideBetChip3DCoords);
  split(read.Handout3DAll, read.HandoutSpotsPerSeat, l.Handout3DCoords, KAVO_HANDOUT_SPOTS, l.SideBetHandout3DCoords);
}

}  // namespace

std::vector<SKavoLayoutKey> xKavoLayoutKeys() {
  SKavoLayoutRead scratch;
  std::vector<SKavoLayoutKey> keys;
  for (SKeyPlace& place : KeysInto(scratch)) keys.push_back(std::move(place.Key));
  return keys;
}

int32_t xReadKavoLayout(CKCBL& data, SKavoLayoutRead& read, std::string& fault) {
  // Only the two tables' spot counts fit the buffers.
  if ((read.ChipSpotsPerSeat != KAVO_CHIP_SPOTS && read.ChipSpotsPerSeat != KAVO_SIDEBET_CHIP_SPOTS) ||
      (read.HandoutSpotsPerSeat != KAVO_HANDOUT_SPOTS && read.HandoutSpotsPerSeat != KAVO_SIDEBET_HANDOUT_SPOTS)) {
    fault = "is read for a table with other spot counts";
    return 0;
  }
  const int32_t restart = data.RestartMode(1);
  bool ok = true;
  for (const SKeyPlace& place : KeysInto(read))
    if (!(ok = ReadKey(data, place, fault))) break;
  if (ok) {
    read.HasMaxRoundsBeforeMsg = data.FindItem("MAXROUNDSBEFOREMSG") ? 1 : 0;
    read.HasCashierMsgTime = data.FindItem("CASHIERMSGTIME") ? 1 : 0;
  }
  data.RestartMode(restart);
  if (ok) SplitSeatSpots(read);
  return ok && HoldsTogether(read, fault) ? 1 : 0;
}
