#include "cardgamehistorydisplay.h"

#include <algorithm>
#include <memory>
#include <new>

#include "historydraw.h"
#include "historyscript.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

CCardGameHistoryDisplay::CCardGameHistoryDisplay(CResData* res, GamestxtCFVModule* game)
    : CGameHistoryDisplay(res, game) {}

CCardGameHistoryDisplay::~CCardGameHistoryDisplay() = default;

int32_t CCardGameHistoryDisplay::LoadCardList() {
  if (!LoadResDataLocal()) return 0;
  CResData& r = *GetLocalResources();
  const char* path = r.GetResString("STR_CARDSLOCATION", nullptr);
  if (!path) {
    xprintf("CCardGameHistoryDisplay::LoadCardList() Unable to get card texture path.");
    return 0;
  }
  std::unique_ptr<CBitmap> texture(new (std::nothrow) CBitmap);
  if (!texture || !texture->Load(path, 0)) {
    xprintf("CCardGameHistoryDisplay::LoadCardList() Unable to load card texture.");
    return 0;
  }

  int32_t joker = 0;
  m_CardSpacing = HISTORY_CARD_SPACING;
  {
    CHistoryDataChunk data(&r);
    if (data.Find("DECKHAVEJOKER") && !r.GetBool(0, &joker)) joker = 0;
    int32_t spacing = 0;
    // A negative spacing would draw the cards right to left off the picture: the default stands.
    if (data.FindLong("CARDSPACING", spacing) && spacing >= 0) m_CardSpacing = spacing;
  }

  const int32_t rows = joker ? 5 : 4;
  m_CardWidth = texture->m_Width / 13;
  m_CardHeight = texture->m_Height / rows;
  if (m_CardWidth < 1 || m_CardHeight < 1) {
    xprintf("CCardGameHistoryDisplay::LoadCardList() Card texture of %dx%d holds no cards.", texture->m_Width,
            texture->m_Height);
    return 0;
  }
  for (int32_t row = 0; row < rows; ++row) {
    for (int32_t column = 0; column < 13; ++column) {
      const int32_t index = row * 13 + column;
      if (index >= HISTORY_CARDS) break;
      if (m_pCards[index]) {
        GetBitmaps().Free(m_pCards[index]);
        delete m_pCards[index];
      }
      m_pCards[index] = GetBitmaps().CreateCopy(texture.get(), column * m_CardWidth, row * m_CardHeight, m_CardWidth,
                                                m_CardHeight);
      if (!m_pCards[index]) {
        xprintf("CCardGameHistoryDisplay::LoadCardList() Failed to allocate CBitmap object.");
        return 0;
      }
    }
  }
  return 1;
}

CBitmap* CCardGameHistoryDisplay::GetCardBitmap(int32_t index) const {
  return index >= 0 && index < HISTORY_CARDS ? m_pCards[index] : nullptr;
}

void CCardGameHistoryDisplay::DrawCards(const int32_t* list, int32_t size, CBitmap* target) const {
  if (!list || size < 1 || !target) return;
  const int32_t count = std::min(list[0], size - 1);
  for (int32_t i = 0; i < count; ++i) {
    CBitmap* card = GetCardBitmap(list[1 + i]);
    if (!card) continue;
    const int64_t x = int64_t{m_CardSpacing} * i;
    if (i == count - 1) {
      xHistoryBlit(target, card, x, 0);
      continue;
    }
    // Only the part that the next card leaves visible.
    const int64_t width = std::min<int64_t>({m_CardSpacing, card->m_Width, int64_t{target->m_Width} - x});
    if (width > 0)
      target->Blt(card, 0, 0, static_cast<int32_t>(x), 0, static_cast<int32_t>(width), card->m_Height, 0, 1, 0);
  }
}
