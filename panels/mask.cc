#include "panels/mask.h"

#include <cstdint>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "fileops/query/owners.h"
#include "fileops/query/permissions.h"
#include "lib/wild.h"
#include "panels/directory.h"
#include "panels/locale_dates.h"

namespace {

// Deeper nesting of "(" and "!" is refused as a syntax error, so that no
// expression can exhaust the program's stack.
constexpr int kMaxNesting = 200;
// Numbers in expressions stop growing here; no real size or date is larger.
constexpr int64_t kNumberLimit = INT64_MAX / 16;

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The leading decimal number of text (0 when it does not start with a
// digit), held below kNumberLimit.
int64_t leading_number(const wchar_t* text) {
    int64_t n = 0;
    for (const wchar_t* p = text; *p >= L'0' && *p <= L'9'; p++) {
        n = n * 10 + (*p - L'0');
        if (n >= kNumberLimit) return kNumberLimit;
    }
    return n;
}

int64_t scaled(int64_t n, int64_t factor) { return n > kNumberLimit / factor ? kNumberLimit : n * factor; }

// The value's last character in lower case (the value is never empty).
wchar_t last_letter(const Westring& value) {
    return std::towlower(static_cast<wint_t>(value[value.strlen() - 1]));
}

// Bits of the letters of value by table (letters without regard to case;
// other characters ignored).
int letter_mask(const Westring& value, const char* letters, const int* bits) {
    int mask = 0;
    for (const wchar_t* p = value.c_str(); *p; p++) {
        wchar_t c = std::towlower(static_cast<wint_t>(*p));
        for (int i = 0; letters[i]; i++) {
            if (c == static_cast<wchar_t>(letters[i])) mask |= bits[i];
        }
    }
    return mask;
}

// The start of the local day that holds seconds.
int64_t local_midnight(int64_t seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm day;
    if (!localtime_r(&t, &day)) return seconds;
    day.tm_hour = day.tm_min = day.tm_sec = 0;
    day.tm_isdst = -1;
    return mktime(&day);
}

// Sets ("[a-z]") and alternatives ("{c,h}") need wild's matcher. Other
// masks go to the plain one: wild's sets up tables for every call, and a
// search matches every name it lists.
bool is_plain_mask(const wchar_t* mask) {
    for (; *mask; mask++) {
        if (*mask == L'[' || *mask == L'{') return false;
    }
    return true;
}

// One evaluation: the parser and the value stack, each rule one function
// advancing the shared position. Parsing and evaluation are one pass; both
// operands of "|" and "&" are always evaluated, so one evaluation meets
// every test the expression holds.
class CMaskEvaluator {
public:
    CMaskEvaluator(const wchar_t* text, const entry& e) : pos_(text), name_(e.name), entry_(&e) {}
    // Without an entry, for the name alone: the evaluation stops at the
    // first "%" test (see needed_entry).
    CMaskEvaluator(const wchar_t* text, const wchar_t* name) : pos_(text), name_(name), entry_(nullptr) {}

    int Evaluate() {
        Expression();
        if (error_ || stack_.size() != 1) return -1;
        return stack_.back() ? 1 : 0;
    }

    // Whether an evaluation without an entry met a test of the entry's
    // fields; its result then means nothing.
    bool needed_entry() const { return needed_entry_; }

private:
    const wchar_t* pos_;
    const wchar_t* name_;
    const entry* entry_;
    std::vector<int32_t> stack_;  // grows as needed; nesting is bounded
    bool error_ = false;
    bool needed_entry_ = false;
    int nesting_ = 0;

    void push(int32_t value) { stack_.push_back(value); }
    int32_t pop() {
        if (stack_.empty()) {
            error_ = true;
            return 0;
        }
        int32_t value = stack_.back();
        stack_.pop_back();
        return value;
    }
    void skip_blanks() {
        while (is_blank(*pos_)) pos_++;
    }
    void syntax_error() {
        error_ = true;
        push(0);
    }

    // Expression := PrimaryExpression { "|" PrimaryExpression }
    void Expression() {
        PrimaryExpression();
        skip_blanks();
        while (!error_ && *pos_ == L'|') {
            pos_++;
            PrimaryExpression();
            int32_t right = pop();
            int32_t left = pop();
            push(left || right);
            skip_blanks();
        }
    }

    // PrimaryExpression := SecondaryExpression { "&" SecondaryExpression }
    void PrimaryExpression() {
        SecondaryExpression();
        skip_blanks();
        while (!error_ && *pos_ == L'&') {
            pos_++;
            SecondaryExpression();
            int32_t right = pop();
            int32_t left = pop();
            push(left && right);
            skip_blanks();
        }
    }

    // SecondaryExpression := "!" SecondaryExpression | "(" Expression ")" | LogicalValue
    void SecondaryExpression() {
        skip_blanks();
        if (*pos_ != L'!' && *pos_ != L'(') {
            LogicalValue();
            return;
        }
        if (++nesting_ > kMaxNesting) {
            syntax_error();
        } else if (*pos_ == L'!') {
            pos_++;
            SecondaryExpression();
            if (!error_) push(!pop());
        } else {
            pos_++;
            Expression();
            skip_blanks();
            if (!error_ && *pos_ != L')') error_ = true;  // "(" without ")"
            if (!error_) pos_++;
            skip_blanks();
        }
        nesting_--;
    }

    // LogicalValue := LogicalExpression when it starts with "%", else Mask
    void LogicalValue() {
        skip_blanks();
        if (*pos_ == L'%') LogicalExpression();
        else Mask();
        skip_blanks();
    }

    // The characters up to the next "|", "&" or ")" outside double quotes;
    // the quotes themselves are not part of the mask, blanks are, except
    // unquoted ones at its end.
    // Short masks are gathered on the stack: a search evaluates the
    // expression once per name it lists.
    void Mask() {
        constexpr int kShortMask = 128;
        wchar_t short_mask[kShortMask + 1];
        Westring long_mask;
        int length = 0;
        int kept = 0;
        bool quoted = false;
        for (; *pos_; pos_++) {
            wchar_t c = *pos_;
            if (c == L'"') {
                quoted = !quoted;
                continue;
            }
            if (!quoted && (c == L'|' || c == L'&' || c == L')')) break;
            if (length < kShortMask) short_mask[length] = c;
            else if (length == kShortMask) long_mask = Westring(short_mask, length) + Westring(&c, 1);
            else long_mask += c;
            length++;
            if (quoted || !is_blank(c)) kept = length;
        }
        if (kept == 0) {
            syntax_error();
            return;
        }
        const wchar_t* mask;
        if (length <= kShortMask) {
            short_mask[kept] = 0;
            mask = short_mask;
        } else {
            long_mask = long_mask.left(kept);
            mask = long_mask.c_str();
        }
        const bool matches = is_plain_mask(mask) ? wild_simple(mask, name_, LetterCase::kIgnored) : wild(mask, name_);
        push(matches ? 1 : 0);
    }

    // "%" keyword, operator, value: a test of one of the entry's attributes.
    void LogicalExpression() {
        if (!entry_) {
            needed_entry_ = true;
            error_ = true;
            return;
        }
        const wchar_t* start = pos_++;
        while (std::iswalpha(static_cast<wint_t>(*pos_))) pos_++;
        Westring keyword(start, static_cast<int>(pos_ - start));

        skip_blanks();
        wchar_t op[2] = {0, 0};
        if (*pos_) op[0] = *pos_++;
        if (*pos_ == L'=') op[1] = *pos_++;

        skip_blanks();
        wchar_t separator = date_separator();
        start = pos_;
        while (is_value_char(*pos_, separator)) pos_++;
        Westring value(start, static_cast<int>(pos_ - start));
        if (value.empty()) {
            syntax_error();
            return;
        }

        int64_t left, right;
        if (!operands(keyword, value, left, right)) {
            syntax_error();
            return;
        }
        if (op[1] == L'=' && op[0] != L'!' && left == right) {
            push(1);
            return;
        }
        switch (op[0]) {
        case L'<': push(left < right); break;
        case L'=': push(left == right); break;
        case L'>': push(left > right); break;
        case L'!':
            if (op[1] == L'=') push(left != right);
            else syntax_error();
            break;
        default: syntax_error(); break;
        }
    }

    // Letters, digits and date separators make a value; so do the other
    // characters of portable user and group names ("www-data", "_apt").
    static bool is_value_char(wchar_t c, wchar_t separator) {
        if (c == 0) return false;
        return std::iswalnum(static_cast<wint_t>(c)) || c == separator || c == L'_' || c == L'-' || c == L'.';
    }

    // The entry's value (left) and the expression's (right) for keyword;
    // false for an unknown keyword.
    bool operands(const Westring& keyword, const Westring& value, int64_t& left, int64_t& right) const {
        static const int attrib_bits[] = {0x20, 0x10, 0x02, 0x01, 0x04};
        static const int perm_bits[] = {4, 2, 1};
        if (keyword == L"%size") {
            right = leading_number(value.c_str());
            switch (last_letter(value)) {
            case L'k': right = scaled(right, 1024); break;
            case L'm': right = scaled(right, 1048576); break;
            case L'g': right = scaled(right, 1073741824); break;
            default: break;
            }
            left = entry_->size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX
                                                                    : static_cast<int64_t>(entry_->size);
        } else if (keyword == L"%date") {
            left = local_midnight(entry_->time.seconds);
            right = str2unixtime(value.c_str());
        } else if (keyword == L"%age") {
            right = leading_number(value.c_str());
            switch (last_letter(value)) {
            case L'd': right = scaled(right, 86400); break;
            case L'h': right = scaled(right, 3600); break;
            case L'm': right = scaled(right, 60); break;
            default: break;
            }
            // A file's time can be anything 64 bits hold; past that an age
            // stays the oldest there is.
            if (__builtin_sub_overflow(static_cast<int64_t>(time(nullptr)), entry_->time.seconds, &left))
                left = INT64_MAX;
        } else if (keyword == L"%attrib") {
            right = letter_mask(value, "adhrs", attrib_bits);
            left = entry_->attr & right;
        } else if (keyword == L"%owner") {
            left = entry_->uid;
            right = Str2UID(value);
        } else if (keyword == L"%group") {
            left = entry_->gid;
            right = Str2GID(value);
        } else if (keyword == L"%perm") {
            right = letter_mask(value, "rwx", perm_bits);
            left = MyPermissions(entry_->mode, entry_->uid, entry_->gid) & right;
        } else {
            return false;
        }
        return true;
    }
};

}  // namespace

int mask_eval(const wchar_t* expression, const entry& e) {
    if (!expression) return -1;
    CMaskEvaluator evaluator(expression, e);
    return evaluator.Evaluate();
}

int mask_eval(const wchar_t* expression, const wchar_t* name) {
    if (!expression) return -1;
    if (!name) name = L"";
    CMaskEvaluator by_name(expression, name);
    const int by_name_result = by_name.Evaluate();
    if (!by_name.needed_entry()) return by_name_result;
    entry* e = entry::Create(name);
    int result = mask_eval(expression, *e);
    entry::Destroy(e);
    return result;
}

bool mask_tests_name_only(const wchar_t* expression) {
    if (!expression) return false;
    CMaskEvaluator by_name(expression, L"test");
    return by_name.Evaluate() >= 0 && !by_name.needed_entry();
}

int64_t str2unixtime(const wchar_t* text) {
    const wchar_t separator = date_separator();
    const char* order = date_order();
    // Fields beyond this cannot be a date and would overflow the calendar.
    const int64_t field_limit = 1000000;
    int64_t fields[3];
    const wchar_t* p = text ? text : L"";
    for (int64_t& field : fields) {
        field = leading_number(p);
        if (field > field_limit) field = field_limit;
        const wchar_t* next = separator ? std::wcschr(p, separator) : nullptr;
        if (next) p = next + 1;
    }
    int64_t day, month, year;
    if (order[0] == 'm') {
        month = fields[0], day = fields[1], year = fields[2];
    } else if (order[0] == 'd') {
        day = fields[0], month = fields[1], year = fields[2];
    } else {
        year = fields[0], month = fields[1], day = fields[2];
    }
    if (year < 100) year += year > 70 ? 1900 : 2000;

    struct tm date = {};
    date.tm_year = static_cast<int>(year - 1900);
    date.tm_mon = static_cast<int>(month - 1);
    date.tm_mday = static_cast<int>(day);
    date.tm_isdst = -1;
    return mktime(&date);
}
