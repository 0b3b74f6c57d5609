#include "kavoscene.h"

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace {
using nlohmann::json;

// The value at a path of keys, or a message naming the path.
const json& At(const json& j, const std::string& path) {
  const json* at = &j;
  size_t from = 0;
  while (from <= path.size()) {
    const size_t dot = path.find('.', from);
    const std::string key = path.substr(from, dot == std::string::npos ? std::string::npos : dot - from);
    if (!at->is_object() || !at->contains(key)) throw std::runtime_error("\"" + path + "\" is missing");
    at = &(*at)[key];
    if (dot == std::string::npos) break;
    from = dot + 1;
  }
  return *at;
}

double Num(const json& j, const std::string& path) {
  const json& v = At(j, path);
  if (!v.is_number() || !std::isfinite(v.get<double>())) throw std::runtime_error("\"" + path + "\" is not a number");
  return v.get<double>();
}

template <size_t N>
std::array<double, N> Nums(const json& v, const std::string& path) {
  if (!v.is_array() || v.size() != N) throw std::runtime_error("\"" + path + "\" needs " + std::to_string(N) + " numbers");
  std::array<double, N> out{};
  for (size_t i = 0; i < N; ++i) {
    if (!v[i].is_number() || !std::isfinite(v[i].get<double>()))
      throw std::runtime_error("\"" + path + "\" holds something that is not a number");
    out[i] = v[i].get<double>();
  }
  return out;
}
template <size_t N>
std::array<double, N> NumsAt(const json& j, const std::string& path) {
  return Nums<N>(At(j, path), path);
}

TSize Pixels(const json& j, const std::string& path) {
  const std::array<double, 2> v = NumsAt<2>(j, path);
  return {static_cast<int>(std::lround(v[0])), static_cast<int>(std::lround(v[1]))};
}

template <size_t N>
std::array<TPair, N> Places(const json& j, const std::string& path) {
  const json& v = At(j, path);
  if (!v.is_array() || v.size() != N) throw std::runtime_error("\"" + path + "\" needs " + std::to_string(N) + " places");
  std::array<TPair, N> out{};
  for (size_t i = 0; i < N; ++i) out[i] = Nums<2>(v[i], path);
  return out;
}

void Positive(double v, const char* what) {
  if (!(v > 0)) throw std::runtime_error(std::string("\"") + what + "\" must be above 0");
}

void Read(const json& j, SScene& s) {
  s.TableY = Num(j, "tableY");
  s.CardWidth = Num(j, "card.width");
  s.CardHeight = Num(j, "card.height");
  s.CardRotAngle = Num(j, "card.rotAngle");
  s.CardPixelsWide = static_cast<int>(Num(j, "card.pixelsWide"));
  s.CardPixelsHigh = static_cast<int>(Num(j, "card.pixelsHigh"));
  s.FeltRadius = Num(j, "felt.radius");
  s.RailInner = Num(j, "rail.inner");
  s.RailOuter = Num(j, "rail.outer");
  s.RailHeight = Num(j, "rail.height");
  s.SeatAngles = NumsAt<KAVO_SEATS>(j, "seats.angles");
  s.SpotRadius = Num(j, "seats.spotRadius");
  s.CircleRadius = Num(j, "seats.circleRadius");
  s.SideBetRadius = Num(j, "seats.sideBetRadius");
  s.SideBetCircle = Num(j, "seats.sideBetCircle");
  s.HandRadius = Num(j, "seats.handRadius");
  s.SplitU = Num(j, "seats.splitU");
  s.CardStep = NumsAt<2>(j, "seats.cardStep");
  s.DealerStep = NumsAt<2>(j, "seats.dealerStep");
  s.Unsplit = Places<3>(j, "chipSpots.unsplit");
  s.Split1 = Places<3>(j, "chipSpots.split1");
  s.Split2 = Places<3>(j, "chipSpots.split2");
  s.HandOut = Places<3>(j, "handOut");
  s.SideBetHandOut = NumsAt<2>(j, "sideBetHandOut");
  s.InsuranceInner = Num(j, "insurance.inner");
  s.InsuranceOuter = Num(j, "insurance.outer");
  s.InsuranceSpots = Places<2>(j, "insurance.spots");
  s.ArrowRadius = Num(j, "arrow.radius");
  s.ArrowLength = Num(j, "arrow.length");
  s.ArrowWidth = Num(j, "arrow.width");
  s.ArrowHeight = Num(j, "arrow.height");
  s.ShadowOffset = Num(j, "arrow.shadowOffset");
  s.ArrowRotX = Num(j, "arrow.rotX");
  s.DealerHand = NumsAt<2>(j, "dealer.hand");
  s.ScanOffset = NumsAt<2>(j, "dealer.scanOffset");
  s.ScanRotX = Num(j, "dealer.scanRotX");
  s.ShoeCentre = NumsAt<2>(j, "shoe.centre");
  s.ShoeSize = NumsAt<3>(j, "shoe.size");
  s.ShoeAngle = Num(j, "shoe.angle");
  s.DiscardCentre = NumsAt<2>(j, "discard.centre");
  s.DiscardSize = NumsAt<3>(j, "discard.size");
  s.DiscardAngle = Num(j, "discard.angle");
  s.RackCentre = NumsAt<2>(j, "rack.centre");
  s.RackSize = NumsAt<3>(j, "rack.size");
  s.CameraRadius = Num(j, "camera.radius");
  s.CameraHeight = Num(j, "camera.height");
  s.CameraPitch = Num(j, "camera.pitch");
  s.CameraYawScale = Num(j, "camera.yawScale");
  s.HFov = Num(j, "camera.hfov");
  s.VFov = Num(j, "camera.vfov");
  s.Light = NumsAt<3>(j, "light");

  const json& tables = At(j, "tables");
  if (!tables.is_array() || tables.empty()) throw std::runtime_error("\"tables\" must list the tables");
  for (const json& t : tables) {
    SSceneTable table;
    table.Name = At(t, "name").get<std::string>();
    table.Script = At(t, "script").get<std::string>();
    table.DealerRule = At(t, "dealerRule").get<std::string>();
    table.Limits = At(t, "limits").get<std::string>();
    table.SideBet = At(t, "sideBet").get<bool>();
    table.Decks = static_cast<int>(Num(t, "decks"));
    table.MaxHands = static_cast<int>(Num(t, "maxHands"));
    if (table.Name.empty() || table.Name.find_first_of("/\\.") != std::string::npos)
      throw std::runtime_error("a table's \"name\" must be a plain word");
    s.Tables.push_back(table);
  }

  s.Chip = Pixels(j, "chips.size");
  s.IconsMale = static_cast<int>(Num(j, "icons.male"));
  s.IconsFemale = static_cast<int>(Num(j, "icons.female"));
  s.IconsOther = static_cast<int>(Num(j, "icons.other"));
  s.Icon = Pixels(j, "icons.cell");
  s.IconRadius = Num(j, "controls.iconRadius");
  s.GroupGap = static_cast<int>(Num(j, "controls.groupGap"));
  s.Bubble = Pixels(j, "controls.bubble");
  s.BubbleOffset = Pixels(j, "controls.bubbleOffset");
  s.Tag = Pixels(j, "controls.tag");
  s.TagOffset = Pixels(j, "controls.tagOffset");
  s.NameOffset = Pixels(j, "controls.nameOffset");
  s.CashOffset = Pixels(j, "controls.cashOffset");
  s.BetRemoveOffset = Pixels(j, "controls.betRemoveOffset");
  s.Value = Pixels(j, "controls.value");
  s.ValueGap = Num(j, "controls.valueGap");
  s.ValueSplitU = Num(j, "controls.valueSplitU");
  s.InsuranceWindow = Pixels(j, "controls.insuranceWindow");
  s.TimeoutMeter = Pixels(j, "controls.timeoutMeter");
  const std::array<double, 4> info = NumsAt<4>(j, "controls.infoButton");
  const std::array<double, 4> close = NumsAt<4>(j, "controls.closeButton");
  for (size_t i = 0; i < 4; ++i) {
    s.InfoButton[i] = static_cast<int>(std::lround(info[i]));
    s.CloseButton[i] = static_cast<int>(std::lround(close[i]));
  }
  s.InfoPopup = Pixels(j, "controls.infoPopup");
  s.InfoPopupPlace = Pixels(j, "controls.infoPopupPlace");
  s.PracticeDialog = Pixels(j, "controls.practiceDialog");
  s.PracticePlace = Pixels(j, "controls.practicePlace");
  const json& panel = At(j, "controls.panelAreas");
  if (!panel.is_array()) throw std::runtime_error("\"controls.panelAreas\" must list rectangles");
  for (const json& r : panel) {
    const std::array<double, 4> v = Nums<4>(r, "controls.panelAreas");
    s.PanelAreas.push_back({static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])});
  }

  Positive(s.CardWidth, "card.width");
  Positive(s.CardHeight, "card.height");
  if (s.CardPixelsWide < 8 || s.CardPixelsHigh < 8 || s.CardPixelsWide > 512 || s.CardPixelsHigh > 512)
    throw std::runtime_error("\"card.pixelsWide\" and \"card.pixelsHigh\" must lie within 8 .. 512");
  Positive(s.CircleRadius, "seats.circleRadius");
  Positive(s.SideBetCircle, "seats.sideBetCircle");
  if (!(s.RailInner < s.RailOuter)) throw std::runtime_error("\"rail.inner\" must lie within \"rail.outer\"");
  if (!(s.HFov > 0 && s.HFov < 180 && s.VFov > 0 && s.VFov < 180))
    throw std::runtime_error("\"camera.hfov\" and \"camera.vfov\" must lie between 0 and 180 degrees");
}
}  // namespace

bool xReadScene(const std::string& path, SScene* scene, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  try {
    const json j = json::parse(in);
    SScene s;
    Read(j, s);
    *scene = s;
    return true;
  } catch (const std::exception& e) {
    *error = path + ": " + e.what();
    return false;
  }
}
