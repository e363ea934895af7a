// Writing keeps the user's file whole on every path: the old content or the whole new one, with
// its owner, group, permissions, attributes and other names, whatever the system refuses or fails.
#include "FailingFileSystem.h"
#include "RunUnprivileged.h"
#include "TempFolder.h"
#include "safefile/BackupStore.h"
#include "safefile/ProcessStamp.h"
#include "safefile/SafeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using safefile::FileSystem;
using safefile::SafeFile;
using safefile::WriteOutcome;
using safefile::WriteState;
using safefile_test::FailingFileSystem;
using Op = FileSystem::Op;

// Contents of n "records", distinct for each n.
std::string Bytes(int n) {
    std::string bytes;
    for (int i = 0; i < n; ++i)
        bytes += "record " + std::to_string(n) + "." + std::to_string(i) + std::string(100, '.') +
                 "\r";
    return bytes;
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
    const std::string command = "setfacl -m u:" + std::to_string(safefile_test::kUnprivilegedId) +
                                ":rw '" + path + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

class SafeSave : public TempFolder {
  protected:
    void SetUp() override {
        TempFolder::SetUp();
        store_ = std::make_unique<safefile::BackupStore>((cache_ / "store").string(), ".dat");
    }

    WriteOutcome Write(const std::string& path, const std::string& bytes,
                       FileSystem& fs = FileSystem::Real()) {
        return SafeFile::Write(path, bytes, {*store_, fs});
    }

    // A file of 3 records with a user attribute; as root, owned by another user, so a replace
    // must give the new file its owner.
    std::string OldFile(bool hardLinked) {
        const std::string path = Path("data.dat");
        Put(path, Bytes(3));
        ::chmod(path.c_str(), 0640);
        attributes_ = ::setxattr(path.c_str(), "user.note", "kept", 4, 0) == 0;
        if (::geteuid() == 0 && ::chown(path.c_str(), safefile_test::kUnprivilegedId, 0) != 0)
            ADD_FAILURE() << "cannot give the old file to another user";
        if (hardLinked && ::link(path.c_str(), Path("other-name.dat").c_str()) != 0)
            ADD_FAILURE() << "cannot give the old file a second name";
        return path;
    }

    // What a write says the file holds must be what it holds; and the new content, when written,
    // comes with the old file's metadata.
    static void CheckOutcome(const WriteOutcome& result, const std::string& path, const Metadata& before,
                      const std::string& oldBytes, const std::string& newBytes,
                      const std::string& what) {
        const std::string now = Contents(path);
        switch (result.state) {
        case WriteState::Saved:
        case WriteState::Unconfirmed:
            EXPECT_EQ(now, newBytes) << what;
            EXPECT_EQ(MetadataOf(path), before) << what;
            break;
        case WriteState::FailedAsItWas:
        case WriteState::FailedRestored:
            EXPECT_EQ(now, oldBytes) << what;
            EXPECT_EQ(MetadataOf(path), before) << what;
            break;
        case WriteState::FailedCopyKept:
            ASSERT_FALSE(result.backup.empty()) << what;
            EXPECT_EQ(Contents(result.backup), oldBytes) << what;
            EXPECT_NE(result.error.find(result.backup), std::string::npos) << what;
            break;
        case WriteState::Unknown:
            // Nothing is claimed; but the old content is never lost.
            if (now != oldBytes && now != newBytes) {
                ASSERT_FALSE(result.backup.empty()) << what;
                EXPECT_EQ(Contents(result.backup), oldBytes) << what;
            }
            break;
        }
        if (result.state != WriteState::Saved) {
            EXPECT_FALSE(result.error.empty()) << what;
        }
        if (!result.backup.empty()) fs::remove(result.backup);
    }

    std::unique_ptr<safefile::BackupStore> store_;
    bool attributes_ = false;
};

// Every call of the seam failed in turn, once or for good, on both paths: with EIO, and where a
// full disk or a quota shows, with those. The file keeps its old bytes or gets all the new ones,
// the outcome says which, no descriptor stays open and nothing is left behind that the message
// does not name.
TEST_F(SafeSave, EveryFailureKeepsTheOldFileOrWritesTheWholeNewOne) {
    const std::string oldBytes = Bytes(3), newBytes = Bytes(5);
    int failures = 0;
    for (const bool inPlace : {false, true}) {
        for (int o = 0; o < static_cast<int>(Op::kCount); ++o) {
            const auto op = static_cast<Op>(o);
            const bool disk = op == Op::Write || op == Op::PWrite || op == Op::Fsync ||
                              op == Op::Fallocate || op == Op::Ftruncate || op == Op::Close;
            for (const int error : disk ? std::vector<int>{EIO, ENOSPC, EDQUOT} : std::vector{EIO}) {
                for (const bool persistent : {false, true}) {
                    for (int nth = 1;; ++nth) {
                        const std::string path = OldFile(inPlace);
                        const Metadata before = MetadataOf(path);
                        const int descriptors = OpenDescriptors();
                        FailingFileSystem failing(op, nth, error, persistent);
                        const WriteOutcome result = Write(path, newBytes, failing);
                        const std::string what =
                            std::string(inPlace ? "in place, " : "replace, ") + failing.What();
                        if (!failing.Fired()) {
                            EXPECT_TRUE(result.Saved()) << what << result.error;
                        }
                        if (!result.Saved()) ++failures;
                        CheckOutcome(result, path, before, oldBytes, newBytes, what);
                        EXPECT_EQ(OpenDescriptors(), descriptors) << what;
                        // A file system that refuses every removal keeps what it will not remove.
                        if (op != Op::Unlink) {
                            const auto expected =
                                inPlace ? std::vector<std::string>{"data.dat", "other-name.dat"}
                                        : std::vector<std::string>{"data.dat"};
                            EXPECT_EQ(Entries(), expected) << what << ": no temporary file left";
                            EXPECT_EQ(Backups(), std::vector<std::string>{}) << what;
                        }
                        for (const std::string& name : Entries())
                            fs::remove(Path(name));
                        fs::remove_all(cache_ / "store");
                        if (!failing.Fired()) break;
                    }
                }
            }
        }
    }
    EXPECT_GT(failures, 100);
}

// A signal arriving during any call makes it return EINTR; the call is made again and the write
// goes on as if nothing had happened.
TEST_F(SafeSave, AnInterruptedCallIsMadeAgain) {
    const std::string newBytes = Bytes(5);
    for (const bool inPlace : {false, true}) {
        for (int o = 0; o < static_cast<int>(Op::kCount); ++o) {
            for (int nth = 1;; ++nth) {
                const std::string path = OldFile(inPlace);
                const Metadata before = MetadataOf(path);
                FailingFileSystem interrupting(static_cast<Op>(o), nth, EINTR);
                const WriteOutcome result = Write(path, newBytes, interrupting);
                const std::string what =
                    std::string(inPlace ? "in place, " : "replace, ") + interrupting.What();
                EXPECT_TRUE(result.Saved()) << what << ": " << result.error;
                EXPECT_EQ(Contents(path), newBytes) << what;
                EXPECT_EQ(MetadataOf(path), before) << what;
                fs::remove(Path("other-name.dat"));
                if (!interrupting.Fired()) break;
            }
        }
    }
}

// Root writing a user's file, and the file's ACL and attributes: a replace carries them over.
TEST_F(SafeSave, AReplaceKeepsOwnerGroupModeAclAndAttributes) {
    const std::string path = OldFile(false);
    if (!attributes_) GTEST_SKIP() << "no user attributes on this file system";
    const bool acl = AddAclEntry(path);
    const Metadata before = MetadataOf(path);
    const WriteOutcome result = Write(path, Bytes(2));
    ASSERT_TRUE(result.Saved()) << result.error;
    EXPECT_FALSE(result.inPlace);
    EXPECT_EQ(MetadataOf(path), before);
    EXPECT_EQ(Contents(path), Bytes(2));
    EXPECT_TRUE(acl) << "setfacl (package acl) could not add an entry";
    EXPECT_NE(before.acl, "<none>");
}

// Attributes only the system may set (an SELinux label, an NFSv4 ACL) are the system's to give
// a new file: a replace does not try to copy them, so it is not sent down the slow rewrite in
// place, nor failed, by a refusal to set them.
TEST_F(SafeSave, AttributesOnlyTheSystemSetsAreLeftToIt) {
    struct SystemLabels : FailingFileSystem {
        SystemLabels() : FailingFileSystem(Op::kCount, 1, EIO) {}
        int setAttempts = 0;
        ssize_t SysListXattr(const std::string&, char* names, std::size_t size) override {
            static constexpr char kNames[] = "security.selinux\0system.nfs4_acl\0user.note";
            if (size == 0) return sizeof kNames;
            std::memcpy(names, kNames, sizeof kNames);
            return sizeof kNames;
        }
        ssize_t SysGetXattr(const std::string& path, const char* name, void* value,
                            std::size_t size) override {
            if (std::strncmp(name, "user.", 5) == 0)
                return FileSystem::SysGetXattr(path, name, value, size);
            if (size == 0) return 4;
            std::memcpy(value, "x:y", 4);
            return 4;
        }
        int SysFsetXattr(int fd, const char* name, const void* value, std::size_t size) override {
            if (std::strncmp(name, "user.", 5) != 0) {
                ++setAttempts;
                errno = EPERM;
                return -1;
            }
            return FileSystem::SysFsetXattr(fd, name, value, size);
        }
    } labels;
    const std::string path = OldFile(false);
    if (!attributes_) GTEST_SKIP() << "no user attributes on this file system";
    const WriteOutcome result = Write(path, Bytes(2), labels);
    ASSERT_TRUE(result.Saved()) << result.error;
    EXPECT_FALSE(result.inPlace);
    EXPECT_EQ(labels.setAttempts, 0);
    EXPECT_EQ(Attribute(path, "user.note"), "kept");
}

// The temporary file inherits the folder's default ACL; the replaced file must not, or the
// content would be open to users the old file kept out.
TEST_F(SafeSave, AReplaceDoesNotTakeOnTheFoldersDefaultAcl) {
    const std::string path = Path("data.dat");
    Put(path, Bytes(1));
    ::chmod(path.c_str(), 0600);
    const std::string command = "setfacl -d -m u:" +
                                std::to_string(safefile_test::kUnprivilegedId) + ":rw '" +
                                folder_.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "no default ACLs here";
    const Metadata before = MetadataOf(path);
    ASSERT_EQ(before.acl, "<none>");
    ASSERT_TRUE(Write(path, Bytes(2)).Saved());
    EXPECT_EQ(MetadataOf(path), before);
    // A new file there gets the folder's ACL, as any new file would.
    ASSERT_TRUE(Write(Path("new.dat"), Bytes(2)).Saved());
    EXPECT_NE(MetadataOf(Path("new.dat")).acl, "<none>");
}

// What a replace cannot keep, a rewrite in place does: another user's shared file written by a
// user who may write it but not give a new file its owner.
TEST_F(SafeSave, AnotherUsersSharedFileKeepsItsOwner) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user";
    ::chmod(folder_.c_str(), 0777);
    const std::string path = Path("shared.dat");
    Put(path, Bytes(3));
    ::chmod(path.c_str(), 0666);
    const Metadata before = MetadataOf(path);
    const std::string outcome = safefile_test::RunUnprivileged([&] {
        const WriteOutcome result = Write(path, Bytes(4));
        return result.Saved() ? std::string(result.inPlace ? "in place" : "replaced")
                              : result.error;
    });
    EXPECT_EQ(outcome, "in place");
    EXPECT_EQ(MetadataOf(path), before);
    EXPECT_EQ(Contents(path), Bytes(4));
    EXPECT_EQ(Entries(), std::vector<std::string>{"shared.dat"});
    EXPECT_EQ(Backups(), std::vector<std::string>{});
}

TEST_F(SafeSave, AHardLinkedFileStaysOneFileUnderBothNames) {
    const std::string path = OldFile(true);
    const WriteOutcome result = Write(path, Bytes(2));
    ASSERT_TRUE(result.Saved()) << result.error;
    EXPECT_TRUE(result.inPlace);
    EXPECT_TRUE(fs::equivalent(path, Path("other-name.dat")));
    EXPECT_EQ(Contents(Path("other-name.dat")), Bytes(2));
}

TEST_F(SafeSave, ADanglingLinkIsFollowedAndStaysALink) {
    fs::create_directory(Path("real"));
    fs::create_symlink("real/new.dat", Path("link.dat"));
    fs::create_symlink("link.dat", Path("link-to-link.dat"));
    const WriteOutcome result = Write(Path("link-to-link.dat"), Bytes(1));
    ASSERT_TRUE(result.Saved()) << result.error;
    EXPECT_TRUE(fs::is_symlink(Path("link.dat")));
    EXPECT_TRUE(fs::is_symlink(Path("link-to-link.dat")));
    EXPECT_EQ(Contents(Path("real/new.dat")), Bytes(1));

    fs::create_symlink("loop-b.dat", Path("loop-a.dat"));
    fs::create_symlink("loop-a.dat", Path("loop-b.dat"));
    const WriteOutcome loop = Write(Path("loop-a.dat"), Bytes(1));
    EXPECT_EQ(loop.state, WriteState::FailedAsItWas);
    EXPECT_NE(loop.error.find("Too many levels of symbolic links"), std::string::npos)
        << loop.error;
}

// Another user plants a link in the shared temporary folder, at the name this user is about to
// write, pointing at one of this user's own files. The kernel refuses to follow such a link
// (fs.protected_symlinks); the write refuses it too, whatever the kernel's setting, and names it.
TEST_F(SafeSave, ALinkAnotherUserPlantedInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant a link of another user";
    const std::string own = Path("profile");
    Put(own, "root's own file");
    ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
    fs::create_symlink(own, Path("loans.dat"));
    ASSERT_EQ(::lchown(Path("loans.dat").c_str(), safefile_test::kUnprivilegedId,
                       safefile_test::kUnprivilegedId),
              0);
    // A dangling one too: the kernel cannot be asked about a file that is not there.
    fs::create_symlink(Path("created-by-root"), Path("new.dat"));
    ASSERT_EQ(::lchown(Path("new.dat").c_str(), safefile_test::kUnprivilegedId,
                       safefile_test::kUnprivilegedId),
              0);

    const char* const kSetting = "/proc/sys/fs/protected_symlinks";
    std::string setting;
    std::getline(std::ifstream(kSetting), setting);
    for (const char* value : {"1", "0"}) {
        // Where the setting cannot be changed, the test runs at the machine's own.
        std::ofstream(kSetting) << value;
        for (const char* name : {"loans.dat", "new.dat"}) {
            const WriteOutcome result = Write(Path(name), Bytes(2));
            EXPECT_EQ(result.state, WriteState::FailedAsItWas) << name << " at " << value;
            EXPECT_NE(result.error.find("\"" + Path(name) + "\""), std::string::npos)
                << result.error;
        }
        EXPECT_EQ(Contents(own), "root's own file") << value;
        EXPECT_FALSE(fs::exists(Path("created-by-root"))) << value;
    }
    if (!setting.empty()) std::ofstream(kSetting) << setting;

    // The folder's owner's own links are followed, as the kernel follows them.
    ASSERT_EQ(::lchown(Path("loans.dat").c_str(), 0, 0), 0);
    EXPECT_TRUE(Write(Path("loans.dat"), Bytes(2)).Saved());
    EXPECT_EQ(Contents(own), Bytes(2));
}

// The temporary file has no name while it is written, so a crash leaves nothing. A named one
// left by this host's ended process is removed by the next write; one of a running process, or
// of another machine sharing the folder (whose processes cannot be seen from here), is not.
TEST_F(SafeSave, OnlyWhatThisHostsEndedProcessesLeftIsRemoved) {
    struct Watch : FileSystem {
        std::function<void()> atSync;
        int SysFsync(int fd) override {
            if (atSync) atSync();
            atSync = nullptr;
            return FileSystem::SysFsync(fd);
        }
    } watch;
    std::vector<std::string> whileWriting;
    watch.atSync = [&] { whileWriting = Entries(); };
    const std::string path = Path("data.dat");
    Put(path, Bytes(1));

    const std::string own = safefile::ProcessStamp::Own().Text();
    const std::string host = own.substr(own.find('@') + 1);
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string stale = "data.dat.tmp-3-" + std::to_string(dead) + "+1@" + host;
    const std::string running = "data.dat.tmp-9-" + own;
    const std::string reused = "data.dat.tmp-4-" + std::to_string(::getpid()) + "+1@" + host;
    const std::string remote = "data.dat.tmp-5-" + std::to_string(dead) + "+1@other-machine";
    for (const std::string& name : {stale, running, reused, remote})
        Put(Path(name), std::string(10000, 'x'));

    ASSERT_TRUE(Write(path, Bytes(2), watch).Saved());
    std::vector<std::string> kept = {"data.dat", remote, running};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(whileWriting, kept);
    EXPECT_EQ(Entries(), kept);
}

// Two windows rewriting the same file in the same second keep a copy each: a name already taken
// is never replaced, and each removes only its own copy.
TEST_F(SafeSave, EachBackupCopyTakesANameOfItsOwn) {
    const std::string path = OldFile(false);
    FileSystem& real = FileSystem::Real();
    std::string why;
    const std::string first = store_->Save(real, path, "first", why);
    const std::string second = store_->Save(real, path, "second", why);
    ASSERT_FALSE(first.empty()) << why;
    ASSERT_FALSE(second.empty()) << why;
    EXPECT_NE(first, second);

    // A file system without a rename that refuses to replace takes the name by a second link.
    struct NoExclusiveRename : FailingFileSystem {
        NoExclusiveRename() : FailingFileSystem(Op::RenameNoReplace, 1, EINVAL, true) {}
    } oldKernel;
    const std::string third = store_->Save(oldKernel, path, "third", why);
    ASSERT_FALSE(third.empty()) << why;
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
    EXPECT_EQ(Contents(first), "first");
    EXPECT_EQ(Contents(second), "second");
    EXPECT_EQ(Contents(third), "third");
    EXPECT_EQ(store_->Leftovers(path).size(), 3u);
    store_->Remove(real, second);
    EXPECT_EQ(store_->Leftovers(path), (std::vector<std::string>{first, third}));
}

// A rewrite in place that cannot keep a copy first does not start; one that fails and cannot
// put the old bytes back leaves the copy, and says where.
TEST_F(SafeSave, ARewriteInPlaceNeedsItsBackupCopy) {
    const std::string path = OldFile(true);
    {
        const safefile::BackupStore nowhere("/dev/null/cache", ".dat");
        const WriteOutcome refused = SafeFile::Write(path, Bytes(5), {nowhere});
        EXPECT_EQ(refused.state, WriteState::FailedAsItWas);
        EXPECT_NE(refused.error.find("no copy of it could be kept first"), std::string::npos)
            << refused.error;
        EXPECT_NE(refused.error.find("Use Save As"), std::string::npos) << refused.error;
        EXPECT_EQ(Contents(path), Bytes(3));
    }

    // The new bytes go in; then nothing reaches the disk any more, so they cannot be put back.
    struct FailingFile : FileSystem {
        int writes = 0;
        ssize_t SysPWrite(int fd, const void* data, std::size_t size, off_t offset) override {
            if (++writes == 1) return FileSystem::SysPWrite(fd, data, size, offset);
            errno = EIO;
            return -1;
        }
        int SysFsync(int fd) override {
            struct stat info {};
            // Only the file being rewritten; the backup copy is synced as usual.
            if (FileSystem::SysFstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                info.st_nlink > 1) {
                errno = EIO;
                return -1;
            }
            return FileSystem::SysFsync(fd);
        }
    } failing;
    const WriteOutcome result = Write(path, Bytes(5), failing);
    ASSERT_EQ(result.state, WriteState::FailedCopyKept) << result.error;
    ASSERT_EQ(Backups().size(), 1u);
    EXPECT_EQ(Contents(result.backup), Bytes(3));
    EXPECT_EQ(store_->Leftovers(path), std::vector<std::string>{result.backup});
    EXPECT_NE(result.error.find("A copy of it as it was is kept at \"" + result.backup + "\""),
              std::string::npos)
        << result.error;
}

// After a failed rewrite the file is read back to see what it holds. If even that fails, for
// want of memory or of a readable file, nothing may claim that the file is as it was.
TEST_F(SafeSave, AReadBackThatFailsClaimsNothing) {
    for (const int error : {0, EIO}) {
        // The write fails; then every read of the file fails too.
        struct FailingRewrite : FailingFileSystem {
            // Reading the old bytes takes two reads, the second one finding the end.
            explicit FailingRewrite(int error) : FailingFileSystem(Op::PRead, 3, error, true) {}
            ssize_t SysPWrite(int, const void*, std::size_t, off_t) override {
                errno = ENOSPC;
                return -1;
            }
        } failing(error);
        const std::string path = OldFile(true);
        const int descriptors = OpenDescriptors();
        const WriteOutcome result = Write(path, Bytes(5), failing);
        EXPECT_EQ(result.state, WriteState::Unknown) << failing.What() << ": " << result.error;
        ASSERT_FALSE(result.backup.empty()) << result.error;
        EXPECT_EQ(Contents(result.backup), Bytes(3));
        EXPECT_NE(result.error.find(result.backup), std::string::npos) << result.error;
        EXPECT_EQ(OpenDescriptors(), descriptors);
        fs::remove(result.backup);
        fs::remove(Path("other-name.dat"));
    }
}

} // namespace
