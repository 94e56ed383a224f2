// The byte level of a terminal's output: UTF-8 text, C0 control characters
// and the escape sequences of ECMA-48 (ESC sequences, CSI control sequences
// and the OSC, DCS, SOS, PM and APC strings), split by the byte classes the
// standard gives them so that a sequence the terminal does not know is still
// consumed whole. The parser keeps its state between chunks: a sequence or a
// character cut by the end of a chunk is completed by the next one without
// looking at the earlier bytes again.
#pragma once

#include <cstddef>

// One ESC or CSI sequence as it arrived.
struct CAnsiSequence {
    // Values beyond this are stored as it: counts and positions are clamped
    // to the screen later, so nothing larger is ever needed.
    static constexpr int kMaxValue = 100000000;
    static constexpr int kMaxParameters = 32;  // further ones are read and dropped
    static constexpr int kMaxIntermediates = 2;

    char prefix = 0;  // CSI: the private marker '<', '=', '>' or '?', else 0
    char intermediates[kMaxIntermediates] = {};
    int intermediate_count = 0;
    bool too_many_intermediates = false;
    char final_byte = 0;
    int count = 0;                    // parameters stored
    int values[kMaxParameters] = {};  // -1 for an omitted one
    // Whether parameter i was joined to the one before by ':' (a
    // sub-parameter, as in 38:2::255:0:0) rather than by ';'.
    bool sub[kMaxParameters] = {};

    // Parameter i, or fallback when it is absent or omitted.
    int Get(int i, int fallback) const { return i < count && values[i] >= 0 ? values[i] : fallback; }
    // Parameter i as a count: absent, omitted or 0 count as 1.
    int Count(int i) const {
        int v = Get(i, 1);
        return v < 1 ? 1 : v;
    }
    bool HasIntermediates() const { return intermediate_count > 0 || too_many_intermediates; }
};

// What the parser finds, in order.
class CAnsiSequenceHandler {
public:
    virtual ~CAnsiSequenceHandler() = default;
    // Printable characters, decoded from UTF-8 (a bad byte gives U+FFFD).
    virtual void Print(const wchar_t* text, size_t n) = 0;
    // A C0 control character other than ESC, CAN and SUB (those belong to
    // the parser); it acts also in the middle of a sequence.
    virtual void Control(unsigned char byte) = 0;
    // ESC, intermediate bytes, final byte (other than the introducers of
    // CSI and of the strings).
    virtual void Escape(const CAnsiSequence& sequence) = 0;
    // CSI, an optional private marker, parameters, intermediates, final.
    virtual void ControlSequence(const CAnsiSequence& sequence) = 0;
};

class CAnsiParser {
public:
    // The longest string (OSC, DCS, SOS, PM, APC) followed: beyond it the
    // string is given up and the bytes after it are output again, so that
    // an introducer without its terminator cannot hide the rest of a
    // command's output.
    static constexpr size_t kMaxStringBytes = 4096;

    explicit CAnsiParser(CAnsiSequenceHandler& handler) : handler_(handler) {}
    void Feed(const char* data, size_t n);
    // Back to plain text, forgetting a sequence or character begun.
    void Reset();

private:
    enum class State {
        Ground, Escape, EscapeIntermediate,
        CsiEntry, CsiParameter, CsiIntermediate, CsiIgnore,
        String, StringEscape,
    };

    void FeedGround(const unsigned char*& p, const unsigned char* end);
    void DecodeUtf8(unsigned char byte);
    void EmitChar(wchar_t ch) {
        if (text_length_ == kTextBuffer) FlushText();
        text_[text_length_++] = ch;
    }
    void FlushText();
    void BadUtf8();
    void Byte(unsigned char byte);
    void BeginSequence(State state);
    void Intermediate(unsigned char byte);
    void EndParameter(bool next_is_sub);
    void Dispatch(unsigned char final_byte, bool control_sequence);
    void StringByte(unsigned char byte);

    CAnsiSequenceHandler& handler_;
    State state_ = State::Ground;
    CAnsiSequence sequence_;
    int value_ = -1;           // the parameter being read, -1 before its first digit
    bool value_sub_ = false;   // it follows ':'
    bool separator_seen_ = false;
    bool string_is_osc_ = false;  // BEL ends an OSC, only ST the other strings
    size_t string_bytes_ = 0;
    // A UTF-8 character begun: its value so far and the bytes still due.
    unsigned code_point_ = 0;
    int continuation_due_ = 0;
    unsigned minimum_ = 0;  // the smallest value its length may encode
    static constexpr size_t kTextBuffer = 1024;
    wchar_t text_[kTextBuffer];
    size_t text_length_ = 0;
};
