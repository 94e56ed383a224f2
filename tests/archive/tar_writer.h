// Tar headers made byte by byte, for the cases no tar program writes on
// request: damaged checksums, hostile names, huge sizes without the data.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

class TarWriter {
public:
    // A header block; size is written in octal (or in base 256 when it
    // does not fit 11 octal digits) unless size_field is given.
    TarWriter& Header(const std::string& name, uint64_t size, char type = '0', const std::string& size_field = "",
                      uint32_t mode = 0644) {
        std::string block(512, '\0');
        block.replace(0, std::min<size_t>(name.size(), 100), name.substr(0, 100));
        put_octal(block, 100, 8, mode);
        put_octal(block, 108, 8, 1000);
        put_octal(block, 116, 8, 1000);
        if (!size_field.empty()) {
            block.replace(124, size_field.size(), size_field);
        } else if (size < (uint64_t(1) << 33)) {
            put_octal(block, 124, 12, size);
        } else {
            block[124] = static_cast<char>(0x80);
            for (int i = 0; i < 8; i++) block[135 - i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        }
        put_octal(block, 136, 12, 1600000000);
        block[156] = type;
        block.replace(257, 8, std::string("ustar  \0", 8));
        SetChecksum(block);
        data_ += block;
        return *this;
    }
    // A header whose type carries data (an 'L' long name, a pax 'x' or
    // 'g' header): the header, then the data padded to 512.
    TarWriter& Extension(char type, const std::string& data) {
        Header("././@LongLink", data.size(), type);
        return Data(data);
    }
    // A pax record with its length counted in.
    static std::string PaxRecord(const std::string& key, const std::string& value) {
        const std::string text = " " + key + "=" + value + "\n";
        size_t length = text.size() + 1;
        while (std::to_string(length).size() + text.size() != length) length++;
        return std::to_string(length) + text;
    }
    TarWriter& Data(const std::string& data) {
        data_ += data;
        data_.append((512 - data.size() % 512) % 512, '\0');
        return *this;
    }
    TarWriter& End() {
        data_.append(1024, '\0');
        return *this;
    }
    // The checksum of a 512-byte header, as tar writes it.
    static void SetChecksum(std::string& block, bool signed_sum = false) {
        block.replace(148, 8, "        ");
        long sum = 0;
        for (char c : block) sum += signed_sum ? static_cast<signed char>(c) : static_cast<unsigned char>(c);
        char field[8];
        std::snprintf(field, sizeof field, "%06lo", sum & 0777777);
        block.replace(148, 7, std::string(field, 6) + '\0');
    }
    std::string& bytes() { return data_; }

private:
    static void put_octal(std::string& block, size_t at, size_t length, uint64_t value) {
        char field[24];
        std::snprintf(field, sizeof field, "%0*llo", static_cast<int>(length - 1), static_cast<unsigned long long>(value));
        block.replace(at, length - 1, field);
    }
    std::string data_;
};
