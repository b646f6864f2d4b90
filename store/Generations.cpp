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
constexpr size_t NAME_LENGTH = PREFIX.size() + 8 + 1 + 6 + SUFFIX.size();

// The number of `count` digits at `p`; -1 when one of them is no digit.
int digits(std::string_view s, size_t p, size_t count) {
    int value = 0;
    for (size_t i = p; i < p + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return -1;
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

struct Named {
    LocalTime time;
    int sequence;
    const std::string* name;
    bool operator<(const Named& o) const { return std::tie(time, sequence) < std::tie(o.time, o.sequence); }
};

std::vector<Named> parseAll(const std::vector<std::string>& names) {
    std::vector<Named> out;
    for (const std::string& name : names) {
        Named g{{}, 1, &name};
        if (parseGenerationName(name, g.time, &g.sequence)) out.push_back(g);
    }
    std::sort(out.begin(), out.end(), [](const Named& a, const Named& b) { return b < a; });
    return out;
}

// Makes the generation of the file on disk and tells its name. A name of that
// second that holds other bytes was another state of the file: the next free
// sequence keeps this one.
KeepResult makeGeneration(const char* dataFile, std::string& name) {
    LocalTime stamp;
    if (!fileio::lastWriteTime(dataFile, stamp)) return KeepResult::NothingToKeep;
    if (!isValidLocalTime(stamp)) return KeepResult::Failed;
    const std::string folder = backupFolder(dataFile);
    if (!fileio::makeFolder(folder.c_str())) return KeepResult::Failed;
    for (int sequence = 1; sequence <= MAX_SEQUENCE; ++sequence) {
        name = generationName(stamp, sequence);
        const std::string path = fileio::inFolder(folder, name);
        switch (fileio::keepFileAs(dataFile, path.c_str())) {
        case fileio::KeepOutcome::Made: return KeepResult::Made;
        case fileio::KeepOutcome::Exists:
            if (fileio::sameContent(dataFile, path.c_str())) return KeepResult::AlreadyKept;
            continue;
        case fileio::KeepOutcome::Missing: return KeepResult::NothingToKeep;
        case fileio::KeepOutcome::Failed: return KeepResult::Failed;
        }
    }
    return KeepResult::Failed;
}

}  // namespace

std::string generationName(const LocalTime& t, int sequence) {
    char name[NAME_LENGTH + 1];
    std::snprintf(name, sizeof name, "Quillpad-%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    std::string out = name;
    if (sequence > 1) out += "-" + std::to_string(sequence);
    return out += SUFFIX;
}

bool parseGenerationName(std::string_view name, LocalTime& out, int* sequence) {
    if (name.size() < NAME_LENGTH || name.substr(0, PREFIX.size()) != PREFIX ||
        name.substr(name.size() - SUFFIX.size()) != SUFFIX || name[PREFIX.size() + 8] != '-')
        return false;
    // A sequence is "-" and 1 to 4 digits without a leading zero, 2 or more.
    const size_t end = NAME_LENGTH - SUFFIX.size(), extra = name.size() - NAME_LENGTH;
    int number = 1;
    if (extra != 0) {
        if (extra < 2 || extra > 5 || name[end] != '-' || name[end + 1] == '0') return false;
        number = digits(name, end + 1, extra - 1);
        if (number < 2) return false;
    }
    const size_t date = PREFIX.size(), time = date + 9;
    LocalTime t{digits(name, date, 4),     digits(name, date + 4, 2), digits(name, date + 6, 2),
                digits(name, time, 2),     digits(name, time + 2, 2), digits(name, time + 4, 2)};
    if (!isValidLocalTime(t)) return false;
    out = t;
    if (sequence) *sequence = number;
    return true;
}

bool shouldKeepGeneration(bool firstSaveOfRun, bool causedByDelete, const std::optional<LocalTime>& newest,
                          const LocalTime& now) {
    // Either way round: a clock put back a little (or a file server's clock a
    // little ahead) does not make every save keep one.
    return firstSaveOfRun || causedByDelete || !newest || std::abs(secondsBetween(*newest, now)) > KEEP_AFTER_SECONDS;
}

std::vector<std::string> generationsToDelete(const std::vector<std::string>& names, const LocalTime& today,
                                             std::string_view justMade) {
    const std::vector<Named> all = parseAll(names);
    if (all.empty()) return {};
    // The daily window has no end, and its start follows the newest generation
    // unless the clock reads earlier: a wrong clock can keep more, never delete more.
    const int64_t firstDay = std::min(dayNumber(all.front().time), dayNumber(today)) - KEEP_DAILY_DAYS;
    std::vector<std::string> doomed;
    int64_t dayKept = INT64_MIN;
    for (size_t i = KEEP_NEWEST; i < all.size(); ++i) {
        // Newest first: the first of a day met here is that day's newest of the older ones.
        const int64_t day = dayNumber(all[i].time);
        if (day >= firstDay && day != dayKept) {
            dayKept = day;
        } else if (*all[i].name != justMade) {
            doomed.push_back(*all[i].name);
        }
    }
    return doomed;
}

std::string backupFolder(const char* dataFile) { return fileio::besideFile(dataFile, BACKUP_FOLDER); }

std::vector<Generation> listGenerations(const char* dataFile) {
    const std::string folder = backupFolder(dataFile);
    const std::vector<std::string> names = fileio::filesIn(folder.c_str());
    std::vector<Generation> out;
    for (const Named& g : parseAll(names)) out.push_back({fileio::inFolder(folder, *g.name), g.time});
    return out;
}

GenerationRun::GenerationRun(std::function<LocalTime()> clock) : clock_(std::move(clock)) {}

bool GenerationRun::save(const char* dataFile, const std::string& data, bool causedByDelete,
                         fileio::SaveFailure* why) {
    const LocalTime now = clock_();
    if (!shouldKeepGeneration(owed_, causedByDelete, newest(dataFile), now))
        return fileio::replaceFile(dataFile, data, {}, why);
    // A save that fails before its move makes none: the next one still owes it.
    KeepResult result = KeepResult::Failed;
    std::string name;
    const bool saved = fileio::replaceFile(dataFile, data, [&] { result = makeGeneration(dataFile, name); }, why);
    kept(dataFile, result, name, now);
    return saved;
}

KeepResult GenerationRun::keepNow(const char* dataFile) {
    std::string name;
    const KeepResult result = makeGeneration(dataFile, name);
    kept(dataFile, result, name, clock_());
    return result;
}

std::optional<LocalTime> GenerationRun::newest(const char* dataFile) {
    // Only this run adds generations: one appearance at the folder serves the run.
    if (!newestKnown_) {
        const std::vector<Generation> all = listGenerations(dataFile);
        if (!all.empty()) newest_ = all.front().time;
        newestKnown_ = true;
    }
    return newest_;
}

void GenerationRun::kept(const char* dataFile, KeepResult result, const std::string& name, const LocalTime& now) {
    lastKeep_ = result;
    owed_ = result == KeepResult::Failed;
    if (result != KeepResult::Made && result != KeepResult::AlreadyKept) return;
    const std::string folder = backupFolder(dataFile);
    for (const std::string& doomed : generationsToDelete(fileio::filesIn(folder.c_str()), now, name)) {
        fileio::removeFile(fileio::inFolder(folder, doomed).c_str());
    }
    LocalTime time;
    if (parseGenerationName(name, time)) newest_ = time;
    newestKnown_ = true;
}

}  // namespace generations
