#include "support/png.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "support/tempdir.h"

namespace {

const char kSignature[] = "\x89PNG\r\n\x1a\n";

void Put32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}
uint32_t Get32(const std::string& s, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[at])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[at + 2])) << 8 |
         static_cast<uint8_t>(s[at + 3]);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  Put32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                         static_cast<uInt>(body.size()))));
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

}  // namespace

bool WritePng(const std::string& path, const TRgbImage& image) {
  const size_t row = static_cast<size_t>(image.width) * 3;
  std::string raw;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    raw.append(reinterpret_cast<const char*>(image.rgb.data() + y * row), row);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                9) != Z_OK)
    return false;
  packed.resize(packedSize);
  std::string header;
  Put32(header, static_cast<uint32_t>(image.width));
  Put32(header, static_cast<uint32_t>(image.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, filters, no interlace
  std::string png(kSignature, 8);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", "");
  WriteWholeFile(path, png);
  return ReadWholeFile(path) == png;
}

bool ReadPng(const std::string& path, TRgbImage* image) {
  const std::string png = ReadWholeFile(path);
  if (png.size() < 8 || png.compare(0, 8, kSignature, 8) != 0) return false;
  std::string packed;
  int width = 0, height = 0;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = Get32(png, at);
    if (length > png.size() - at - 12) return false;
    const std::string type = png.substr(at + 4, 4), data = png.substr(at + 8, length);
    if (type == "IHDR") {
      if (length != 13 || data.compare(8, 5, std::string("\x08\x02\x00\x00\x00", 5)) != 0)
        return false;
      width = static_cast<int>(Get32(data, 0));
      height = static_cast<int>(Get32(data, 4));
    } else if (type == "IDAT") {
      packed += data;
    } else if (type == "IEND") {
      break;
    }
    at += 12 + length;
  }
  if (width <= 0 || height <= 0 || width > 1 << 14 || height > 1 << 14) return false;
  const size_t row = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> raw((row + 1) * height);
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                 static_cast<uLong>(packed.size())) != Z_OK ||
      rawSize != raw.size())
    return false;
  image->width = width;
  image->height = height;
  image->rgb.assign(row * height, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t filter = raw[y * (row + 1)];
    const uint8_t* in = &raw[y * (row + 1) + 1];
    uint8_t* out = &image->rgb[y * row];
    const uint8_t* up = y ? out - row : nullptr;
    for (size_t i = 0; i < row; ++i) {
      const int a = i >= 3 ? out[i - 3] : 0, b = up ? up[i] : 0, c = up && i >= 3 ? up[i - 3] : 0;
      int v = in[i];
      switch (filter) {
        case 0: break;
        case 1: v += a; break;
        case 2: v += b; break;
        case 3: v += (a + b) / 2; break;
        case 4: v += Paeth(a, b, c); break;
        default: return false;
      }
      out[i] = static_cast<uint8_t>(v);
    }
  }
  return true;
}
