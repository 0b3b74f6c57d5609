#include "panelfixture.h"

#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"

namespace {

const char* const kFiles[] = {"chips.bmp", "panel.bmp", "light.bmp", "digits.bmp", "dotsdef.bmp", "dotsfull.bmp",
                              "denom0.bmp", "denom1.bmp", "denom2.bmp", "denom3.bmp", "panel.xrs"};

std::string DataDir() { return std::string(VORRIN_TEST_DATA_DIR); }

}  // namespace

void CPanelTest::SetUp() {
  CGuiTest::SetUp();
  m_pDir = std::make_unique<CTempDir>();
  for (const char* file : kFiles) WriteWholeFile(m_pDir->File(file), ReadWholeFile(DataDir() + "/panel/" + file));
  WriteWholeFile(m_pDir->File("test.xbf"), ReadWholeFile(DataDir() + "/resources/test.xbf"));
  m_pHere = std::make_unique<CWorkingDir>(m_pDir->Path());
  m_pFont = xGuiLoadFont((DataDir() + "/resources/test.xbf").c_str());
  ASSERT_NE(m_pFont, nullptr);
  WC().SetDefaultFont(m_pFont);
  ASSERT_EQ(m_GameRes.Import("{ = Strings\n    PANELSCRIPT = 11000, \"panel.xrs\"\n}\n"), 1);
  StartScreen(800, 600);
  m_pPanel = std::make_unique<CPanel>();
}

void CPanelTest::TearDown() {
  if (m_pPanel) m_pPanel->Exit();
  m_pPanel.reset();
  WC().SetDefaultFont(nullptr);
  xGuiDeleteFont(m_pFont);
  m_pHere.reset();
  m_pDir.reset();
  CGuiTest::TearDown();
}

std::string CPanelTest::Script() const { return ReadWholeFile(DataDir() + "/panel/panel.xrs"); }
void CPanelTest::WriteScript(const std::string& text) const { WriteWholeFile(m_pDir->File("panel.xrs"), text); }

int32_t CPanelTest::Init(int32_t requestFrames) {
  const int32_t ok = m_pPanel->Init(&m_GameRes, &m_Table, requestFrames, &CGuiTest::Record, nullptr);
  Frame();
  return ok;
}

CControlBase* CPanelTest::Ctrl(int32_t section, int32_t id) {
  CDialog* dialog = m_pPanel->GetDialog(section);
  return dialog ? dialog->GetCtrl(id) : nullptr;
}

int32_t CPanelTest::State(int32_t section, int32_t id) {
  CControlBase* c = Ctrl(section, id);
  return c ? c->GetState() : -1;
}

void CPanelTest::ClickCtrl(int32_t section, int32_t id) {
  CControlBase* c = Ctrl(section, id);
  ASSERT_NE(c, nullptr) << section << "/" << id;
  const CRect r = c->ScreenRect();
  Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void CPanelTest::Frames(int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    m_Clock.Advance(20);
    Frame();
  }
}

int32_t CPanelTest::DialogY(int32_t section) {
  int32_t x = 0, y = 0;
  CDialog* dialog = m_pPanel->GetDialog(section);
  if (!dialog) return -1;
  dialog->GetPos(x, y);
  return y;
}

uint32_t CPanelTest::PanelPixel(int32_t x, int32_t y) const {
  TRGBA c{};
  CBitmap* bm = m_pPanel->GetLowerLeftPanel();
  if (!bm || !bm->GetPixel(x, y, &c)) return 0xFFFFFFFF;
  return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
}
