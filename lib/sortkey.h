// Sort keys: each file name folded once into bytes whose plain byte order
// (memcmp, and a shorter key first) is the order of nls_fname_cmp, so that a
// sort compares contiguous bytes instead of folding both names again in
// every comparison.
//
// A name's key holds one code per character, upper-cased through the
// case-fold table, and a code for the end of the name:
//   0x00 + 4 bytes   negative characters, which sort before the end
//   0x01             the end of the name
//   0x02             '_', which sorts before every other character
//   0x03..0xFC       one byte for the characters 1..0xFB other than '_'
//   0xFD + 2 bytes   the rest of the Basic Multilingual Plane
//   0xFE + 4 bytes   the characters above it
// (the bytes after a lead byte are the character, most significant first).
// No name's key begins another's, so a key made of several parts (a group
// byte, a number, an extension's key, then the name's key) sorts part by
// part, each part in its own order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class CSortKeys {
public:
    CSortKeys() = default;
    CSortKeys(const CSortKeys&) = delete;
    CSortKeys& operator=(const CSortKeys&) = delete;

    // Where one key lies in the buffer, with its first sixteen bytes at
    // hand (in two numbers, the first byte most significant, zero after the
    // key's end) so that most comparisons need not look further: sixteen
    // take in a time and the start of a name, or most of a name.
    struct Key {
        uint64_t head[2];
        uint32_t offset;
        uint32_t length;
    };

    // Room for bytes bytes of keys before the buffer has to grow.
    void Reserve(size_t bytes);
    // Forgets every key but keeps the room for the next ones.
    void Clear() { used_ = start_ = 0; }
    // Forgets every key and frees the room.
    void Release();
    // The bytes the buffer holds, used or not.
    size_t capacity() const { return room_; }

    // One key is built between Begin and End from the parts added between.
    void Begin();
    void AddByte(uint8_t byte);
    // The low `bytes` bytes of number (at most eight), most significant first.
    void AddNumber(uint64_t number, int bytes = 8);
    // The key of the name (null is the empty name).
    void AddName(const wchar_t* name);
    // The key built since Begin. False when the keys together would pass
    // 4 GiB, the most a Key can address; the keys built so far stay valid.
    [[nodiscard]] bool End(Key& key);

    // Negative, 0 or positive as a's bytes sort before, with or after b's.
    int Compare(const Key& a, const Key& b) const;

private:
    // At least n writable bytes at the end of the keys, and kHead more so
    // that End can read a whole head; returns where they start.
    unsigned char* Space(size_t n);

    // Left uninitialised: a page of it costs nothing until a key is
    // written there, so Reserve may guess high.
    static constexpr size_t kHead = sizeof(Key::head);

    std::unique_ptr<unsigned char[]> bytes_;
    size_t room_ = 0;
    size_t used_ = 0;
    size_t start_ = 0;  // where the key being built begins
};
