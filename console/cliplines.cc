// The clipboard of lines.
#include "console/cliplines.h"

#include "console/console.h"

WestringStore clip;
bool clip_use_desktop = true;

void TextToClip(const Westring& text, WestringStore& store) {
    freeclip(store);
    const wchar_t* s = text.c_str();
    int length = text.strlen();
    int start = 0;
    for (int i = 0; i <= length; i++) {
        if (i < length && s[i] != '\n') continue;
        int end = i;
        if (i < length && end > start && s[end - 1] == '\r') end--;
        // Text ending in a line feed has no empty line after it.
        if (i < length || start < length) store.Add(Westring(s + start, end - start));
        start = i + 1;
    }
}

void freeclip(WestringStore& store) { store.DestroyAll(); }

void PutGlobalClip(WestringStore& store) {
    if (!clip_use_desktop || !console) return;
    Westring text;
    for (int i = 0; i < store.count(); i++) {
        if (i > 0) text += L'\n';
        text += *store[i];
    }
    console->PutClipText(text.c_str());
}

void GetGlobalClip(WestringStore& store) {
    if (!clip_use_desktop || !console) return;
    Westring text;
    if (console->GetClipText(text)) TextToClip(text, store);
}

Westring getclipline() {
    GetGlobalClip(clip);
    int first = 0, last = clip.count() - 1;
    while (first <= last && clip[first]->empty()) first++;
    while (last >= first && clip[last]->empty()) last--;
    Westring line;
    for (int i = first; i <= last; i++) {
        if (i > first) line += L' ';
        line += *clip[i];
    }
    return line;
}

void putclipline(const Westring& text) {
    freeclip(clip);
    clip.Add(text);
    PutGlobalClip(clip);
}
