// What the fuzz targets share: the input cut into fields, and a check that stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A target that needs several texts reads one per line, so that its seed files read as text;
// the last field takes the rest of the input, line breaks included, and missing fields are
// empty.
inline std::vector<std::string> Fields(const uint8_t* data, size_t size, size_t count) {
    std::vector<std::string> fields(count);
    size_t field = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && field + 1 < count)
            ++field;
        else
            fields[field] += static_cast<char>(data[i]);
    }
    return fields;
}

// A broken invariant is a finding like a crash: aborting makes libFuzzer keep the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
