// Opening and walking a package's central directory: this reader against libzip, side by side
// in one run on the same generated packages. Prints times, their ratio, and the bytes each read.
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "delivery/package_directory.h"
#include "zip_writer.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class Work>
double TimeUs(Work&& work, int rounds) {
    std::vector<double> samples;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        samples.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    return Median(samples);
}

// A file source for libzip that counts the bytes it hands over.
struct CountingFile {
    FILE* file;
    zip_uint64_t size;
    zip_uint64_t bytesRead = 0;
};

zip_int64_t CountingSource(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* f = static_cast<CountingFile*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN: return 0;
        case ZIP_SOURCE_READ: {
            size_t got = std::fread(data, 1, length, f->file);
            f->bytesRead += got;
            return static_cast<zip_int64_t>(got);
        }
        case ZIP_SOURCE_CLOSE: return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = f->size;
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(*st);
        }
        case ZIP_SOURCE_SEEK: {
            zip_int64_t offset = zip_source_seek_compute_offset(ftell(f->file), f->size, data, length, nullptr);
            if (offset < 0) return -1;
            return std::fseek(f->file, static_cast<long>(offset), SEEK_SET) == 0 ? 0 : -1;
        }
        case ZIP_SOURCE_TELL: return std::ftell(f->file);
        case ZIP_SOURCE_ERROR: return 2 * sizeof(int);
        case ZIP_SOURCE_FREE: return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                                  ZIP_SOURCE_SUPPORTS, -1);
        default: return -1;
    }
}

}  // namespace

int main() {
    std::printf("%-8s %12s %12s %8s %14s %14s\n", "entries", "ours us", "libzip us", "ratio", "ours bytes",
                "libzip bytes");
    for (int count : {1, 1000, 65535}) {
        std::vector<sim::ZipEntry> entries;
        for (int i = 0; i < count; ++i) entries.push_back({"pages/page" + std::to_string(i) + ".txt", "Task text " + std::to_string(i)});
        std::string bytes = sim::BuildZip(entries);
        std::string path = "/tmp/vrz-bench-" + std::to_string(count) + ".vrz";
        FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        std::wstring widePath(path.begin(), path.end());
        int rounds = count > 10000 ? 15 : 101;

        unsigned long long oursBytes = 0;
        double ours = TimeUs([&] {
            auto package = vrz::PackageDirectory::Open(widePath);
            vrz::PackageEntryInfo info;
            char name[260];
            int walked = 0;
            for (int s = package->GoToFirstEntry(); s == vrz::kPackageOk; s = package->GoToNextEntry(), ++walked)
                package->GetCurrentEntryInfo(&info, name, sizeof(name));
            if (walked != count) std::abort();
            oursBytes = package->BytesRead();
        }, rounds);
        double theirs = TimeUs([&] {
            int error = 0;
            zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
            zip_int64_t n = zip_get_num_entries(archive, 0);
            zip_stat_t st;
            for (zip_int64_t i = 0; i < n; ++i) zip_stat_index(archive, i, 0, &st);
            if (n != count) std::abort();
            zip_discard(archive);
        }, rounds);

        CountingFile counting{std::fopen(path.c_str(), "rb"), bytes.size()};
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_function_create(CountingSource, &counting, &error);
        zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        zip_stat_t st;
        for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) zip_stat_index(archive, i, 0, &st);
        zip_discard(archive);
        std::fclose(counting.file);

        std::printf("%-8d %12.1f %12.1f %8.2f %14llu %14llu\n", count, ours, theirs, ours / theirs, oursBytes,
                    static_cast<unsigned long long>(counting.bytesRead));
        std::remove(path.c_str());
    }
    std::printf("ratio = ours / libzip (below 1: ours is faster); times are medians; one run, same files\n");
    return 0;
}
