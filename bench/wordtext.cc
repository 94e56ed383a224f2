#include "bench/wordtext.h"

#include <cstdio>

WordText WriteWordText(const std::string& path, const WordTextSpec& spec) {
    WordText result;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return result;
    std::string block;
    int64_t written = 0;
    long line = 0;
    while (written < spec.bytes) {
        block.clear();
        while (block.size() < (1u << 20)) {
            for (int w = 0; w < 14; w++) {
                block += spec.words[(line * 7 + w * 3) % 12];
                block += ' ';
            }
            if (spec.frequent && line % spec.frequent_every == 0) {
                block += spec.frequent;
                result.frequent_lines++;
            }
            if (result.rare_at < 0 && written + static_cast<int64_t>(block.size()) > spec.bytes - (spec.bytes >> 6)) {
                result.rare_at = written + static_cast<int64_t>(block.size());
                block += spec.rare;
            }
            block += '\n';
            line++;
        }
        if (std::fwrite(block.data(), 1, block.size(), out) != block.size()) break;
        written += static_cast<int64_t>(block.size());
    }
    result.written = std::fclose(out) == 0 && written >= spec.bytes;
    return result;
}
