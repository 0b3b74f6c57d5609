// A picture of the blackjack table as a player sees it, drawn with the client's own parts from
// what the build staged: the view's table picture, cards dealt into the pockets by fennic, chip
// stacks on the bet spots, a lit seat spot, the seats' icons, names and hand
// values in the table's dialog, and the control panel. For people who judge the table's look.
//
//   kavopreview --table SCRIPT --view V --png FILE [--lit SEAT] [--bare] [--dist DIR]
//
// SCRIPT is a main script of xrs/ (kavo_main.xrs, kavo_ss_main.xrs, kavo_onedeck_main.xrs). --bare
// draws the table picture alone (and the lit spot, when asked). A fixed deal: the same picture
// every time.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/widgets/chipstack.h"
#include "dialogstage.h"
#include "fennic/fennic.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/shade.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"
#include "spothighlight.h"
#include "support/png.h"
#include "support/tempdir.h"

namespace {
int Usage() {
  std::fprintf(stderr, "usage: kavopreview --table SCRIPT --view V --png FILE [--lit SEAT] [--bare] [--dist DIR]\n");
  return 2;
}

void NoEvents(int32_t, int32_t, int32_t, int32_t, void*) {}

int Fail(const std::string& why) {
  std::fprintf(stderr, "kavopreview: %s\n", why.c_str());
  return 1;
}

// The keys of the script's data chunk the preview needs.
struct SKeys {
  CResData* Script;
  std::vector<double> Get(const char* key) const {
    int32_t n = 0;
    if (!Script->FindItem(key)) return {};
    if (Script->GetDataType(0) != 3) {
      double v = 0;
      Script->GetDouble(0, &v);
      return {v};
    }
    Script->GetNumArrayItems(0, &n);
    std::vector<double> v(static_cast<size_t>(n));
    Script->GetDoubleArray(0, v.data(), n);
    return v;
  }
  double One(const char* key) const {
    const std::vector<double> v = Get(key);
    return v.empty() ? 0.0 : v[0];
  }
};

// A fixed round: the dealer shows a ten with the hole card down; seat 2 (view 2's own) holds a
// blackjack, the others ordinary hands, one of them split.
struct SHand {
  int32_t Pocket;
  std::vector<int32_t> Cards;  // codes; -1 face down
};
const std::vector<SHand> kDeal = {
    {5, {22, -1}},            // dealer: queen of diamonds, hole card
    {0, {4, 45, 28}},         // seat 1: five of clubs, seven of spades, three of hearts
    {1, {9, 34}},             // seat 2: ten of clubs, nine of hearts
    {2, {13, 50}},            // seat 3: ace of diamonds, queen of spades
    {9, {7, 32}},             // seat 4's first split hand: eight of clubs, seven of hearts
    {14, {46, 11}},           // seat 4's second split hand: eight of spades, queen of clubs
    {4, {36, 27, 3}},         // seat 5: jack of hearts, two of hearts, four of clubs
};
// Bets on the middle bet spot of each seat (the split seat's on its two hands' spots).
const double kBets[5] = {25, 130, 500, 0, 35};
const char* const kNames[5] = {"Marta", "sam_k", "You", "Lucky Lou", "Jonas"};
const char* const kCash[5] = {"$1,215.00", "$640.00", "$2,500.00", "$880.50", "$95.00"};
const char* const kValues[16] = {"15", "", "", "19", "", "", "Blackjack", "", "", "", "15", "18", "16", "", "", "10"};

}  // namespace

int main(int argc, char** argv) {
  std::string table = "kavo_main.xrs", png, dist = VORRIN_DIST_DIR;
  int32_t view = 2, lit = -1;
  bool bare = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--table" && more) table = argv[++i];
    else if (a == "--view" && more) view = std::atoi(argv[++i]);
    else if (a == "--png" && more) png = argv[++i];
    else if (a == "--lit" && more) lit = std::atoi(argv[++i]);
    else if (a == "--dist" && more) dist = argv[++i];
    else if (a == "--bare") bare = true;
    else return Usage();
  }
  if (png.empty() || view < 0 || view > 4) return Usage();
  png = std::filesystem::absolute(png).string();

  CDialogStage stage;
  if (!stage.Start(800, 600, true) || !stage.Load(dist, dist + "/xrs/" + table)) return Fail(stage.Error());
  CWorkingDir here(dist);
  CResData& script = stage.Script();
  CScreenBase* screen = glb->m_pCurrentScreen;
  screen->SetPersistentMode(1);
  PreCalcShade24();
  if (!script.EnterDataChunk()) return Fail("no data chunk");
  const SKeys k{&script};

  CBitmap picture;
  if (!picture.Load(script.GetResString(10300 + 2 * view), 0)) return Fail("no table picture");
  std::vector<std::unique_ptr<CBitmap>> faces;
  CSpotHighlight spot;
  spot.Init();
  std::vector<double> spots = k.Get("SPOTCOORDS");
  std::vector<int32_t> spotCoords(spots.begin(), spots.end());
  if (spotCoords.size() != SPOT_COORDS) return Fail("no SPOTCOORDS");
  spot.SetSpotCoords(spotCoords.data());
  if (!spot.LoadLight(script.GetResString(10312)) || !spot.Build(view, &picture)) return Fail("no spot light");
  screen->MakeScreenFormat(&picture, 0);
  screen->DrawBitmapPersistent(&picture, 0, 0, 0, 0, -1, -1, 0, 0);
  if (lit >= 0) spot.Show(lit, nullptr);

  if (!bare) {
    CCardTable cards;
    cards.Init(16, 4, 13, 13);
    cards.SetCardSize(static_cast<int32_t>(k.One("CARDWIDTH")), static_cast<int32_t>(k.One("CARDHEIGHT")));
    cards.SetCardDimension(k.One("CARDX"), k.One("CARDY"));
    cards.SetTextureNames(script.GetResString(10310), script.GetResString(10311));
    if (!cards.LoadTextures()) return Fail("no card textures");
    const std::vector<double> light = k.Get("LIGHTPOS");
    cards.GetLight()->SetPosition(light[0], light[1], light[2], light[3]);
    cards.SetCameraFOV(k.One("HFOV"), k.One("VFOV"));
    const std::string n = std::to_string(view);
    cards.GetActiveCamera()->SetPosition(k.One(("CAMERAX" + n).c_str()), k.One(("CAMERAY" + n).c_str()),
                                         k.One(("CAMERAZ" + n).c_str()));
    cards.GetActiveCamera()->SetRotate(k.One(("CAMERAROTX" + n).c_str()), k.One(("CAMERAROTY" + n).c_str()),
                                       k.One(("CAMERAROTZ" + n).c_str()));
    cards.SetPersistent(&picture);
    const std::vector<double> pos = k.Get("DECKPOS"), rot = k.Get("DECKROTZ"), step = k.Get("DECKOFFSET");
    const double tableY = k.One("TABLEY");
    std::vector<std::unique_ptr<C3DMove>> moves;
    std::vector<std::unique_ptr<C3DMoveList>> lists;
    auto list = [&](const double (&from)[POSE_AXES], const double (&to)[POSE_AXES], int32_t frames, double lift) {
      moves.push_back(std::make_unique<C3DMove>());
      moves.back()->Init(nullptr, frames);
      for (int32_t a = 0; a < POSE_AXES; ++a) moves.back()->SetAxis(a, from[a], 0, to[a], 0);
      moves.back()->SetY(from[POSE_Y], lift, to[POSE_Y], lift);
      lists.push_back(std::make_unique<C3DMoveList>());
      lists.back()->Init(1, 1);
      lists.back()->AddMove(moves.back().get());
      return lists.back().get();
    };
    for (const SHand& h : kDeal) {
      CPocket* pocket = cards.GetPocket(h.Pocket);
      for (size_t i = 0; i < h.Cards.size(); ++i) {
        const double down = h.Cards[i] < 0 ? 90.0 : -90.0;
        const double at[POSE_AXES] = {pos[2 * h.Pocket] + static_cast<double>(i) * step[2 * h.Pocket], tableY,
                                      pos[2 * h.Pocket + 1] + static_cast<double>(i) * step[2 * h.Pocket + 1], down, 0,
                                      rot[h.Pocket] + (h.Cards[i] < 0 ? k.One("CARDROTANGLE") : 0)};
        pocket->AddMove(list(at, at, 1, 0));
        pocket->AddCard(h.Cards[i] < 0 ? 0 : h.Cards[i]);
      }
      cards.DrawPocket(h.Pocket, nullptr);
    }
    // Chip stacks on the bet spots, as the table stamps them.
    CChipStack chips;
    chips.Init();
    int32_t w = 0, h = 0;
    CBitmap* strip = script.GetBm("smallChipBm1", &w, &h);
    if (!strip) return Fail("no smallChipBm1");
    chips.SetChipBitmap(strip);
    chips.SetDimension(static_cast<int32_t>(k.One("CHIPXSIZE")), static_cast<int32_t>(k.One("CHIPYSIZE")));
    const std::vector<double> spotsXZ = k.Get("CHIP3DCOORDS");
    const int32_t perSeat = static_cast<int32_t>(spotsXZ.size() / 10);
    auto stamp = [&](int32_t seat, int32_t index, double amount) {
      int32_t sx = 0, sy = 0;
      cards.ProjectPoint2Screen(spotsXZ[2 * (seat * perSeat + index)], tableY, spotsXZ[2 * (seat * perSeat + index) + 1], sx, sy);
      chips.Stamp(amount, sx / 2, sy / 2);
    };
    for (int32_t seat = 0; seat < 5; ++seat)
      if (kBets[seat] > 0) stamp(seat, 4, kBets[seat]);
    stamp(3, 1, 50);  // the split seat's first hand
    stamp(3, 7, 50);  // and its second
    if (perSeat == 10) {
      stamp(1, 9, 1);  // side bets of seats 2 and 3
      stamp(2, 9, 1);
    }
    chips.Exit();
    script.ExitDataChunk();
  }
  if (!bare) {
    // The seats' controls in the table's dialog, placed for the view.
    if (!stage.Open({"110"})) return Fail(stage.Error());
    CDialog* dialog = stage.Dialogs().back().get();
    script.EnterDataChunk();
    const std::vector<double> icons = k.Get("PLAYERICON_COORDS"), values = k.Get("CARDVALUE_COORDS"),
                              tag = k.Get("TAG_OFFSET"), nameOffset = k.Get("NAMETAG_OFFSET"), cash = k.Get("CASHTAG_OFFSET"),
                              meter = k.Get("TIMEOUTMETER_POS"), bubbles = k.Get("THINKBUBBLE_COORDS");
    const int32_t iconW = static_cast<int32_t>(k.One("PLAYERICONS_WIDTH")), iconH = static_cast<int32_t>(k.One("PLAYERICONS_HEIGHT"));
    script.ExitDataChunk();
    CBitmap strip2;
    strip2.Load(script.GetResString(10400), 0);
    faces.clear();
    auto place = [&](int32_t id, double x, double y) {
      if (CControlBase* c = dialog->GetCtrl(id)) c->SetPos(static_cast<int32_t>(x), static_cast<int32_t>(y));
    };
    const int32_t iconOf[5][2] = {{1, 1}, {0, 2}, {0, 0}, {2, 3}, {0, 4}};  // row, cell
    for (int32_t seat = 0; seat < 5; ++seat) {
      const double x = icons[(view * 5 + seat) * 2], y = icons[(view * 5 + seat) * 2 + 1];
      place(140 + seat, x, y);
      place(145 + seat, bubbles[(view * 5 + seat) * 2], bubbles[(view * 5 + seat) * 2 + 1]);
      place(180 + seat, x + tag[0], y + tag[1]);
      place(122 + seat, x + tag[0], y + tag[1]);
      place(127 + seat, x + tag[0] + nameOffset[0], y + tag[1] + nameOffset[1]);
      place(175 + seat, x + tag[0] + cash[0], y + tag[1] + cash[1]);
      faces.push_back(std::make_unique<CBitmap>());
      faces.back()->CreateRGB(iconW, iconH, 24, 8, 8, 8, 16, 8, 0, 0);
      faces.back()->Blt(&strip2, (iconW + 1) * iconOf[seat][1] + 1, (iconH + 1) * iconOf[seat][0] + 1, 0, 0, iconW, iconH, 0, 0, 0);
      screen->MakeScreenFormat(faces.back().get(), 0);
      // The player's picture in the seat's icon control, as the table's player icons show it (the
      // preview cuts it from the icon strip itself).
      if (CControlBase* c = dialog->GetCtrl(140 + seat)) {
        CBitmap* face = faces.back().get();
        c->SetBitmap(face, face, face, face);
      }
      dialog->SetText(127 + seat, kNames[seat]);
      dialog->SetText(175 + seat, kCash[seat]);
      if (CControlBase* c = dialog->GetCtrl(122 + seat)) c->SetState(5);
      if (seat != 3) {
        if (CControlBase* c = dialog->GetCtrl(145 + seat)) c->SetState(5);
      }
    }
    const int32_t valueIds[16] = {159, 165, 170, 160, 166, 171, 161, 167, 172, 162, 168, 173, 163, 169, 174, 164};
    for (int32_t i = 0; i < 16; ++i) {
      place(valueIds[i], values[(view * 16 + i) * 2], values[(view * 16 + i) * 2 + 1]);
      dialog->SetText(valueIds[i], kValues[i]);
      if (!kValues[i][0]) {
        if (CControlBase* c = dialog->GetCtrl(valueIds[i])) c->SetState(5);
      }
    }
    place(132, meter[2 * view], meter[2 * view + 1]);
    dialog->SetValue(132, 60);

    // The panel at the foot of the screen and the chat in its corner.
    static CResData panel;
    if (!panel.Load(script.GetResString(11000))) return Fail("no panel script");
    static std::vector<std::unique_ptr<CDialog>> parts;
    for (int32_t id : {3301, 3305, 3303, 3304}) {
      parts.push_back(std::make_unique<CDialog>());
      if (!parts.back()->Create(&panel, id, NoEvents, 0, nullptr)) return Fail("no panel section " + std::to_string(id));
    }
    parts[1]->SetText(415, "$1,045.00");
  }
  for (int32_t f = 0; f < 4; ++f) stage.Frame();
  TRgbImage image;
  if (!stage.Capture(&image, -1) || !WritePng(png, image)) return Fail("cannot write " + png);
  return 0;
}
