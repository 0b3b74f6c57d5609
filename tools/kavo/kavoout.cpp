#include "kavoout.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
// Six decimals with the trailing zeros dropped, in the C locale's way of writing numbers.
std::string Number(char type, double v) {
  char buf[64];
  if (type != 'd') {
    std::snprintf(buf, sizeof buf, "%ld", std::lround(v));
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.6f", v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.push_back('0');
  if (s == "-0.0") s = "0.0";
  return s;
}

void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
}  // namespace

std::string xLayoutBlock(const std::vector<SLayoutKey>& keys) {
  std::string out;
  for (const SLayoutKey& k : keys) {
    out += "    " + k.Name + " = ";
    if (k.Count == 0) {
      out += Number(k.Type, k.Values.front());
    } else {
      out += "{ ";
      for (size_t i = 0; i < k.Values.size(); ++i) out += (i ? ", " : "") + Number(k.Type, k.Values[i]);
      out += " }";
    }
    out += "\n";
  }
  return out;
}

bool xSpliceBlock(const std::string& script, const std::string& block, std::string* out, std::string* error) {
  const size_t begin = script.find(KAVO_BLOCK_BEGIN), end = script.find(KAVO_BLOCK_END);
  if (begin == std::string::npos || end == std::string::npos || end < begin ||
      script.find(KAVO_BLOCK_BEGIN, begin + 1) != std::string::npos || script.find(KAVO_BLOCK_END, end + 1) != std::string::npos) {
    *error = "the script needs one pair of generated-block markers in its Data chunk";
    return false;
  }
  const size_t afterBegin = script.find('\n', begin);
  if (afterBegin == std::string::npos || afterBegin > end) {
    *error = "the generated-block markers must stand on lines of their own";
    return false;
  }
  *out = script.substr(0, afterBegin + 1) + block + script.substr(end);
  return true;
}

std::string xSpotMapBmp(const std::vector<uint8_t>& map) {
  const uint32_t pitch = (KAVO_MAP_W + 3) & ~3u, colours = 256;
  const uint32_t offset = 14 + 40 + 4 * colours, size = offset + pitch * KAVO_MAP_H;
  std::string s = "BM";
  Put32(s, size);
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, KAVO_MAP_W);
  Put32(s, KAVO_MAP_H);
  Put16(s, 1);
  Put16(s, 8);
  Put32(s, 0);
  Put32(s, pitch * KAVO_MAP_H);
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, colours);
  Put32(s, 0);
  // Index 0 black, the bet spots gold to red, the side-bet spots blue to violet.
  static const uint8_t kSeat[11][3] = {{0, 0, 0},       {255, 215, 0},  {255, 165, 0},  {255, 110, 40},
                                       {235, 60, 60},   {200, 30, 120}, {80, 160, 255}, {60, 110, 240},
                                       {110, 80, 230},  {160, 70, 220}, {200, 90, 240}};
  for (uint32_t i = 0; i < colours; ++i) {
    const uint8_t* c = i < 11 ? kSeat[i] : kSeat[0];
    s.push_back(static_cast<char>(c[2]));
    s.push_back(static_cast<char>(c[1]));
    s.push_back(static_cast<char>(c[0]));
    s.push_back(0);
  }
  for (int y = KAVO_MAP_H - 1; y >= 0; --y) {
    s.append(reinterpret_cast<const char*>(map.data()) + static_cast<size_t>(y) * KAVO_MAP_W, KAVO_MAP_W);
    s.append(pitch - KAVO_MAP_W, '\0');
  }
  return s;
}

std::string xViewsJson(const CKavoLayout& layout, const SScene& scene) {
  std::ostringstream o;
  o.precision(17);
  o << "{\n  \"views\": [\n";
  for (int v = 0; v < KAVO_VIEWS; ++v) {
    const CCamera* camera = &layout.Camera(v);
    const TVec3 at = camera->Position(), c0 = camera->ToCamera(at);
    double hfov = 0, vfov = 0;
    camera->GetFOV(&hfov, &vfov);
    o << "    {\"position\": [" << at.x << ", " << at.y << ", " << at.z << "], \"hfov\": " << hfov << ", \"vfov\": " << vfov
      << ",\n     \"toCamera\": [";
    // Column i of the world-to-camera rotation is where the world's axis i goes.
    TVec3 cols[3];
    for (int i = 0; i < 3; ++i) cols[i] = camera->ToCamera(at + TVec3{i == 0 ? 1.0 : 0, i == 1 ? 1.0 : 0, i == 2 ? 1.0 : 0}) - c0;
    for (int r = 0; r < 3; ++r) {
      auto pick = [r](const TVec3& t) { return r == 0 ? t.x : r == 1 ? t.y : t.z; };
      o << (r ? ", " : "") << "[" << pick(cols[0]) << ", " << pick(cols[1]) << ", " << pick(cols[2]) << "]";
    }
    o << "],\n     \"checks\": [";
    // A spread of points over the table and above it, as fennic projects them (in pixels).
    bool first = true;
    for (double x = -1.0; x <= 1.0; x += 0.5)
      for (double z = 0.0; z <= 1.0; z += 0.25)
        for (double y : {0.0, 0.1}) {
          double sx = 0, sy = 0;
          if (!layout.ProjectExact(v, x, scene.TableY + y, z, &sx, &sy)) continue;
          o << (first ? "" : ", ") << "[" << x << ", " << scene.TableY + y << ", " << z << ", " << sx << ", " << sy << "]";
          first = false;
        }
    o << "]}" << (v + 1 < KAVO_VIEWS ? "," : "") << "\n";
  }
  o << "  ],\n  \"seats\": [\n";
  for (int seat = 0; seat < KAVO_SEATS; ++seat) {
    const SWorldPoint c = layout.SpotCentre(seat), b = layout.SideBetCentre(seat);
    o << "    {\"spot\": [" << c.x << ", " << c.z << "], \"sideBet\": [" << b.x << ", " << b.z << "], \"angle\": "
      << scene.SeatAngles[seat] << "}" << (seat + 1 < KAVO_SEATS ? "," : "") << "\n";
  }
  o << "  ]\n}\n";
  return o.str();
}

bool xWriteFile(const std::string& path, const std::string& content) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f.write(content.data(), static_cast<std::streamsize>(content.size()))) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

bool xReadFile(const std::string& path, std::string* content) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  *content = s.str();
  return true;
}
