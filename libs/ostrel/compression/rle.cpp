#include "ostrel/compression/rle.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "ostrel/compression/bitstream.h"

namespace {

constexpr int32_t kMaxRun = 16;

// Packs count fields taken one by one from next().
template <class Next>
int32_t PackRuns(Next next, uint8_t* out, int64_t outSize, int32_t count, int32_t width) {
  CBitStream bits;
  bits.InitStream(out, static_cast<uint32_t>(outSize));
  uint32_t value = count > 0 ? next() : 0;
  for (int32_t done = 0; done < count;) {
    int32_t run = 1;
    uint32_t following = 0;
    bool pending = false;
    while (done + run < count) {
      following = next();
      pending = following != value || run == kMaxRun;
      if (pending) break;
      ++run;
    }
    if (run == 1) {
      bits.PutBits(0, 1);
    } else {
      bits.PutBits(1, 1);
      bits.PutBits(uint32_t(run - 1), 4);
    }
    bits.PutBits(value, width);
    done += run;
    if (pending) value = following;
  }
  bits.FlushBits();
  return bits.Overrun() ? 0 : static_cast<int32_t>(bits.GetIndex());
}

// Hands count unpacked fields to store(index, field); 1 when all of them were read.
template <class Store>
int32_t UnpackRuns(const uint8_t* in, int32_t inLen, int32_t count, int32_t width, Store store) {
  if (inLen < 0 || (!in && inLen > 0)) return 0;
  CBitStream bits;
  bits.InitStream(const_cast<uint8_t*>(in), static_cast<uint32_t>(inLen));  // only read
  for (int32_t done = 0; done < count;) {
    uint32_t run = bits.GetBits(1) ? bits.GetBits(4) + 1 : 1;
    uint32_t value = bits.GetBits(width);
    if (bits.Overrun()) return 0;
    for (; run && done < count; --run) store(done++, value);
  }
  return 1;
}

}  // namespace

int32_t CRle::Init(int32_t intBits, int32_t fracBits) {
  if (intBits < 0 || fracBits < 0 || intBits + fracBits < 1 || intBits + fracBits > 32) return 0;
  m_IntBits = intBits;
  m_FracBits = fracBits;
  m_Width = intBits + fracBits;
  return 1;
}

bool CRle::Usable(int32_t count) const {
  return m_Width && count >= 0 && PackedBytes(count) <= INT32_MAX;
}

int64_t CRle::FieldBytes(int32_t count) const {
  return count > 0 ? (int64_t(count) * m_Width + 7) / 8 : 0;
}

int64_t CRle::PackedBytes(int32_t count) const {
  return count > 0 ? (int64_t(count) * (m_Width + 1) + 7) / 8 : 0;
}

int32_t CRle::PackFields(const uint32_t* fields, uint8_t* out, int32_t count) {
  int32_t next = 0;
  return PackRuns([&] { return fields[next++]; }, out, PackedBytes(count), count, m_Width);
}

int32_t CRle::UnpackFields(uint32_t* fields, const uint8_t* in, int32_t inLen, int32_t count) {
  return UnpackRuns(in, inLen, count, m_Width, [&](int32_t k, uint32_t v) { fields[k] = v; });
}

int32_t CRle::Pack(const uint8_t* in, uint8_t* out, int32_t count) {
  if (!Usable(count) || !count || !in || !out) return 0;
  CBitStream fields;
  fields.InitStream(const_cast<uint8_t*>(in), static_cast<uint32_t>(FieldBytes(count)));  // read
  return PackRuns([&] { return fields.GetBits(m_Width); }, out, PackedBytes(count), count,
                  m_Width);
}

int32_t CRle::Unpack(const uint8_t* in, int32_t inLen, uint8_t* out, int32_t count) {
  if (!Usable(count) || (!out && count > 0)) return 0;
  CBitStream fields;
  fields.InitStream(out, static_cast<uint32_t>(FieldBytes(count)));
  int32_t ok = UnpackRuns(in, inLen, count, m_Width,
                          [&](int32_t, uint32_t v) { fields.PutBits(v, m_Width); });
  fields.FlushBits();
  return ok;
}

int32_t CRle::PackDoubles(const double* values, uint8_t* out, int32_t count) {
  if (!Usable(count) || !count || !values || !out) return 0;
  std::vector<uint32_t> fields(count);
  double limit = std::ldexp(1.0, m_Width);
  for (int32_t k = 0; k < count; ++k) {
    double field = std::trunc(std::ldexp(values[k], m_FracBits));
    if (!(field >= 0 && field < limit)) return 0;  // NaN fails here too
    fields[k] = static_cast<uint32_t>(field);
  }
  return PackFields(fields.data(), out, count);
}

int32_t CRle::UnpackDoubles(double* values, const uint8_t* in, int32_t inLen, int32_t count) {
  if (!Usable(count) || (!values && count > 0)) return 0;
  std::vector<uint32_t> fields(count);
  if (!UnpackFields(fields.data(), in, inLen, count)) return 0;
  for (int32_t k = 0; k < count; ++k) values[k] = std::ldexp(double(fields[k]), -m_FracBits);
  return 1;
}

int32_t CRle::PackMoneys(const CHugeFixedPoint<10, 10>* values, uint8_t* out, int32_t count) {
  if (!Usable(count) || !count || !values || !out) return 0;
  std::vector<uint32_t> fields(count);
  for (int32_t k = 0; k < count; ++k) {
    CHugeFixedPoint<10, 10> scaled(values[k]);
    if (scaled.m_Error || scaled.IsNegative()) return 0;
    for (int32_t b = 0; b < m_FracBits; ++b) scaled += scaled;
    if (scaled.m_Error) return 0;
    uint64_t field = 0;
    for (int d = 0; d < 10; ++d) field = field * 10 + scaled.m_Digits[d];
    if (field >> m_Width) return 0;
    fields[k] = static_cast<uint32_t>(field);
  }
  return PackFields(fields.data(), out, count);
}

// field / 2^f written out exactly to ten decimals (cut), then read as money.
int32_t CRle::UnpackMoneys(CHugeFixedPoint<10, 10>* values, const uint8_t* in, int32_t inLen,
                           int32_t count) {
  if (!Usable(count) || (!values && count > 0)) return 0;
  std::vector<uint32_t> fields(count);
  if (!UnpackFields(fields.data(), in, inLen, count)) return 0;
  uint64_t mask = (uint64_t(1) << m_FracBits) - 1;
  for (int32_t k = 0; k < count; ++k) {
    char text[32];
    int n = snprintf(text, sizeof text, "%llu.",
                     static_cast<unsigned long long>(uint64_t(fields[k]) >> m_FracBits));
    uint64_t rest = fields[k] & mask;
    for (int d = 0; d < 10; ++d) {
      rest *= 10;
      text[n++] = static_cast<char>('0' + (rest >> m_FracBits));
      rest &= mask;
    }
    text[n] = 0;
    values[k].m_Error = 0;
    CHugeFixedPoint<10, 10>::Translate(text, values[k]);
  }
  return 1;
}
