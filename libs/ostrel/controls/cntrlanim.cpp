#include <memory>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/graphics/bitmap.h"

namespace {
// Far beyond any picture of the system; keeps hostile scripts from asking for absurd work.
constexpr int32_t kMaxFrames = 4096;
constexpr int64_t kMaxCoordinate = 1 << 20;
constexpr int32_t kMaxFrameSide = 16384;
}  // namespace

TCntrlAnim::~TCntrlAnim() {
  for (CBitmap* b : m_Frames) delete b;
}

TAnimLine::TAnimLine()
    : m_Name{},
      m_MinBefore(0),
      m_MaxBefore(0),
      m_pAnim(nullptr),
      m_MinAfter(0),
      m_MaxAfter(0),
      m_Step(0),
      m_WaitStart(0),
      m_Wait(0),
      m_pSuccessors(nullptr) {}

TAnimLine::~TAnimLine() {
  if (m_pSuccessors) {
    m_pSuccessors->KillAllData();
    delete m_pSuccessors;
  }
}

TCntrlAnim* xCreateCntrlAnim(CBitmap* source, int32_t frameWidth, int32_t frameHeight, int32_t count,
                             int32_t columns, int32_t rows, int32_t copy, int32_t bltMode) {
  if (count < 0 || columns < 0 || rows < 0) return nullptr;
  if (count == 0) {
    const int64_t product = static_cast<int64_t>(columns) * rows;
    if (product > kMaxFrames) return nullptr;
    count = static_cast<int32_t>(product);
  }
  if (rows == 0) rows = 99999;
  if (columns == 0) columns = count;
  if (count == 0 || count > kMaxFrames) return nullptr;
  if (frameWidth <= 0 || frameHeight <= 0 || frameWidth > kMaxFrameSide || frameHeight > kMaxFrameSide) return nullptr;
  if (copy == 1 && !source) return nullptr;

  std::unique_ptr<TCntrlAnim> anim(new (std::nothrow) TCntrlAnim);
  if (!anim) return nullptr;
  if (copy != 1) anim->m_pSource = source;
  const bool indexed = xGuiScreenIndexed() != 0;
  int32_t made = 0;
  for (int32_t r = 0; r < rows && made < count; ++r) {
    for (int32_t c = 0; c < columns && made < count; ++c, ++made) {
      const int64_t x = static_cast<int64_t>(c) * frameWidth;
      const int64_t y = static_cast<int64_t>(r) * frameHeight;
      if (x > kMaxCoordinate || y > kMaxCoordinate) return nullptr;
      if (copy != 1) {
        CRect frame;
        frame.SetXYWH(static_cast<int32_t>(x), static_cast<int32_t>(y), frameWidth, frameHeight);
        anim->m_Rects.push_back(frame);
        continue;
      }
      std::unique_ptr<CBitmap> bitmap(new (std::nothrow) CBitmap);
      if (!bitmap) return nullptr;
      const int32_t ok = indexed ? bitmap->CreateIndex(frameWidth, frameHeight, 8, xGuiScreenPalette(), 0)
                                 : bitmap->CreateRGB(frameWidth, frameHeight, 24, 8, 8, 8, 16, 8, 0, 0);
      if (!ok) return nullptr;
      bitmap->Blt(source, static_cast<int32_t>(x), static_cast<int32_t>(y), 0, 0, frameWidth, frameHeight,
                  bltMode, 0, 0);
      if (!xGuiMakeScreenBitmap(bitmap.get())) xGuiMakeScreenFormat(bitmap.get(), 1);
      anim->m_Frames.push_back(bitmap.release());
    }
  }
  return anim.release();
}
