// The tree data file reader (panels/treefile.h, panels/dirtree.h) on
// arbitrary bytes: the file lives in the user's home and anything may have
// written it. The identity is taken from the input's own first bytes so that
// the records are read. An accepted file must be a sound tree: it written
// again line by line gives back the same bytes, and a tree built from it
// writes a file that reads back to as many records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "panels/dirtree.h"
#include "panels/treefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    uint32_t identity = 0;
    for (size_t i = 0; i < 4 && i < size; i++) identity |= uint32_t(data[i]) << (8 * i);

    std::vector<TreeFileRecord> records;
    std::string error;
    const TreeFileStatus status = ParseTreeFile(bytes, identity, records, error);
    fuzz_check(status != TreeFileStatus::kOtherFileSystem, "the file's own identity reads as another's");
    if (status != TreeFileStatus::kOk) {
        fuzz_check(records.empty() && !error.empty(), "a rejected file keeps records or gives no reason");
        return 0;
    }
    std::string rewritten = TreeFileHeader(identity);
    int previous = -1;
    for (const TreeFileRecord& record : records) {
        fuzz_check(record.depth >= 0 && record.depth <= kMaxTreeFileDepth, "a depth outside the file's range");
        fuzz_check(record.depth <= previous + 1, "a record more than one level deeper than the one before");
        fuzz_check((record.depth == 0) == (previous < 0), "a root that is not the first record");
        const std::string line = TreeFileLine(record.depth, record.name);
        fuzz_check(!line.empty(), "an accepted record cannot be written");
        rewritten += line;
        previous = record.depth;
    }
    fuzz_check(rewritten == bytes, "an accepted file does not write back to its own bytes");

    CTree tree('/', identity);
    fuzz_check(tree.LoadBytes(bytes, error), "an accepted file does not load");
    std::vector<TreeFileRecord> again;
    fuzz_check(ParseTreeFile(tree.Bytes(), identity, again, error) == TreeFileStatus::kOk,
               "a loaded tree writes a file that does not read");
    fuzz_check(again.size() == records.size(), "a loaded tree writes another number of directories");
    return 0;
}
