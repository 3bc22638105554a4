// Saving onto what a user may pick in a file dialog besides a plain file: a
// named pipe, a device, a file in a folder that may not be written, a disk
// that fills up. The text report and the address range listing go through
// the same writer and must behave alike, so every case runs with both.
#include "plan/document.h"
#include "planner/planner_form.h"
#include "tests/support/qt_files.h"
#include "ui/classless/qt_csv_target.h"
#include "ui/dar/qt_file_writer.h"
#include "ui/planner/qt_planner_services.h"
#include "ui/platform/file_writer.h"
#include "ui/reports/qt_report_output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace mq::test {
namespace {

using namespace std::chrono_literals;
using SaveFn = std::function<bool(const std::string& path, const std::string& bytes, std::string& error)>;

struct Saver {
    const char* name;
    SaveFn save;
};

void PrintTo(const Saver& s, std::ostream* os)
{
    *os << s.name;
}

const Saver kSavers[] = {
    {"TextReport",
     [](const std::string& path, const std::string& bytes, std::string& error) {
         ui::QtReportOutput output;
         return output.writeFile(path, bytes, error);
     }},
    {"AddressRange",
     [](const std::string& path, const std::string& bytes, std::string& error) {
         // In pieces, as the listing is streamed.
         ui::QtSaveFileWriter writer;
         return writer.write(
             path,
             [&bytes](ByteSink& sink) {
                 for (std::size_t at = 0; at < bytes.size(); at += 4096)
                     if (!sink.write(std::string_view(bytes).substr(at, 4096)))
                         return false;
                 return true;
             },
             error);
     }},
};

mode_t fileType(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

// Reads a named pipe on its own thread until the save is over.
class PipeReader {
public:
    explicit PipeReader(const QString& path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK)), thread([this] { drain(); })
    {
    }
    ~PipeReader() { finish(); }
    std::string finish()
    {
        done = true;
        if (thread.joinable())
            thread.join();
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        return got;
    }

private:
    void drain()
    {
        char buf[65536];
        while (fd >= 0) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                got.append(buf, static_cast<std::size_t>(n));
                continue;
            }
            // 0: no writer and nothing left; over only once the save returned.
            if ((n == 0 && done) || (n < 0 && errno != EAGAIN && errno != EINTR))
                return;
            std::this_thread::sleep_for(1ms);
        }
    }
    int fd;
    std::atomic<bool> done{false};
    std::string got;
    std::thread thread;
};

class SpecialTargets : public ::testing::TestWithParam<Saver> {
protected:
    QTemporaryDir dir;
    std::string error;
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    bool save(const QString& path, const std::string& bytes)
    {
        return GetParam().save(path.toStdString(), bytes, error);
    }
    QString makeFifo(const char* name)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

TEST_P(SpecialTargets, NamedPipeWithAReaderGetsEveryByteAndStaysAPipe)
{
    const QString pipe = makeFifo("pipe");
    std::string content;
    for (int i = 0; content.size() < 300000; ++i)  // several times what a pipe holds
        content += std::to_string(i) + "\tline\n";
    PipeReader reader(pipe);
    ASSERT_TRUE(save(pipe, content)) << error;
    EXPECT_EQ(reader.finish(), content);
    EXPECT_EQ(fileType(pipe), static_cast<mode_t>(S_IFIFO));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("pipe")});
}

TEST_P(SpecialTargets, NamedPipeWithoutAReaderIsRefusedAtOnce)
{
    const QString pipe = makeFifo("pipe");
    // A writer that waits for a reader gets one after 30 s (long enough for any
    // machine's load), so the test fails instead of hanging.
    std::atomic<bool> returned{false};
    std::thread rescue([&] {
        for (int i = 0; i < 3000 && !returned; ++i)
            std::this_thread::sleep_for(10ms);
        if (!returned) {
            PipeReader late(pipe);
            while (!returned)
                std::this_thread::sleep_for(10ms);
        }
    });
    const bool saved = save(pipe, "report\r\n");
    returned = true;
    rescue.join();
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("named pipe that no program is reading from"), std::string::npos) << error;
    EXPECT_EQ(fileType(pipe), static_cast<mode_t>(S_IFIFO));
}

TEST_P(SpecialTargets, FullDeviceNamesItsCauseAndStaysADevice)
{
    // A private copy of /dev/full, so nothing outside the test is at risk.
    const QString node = dir.filePath(QStringLiteral("full"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    EXPECT_FALSE(save(node, std::string(100000, 'x')));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_EQ(fileType(node), static_cast<mode_t>(S_IFCHR));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("full")});
}

// A file size limit stops the write part-way as a full disk does: the short
// count comes first, the cause with the next write.
TEST_P(SpecialTargets, DiskThatStopsTakingDataNamesItsCause)
{
    const QString file = dir.filePath(QStringLiteral("ranges.rtf"));
    writeFile(file, "the old listing");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 10000;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = save(file, std::string(50000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(readFile(file), "the old listing");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("ranges.rtf")});
}

// The child's part of the test below: its exit code says what went wrong.
int saveInPlaceAsAUser(const SaveFn& save, const QString& file, const QString& locked)
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        return 2;
    std::string why;
    if (!save(file.toStdString(), "new content", why)) {
        std::fprintf(stderr, "refused: %s\n", why.c_str());
        return 3;
    }
    if (readFile(file) != "new content" || QDir(locked).entryList(QDir::Files | QDir::Hidden).size() != 1)
        return 4;
    // A failure there is reported with its cause, and costs nothing of the old contents.
    const rlimit small{1000, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &small);
    if (save(file.toStdString(), std::string(5000, 'x'), why) || why.find("File too large") != 0 ||
        why.find("left as it was") == std::string::npos || readFile(file) != "new content") {
        std::fprintf(stderr, "second save: %s\n", why.c_str());
        return 5;
    }
    return 0;
}

// As root every folder may be written, so the save runs in a child process
// as an unprivileged user (or as the user running the test). A size limit
// stands in for a disk that fills up half-way.
TEST_P(SpecialTargets, FileInAFolderThatMayNotBeWrittenIsWrittenInPlaceAndNeverLost)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString locked = dir.filePath(QStringLiteral("locked"));
    const QString file = locked + QStringLiteral("/results.txt");
    writeFile(file, "old");
    const auto mode = [](const QString& p, mode_t m) { ASSERT_EQ(::chmod(QFile::encodeName(p).constData(), m), 0); };
    mode(file, 0666);
    mode(locked, 0555);
    mode(dir.path(), 0755);
    EXPECT_EXIT(std::_Exit(saveInPlaceAsAUser(GetParam().save, file, locked)), ::testing::ExitedWithCode(0), "");
    mode(locked, 0755);
}

// A small file system of the test's own (tmpfs), for a disk that really fills
// up or refuses every write. Mounting needs root; elsewhere the tests skip.
class SmallDisk {
public:
    SmallDisk(const QString& at, const char* options) : path(QFile::encodeName(at))
    {
        if (::mkdir(path.constData(), 0755) != 0 || ::mount("mqtest", path.constData(), "tmpfs", 0, options) != 0)
            why = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (why.empty())
            ::umount2(path.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool makeReadOnly() { return ::mount("mqtest", path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0; }
    QString file(const char* name) const { return QFile::decodeName(path) + QLatin1Char('/') + QLatin1String(name); }
    std::string why;  // empty once mounted

private:
    QByteArray path;
};

#define MOUNT_OR_SKIP(disk)                                                                                            \
    if (!(disk).why.empty())                                                                                           \
    GTEST_SKIP() << "cannot mount a small file system here: " << (disk).why

TEST_P(SpecialTargets, ReadOnlyFileSystemIsNamedAsTheCause)
{
    SmallDisk disk(dir.filePath(QStringLiteral("disk")), "size=64k,mode=0755");
    MOUNT_OR_SKIP(disk);
    const QString old = disk.file("results.txt");
    writeFile(old, "old results");
    ASSERT_TRUE(disk.makeReadOnly()) << std::strerror(errno);
    EXPECT_FALSE(save(old, "new results"));
    EXPECT_EQ(error, "Read-only file system");
    EXPECT_EQ(readFile(old), "old results");
    const QString fresh = disk.file("new.txt");
    EXPECT_FALSE(save(fresh, "new results"));
    EXPECT_EQ(error, "Read-only file system");
    EXPECT_FALSE(QFile::exists(fresh));
}

// The child's part of the test below.
int fillTheDiskAsAUser(const SaveFn& save, const QString& file, const std::string& old)
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
        return 2;
    std::string why;
    // More than the whole disk: written over the old contents it would have cost them.
    if (save(file.toStdString(), std::string(80 * 1024, 'n'), why) || why.find("No space left on device") != 0 ||
        why.find("left as it was") == std::string::npos) {
        std::fprintf(stderr, "too big: %s\n", why.c_str());
        return 3;
    }
    if (readFile(file) != old || QFileInfo(file).dir().entryList(QDir::Files | QDir::Hidden).size() != 1)
        return 4;
    // What fits beside the old contents replaces them.
    const std::string small(8 * 1024, 's');
    if (!save(file.toStdString(), small, why) || readFile(file) != small) {
        std::fprintf(stderr, "small: %s\n", why.c_str());
        return 5;
    }
    return 0;
}

TEST_P(SpecialTargets, DiskThatFillsUpNeverCostsTheOldContentsOfAFileWrittenInPlace)
{
    SmallDisk disk(dir.filePath(QStringLiteral("disk")), "size=64k,mode=0755");
    MOUNT_OR_SKIP(disk);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString locked = disk.file("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString file = locked + QStringLiteral("/ranges.rtf");
    std::string old;
    for (int i = 0; old.size() < 24 * 1024; ++i)
        old += std::to_string(i) + " old\n";
    writeFile(file, old);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0555), 0);
    EXPECT_EXIT(std::_Exit(fillTheDiskAsAUser(GetParam().save, file, old)), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(BothSavers, SpecialTargets, ::testing::ValuesIn(kSavers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileWriter, ReaderThatStopsTakingDataEndsTheSave)
{
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("pipe")));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);  // opened, never read
    ASSERT_GE(reader, 0);
    std::string error;
    const std::string content(1 << 20, 'x');
    EXPECT_FALSE(ui::saveFile(
        pipe.toStdString(), [&](ByteSink& s) { return s.write(content); }, error, 200ms));
    EXPECT_EQ(error, "The program reading from it stopped taking data.");
    ::close(reader);
}

// Maskquill's own windows: the planner's plans and exports, the Classless
// Calculator's CSV listing, and their text reports (the same printer and file
// output as the classic reports, TextReport above).
const Saver kOwnSavers[] = {
    {"OwnWindowReport",
     [](const std::string& path, const std::string& bytes, std::string& error) {
         ui::QtReportOutput output;
         return output.writeDocument(path, bytes, error);
     }},
    {"PlanOrExport", [](const std::string& path, const std::string& bytes,
                        std::string& error) { return ui::QtPlannerServices().writeFile(path, bytes, error); }},
    {"ClasslessCsv",
     [](const std::string& path, const std::string& bytes, std::string& error) {
         return ui::QtCsvTarget().save(
             path, [&bytes](ByteSink& sink) { return sink.write(bytes); }, error);
     }},
};

std::vector<Saver> everySaver()
{
    std::vector<Saver> all(std::begin(kSavers), std::end(kSavers));
    all.insert(all.end(), std::begin(kOwnSavers), std::end(kOwnSavers));
    return all;
}

struct stat statOf(const QString& path)
{
    struct stat st { };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

class EveryWindowFile : public SpecialTargets {
protected:
    QString link(const char* to, const char* name)
    {
        const QString at = dir.filePath(QString::fromLatin1(name));
        EXPECT_EQ(::symlink(to, QFile::encodeName(at).constData()), 0);
        return at;
    }
};

// A link is written through to the file at its end (a chain, a relative one, one
// that points nowhere yet), a file replaced keeps its mode and, where the
// program may give it away, its owner, and a folder is named as what it is.
TEST_P(EveryWindowFile, LinksAreWrittenThroughAndTheOldModeAndOwnerKept)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    const QString target = dir.filePath(QStringLiteral("real/plan.txt"));
    writeFile(target, "old");
    const QByteArray file = QFile::encodeName(target);
    const bool root = ::geteuid() == 0;
    const uid_t uid = root ? 1234 : ::getuid();
    const gid_t gid = root ? 1235 : ::getgid();
    ASSERT_EQ(::chown(file.constData(), uid, gid), 0);
    ASSERT_EQ(::chmod(file.constData(), 0640), 0);
    const QString second = link("real/plan.txt", "second");  // relative to its folder
    const QString first = link(QFile::encodeName(second).constData(), "first");
    const QString dangling = link("real/new.txt", "dangling");
    ASSERT_TRUE(save(first, "new contents")) << error;
    ASSERT_TRUE(save(dangling, "a new file")) << error;
    for (const QString& l : {first, second, dangling})
        EXPECT_TRUE(QFileInfo(l).isSymLink()) << l.toStdString();
    EXPECT_EQ(readFile(target), "new contents");
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("real/new.txt"))), "a new file");
    const struct stat st = statOf(target);
    EXPECT_EQ(std::make_tuple(st.st_mode & 07777, st.st_uid, st.st_gid), std::make_tuple(0640u, uid, gid));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("real"))).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList{QStringLiteral("new.txt"), QStringLiteral("plan.txt")}));
    EXPECT_FALSE(save(link("real", "to-folder"), "x"));
    EXPECT_EQ(error, "It is a folder, not a regular file.");
}

INSTANTIATE_TEST_SUITE_P(AllSavers, EveryWindowFile, ::testing::ValuesIn(everySaver()),
                         [](const auto& info) { return std::string(info.param.name); });

class OwnWindowFile : public EveryWindowFile { };

// Unlike the classic windows' reports, a plan, an export or a CSV listing is a
// file to open again: a folder, a pipe or a device (through a link too) is
// refused with what it is, and left as it was.
TEST_P(OwnWindowFile, WhatIsNotAPlainFileIsRefusedWithWhatItIs)
{
    const std::string pipe = "It is a pipe (FIFO), not a regular file.";
    std::vector<std::pair<QString, std::string>> targets{
        {dir.path(), "It is a folder, not a regular file."}, {makeFifo("pipe"), pipe}, {link("pipe", "to-pipe"), pipe}};
    const QString node = dir.filePath(QStringLiteral("full"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0)
        targets.emplace_back(node, "It is a character device, not a regular file.");
    for (const auto& [path, said] : targets) {
        const struct stat before = statOf(path);
        error.clear();
        EXPECT_FALSE(save(path, "a plan")) << path.toStdString();
        EXPECT_EQ(error, said) << path.toStdString();
        const struct stat after = statOf(path);
        EXPECT_EQ(std::make_pair(after.st_mode, after.st_ino), std::make_pair(before.st_mode, before.st_ino));
    }
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("to-pipe"))).isSymLink());
}

INSTANTIATE_TEST_SUITE_P(OwnSavers, OwnWindowFile, ::testing::ValuesIn(kOwnSavers),
                         [](const auto& info) { return std::string(info.param.name); });

// Limits this process to the memory it holds and 150 MB more.
bool limitMemory()
{
    rlim_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (150u << 20);
    const rlimit as{limit, limit};
    return pages != 0 && ::setrlimit(RLIMIT_AS, &as) == 0;
}

// A plan or an import larger than memory allows is named in the message, not a
// crash of the whole program.
TEST(PlannerRead, FileLargerThanMemoryAllowsIsNamed)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit does not apply under AddressSanitizer";
#endif
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("large.mqplan"));
    QFile sparse(file);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(400 << 20));
    const auto readLimited = [&file] {
        std::string bytes, error;
        if (!limitMemory() || ui::QtPlannerServices().readFile(file.toStdString(), bytes, error))
            return 1;
        return error == "There is not enough memory to read it." ? 0 : 2;
    };
    EXPECT_EXIT(std::_Exit(readLimited()), ::testing::ExitedWithCode(0), "");
}

// The window's Open and list import under a memory limit, each in a child.
// What does not fit is named and the plan open stays as it was; a list is read
// a line at a time, so a line larger than memory allows is only a line left out.
class LimitedPlanner : public ui::QtPlannerServices {
public:
    std::string file, said;
    void message(const std::string& text, MsgIcon) override { said = text; }
    std::optional<std::string> openFileDialog(const std::string&) override { return file; }
};

struct LimitedRead {
    const char* name;
    std::function<void(QFile&)> write;
    bool asList;  // imported as a list of prefixes, else opened as a plan
    const char* said;  // in what the window says, a regular expression
    bool kept;  // the plan stays as it was, else the list's first line is placed
};

void PrintTo(const LimitedRead& r, std::ostream* os)
{
    *os << r.name;
}

void repeat(QFile& f, const std::string& piece, std::size_t times)
{
    std::string block;
    for (std::size_t i = 0; i < 4096; ++i)
        block += piece;
    for (std::size_t i = 0; i < times / 4096; ++i)
        ASSERT_EQ(f.write(block.data(), static_cast<qint64>(block.size())), static_cast<qint64>(block.size()));
}

const LimitedRead kLimitedReads[] = {
    {"PlanWithAKeyLargerThanMemoryAllows",
     [](QFile& f) {
         f.write("{\"");
         repeat(f, "k", 100u << 20);
         f.write("\": 1}\n");
     },
     false, "could not be opened from .*There is not enough memory to read it\\.", true},
    {"ListOfMoreItemsThanMemoryHolds", [](QFile& f) { repeat(f, "10.1.2.3\n", 4u << 20); }, true,
     "could not be read\\..*There is not enough memory to read it\\.", true},
    {"ListWithALineLargerThanMemoryAllows",
     [](QFile& f) {
         f.write("10.1.0.0/24, servers\n");
         f.resize(400 << 20);
     },
     true, "line 2: the line is longer than 65536 bytes", false},
};

class PlannerUnderALimit : public ::testing::TestWithParam<LimitedRead> { };

TEST_P(PlannerUnderALimit, WhatDoesNotFitIsNamedAndThePlanKept)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit does not apply under AddressSanitizer";
#endif
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("large"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        GetParam().write(f);
    }
    const auto readLimited = [&file] {
        LimitedPlanner sv;
        sv.file = file.toStdString();
        planner::PlannerForm form(sv);
        if (!form.allocate(form.plan().root(), "web, 20\n"))
            return 3;
        const std::string before = plan::writeDocument(form.plan());
        if (!limitMemory())
            return 4;
        if (GetParam().asList)
            form.importInUseFile();
        else
            form.openFile(sv.file);
        std::fprintf(stderr, "%s", sv.said.c_str());
        const std::string after = plan::writeDocument(form.plan());
        return GetParam().kept ? (after == before ? 0 : 1)
                               : (after.find("\"10.1.0.0/24\"") != std::string::npos ? 0 : 2);
    };
    EXPECT_EXIT(std::_Exit(readLimited()), ::testing::ExitedWithCode(0), GetParam().said);
}

INSTANTIATE_TEST_SUITE_P(OpenAndImport, PlannerUnderALimit, ::testing::ValuesIn(kLimitedReads),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mq::test
