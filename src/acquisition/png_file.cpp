#include "acquisition/png_file.h"

#include <array>
#include <cstdint>

#include "dxf/file_replace.h"

namespace vorn {

namespace {

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

uint32_t Crc32(std::string_view bytes) {
  uint32_t c = 0xFFFFFFFFu;
  for (const char ch : bytes) c = CrcTable()[(c ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(std::string_view bytes) {
  uint32_t a = 1, b = 0;
  for (const char ch : bytes) {
    a = (a + static_cast<uint8_t>(ch)) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  std::string body(type);
  body += data;
  out += body;
  PutBig32(out, Crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(std::string_view raw) {
  std::string z = {'\x78', '\x01'};
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
    const bool last = pos + n == raw.size();
    z.push_back(last ? '\x01' : '\x00');
    z.push_back(static_cast<char>(n & 0xFF));
    z.push_back(static_cast<char>(n >> 8));
    z.push_back(static_cast<char>(~n & 0xFF));
    z.push_back(static_cast<char>((~n >> 8) & 0xFF));
    z.append(raw.substr(pos, n));
    pos += n;
  } while (pos < raw.size());
  PutBig32(z, Adler32(raw));
  return z;
}

}  // namespace

std::string EncodePng(const RgbPicture& picture) {
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBig32(header, static_cast<uint32_t>(picture.width));
  PutBig32(header, static_cast<uint32_t>(picture.height));
  header += std::string{'\x08', '\x02', '\x00', '\x00', '\x00'};  // 8-bit RGB, no interlace
  PutChunk(png, "IHDR", header);
  std::string raw;
  raw.reserve(static_cast<std::size_t>(picture.height) * (1 + 3 * picture.width));
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back('\0');  // no filter
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t rgb = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
      raw.push_back(static_cast<char>((rgb >> 16) & 0xFF));
      raw.push_back(static_cast<char>((rgb >> 8) & 0xFF));
      raw.push_back(static_cast<char>(rgb & 0xFF));
    }
  }
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", "");
  return png;
}

void SavePng(const RgbPicture& picture, const std::filesystem::path& path) {
  ReplaceFileContents(path, EncodePng(picture));
}

}  // namespace vorn
