// A property that a fuzz input broke: say which, then abort so the fuzzer keeps the input.
// Also the input shape of the scheme targets: a choice byte, then the file.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

struct SchemeInput {
    uint8_t choice = 0;  // picks one of the listed names
    std::string file;
};

inline SchemeInput SplitSchemeInput(const uint8_t* data, size_t size) {
    if (size == 0) return {};
    return {data[0], std::string(reinterpret_cast<const char*>(data) + 1, size - 1)};
}
