#include "store/MemoFile.h"
#include <array>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include "store/ColorKeys.h"
#include "store/FileIO.h"
#include "store/LineFormat.h"
#include "store/ShiftJis.h"

using lineformat::startsWith;

const char* const MEMO_FILE_NAME = "Quillpad.dat";

// The header fields of a memo: members of StoredMemo itself or of its appearance.
template <class Memo, class T>
static auto& fieldOf(Memo& m, T StoredMemo::*member) { return m.*member; }
template <class Memo, class T>
static auto& fieldOf(Memo& m, T MemoAppearance::*member) { return m.appearance.*member; }

namespace {

using MemoKey = lineformat::KeyField<int32_t StoredMemo::*, std::wstring StoredMemo::*, bool MemoAppearance::*>;

// A memo header is RECT_KEYS, COLOR_KEYS and MEMO_KEYS, written in that order.
const std::array<MemoKey, 4> RECT_KEYS{{
    {"RECT_TOP-", &StoredMemo::RECT_TOP},
    {"RECT_LEFT-", &StoredMemo::RECT_LEFT},
    {"RECT_BOTTOM-", &StoredMemo::RECT_BOTTOM},
    {"RECT_RIGHT-", &StoredMemo::RECT_RIGHT},
}};
const std::array<MemoKey, 6> MEMO_KEYS{{
    {"MEMO_SELECT_INDEX-", &StoredMemo::MEMO_SELECT_INDEX},
    {"CAPTION-", &StoredMemo::CAPTION},
    {"NOT_SHOW_TAB_FLAG-", &MemoAppearance::NOT_SHOW_TAB_FLAG},
    {"WORDWRAP_FLAG-", &MemoAppearance::WORDWRAP_FLAG},
    {"COMPACT_FLAG-", &MemoAppearance::COMPACT_FLAG},
    {"NON_MOVE_FLAG-", &MemoAppearance::NON_MOVE_FLAG},
}};

// Written last in the header, and only when the memo has an identity:
// readers that do not know the key skip the line, and a memo without one is
// written byte for byte as before.
constexpr std::string_view ID_KEY = "MEMO_ID-";
// Before the identity, and only for a memo with a reminder.
constexpr std::string_view REMINDER_KEY = "REMINDER-";

bool readHeaderLine(std::string_view line, StoredMemo& m) {
    if (startsWith(line, ID_KEY)) {
        const std::string_view value = line.substr(ID_KEY.size());
        const size_t blank = value.find(' ');
        m.MEMO_ID.assign(value.substr(0, blank));
        m.MEMO_VERSION.assign(blank == std::string_view::npos ? std::string_view() : value.substr(blank + 1));
        return true;
    }
    if (startsWith(line, REMINDER_KEY)) {
        m.REMINDER = parseReminder(line.substr(REMINDER_KEY.size()));
        return true;
    }
    return lineformat::readKeyLine(RECT_KEYS, line, m) || lineformat::readKeyLine(COLOR_KEYS, line, m.appearance.colors) ||
           lineformat::readKeyLine(MEMO_KEYS, line, m);
}

void appendHeader(std::string& out, const StoredMemo& m) {
    lineformat::appendKeyLines(out, RECT_KEYS, m);
    lineformat::appendKeyLines(out, COLOR_KEYS, m.appearance.colors);
    lineformat::appendKeyLines(out, MEMO_KEYS, m);
    if (m.REMINDER) {
        out += REMINDER_KEY;
        out += formatReminder(*m.REMINDER);
        out += "\r\n";
    }
    if (m.MEMO_ID.empty()) return;
    out += ID_KEY;
    out += m.MEMO_ID;
    if (!m.MEMO_VERSION.empty()) out += ' ' + m.MEMO_VERSION;
    out += "\r\n";
}

constexpr std::string_view MEMO_OPEN = "[MEMO_TAB_START]";
constexpr std::string_view MEMO_CLOSE = "[MEMO_TAB_END]";
constexpr std::string_view TAB_OPEN = "[MEMO_START]";
constexpr std::string_view TAB_CLOSE = "[MEMO_END]";
constexpr std::string_view TAB_TITLE = "MEMO_TAB_TITLE-";

// Inside a text, a block line as it stands can only mean a block cut off by hand.
bool isBlockLine(std::string_view line) {
    return line == TAB_CLOSE || line == TAB_OPEN || line == MEMO_OPEN || line == MEMO_CLOSE;
}

// A text line of blanks and then a block line or a title line: the writer
// gives it one more leading blank and the reader takes exactly one off, so it
// reads back as typed and never as a marker, also to a reader that knows no
// such rule.
bool isMarkerText(std::string_view line) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) return false;
    line.remove_prefix(start);
    return isBlockLine(line) || startsWith(line, TAB_TITLE);
}

// Reads the file line by line. The working values are reset only where a
// rule says so; whatever a block leaves out it takes from the block before.
class MemoReader {
public:
    MemoReader(size_t fileSize, ScreenSize screen, const MemoSink& sink) : carryBudget_(fileSize), sink_(sink) {
        // Until a RECT line says otherwise, a memo has a new memo's rectangle.
        work_.RECT_LEFT = (screen.cx - NEW_MEMO_WIDTH) / 2;
        work_.RECT_TOP = (screen.cy - NEW_MEMO_HEIGHT) / 2;
        work_.RECT_RIGHT = work_.RECT_LEFT + NEW_MEMO_WIDTH;
        work_.RECT_BOTTOM = work_.RECT_TOP + NEW_MEMO_HEIGHT;
        work_.appearance.colors = {0, 0, 0, 0};
    }

    void read(std::string_view data) {
        while (!data.empty()) {
            const size_t plain = tabOpen_ ? plainTextLength(data) : 0;
            if (plain) {
                const std::string_view text = data.substr(0, plain);
                data.remove_prefix(plain);
                tabOpenAt_ = NONE;  // the first of those lines is no title line
                // The usual tab, whose whole text is such lines, is decoded where it stands.
                const lineformat::FirstLine next = lineformat::firstLine(data);
                if (text_.empty() && next.line == TAB_CLOSE) {
                    closeTab(text);
                    data.remove_prefix(next.length);
                } else {
                    text_.append(text);
                }
                continue;
            }
            const lineformat::FirstLine first = lineformat::firstLine(data);
            line(first.line);
            data.remove_prefix(first.length);
        }
    }

private:
    static constexpr size_t NONE = std::string::npos;

    // The length of the lines at the start of a tab's text that it takes as
    // they stand in the file, all at once: those that end in CR LF and that
    // line() would only append to the text. Most of a file is such lines.
    static size_t plainTextLength(std::string_view data) {
        size_t length = 0;
        while (length < data.size() && !mayBeSpecial(data[length])) {
            if (const size_t ahead = plainLinesAhead(data, length)) {
                length += ahead;
                continue;
            }
            const lineformat::FirstLine first = lineformat::firstLine(data.substr(length));
            if (first.length != first.line.size() + 2) break;
            length += first.length;
        }
        return length;
    }

    // Whether a line that begins with this character may be one that line()
    // reads otherwise: a block line, marker text or the title line.
    static bool mayBeSpecial(char first) { return first == '[' || first == ' ' || first == TAB_TITLE[0]; }

    // As plainTextLength from `from` (a line start after the first), sixteen
    // bytes at a time with SSE2: the line ends among them, the bytes before
    // and after them checked at once, instead of a search for each line end.
    // Stops short of the first line it cannot take, which the caller then sees.
    static size_t plainLinesAhead(std::string_view data, size_t from) {
#ifdef __SSE2__
        if (from == 0) return 0;  // the byte before each line end is read
        size_t at = from;
        for (; at + 17 <= data.size(); at += 16) {
            const char* p = data.data() + at;
            auto bytesAt = [&](int offset) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + offset)); };
            auto maskOf = [](__m128i bytes, char c) { return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)))); };
            const __m128i next = bytesAt(1);
            const unsigned ends = maskOf(bytesAt(0), '\n');
            const unsigned bad = (ends & ~maskOf(bytesAt(-1), '\r')) |
                                 (ends & (maskOf(next, '[') | maskOf(next, ' ') | maskOf(next, TAB_TITLE[0])));
            if (bad) {
                at += size_t(__builtin_ctz(bad));
                // The usual stop, before "[MEMO_END]": the line that ends here is taken.
                if (data[at - 1] == '\r') return at + 1 - from;
                break;
            }
        }
        // Every line end before `at` is one of a line the text takes.
        return data.rfind('\n', at - 1) + 1 - from;
#else
        (void)data, (void)from;
        return 0;
#endif
    }

    void line(std::string_view line) {
        // A "[MEMO_START]" in a text followed at once by a title line as it
        // stands, which no writer puts into a text, opens a tab: the one it
        // stood in was cut off. The lines read again may leave one more pending.
        while (tabOpenAt_ != NONE) {
            const size_t at = tabOpenAt_;
            tabOpenAt_ = NONE;
            if (startsWith(line, TAB_TITLE)) endCutTab(at);
        }
        if (memoOpen_ && !tabOpen_ && readHeaderLine(line, work_)) return;
        if (tabOpen_) {
            if (line == TAB_CLOSE) {
                closeTab(text_);
            } else if (startsWith(line, TAB_TITLE)) {
                title_.assign(line.substr(TAB_TITLE.size()));
                tabHasTitleLine_ = true;
            } else {
                if (line == TAB_OPEN) tabOpenAt_ = text_.size();
                if (line == MEMO_OPEN) memoOpenAt_ = text_.size();
                text_.append(line.substr(!line.empty() && line[0] == ' ' && isMarkerText(line) ? 1 : 0));
                text_.append("\r\n");
            }
        } else if (line == TAB_OPEN) {
            text_.clear();
            tabOpen_ = true;
            tabHasTitleLine_ = false;
            memoOpenAt_ = NONE;
        } else if (line == MEMO_OPEN) {
            if (memoOpen_) closeMemo();  // a block cut off keeps what it held
            work_.tabs.clear();
            work_.CAPTION.clear();
            work_.MEMO_ID.clear();  // an identity is never carried over to another memo
            work_.MEMO_VERSION.clear();
            work_.REMINDER.reset();  // nor a reminder
            memoOpen_ = true;
        } else if (line == MEMO_CLOSE && memoOpen_) {  // a close without an open would repeat the memo before
            closeMemo();
        }
    }

    // A tab cut off before its "[MEMO_END]": its text ends at the last
    // "[MEMO_TAB_START]" in it, which begins the next memo, or else at the
    // "[MEMO_START]" at `tabOpenAt`, the next tab of the same memo. The lines
    // from there on are read again, once each.
    void endCutTab(size_t tabOpenAt) {
        const size_t end = memoOpenAt_ != NONE ? memoOpenAt_ : tabOpenAt;
        const std::string next = text_.substr(end);
        text_.resize(end);
        closeTab(text_);
        read(next);
    }

    void closeTab(std::string_view text) {
        // A tab without a title line carries the title before it; those copies
        // are limited to the file's size, so that memory stays a small multiple of it.
        bool carry = tabHasTitleLine_ || title_.size() <= carryBudget_;
        if (!tabHasTitleLine_ && carry) carryBudget_ -= title_.size();
        // Decoded into a buffer kept from tab to tab, then copied at its size:
        // a string of its own would take room for a unit per byte.
        wide_.clear();
        sjis::appendDecoded(wide_, text);
        work_.tabs.push_back(MemoTab{wide_, carry ? sjis::decode(title_) : std::wstring()});
        text_.clear();
        tabOpen_ = false;
    }

    void closeMemo() {
        memoOpen_ = false;
        if (work_.tabs.empty()) return;  // nothing to show: the writer never writes such a block
        // An index outside the tabs selects the first one; the working value carries on unchanged.
        int32_t index = work_.MEMO_SELECT_INDEX;
        if (index < 0 || size_t(index) >= work_.tabs.size()) work_.MEMO_SELECT_INDEX = 0;
        sink_(work_);
        work_.MEMO_SELECT_INDEX = index;
        // No rule reads the tab list again before "[MEMO_TAB_START]" empties it.
        work_.tabs.clear();
    }

    StoredMemo work_;
    std::string title_, text_;
    std::wstring wide_;
    bool memoOpen_ = false, tabOpen_ = false, tabHasTitleLine_ = false;
    // Where in the open tab's text the last "[MEMO_TAB_START]" line begins,
    // and the "[MEMO_START]" line when it is the line just read.
    size_t memoOpenAt_ = NONE, tabOpenAt_ = NONE;
    size_t carryBudget_;
    const MemoSink& sink_;
};

// Tab text: CRs dropped, each LF written as CR LF, and a line end added when
// the text is empty or does not end in LF. A marker line gets one leading blank.
void appendTabText(std::string& out, const std::string& text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = lf ? lf : end;
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', lineEnd - p));
        const size_t firstChar = out.size();
        if (cr && cr + 1 == lf) {  // the usual line: its only CR is that of its CR LF
            out.append(p, lf + 1);
        } else {
            for (; cr; cr = static_cast<const char*>(std::memchr(p, '\r', lineEnd - p))) {
                out.append(p, cr);
                p = cr + 1;
            }
            out.append(p, lineEnd);
            out.append("\r\n", lf ? 2 : 0);
        }
        std::string_view written(out.data() + firstChar, out.size() - firstChar - (lf ? 2 : 0));
        if (isMarkerText(written)) out.insert(firstChar, 1, ' ');
        if (!lf) break;
        p = lf + 1;
    }
    if (text.empty() || text.back() != '\n') out.append("\r\n", 2);
}

void appendLine(std::string& out, std::string_view line) {
    out.append(line);
    out += "\r\n";
}

}  // namespace

void parseMemos(std::string_view data, ScreenSize screen, const MemoSink& sink) {
    MemoReader reader(data.size(), screen, sink);
    reader.read(data);
}

void appendMemoBlock(std::string& out, const StoredMemo& m) {
    if (m.tabs.empty()) return;
    appendLine(out, MEMO_OPEN);
    appendHeader(out, m);
    for (const MemoTab& tab : m.tabs) {
        appendLine(out, TAB_OPEN);
        out += TAB_TITLE;
        lineformat::appendValue(out, tab.title);
        out += "\r\n";
        appendTabText(out, sjis::encode(tab.text));
        appendLine(out, TAB_CLOSE);
    }
    appendLine(out, MEMO_CLOSE);
}

std::string formatMemos(const std::vector<StoredMemo>& memos) {
    size_t estimate = 0;
    for (const StoredMemo& m : memos) {
        estimate += 400 + m.CAPTION.size();
        for (const MemoTab& t : m.tabs) estimate += 48 + t.title.size() + t.text.size() + t.text.size() / 16;
    }
    std::string out;
    out.reserve(estimate);
    for (const StoredMemo& m : memos) appendMemoBlock(out, m);
    return out;
}

LoadResult loadMemoFile(const char* fileName, ScreenSize screen, const MemoSink& sink, unsigned patienceMs) {
    std::string data;
    switch (fileio::readWholeFile(fileName, data, patienceMs)) {
    case fileio::ReadStatus::Missing: return LoadResult::Missing;
    case fileio::ReadStatus::Unreadable: return LoadResult::Unreadable;
    case fileio::ReadStatus::Ok: break;
    }
    parseMemos(data, screen, sink);
    return LoadResult::Loaded;
}
