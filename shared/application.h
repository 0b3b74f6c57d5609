// The application object of a module that the client loads: one per process (a second is refused),
// with the module's command line, its name, and a server message waiting to be shown. The module
// derives its own application from it; the timer, once the module's Initialize has registered it,
// shows the waiting message and closes the message windows the player has answered.
#pragma once

#include <cstdint>

#include "ostrel/base/cstring.h"
#include "ostrel/system/timers.h"
#include "shared/pendingmessage.h"

// The period of the application's timer, in milliseconds.
inline constexpr uint32_t APPLICATION_TIMER_PERIOD = 100;

class CApplication : public CTimer {
 public:
  // Throws CException when an instance exists, or when the communication library refuses the
  // host's globals.
  CApplication(int32_t argc, char** argv);
  ~CApplication() override;

  void TimerHandler(uint32_t period) override;
  virtual int32_t Initialize() = 0;
  virtual int32_t Exit() = 0;
  virtual int32_t Ticker() = 0;
  virtual int32_t Run() = 0;

  void SetName(const char* name) { m_Name = name ? name : ""; }
  const char* GetName() const { return m_Name; }
  int32_t GetArgc() const { return m_Argc; }
  char** GetArgv() const { return m_Argv; }

  // Takes a copy of the message and flags it for the next timer tick.
  void SetPendingMessage(const TPendingMessage& message);
  const TPendingMessage& GetPendingMessage() const { return m_PendingMessage; }

  // The process's application, or null.
  static CApplication* Instance() { return s_pInstance; }

 protected:
  // The module's message windows: shows the message (1 when it could be shown) / closes those
  // whose button was pressed. Without message windows nothing shows and the message keeps waiting.
  virtual int32_t ShowPendingMessage(const TPendingMessage&) { return 0; }
  virtual void CloseAnsweredMessageWindows() {}

 private:
  static CApplication* s_pInstance;
  CString m_Name;
  int32_t m_Argc;
  char** m_Argv;
  TPendingMessage m_PendingMessage;
};
