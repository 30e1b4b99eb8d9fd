// Loading libraries from the system folder only, against the real loader: a
// library planted beside this test program (its program folder) must never be
// the one that loads, by the helper or, once the search is restricted, by a
// plain LoadLibraryW.
#include "core/SystemLibrary.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vx {
namespace {

using namespace vx::test;

// A name no system folder holds: only the planted copy could answer to it.
constexpr wchar_t kPlantedName[] = L"vxplanted.dll";

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring PlantedLibraryPath() {
    return TestFolder() + L"PlantedLibrary.dll";
}

// The planted library beside this program for one scope, with no record of a load.
class PlantedBesideTheProgram {
public:
    explicit PlantedBesideTheProgram(const std::wstring& name) : path_(TestFolder() + name) {
        Remove();
        planted_ = CopyFileTo(PlantedLibraryPath(), path_);
    }
    ~PlantedBesideTheProgram() { Remove(); }
    PlantedBesideTheProgram(const PlantedBesideTheProgram&) = delete;
    PlantedBesideTheProgram& operator=(const PlantedBesideTheProgram&) = delete;

    bool Planted() const { return planted_; }
    bool Ran() const { return FileExists(RunRecordOf(path_)); }
    void ForgetRun() const { DeleteFileW(RunRecordOf(path_).c_str()); }

private:
    void Remove() const {
        DeleteFileW(path_.c_str());
        ForgetRun();
    }
    std::wstring path_;
    bool planted_ = false;
};

TEST(SystemLibrary, AcceptsOnlyBareFileNames) {
    for (const wchar_t* name : {L"winmm.dll", L"hhctrl.ocx", L"a b.dll"}) EXPECT_TRUE(IsBareFileName(name));
    for (const wchar_t* name :
         {L"", L".", L"..", L"..\\winmm.dll", L"sub/winmm.dll", L"C:winmm.dll", L"C:\\Windows\\System32\\winmm.dll",
          L"\\\\server\\share\\winmm.dll", L"winmm.dll:stream"}) {
        EXPECT_FALSE(IsBareFileName(name)) << Narrow(name);
        EXPECT_EQ(SystemLibraryPath(name), L"") << Narrow(name);
        SystemLibrary library(name);
        EXPECT_EQ(library.Module(), nullptr) << Narrow(name);
    }
}

TEST(SystemLibrary, LoadsFromTheSystemFolderOnceAndNeverFromTheProgramFolder) {
    // A planted copy of a real system library's name, beside the program and in
    // the current directory.
    const PlantedBesideTheProgram planted(L"msimg32.dll");
    ASSERT_TRUE(planted.Planted());
    const std::wstring systemCopy = SystemLibraryPath(L"msimg32.dll");
    ASSERT_TRUE(FileExists(systemCopy));
    SetCurrentDirectoryW(TestFolder().c_str());

    SystemLibrary library(L"msimg32.dll");
    EXPECT_EQ(library.Loaded(), nullptr) << "loaded before first use";
    const HMODULE module = library.Module();
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(SameFile(ModulePath(module), systemCopy)) << Narrow(ModulePath(module));
    EXPECT_FALSE(planted.Ran()) << "the planted copy ran";
    EXPECT_NE(library.Find<FARPROC>("AlphaBlend"), nullptr);
    EXPECT_EQ(library.Find<FARPROC>("NoSuchFunction"), nullptr);
    EXPECT_EQ(library.Module(), module);
    EXPECT_EQ(library.Loads(), 1);
    EXPECT_EQ(library.Attempts(), 1);
}

TEST(SystemLibrary, ANameOnlyTheProgramFolderHoldsIsNotLoadedAndIsTriedAgain) {
    const PlantedBesideTheProgram planted(kPlantedName);
    ASSERT_TRUE(planted.Planted());
    SetCurrentDirectoryW(TestFolder().c_str());
    SystemLibrary library(kPlantedName);
    EXPECT_EQ(library.Module(), nullptr);
    EXPECT_EQ(library.Find<FARPROC>("Anything"), nullptr);
    EXPECT_EQ(library.Attempts(), 2);
    EXPECT_EQ(library.Loads(), 0);
    EXPECT_FALSE(planted.Ran()) << "the helper fell back to the program folder";
}

TEST(SystemLibrary, FindsFunctionsByOrdinal) {
    // comctl32 exports its window subclassing calls by ordinal as well as by name
    // (GetWindowSubclass only by ordinal 411 in some import libraries).
    SystemLibrary library(L"comctl32.dll");
    ASSERT_NE(library.Module(), nullptr);
    const FARPROC byName = library.Find<FARPROC>("GetWindowSubclass");
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(library.Find<FARPROC>(static_cast<WORD>(411)), byName);
}

TEST(SystemLibrary, ThreadsLoadingAtOnceShareOneLoad) {
    SystemLibrary library(L"winhttp.dll");
    std::atomic<bool> go{false};
    std::vector<HMODULE> seen(4);
    std::vector<std::thread> threads;
    for (HMODULE& module : seen)
        threads.emplace_back([&] {
            while (!go) std::this_thread::yield();
            module = library.Module();
        });
    go = true;
    for (std::thread& thread : threads) thread.join();
    ASSERT_NE(seen[0], nullptr);
    for (HMODULE module : seen) EXPECT_EQ(module, seen[0]);
    EXPECT_EQ(library.Loads(), 1);
}

TEST(SystemLibrary, AFolderGivenForTestsLoadsThatFileByItsFullPath) {
    TemporaryFolder folder;
    ASSERT_TRUE(CopyFileTo(PlantedLibraryPath(), folder.Path() + kPlantedName));
    SystemLibrary library(kPlantedName, folder.Path());
    const HMODULE module = library.Module();
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(SameFile(ModulePath(module), folder.Path() + kPlantedName));
    EXPECT_TRUE(FileExists(RunRecordOf(folder.Path() + kPlantedName)));
}

// Last in this program: the restriction holds for the rest of the process.
TEST(RestrictLibrarySearch, LaterLoadsByBareNameNoLongerSearchTheProgramFolder) {
    const PlantedBesideTheProgram planted(kPlantedName);
    ASSERT_TRUE(planted.Planted());
    // Before: Windows finds the planted library beside the program, so this test
    // can tell the difference.
    {
        const UniqueModule before(LoadLibraryW(kPlantedName));
        ASSERT_NE(before.get(), nullptr) << "the planted library did not load even before the restriction";
        EXPECT_TRUE(planted.Ran());
    }
    planted.ForgetRun();

    ASSERT_TRUE(SystemFolderSearchAvailable()) << "this Windows cannot restrict the search";
    EXPECT_EQ(RestrictLibrarySearch(), LibrarySearch::SystemFolderOnly);
    const UniqueModule after(LoadLibraryW(kPlantedName));
    EXPECT_EQ(after.get(), nullptr) << Narrow(ModulePath(after.get()));
    const UniqueModule afterEx(LoadLibraryExW(kPlantedName, nullptr, 0));
    EXPECT_EQ(afterEx.get(), nullptr);
    EXPECT_FALSE(planted.Ran()) << "the planted library ran after the restriction";

    // What the system folder holds still loads by bare name.
    const UniqueModule system(LoadLibraryW(L"winmm.dll"));
    ASSERT_NE(system.get(), nullptr);
    EXPECT_TRUE(SameFile(ModulePath(system.get()), SystemLibraryPath(L"winmm.dll")));
}

} // namespace
} // namespace vx
