#include "zip_writer.h"

namespace sim {
namespace {

void U16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void U32(std::string& out, uint32_t v) {
    U16(out, v & 0xFFFF);
    U16(out, v >> 16);
}

constexpr uint32_t kDosTime = (12u << 11) | (30u << 5);          // 12:30:00
constexpr uint32_t kDosDate = ((2026u - 1980u) << 9) | (12u << 5) | 11u;  // 2026-12-11

}  // namespace

uint32_t Crc32(const std::string& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string BuildZip(const std::vector<ZipEntry>& entries, const std::string& prefix, const std::string& comment) {
    std::string archive, directory;
    for (const ZipEntry& entry : entries) {
        uint32_t offset = static_cast<uint32_t>(archive.size());
        uint32_t crc = Crc32(entry.data);
        U32(archive, 0x04034B50);
        U16(archive, 10);
        U16(archive, 0);
        U16(archive, 0);  // stored
        U16(archive, kDosTime);
        U16(archive, kDosDate);
        U32(archive, crc);
        U32(archive, static_cast<uint32_t>(entry.data.size()));
        U32(archive, static_cast<uint32_t>(entry.data.size()));
        U16(archive, static_cast<uint32_t>(entry.name.size()));
        U16(archive, 0);
        archive += entry.name + entry.data;

        U32(directory, 0x02014B50);
        U16(directory, 20);
        U16(directory, 10);
        U16(directory, 0);
        U16(directory, 0);
        U16(directory, kDosTime);
        U16(directory, kDosDate);
        U32(directory, crc);
        U32(directory, static_cast<uint32_t>(entry.data.size()));
        U32(directory, static_cast<uint32_t>(entry.data.size()));
        U16(directory, static_cast<uint32_t>(entry.name.size()));
        U16(directory, 0);
        U16(directory, 0);
        U16(directory, 0);
        U16(directory, 0);
        U32(directory, 0);
        U32(directory, offset);
        directory += entry.name;
    }
    uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
    archive += directory;
    U32(archive, 0x06054B50);
    U16(archive, 0);
    U16(archive, 0);
    U16(archive, static_cast<uint32_t>(entries.size()));
    U16(archive, static_cast<uint32_t>(entries.size()));
    U32(archive, static_cast<uint32_t>(directory.size()));
    U32(archive, directoryOffset);
    U16(archive, static_cast<uint32_t>(comment.size()));
    archive += comment;
    return prefix + archive;
}

}  // namespace sim
