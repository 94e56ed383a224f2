#include "lib/codepage.h"

int codepage = 850;
int text_codepage = 0;

Estring CPName(int cp) {
    if (cp == 819) return "ISO-8859-1";
    if (cp == 878 || cp == 20866) return "KOI8-R";
    return Estring("CP") + IntToStr(static_cast<long>(cp));
}

int DefaultTextCodePage() { return text_codepage ? text_codepage : 819; }

int effective_codepage() { return codepage ? codepage : 850; }

Estring MkEstring(const Westring& text) { return text.ToCodePage(effective_codepage()); }

Westring MkWestring(const Estring& text) { return Westring(text.c_str(), effective_codepage()); }
