// Writes the fuzzer's seed packages: small well-formed and deliberately odd archives.
#include <cstdio>
#include <string>
#include <vector>

#include "zip_writer.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string folder = argv[1];
    std::vector<std::pair<std::string, std::string>> seeds = {
        {"one", sim::BuildZip({{"manifest.xml", "<vrz/>"}})},
        {"late", sim::BuildZip({{"a", ""}, {"b", ""}, {"pages/page001.txt", "Task 1"}})},
        {"empty_entries", sim::BuildZip({{"a", ""}, {"b/", ""}})},
        {"zero_entries_prefix", sim::BuildZip({}, std::string(40, 'P'))},
        {"prefix", sim::BuildZip({{"x", "data"}}, std::string(200, 'S'))},
        {"comment", sim::BuildZip({{"x", "data"}}, "", "a comment")},
    };
    for (auto& [name, bytes] : seeds) {
        FILE* file = std::fopen((folder + "/" + name + ".zip").c_str(), "wb");
        if (!file) return 1;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return 0;
}
