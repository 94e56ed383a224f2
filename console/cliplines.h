// The program-wide clipboard of lines, shared by the text fields of dialogs
// and the text editor, and mirrored on the desktop clipboard.
#pragma once

#include "lib/stringstore.h"
#include "lib/westring.h"

// One string per line.
extern WestringStore clip;
// Whether the clipboard is shared with the desktop (the configuration sets
// it: "Use X clipboard").
extern bool clip_use_desktop;

// Splits text at line feeds into the store's lines (a carriage return before
// a line feed is dropped); the store is emptied first.
void TextToClip(const Westring& text, WestringStore& store);
// Empties the store.
void freeclip(WestringStore& store);
// When the clipboard is shared: puts the store's lines, joined with line
// feeds, on the desktop clipboard.
void PutGlobalClip(WestringStore& store);
// When the clipboard is shared: replaces the store with the desktop
// clipboard's text.
void GetGlobalClip(WestringStore& store);

// The clipboard as one line: leading and trailing empty lines dropped, the
// others joined with single blanks. Takes the desktop clipboard first.
Westring getclipline();
// Makes the clipboard the one line text and publishes it.
void putclipline(const Westring& text);
