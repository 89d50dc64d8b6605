// Stands in for the help viewer in simulator runs: notes which file the shell asked it to open
// in the file named by VRZ_HELP_RECORD, then exits.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    wchar_t record[MAX_PATH];
    if (argc < 2 || !GetEnvironmentVariableW(L"VRZ_HELP_RECORD", record, MAX_PATH)) return 1;
    FILE* file = _wfopen(record, L"ab");
    if (!file) return 1;
    char path[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, path, sizeof(path) - 1, nullptr, nullptr);
    std::fprintf(file, "%s\n", path);
    std::fclose(file);
    return 0;
}
