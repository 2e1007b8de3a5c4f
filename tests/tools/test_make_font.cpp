// The font tool: it must regenerate the committed screen font exactly, and
// refuse bad command lines without writing anything.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

#ifdef MAKE_FONT_EXE

// Runs make_font with the arguments (no shell, so blanks need no quoting);
// its exit status, or -1 when it did not exit normally.
int RunMakeFont(std::vector<std::string> args) {
    args.insert(args.begin(), MAKE_FONT_EXE);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) execv(argv[0], argv.data()), _exit(127);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kOut = std::filesystem::temp_directory_path() / ("make_font " + std::to_string(getpid()) + ".font");

TEST(MakeFontTool, RegeneratesTheCommittedFontByteForByte) {
    if (!std::filesystem::exists(DEJAVU_SANS_MONO_TTF)) GTEST_SKIP() << DEJAVU_SANS_MONO_TTF << " is not installed";
    ASSERT_EQ(RunMakeFont({"--ttf", DEJAVU_SANS_MONO_TTF, "--out", kOut}), 0);
    auto read = [](const std::string& path) { return (std::stringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str(); };
    EXPECT_TRUE(read(kOut) == read(TABRONA_TEST_RESOURCES "/MenloRegular 8x16.font"))
        << "regenerate resources/MenloRegular 8x16.font with make_font";
    std::filesystem::remove(kOut);
}

TEST(MakeFontTool, RefusesBadCommandLinesWithoutWriting) {
    const std::vector<std::string> refused[] = {
        {}, {"--out", kOut}, {"--ttf", DEJAVU_SANS_MONO_TTF, "--out"},
        {"--ttf", DEJAVU_SANS_MONO_TTF, "--out", kOut, "--bogus", "x"},
        {"--ttf", "/tmp/make_font no such font.ttf", "--out", kOut},
    };
    for (const std::vector<std::string>& args : refused) {
        EXPECT_NE(RunMakeFont(args), 0) << args.size() << " arguments";
        EXPECT_FALSE(std::filesystem::exists(kOut));
    }
}

#else
TEST(MakeFontTool, RegeneratesTheCommittedFontByteForByte) { GTEST_SKIP() << "make_font was not built (no FreeType)"; }
#endif

}  // namespace
