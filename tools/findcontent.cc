#include "tools/findcontent.h"

#include "editor/textfile.h"
#include "tools/foundlist.h"

int64_t check_containing(const Westring& path, const Westring& text, bool case_sensitive, bool whole_word,
                         int code_page) {
    CTextFile file;
    if (file.Open(path.c_str()) != 0) return kFoundCannotOpen;
    if (code_page > 0 && file.format == FF_CODEPAGE) file.code_page = code_page;
    // One pass through the file: the system reads ahead better than a thread.
    file.SetReadAhead(false);
    return file.Search(text, -1, case_sensitive, whole_word, false);
}
