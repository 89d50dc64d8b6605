#pragma once
// Builds ZIP archives in memory: stored (uncompressed) entries, local headers, central directory
// and end record. Used by the virtual printer substitute and by tests that need odd archives.
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct ZipEntry {
    std::string name;
    std::string data;
};

// `prefix` is placed in front of the archive (as self-extracting archives do).
std::string BuildZip(const std::vector<ZipEntry>& entries, const std::string& prefix = "",
                     const std::string& comment = "");

uint32_t Crc32(const std::string& data);

}  // namespace sim
