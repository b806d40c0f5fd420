// Writes the program's icon as PNG files of the given sizes for the desktop's icon theme:
// <folder>/<N>x<N>/apps/ruvia-mascot.png. Scaled nearest-neighbour, so every pixel of
// every size is a pixel of the art and pixel art stays crisp.
#include "assets/art.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void putBigEndian(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

void putChunk(Bytes& out, const char* type, const Bytes& body) {
    putBigEndian(out, static_cast<uint32_t>(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBigEndian(out, static_cast<uint32_t>(crc32(0, typed.data(), typed.size())));
}

// The icon at `size` x `size`, 8-bit RGBA, each row led by PNG's "no filter" byte.
Bytes scaledRows(const ruvia::core::Image& art, int size) {
    Bytes rows;
    for (int y = 0; y < size; ++y) {
        rows.push_back(0);
        for (int x = 0; x < size; ++x) {
            const uint32_t p = art.at(x * art.width / size, y * art.height / size);
            rows.insert(rows.end(), {static_cast<unsigned char>(p >> 16),
                                     static_cast<unsigned char>(p >> 8),
                                     static_cast<unsigned char>(p),
                                     static_cast<unsigned char>(p >> 24)});
        }
    }
    return rows;
}

Bytes png(const ruvia::core::Image& art, int size) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    putBigEndian(header, static_cast<uint32_t>(size));
    putBigEndian(header, static_cast<uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
    putChunk(out, "IHDR", header);

    const Bytes rows = scaledRows(art, size);
    uLongf packedSize = compressBound(rows.size());
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), rows.size(), 9) != Z_OK)
        throw std::runtime_error("zlib could not compress the icon");
    packed.resize(packedSize);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        for (int i = 2; i < argc; ++i) {
            const int size = std::stoi(argv[i]);
            const std::string name = std::to_string(size) + "x" + std::to_string(size);
            const auto file = folder / name / "apps" / "ruvia-mascot.png";
            std::filesystem::create_directories(file.parent_path());
            const Bytes bytes = png(ruvia::assets::icon(), size);
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
            if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_png_icons: %s\n", e.what());
        return 1;
    }
    return 0;
}
