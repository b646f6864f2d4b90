#include "store/DataFile.h"
#include <cstring>
#include "store/MemoMerge.h"

namespace {

// FNV-1a over 8-byte words: cheap enough to run over every save.
uint64_t contentHash(const std::string& bytes) {
    const uint64_t prime = 0x100000001b3ull;
    uint64_t hash = 0xcbf29ce484222325ull ^ bytes.size();
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        hash = (hash ^ word) * prime;
    }
    for (; i < bytes.size(); ++i) hash = (hash ^ static_cast<unsigned char>(bytes[i])) * prime;
    return hash;
}

}  // namespace

DataFile::DataFile(std::string path, std::function<LocalTime()> clock)
    : path_(std::move(path)), run_(std::move(clock)) {}

LoadResult DataFile::load(ScreenSize screen, const MemoSink& sink) {
    std::string data;
    switch (fileio::readWholeFile(path_.c_str(), data, fileio::HELD_FILE_PATIENCE_MS)) {
    case fileio::ReadStatus::Missing: remember(false, data); return LoadResult::Missing;
    case fileio::ReadStatus::Unreadable: return LoadResult::Unreadable;
    case fileio::ReadStatus::Ok: break;
    }
    remember(true, data);
    parseMemos(data, screen, sink);
    return LoadResult::Loaded;
}

bool DataFile::save(const std::string& data, bool causedByDelete) {
    if (changedByAnother()) {
        // Kept first, whatever the hourly rule says; a version that cannot be
        // kept is not replaced.
        LocalTime written;
        const bool exists = fileio::lastWriteTime(path_.c_str(), written);
        switch (keepNow()) {
        case generations::KeepResult::Made:
        case generations::KeepResult::AlreadyKept: otherVersionKept_ = written; break;
        case generations::KeepResult::NothingToKeep: break;
        case generations::KeepResult::Failed:
            if (!exists) break;
            failure_ = fileio::SaveFailure::OtherVersionNotKept;
            return false;
        }
    }
    if (!run_.save(path_.c_str(), data, causedByDelete, &failure_)) return false;
    remember(true, data);
    return true;
}

generations::KeepResult DataFile::keepNow() { return run_.keepNow(path_.c_str()); }

std::vector<generations::Generation> DataFile::generations() const {
    return generations::listGenerations(path_.c_str());
}

std::optional<std::string> DataFile::otherVersion() const {
    if (!changedByAnother()) return std::nullopt;
    std::string bytes;
    if (fileio::readWholeFile(path_.c_str(), bytes, 0) != fileio::ReadStatus::Ok) return std::nullopt;
    return bytes;
}

std::vector<DataFile::ConflictCopy> DataFile::conflictCopies() const {
    const std::string folder = fileio::besideFile(path_.c_str(), "");
    const std::string fileName = path_.substr(folder.size());
    std::vector<ConflictCopy> copies;
    for (const std::string& file : fileio::filesIn(folder.empty() ? "." : folder.c_str())) {
        std::optional<std::string> otherName = conflictCopyLabel(file, fileName);
        if (!otherName) continue;
        ConflictCopy copy{folder + file, *otherName, {}};
        if (fileio::readWholeFile(copy.path.c_str(), copy.bytes, 0) == fileio::ReadStatus::Ok) copies.push_back(copy);
    }
    return copies;
}

// Through the generations' own keeping, so that the restore list shows it
// and their retention thins it.
bool DataFile::moveToBackup(const std::string& copy) {
    const generations::KeepResult kept = run_.keepNow(copy.c_str());
    if (kept != generations::KeepResult::Made && kept != generations::KeepResult::AlreadyKept) return false;
    fileio::removeFile(copy.c_str());
    return true;
}

std::optional<LocalTime> DataFile::takeOtherVersionKept() {
    std::optional<LocalTime> kept;
    kept.swap(otherVersionKept_);
    return kept;
}

void DataFile::remember(bool exists, const std::string& bytes) {
    Seen seen;
    seen.exists = exists && fileio::sizeAndWriteTime(path_.c_str(), seen.size, seen.writeTime);
    seen.hash = contentHash(bytes);
    seen_ = seen;
}

// Size and last-write time first; the content only when they differ (a
// program may write the same bytes again, or set the time back).
bool DataFile::changedByAnother() const {
    if (!seen_) return false;
    Seen now;
    now.exists = fileio::sizeAndWriteTime(path_.c_str(), now.size, now.writeTime);
    if (!now.exists) return false;  // gone: nothing to keep
    if (!seen_->exists) return true;
    if (now.size == seen_->size && now.writeTime == seen_->writeTime) return false;
    if (now.size != seen_->size) return true;
    std::string bytes;
    // One that cannot be read now is kept as it is.
    if (fileio::readWholeFile(path_.c_str(), bytes, 0) != fileio::ReadStatus::Ok) return true;
    return contentHash(bytes) != seen_->hash;
}
