#include "bench/wordtext.h"

#include <cstdio>

WordText WriteWordText(const std::string& path, const WordTextShape& shape) {
    WordText result;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return result;
    std::string block;
    int64_t written = 0;
    long line = 0;
    while (written < shape.bytes) {
        block.clear();
        while (block.size() < (1u << 20)) {
            for (int w = 0; w < 14; w++) {
                block += shape.words[(line * 7 + w * 3) % 12];
                block += ' ';
            }
            if (shape.frequent && line % shape.frequent_every == 0) {
                block += shape.frequent;
                result.frequent_lines++;
            }
            if (shape.rare && result.rare_at < 0 &&
                written + static_cast<int64_t>(block.size()) > shape.bytes - (shape.bytes >> 6)) {
                result.rare_at = written + static_cast<int64_t>(block.size());
                block += shape.rare;
            }
            block += '\n';
            line++;
        }
        if (std::fwrite(block.data(), 1, block.size(), out) != block.size()) break;
        written += static_cast<int64_t>(block.size());
    }
    result.written = std::fclose(out) == 0 && written >= shape.bytes;
    return result;
}
