// Messages between the main windows of programs of the same user on this machine. A program
// that opens its main window listens on an abstract Unix socket named after the window's title
// (without regard to ASCII case, as titles are found); others connect to it to find the window,
// to raise or minimise it, or to send it a message and wait for the result.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t { XWINREQ_MESSAGE = 1, XWINREQ_RAISE = 2, XWINREQ_MINIMISE = 3 };

struct TWindowRequest {
  uint32_t m_Kind;
  uint32_t m_Message;
  int32_t m_WParam;
  int32_t m_LParam;
};

// The request as it travels; both ends are on this machine, so fields are in host order.
inline constexpr size_t XWINREQ_SIZE = 20;
void PlatformEncodeWindowRequest(const TWindowRequest& request, uint8_t out[XWINREQ_SIZE]);
// false unless the bytes are exactly one well-formed request.
bool PlatformDecodeWindowRequest(const uint8_t* data, size_t n, TWindowRequest& out);

using TWindowRequestHandler = int64_t (*)(const TWindowRequest& request);

// Listens as the window titled title, in place of an earlier title of this process. Requests go
// to handler from PlatformWindowServe. false when another program has the title already or no
// socket can be made.
bool PlatformWindowListen(const char* title, TWindowRequestHandler handler);
void PlatformWindowStopListening();
bool PlatformWindowListening();
// Serves the requests that have arrived, never waiting for more. A handler may itself send.
void PlatformWindowServe();

bool PlatformWindowExists(const char* title);
// Raise and minimise are delivered, not waited for: true when the window exists.
bool PlatformWindowNotify(const char* title, uint32_t kind);

enum EWindowSendResult { XWINSEND_ANSWERED, XWINSEND_NOT_FOUND, XWINSEND_NO_ANSWER };
// Sends and waits for the receiver's result, at most timeoutMs on the platform clock; requests
// to this process's own window are served meanwhile, so two programs may send to each other
// from inside their handlers.
EWindowSendResult PlatformWindowSend(const char* title, const TWindowRequest& request, uint32_t timeoutMs,
                                     int64_t& result);
