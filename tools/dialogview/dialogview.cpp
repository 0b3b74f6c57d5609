// Shows the dialogs of a resource script in the base look, for people who write dialogs.
//
//   dialogview SCRIPT --list
//   dialogview SCRIPT [DIALOG...] [--png FILE] [--size WxH] [--margin N] [--frames N] [--dist DIR]
//                [--value ID=N]...
//
// --list prints the define names of the script's window sections, one a line. DIALOG is a define
// name or number of a window section; without any, every window section of the script opens,
// later ones in front. With --png the dialogs are drawn headless and the picture is written to
// FILE: only the dialogs and a margin around them (--margin, default 8; -1 keeps the whole
// screen). Without it they open in a window on the display until it is closed, or for --frames
// passes of the loop. What the dialog reader could not find is told on stderr. The screen is
// --size (default 800x600). The base pack and the script's file names are taken from the install
// folder --dist (default: the build's). --value sets control ID (define name or number) to N: a
// progress bar, slider or time-out shows N, a scrolling text moves on N steps of its timer, a
// check box is checked (N not 0) or not, a group box chooses its radio button N (id or define
// name), a list box or combo box selects its entry N (from 1), so a picture can show them. The script's "Data" chunk does the same with "Value" items
// (control, number), and adds lines to multi-line edits with "Line" items (control, text,
// optional colour). In a picture the controls keep the states the script gives them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialogstage.h"
#include "ostrel/system/debug.h"
#include "support/png.h"

namespace {
int Usage() {
  std::fprintf(stderr,
               "usage: dialogview SCRIPT --list\n"
               "       dialogview SCRIPT [DIALOG...] [--png FILE] [--size WxH] [--margin N] [--frames N] "
               "[--dist DIR] [--value ID=N]...\n");
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  std::string script, png, dist = VORRIN_DIST_DIR;
  std::vector<std::string> dialogs, values;
  int width = 800, height = 600, margin = 8;
  long frames = -1;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--list") {
      list = true;
    } else if (a == "--png" && hasValue) {
      png = argv[++i];
    } else if (a == "--value" && hasValue) {
      values.push_back(argv[++i]);
    } else if (a == "--dist" && hasValue) {
      dist = argv[++i];
    } else if (a == "--margin" && hasValue) {
      margin = std::atoi(argv[++i]);
    } else if (a == "--frames" && hasValue) {
      frames = std::atol(argv[++i]);
    } else if (a == "--size" && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 16 || height < 16 || width > 8192 ||
          height > 8192)
        return Usage();
    } else if (a.rfind("--", 0) == 0) {
      return Usage();
    } else if (script.empty()) {
      script = a;
    } else {
      dialogs.push_back(a);
    }
  }
  if (script.empty()) return Usage();

  // The reader's diagnostics (what it could not find in the script) are what an author needs.
  xSetDiagnostics(1);
  CDialogStage stage;
  if (!stage.Start(width, height, list || !png.empty()) || !stage.Load(dist, script)) {
    std::fprintf(stderr, "dialogview: %s\n", stage.Error().c_str());
    return 1;
  }
  if (list) {
    for (const std::string& name : stage.WindowNames()) std::printf("%s\n", name.c_str());
    return 0;
  }
  if (!stage.Open(dialogs)) {
    std::fprintf(stderr, "dialogview: %s\n", stage.Error().c_str());
    return 1;
  }
  bool set = stage.ApplyDataValues();
  for (const std::string& v : values) set = set && stage.SetValue(v);
  if (!set) {
    std::fprintf(stderr, "dialogview: %s\n", stage.Error().c_str());
    return 1;
  }
  if (!png.empty()) {
    stage.Freeze();
    // Two passes: the first draws, the second settles anything the first one asked to redraw.
    stage.Frame();
    stage.Frame();
    TRgbImage image;
    if (!stage.Capture(&image, margin) || !WritePng(png, image)) {
      std::fprintf(stderr, "dialogview: cannot write %s\n", png.c_str());
      return 1;
    }
    return 0;
  }
  for (long n = 0; frames < 0 || n < frames; ++n)
    if (stage.Frame()) break;
  return 0;
}
