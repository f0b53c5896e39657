// Realistic collector files for tests, the demo and benchmarks: every section the agent writes, with the
// optional ones present on some computers only, Russian employee names for placement, BIOS strings that the
// shipped code tables decode, a correct signature on most files and a wrong one on a few. The same seed gives
// the same files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelgo::bench {

struct GeneratedFile {
    std::string name;    // the file name: the adapter address
    std::string address; // [Info] MAC_Addr
    std::string bytes;   // cp1251, CR LF
    bool signatureValid;
    bool hasConfigChanges;
    bool netListed; // [Current_Config] names the network adapters; without them the update adds "Net Unknown "
};

class CollectorFileGenerator {
public:
    static constexpr std::size_t kSmallest = 5 * 1024;
    static constexpr std::size_t kLargest = 100 * 1024;

    explicit CollectorFileGenerator(std::uint64_t seed);

    // The next computer's file, of about `targetBytes` (kept between kSmallest and kLargest). Addresses
    // differ for the first 65536 files of a generator.
    GeneratedFile Next(std::size_t targetBytes);

private:
    std::uint64_t m_state;
    std::uint32_t m_count = 0;
};

// Writes `count` files into `folder` (created when missing); throws core::FileError.
std::vector<GeneratedFile> WriteCollectorFiles(const std::string& folder, std::size_t count, std::uint64_t seed,
                                               std::size_t targetBytes);

} // namespace pelgo::bench
