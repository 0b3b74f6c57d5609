// A money amount as a stack of chips: made into a picture, drawn on the screen or stamped into its
// persistent background, or moved in steps from one point to another (a bet pushed to the table,
// a win paid out). The game's drawing code calls it every frame; it keeps no timer of its own.
#pragma once

#include <cstdint>

#include "ostrel/base/money.h"

class CBitmap;
class CScreenBase;

class CChipStack {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;
  static constexpr int32_t NUM_VALUES = 5;
  // The five denominations and the fraction chip.
  static constexpr int32_t NUM_CHIP_KINDS = 6;
  static constexpr int32_t CHIP_STEP = 3;  // pixels between one chip and the next above it

  CChipStack();
  ~CChipStack();
  CChipStack(const CChipStack&) = delete;
  CChipStack& operator=(const CChipStack&) = delete;

  // Makes the stack's own bitmap when there is none; Exit deletes it.
  int32_t Init();
  int32_t Exit();

  // Smallest first.
  void SetChipValues(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5);
  // Six chip images side by side, each chip width + 1 pixel apart, the fraction chip last; pure
  // green is see-through. Not owned.
  void SetChipBitmap(CBitmap* strip) { m_pChipBitmap = strip; }
  void SetDimension(int32_t chipWidth, int32_t chipHeight);
  // Frames of a move (20 at construction); fewer than 1 counts as 1.
  void SetSpeed(int32_t steps) { m_NumSteps = steps; }
  void SetAnimation(int32_t on) { m_Animate = on; }
  // Chips of each denomination, smallest first, then the fraction chip, of the last picture made
  // into the own bitmap. Exact even where the picture shows fewer.
  const int32_t* GetChipAmounts() const { return m_ChipCounts; }

  // The stack drawn with its centre column at x and its bottom at y + chip height / 2 (which
  // becomes the target); nothing for an amount of 0 or below. 1 when drawn.
  int32_t Draw(double amount, int32_t x, int32_t y);
  int32_t Draw(const TMoney& amount, int32_t x, int32_t y);
  // The same into the screen's persistent background; it shows after the next ClearBuffer.
  int32_t Stamp(double amount, int32_t x, int32_t y);
  int32_t Stamp(const TMoney& amount, int32_t x, int32_t y);

  // Starts a move of the amount's stack from (fromX, fromY) to (toX, toY); with stampAtEnd set
  // the stack is stamped at the target when the move ends. A move of 0 is done at once.
  int32_t InitMove(int32_t stampAtEnd, double amount, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);
  int32_t InitMove(int32_t stampAtEnd, const TMoney& amount, int32_t fromX, int32_t fromY, int32_t toX,
                   int32_t toY);
  // One frame of the move; finished becomes 1 when the move has ended, else 0.
  int32_t Move(int32_t& finished);

  // The amount's stack: height gets its height in pixels (0 for nothing to show). With a target,
  // the target becomes a chip width by height picture on pure green in the screen's format, the
  // chips drawn from the bottom up, largest first, the fraction chip on top. A stack never grows
  // taller than the current screen. 1 when there is a stack.
  int32_t CreateChipBitmap(double amount, CBitmap* target, int32_t& height);
  int32_t CreateChipBitmap(const TMoney& amount, CBitmap* target, int32_t& height);

  int32_t GetHeight() const { return m_StackHeight; }
  bool IsMoving() const { return !m_Done; }

 private:
  // An amount split into chips.
  struct SChips {
    int32_t m_Counts[NUM_CHIP_KINDS] = {};
    bool m_Empty = true;
  };

  SChips Split(double amount) const;
  SChips Split(const TMoney& amount) const;
  SChips SplitWhole(uint64_t whole, bool fraction) const;
  int32_t MakePicture(const SChips& chips, CBitmap* target, int32_t& height);
  int32_t DrawOwn(const SChips& chips, int32_t x, int32_t y, bool persistent);
  int32_t StartMove(int32_t stampAtEnd, const SChips& chips, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);
  // The own bitmap with its centre column at x and its bottom at y + chip height / 2.
  void Put(int32_t x, int32_t y, bool persistent);

  int32_t m_ChipValues[NUM_VALUES] = {1, 5, 25, 100, 500};
  double m_StepX = 0, m_StepY = 0;
  double m_CurrentX = 0, m_CurrentY = 0;
  int32_t m_ChipCounts[NUM_CHIP_KINDS] = {};
  int32_t m_StackHeight = 0;
  int32_t m_TargetX = 0, m_TargetY = 0;
  int32_t m_NumSteps = 20;
  int32_t m_StampAtEnd = 0;
  int32_t m_Done = 1;
  CBitmap* m_pBitmap = nullptr;      // owned
  CBitmap* m_pChipBitmap = nullptr;  // not owned
  int32_t m_ChipWidth = 0, m_ChipHeight = 0;
  int32_t m_Animate = 1;
};
