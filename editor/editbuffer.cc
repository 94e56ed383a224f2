#include "editor/editbuffer.h"

#include <algorithm>
#include <cstring>

#include "editor/textcodec.h"
#include "editor/textformat.h"

namespace {
const wchar_t kEmpty[] = L"";

// Bytes a character takes in the file's format, to turn a byte offset
// into a character index.
int EncodedSize(wchar_t c, EFileFormat format) {
    if (IsTextRawByte(c)) return 1;
    switch (format) {
        case FF_UTF32LE:
        case FF_UTF32BE:
            return 4;
        case FF_UTF16LE:
        case FF_UTF16BE:
            return c > 0xFFFF ? 4 : 2;
        case FF_UTF8:
            return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        default:
            return 1;
    }
}
}  // namespace

EditBuffer::EditBuffer() { Clear(); }

void EditBuffer::Clear() {
    pool_.Clear();
    pool_bytes_ = 0;
    lines_.clear();
    lines_.push_back({nullptr, 0, 0, LE_NONE});
    cur_line_ = -1;
    cur_.clear();
    cur_dirty_ = false;
    split_lines = 0;
    bad_lines = 0;
}

int EditBuffer::LineLength(int i) const {
    if (i == cur_line_) return static_cast<int>(cur_.size());
    return lines_[static_cast<size_t>(i)].len;
}

const wchar_t* EditBuffer::Line(int i, std::wstring& scratch) const {
    if (i == cur_line_) return cur_.c_str();
    const Line_& line = lines_[static_cast<size_t>(i)];
    if (line.len == 0) return kEmpty;
    if (line.wide) return static_cast<const wchar_t*>(line.text);
    const unsigned char* bytes = static_cast<const unsigned char*>(line.text);
    scratch.resize(static_cast<size_t>(line.len));
    for (int32_t k = 0; k < line.len; k++) scratch[static_cast<size_t>(k)] = bytes[k];
    return scratch.c_str();
}

std::wstring EditBuffer::LineString(int i) const {
    std::wstring scratch;
    const wchar_t* s = Line(i, scratch);
    return std::wstring(s, static_cast<size_t>(LineLength(i)));
}

wchar_t EditBuffer::CharAt(TextPos at) const {
    if (at.line < 0 || at.line >= LineCount() || at.pos < 0 || at.pos >= LineLength(at.line)) return 0;
    if (at.line == cur_line_) return cur_[static_cast<size_t>(at.pos)];
    const Line_& line = lines_[static_cast<size_t>(at.line)];
    if (line.wide) return static_cast<const wchar_t*>(line.text)[at.pos];
    return static_cast<const unsigned char*>(line.text)[at.pos];
}

void EditBuffer::SetLineEnds(ELineEnd end) {
    if (end == LE_NONE) return;
    default_end = end;
    for (Line_& line : lines_)
        if (line.end != LE_NONE) line.end = static_cast<uint8_t>(end);
}

int EditBuffer::Recode(int from_cp, int to_cp) {
    Flush();
    CCodePageTable from_table, to_table;
    from_table.Build(from_cp);
    to_table.Build(to_cp);
    int unknown = 0;
    std::wstring scratch, recoded;
    for (int i = 0; i < LineCount(); i++) {
        const wchar_t* s = Line(i, scratch);
        int len = LineLength(i);
        recoded.resize(static_cast<size_t>(len));
        for (int k = 0; k < len; k++) {
            int byte = IsTextRawByte(s[k]) ? RawByteValue(s[k]) : from_table.ToByte(s[k]);
            if (byte < 0) {
                unknown++;
                byte = '?';
            }
            recoded[static_cast<size_t>(k)] = to_table.ToChar(static_cast<uint8_t>(byte));
        }
        Line_ line;
        if (!Store(recoded.data(), recoded.size(), LineEnd(i), line)) break;
        lines_[static_cast<size_t>(i)] = line;
    }
    return unknown;
}

TextPos EditBuffer::Clamp(TextPos at) const {
    at.line = std::clamp(at.line, 0, LineCount() - 1);
    at.pos = std::clamp(at.pos, 0, LineLength(at.line));
    return at;
}

bool EditBuffer::Valid(TextPos at) const {
    return at.line >= 0 && at.line < LineCount() && at.pos >= 0 && at.pos <= LineLength(at.line);
}

namespace {

// Every bit set in any character of s: below 256 exactly when every
// character is, in one pass the compiler can do many characters at a time.
uint32_t CharBits(const wchar_t* s, size_t len) {
    uint32_t bits = 0;
    for (size_t i = 0; i < len; i++) bits |= static_cast<uint32_t>(s[i]);
    return bits;
}

}  // namespace

bool EditBuffer::Store(const wchar_t* s, size_t len, ELineEnd end, Line_& out) {
    return Store(s, len, end, CharBits(s, len), out);
}

bool EditBuffer::Store(const wchar_t* s, size_t len, ELineEnd end, uint32_t char_bits, Line_& out) {
    out = {nullptr, static_cast<int32_t>(len), 0, static_cast<uint8_t>(end)};
    if (len == 0) return true;
    if (char_bits < 256) {
        unsigned char* bytes = static_cast<unsigned char*>(pool_.Alloc(len));
        if (!bytes) return false;
        for (size_t i = 0; i < len; i++) bytes[i] = static_cast<unsigned char>(s[i]);
        out.text = bytes;
        pool_bytes_ += len;
    } else {
        void* wide = pool_.AllocAligned(len * sizeof(wchar_t), alignof(wchar_t));
        if (!wide) return false;
        std::memcpy(wide, s, len * sizeof(wchar_t));
        out.text = wide;
        out.wide = 1;
        pool_bytes_ += len * sizeof(wchar_t);
    }
    return true;
}

// Writes the line under the cursor back into the pool when it changed:
// one copy each time the cursor leaves a changed line.
void EditBuffer::Flush() {
    if (cur_line_ < 0) return;
    if (cur_dirty_) {
        Line_& line = lines_[static_cast<size_t>(cur_line_)];
        Line_ copy;
        if (Store(cur_.data(), cur_.size(), static_cast<ELineEnd>(line.end), copy)) {
            line = copy;
        } else {
            return;  // keep holding the text apart rather than lose it
        }
    }
    cur_line_ = -1;
    cur_dirty_ = false;
    cur_.clear();
}

void EditBuffer::MakeCurrent(int line) {
    if (line == cur_line_) return;
    Flush();
    if (cur_line_ >= 0) return;  // the old line could not be stored
    std::wstring scratch;
    const wchar_t* s = Line(line, scratch);
    cur_.reserve(kMaxLineLength + 1);
    cur_.assign(s, static_cast<size_t>(LineLength(line)));
    cur_line_ = line;
}

// The one check of every change: the lines it leaves behind and their count.
EditStatus EditBuffer::CheckLimits(TextPos from, TextPos to, const TextBlock& text) const {
    if (!Valid(from) || !Valid(to) || to < from || text.lines.empty() ||
        text.ends.size() + 1 < text.lines.size())
        return EditStatus::kBadPosition;
    size_t suffix = static_cast<size_t>(LineLength(to.line) - to.pos);
    size_t count = text.lines.size();
    size_t first = static_cast<size_t>(from.pos) + text.lines[0].size() + (count == 1 ? suffix : 0);
    if (first > kMaxLineLength) return EditStatus::kLineTooLong;
    for (size_t i = 1; i + 1 < count; i++)
        if (text.lines[i].size() > kMaxLineLength) return EditStatus::kLineTooLong;
    if (count > 1 && text.lines.back().size() + suffix > kMaxLineLength) return EditStatus::kLineTooLong;
    int64_t lines_after = static_cast<int64_t>(LineCount()) - (to.line - from.line) + static_cast<int64_t>(count - 1);
    if (lines_after > kMaxLines) return EditStatus::kTooManyLines;
    return EditStatus::kOk;
}

TextBlock EditBuffer::Extract(TextPos from, TextPos to) const {
    from = Clamp(from);
    to = Clamp(to);
    TextBlock block;
    if (to < from) return block;
    std::wstring scratch;
    block.lines.clear();
    for (int i = from.line; i <= to.line; i++) {
        const wchar_t* s = Line(i, scratch);
        int start = i == from.line ? from.pos : 0;
        int end = i == to.line ? to.pos : LineLength(i);
        block.lines.emplace_back(s + start, static_cast<size_t>(end - start));
        if (i < to.line) block.ends.push_back(LineEnd(i));
    }
    return block;
}

EditStatus EditBuffer::Replace(TextPos from, TextPos to, const TextBlock& text, TextBlock* removed, TextPos* end) {
    EditStatus status = CheckLimits(from, to, text);
    if (status != EditStatus::kOk) return status;
    if (removed) *removed = Extract(from, to);
    if (end) *end = text.EndFrom(from);

    // Within one line: edit the held line in place.
    if (from.line == to.line && text.lines.size() == 1) {
        MakeCurrent(from.line);
        if (cur_line_ != from.line) return EditStatus::kNoMemory;
        cur_.replace(static_cast<size_t>(from.pos), static_cast<size_t>(to.pos - from.pos), text.lines[0]);
        cur_dirty_ = true;
        return EditStatus::kOk;
    }

    Flush();
    if (cur_line_ >= 0) return EditStatus::kNoMemory;
    std::wstring scratch;
    const wchar_t* first = Line(from.line, scratch);
    std::wstring head(first, static_cast<size_t>(from.pos));
    const wchar_t* last = Line(to.line, scratch);
    std::wstring tail(last + to.pos, static_cast<size_t>(LineLength(to.line) - to.pos));
    ELineEnd last_end = LineEnd(to.line);

    size_t count = text.lines.size();
    std::vector<Line_> fresh(count);
    for (size_t i = 0; i < count; i++) {
        std::wstring piece;
        const std::wstring* s = &text.lines[i];
        if (i == 0 || i + 1 == count) {
            piece = (i == 0 ? head : std::wstring()) + text.lines[i] + (i + 1 == count ? tail : std::wstring());
            s = &piece;
        }
        ELineEnd e = last_end;
        if (i + 1 < count) {
            e = text.ends[i];
            if (e == LE_NONE) e = default_end;
        }
        if (!Store(s->data(), s->size(), e, fresh[i])) return EditStatus::kNoMemory;
    }
    size_t at = static_cast<size_t>(from.line);
    size_t old_count = static_cast<size_t>(to.line - from.line + 1);
    size_t common = std::min(old_count, count);
    std::copy(fresh.begin(), fresh.begin() + static_cast<ptrdiff_t>(common), lines_.begin() + static_cast<ptrdiff_t>(at));
    if (count < old_count) {
        lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(at + count),
                     lines_.begin() + static_cast<ptrdiff_t>(at + old_count));
    } else if (count > old_count) {
        lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(at + old_count),
                      fresh.begin() + static_cast<ptrdiff_t>(common), fresh.end());
    }
    return EditStatus::kOk;
}

void EditBuffer::BeginLoad(CTextFile& file, int64_t offset) {
    file.SetReadAhead(false);  // one pass from start to end
    Clear();
    lines_.clear();
    load_offset_ = offset;
    located_ = false;
    at_offset_ = TextPos();
    line_start_ = std::max<int64_t>(file.pos, file.data_start);
}

EditStatus EditBuffer::LoadMore(CTextFile& file, int max_lines, bool& done) {
    done = false;
    EditStatus status = EditStatus::kOk;
    for (int n = 0; n < max_lines; n++) {
        int len = 0;
        const wchar_t* s = file.ReadTextLine(len, kMaxLineLength);
        if (!s) {
            done = true;
            break;
        }
        int64_t next = file.pos;
        if (load_offset_ >= 0 && !located_ && load_offset_ < next) {
            int64_t bytes = load_offset_ - line_start_;
            int chars = 0;
            while (chars < len && bytes > 0) bytes -= EncodedSize(s[chars++], file.format);
            at_offset_ = {static_cast<int32_t>(lines_.size()), chars};
            located_ = true;
        }
        const uint32_t bits = CharBits(s, static_cast<size_t>(len));
        // Bytes kept as they were lie above Unicode: only such a line can hold one.
        bool raw = false;
        if (bits >= static_cast<uint32_t>(kRawByteBase))
            for (int i = 0; i < len && !raw; i++) raw = IsTextRawByte(s[i]);
        if (raw) bad_lines++;
        // A full line without a line end was cut, unless nothing follows it.
        if (!lines_.empty() && lines_.back().end == LE_NONE && lines_.back().len == kMaxLineLength) split_lines++;
        Line_ line;
        if (!Store(s, static_cast<size_t>(len), file.last_line_end, bits, line)) {
            status = EditStatus::kNoMemory;
            done = true;
            break;
        }
        lines_.push_back(line);
        line_start_ = next;
        if (lines_.size() >= static_cast<size_t>(kMaxLines)) {
            status = EditStatus::kTooManyLines;
            done = true;
            break;
        }
    }
    if (!done) return status;
    // The line after a final line end, or the one line of an empty file.
    if (lines_.empty() || LineEnd(LineCount() - 1) != LE_NONE) lines_.push_back({nullptr, 0, 0, LE_NONE});
    if (load_offset_ >= 0 && !located_) {
        at_offset_ = End();
        located_ = true;
    }
    default_end = file.line_end == 0 ? LE_CRLF : LE_LF;
    if (status == EditStatus::kOk && file.read_error) status = EditStatus::kReadError;
    return status;
}

EditStatus EditBuffer::Load(CTextFile& file, int64_t offset, TextPos* at_offset,
                            const std::function<bool(int64_t)>& progress) {
    BeginLoad(file, offset);
    bool done = false;
    EditStatus status = EditStatus::kOk;
    while (!done) {
        status = LoadMore(file, 65536, done);
        if (!done && progress && !progress(file.pos)) {
            // Stopped: keep what was read, ended as a complete text.
            if (lines_.empty() || LineEnd(LineCount() - 1) != LE_NONE) lines_.push_back({nullptr, 0, 0, LE_NONE});
            status = EditStatus::kStopped;
            break;
        }
    }
    if (at_offset && offset >= 0) *at_offset = located_ ? at_offset_ : End();
    return status;
}

int EditBuffer::Save(CTextFile& file) {
    int error = file.BeginSave();
    if (error) return error;
    std::wstring scratch;
    for (int i = 0; i < LineCount() && !error; i++)
        error = file.WriteLine(Line(i, scratch), LineLength(i), LineEnd(i));
    int end_error = file.EndSave();
    return end_error ? end_error : error;
}
