// libFuzzer target: arbitrary bytes as a package file, opened, walked and checked.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "delivery/package_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::wstring path = L"/tmp/vrz-fuzz-" + std::to_wstring(getpid()) + L".vrz";
    static const std::string narrow(path.begin(), path.end());
    FILE* file = std::fopen(narrow.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    if (auto package = vrz::PackageDirectory::Open(path)) {
        vrz::PackageEntryInfo info;
        char name[16];
        for (int status = package->GoToFirstEntry(); status == vrz::kPackageOk; status = package->GoToNextEntry())
            package->GetCurrentEntryInfo(&info, name, sizeof(name));
        vrz::Close(package);
    }
    vrz::CheckPackageContent(path);
    return 0;
}
