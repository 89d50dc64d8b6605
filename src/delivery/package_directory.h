#pragma once
// Reads the directory of a ZIP package: finds the end of central directory record and walks the
// central directory entry by entry, never touching entry data. Portable standard C++: on Windows
// the file is opened by its UTF-16 name, elsewhere by the name's UTF-8 form.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vrz {

enum PackageStatus : int {
    kPackageOk = 0,
    kPackageIoError = -1,       // a seek or read failed, or the file ended inside a field
    kPackageEndOfList = -100,   // no further entry
    kPackageNoHandle = -102,
    kPackageBadArchive = -103,  // a signature does not match, or the directory is inconsistent
};

struct PackageEntryInfo {
    uint32_t versionMadeBy = 0, versionNeeded = 0, flags = 0, compressionMethod = 0, dosDateTime = 0, crc32 = 0;
    uint32_t compressedSize = 0, uncompressedSize = 0, nameLength = 0, extraLength = 0, commentLength = 0;
    uint32_t diskNumberStart = 0, internalAttributes = 0, externalAttributes = 0;
    // The modification time, split: month counts from 0, year from 1980.
    uint32_t second = 0, minute = 0, hour = 0, day = 0, month = 0, year = 0;
};

class PackageDirectory {
public:
    // The archive with its first entry current, or null when the file does not open or is not a
    // valid archive.
    static std::unique_ptr<PackageDirectory> Open(const std::wstring& path);
    ~PackageDirectory();
    PackageDirectory(const PackageDirectory&) = delete;
    PackageDirectory& operator=(const PackageDirectory&) = delete;

    int GoToFirstEntry();
    int GoToNextEntry();
    // Reads the current header again. With a name buffer of `nameBufferSize` bytes: a shorter
    // name is stored with a null byte after it, a longer one is cut to the buffer without one.
    int GetCurrentEntryInfo(PackageEntryInfo* info, char* nameBuffer, uint32_t nameBufferSize,
                            uint32_t* localHeaderOffset = nullptr);

    uint16_t EntryCount() const { return entryCount_; }
    uint64_t BytesBeforeArchive() const { return bytesBefore_; }
    // Bytes read from the file so far: the end record search window and the directory headers.
    uint64_t BytesRead() const { return bytesRead_; }

private:
    explicit PackageDirectory(std::FILE* file) : file_(file) {}
    bool FindEndRecord(uint64_t fileSize, uint64_t& position);
    bool ReadEndRecord(uint64_t fileSize);
    int ReadHeader(PackageEntryInfo& info, uint32_t& localHeaderOffset, char* nameBuffer, uint32_t nameBufferSize);
    bool Seek(uint64_t position);
    bool Read(void* data, size_t size);
    bool ReadU16(uint32_t& value);
    bool ReadU32(uint32_t& value);

    std::FILE* file_;
    uint16_t entryCount_ = 0;
    uint64_t bytesBefore_ = 0;
    uint32_t currentEntry_ = 0;
    uint64_t currentPosition_ = 0;  // relative to the start of the archive
    bool currentValid_ = false;
    uint64_t endRecordPosition_ = 0;
    uint32_t directorySize_ = 0;
    uint32_t directoryOffset_ = 0;
    PackageEntryInfo current_;
    uint32_t currentLocalHeaderOffset_ = 0;
    uint64_t bytesRead_ = 0;
};

// Closes the archive: 0, or kPackageNoHandle when there is none.
int Close(std::unique_ptr<PackageDirectory>& handle);

// True when the package may be mailed: it opens as an archive and one of its entries, in
// directory order, holds stored data (compressed size not 0).
bool CheckPackageContent(const std::wstring& path);

}  // namespace vrz
