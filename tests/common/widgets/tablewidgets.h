// The table widgets' tests: the script and pictures of tests/data/widgets (drawn by
// tests/tools/make_widget_fixtures.py, whose colours are repeated here), its table dialog shown
// on a headless screen of the felt's size with the felt as its persistent layer, and pixel probes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/rgba.h"
#include "support/tempdir.h"
#include "widgetfixture.h"

namespace widgetpictures {
constexpr int32_t kScreenW = 240, kScreenH = 180;
constexpr int32_t IDD_TABLE = 500, IDS_HISTORY = 501, IDS_SHIELD = 502;
constexpr int32_t IDS_BUBBLE = 510, IDS_PICTURE = 511, IDS_THIRD = 512, IDS_NAME = 513, IDS_CASH = 514,
                  IDB_JOIN = 515;

constexpr uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// The felt under the table dialog.
inline uint32_t Felt(int32_t x, int32_t y) {
  const int weave = (x + y) % 4 == 0 ? 6 : ((x - y) % 4 == 0 ? 3 : 0);
  const int shade = (x * 7 + y * 5) % 9;
  return Rgb(12 + shade, 92 + weave + shade, 48 + shade);
}

// The lamps of the symbols bitmap, 12 by 10 each, 13 apart; their centre (6, 5) in their colour.
constexpr uint32_t kLampGreen = Rgb(40, 220, 70), kLampRed = Rgb(230, 40, 40), kLampUnlit = Rgb(70, 70, 78),
                   kLampAmber = Rgb(245, 180, 30);
constexpr uint32_t kHousing = Rgb(24, 24, 28);

// The coin strip: frames of 16 by 16, three to a row, on a magenta key; the middle of frame k.
constexpr uint32_t kKey = Rgb(255, 0, 255);
constexpr uint32_t Coin(int k) { return Rgb(230, 180 - 20 * k, 30 + 40 * k); }

// The player icons: cells of 20 by 24; row 0 holds 4, row 1 holds 3, row 2 holds 5. A cell's
// corner in its background, the middle of the head (10, 8) in its figure's colour.
constexpr int32_t kCellW = 20, kCellH = 24;
constexpr uint32_t IconBack(int row, int n) { return Rgb(40 + 40 * n, 60 + 60 * row, 200); }
constexpr uint32_t IconFigure(int row, int n) { return Rgb(20 + 10 * n, 30, 60 + 50 * row); }
}  // namespace widgetpictures

class CTableWidgetTest : public CWidgetTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  static std::string WidgetsDir();
  static std::string WidgetsScript();
  // Imports the script (the pictures load from the widgets folder) after closing the table;
  // 1 when it loaded.
  int32_t LoadScript(const std::string& text);
  // The script as it lies, with the first occurrence of from replaced by to.
  static std::string ScriptWith(const std::string& from, const std::string& to);
  // The table dialog of the loaded script, shown on the screen.
  void OpenTable();
  void CloseTable();
  CBitmap* Bm(const char* name) { return m_Res.GetBm(name, nullptr, nullptr); }
  CControlBase* Ctrl(int32_t id) { return m_pTable->GetCtrl(id); }
  // 0x00RRGGBB of what the window shows (the frame presented last).
  static uint32_t Seen(int32_t x, int32_t y);
  // A few frames, so that what was marked for drawing reaches the screen.
  static void Settle();
  // The diagnostics said while fn ran.
  template <class Fn>
  static std::string Said(Fn&& fn) {
    BeginSaying();
    fn();
    return EndSaying();
  }

  std::unique_ptr<CDialog> m_pTable;
  // The felt under the dialog, as the screen's persistent layer.
  CBitmap m_Felt;

 private:
  static void BeginSaying();
  static std::string EndSaying();
  std::unique_ptr<CWorkingDir> m_pCwd;
};
