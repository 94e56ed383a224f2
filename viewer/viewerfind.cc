// The viewer's search: the dialog, where a search starts so that a repeat
// finds the next match, and the search itself on a worker thread.
#include <algorithm>

#include "console/msgbox.h"
#include "editor/editdialogs.h"
#include "viewer/fileviewer.h"
#include "viewer/viewsearch.h"

namespace {

struct SearchJob {
    CTextFile* file;
    Westring word;
    long long start;
    bool reverse, case_sensitive, whole_word;
};

long long RunJob(void* context) {
    SearchJob& job = *static_cast<SearchJob*>(context);
    if (job.file->format == FF_CODEPAGE)
        return SearchFile(*job.file, job.start, job.word, job.reverse, job.case_sensitive, job.whole_word,
                          job.file->code_page);
    return job.file->Search(job.word, job.start, job.case_sensitive, job.whole_word, job.reverse);
}

}  // namespace

void CFileViewer::Search(bool ask, bool opposite, int mode) {
    ViewerSearch& search = viewer_search;
    if (ask) {
        EditSearchOptions options{search.case_sensitive, mode == 0 ? search.reverse : mode == 2, search.whole_word};
        if (CEditSearchDlg(search.word, nullptr, options).Run() != 13) return;
        search.case_sensitive = options.case_sensitive;
        search.reverse = options.reverse;
        search.whole_word = options.whole_word;
    }
    if (search.word.empty()) return;
    const bool reverse = search.reverse != opposite;
    // From the last match, one step on so that it is not found again; the
    // first search starts at the top line, or backwards at the page's end.
    long long start;
    if (found_ < 0) start = reverse ? PageEnd() : top_;
    else start = reverse ? found_ : found_ + 1;
    SearchJob job{&file_, search.word, start, reverse, search.case_sensitive, search.whole_word};
    const long long at = RunSearchWorker(RunJob, &job);
    if (at >= 0) {
        found_ = at;
        found_length_ = search.word.strlen();
        SetTop(hex_ ? at / 16 * 16 : lines_.StartOf(at));
    } else if (at < -1) {
        static_cast<void>(error(L"String not found", Westring(), MB_OK | MB_MESSAGE));
    }
}
