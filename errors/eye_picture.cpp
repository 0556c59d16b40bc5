#include "errors/eye_picture.h"

#include <cstdlib>

namespace qb {

namespace {
constexpr int kSize = 32;
enum : std::uint8_t { Ground, Ink, White, Iris };
constexpr int kIrisShades = 8;

// Coordinates are doubled pixel centres relative to the middle (-31 to 31), so every test is in
// integers and the picture comes out the same from every compiler.
int doubled(int pixel) {
  return 2 * pixel + 1 - kSize;
}

bool insideLids(int x, int y) {
  if (x < 0 || y < 0 || x >= kSize || y >= kSize) return false;
  const int cx = doubled(x), cy = doubled(y);
  // An almond: half-height 9 pixels in the middle, closing to the corners of the eye.
  return std::abs(cy) * 31 * 31 < 18 * (31 * 31 - cx * cx);
}

std::uint8_t pixelAt(int x, int y) {
  if (!insideLids(x, y)) return Ground;
  if (!insideLids(x - 1, y) || !insideLids(x + 1, y) || !insideLids(x, y - 1) ||
      !insideLids(x, y + 1))
    return Ink;
  const int cx = doubled(x), cy = doubled(y);
  const int r2 = cx * cx + cy * cy;
  if ((cx - 5) * (cx - 5) + (cy + 5) * (cy + 5) < 9) return White;  // the glint
  if (r2 < 6 * 6) return Ink;                                       // the pupil
  if (r2 < 14 * 14) return static_cast<std::uint8_t>(Iris + r2 * kIrisShades / (14 * 14));
  return White;
}
}  // namespace

platform::Picture eyePicture() {
  platform::Picture picture;
  picture.width = picture.height = kSize;
  picture.palette.assign(256, 0);
  picture.palette[Ground] = 0xC0C0C0;
  picture.palette[Ink] = 0x000000;
  picture.palette[White] = 0xFFFFFF;
  for (int shade = 0; shade < kIrisShades; ++shade)  // lighter towards the pupil
    picture.palette[Iris + shade] = static_cast<std::uint32_t>(0x2060E0 - shade * 0x040C10);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) picture.pixels.push_back(pixelAt(x, y));
  return picture;
}

}  // namespace qb
