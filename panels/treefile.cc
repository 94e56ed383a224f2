#include "panels/treefile.h"

namespace {

bool valid_name(const Westring& name, bool root) {
    const wchar_t* p = name.c_str();
    if (!*p) return false;
    if (root) return p[0] == L'/' && p[1] == 0;
    if (p[0] == L'.' && (p[1] == 0 || (p[1] == L'.' && p[2] == 0))) return false;
    for (; *p; p++)
        if (*p == L'/') return false;
    return true;
}

// Whether bytes decode as UTF-8 and encode back to the same bytes: a
// lenient decoder would otherwise accept stray bytes as some character.
bool decode_exact(std::string_view bytes, Westring& name) {
    if (bytes.find('\0') != std::string_view::npos) return false;
    if (!name.FromUTF8(bytes.data(), bytes.size())) return false;
    const Estring back = name.ToUTF8();
    return static_cast<size_t>(back.strlen()) == bytes.size() && bytes.compare(0, bytes.size(), back.c_str()) == 0;
}

}  // namespace

TreeFileStatus ParseTreeFile(std::string_view bytes, uint32_t identity, std::vector<TreeFileRecord>& records,
                             std::string& error) {
    records.clear();
    if (bytes.size() < 4) {
        error = "the file is too short to name its file system";
        return TreeFileStatus::kDamaged;
    }
    uint32_t stored = 0;
    for (int i = 3; i >= 0; i--) stored = (stored << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
    if (stored != identity) return TreeFileStatus::kOtherFileSystem;

    size_t at = 4;
    int previous_depth = -1;
    while (at < bytes.size()) {
        const size_t end = bytes.find('\n', at);
        const size_t line_length = (end == std::string_view::npos ? bytes.size() : end + 1) - at;
        const std::string line_number = std::to_string(records.size() + 1);
        if (line_length > kMaxTreeLineBytes) {
            error = "line " + line_number + " is longer than " + std::to_string(kMaxTreeLineBytes) + " bytes";
            records.clear();
            return TreeFileStatus::kDamaged;
        }
        if (end == std::string_view::npos) {
            error = "the last line is cut short";
            records.clear();
            return TreeFileStatus::kDamaged;
        }
        const int depth = static_cast<unsigned char>(bytes[at]) - '0';
        const char* fault = nullptr;
        if (depth < 0 || depth > kMaxTreeFileDepth) fault = "has no depth character";
        else if (previous_depth < 0 && depth != 0) fault = "does not begin with the root";
        else if (previous_depth >= 0 && depth == 0) fault = "is a second root";
        else if (depth > previous_depth + 1) fault = "jumps more than one level deeper";
        TreeFileRecord record;
        record.depth = depth;
        if (!fault && !decode_exact(bytes.substr(at + 1, end - at - 1), record.name)) fault = "is not valid UTF-8";
        if (!fault && !valid_name(record.name, depth == 0)) fault = "holds no directory name";
        if (fault) {
            error = "line " + line_number + " " + fault;
            records.clear();
            return TreeFileStatus::kDamaged;
        }
        records.push_back(std::move(record));
        previous_depth = depth;
        at = end + 1;
    }
    if (records.empty()) {
        error = "the file holds no root";
        return TreeFileStatus::kDamaged;
    }
    return TreeFileStatus::kOk;
}

std::string TreeFileHeader(uint32_t identity) {
    std::string header(4, '\0');
    for (int i = 0; i < 4; i++) header[static_cast<size_t>(i)] = static_cast<char>((identity >> (8 * i)) & 0xFF);
    return header;
}

std::string TreeFileLine(int depth, const Westring& name) {
    if (depth < 0 || depth > kMaxTreeFileDepth || !valid_name(name, depth == 0)) return std::string();
    const Estring bytes = name.ToUTF8();
    std::string line;
    line.reserve(static_cast<size_t>(bytes.strlen()) + 2);
    line += static_cast<char>('0' + depth);
    line.append(bytes.c_str(), static_cast<size_t>(bytes.strlen()));
    line += '\n';
    Westring back;
    if (line.size() > kMaxTreeLineBytes || !decode_exact(std::string_view(line).substr(1, line.size() - 2), back))
        return std::string();
    return line;
}
