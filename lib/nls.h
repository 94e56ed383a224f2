// National-language functions: case tables, case-insensitive comparison and
// the order of file names.
#pragma once

#include <cstddef>

// Builds the narrow upcase and downcase tables from the current locale.
void nls_init();

char* nls_strupr(char* text);
char* nls_strlwr(char* text);
wchar_t* nls_strupr(wchar_t* text);
wchar_t* nls_strlwr(wchar_t* text);

wchar_t nls_toupper(wchar_t ch);
wchar_t nls_tolower(wchar_t ch);

int nls_stricmp(const char* a, const char* b);
int nls_strnicmp(const char* a, const char* b, size_t n);
int nls_stricmp(const wchar_t* a, const wchar_t* b);
int nls_strnicmp(const wchar_t* a, const wchar_t* b, size_t n);

// Exact comparison of file names (case matters); the second compares at most n.
int fncompare(const wchar_t* a, const wchar_t* b);
int fncomparen(const wchar_t* a, const wchar_t* b, size_t n);

// The order of file names in panels: case-insensitive, "_" before letters and
// digits, a name before any longer name it begins.
int nls_fname_cmp(const wchar_t* a, const wchar_t* b);
