#include "shell/configfile.h"

#include <cstdio>

#include "console/console.h"
#include "console/msgbox.h"

ConfigHooks config_hooks;

const char* const config_section_headers[SECTION_COUNT] = {
    "[Archiver:ZIP]", "[Archiver:RAR]", "[Archiver:LHARC]", "[Archiver:ARJ]",
    "[Archiver:ACE]", "[Archiver:HA]", "[Archiver:GZIP]", "[Archiver:TAR]",
    "[Archiver:7ZIP]", "[Archiver:BZIP2]", "[Archiver:XZ]",
    "[Associations]", "[Viewer Associations]", "[Editor Associations]",
    "[Colours]", "[Directory Colours]", "[Environment]", "[General Options]",
};

AssociationSet& section_associations(int section) {
    switch (section) {
    case SECTION_VIEWER_ASSOCIATIONS: return viewAssociations;
    case SECTION_EDITOR_ASSOCIATIONS: return editAssociations;
    case SECTION_COLOURS: return colourAssociations;
    case SECTION_DIRECTORY_COLOURS: return colourDirAssociations;
    default: return execAssociations;
    }
}

void show_config_message(const Westring& message, const Westring& title) {
    if (console) {
        error(message, title, MB_OK);
        return;
    }
    std::fprintf(stderr, "dv: %s (%s)\n", message.ToUTF8().c_str(), title.ToUTF8().c_str());
}

static bool is_blank(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void trim(Estring& text) {
    const char* p = text.c_str();
    int length = text.strlen(), start = 0;
    while (start < length && is_blank(static_cast<unsigned char>(p[start]))) start++;
    while (length > start && is_blank(static_cast<unsigned char>(p[length - 1]))) length--;
    if (start > 0 || length < text.strlen()) text = Estring(p + start, length - start);
}

void trim(Westring& text) {
    const wchar_t* p = text.c_str();
    int length = text.strlen(), start = 0;
    while (start < length && is_blank(p[start])) start++;
    while (length > start && is_blank(p[length - 1])) length--;
    if (start > 0 || length < text.strlen()) text = Westring(p + start, length - start);
}

void despace(Estring& text) {
    Estring out;
    for (const char* p = text.c_str(); *p; p++)
        if (!is_blank(static_cast<unsigned char>(*p))) out += *p;
    text = out;
}

void despace(Westring& text) {
    Westring out;
    for (const wchar_t* p = text.c_str(); *p; p++)
        if (!is_blank(*p)) out += *p;
    text = out;
}
