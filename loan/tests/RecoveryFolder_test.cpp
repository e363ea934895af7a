// The folder of recovery copies: each running program's copy is its own, only the copies of
// programs that have ended on this host are offered, and one is taken over by one program only.
#include "loan/RecoveryFolder.h"
#include "loan/tests/OtherProgram.h"
#include "safefile/tests/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <sys/stat.h>

namespace {

using loan::RecoveryFolder;

class RecoveryFolderTest : public TempFolder {
  protected:
    std::string Copy(const std::string& stamp) const { return Path(stamp + ".recovery"); }
    // A copy written seconds ago, so that copies come in the order their programs left them.
    void PutAged(const std::string& path, int secondsAgo) {
        Put(path, "copy");
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::seconds(secondsAgo));
    }
    RecoveryFolder Folder() const { return RecoveryFolder(folder_.string()); }
};

TEST_F(RecoveryFolderTest, OffersOnlyTheCopiesOfProgramsThatHaveEndedHere) {
    const RecoveryFolder folder = Folder();
    OtherProgram running;
    const std::string older = OtherProgram::Ended(), newer = OtherProgram::Ended();
    PutAged(Copy(newer), 10);
    PutAged(Copy(older), 20);
    // Not offered: a running program's, this program's, another machine's (whether its program
    // runs cannot be seen), names that are no stamps, a copy set aside, a write's temporary file.
    for (const std::string& path :
         {Copy(running.Stamp()), folder.OwnCopy(), Copy("77+1@another-machine"),
          Path("notes.recovery"), Path(older + ".recovery.damaged"),
          Path(older + ".recovery.tmp-0-" + older)})
        Put(path, "copy");
    std::filesystem::create_directory(Copy(OtherProgram::Ended()));

    EXPECT_EQ(folder.Leftovers(), (std::vector<std::string>{Copy(older), Copy(newer)}));
    // Once the running program ends, its copy is a leftover too.
    running.End();
    EXPECT_EQ(folder.Leftovers().size(), 3u);
}

TEST_F(RecoveryFolderTest, ALeftoverIsTakenOverOnceUnderThisProgramsName) {
    const RecoveryFolder folder = Folder();
    const std::string leftover = Copy(OtherProgram::Ended());
    Put(leftover, "loans");
    EXPECT_EQ(folder.Claim(leftover), folder.OwnCopy());
    EXPECT_EQ(Contents(folder.OwnCopy()), "loans");
    EXPECT_TRUE(folder.Leftovers().empty());
    // A second program starting at the same moment finds it gone.
    EXPECT_EQ(folder.Claim(leftover), "");
}

TEST_F(RecoveryFolderTest, ADamagedCopyIsSetAsideWithoutReplacingAnother) {
    const RecoveryFolder folder = Folder();
    const std::string stamp = OtherProgram::Ended();
    for (const char* bytes : {"first", "second"}) {
        Put(Copy(stamp), bytes);
        EXPECT_NE(folder.SetAside(Copy(stamp), Copy(stamp)), "");
    }
    EXPECT_EQ(Contents(Path(stamp + ".recovery.damaged")), "first");
    EXPECT_EQ(Contents(Path(stamp + "-1.recovery.damaged")), "second");
    EXPECT_TRUE(folder.Leftovers().empty());
}

TEST_F(RecoveryFolderTest, ItsFolderAndMissingParentsArePrivate) {
    RecoveryFolder folder(Path("state/deeper/dravenholt-loan"));
    ASSERT_EQ(folder.Make(), 0);
    for (const char* made : {"state", "state/deeper", "state/deeper/dravenholt-loan"}) {
        struct stat info {};
        ASSERT_EQ(::stat(Path(made).c_str(), &info), 0) << made;
        EXPECT_EQ(info.st_mode & 07777, 0700u) << made;
    }
    EXPECT_EQ(folder.Make(), 0) << "made already";
    Put(Path("a file"), "");
    EXPECT_EQ(RecoveryFolder(Path("a file")).Make(), ENOTDIR);
}

} // namespace
