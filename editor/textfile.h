// CTextFile: a text file in any encoding read as 32-bit characters, one at
// a time or a line at a time, searched, and written back in the encoding,
// byte-order mark and line ends it came with. The editor loads and saves
// files with it; the viewer, the file search and the user menu read with it.
//
// Every file reads and writes back byte for byte: a byte that is not part
// of a character of the format becomes a stand-in (textformat.h), each line
// keeps its own line end, and a line without one (the last, or a line cut
// at maxlen) is written without one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/randomfile.h"
#include "editor/textcodec.h"
#include "editor/textformat.h"
#include "lib/atpath.h"
#include "lib/estring.h"
#include "lib/westring.h"


// How a line ended.
enum ELineEnd {
    LE_NONE,  // by the end of the file, or cut at the longest line asked for
    LE_LF,
    LE_CR,
    LE_CRLF,
    LE_LFCR,
};

class CTextFile : public RandomFile {
public:
    CTextFile();
    ~CTextFile();

    // The file's usual line end: 0 CR LF, 1 LF, 2 not yet seen.
    int32_t line_end = 2;
    int32_t code_page;  // for FF_CODEPAGE; DefaultTextCodePage() at first
    bool has_bom = false;
    bool ends_with_newline = false;  // the last line read had a line end
    bool keep_nul = true;            // when clear, a NUL reads as a blank
    int32_t bad_utf8 = 0;            // invalid UTF-8 sequences met reading
    EFileFormat format = FF_UNKNOWN;
    bool swap = false;        // the format is big-endian
    int64_t pos = 0;          // byte position of the next character
    int32_t data_start = 0;   // length of the byte-order mark
    ELineEnd last_line_end = LE_NONE;  // how the line ReadTextLine returned ended

    // A read failed while loading (error number, 0 for none): the text read
    // is short, and read_only is set so it is never saved over the file.
    int read_error = 0;
    bool read_only = false;

    // Opens name for reading and recognises its format (keeping a format
    // set before, unless the file has a byte-order mark). mode and flags are
    // kept for the callers' sake. 0 or the error number.
    [[nodiscard]] int Open(const wchar_t* name, int mode = 0, int flags = 0);
    const Westring& name() const { return name_; }

    // Recognises the format from the first bytes; see DetectFileFormat.
    void DetermineFileFormat();

    // The next character, moving pos past it; -1 at the end of the file.
    int ReadChar();
    // The character before pos, leaving pos at its first byte; -1 at the start.
    int ReadPrevChar();
    // The next line without its line end (which goes to last_line_end), or
    // null at the end of the file. A positive maxlen cuts longer lines: the
    // rest comes as the next line. The text stays valid until the next call.
    const wchar_t* ReadTextLine(int& len, long long maxlen = 0);

    // The byte position where text occurs from start (data_start when
    // negative) on, or before start when backward; -2 when it does not
    // occur, -1 when the format is not known or the user broke off.
    long long Search(Westring text, long long start, bool match_case, bool whole_word, bool backward);

    Estring GetFormatDesc() const { return ::GetFormatDesc(format, code_page); }

    // Saving. The text goes to a new file beside the file (through a
    // symbolic link, beside its target), which replaces it only when every
    // byte is written and synced; on any failure the file stays as it was.
    // A file with several hard links is replaced under this name only: the
    // other names keep the old text, and EndSave reports it in links_broken.
    [[nodiscard]] int BeginSave();
    // s in the format, then the usual line end when newline is set.
    [[nodiscard]] int WriteStr(const wchar_t* s, bool newline);
    // len characters of s (NULs included), then the given line end.
    [[nodiscard]] int WriteLine(const wchar_t* s, int len, ELineEnd end);
    [[nodiscard]] int WriteWideStr(const wchar_t* s);
    // Puts the new file in place and reopens it: 0 or the first error of
    // the whole save (the file then unchanged).
    [[nodiscard]] int EndSave();
    // Other names of the saved file that kept the old text (0 when it had
    // only the one).
    int links_broken = 0;
    // Characters written as "?" because the format cannot hold them.
    int unwritable_written = 0;

    // Characters of s (len of them) the format cannot hold, which saving
    // would write as "?"; the editor asks before saving them.
    int CountUnwritable(const wchar_t* s, int len);
    // The index of the first of them, or -1.
    int FirstUnwritable(const wchar_t* s, int len);

private:
    int Byte(int64_t at);
    int ReadUTF8();
    int ReadPrevUTF8();
    int ReadUnit(int size);
    int ReadPrevUnit(int size);
    // The unit of size bytes at at in the file's byte order; -1 when unreadable.
    int64_t UnitAt(int64_t at, int size);
    void AppendToLine(int& len, wchar_t c);
    bool AppendAsciiRun(int& len, long long maxlen);
    ELineEnd ReadLineEnd(int first);
    ELineEnd DefaultLineEnd() const { return line_end == 1 ? LE_LF : LE_CRLF; }
    void Put(wchar_t c);
    int FlushOut();
    void AbandonSave();
    long long SearchBytes(const std::string& needle, int64_t start, bool whole_word);
    long long SearchChars(const Westring& text, int64_t start, bool match_case, bool whole_word, bool backward);
    bool WordAround(int64_t begin, int64_t end);

    Westring name_;
    std::vector<wchar_t> line_buf_;
    CCodePageTable cp_table_;

    // The save in progress.
    std::unique_ptr<AtPath> save_target_;
    std::string save_temp_;
    int save_fd_ = -1;
    int save_error_ = 0;
    std::string out_;

    // Bytes the last byte search read, kept for a search that goes on.
    std::vector<char> search_buf_;
    int64_t search_buf_at_ = -1;
    int search_buf_len_ = 0;
};
