#include "exec/ansiparser.h"

namespace {

constexpr unsigned char kEsc = 0x1B, kBel = 0x07, kCan = 0x18, kSub = 0x1A, kDel = 0x7F;
constexpr wchar_t kReplacement = 0xFFFD;

bool is_intermediate(unsigned char b) { return b >= 0x20 && b <= 0x2F; }
bool is_final(unsigned char b) { return b >= 0x40 && b <= 0x7E; }

}  // namespace

void CAnsiParser::Reset() {
    FlushText();
    state_ = State::Ground;
    continuation_due_ = 0;
}

void CAnsiParser::Feed(const char* data, size_t n) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + n;
    while (p < end) {
        if (state_ == State::Ground) FeedGround(p, end);
        else Byte(*p++);
    }
    FlushText();
}

// Text up to the first byte that starts a sequence, which it consumes.
void CAnsiParser::FeedGround(const unsigned char*& p, const unsigned char* end) {
    while (p < end) {
        unsigned char b = *p;
        if (b >= 0x20 && b < kDel && continuation_due_ == 0) {
            EmitChar(b);
            p++;
            continue;
        }
        p++;
        if (b >= 0x80) {
            DecodeUtf8(b);
            continue;
        }
        if (continuation_due_) BadUtf8();  // a character cut short by this byte
        if (b >= 0x20 && b < kDel) {
            EmitChar(b);
            continue;
        }
        if (b == kDel || b == kCan || b == kSub) continue;
        FlushText();
        if (b == kEsc) {
            BeginSequence(State::Escape);
            return;
        }
        handler_.Control(b);
    }
}

void CAnsiParser::DecodeUtf8(unsigned char byte) {
    if (continuation_due_) {
        if ((byte & 0xC0) == 0x80) {
            code_point_ = code_point_ << 6 | (byte & 0x3F);
            if (--continuation_due_ > 0) return;
            bool valid = code_point_ >= minimum_ && code_point_ <= 0x10FFFF &&
                         !(code_point_ >= 0xD800 && code_point_ <= 0xDFFF);
            EmitChar(valid ? static_cast<wchar_t>(code_point_) : kReplacement);
            return;
        }
        BadUtf8();  // and the byte starts afresh
    }
    if ((byte & 0xE0) == 0xC0) {
        code_point_ = byte & 0x1F;
        continuation_due_ = 1;
        minimum_ = 0x80;
    } else if ((byte & 0xF0) == 0xE0) {
        code_point_ = byte & 0x0F;
        continuation_due_ = 2;
        minimum_ = 0x800;
    } else if ((byte & 0xF8) == 0xF0) {
        code_point_ = byte & 0x07;
        continuation_due_ = 3;
        minimum_ = 0x10000;
    } else {
        EmitChar(kReplacement);  // a continuation byte without a lead, or no UTF-8 byte at all
    }
}

void CAnsiParser::BadUtf8() {
    continuation_due_ = 0;
    EmitChar(kReplacement);
}

void CAnsiParser::FlushText() {
    if (text_length_ == 0) return;
    size_t n = text_length_;
    text_length_ = 0;
    handler_.Print(text_, n);
}

void CAnsiParser::BeginSequence(State state) {
    state_ = state;
    sequence_ = CAnsiSequence();
    value_ = -1;
    value_sub_ = false;
    separator_seen_ = false;
}

void CAnsiParser::Intermediate(unsigned char byte) {
    if (sequence_.intermediate_count < CAnsiSequence::kMaxIntermediates)
        sequence_.intermediates[sequence_.intermediate_count++] = static_cast<char>(byte);
    else
        sequence_.too_many_intermediates = true;
}

void CAnsiParser::EndParameter(bool next_is_sub) {
    if (sequence_.count < CAnsiSequence::kMaxParameters) {
        sequence_.values[sequence_.count] = value_;
        sequence_.sub[sequence_.count] = value_sub_;
        sequence_.count++;
    }
    value_ = -1;
    value_sub_ = next_is_sub;
    separator_seen_ = true;
}

void CAnsiParser::Dispatch(unsigned char final_byte, bool control_sequence) {
    sequence_.final_byte = static_cast<char>(final_byte);
    state_ = State::Ground;
    if (control_sequence) handler_.ControlSequence(sequence_);
    else handler_.Escape(sequence_);
}

void CAnsiParser::Byte(unsigned char b) {
    if (state_ == State::String || state_ == State::StringEscape) {
        StringByte(b);
        return;
    }
    // Control characters act in the middle of a sequence; ESC starts a new
    // one and CAN and SUB cancel it.
    if (b == kEsc) {
        BeginSequence(State::Escape);
        return;
    }
    if (b == kCan || b == kSub) {
        state_ = State::Ground;
        return;
    }
    if (b < 0x20) {
        handler_.Control(b);
        return;
    }
    if (b == kDel) return;
    if (b >= 0x80) {  // no byte of a sequence: the sequence is given up and the byte is text
        state_ = State::Ground;
        DecodeUtf8(b);
        return;
    }

    switch (state_) {
    case State::Escape:
        if (is_intermediate(b)) {
            Intermediate(b);
            state_ = State::EscapeIntermediate;
        } else if (b == '[') {
            BeginSequence(State::CsiEntry);
        } else if (b == ']' || b == 'P' || b == 'X' || b == '^' || b == '_') {
            state_ = State::String;
            string_is_osc_ = b == ']';
            string_bytes_ = 0;
        } else {
            Dispatch(b, false);
        }
        break;
    case State::EscapeIntermediate:
        if (is_intermediate(b)) {
            Intermediate(b);
        } else {
            Dispatch(b, false);
        }
        break;
    case State::CsiEntry:
        if (b >= 0x3C && b <= 0x3F) {
            sequence_.prefix = static_cast<char>(b);
            state_ = State::CsiParameter;
            break;
        }
        state_ = State::CsiParameter;
        [[fallthrough]];
    case State::CsiParameter:
        if (b >= '0' && b <= '9') {
            if (value_ < 0) value_ = 0;
            value_ = value_ >= CAnsiSequence::kMaxValue / 10 ? CAnsiSequence::kMaxValue : value_ * 10 + (b - '0');
        } else if (b == ';' || b == ':') {
            EndParameter(b == ':');
        } else if (b >= 0x3C && b <= 0x3F) {
            state_ = State::CsiIgnore;  // a private marker out of place
        } else {
            if (value_ >= 0 || separator_seen_) EndParameter(false);
            if (is_intermediate(b)) {
                Intermediate(b);
                state_ = State::CsiIntermediate;
            } else {
                Dispatch(b, true);
            }
        }
        break;
    case State::CsiIntermediate:
        if (is_intermediate(b)) {
            Intermediate(b);
        } else if (is_final(b)) {
            Dispatch(b, true);
        } else {
            state_ = State::CsiIgnore;  // a parameter byte after an intermediate
        }
        break;
    case State::CsiIgnore:
        if (is_final(b)) state_ = State::Ground;
        break;
    default:
        break;
    }
}

// The content of a string has no effect: only its end is looked for. A
// byte 0x9C is not taken as its end either, since in UTF-8 text it is a
// continuation byte.
void CAnsiParser::StringByte(unsigned char b) {
    if (state_ == State::StringEscape) {
        if (b == '\\') {
            state_ = State::Ground;
            return;
        }
        // ESC ends the string and starts a sequence of its own.
        BeginSequence(State::Escape);
        Byte(b);
        return;
    }
    if (b == kEsc) {
        state_ = State::StringEscape;
    } else if ((b == kBel && string_is_osc_) || b == kCan || b == kSub) {
        state_ = State::Ground;
    } else if (++string_bytes_ > kMaxStringBytes) {
        state_ = State::Ground;
    }
}
