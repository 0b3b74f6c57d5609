// The layout keys as the set-up table holds them: every key of the authored script, read back
// from the script on its own, against the table's fields; the tags' offset added to the name and
// cash offsets; the optional keys' defaults.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "client/layoutkeys.h"
#include "kavosetupkit.h"
#include "spothighlight.h"

namespace {

using TValues = std::vector<double>;
using TField = std::function<TValues(CProbeTable&)>;

template <class T>
TValues Of(const T* values, int32_t n) {
  return TValues(values, values + n);
}
template <class T>
TValues One(T value) {
  return {static_cast<double>(value)};
}

// The values of a key of the script's data chunk, read without the table: a single value or
// every element of an array; empty when the key is missing.
TValues ScriptValues(CResData& script, const std::string& key) {
  script.FirstItem();
  if (!script.FindItem(key.c_str())) return {};
  int32_t count = 0;
  if (script.GetNumArrayItems(0, &count)) {
    TValues v(static_cast<size_t>(count));
    EXPECT_EQ(script.GetDoubleArray(0, v.data(), count), 1) << key;
    return v;
  }
  double v = 0;
  if (const char* text = script.GetString(0); text && (std::string(text) == "TRUE" || std::string(text) == "FALSE"))
    return {std::string(text) == "TRUE" ? 1.0 : 0.0};
  EXPECT_EQ(script.GetDouble(0, &v), 1) << key;
  return {v};
}

// Where each key lands in the table.
std::map<std::string, TField> Fields() {
  std::map<std::string, TField> f;
  auto layout = [](CProbeTable& t) -> const SKavoLayout& { return t.GetLayout(); };
  f["PracticeDlgPosXY"] = [=](CProbeTable& t) { return Of(layout(t).PracticeDlgPosXY, 10); };
  f["TableInfoBtn"] = [=](CProbeTable& t) { return Of(layout(t).TableInfoBtn, 20); };
  f["TableInfoPopup"] = [=](CProbeTable& t) { return Of(layout(t).TableInfoPopup, 10); };
  f["MAXCARDSINPOCKET"] = [=](CProbeTable& t) { return One(layout(t).MaxCardsInPocket); };
  f["NUMPOCKETS"] = [=](CProbeTable& t) { return One(layout(t).NumPockets); };
  f["TABLEY"] = [=](CProbeTable& t) { return One(layout(t).TableY); };
  f["CARDWIDTH"] = [=](CProbeTable& t) { return One(layout(t).CardWidth); };
  f["CARDHEIGHT"] = [=](CProbeTable& t) { return One(layout(t).CardHeight); };
  f["CARDX"] = [=](CProbeTable& t) { return One(layout(t).CardX); };
  f["CARDY"] = [=](CProbeTable& t) { return One(layout(t).CardY); };
  f["CARDROTANGLE"] = [=](CProbeTable& t) { return One(layout(t).CardRotAngle); };
  const char* poses[][6] = {
      {"CARDHOUSEX", "CARDHOUSEY", "CARDHOUSEZ", "CARDHOUSEROTX", "CARDHOUSEROTY", "CARDHOUSEROTZ"},
      {"DEALORGX", "DEALORGY", "DEALORGZ", "DEALORGROTX", "DEALORGROTY", "DEALORGROTZ"},
      {"DISCARDXPOS", "DISCARDYPOS", "DISCARDZPOS", "DISCARDROTX", "DISCARDROTY", "DISCARDROTZ"}};
  for (int32_t p = 0; p < 3; ++p)
    for (int32_t a = 0; a < 6; ++a)
      f[poses[p][a]] = [=](CProbeTable& t) {
        const double* pose[] = {layout(t).CardHouse, layout(t).DealOrg, layout(t).Discard};
        return One(pose[p][a]);
      };
  f["DECKPOS"] = [=](CProbeTable& t) { return Of(layout(t).DeckPos, 32); };
  f["DECKROTZ"] = [=](CProbeTable& t) { return Of(layout(t).DeckRotZ, 16); };
  f["DECKOFFSET"] = [=](CProbeTable& t) { return Of(layout(t).DeckOffset, 32); };
  f["DECKSPEED"] = [=](CProbeTable& t) { return Of(layout(t).DeckSpeed, 6); };
  f["CLEARSPEEDSMALL"] = [=](CProbeTable& t) { return One(layout(t).ClearSpeedSmall); };
  f["CLEARSPEEDBIG"] = [=](CProbeTable& t) { return One(layout(t).ClearSpeedBig); };
  f["TABLEYSTRENGTH"] = [=](CProbeTable& t) { return One(layout(t).TableYStrength); };
  f["SPLITSPEED"] = [=](CProbeTable& t) { return One(layout(t).SplitSpeed); };
  f["DECK5TURNSPEED"] = [=](CProbeTable& t) { return One(layout(t).Deck5TurnSpeed); };
  f["SCANSPEED"] = [=](CProbeTable& t) { return One(layout(t).ScanSpeed); };
  const char* axes[] = {"X", "Y", "Z"};
  for (int32_t v = 0; v < 5; ++v)
    for (int32_t a = 0; a < 3; ++a) {
      f[std::string("CAMERA") + axes[a] + std::to_string(v)] = [=](CProbeTable& t) { return One(layout(t).Camera[v][a]); };
      f[std::string("CAMERAROT") + axes[a] + std::to_string(v)] = [=](CProbeTable& t) {
        return One(layout(t).CameraRot[v][a]);
      };
    }
  f["LIGHTPOS"] = [=](CProbeTable& t) { return Of(layout(t).LightPos, 4); };
  f["SCANXOFFSET"] = [=](CProbeTable& t) { return One(layout(t).ScanXOffset); };
  f["SCANYOFFSET"] = [=](CProbeTable& t) { return One(layout(t).ScanYOffset); };
  f["SCANXROT"] = [=](CProbeTable& t) { return One(layout(t).ScanXRot); };
  f["XDEALEROFFSET"] = [=](CProbeTable& t) { return Of(layout(t).XDealerOffset, 5); };
  f["YDEALEROFFSET"] = [=](CProbeTable& t) { return Of(layout(t).YDealerOffset, 5); };
  f["HFOV"] = [=](CProbeTable& t) { return One(layout(t).HFov); };
  f["VFOV"] = [=](CProbeTable& t) { return One(layout(t).VFov); };
  f["CHIP3DCOORDS"] = [=](CProbeTable& t) { return Of(layout(t).Chip3DCoords, 90); };
  f["HANDOUT3DCOORDS"] = [=](CProbeTable& t) { return Of(layout(t).Handout3DCoords, 30); };
  f["NUM_CLEARAREAS"] = [=](CProbeTable& t) { return One(layout(t).NumClearAreas); };
  f["CLEAR_COORDS"] = [](CProbeTable& t) {
    TValues v;
    for (const CRect& r : t.GetClearAreas()) v.insert(v.end(), {double(r.left), double(r.top), double(r.right - r.left + 1), double(r.bottom - r.top + 1)});
    return v;
  };
  f["CHIPXSIZE"] = [=](CProbeTable& t) { return One(layout(t).ChipXSize); };
  f["CHIPYSIZE"] = [=](CProbeTable& t) { return One(layout(t).ChipYSize); };
  f["DEALER_COORDS"] = [=](CProbeTable& t) { return Of(layout(t).DealerCoords, 10); };
  f["PANEL_ANIMFRAMES"] = [=](CProbeTable& t) { return One(layout(t).PanelAnimFrames); };
  f["WINWAITTIME"] = [=](CProbeTable& t) { return One(layout(t).WinWaitTime); };
  f["SAYWAITTIME"] = [=](CProbeTable& t) { return One(layout(t).SayWaitTime); };
  f["INSURANCECOORDS"] = [=](CProbeTable& t) { return Of(layout(t).InsuranceCoords, 20); };
  f["ARROWCOORDS"] = [=](CProbeTable& t) { return Of(layout(t).ArrowCoords, 60); };
  f["ARROWROT"] = [=](CProbeTable& t) { return Of(layout(t).ArrowRot, 45); };
  f["ARROWXSIZE"] = [=](CProbeTable& t) { return One(layout(t).ArrowXSize); };
  f["ARROWYSIZE"] = [=](CProbeTable& t) { return One(layout(t).ArrowYSize); };
  f["SHADOWOFFSET"] = [=](CProbeTable& t) { return One(layout(t).ShadowOffset); };
  f["SPOTCOORDS"] = [](CProbeTable& t) {
    TValues v;
    for (int32_t view = 0; view < SPOT_VIEWS; ++view)
      for (int32_t seat = 0; seat < SPOT_SEATS; ++seat) {
        CRect r;
        EXPECT_EQ(t.GetSpotHighlight()->GetSpot(view, seat, &r), 1);
        v.insert(v.end(), {double(r.left), double(r.top), double(r.right - r.left + 1), double(r.bottom - r.top + 1)});
      }
    return v;
  };
  f["PLAYERICON_COORDS"] = [=](CProbeTable& t) { return Of(layout(t).PlayerIconCoords, 50); };
  f["THINKBUBBLE_COORDS"] = [=](CProbeTable& t) { return Of(layout(t).ThinkBubbleCoords, 50); };
  f["TAG_OFFSET"] = [=](CProbeTable& t) { return Of(layout(t).TagOffset, 2); };
  f["NAMETAG_OFFSET"] = [=](CProbeTable& t) { return Of(layout(t).NameTagOffset, 2); };
  f["CASHTAG_OFFSET"] = [=](CProbeTable& t) { return Of(layout(t).CashTagOffset, 2); };
  f["BETREMOVE_OFFSET"] = [=](CProbeTable& t) { return Of(layout(t).BetRemoveOffset, 2); };
  f["CARDVALUE_COORDS"] = [=](CProbeTable& t) { return Of(layout(t).CardValueCoords, 160); };
  f["INSURANCEWINDOWS_COORDS"] = [=](CProbeTable& t) { return Of(layout(t).InsuranceWindowsCoords, 50); };
  f["TIMEOUTMETER_POS"] = [=](CProbeTable& t) { return Of(layout(t).TimeoutMeterPos, 10); };
  f["PLAYERICONS_WIDTH"] = [=](CProbeTable& t) { return One(layout(t).PlayerIconsWidth); };
  f["PLAYERICONS_HEIGHT"] = [=](CProbeTable& t) { return One(layout(t).PlayerIconsHeight); };
  f["PLAYERICONS_MALE"] = [=](CProbeTable& t) { return One(layout(t).PlayerIconsMale); };
  f["PLAYERICONS_FEMALE"] = [=](CProbeTable& t) { return One(layout(t).PlayerIconsFemale); };
  f["PLAYERICONS_OTHER"] = [=](CProbeTable& t) { return One(layout(t).PlayerIconsOther); };
  f["MAXNUMHANDS"] = [](CProbeTable& t) { return One(t.GetMaxNumHands()); };
  f["SHOWOTHERUSERSCASH"] = [=](CProbeTable& t) { return One(layout(t).ShowOtherUsersCash); };
  f["CHIP_VALUES"] = [](CProbeTable& t) { return Of(t.GetChipValues(), 6); };
  f["MAXROUNDSBEFOREMSG"] = [](CProbeTable& t) { return One(t.MaxRoundLimit()); };
  f["CASHIERMSGTIME"] = [](CProbeTable& t) { return One(t.DepositDelay()); };
  return f;
}

class KavoLayout : public CKavoTableFixture {
 protected:
  // The regular table on its authored script, or on an edited copy.
  CProbeTable& Start(const std::string& edited = "") {
    std::string name;
    if (!edited.empty()) {
      name = m_Dir.File("edited_main.xrs");
      WriteWholeFile(name, edited);
    }
    EXPECT_EQ(StartTable(std::make_unique<CProbeTable>(name)), 1);
    return TableAs<CProbeTable>();
  }
};

TEST_F(KavoLayout, TheFieldsHoldTheScriptsValuesWithTheTagOffsetAddedToNameAndCash) {
  CProbeTable& table = Start();
  CResData script;
  ASSERT_EQ(script.Load(m_Dir.File("xrs/kavo_main.xrs").c_str()), 1);
  ASSERT_EQ(script.EnterDataChunk(), 1);
  const std::map<std::string, TField> fields = Fields();
  ASSERT_EQ(fields.size(), 113u);
  const TValues tag = ScriptValues(script, "TAG_OFFSET");
  ASSERT_EQ(tag.size(), 2u);
  for (const SKavoLayoutKey& key : xKavoLayoutKeys()) {
    SCOPED_TRACE(key.Name);
    ASSERT_EQ(fields.count(key.Name), 1u);
    TValues expected = ScriptValues(script, key.Name);
    ASSERT_FALSE(expected.empty());
    if (key.Name == "NAMETAG_OFFSET" || key.Name == "CASHTAG_OFFSET")
      for (size_t i = 0; i < 2; ++i) expected[i] += tag[i];
    const TValues held = fields.at(key.Name)(table);
    ASSERT_EQ(held.size(), expected.size());
    for (size_t i = 0; i < held.size(); ++i) EXPECT_DOUBLE_EQ(held[i], expected[i]) << "value " << i;
  }
  // The offsets really moved: the authored tag offset is not zero.
  EXPECT_NE(tag[0], 0.0);
}

TEST_F(KavoLayout, OptionalKeysAbsentGiveTheirDefaults) {
  std::string script = DistScript("kavo_main.xrs");
  for (const SKavoLayoutKey& key : xKavoLayoutKeys())
    if (!key.Required) script = WithoutItem(script, key.Name);
  CProbeTable& table = Start(script);
  const uint32_t chips[] = {1, 5, 25, 100, 500, 2};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(table.GetChipValues()[i], chips[i]) << i;
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(table.GetPracticeDlgPos()[i], -1) << i;
  EXPECT_EQ(table.GetLayout().ShowOtherUsersCash, 1);
  // The framework's own values stay.
  EXPECT_EQ(table.MaxRoundLimit(), CLIENTTABLE_MAXROUND_LIMIT);
  EXPECT_EQ(table.DepositDelay(), CLIENTTABLE_DEPOSIT_DELAY_MS);
}

TEST_F(KavoLayout, OptionalKeysPresentReplaceTheDefaults) {
  std::string script = DistScript("kavo_main.xrs");
  script = WithItem(script, "CHIP_VALUES", "{ 2, 10, 50, 200, 1000, 4 }");
  script = WithItem(script, "SHOWOTHERUSERSCASH", "FALSE");
  script = WithItem(script, "PracticeDlgPosXY", "{ 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }");
  CProbeTable& table = Start(script);
  const uint32_t chips[] = {2, 10, 50, 200, 1000, 4};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(table.GetChipValues()[i], chips[i]) << i;
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(table.GetPracticeDlgPos()[i], i + 1) << i;
  EXPECT_EQ(table.GetLayout().ShowOtherUsersCash, 0);
}

}  // namespace
