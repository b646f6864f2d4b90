#include "store/Generations.h"
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace generations {

const char* const BACKUP_FOLDER = "backup";

namespace {

constexpr std::string_view PREFIX = "Quillpad-";
constexpr std::string_view SUFFIX = ".dat";
constexpr std::string_view KEPT = "-kept";
// "Quillpad-YYYYMMDD-HHMMSS.dat", the shortest name.
constexpr size_t NAME_LENGTH = PREFIX.size() + 8 + 1 + 6 + SUFFIX.size();
// A name taken meanwhile (the same computer twice on one folder) is passed over this often.
constexpr int NAME_TRIES = 100;

// The number in `s` (decimal, no leading zero, at most 9 digits); -1 when it is none.
long number(std::string_view s) {
    if (s.empty() || s.size() > 9 || s[0] == '0') return -1;
    long value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

struct Named {
    GenerationName g;
    const std::string* name;
};

std::vector<Named> parseAll(const std::vector<std::string>& names) {
    std::vector<Named> out;
    for (const std::string& name : names) {
        Named n{{}, &name};
        if (parseGenerationName(name, n.g)) out.push_back(n);
    }
    return out;
}

// Newest first: a computer's own by their sequence, those without an owner by their names.
bool newerFirst(const Named& a, const Named& b) {
    if (a.g.computer.empty()) return std::tie(b.g.time, b.g.sequence) < std::tie(a.g.time, a.g.sequence);
    return b.g.sequence < a.g.sequence;
}

// Retention over one computer's generations (or those without an owner), newest first.
void thin(std::vector<Named>& chain, std::string_view justMade, std::vector<std::string>& doomed) {
    std::sort(chain.begin(), chain.end(), newerFirst);
    int64_t dayKept = INT64_MIN;
    size_t dailies = 0;
    for (size_t i = KEEP_NEWEST; i < chain.size(); ++i) {
        // The first of a day met here is that day's newest of the older ones.
        const int64_t day = dayNumber(chain[i].g.time);
        if (day != dayKept && dailies < KEEP_DAILY) {
            dayKept = day;
            ++dailies;
        } else if (*chain[i].name != justMade) {
            doomed.push_back(*chain[i].name);
        }
    }
}

}  // namespace

std::string generationName(const GenerationName& g) {
    std::string out = std::string(PREFIX) + timeStamp(g.time);
    if (!g.computer.empty()) {
        out += "-" + g.computer + "-" + std::to_string(g.sequence);
        if (g.kept) out += KEPT;
    } else if (g.sequence > 1) {
        out += "-" + std::to_string(g.sequence);
    }
    return out += SUFFIX;
}

bool parseGenerationName(std::string_view name, GenerationName& out) {
    if (name.size() < NAME_LENGTH || name.substr(0, PREFIX.size()) != PREFIX ||
        name.substr(name.size() - SUFFIX.size()) != SUFFIX || name[PREFIX.size() + 8] != '-')
        return false;
    const size_t date = PREFIX.size(), time = date + 9;
    GenerationName g;
    const std::optional<LocalTime> stamp = parseTimeStamp(name.substr(date, 15));
    if (!stamp) return false;
    g.time = *stamp;
    std::string_view rest = name.substr(time + 6, name.size() - SUFFIX.size() - time - 6);
    if (!rest.empty()) {
        if (rest[0] != '-') return false;
        rest.remove_prefix(1);
        const size_t dash = rest.rfind('-');
        if (dash == std::string_view::npos) {
            // Without an owner: "-2" to "-9999", the further states of one second.
            const long sequence = rest.size() <= 4 ? number(rest) : -1;
            if (sequence < 2) return false;
            g.sequence = uint32_t(sequence);
        } else {
            if (rest.size() > KEPT.size() && rest.substr(rest.size() - KEPT.size()) == KEPT) {
                g.kept = true;
                rest.remove_suffix(KEPT.size());
            }
            const size_t last = rest.rfind('-');
            if (last == std::string_view::npos || last == 0) return false;
            const long sequence = number(rest.substr(last + 1));
            if (sequence < 1) return false;
            g.computer.assign(rest.substr(0, last));
            g.sequence = uint32_t(sequence);
        }
    }
    out = g;
    return true;
}

bool shouldKeepGeneration(bool firstSaveOfRun, bool causedByDelete, const std::optional<LocalTime>& newest,
                          const LocalTime& now) {
    // Either way round: a clock put back a little (or a file server's clock a
    // little ahead) does not make every save keep one.
    return firstSaveOfRun || causedByDelete || !newest || std::abs(secondsBetween(*newest, now)) > KEEP_AFTER_SECONDS;
}

std::vector<std::string> generationsToDelete(const std::vector<std::string>& names, std::string_view computer,
                                             std::string_view justMade) {
    std::vector<Named> own, ownerless;
    for (const Named& n : parseAll(names)) {
        if (n.g.kept) continue;
        if (n.g.computer == computer) own.push_back(n);
        else if (n.g.computer.empty()) ownerless.push_back(n);
    }
    std::vector<std::string> doomed;
    thin(own, justMade, doomed);
    thin(ownerless, justMade, doomed);
    return doomed;
}

std::string backupFolder(const char* dataFile) { return fileio::besideFile(dataFile, BACKUP_FOLDER); }

std::vector<Generation> listGenerations(const char* dataFile) {
    const std::string folder = backupFolder(dataFile);
    const std::vector<std::string> names = fileio::filesIn(folder.c_str());
    std::vector<Named> all = parseAll(names);
    std::sort(all.begin(), all.end(), [](const Named& a, const Named& b) {
        return std::tie(b.g.time, b.g.computer, b.g.sequence) < std::tie(a.g.time, a.g.computer, a.g.sequence);
    });
    std::vector<Generation> out;
    for (const Named& n : all) out.push_back({fileio::inFolder(folder, *n.name), n.g.time});
    return out;
}

GenerationRun::GenerationRun(std::function<LocalTime()> clock, std::string computer)
    : clock_(std::move(clock)), computer_(std::move(computer)) {}

bool GenerationRun::save(const char* dataFile, const std::string& data, bool causedByDelete,
                         fileio::SaveFailure* why) {
    if (!shouldKeepGeneration(owed_, causedByDelete, newest(dataFile), clock_()))
        return fileio::replaceFile(dataFile, data, {}, why);
    // A save that fails before its move makes none: the next one still owes it.
    KeepResult result = KeepResult::Failed;
    std::string name;
    const bool saved = fileio::replaceFile(dataFile, data, [&] { result = make(dataFile, dataFile, false, name); }, why);
    afterKeep(dataFile, result, name);
    return saved;
}

KeepResult GenerationRun::keepNow(const char* dataFile, bool kept, const char* source, std::string* nameOut) {
    std::string name;
    const KeepResult result = make(dataFile, source ? source : dataFile, kept, name);
    afterKeep(dataFile, result, name);
    if (nameOut) *nameOut = name;
    return result;
}

// The next sequence of this computer; the newest generation when it holds the
// same bytes already (and is kept, when a kept one is asked for) serves again.
KeepResult GenerationRun::make(const char* dataFile, const char* source, bool kept, std::string& name) {
    GenerationName g{{}, computer_, 1, kept};
    if (!fileio::lastWriteTime(source, g.time)) return KeepResult::NothingToKeep;
    if (!isValidLocalTime(g.time)) return KeepResult::Failed;
    const std::string folder = backupFolder(dataFile);
    if (!fileio::makeFolder(folder.c_str())) return KeepResult::Failed;
    const std::vector<std::string> names = fileio::filesIn(folder.c_str());
    const std::vector<Named> all = parseAll(names);
    const Named* newest = nullptr;
    for (const Named& n : all) {
        if (n.g.computer == computer_ && (!newest || newest->g.sequence < n.g.sequence)) {
            g.sequence = n.g.sequence + 1;
            newest = &n;
        }
    }
    if (newest && (newest->g.kept || !kept) &&
        fileio::sameContent(source, fileio::inFolder(folder, *newest->name).c_str())) {
        name = *newest->name;
        return KeepResult::AlreadyKept;
    }
    for (int tries = 0; tries < NAME_TRIES; ++tries, ++g.sequence) {
        name = generationName(g);
        switch (fileio::keepFileAs(source, fileio::inFolder(folder, name).c_str())) {
        case fileio::KeepOutcome::Made: return KeepResult::Made;
        case fileio::KeepOutcome::Exists: continue;
        case fileio::KeepOutcome::Missing: return KeepResult::NothingToKeep;
        case fileio::KeepOutcome::Failed: return KeepResult::Failed;
        }
    }
    return KeepResult::Failed;
}

std::optional<LocalTime> GenerationRun::newest(const char* dataFile) {
    // Only this run adds this computer's generations: one look at the folder serves the run.
    if (!newestKnown_) {
        std::vector<Named> own, ownerless;
        const std::vector<std::string> names = fileio::filesIn(backupFolder(dataFile).c_str());
        for (const Named& n : parseAll(names)) {
            if (n.g.computer == computer_) own.push_back(n);
            else if (n.g.computer.empty()) ownerless.push_back(n);
        }
        std::vector<Named>& chain = own.empty() ? ownerless : own;
        if (!chain.empty()) newest_ = std::min_element(chain.begin(), chain.end(), newerFirst)->g.time;
        newestKnown_ = true;
    }
    return newest_;
}

void GenerationRun::afterKeep(const char* dataFile, KeepResult result, const std::string& name) {
    lastKeep_ = result;
    owed_ = result == KeepResult::Failed;
    if (result != KeepResult::Made && result != KeepResult::AlreadyKept) return;
    const std::string folder = backupFolder(dataFile);
    for (const std::string& doomed : generationsToDelete(fileio::filesIn(folder.c_str()), computer_, name)) {
        fileio::removeFile(fileio::inFolder(folder, doomed).c_str());
    }
    GenerationName g;
    if (parseGenerationName(name, g)) newest_ = g.time;
    newestKnown_ = true;
}

}  // namespace generations
