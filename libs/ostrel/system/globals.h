// The two process-wide blocks. The program creates them, every module of the process receives the
// same two pointers, and all shared runtime state lives in them.
#pragma once

#include "ostrel/base/types.h"
#include "ostrel/graphics/shadetables.h"

class CLList;
class CObjPool;
class CKeyboard;
class CMouse;
class CPicTypeList;
class CScreenBaseList;
class CScreenBase;
class CWinCtrl;
class CWindow;
class CStatic;
class CButton;
class CJPGPic;
class CBMPPic;
class CDibScreen;
class CDxScreen;
class CMilesMusic;

using TDebugOutFunc = void (*)(const char* text);
using TLoadDataFunc = void (*)();
using TWaitOrSocketsFunc = void (*)(int32_t ms);

// Opaque handles of the platform layer's main window and its drawing context.
using TWindowHandle = void*;
using TDeviceContext = void*;

inline constexpr int APPLICATION_NAME_SIZE = 160;
inline constexpr int GLOBAL_FLAG_COUNT = 4096;
inline constexpr int ZIGZAG_TABLE_SIZE = 80;

struct SGlobals {
  explicit SGlobals(int32_t poolFlag);
  SGlobals(const SGlobals&) = delete;
  SGlobals& operator=(const SGlobals&) = delete;

  char m_ApplicationName[APPLICATION_NAME_SIZE];
  TDebugOutFunc m_pStdDebugOut;
  TDebugOutFunc m_pLevelDebugOut;
  int32_t m_StdDebugMode;
  int32_t m_DebugLevel;
  CKeyboard* m_pKeyboard;
  CMouse* m_pMouse;
  uint16_t m_ZigZag[ZIGZAG_TABLE_SIZE];
  CPicTypeList* m_pPicTypeList;
  CScreenBaseList* m_pScreenList;
  CWinCtrl* m_pWinCtrl;
  CLList* m_pMsgSysList;
  CLList* m_pOwnedEntries;
  void* m_pColourMapCache;
  uint16_t* m_pSquares;
  CScreenBase* m_pCurrentScreen;
  CLList* m_pNodeList;
  CWindow* m_pDefaultWindow;
  CStatic* m_pStockStatic;
  CButton* m_pStockButton;
  int32_t m_MinimumFrameTime;
  int32_t m_UpdateTime;
  float m_UpdateRemainder;
  int32_t m_UpdateSteps;
  uint32_t m_LastFrameTime;
  CLList* m_pActiveTimers;
  CLList* m_pPendingTimers;
  SShadeTables m_Shade;
  uint8_t m_ByteOrder;        // 0 unknown, 1 big-endian host, 2 little-endian host
  uint8_t m_UserWantsToQuit;
  uint8_t m_NoValidation;
  uint32_t m_UidCounter;
  TLoadDataFunc m_pLoadDataCallback;
  uint8_t m_GlobalFlags[GLOBAL_FLAG_COUNT];
  int32_t m_DebugScreen;
  int32_t m_WaitMode;
  int32_t m_MaxWaitFlag;
  int32_t m_MaxWait;
  int32_t m_PoolFlag;
  CLList* m_pFramePools;
  CObjPool* m_pTreeNodePool;
  TWaitOrSocketsFunc m_pWaitOrSocketsCallback;
  // The communication library's registries (lists of pointers it does not own); it creates and
  // frees them in its start-up and close-down. Registered links:
  CLList* m_pLocalClientCommList;
  CLList* m_pLocalServerCommList;
  CLList* m_pRemoteClientCommList;
  CLList* m_pRemoteServerCommList;
  // Links and servers between their Startup and Closedown, walked by the socket wait:
  CLList* m_pStartedLocalClientList;
  CLList* m_pStartedRemoteClientList;
  CLList* m_pStartedLocalServerList;
  CLList* m_pStartedRemoteServerList;
  // The forwarding proxy's connections and servers:
  CLList* m_pProxyConnectionList;
  CLList* m_pProxyServerList;
  // Entries of the communication library's socket wait, when pools are switched on.
  CObjPool* m_pSockWaitPool;
  // Large packet blocks the communication library keeps for reuse.
  struct SPacketBlockCache* m_pPacketBlockCache;
};

struct SSysGlobals {
  SSysGlobals() = default;
  SSysGlobals(const SSysGlobals&) = delete;
  SSysGlobals& operator=(const SSysGlobals&) = delete;

  CJPGPic* m_pJPGPic = nullptr;
  CBMPPic* m_pBMPPic = nullptr;
  CDibScreen* m_pDibScreen = nullptr;
  CDxScreen* m_pDxScreen = nullptr;
  TWindowHandle m_hMainWnd = nullptr;
  TDeviceContext m_hDC = nullptr;
  uint16_t m_WndClassAtom = 0;
  CLList* m_pWinMsgList = nullptr;
  int32_t m_SocketStartCount = 0;
  CMilesMusic* m_pMusic = nullptr;
};

extern SGlobals* glb;
extern SSysGlobals* sglb;
extern void* ThisInstance;
