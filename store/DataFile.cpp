#include "store/DataFile.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "store/LineFormat.h"
#include "store/MemoSync.h"

namespace {

constexpr const char* RESCUE_PREFIX = "Quillpad-rescue-";
// The last version's one mark for the rescue files of every data folder.
constexpr const char* SHARED_RESCUE_MARK = "Quillpad-rescue.untold";
// The first line of a rescue mark: the data file its rescue files are of.
constexpr std::string_view MARK_DATA_FILE = "DATA_FILE-";
constexpr int RESCUE_NAME_TRIES = 100;
// Last-write times in whole steps of this (100 ns units) may come from a file
// system that keeps them coarsely: FAT in 2 s, exFAT in 10 ms, some network
// drives in 1 s. An equal time of that kind tells nothing.
constexpr uint64_t COARSE_TIME_STEP = 100000;

// FNV-1a over 8-byte words, each word rotated into the middle of the state
// before the multiply: a difference in any byte reaches the bits below it
// that the next words' bytes cannot cancel. Every step is invertible, so
// files of one size that differ within one word never hash the same.
uint64_t contentHash(const std::string& bytes) {
    const uint64_t prime = 0x100000001b3ull;
    uint64_t hash = 0xcbf29ce484222325ull ^ bytes.size();
    auto mix = [&](uint64_t word) {
        hash ^= word;
        hash = ((hash << 31) | (hash >> 33)) * prime;
    };
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        mix(word);
    }
    for (; i < bytes.size(); ++i) mix(static_cast<unsigned char>(bytes[i]));
    return hash;
}

std::vector<std::string> linesOf(const char* fileName) {
    std::string bytes;
    std::vector<std::string> lines;
    if (fileio::readWholeFile(fileName, bytes, fileio::HELD_FILE_PATIENCE_MS) != fileio::ReadStatus::Ok) return lines;
    lineformat::forEachLine(bytes, [&](std::string_view line) {
        if (!line.empty()) lines.emplace_back(line);
    });
    return lines;
}

bool exists(const std::string& fileName) {
    uint64_t size, time;
    return fileio::sizeAndWriteTime(fileName.c_str(), size, time);
}

}  // namespace

DataFile::DataFile(std::string path, std::function<LocalTime()> clock, std::string computer)
    : path_(std::move(path)), clock_(clock), computer_(computer), run_(std::move(clock), std::move(computer)) {}

LoadResult DataFile::load(ScreenSize screen, const MemoSink& sink, std::string* bytes) {
    for (const std::string& name : linesOf(untoldMark().c_str())) {
        generations::GenerationName g;
        const std::string folder = generations::backupFolder(path_.c_str());
        if (!generations::parseGenerationName(name, g) || !exists(fileio::inFolder(folder, name))) continue;
        untoldNames_.push_back(name);
        untold_.push_back(g.time);
    }
    for (const std::string& folder : fileio::userFolders()) {
        for (const std::string& mark : {rescueMark(), std::string(SHARED_RESCUE_MARK)}) {
            for (const std::string& path : linesOf(fileio::inFolder(folder, mark).c_str())) {
                if (!lineformat::startsWith(path, MARK_DATA_FILE) && exists(path)) rescued_.push_back(path);
            }
        }
    }
    std::string data;
    switch (fileio::readWholeFile(path_.c_str(), data, fileio::HELD_FILE_PATIENCE_MS)) {
    case fileio::ReadStatus::Missing: remember(false, data); return LoadResult::Missing;
    case fileio::ReadStatus::Unreadable: return LoadResult::Unreadable;
    case fileio::ReadStatus::Ok: break;
    }
    remember(true, data);
    parseMemos(data, screen, sink);
    if (bytes) bytes->swap(data);
    return LoadResult::Loaded;
}

bool DataFile::save(const std::string& data, bool causedByDelete) {
    if (changedByAnother()) {
        // Kept first, whatever the hourly rule says, as a generation that
        // retention never deletes; a version that cannot be kept is not replaced.
        std::string name;
        switch (run_.keepNow(path_.c_str(), true, nullptr, &name)) {
        case generations::KeepResult::Made:
        case generations::KeepResult::AlreadyKept:
            if (std::find(untoldNames_.begin(), untoldNames_.end(), name) == untoldNames_.end()) {
                generations::GenerationName g;
                generations::parseGenerationName(name, g);
                untoldNames_.push_back(name);
                untold_.push_back(g.time);
                writeUntoldMark();
            }
            break;
        case generations::KeepResult::NothingToKeep: break;
        case generations::KeepResult::Failed: failure_ = fileio::SaveFailure::OtherVersionNotKept; return false;
        }
    }
    if (!run_.save(path_.c_str(), data, causedByDelete, &failure_)) return false;
    remember(true, data);
    return true;
}

generations::KeepResult DataFile::keepNow() { return run_.keepNow(path_.c_str()); }

std::vector<generations::Generation> DataFile::generations() const {
    std::vector<generations::Generation> all;
    for (const std::string& folder : fileio::userFolders()) {
        for (const std::string& name : fileio::filesIn(folder.c_str())) {
            // A rescue file is named as a generation owned by its data folder's
            // tag (the last version's: by none), with "rescue-" after "Quillpad-".
            const size_t prefix = std::strlen(RESCUE_PREFIX);
            generations::GenerationName g;
            if (name.compare(0, prefix, RESCUE_PREFIX) == 0 &&
                generations::parseGenerationName("Quillpad-" + name.substr(prefix), g) &&
                (g.computer.empty() || g.computer == rescueTag()))
                all.push_back({fileio::inFolder(folder, name), g.time, true});
        }
    }
    for (generations::Generation& g : generations::listGenerations(path_.c_str())) all.push_back(std::move(g));
    std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return b.time < a.time; });
    return all;
}

void DataFile::told(size_t count) {
    count = std::min(count, untold_.size());
    untold_.erase(untold_.begin(), untold_.begin() + count);
    untoldNames_.erase(untoldNames_.begin(), untoldNames_.begin() + count);
    writeUntoldMark();
}

// One mark for each computer: a folder shared by two tells each its own.
std::string DataFile::untoldMark() const {
    return fileio::inFolder(generations::backupFolder(path_.c_str()), "Quillpad-" + computer_ + ".untold");
}

void DataFile::writeUntoldMark() {
    if (untoldNames_.empty()) {
        fileio::removeFile(untoldMark().c_str());
        return;
    }
    std::string lines;
    for (const std::string& name : untoldNames_) lines += name + "\r\n";
    fileio::replaceFile(untoldMark().c_str(), lines);
}

std::string DataFile::rescueFolder() const {
    const std::vector<std::string> folders = fileio::userFolders();
    return folders.empty() ? std::string() : folders.front();
}

// The rescue files of one data folder and their mark are told apart from
// another's by this in their names: copies of the program started on other
// folders share the user's folders.
std::string DataFile::rescueTag() const {
    std::string path = fileio::fullPath(path_.c_str());
    std::transform(path.begin(), path.end(), path.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    char tag[17];
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(contentHash(path)));
    return tag;
}

std::string DataFile::rescueMark() const { return RESCUE_PREFIX + rescueTag() + ".untold"; }

std::optional<std::string> DataFile::rescue(const std::string& data) {
    const LocalTime now = clock_();
    for (const std::string& folder : fileio::userFolders()) {
        for (uint32_t n = 1; n <= RESCUE_NAME_TRIES; ++n) {
            const std::string name = generations::generationName({now, rescueTag(), n});
            const std::string path = fileio::inFolder(folder, RESCUE_PREFIX + name.substr(std::strlen("Quillpad-")));
            if (exists(path)) continue;
            if (!fileio::replaceFile(path.c_str(), data)) break;  // the next folder
            const std::string mark = fileio::inFolder(folder, rescueMark());
            std::string lines = std::string(MARK_DATA_FILE) + fileio::fullPath(path_.c_str()) + "\r\n";
            for (const std::string& line : linesOf(mark.c_str())) {
                if (!lineformat::startsWith(line, MARK_DATA_FILE)) lines += line + "\r\n";
            }
            fileio::replaceFile(mark.c_str(), lines + path + "\r\n");
            return path;
        }
    }
    return std::nullopt;
}

std::vector<std::string> DataFile::takeRescued() {
    if (rescued_.empty()) return {};
    for (const std::string& folder : fileio::userFolders()) {
        for (const std::string& mark : {rescueMark(), std::string(SHARED_RESCUE_MARK)})
            fileio::removeFile(fileio::inFolder(folder, mark).c_str());
    }
    std::vector<std::string> rescued;
    rescued.swap(rescued_);
    return rescued;
}

std::optional<DataFile::Version> DataFile::otherVersion(bool settled) {
    if (!changedByAnother()) return std::nullopt;
    Version version;
    if (!fileio::sizeAndWriteTime(path_.c_str(), version.size, version.writeTime)) return std::nullopt;
    Seen look;
    look.exists = true, look.size = version.size, look.writeTime = version.writeTime;
    const bool same = lastLook_ && lastLook_->size == look.size && lastLook_->writeTime == look.writeTime;
    lastLook_ = look;
    if (settled && !same) return std::nullopt;
    if (fileio::readWholeFile(path_.c_str(), version.bytes, 0) != fileio::ReadStatus::Ok) return std::nullopt;
    return version;
}

void DataFile::adopt(const Version& version) {
    Seen seen;
    seen.exists = true, seen.size = version.size, seen.writeTime = version.writeTime;
    seen.hash = contentHash(version.bytes);
    seen_ = seen;
}

generations::KeepResult DataFile::keepBytes(const std::string& bytes) {
    const std::string source = path_ + ".keep.tmp";
    if (!fileio::replaceFile(source.c_str(), bytes)) return generations::KeepResult::Failed;
    const generations::KeepResult kept = run_.keepNow(path_.c_str(), false, source.c_str());
    fileio::removeFile(source.c_str());
    return kept;
}

std::vector<DataFile::ConflictCopy> DataFile::conflictCopies() const {
    const std::string folder = fileio::besideFile(path_.c_str(), "");
    const std::string fileName = path_.substr(folder.size());
    std::vector<std::string> computers;
    for (const std::string& name : fileio::filesIn(generations::backupFolder(path_.c_str()).c_str())) {
        generations::GenerationName g;
        if (!generations::parseGenerationName(name, g) || g.computer.empty()) continue;
        // "<computer>-<the PC's id>" names the computer, as OneDrive does, without the id.
        computers.push_back(g.computer);
        computers.push_back(g.computer.substr(0, g.computer.rfind('-')));
    }
    std::vector<ConflictCopy> copies;
    for (const std::string& file : fileio::filesIn(folder.empty() ? "." : folder.c_str())) {
        std::optional<std::string> otherName = conflictCopyLabel(file, fileName, computers);
        if (!otherName) continue;
        ConflictCopy copy{folder + file, *otherName, {}};
        if (!fileio::sizeAndWriteTime(copy.path.c_str(), copy.size, copy.writeTime)) continue;
        const auto merged = std::make_pair(copy.path, copy.writeTime);
        if (std::find(mergedCopies_.begin(), mergedCopies_.end(), merged) != mergedCopies_.end()) continue;
        if (fileio::readWholeFile(copy.path.c_str(), copy.bytes, 0) == fileio::ReadStatus::Ok) copies.push_back(copy);
    }
    return copies;
}

// Through the generations' own keeping, so that the restore list shows it.
void DataFile::moveToBackup(const ConflictCopy& copy) {
    const generations::KeepResult kept = run_.keepNow(path_.c_str(), false, copy.path.c_str());
    if (kept == generations::KeepResult::Made || kept == generations::KeepResult::AlreadyKept) {
        fileio::removeFile(copy.path.c_str());
        uint64_t size, time;
        if (!fileio::sizeAndWriteTime(copy.path.c_str(), size, time)) return;
    }
    mergedCopies_.emplace_back(copy.path, copy.writeTime);
}

void DataFile::remember(bool exists, const std::string& bytes) {
    Seen seen;
    seen.exists = exists && fileio::sizeAndWriteTime(path_.c_str(), seen.size, seen.writeTime);
    seen.hash = contentHash(bytes);
    seen_ = seen;
}

// Size and last-write time first; the content when the size is the same and
// the time differs (a program may write the same bytes again, or set the
// time back) or cannot tell: a change within one step of a coarse clock keeps it.
bool DataFile::changedByAnother() const {
    if (!seen_) return false;
    Seen now;
    now.exists = fileio::sizeAndWriteTime(path_.c_str(), now.size, now.writeTime);
    if (!now.exists) return false;  // gone: nothing to keep
    if (!seen_->exists || now.size != seen_->size) return true;
    if (now.writeTime == seen_->writeTime && now.writeTime % COARSE_TIME_STEP != 0) return false;
    std::string bytes;
    // One that cannot be read now is kept as it is.
    if (fileio::readWholeFile(path_.c_str(), bytes, 0) != fileio::ReadStatus::Ok) return true;
    return contentHash(bytes) != seen_->hash;
}
