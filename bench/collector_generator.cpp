// collector_generator: writes generated collector files into a folder, for the demo and for trying the
// archive by hand.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "collector_file_generator.h"
#include "core/cp1251.h"
#include "core/errors.h"

namespace {

constexpr const char* kUsage = "Usage: collector_generator FOLDER [--count N] [--seed S] [--size KB]\n"
                               "  writes N collector files (default 40) of about KB kilobytes (5 to 100, default 20)\n";

bool ReadNumber(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *text != '\0' && *end == '\0';
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    unsigned long long count = 40;
    unsigned long long seed = 1;
    unsigned long long kilobytes = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        unsigned long long* option = arg == "--count"  ? &count
                                     : arg == "--seed" ? &seed
                                     : arg == "--size" ? &kilobytes
                                                       : nullptr;
        if (option != nullptr) {
            if (++i >= argc || !ReadNumber(argv[i], *option)) {
                std::fprintf(stderr, "collector_generator: %s needs a whole number\n%s", arg.c_str(), kUsage);
                return 64;
            }
        } else if (folder.empty() && !arg.starts_with("--")) {
            folder = arg;
        } else {
            std::fputs(kUsage, stderr);
            return 64;
        }
    }
    if (folder.empty()) {
        std::fputs(kUsage, stderr);
        return 64;
    }
    try {
        const auto files =
            pelgo::bench::WriteCollectorFiles(pelgo::core::Utf8ToCp1251(folder), count, seed, kilobytes * 1024);
        std::size_t bad = 0;
        for (const auto& file : files) {
            bad += file.signatureValid ? 0 : 1;
        }
        std::printf("wrote %zu collector files to %s (%zu with a wrong signature)\n", files.size(), folder.c_str(),
                    bad);
    } catch (const pelgo::core::Error& e) {
        std::fprintf(stderr, "collector_generator: %s\n", pelgo::core::Cp1251ToUtf8(e.what()).c_str());
        return 1;
    }
    return 0;
}
