#include "ostrel/system/sysservices.h"

#include <cstring>
#include <ctime>
#include <new>

#include "ostrel/system/globals.h"

namespace {
constexpr size_t kDateTextSize = 128;

bool LocalNow(tm& out) {
  const time_t now = std::time(nullptr);
  return now != static_cast<time_t>(-1) && localtime_r(&now, &out) != nullptr;
}
}  // namespace

uint8_t xDoUserWantToQuit() { return glb ? glb->m_UserWantsToQuit : 0; }

void xSetUserWantToQuit(uint8_t on) {
  if (glb) glb->m_UserWantsToQuit = on;
}

char* xGetDateString() {
  auto* text = static_cast<char*>(::operator new(kDateTextSize, std::nothrow));
  if (!text) return nullptr;
  std::memset(text, 0, kDateTextSize);
  tm now{};
  if (LocalNow(now)) std::strftime(text, kDateTextSize, "%Y-%m-%d", &now);
  return text;
}

int32_t xGetDateInfo(int32_t& second, int32_t& minute, int32_t& hour, int32_t& day, int32_t& month, int32_t& year,
                     int32_t& weekday, int32_t& yearDay, int32_t& daylightSaving) {
  tm now{};
  if (!LocalNow(now)) return 0;
  second = now.tm_sec;
  minute = now.tm_min;
  hour = now.tm_hour;
  day = now.tm_mday;
  month = now.tm_mon;
  year = now.tm_year;
  weekday = now.tm_wday;
  yearDay = now.tm_yday;
  daylightSaving = now.tm_isdst;
  return 1;
}

char* xErrorMerge(const char* a, const char* b) {
  if (!a) a = "";
  if (!b) b = "";
  const size_t na = std::strlen(a), nb = std::strlen(b);
  auto* text = static_cast<char*>(::operator new(na + nb + 4, std::nothrow));
  if (!text) return nullptr;
  char* p = text;
  *p++ = '[';
  std::memcpy(p, a, na);
  p += na;
  *p++ = ']';
  *p++ = ' ';
  std::memcpy(p, b, nb + 1);
  return text;
}
