// DVEditor: the full-screen text editor. It loads a whole file into an
// EditModel, shows it with a status line, a function-key bar and syntax
// colours, maps keys and the mouse onto the model's commands, and saves
// through the text file's safe save. It lives for one call of edit().
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "console/cells.h"
#include "console/keybar.h"
#include "console/win.h"
#include "editor/editdialogs.h"
#include "editor/editmodel.h"
#include "editor/syntaxhighlighter.h"
#include "editor/textfile.h"
#include "lib/westring.h"

struct Event;

// The help pages F1 can ask for.
enum class EditorHelpTopic { kEditor, kMenuFile, kConfigFile };

// What the levels above the editor lend it.
struct EditorHooks {
    // The syntax definitions file; empty for none.
    Westring syntax_file;
    // The configuration file's name, so F1 can tell when it is edited.
    Westring config_file;
    // Shows a help page; null while there is no help.
    void (*help)(EditorHelpTopic topic) = nullptr;
};
extern EditorHooks editor_hooks;

// The search of the last F7 or F8, kept for the whole program run.
struct EditorSearch {
    Westring text;
    Westring replacement;
    EditSearchOptions options;
};
extern EditorSearch editor_search;

// How the editor ended.
enum class EditorExit {
    kClosed,     // the user left (saved, discarded or nothing changed)
    kNotOpened,  // the file could not be opened, or creating it was refused
    kQuit,       // the desktop closed the window
};

class DVEditor {
public:
    DVEditor();
    ~DVEditor();
    DVEditor(const DVEditor&) = delete;
    DVEditor& operator=(const DVEditor&) = delete;

    // Opens name and runs the key loop until the user leaves. offset -1
    // restores the remembered position; otherwise the cursor goes to that
    // byte of the file and length characters from there are selected.
    EditorExit edit(const wchar_t* name, int64_t offset = -1, int length = 0);

    // The steps of edit, apart for tests and benchmarks: Open loads the file
    // (asking to create it when missing) and shows the first screen; Run is
    // the key loop; Close stores the file's state for the next time.
    [[nodiscard]] bool Open(const wchar_t* name, int64_t offset = -1, int length = 0);
    EditorExit Run();
    void Close();

    // Saves under the present name; false (the editor stays open and the
    // text modified) when the user refused or the save failed.
    [[nodiscard]] bool save_text();
    // Asks for a name and encoding and saves there.
    [[nodiscard]] bool SaveAs();

    const EditModel& model() const { return model_; }
    EditModel& model() { return model_; }
    const CTextFile& file() const { return file_; }
    bool read_only() const { return read_only_; }
    bool mark_mode() const { return mark_mode_; }

    // Paints whatever changed since the last paint.
    void Paint();

private:
    // Loading and saving (editorfile.cc).
    [[nodiscard]] bool LoadFile(bool keep_format, int64_t offset, int length);
    [[nodiscard]] bool ReloadFile(EFileFormat format, int code_page, bool has_bom);
    void RecodeFile(int from_cp, int to_cp);
    void store_hist();
    [[nodiscard]] bool WriteFile();
    [[nodiscard]] bool AcceptSaveAsName(const Westring& name);
    void EncodingDialog();
    void CodePageMode();
    void NextCodePage();
    void ApplyEncoding(const EncodingChoice& choice);
    // Whether leaving may go on (asks about unsaved changes).
    [[nodiscard]] bool MayLeave();

    // The screen (editorscreen.cc).
    void MakeWindows();
    void PaintStatus();
    void PaintText();
    CellString LineCells(int line, const wchar_t* text, int len);
    void ScrollIntoView();
    int text_rows() const { return rows_ - 2; }
    // The cursor's display column and the horizontal scroll that shows it.
    void KeepCursorVisible();
    void Invalidate() { painted_.clear(); }

    // Keys and the mouse (editorkeys.cc).
    // Applies one key; false when it ends the editor.
    bool Key(int key);
    bool MoveKey(int key);
    bool ClipboardKey(int key);
    bool AltKey(int key);
    // Applies a mouse event; false when a click on the key bar ends the editor.
    bool Mouse(const Event& event);
    void Report(EditStatus status);
    void Cut();
    void Copy();
    void Paste();
    void TypeLiteral(int key);

    // Search and replace (editorfind.cc).
    void Find(bool ask, bool replace, bool reverse_toggle);
    void FindWordAtCursor(bool backward);
    void ShowMatch(TextPos at, int length);

    Westring filename_;
    CTextFile file_;
    EditModel model_;
    SyntaxHighlighter highlighter_;
    bool highlight_on_ = false;

    std::unique_ptr<Win> win_;
    std::unique_ptr<CFunctionKeyBar> key_bar_;
    int columns_ = 80;
    int rows_ = 25;
    // The cells last painted on each text row, so a paint writes only the
    // rows that changed.
    std::vector<CellString> painted_;
    Westring painted_status_;

    bool read_only_ = false;
    bool new_file_ = false;
    bool mark_mode_ = false;
    bool literal_next_ = false;  // Ctrl+Q: the next key goes in as it is
    bool quit_ = false;          // the desktop closed the window
    int64_t load_size_ = -1;
    int64_t load_mtime_ = 0;  // nanoseconds; 0 when the file is new
};

// Opens the editor on name for one editing session (see DVEditor::edit).
EditorExit edit(const wchar_t* name, int64_t offset = -1, int length = 0);
