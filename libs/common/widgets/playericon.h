// The controls that show one seat's player on a table dialog: think bubble, picture, a third
// control, name, a fifth control (the seat's cash) and join button. The picture is cut out of an
// icon strip of cells, each cell width + 1 by cell height + 1 pixels apart from the strip's
// corner (1, 1): row 0 and row 1 hold the two kinds of icons, row 2 the numbers beyond them.
#pragma once

#include <cstdint>

class CBitmap;
class CControlBase;

class CPlayerIcon {
 public:
  // Makes think bubbles visible process-wide again.
  CPlayerIcon();
  // Takes its picture back from the picture control: an icon goes before the dialog that holds
  // its controls.
  virtual ~CPlayerIcon();
  CPlayerIcon(const CPlayerIcon&) = delete;
  CPlayerIcon& operator=(const CPlayerIcon&) = delete;

  // Bit 2 of SetIcon's kind: the icon is shown chequered.
  static constexpr int32_t ICON_CHEQUERED = 4;

  // The six controls are the dialog's (not owned); joinAllowed 0 hides the fifth control of
  // highlighted icons. Always 1.
  int32_t Init(CControlBase* bubble, CControlBase* picture, CControlBase* third, CControlBase* name,
               CControlBase* fifth, CControlBase* joinButton, int32_t joinAllowed);
  // The icon strip (not owned) and its cells. 0 for a null strip or a cell size below 1.
  int32_t InitIconBitmap(CBitmap* strip, int32_t cellWidth, int32_t cellHeight, int32_t row0Count,
                         int32_t row1Count, int32_t extra1, int32_t extra2);
  // kind: the row (0 or 1) with ICON_CHEQUERED. A number not below the row's count (row 1's count
  // for a chequered icon of another row, else row 0's) is taken from row 2, less that count. The
  // cell becomes a new picture of the picture control's size, every other pixel of a chequered
  // icon in the colour of its first pixel, and the control's four looks. A chequered icon, or a
  // highlighted one while joining is not allowed, hides the fifth control. 0 without a picture
  // control or strip, or (the picture control then showing none) for a cell outside the strip.
  int32_t SetIcon(int32_t kind, int32_t number, int32_t highlight);
  // The name into the name control's text, cut to its buffer; 0 without a control or buffer.
  int32_t SetName(const char* name);
  // Kept; while bubbles are visible process-wide the bubble control shows for a value above 0
  // and hides for others.
  void SetBubble(int32_t value);
  static void SetGlobalBubbleVisible(int32_t visible);
  static int32_t GetGlobalBubbleVisible();
  // The kept bubble value applied, or the bubble hidden while bubbles are not visible.
  void UpdateBubbleFromGlobal();
  // 0 when the picture, third, name or fifth control is missing; a negative mode changes
  // nothing; else those four show (mode above 0) or hide, the fifth staying hidden under
  // SetIcon's rule. 1.
  int32_t SetPlayMode(int32_t mode);
  // Ignored when null.
  void SetJoinButton(CControlBase* button);
  // show: enable a disabled join button; 0 disables it as HideJoinButton.
  void ShowJoinButton(int32_t show);
  // Disables the join button and clears the screen area it covered.
  void HideJoinButton();
  CControlBase* GetIconCtrl() const { return m_pPicture; }

  int32_t GetBubble() const { return m_Bubble; }
  int32_t IsChequered() const { return m_Chequered; }
  int32_t GetRow() const { return m_Row; }
  int32_t GetNumber() const { return m_Number; }
  const CBitmap* GetPicture() const { return m_pIcon; }

 private:
  // Shows (state 2) or hides (state 5) the control, clearing the area a hidden one covered;
  // nothing when it is in that state already.
  static void Show(CControlBase* control, bool show);
  static void SetStateOnce(CControlBase* control, int32_t state);
  bool FifthHidden() const { return m_Chequered || (!m_JoinAllowed && m_Highlight); }
  void FreePicture();

  CControlBase* m_pBubble = nullptr;
  CControlBase* m_pPicture = nullptr;
  CControlBase* m_pThird = nullptr;
  CControlBase* m_pName = nullptr;
  CControlBase* m_pFifth = nullptr;
  CControlBase* m_pJoinButton = nullptr;
  int32_t m_Row = 0;
  int32_t m_Chequered = 0;
  int32_t m_Number = 0;
  CBitmap* m_pStrip = nullptr;
  int32_t m_CellWidth = 0, m_CellHeight = 0;
  int32_t m_Row0Count = 0, m_Row1Count = 0;
  int32_t m_Extra1 = 0, m_Extra2 = 0;
  CBitmap* m_pIcon = nullptr;  // owned
  int32_t m_JoinAllowed = 1;
  int32_t m_Highlight = 0;
  int32_t m_Bubble = 0;
};
