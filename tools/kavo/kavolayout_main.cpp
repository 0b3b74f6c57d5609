// The blackjack table's layout: reads the scene, refuses a scene the client would mis-click on,
// and writes the generated keys into the three main scripts, the spot maps and the views file
// that tools/kavo/makekavo.py paints the pictures with.
//
//   kavolayout --scene SCENE --data DIR --out DIST --views FILE [--update]
//   kavolayout --scene SCENE --report
//
// DIR holds the hand-written main scripts (data/xrs); each is written to DIST/xrs with its
// generated block filled in, and the spot maps to DIST/pictures/kavo/<table>_spots<view>.bmp.
// --update writes the filled-in scripts back into DIR too, so the tree shows what the build
// stages.
#include <cstdio>
#include <filesystem>
#include <string>

#include "kavoout.h"

namespace {
int Usage() {
  std::fprintf(stderr, "usage: kavolayout --scene SCENE --data DIR --out DIST --views FILE [--update]\n"
                       "       kavolayout --scene SCENE --report\n");
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  std::string scenePath, data, out, views;
  bool update = false, report = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--scene" && more) scenePath = argv[++i];
    else if (a == "--data" && more) data = argv[++i];
    else if (a == "--out" && more) out = argv[++i];
    else if (a == "--views" && more) views = argv[++i];
    else if (a == "--update") update = true;
    else if (a == "--report") report = true;
    else return Usage();
  }
  if (scenePath.empty() || (!report && (data.empty() || out.empty() || views.empty()))) return Usage();

  SScene scene;
  std::string error;
  if (!xReadScene(scenePath, &scene, &error)) {
    std::fprintf(stderr, "kavolayout: %s\n", error.c_str());
    return 1;
  }
  const CKavoLayout layout(scene);
  if (report) {
    // Where everything lands, view by view, for people who move things in the scene.
    for (int v = 0; v < KAVO_VIEWS; ++v) {
      std::printf("view %d\n", v);
      auto box = [](const char* what, int i, const SBox& b) { std::printf("  %-10s %2d  %4d %4d %4d %4d\n", what, i, b.x, b.y, b.w, b.h); };
      for (int seat = 0; seat < KAVO_SEATS; ++seat) {
        box("spot", seat, layout.SpotBox(scene.Tables.back(), v, seat));
        box("group", seat, layout.SeatGroup(v, seat));
        box("insurance", seat, layout.InsuranceWindowBox(v, seat));
      }
      for (int i = 0; i < KAVO_HANDS; ++i) box("value", i, layout.ValueBox(v, i));
      box("timeout", v, layout.TimeoutBox(v));
      box("discard", v, layout.DiscardBox(v));
    }
    return 0;
  }
  bool refused = false;
  for (const SSceneTable& table : scene.Tables)
    for (const std::string& e : layout.Check(table)) {
      std::fprintf(stderr, "kavolayout: %s table: %s\n", table.Name.c_str(), e.c_str());
      refused = true;
    }
  if (refused) return 1;

  std::error_code ec;
  std::filesystem::create_directories(out + "/xrs", ec);
  std::filesystem::create_directories(out + "/pictures/kavo", ec);
  for (const SSceneTable& table : scene.Tables) {
    std::string script, filled;
    const std::string source = data + "/" + table.Script;
    if (!xReadFile(source, &script)) {
      std::fprintf(stderr, "kavolayout: %s: cannot be read\n", source.c_str());
      return 1;
    }
    if (!xSpliceBlock(script, xLayoutBlock(layout.Keys(table)), &filled, &error)) {
      std::fprintf(stderr, "kavolayout: %s: %s\n", source.c_str(), error.c_str());
      return 1;
    }
    if (!xWriteFile(out + "/xrs/" + table.Script, filled) || (update && filled != script && !xWriteFile(source, filled))) {
      std::fprintf(stderr, "kavolayout: %s: cannot be written\n", table.Script.c_str());
      return 1;
    }
    for (int v = 0; v < KAVO_VIEWS; ++v) {
      const std::string map = out + "/pictures/kavo/" + table.Name + "_spots" + std::to_string(v) + ".bmp";
      if (!xWriteFile(map, xSpotMapBmp(layout.SpotMap(table, v)))) {
        std::fprintf(stderr, "kavolayout: %s: cannot be written\n", map.c_str());
        return 1;
      }
    }
  }
  if (!xWriteFile(views, xViewsJson(layout, scene))) {
    std::fprintf(stderr, "kavolayout: %s: cannot be written\n", views.c_str());
    return 1;
  }
  return 0;
}
