// Writes the program icon (zelbr.ico): a stopwatch, 32x32 and 16x16,
// 16 colours with a transparency mask, as Windows 95 expects.
// Runs on the build host, so the file structures are written by hand.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes &b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(Bytes &b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// The standard 16-colour VGA palette, so the icon looks the same everywhere.
const std::uint8_t kPalette[16][3] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
const double kPi = 3.14159265358979323846;
enum { kBlack = 0, kSilver = 7, kGrey = 8, kRed = 9, kWhite = 15, kClear = -1 };

double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    double dx = bx - ax, dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// Colour of one pixel; the drawing is laid out on a 32-unit grid and
// sampled at the pixel centre, so both sizes come from the same shapes.
int stopwatchPixel(int x, int y, int size) {
    const double k = 32.0 / size;
    const double px = (x + 0.5) * k, py = (y + 0.5) * k;
    const double cx = 16, cy = 18;
    // Lines must stay at least one pixel wide in the small image.
    const double line = k > 1 ? 0.8 * k : 1.2;
    const double r = std::hypot(px - cx, py - cy);

    if (px >= 14 && px < 18 && py >= 1 && py < 4) return kGrey;        // crown
    if (px >= 15 && px < 17 && py >= 4 && py < 6) return kBlack;       // stem
    if (segmentDistance(px, py, 24, 8, 26.5, 5.5) < line) return kGrey; // side button
    if (r > 13.5) return kClear;
    if (r > 11.5) return kBlack;                                       // rim
    if (r > 10.5) return kGrey;                                        // bezel
    if (r < 1.2 * k) return kBlack;                                    // hub
    // The hand points at about ten past: visibly running.
    if (segmentDistance(px, py, cx, cy, cx + 6.5, cy - 5.5) < line) return kRed;
    for (int i = 0; i < 12; i += 3) {                                  // ticks
        double a = i * kPi / 6;
        double sx = std::sin(a), sy = -std::cos(a);
        if (segmentDistance(px, py, cx + 7.5 * sx, cy + 7.5 * sy, cx + 10 * sx,
                            cy + 10 * sy) < line)
            return kBlack;
    }
    // A little shading on the lower right gives the dial some depth.
    return (px - cx) + (py - cy) > 10 ? kSilver : kWhite;
}

// One icon image: BITMAPINFOHEADER, palette, 4-bit XOR bits, 1-bit AND mask.
Bytes makeImage(int size) {
    Bytes b;
    const int xorStride = ((size * 4 + 31) / 32) * 4;
    const int andStride = ((size + 31) / 32) * 4;
    put32(b, 40);
    put32(b, size);
    put32(b, size * 2);  // XOR and AND bitmaps stacked
    put16(b, 1);
    put16(b, 4);
    put32(b, 0);
    put32(b, (xorStride + andStride) * size);
    put32(b, 0);
    put32(b, 0);
    put32(b, 16);
    put32(b, 0);
    for (const auto &c : kPalette) {
        b.push_back(c[2]);
        b.push_back(c[1]);
        b.push_back(c[0]);
        b.push_back(0);
    }
    Bytes xorBits(xorStride * size), andBits(andStride * size);
    for (int y = 0; y < size; ++y) {
        const int row = size - 1 - y;  // DIBs are stored bottom-up
        for (int x = 0; x < size; ++x) {
            int c = stopwatchPixel(x, y, size);
            if (c == kClear) {
                andBits[row * andStride + x / 8] |= 0x80 >> (x % 8);
                c = kBlack;  // black under a set mask bit leaves the screen as it is
            }
            xorBits[row * xorStride + x / 2] |= (x % 2) ? c : c << 4;
        }
    }
    b.insert(b.end(), xorBits.begin(), xorBits.end());
    b.insert(b.end(), andBits.begin(), andBits.end());
    return b;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
        return 2;
    }
    const int sizes[] = {32, 16};
    const int count = 2;
    Bytes file, images[count];
    put16(file, 0);
    put16(file, 1);  // icon
    put16(file, count);
    std::uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        images[i] = makeImage(sizes[i]);
        file.push_back(sizes[i]);
        file.push_back(sizes[i]);
        file.push_back(16);  // colours
        file.push_back(0);
        put16(file, 1);
        put16(file, 4);
        put32(file, images[i].size());
        put32(file, offset);
        offset += images[i].size();
    }
    for (const auto &img : images) file.insert(file.end(), img.begin(), img.end());

    std::FILE *f = std::fopen(argv[1], "wb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    if (std::fclose(f) != 0 || !ok) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
