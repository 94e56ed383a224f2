// The editor's search and replace: the dialogs, the answer at each match,
// and where the cursor and the page go.
#include <algorithm>
#include <cstdio>

#include "console/console.h"
#include "console/msgbox.h"
#include "editor/editor.h"
#include "editor/editsearch.h"
#include "editor/edittext.h"

namespace {

bool StopOnEsc(void*) { return check_esc(); }

SearchOptions OptionsOf(const EditSearchOptions& options) {
    SearchOptions result;
    result.match_case = options.case_sensitive;
    result.whole_word = options.whole_word;
    result.backward = options.reverse;
    return result;
}

void TellNotFound() { static_cast<void>(error(L"String not found", L"", MB_OK | MB_MESSAGE)); }

}  // namespace

void DVEditor::ShowMatch(TextPos at, int length) {
    model_.MoveTo(at, false);
    if (!mark_mode_) {
        model_.sel.start = at;
        model_.sel.end = {at.line, at.pos + length};
        model_.sel.active = length > 0;
    }
}

void DVEditor::Find(bool ask, bool replace, bool reverse_toggle) {
    EditorSearch& search = editor_search;
    if (ask) {
        const int answer = CEditSearchDlg(search.text, replace ? &search.replacement : nullptr, search.options).Run();
        Invalidate();
        if (answer != 13) return;
    }
    if (reverse_toggle) search.options.reverse = !search.options.reverse;
    if (search.text.empty()) return;
    const TextSearcher searcher(std::wstring(search.text.c_str(), static_cast<size_t>(search.text.strlen())),
                                OptionsOf(search.options));
    const bool backward = search.options.reverse;
    TextPos from = model_.cursor();
    // A plain search goes on one character past the cursor, so that
    // repeating it does not find the same place again.
    if (!replace && !backward) {
        if (from.pos < model_.text.LineLength(from.line)) from.pos++;
        else if (from.line + 1 < model_.text.LineCount()) from = {from.line + 1, 0};
    }
    SearchMatch match;
    if (!replace) {
        if (searcher.Find(model_.text, from, match, StopOnEsc, nullptr)) ShowMatch(match.at, match.length);
        else TellNotFound();
        return;
    }
    const std::wstring replacement(search.replacement.c_str(), static_cast<size_t>(search.replacement.strlen()));
    int replaced = 0;
    bool found = false;
    while (searcher.Find(model_.text, from, match, StopOnEsc, nullptr)) {
        found = true;
        ShowMatch(match.at, match.length);
        Paint();
        const FoundAnswer answer = AskStringFound();
        Invalidate();
        if (answer == FoundAnswer::Cancel) break;
        if (answer == FoundAnswer::All) {
            const ReplaceAllResult all = ReplaceAll(model_, searcher, replacement, match.at);
            replaced += all.replaced;
            char text[160];
            std::snprintf(text, sizeof text, "%d replacements", replaced);
            Westring message(text);
            if (all.refused_lines > 0) {
                std::snprintf(text, sizeof text, "\n%d lines were left alone: they would grow too long.",
                              all.refused_lines);
                message += Westring(text);
            }
            static_cast<void>(error(message, L"", MB_OK | MB_MESSAGE));
            return;
        }
        if (answer == FoundAnswer::Skip) {
            from = backward ? match.at : TextPos{match.at.line, match.at.pos + 1};
            continue;
        }
        const EditStatus status = ReplaceMatch(model_, match, replacement);
        Report(status);
        if (status == EditStatus::kOk) replaced++;
        // Forward the search goes on after the new text, backward before the match.
        from = backward ? match.at : (status == EditStatus::kOk ? model_.cursor()
                                                                 : TextPos{match.at.line, match.at.pos + 1});
    }
    model_.ClearSelection();
    if (!found && replaced == 0) TellNotFound();
}

void DVEditor::FindWordAtCursor(bool backward) {
    const TextPos at = model_.cursor();
    std::wstring scratch;
    const wchar_t* s = model_.text.Line(at.line, scratch);
    int start = 0, end = 0;
    if (!WordAt(s, model_.text.LineLength(at.line), at.pos, start, end)) return;
    SearchOptions options = OptionsOf(editor_search.options);
    options.whole_word = true;
    options.backward = backward;
    const TextSearcher searcher(std::wstring(s + start, static_cast<size_t>(end - start)), options);
    // From the word's end forwards, from its start backwards, so the word
    // itself is not found again.
    const TextPos from = backward ? TextPos{at.line, start} : TextPos{at.line, end};
    SearchMatch match;
    if (searcher.Find(model_.text, from, match, StopOnEsc, nullptr)) ShowMatch(match.at, match.length);
}
