// The data file's owner, natively: another program's change to the file is
// kept as a generation before a save replaces it, and a failed save says why.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <filesystem>
#include "store/DataFile.h"
#include "tests/store/TestFiles.h"

namespace {

LocalTime at(int h, int mi) { return {2026, 12, 8, h, mi, 0}; }

void setLastWrite(const std::string& name, const LocalTime& t) {
    struct tm local {};
    local.tm_year = t.year - 1900, local.tm_mon = t.month - 1, local.tm_mday = t.day;
    local.tm_hour = t.hour, local.tm_min = t.minute, local.tm_isdst = -1;
    struct timespec times[2] = {{mktime(&local), 0}, {mktime(&local), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
}

StoredMemo memo(const std::string& text) {
    StoredMemo m;
    m.CAPTION = "caption";
    m.tabs = {{text + "\r\n", "title"}};
    return m;
}

using DataFileTest = InTempDir;

}  // namespace

TEST_F(DataFileTest, AnotherProgramsChangeIsKeptBeforeTheSaveReplacesIt) {
    const std::string ours = formatMemos({memo("ours")});
    struct Row {
        const char* what;
        std::function<void(const std::string& file)> otherProgram;
        bool kept;
    } rows[] = {
        {"nothing", [](const std::string&) {}, false},
        {"the same bytes again", [&](const std::string& f) { writeFile(f, ours); }, false},
        {"other bytes of the same size", [&](const std::string& f) { writeFile(f, formatMemos({memo("them")})); }, true},
        {"more bytes", [&](const std::string& f) { writeFile(f, ours + ours); }, true},
        {"the file removed", [](const std::string& f) { std::filesystem::remove(f); }, false},
    };
    int n = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string folder = "row" + std::to_string(n++), file = folder + "/Quillpad.dat";
        std::filesystem::create_directory(folder);
        writeFile(file, formatMemos({memo("loaded")}));
        setLastWrite(file, at(9, 0));
        DataFile data(file, [] { return at(10, 0); });  // the hourly rule is not due: only a change keeps one
        ASSERT_EQ(data.load({}, [](const StoredMemo&) {}), LoadResult::Loaded);
        ASSERT_TRUE(data.save({memo("ours")}, false));  // the run's first save keeps the loaded file
        if (std::filesystem::exists(file)) setLastWrite(file, at(9, 10));
        r.otherProgram(file);
        const std::string theirs = std::filesystem::exists(file) ? readFile(file) : "";
        if (std::filesystem::exists(file)) setLastWrite(file, at(9, 30));

        ASSERT_TRUE(data.save({memo("later")}, false));
        EXPECT_EQ(readFile(file), formatMemos({memo("later")}));
        const std::string generation = folder + "/backup/" + generations::generationName(at(9, 30));
        EXPECT_EQ(std::filesystem::exists(generation), r.kept);
        if (r.kept) EXPECT_EQ(readFile(generation), theirs);
        EXPECT_EQ(data.takeOtherVersionKept(), r.kept ? std::optional<LocalTime>(at(9, 30)) : std::nullopt);
        EXPECT_EQ(data.takeOtherVersionKept(), std::nullopt);  // told once
    }
}

TEST_F(DataFileTest, AFailedSaveSaysWhyAndAnotherProgramsVersionIsNeverLost) {
    writeFile("Quillpad.dat", formatMemos({memo("loaded")}));
    DataFile data("Quillpad.dat");
    ASSERT_EQ(data.load({}, [](const StoredMemo&) {}), LoadResult::Loaded);
    chmod("Quillpad.dat", 0444);
    EXPECT_FALSE(data.save({memo("ours")}, false));
    EXPECT_EQ(data.failure(), fileio::SaveFailure::ReadOnly);
    chmod("Quillpad.dat", 0644);
    ASSERT_TRUE(data.save({memo("ours")}, false));
    EXPECT_EQ(data.failure(), fileio::SaveFailure::None);

    // Their version cannot be kept (a file stands where the backup folder
    // goes): it is not replaced, and the next save tries again.
    writeFile("Quillpad.dat", "theirs");
    std::filesystem::rename("backup", "kept");
    writeFile("backup", "in the way");
    EXPECT_FALSE(data.save({memo("later")}, false));
    EXPECT_EQ(data.failure(), fileio::SaveFailure::OtherVersionNotKept);
    EXPECT_EQ(readFile("Quillpad.dat"), "theirs");
    std::filesystem::remove("backup");
    ASSERT_TRUE(data.save({memo("later")}, false));
    EXPECT_EQ(readFile(data.generations().front().path), "theirs");
}
