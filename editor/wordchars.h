// Which characters make up words for the editor's word moves, word
// deletion and whole-word search.
#pragma once

bool iswordchar(wchar_t c);
