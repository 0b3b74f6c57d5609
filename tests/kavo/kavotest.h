// The blackjack table's data as the build stages it: the three main scripts, the panel script and
// the pictures in the install folder, read on the headless 800 x 600 screen with the base pack
// loaded, from the install folder as the client reads them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/controls/controlbase.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/basepack.h"
#include "ostrel/resources/resdata.h"
#include "support/guiharness.h"
#include "support/tempdir.h"

struct SKavoTable {
  const char* Script;  // xrs/<Script>
  const char* Name;    // pictures/kavo/<Name>_table<v>.bmp
  bool SideBet;
  bool OneDeck;
};
inline const SKavoTable kKavoTables[] = {
    {"kavo_main.xrs", "kavo", false, false},
    {"kavo_ss_main.xrs", "kavo_ss", true, false},
    {"kavo_onedeck_main.xrs", "kavo_onedeck", false, true},
};
inline std::string KavoTableName(const ::testing::TestParamInfo<SKavoTable>& info) { return info.param.Name; }

class CKavoTest : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    StartScreen(800, 600);
    ASSERT_EQ(xLoadBaseResData(&m_Base, VORRIN_DIST_DIR), 1);
    m_Here = std::make_unique<CWorkingDir>(VORRIN_DIST_DIR);
  }
  void TearDown() override {
    m_Dialogs.clear();
    m_Here.reset();
    m_Base.Free();
    CGuiTest::TearDown();
  }

  // A dialog section of a script, created as the table creates it; null when it does not build.
  CDialog* Dialog(CResData* script, int32_t id) {
    auto d = std::make_unique<CDialog>();
    if (!d->Create(script, id, Record, 0, nullptr)) return nullptr;
    m_Dialogs.push_back(std::move(d));
    return m_Dialogs.back().get();
  }
  // x, y, width, height of a control of a dialog, relative to the dialog; false when it has none.
  static bool ControlBox(CDialog* dialog, int32_t id, int32_t (&box)[4]) {
    TGuiCtrl* r = dialog ? dialog->GetGuiCtrl(id) : nullptr;
    if (!r || !r->m_pCntrl) return false;
    r->m_pCntrl->GetPos(box[0], box[1]);
    r->m_pCntrl->GetSize(box[2], box[3]);
    return true;
  }

  // The values of a key of the current chunk: empty when it is missing; a scalar gives one value.
  static std::vector<double> Values(CResData& r, const char* key, int32_t* count) {
    *count = -1;
    if (!r.FindItem(key)) return {};
    if (r.GetDataType(0) == 3) {
      r.GetNumArrayItems(0, count);
      std::vector<double> v(static_cast<size_t>(std::max(*count, 0)));
      if (*count > 0 && !r.GetDoubleArray(0, v.data(), *count)) return {};
      return v;
    }
    double v = 0;
    *count = 0;
    if (!r.GetDouble(0, &v)) return {};
    return {v};
  }
  static std::vector<int32_t> Longs(CResData& r, const char* key) {
    int32_t count = 0;
    const std::vector<double> v = Values(r, key, &count);
    return std::vector<int32_t>(v.begin(), v.end());
  }
  static double Double(CResData& r, const char* key) {
    int32_t count = 0;
    const std::vector<double> v = Values(r, key, &count);
    return v.empty() ? 0.0 : v[0];
  }

  CResData m_Base;
  std::unique_ptr<CWorkingDir> m_Here;
  std::vector<std::unique_ptr<CDialog>> m_Dialogs;
};
