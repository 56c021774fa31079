// Packs a picture drawn as text ('#' dark, '.' light, one line per row) into
// the display-image layout that DESIGN.md gives: "TWLC", width and height as
// little-endian u16, then pages of eight rows, one byte per column, bit 0 the
// page's top row.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pack-display-image PICTURE.txt IMAGE.lcd\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line);) rows.push_back(line);
  const size_t width = rows.empty() ? 0 : rows[0].size();
  if (width == 0 || width > 0xFFFF || rows.size() % 8 != 0) {
    std::fprintf(stderr, "%s: a picture has rows of one width, a multiple of 8 of them\n", argv[1]);
    return 1;
  }
  std::vector<uint8_t> image = {
      'T', 'W', 'L', 'C', uint8_t(width), uint8_t(width >> 8), uint8_t(rows.size()), uint8_t(rows.size() >> 8)};
  for (size_t page = 0; page < rows.size() / 8; ++page) {
    for (size_t x = 0; x < width; ++x) {
      uint8_t column = 0;
      for (size_t bit = 0; bit < 8; ++bit) {
        const std::string& row = rows[page * 8 + bit];
        if (row.size() != width || (row[x] != '#' && row[x] != '.')) {
          std::fprintf(stderr, "%s: row %zu is not %zu of '#' and '.'\n", argv[1], page * 8 + bit + 1, width);
          return 1;
        }
        if (row[x] == '#') column |= uint8_t(1u << bit);
      }
      image.push_back(column);
    }
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
  return out ? 0 : 1;
}
