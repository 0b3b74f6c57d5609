#include "limitsscript.h"

#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/debug.h"

namespace {
// An array item of exactly `count` longs: one more element must not be there.
template <class Tag, class T>
int32_t GetExactArray(CResData& script, const char* key, Tag tag, T* values, int32_t count) {
  if (!script.GetItem(key, tag, count, values, KEND)) return 0;
  std::vector<T> probe(static_cast<size_t>(count) + 1);
  return !script.GetItem(key, tag, count + 1, probe.data(), KEND);
}

int32_t Refuse(const char* what) {
  xprintf("ReadLimitsScript: %s", what);
  return 0;
}
}  // namespace

int32_t ReadLimitsScript(CResData& script, SKavoLimits& limits) {
  if (!script.EnterDataChunk()) return Refuse("no data chunk");
  limits = SKavoLimits();
  if (!GetExactArray(script, "BETLIMITS", KLONGARRAY, limits.m_BetLimits, KAVO_BETLIMITS))
    return Refuse("\"BETLIMITS\" is missing or not six longs");
  if (!GetExactArray(script, "TIMELIMITS", KLONGARRAY, limits.m_TimeLimits, KAVO_TIMELIMITS))
    return Refuse("\"TIMELIMITS\" is missing or not two longs");
  uint32_t count = 0;
  if (script.GetItem("VALIDDOUBLESUMSCOUNT", KULONG, &count, KEND) && count > 0) {
    // The count sizes an allocation: a file must not choose it freely.
    if (count > KAVO_MAX_DOUBLE_SUMS) return Refuse("\"VALIDDOUBLESUMSCOUNT\" is above 32");
    limits.m_ValidDoubleSums.resize(count);
    if (!GetExactArray(script, "VALIDDOUBLESUMS", KULONGARRAY, limits.m_ValidDoubleSums.data(),
                       static_cast<int32_t>(count)))
      return Refuse("\"VALIDDOUBLESUMS\" does not hold \"VALIDDOUBLESUMSCOUNT\" values");
  }
  int32_t on = 0;
  if (script.GetItem("TRIPLESEVENENABLED", KBOOL, &on, KEND)) limits.m_TripleSevenEnabled = on ? 1 : 0;
  on = 0;
  if (script.GetItem("DRAWONSOFT17", KBOOL, &on, KEND)) limits.m_DrawOnSoft17 = on ? 1 : 0;
  if (!script.ExitDataChunk()) return Refuse("the data chunk does not end");
  return 1;
}

int32_t LoadLimitsScript(const char* fileName, SKavoLimits& limits) {
  CResData script;
  if (!fileName || !script.Load(fileName)) {
    xprintf("ReadLimitsScript: %s could not be loaded", fileName ? fileName : "(no name)");
    return 0;
  }
  return ReadLimitsScript(script, limits);
}

void ApplyLimits(const SKavoLimits& limits, CBlackJackServerTable& table) {
  table.SetDrawOnSoft17(limits.m_DrawOnSoft17);
  table.SetBetLimits(limits.m_BetLimits);
  table.SetTimeLimits(limits.m_TimeLimits);
  table.SetValidDoubleSums(static_cast<int32_t>(limits.m_ValidDoubleSums.size()), limits.m_ValidDoubleSums.data());
  table.SetTripleSevenEnabled(limits.m_TripleSevenEnabled);
}
