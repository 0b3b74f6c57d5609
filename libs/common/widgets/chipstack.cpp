#include "common/widgets/chipstack.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/blit.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

namespace {
constexpr int32_t kFractionChip = CChipStack::NUM_CHIP_KINDS - 1;
// How tall a stack may grow while no screen tells.
constexpr int32_t kHeightWithoutScreen = 2048;
// Whole parts above this many units need no exact chip count: every count saturates anyway.
constexpr double kLargestWhole = 1e18;

CScreenBase* Screen() {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  return screen && screen->GetActiveMode() ? screen : nullptr;
}

int32_t MaxStackHeight() {
  const CScreenBase* screen = Screen();
  return screen ? screen->GetActiveMode()->Height : kHeightWithoutScreen;
}

// To the nearest pixel, a fraction of exactly one half rounding down.
int32_t RoundPixel(double v) {
  const double r = std::ceil(v - 0.5);
  if (!(r > std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  if (r >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

// Whether a coordinate moving by step has reached or passed its target; never for step 0.
bool Reached(double at, double step, int32_t target) {
  return (step > 0 && at >= target) || (step < 0 && at <= target);
}
}  // namespace

CChipStack::CChipStack() = default;

CChipStack::~CChipStack() { Exit(); }

int32_t CChipStack::Init() {
  if (!m_pBitmap) m_pBitmap = new CBitmap;
  return 1;
}

int32_t CChipStack::Exit() {
  delete m_pBitmap;
  m_pBitmap = nullptr;
  return 1;
}

void CChipStack::SetChipValues(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5) {
  const int32_t values[NUM_VALUES] = {v1, v2, v3, v4, v5};
  std::copy(values, values + NUM_VALUES, m_ChipValues);
}

void CChipStack::SetDimension(int32_t chipWidth, int32_t chipHeight) {
  m_ChipWidth = chipWidth;
  m_ChipHeight = chipHeight;
}

// ---- the split ----------------------------------------------------------------------------------

CChipStack::SChips CChipStack::Split(double amount) const {
  if (!(amount > 0)) return {};  // nothing, also for a NaN
  const double whole = std::floor(std::min(amount, kLargestWhole));
  return SplitWhole(static_cast<uint64_t>(whole), amount - std::floor(amount) > 0);
}

// Money is split digit by digit, exactly.
CChipStack::SChips CChipStack::Split(const TMoney& amount) const {
  if (amount.GetError() || amount.IsNegative() || amount.IsZero()) return {};
  uint64_t whole = 0;
  for (int i = 0; i < TMoney::kIntDigits; ++i) whole = whole * 10 + amount.m_Digits[i];
  bool fraction = false;
  for (int i = TMoney::kIntDigits; i < TMoney::kDigits; ++i) fraction = fraction || amount.m_Digits[i] != 0;
  return SplitWhole(whole, fraction);
}

// Greedy from the fifth value down to the first; what is left below the smallest chip, like a
// fraction, is one fraction chip.
CChipStack::SChips CChipStack::SplitWhole(uint64_t whole, bool fraction) const {
  SChips chips;
  chips.m_Empty = false;
  for (int k = NUM_VALUES - 1; k >= 0; --k) {
    if (m_ChipValues[k] <= 0) continue;
    const uint64_t value = static_cast<uint64_t>(m_ChipValues[k]);
    const uint64_t n = whole / value;
    chips.m_Counts[k] = static_cast<int32_t>(std::min<uint64_t>(n, std::numeric_limits<int32_t>::max()));
    whole -= n * value;
  }
  chips.m_Counts[kFractionChip] = fraction || whole > 0 ? 1 : 0;
  return chips;
}

// ---- the picture --------------------------------------------------------------------------------

int32_t CChipStack::CreateChipBitmap(double amount, CBitmap* target, int32_t& height) {
  return MakePicture(Split(amount), target, height);
}

int32_t CChipStack::CreateChipBitmap(const TMoney& amount, CBitmap* target, int32_t& height) {
  return MakePicture(Split(amount), target, height);
}

int32_t CChipStack::MakePicture(const SChips& chips, CBitmap* target, int32_t& height) {
  if (target && target == m_pBitmap) std::copy(chips.m_Counts, chips.m_Counts + NUM_CHIP_KINDS, m_ChipCounts);
  int64_t total = 0;
  for (int32_t count : chips.m_Counts) total += count;
  if (chips.m_Empty || total == 0) {
    height = 0;
    if (target) target->Free();
    return 0;
  }
  // The chips that fit the screen, keeping the fraction chip on top.
  const int32_t fraction = chips.m_Counts[kFractionChip];
  const int64_t fits = std::max<int64_t>(1, (MaxStackHeight() - m_ChipHeight) / CHIP_STEP);
  const int64_t shown = std::min(total, fits);
  int64_t wholeShown = std::max<int64_t>(0, shown - fraction);
  height = static_cast<int32_t>(CHIP_STEP * shown + m_ChipHeight);
  if (!target) return 1;

  if (!target->CreateRGB(m_ChipWidth, height, 24, 8, 8, 8, 16, 8, 0, 0)) return 0;
  const TRGBA green(0, 255, 0);
  target->Fill(&green);
  if (CScreenBase* screen = Screen()) screen->MakeScreenFormat(target, 1);
  if (!m_pChipBitmap) return 1;

  int32_t top = height - m_ChipHeight;
  auto put = [&](int32_t kind) {
    target->Blt(m_pChipBitmap, kind * (m_ChipWidth + 1), 0, 0, top, m_ChipWidth, m_ChipHeight, BLT_MODE_KEY, 0, 0);
    top -= CHIP_STEP;
  };
  for (int32_t k = NUM_VALUES - 1; k >= 0 && wholeShown > 0; --k)
    for (int64_t n = std::min<int64_t>(chips.m_Counts[k], wholeShown); n > 0; --n, --wholeShown) put(k);
  if (fraction && shown > 0) put(kFractionChip);
  return 1;
}

// ---- drawing and moving -------------------------------------------------------------------------

void CChipStack::Put(int32_t x, int32_t y, bool persistent) {
  CScreenBase* screen = Screen();
  if (!screen || !m_pBitmap || !m_pBitmap->m_pData) return;
  const int32_t left = x - m_ChipWidth / 2, top = y + m_ChipHeight / 2 - m_StackHeight;
  if (persistent)
    screen->DrawBitmapPersistent(m_pBitmap, 0, 0, left, top, -1, -1, BLT_MODE_KEY, 0);
  else
    screen->DrawBitmapScreen(m_pBitmap, 0, 0, left, top, -1, -1, BLT_MODE_KEY, 0);
}

int32_t CChipStack::DrawOwn(const SChips& chips, int32_t x, int32_t y, bool persistent) {
  if (chips.m_Empty || !m_pBitmap) return 0;
  if (!MakePicture(chips, m_pBitmap, m_StackHeight)) return 0;
  Put(x, y, persistent);
  m_TargetX = x;
  m_TargetY = y;
  return 1;
}

int32_t CChipStack::Draw(double amount, int32_t x, int32_t y) { return DrawOwn(Split(amount), x, y, false); }
int32_t CChipStack::Draw(const TMoney& amount, int32_t x, int32_t y) { return DrawOwn(Split(amount), x, y, false); }
int32_t CChipStack::Stamp(double amount, int32_t x, int32_t y) { return DrawOwn(Split(amount), x, y, true); }
int32_t CChipStack::Stamp(const TMoney& amount, int32_t x, int32_t y) { return DrawOwn(Split(amount), x, y, true); }

int32_t CChipStack::InitMove(int32_t stampAtEnd, double amount, int32_t fromX, int32_t fromY, int32_t toX,
                             int32_t toY) {
  return StartMove(stampAtEnd, Split(amount), fromX, fromY, toX, toY);
}

int32_t CChipStack::InitMove(int32_t stampAtEnd, const TMoney& amount, int32_t fromX, int32_t fromY, int32_t toX,
                             int32_t toY) {
  return StartMove(stampAtEnd, Split(amount), fromX, fromY, toX, toY);
}

int32_t CChipStack::StartMove(int32_t stampAtEnd, const SChips& chips, int32_t fromX, int32_t fromY, int32_t toX,
                              int32_t toY) {
  if (chips.m_Empty) {
    m_Done = 1;
    return 1;
  }
  if (m_pBitmap) MakePicture(chips, m_pBitmap, m_StackHeight);
  m_TargetX = toX;
  m_TargetY = toY;
  m_StampAtEnd = stampAtEnd;
  m_Done = 0;
  const double steps = std::max(1, m_NumSteps);
  m_StepX = (double(toX) - fromX) / steps;
  m_StepY = (double(toY) - fromY) / steps;
  m_CurrentX = fromX;
  m_CurrentY = fromY;
  return 1;
}

int32_t CChipStack::Move(int32_t& finished) {
  finished = 0;
  if (m_Done || !m_pBitmap || !m_pBitmap->m_pData) {
    m_Done = 1;
    finished = 1;
    return 1;
  }
  if (!m_Animate) {
    m_CurrentX = m_TargetX;
    m_CurrentY = m_TargetY;
  }
  Put(RoundPixel(m_CurrentX), RoundPixel(m_CurrentY), false);
  m_CurrentX += m_StepX;
  m_CurrentY += m_StepY;
  // A move that goes nowhere ends after its one picture.
  const bool still = m_StepX == 0 && m_StepY == 0;
  if (still || Reached(m_CurrentX, m_StepX, m_TargetX) || Reached(m_CurrentY, m_StepY, m_TargetY)) {
    if (m_StampAtEnd) Put(m_TargetX, m_TargetY, true);
    m_Done = 1;
    finished = 1;
  }
  return 1;
}
