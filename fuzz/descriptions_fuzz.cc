// Description files (fileops/descriptions.h): the input, split at its zero
// bytes, is a description file as another program may have left it, a file
// name and a description. In a scratch directory the description is
// written, copied to another directory and deleted; beyond not crashing it
// checks that the copy carries the text written, that a name that cannot be
// stored changes nothing, that deleting leaves no line for the name, and
// that every other line survives each step as it was.
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fileops/descbatch.h"
#include "fileops/descriptions.h"
#include "fileops/resolvepath.h"
#include "fuzz/check.h"
#include "lib/fsname.h"
#include "lib/nls.h"

namespace {

std::string scratch_dir() {
    static std::string dir;
    if (dir.empty()) {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dv-desc.XXXXXX";
        if (!mkdtemp(pattern.data())) abort();
        dir = pattern;
        for (const char* sub : {"/src", "/dst"})
            if (mkdir((dir + sub).c_str(), 0700) != 0) abort();
    }
    return dir;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of a description file as a reader sees them: split at line
// feeds, without the carriage returns that end them.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line.erase(line.find_last_not_of('\r') + 1);
        lines.push_back(line);
    }
    return lines;
}

bool names(const std::string& line, const Westring& name) {
    Westring named;
    fname_from_desc(line.c_str(), named);
    return fncompare(named.c_str(), name.c_str()) == 0;
}

// The lines that do not belong to name.
std::vector<std::string> others(const std::string& text, const Westring& name) {
    std::vector<std::string> out;
    for (const std::string& line : lines_of(text))
        if (!names(line, name)) out.push_back(line);
    return out;
}

// The text after the name on name's first line, with the blanks between
// them; "\x01" when there is no line for name.
std::string text_of(const std::string& file, const Westring& name) {
    for (const std::string& line : lines_of(file)) {
        if (!names(line, name)) continue;
        Westring named;
        const char* rest = fname_from_desc(line.c_str(), named);
        while (*rest == ' ' || *rest == '\t') rest++;
        return rest;
    }
    return "\x01";
}

// What a reader gets back of a description: one line, from its first
// character that is not a blank.
std::string expected_text(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    size_t start = text.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : text.substr(start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> fields(3);
    size_t field = 0;
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0) {
            if (++field == fields.size()) break;
        } else {
            fields[field] += static_cast<char>(data[i]);
        }
    }
    const std::string& initial = fields[0];
    const std::string& name_bytes = fields[1];
    const std::string& text = fields[2];
    if (name_bytes.empty() || name_bytes.find('/') != std::string::npos) return 0;
    // The description file's own name would be overwritten by the steps.
    const Westring name = DecodeFileName(name_bytes.c_str());
    if (IsDescFileName(name.c_str())) return 0;

    const std::string dir = scratch_dir();
    const std::string src_desc = dir + "/src/descript.ion", dst_desc = dir + "/dst/descript.ion";
    unlink(dst_desc.c_str());
    unlink(src_desc.c_str());
    if (!initial.empty()) {
        std::ofstream(src_desc, std::ios::binary) << initial;
    }
    const Westring src = join_path(DecodeFileName((dir + "/src").c_str()), name);
    const Westring dst = join_path(DecodeFileName((dir + "/dst").c_str()), name);

    int written = write_desc(src.c_str(), text.c_str());
    std::string after_write = read_file(src_desc);
    if (!DescStorableName(name)) {
        fuzz_check(written != 0, "a name with a line break was given a line");
        fuzz_check(after_write == initial, "a refused description changed the file");
        return 0;
    }
    fuzz_check(written == 0, "a description was not written");
    fuzz_check(others(after_write, name) == others(initial, name), "writing changed another file's line");
    fuzz_check(text_of(after_write, name) == expected_text(text), "the description written reads back otherwise");

    {
        DescBatch descriptions;
        descriptions.Copy(src, dst);
    }
    const std::string copied = read_file(dst_desc);
    fuzz_check(lines_of(copied).size() == 1, "the copy wrote other than one line");
    fuzz_check(text_of(copied, name) == expected_text(text), "the copy carries another description");
    fuzz_check(read_file(src_desc) == after_write, "copying changed the source's file");

    int emptied = delete_desc(src.c_str());
    const std::string after_delete = read_file(src_desc);
    fuzz_check(text_of(after_delete, name) == "\x01", "a line for the name is left after deleting");
    fuzz_check(others(after_delete, name) == others(initial, name), "deleting changed another file's line");
    fuzz_check((emptied == 1) == (access(src_desc.c_str(), F_OK) != 0), "the empty file was not deleted");
    return 0;
}
