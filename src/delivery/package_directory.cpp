#include "delivery/package_directory.h"

#include <algorithm>
#include <cstring>


namespace vrz {
namespace {

constexpr uint32_t kHeaderSignature = 0x02014B50;
constexpr uint32_t kHeaderFixedSize = 46;
constexpr uint32_t kEndRecordSize = 22;
constexpr uint64_t kSearchLimit = 65535;  // the largest archive comment
constexpr uint64_t kChunkStep = 1024;
constexpr uint64_t kChunkSize = kChunkStep + 4;  // neighbouring chunks overlap by the signature's length

std::FILE* OpenForReading(const std::wstring& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    std::string narrow;
    for (wchar_t c : path) {  // UTF-8, enough for the paths tests and tools pass
        uint32_t u = static_cast<uint32_t>(c);
        if (u < 0x80) narrow += static_cast<char>(u);
        else if (u < 0x800) narrow += {static_cast<char>(0xC0 | (u >> 6)), static_cast<char>(0x80 | (u & 0x3F))};
        else if (u < 0x10000)
            narrow += {static_cast<char>(0xE0 | (u >> 12)), static_cast<char>(0x80 | ((u >> 6) & 0x3F)),
                       static_cast<char>(0x80 | (u & 0x3F))};
        else
            narrow += {static_cast<char>(0xF0 | (u >> 18)), static_cast<char>(0x80 | ((u >> 12) & 0x3F)),
                       static_cast<char>(0x80 | ((u >> 6) & 0x3F)), static_cast<char>(0x80 | (u & 0x3F))};
    }
    return std::fopen(narrow.c_str(), "rb");
#endif
}

bool FileSize(std::FILE* file, uint64_t& size) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return false;
    long long end = _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0) return false;
    long long end = ftello(file);
#endif
    if (end < 0) return false;
    size = static_cast<uint64_t>(end);
    return true;
}

}  // namespace

PackageDirectory::~PackageDirectory() { std::fclose(file_); }

bool PackageDirectory::Seek(uint64_t position) {
#ifdef _WIN32
    return _fseeki64(file_, static_cast<long long>(position), SEEK_SET) == 0;
#else
    return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

bool PackageDirectory::Read(void* data, size_t size) {
    size_t got = std::fread(data, 1, size, file_);
    bytesRead_ += got;
    return got == size;
}

bool PackageDirectory::ReadU16(uint32_t& value) {
    unsigned char b[2];
    if (!Read(b, 2)) return false;
    value = b[0] | (b[1] << 8);
    return true;
}

bool PackageDirectory::ReadU32(uint32_t& value) {
    unsigned char b[4];
    if (!Read(b, 4)) return false;
    value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool PackageDirectory::FindEndRecord(uint64_t fileSize, uint64_t& position) {
    const uint64_t limit = std::min(kSearchLimit, fileSize);
    unsigned char chunk[kChunkSize];
    uint64_t distance = 4;
    while (distance < limit) {
        distance = std::min(distance + kChunkStep, limit);
        uint64_t start = fileSize - distance;
        size_t length = static_cast<size_t>(std::min(kChunkSize, distance));
        if (!Seek(start) || !Read(chunk, length)) return false;
        for (size_t i = length - 3; i-- > 0;) {
            if (chunk[i] == 0x50 && chunk[i + 1] == 0x4B && chunk[i + 2] == 0x05 && chunk[i + 3] == 0x06) {
                position = start + i;
                return position != 0;  // a file that is nothing but an end record is not an archive
            }
        }
    }
    return false;
}

bool PackageDirectory::ReadEndRecord(uint64_t fileSize) {
    uint32_t signature, disk, directoryDisk, entriesHere, entries, size, offset, comment;
    if (!Seek(endRecordPosition_) || !ReadU32(signature) || !ReadU16(disk) || !ReadU16(directoryDisk) ||
        !ReadU16(entriesHere) || !ReadU16(entries) || !ReadU32(size) || !ReadU32(offset) || !ReadU16(comment))
        return false;
    if (disk != 0 || directoryDisk != 0 || entriesHere != entries) return false;
    if (endRecordPosition_ < static_cast<uint64_t>(offset) + size) return false;
    // Hostile or broken files: a comment running past the end of the file, or more entries than
    // the directory has room for, are refused before any walk.
    if (endRecordPosition_ + kEndRecordSize + comment > fileSize) return false;
    if (static_cast<uint64_t>(entries) * kHeaderFixedSize > size) return false;
    entryCount_ = static_cast<uint16_t>(entries);
    directorySize_ = size;
    directoryOffset_ = offset;
    bytesBefore_ = endRecordPosition_ - (static_cast<uint64_t>(offset) + size);
    return true;
}

std::unique_ptr<PackageDirectory> PackageDirectory::Open(const std::wstring& path) {
    std::FILE* file = OpenForReading(path);
    if (!file) return nullptr;
    std::unique_ptr<PackageDirectory> handle(new PackageDirectory(file));
    uint64_t fileSize = 0;
    if (!FileSize(file, fileSize) || !handle->FindEndRecord(fileSize, handle->endRecordPosition_) ||
        !handle->ReadEndRecord(fileSize))
        return nullptr;
    handle->GoToFirstEntry();
    return handle;
}

int PackageDirectory::ReadHeader(PackageEntryInfo& info, uint32_t& localHeaderOffset, char* nameBuffer,
                                 uint32_t nameBufferSize) {
    if (!Seek(currentPosition_ + bytesBefore_)) return kPackageIoError;
    uint32_t signature;
    if (!ReadU32(signature)) return kPackageIoError;
    if (signature != kHeaderSignature) return kPackageBadArchive;
    PackageEntryInfo read;
    uint32_t offset;
    if (!ReadU16(read.versionMadeBy) || !ReadU16(read.versionNeeded) || !ReadU16(read.flags) ||
        !ReadU16(read.compressionMethod) || !ReadU32(read.dosDateTime) || !ReadU32(read.crc32) ||
        !ReadU32(read.compressedSize) || !ReadU32(read.uncompressedSize) || !ReadU16(read.nameLength) ||
        !ReadU16(read.extraLength) || !ReadU16(read.commentLength) || !ReadU16(read.diskNumberStart) ||
        !ReadU16(read.internalAttributes) || !ReadU32(read.externalAttributes) || !ReadU32(offset))
        return kPackageIoError;
    uint32_t time = read.dosDateTime;
    read.second = (time & 0x1F) * 2;
    read.minute = (time >> 5) & 0x3F;
    read.hour = (time >> 11) & 0x1F;
    read.day = (time >> 16) & 0x1F;
    read.month = ((time >> 21) & 0x0F) - 1;
    read.year = ((time >> 25) & 0x7F) + 1980;
    if (nameBuffer && nameBufferSize > 0) {
        if (read.nameLength < nameBufferSize) {
            if (!Read(nameBuffer, read.nameLength)) return kPackageIoError;
            nameBuffer[read.nameLength] = '\0';
        } else if (!Read(nameBuffer, nameBufferSize)) {
            return kPackageIoError;
        }
    }
    info = read;
    localHeaderOffset = offset;
    return kPackageOk;
}

int PackageDirectory::GoToFirstEntry() {
    currentPosition_ = directoryOffset_;
    currentEntry_ = 0;
    int status = ReadHeader(current_, currentLocalHeaderOffset_, nullptr, 0);
    currentValid_ = status == kPackageOk;
    return status;
}

int PackageDirectory::GoToNextEntry() {
    if (!currentValid_ || currentEntry_ + 1 >= entryCount_) return kPackageEndOfList;
    currentPosition_ += static_cast<uint64_t>(kHeaderFixedSize) + current_.nameLength + current_.extraLength +
                        current_.commentLength;
    ++currentEntry_;
    // The next header must lie inside the central directory: a walk never strays into entry
    // data or past the end record.
    if (currentPosition_ + kHeaderFixedSize > static_cast<uint64_t>(directoryOffset_) + directorySize_) {
        currentValid_ = false;
        return kPackageBadArchive;
    }
    int status = ReadHeader(current_, currentLocalHeaderOffset_, nullptr, 0);
    currentValid_ = status == kPackageOk;
    return status;
}

int PackageDirectory::GetCurrentEntryInfo(PackageEntryInfo* info, char* nameBuffer, uint32_t nameBufferSize,
                                          uint32_t* localHeaderOffset) {
    PackageEntryInfo read;
    uint32_t offset = 0;
    int status = ReadHeader(read, offset, nameBuffer, nameBufferSize);
    if (status != kPackageOk) return status;
    if (info) *info = read;
    if (localHeaderOffset) *localHeaderOffset = offset;
    return kPackageOk;
}

int Close(std::unique_ptr<PackageDirectory>& handle) {
    if (!handle) return kPackageNoHandle;
    handle.reset();
    return kPackageOk;
}

bool CheckPackageContent(const std::wstring& path) {
    std::unique_ptr<PackageDirectory> package = PackageDirectory::Open(path);
    if (!package) return false;
    bool accepted = false;
    if (package->GoToFirstEntry() == kPackageOk) {
        PackageEntryInfo info;
        while (package->GetCurrentEntryInfo(&info, nullptr, 0) == kPackageOk) {
            if (info.compressedSize != 0) {
                accepted = true;
                break;
            }
            if (package->GoToNextEntry() != kPackageOk) break;
        }
    }
    Close(package);
    return accepted;
}

}  // namespace vrz
