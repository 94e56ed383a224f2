// Select Graphic Rendition: the colours and flags a terminal's output sets
// with CSI ... m, and the console attribute byte they make. Colours beyond
// the console's sixteen (the 256-colour palette and direct RGB) become the
// nearest of the sixteen.
#pragma once

struct CAnsiSequence;

// The console colour number (bit 0 blue, 1 green, 2 red, 3 bright) of a
// colour of the 256-colour palette: 0-15 the ANSI colours, 16-231 the
// 6x6x6 cube, 232-255 the grey ramp.
int ConsoleColourOf256(int index);
// The console colour closest to an RGB colour (components 0-255).
int NearestConsoleColour(int red, int green, int blue);

class CAnsiRendition {
public:
    // default_attr: what SGR 0 (and 39 and 49) return to.
    explicit CAnsiRendition(unsigned char default_attr);

    // Applies the parameters of an SGR sequence in order (none means 0).
    void Apply(const CAnsiSequence& sgr);
    void Reset();
    unsigned char Attribute() const { return attr_; }

private:
    // Reads an extended colour (5;n or 2;r;g;b, by ';' or ':') that
    // follows parameter i; returns the index of its last parameter, and
    // the colour in colour, or -1 when it was incomplete.
    static int ExtendedColour(const CAnsiSequence& sgr, int i, int& colour);
    void Update();

    unsigned char default_attr_;
    int foreground_, background_;
    bool bold_ = false, underline_ = false, reverse_ = false;
    unsigned char attr_;
};
