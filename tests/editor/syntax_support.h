// Helpers of the syntax tests: definition files written to a scratch
// folder, and lines coloured one after another.
#pragma once

#include <string>
#include <vector>

#include "console/cells.h"
#include "editor/syntaxhighlighter.h"

class SyntaxScratch {
public:
    SyntaxScratch();
    ~SyntaxScratch();
    // Writes text to name in the folder and returns its full path.
    std::string Write(const std::string& name, const std::string& text) const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The attribute Str2Attr gives a colour text over the viewer's colour.
unsigned char Colour(const char* text);
// The attributes of one line's cells, coloured by h.
std::vector<unsigned char> Colours(SyntaxHighlighter& h, const wchar_t* line);
// The attribute of every cell from..from+n-1 when they all agree, else 0xFF.
unsigned char ColourOf(const std::vector<unsigned char>& cells, int from, int n);
// The shipped definition file in the source tree.
std::string DefaultSyntaxFile();
