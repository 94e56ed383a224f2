#include "archive/sevenzdecode.h"

#include <lzma.h>

#include <cstdlib>
#include <string>

namespace sevenz {

namespace {

constexpr uint64_t kMethodCopy = 0x00;
constexpr uint64_t kMethodLzma = 0x030101;
constexpr uint64_t kMethodLzma2 = 0x21;
constexpr uint64_t kMethodX86 = 0x03030103;
constexpr uint64_t kMethodX86Short = 0x04;  // the short id newer archivers may use
constexpr uint64_t kMethodAes = 0x06F10701;

struct MethodName {
    uint64_t id;
    const char* name;
};

// Methods an archive may name, for the message about one we cannot read.
constexpr MethodName kMethodNames[] = {
    {kMethodCopy, "Copy"},   {0x03, "Delta"},       {0x0303011B, "BCJ2"},     {0x03030205, "PPC"},
    {0x05, "PPC"},           {0x03030401, "IA64"},  {0x06, "IA64"},           {0x03030501, "ARM"},
    {0x07, "ARM"},           {0x03030701, "ARMT"},  {0x08, "ARMT"},           {0x03030805, "SPARC"},
    {0x09, "SPARC"},         {0x0A, "ARM64"},       {0x0B, "RISCV"},          {0x030401, "PPMd"},
    {0x040108, "Deflate"},   {0x040109, "Deflate64"}, {0x040202, "BZip2"},    {0x04F71101, "Zstandard"},
    {kMethodAes, "AES"},
};

bool IsLzma(uint64_t method) { return method == kMethodLzma || method == kMethodLzma2; }
bool IsX86(uint64_t method) { return method == kMethodX86 || method == kMethodX86Short; }

// The coders from the one giving the folder's output to the one reading
// the packed stream: the order liblzma takes filters in. Empty when the
// coders do not form such a chain.
std::vector<size_t> CoderChain(const Folder& folder) {
    std::vector<size_t> chain;
    if (folder.packed_streams.size() != 1) return {};
    for (const Coder& coder : folder.coders)
        if (coder.in_streams != 1 || coder.out_streams != 1) return {};
    // With one input and one output each, coder i owns input i and output i.
    uint64_t output = static_cast<uint64_t>(folder.MainOutput());
    std::vector<bool> used(folder.coders.size(), false);
    for (;;) {
        if (output >= folder.coders.size() || used[output]) return {};
        used[output] = true;
        chain.push_back(static_cast<size_t>(output));
        const uint64_t input = output;
        bool bound = false;
        for (const BindPair& pair : folder.bind_pairs) {
            if (pair.in_index == input) {
                output = pair.out_index;
                bound = true;
                break;
            }
        }
        if (bound) continue;
        if (input != folder.packed_streams[0]) return {};
        break;
    }
    if (chain.size() != folder.coders.size()) return {};
    return chain;
}

// Frees what lzma_properties_decode allocated.
struct FilterOptions {
    lzma_filter filters[LZMA_FILTERS_MAX + 1];
    size_t count = 0;
    ~FilterOptions() {
        for (size_t i = 0; i < count; i++) std::free(filters[i].options);
    }
};

Problem MakeFilters(const Folder& folder, const std::vector<size_t>& chain, FilterOptions* options) {
    for (size_t i = 0; i < chain.size(); i++) {
        const Coder& coder = folder.coders[chain[i]];
        const uint64_t output_size = folder.unpack_sizes[chain[i]];
        lzma_filter& filter = options->filters[i];
        filter.options = nullptr;
#ifdef LZMA_FILTER_LZMA1EXT
        // Told its exact output size, LZMA finishes the stream without an
        // end marker, so a converter behind it gets its last bytes too.
        filter.id = coder.method == kMethodLzma ? LZMA_FILTER_LZMA1EXT
#else
        filter.id = coder.method == kMethodLzma ? LZMA_FILTER_LZMA1
#endif
                    : coder.method == kMethodLzma2 ? LZMA_FILTER_LZMA2
                                                   : LZMA_FILTER_X86;
        if (lzma_properties_decode(&filter, nullptr, coder.properties.data(), coder.properties.size()) != LZMA_OK)
            return "7z header is damaged: bad coder properties";
        options->count = i + 1;
        if (filter.id != LZMA_FILTER_X86) {
            auto* lzma = static_cast<lzma_options_lzma*>(filter.options);
            // liblzma allocates the whole dictionary at once; one larger than
            // the output is never used, and a damaged size must not be.
            const uint64_t needed = output_size < LZMA_DICT_SIZE_MIN ? LZMA_DICT_SIZE_MIN : output_size;
            if (lzma->dict_size > needed) lzma->dict_size = static_cast<uint32_t>(needed);
#ifdef LZMA_FILTER_LZMA1EXT
            if (filter.id == LZMA_FILTER_LZMA1EXT) {
                lzma->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
                lzma->ext_size_low = static_cast<uint32_t>(output_size);
                lzma->ext_size_high = static_cast<uint32_t>(output_size >> 32);
            }
#endif
        }
    }
    options->filters[chain.size()].id = LZMA_VLI_UNKNOWN;
    options->filters[chain.size()].options = nullptr;
    return nullptr;
}

}  // namespace

Problem CheckFolderMethods(const Folder& folder) {
    for (const Coder& coder : folder.coders)
        if (coder.method == kMethodAes) return "Encrypted 7z archive: the file list cannot be read";
    for (const Coder& coder : folder.coders) {
        if (IsLzma(coder.method) || IsX86(coder.method)) continue;
        for (const MethodName& known : kMethodNames) {
            if (known.id != coder.method) continue;
            static thread_local std::string message;
            message = std::string("7z header uses a method this program cannot read (") + known.name + ")";
            return message.c_str();
        }
        return "7z header uses a method this program cannot read";
    }
    std::vector<size_t> chain = CoderChain(folder);
    if (chain.empty()) return "7z header uses a coder layout this program cannot read";
    // liblzma wants the compressor last and only converters before it.
    for (size_t i = 0; i < chain.size(); i++) {
        const bool last = i + 1 == chain.size();
        if (last != IsLzma(folder.coders[chain[i]].method))
            return "7z header uses a coder layout this program cannot read";
    }
    if (chain.size() > LZMA_FILTERS_MAX) return "7z header uses a coder layout this program cannot read";
    return nullptr;
}

Problem DecodeFolder(const Folder& folder, const uint8_t* packed, size_t packed_size, std::vector<uint8_t>* out) {
    if (Problem problem = CheckFolderMethods(folder)) return problem;
    const std::vector<size_t> chain = CoderChain(folder);
    const uint64_t size = folder.UnpackSize();
    // The converters keep the size, so every coder gives what the folder
    // gives; the caller has bounded that, and with it the LZMA dictionary.
    for (size_t coder : chain)
        if (coder >= folder.unpack_sizes.size() || folder.unpack_sizes[coder] != size)
            return "7z header is damaged: its coders' sizes differ";
    FilterOptions options;
    if (Problem problem = MakeFilters(folder, chain, &options)) return problem;

    out->assign(static_cast<size_t>(size), 0);
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, options.filters) != LZMA_OK) {
        lzma_end(&stream);
        return "7z header is damaged: its coders cannot be set up";
    }
    stream.next_in = packed;
    stream.avail_in = packed_size;
    stream.next_out = out->data();
    stream.avail_out = out->size();
    Problem problem = nullptr;
    while (stream.avail_out > 0) {
        const size_t before_in = stream.avail_in, before_out = stream.avail_out;
        const lzma_ret ret = lzma_code(&stream, LZMA_FINISH);
        if (ret == LZMA_STREAM_END) break;
        if (ret != LZMA_OK || (stream.avail_in == before_in && stream.avail_out == before_out)) {
            problem = ret == LZMA_MEM_ERROR ? "Not enough memory to unpack the 7z header"
                                            : "7z header is damaged: its packed data cannot be unpacked";
            break;
        }
    }
    lzma_end(&stream);
    if (!problem && stream.avail_out > 0) problem = "7z header is damaged: its packed data end early";
    if (!problem && folder.crc_defined && lzma_crc32(out->data(), out->size(), 0) != folder.crc)
        problem = "7z header is damaged: its CRC does not match";
    return problem;
}

}  // namespace sevenz
