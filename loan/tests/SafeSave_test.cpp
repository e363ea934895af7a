// Saving keeps the user's file whole on every path: the old content or the whole new one, with
// its owner, group, permissions, attributes and other names, whatever the system refuses or fails.
#include "FailingFileSystem.h"
#include "RunUnprivileged.h"
#include "TempFolder.h"
#include "loan/BackupStore.h"
#include "loan/LoanFileWriter.h"
#include "loan/LoanTable.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using loan::LoanFileWriter;
using loan::LoanTable;
using loan_test::FailingFileSystem;

LoanTable TableWith(int loans) {
    LoanTable table;
    for (int i = 0; i < loans; ++i)
        table.WriteLoan(table.Grid.Rows() - 1,
                        {"L" + std::to_string(i), "250000", "25", "60", "7.5", "150000", "40",
                         "6.9", "100000", "Monthly", "$1,500.00", "$18,000.00", "Yes"});
    return table;
}

std::string Bytes(int loans) {
    LoanTable table = TableWith(loans);
    std::ostringstream out;
    LoanFileWriter::Write(out, table.Grid);
    return out.str();
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("<none>") : std::string(value, static_cast<std::size_t>(n));
}

struct Metadata {
    uid_t owner;
    gid_t group;
    mode_t mode;
    nlink_t links;
    std::string note, acl;
    friend bool operator==(const Metadata&, const Metadata&) = default;
    friend void PrintTo(const Metadata& m, std::ostream* out) {
        *out << "owner " << m.owner << ", group " << m.group << ", mode " << std::oct << m.mode
             << std::dec << ", links " << m.links << ", note " << m.note << ", acl "
             << (m.acl == "<none>" ? m.acl : std::to_string(m.acl.size()) + " bytes");
    }
};

Metadata MetadataOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return {info.st_uid,
            info.st_gid,
            info.st_mode & 07777,
            info.st_nlink,
            Attribute(path, "user.note"),
            Attribute(path, "system.posix_acl_access")};
}

// Gives path an ACL entry for the unprivileged user; false where the file system has no ACLs or
// setfacl is missing.
bool AddAclEntry(const std::string& path) {
    const std::string command = "setfacl -m u:" + std::to_string(loan_test::kUnprivilegedId) +
                                ":rw '" + path + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

class SafeSave : public TempFolder {
  protected:
    // A loan file of 3 loans with a user attribute; as root, owned by another user, so a
    // replace must give the new file its owner.
    std::string OldFile(bool hardLinked) {
        const std::string path = Path("loans.loa");
        Put(path, Bytes(3));
        ::chmod(path.c_str(), 0640);
        attributes_ = ::setxattr(path.c_str(), "user.note", "kept", 4, 0) == 0;
        if (::geteuid() == 0 && ::chown(path.c_str(), loan_test::kUnprivilegedId, 0) != 0)
            ADD_FAILURE() << "cannot give the old file to another user";
        if (hardLinked && ::link(path.c_str(), Path("other-name.loa").c_str()) != 0)
            ADD_FAILURE() << "cannot give the old file a second name";
        return path;
    }

    bool attributes_ = false;
};

// Every step of both save paths failed in turn, once or for good, with each error a full disk,
// a quota or a failing device gives: the file keeps its old bytes or gets all the new ones,
// the failure is reported, and nothing is left behind that the message does not name.
TEST_F(SafeSave, EveryFailureKeepsTheOldFileOrWritesTheWholeNewOne) {
    const std::string oldBytes = Bytes(3), newBytes = Bytes(5);
    int failures = 0;
    for (const bool inPlace : {false, true}) {
        for (int op = 0; op < FailingFileSystem::kOps; ++op) {
            for (const int error : {ENOSPC, EIO, EDQUOT}) {
                for (const bool persistent : {false, true}) {
                    for (int nth = 1;; ++nth) {
                        const std::string path = OldFile(inPlace);
                        const Metadata before = MetadataOf(path);
                        FailingFileSystem failing(static_cast<FailingFileSystem::Op>(op), nth,
                                                  error, persistent);
                        LoanTable table = TableWith(5);
                        const auto result = LoanFileWriter::WriteFile(path, table.Grid, failing);
                        const std::string what = std::string(inPlace ? "in place, " : "replace, ") +
                                                 FailingFileSystem::kNames[op] + " call " +
                                                 std::to_string(nth) + ", " + std::strerror(error) +
                                                 (persistent ? ", for good" : "");
                        const std::string now = Contents(path);
                        if (!failing.Fired()) {
                            ASSERT_TRUE(result.ok) << what << ": " << result.error;
                            EXPECT_EQ(now, newBytes) << what;
                            EXPECT_EQ(MetadataOf(path), before) << what;
                        } else if (result.ok) {
                            // Only a failure after the work was done may go unreported.
                            EXPECT_EQ(now, newBytes) << what;
                            EXPECT_EQ(MetadataOf(path), before) << what;
                        } else {
                            ++failures;
                            EXPECT_NE(result.error.find(std::strerror(error)), std::string::npos)
                                << what << ": " << result.error;
                            if (result.fileUnchanged) {
                                EXPECT_EQ(now, oldBytes) << what;
                                EXPECT_EQ(MetadataOf(path), before) << what;
                            } else if (!result.backup.empty()) {
                                EXPECT_EQ(Contents(result.backup), oldBytes) << what;
                                EXPECT_NE(result.error.find(result.backup), std::string::npos)
                                    << what;
                                fs::remove(result.backup);
                            } else {
                                // Replaced, but the folder's sync failed: the new file is whole.
                                EXPECT_EQ(now, newBytes) << what << ": " << result.error;
                                EXPECT_EQ(MetadataOf(path), before) << what;
                            }
                        }
                        const auto expected =
                            inPlace ? std::vector<std::string>{"loans.loa", "other-name.loa"}
                                    : std::vector<std::string>{"loans.loa"};
                        EXPECT_EQ(Entries(), expected) << what << ": no temporary file left";
                        EXPECT_EQ(Backups(), std::vector<std::string>{}) << what;
                        fs::remove(Path("other-name.loa"));
                        if (!failing.Fired()) break;
                    }
                }
            }
        }
    }
    EXPECT_GT(failures, 100);
}

// Root saving a user's file, and the file's ACL and attributes: a replace carries them over.
TEST_F(SafeSave, AReplaceKeepsOwnerGroupModeAclAndAttributes) {
    const std::string path = OldFile(false);
    if (!attributes_) GTEST_SKIP() << "no user attributes on this file system";
    const bool acl = AddAclEntry(path);
    const Metadata before = MetadataOf(path);
    LoanTable table = TableWith(2);
    const auto result = LoanFileWriter::WriteFile(path, table.Grid);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_FALSE(result.inPlace);
    EXPECT_EQ(MetadataOf(path), before);
    EXPECT_EQ(Contents(path), Bytes(2));
    EXPECT_TRUE(acl) << "setfacl (package acl) could not add an entry";
    EXPECT_NE(before.acl, "<none>");
}

// The temporary file inherits the folder's default ACL; the replaced file must not, or the
// loans would be open to users the old file kept out.
TEST_F(SafeSave, AReplaceDoesNotTakeOnTheFoldersDefaultAcl) {
    const std::string path = Path("loans.loa");
    Put(path, Bytes(1));
    ::chmod(path.c_str(), 0600);
    const std::string command = "setfacl -d -m u:" + std::to_string(loan_test::kUnprivilegedId) +
                                ":rw '" + folder_.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "no default ACLs here";
    const Metadata before = MetadataOf(path);
    ASSERT_EQ(before.acl, "<none>");
    LoanTable table = TableWith(2);
    ASSERT_TRUE(LoanFileWriter::WriteFile(path, table.Grid).ok);
    EXPECT_EQ(MetadataOf(path), before);
    // A new file there gets the folder's ACL, as any new file would.
    ASSERT_TRUE(LoanFileWriter::WriteFile(Path("new.loa"), table.Grid).ok);
    EXPECT_NE(MetadataOf(Path("new.loa")).acl, "<none>");
}

// What a replace cannot keep, a rewrite in place does: another user's shared file saved by a
// user who may write it but not give a new file its owner.
TEST_F(SafeSave, AnotherUsersSharedFileKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user";
    ::chmod(folder_.c_str(), 0777);
    const std::string path = Path("shared.loa");
    Put(path, Bytes(3));
    ::chmod(path.c_str(), 0666);
    const Metadata before = MetadataOf(path);
    const std::string outcome = loan_test::RunUnprivileged([&] {
        LoanTable table = TableWith(4);
        const auto result = LoanFileWriter::WriteFile(path, table.Grid);
        return result.ok ? std::string(result.inPlace ? "in place" : "replaced") : result.error;
    });
    EXPECT_EQ(outcome, "in place");
    EXPECT_EQ(MetadataOf(path), before);
    EXPECT_EQ(Contents(path), Bytes(4));
    EXPECT_EQ(Entries(), std::vector<std::string>{"shared.loa"});
    EXPECT_EQ(Backups(), std::vector<std::string>{});
}

TEST_F(SafeSave, AHardLinkedFileStaysOneFileUnderBothNames) {
    const std::string path = OldFile(true);
    LoanTable table = TableWith(2);
    const auto result = LoanFileWriter::WriteFile(path, table.Grid);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.inPlace);
    EXPECT_TRUE(fs::equivalent(path, Path("other-name.loa")));
    EXPECT_EQ(Contents(Path("other-name.loa")), Bytes(2));
}

TEST_F(SafeSave, ADanglingLinkIsFollowedAndStaysALink) {
    fs::create_directory(Path("real"));
    fs::create_symlink("real/new.loa", Path("link.loa"));
    fs::create_symlink("link.loa", Path("link-to-link.loa"));
    LoanTable table = TableWith(1);
    const auto result = LoanFileWriter::WriteFile(Path("link-to-link.loa"), table.Grid);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(fs::is_symlink(Path("link.loa")));
    EXPECT_TRUE(fs::is_symlink(Path("link-to-link.loa")));
    EXPECT_EQ(Contents(Path("real/new.loa")), Bytes(1));

    fs::create_symlink("loop-b.loa", Path("loop-a.loa"));
    fs::create_symlink("loop-a.loa", Path("loop-b.loa"));
    const auto loop = LoanFileWriter::WriteFile(Path("loop-a.loa"), table.Grid);
    EXPECT_FALSE(loop.ok);
    EXPECT_NE(loop.error.find("Too many levels of symbolic links"), std::string::npos)
        << loop.error;
}

// The temporary file has no name while it is written, so a crash leaves nothing; a named one
// left by a process that no longer runs is removed by the next save, one of a running process
// is not.
TEST_F(SafeSave, NoFullSizeTemporaryOutlivesACrash) {
    struct Watch : loan::FileSystem {
        std::function<void()> atSync;
        int Fsync(int fd) override {
            if (atSync) atSync();
            atSync = nullptr;
            return FileSystem::Fsync(fd);
        }
    } watch;
    std::vector<std::string> whileWriting;
    watch.atSync = [&] { whileWriting = Entries(); };
    const std::string path = Path("loans.loa");
    Put(path, Bytes(1));

    pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string stale = "loans.loa.tmp-" + std::to_string(dead) + "-3";
    const std::string running = "loans.loa.tmp-" + std::to_string(::getpid()) + "-99";
    Put(Path(stale), std::string(10000, 'x'));
    Put(Path(running), "y");

    LoanTable table = TableWith(2);
    ASSERT_TRUE(LoanFileWriter::WriteFile(path, table.Grid, watch).ok);
    EXPECT_EQ(whileWriting, (std::vector<std::string>{"loans.loa", running}));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"loans.loa", running}));
}

// A rewrite in place that cannot keep a copy first does not start; one that fails and cannot
// put the old bytes back leaves the copy, and says where.
TEST_F(SafeSave, ARewriteInPlaceNeedsItsBackupCopy) {
    const std::string path = OldFile(true);
    {
        LoanTable table = TableWith(5);
        const auto refused = LoanFileWriter::WriteFile(path, table.Grid, loan::FileSystem::Real(),
                                                       loan::BackupStore("/dev/null/cache"));
        EXPECT_FALSE(refused.ok);
        EXPECT_TRUE(refused.fileUnchanged);
        EXPECT_NE(refused.error.find("no copy of it could be kept first"), std::string::npos)
            << refused.error;
        EXPECT_NE(refused.error.find("Use Save As"), std::string::npos) << refused.error;
        EXPECT_EQ(Contents(path), Bytes(3));
    }

    // The new bytes go in; then nothing reaches the disk any more, so they cannot be put back.
    struct FailingFile : loan::FileSystem {
        int writes = 0;
        ssize_t PWrite(int fd, const void* data, std::size_t size, off_t offset) override {
            if (++writes == 1) return FileSystem::PWrite(fd, data, size, offset);
            errno = EIO;
            return -1;
        }
        int Fsync(int fd) override {
            struct stat info {};
            // Only the file being rewritten; the backup copy is synced as usual.
            if (FileSystem::Fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink > 1) {
                errno = EIO;
                return -1;
            }
            return FileSystem::Fsync(fd);
        }
    } failing;
    LoanTable table = TableWith(5);
    const auto result = LoanFileWriter::WriteFile(path, table.Grid, failing);
    ASSERT_FALSE(result.ok);
    EXPECT_FALSE(result.fileUnchanged) << result.error;
    ASSERT_EQ(Backups().size(), 1u);
    EXPECT_EQ(Contents(result.backup), Bytes(3));
    EXPECT_EQ(loan::BackupStore::ForUser().Leftovers(path),
              std::vector<std::string>{result.backup});
    EXPECT_NE(result.error.find("A copy of it as it was is kept at \"" + result.backup + "\""),
              std::string::npos)
        << result.error;
}

} // namespace
