// The one OS window of the process and its event queue, behind one table of operations so a
// headless backend (tests, no display) and a real one can stand in for each other.
#pragma once

#include <cstdint>

#include "platform/display/messages.h"

class CDisplayBackend {
 public:
  virtual ~CDisplayBackend() = default;
  virtual const char* Name() const = 0;

  // The window exists from OpenWindow to CloseWindow; closing it from the desktop only queues
  // XMSG_CLOSE.
  virtual bool OpenWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
  virtual void CloseWindow() = 0;
  virtual bool IsWindowOpen() const = 0;
  virtual void ShowWindow(bool visible) = 0;
  virtual bool IsWindowVisible() const = 0;
  // Brings the window in front of the others with the input focus; a minimised one comes back.
  virtual void RaiseWindow() = 0;
  virtual void MinimizeWindow() = 0;
  virtual bool IsWindowMinimized() const = 0;
  virtual void SetTitle(const char* title) = 0;

  // Takes the next waiting message, already translated; false when none waits. Never blocks.
  virtual bool PeekMessage(TPlatformMessage& out) = 0;
  // Queues a message for the pump (quit requests, messages from other programs, tests).
  virtual void PostMessage(const TPlatformMessage& message) = 0;
};

// The backend in use; the headless one until another is installed.
CDisplayBackend* PlatformDisplay();
// Installs a backend (null returns to the headless one). The caller keeps ownership.
void PlatformSetDisplay(CDisplayBackend* backend);
CDisplayBackend* PlatformHeadlessDisplay();

// Queues XMSG_QUIT with the exit code, as a program asks to end its loop.
void PlatformPostQuit(int32_t code);
