// libFuzzer target: the settings line reader, the store's read path, and the writer
// against the reader. Anything the reader accepts, written back, reads back the same;
// the store reads a file exactly as the reader reads its first 4 KiB.
#include "core/settings_line.h"
#include "settings/settings_store.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

// Whole twips a window position can hold exactly in single precision.
constexpr int32_t kExactInFloat = 1 << 24;

void expect(bool holds, const char* what, std::string_view input) {
    if (holds) return;
    std::fprintf(stderr, "settings fuzz: %s for %zu bytes of input\n", what, input.size());
    std::abort();
}

// In memory where there is such a folder: a disk makes each run a thousand times slower.
const std::filesystem::path& scratchFile() {
    static const std::filesystem::path file = [] {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", ec)
                                                 ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path();
        return folder / ("ruvia-fuzz-" + std::to_string(::getpid()) + ".ini");
    }();
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using ruvia::core::formatSettingsLine;
    using ruvia::core::parseSettingsLine;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const auto parsed = parseSettingsLine(input);
    if (parsed && std::abs(int64_t{parsed->left}) < kExactInFloat &&
        std::abs(int64_t{parsed->top}) < kExactInFloat) {
        const std::string line = formatSettingsLine(static_cast<float>(parsed->left),
                                                    static_cast<float>(parsed->top));
        expect(parseSettingsLine(line) == parsed, "a written line reads back differently",
               input);
        expect(line.ends_with("\r\n") && line.find(' ') == std::string::npos,
               "a written line is not Left,Top CR LF", input);
    }

    // The first eight bytes as two window positions, as the writer gets them at exit.
    if (size >= 8) {
        float left = 0.0f, top = 0.0f;
        std::memcpy(&left, data, 4);
        std::memcpy(&top, data + 4, 4);
        if (std::abs(left) < kExactInFloat && std::abs(top) < kExactInFloat) {
            const auto back = parseSettingsLine(formatSettingsLine(left, top));
            expect(back.has_value(), "a written position does not read back", input);
            expect(std::abs(back->left - left) <= 0.5f && std::abs(back->top - top) <= 0.5f,
                   "a written position reads back elsewhere", input);
        }
    }

    {
        std::ofstream(scratchFile(), std::ios::binary | std::ios::trunc)
            .write(input.data(), static_cast<std::streamsize>(size));
    }
    const auto stored = ruvia::settings::readSavedPosition(scratchFile());
    expect(stored == parseSettingsLine(input.substr(0, 4096)),
           "the store reads the file unlike the reader", input);
    return 0;
}
