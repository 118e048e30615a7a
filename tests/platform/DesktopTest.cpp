#include <gtest/gtest.h>

#include <errno.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "DialogStandIns.h"
#include "HeadlessFixture.h"
#include "TestWindows.h"
#include "platform/DesktopInternal.h"
#include "platform/FileDialogs.h"
#include "platform/Kernel.h"
#include "platform/KnownFolders.h"
#include "platform/Process.h"
#include "platform/Queue.h"
#include "platform/Shell.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/core/TempFolder.h"

namespace {

using w32::desktop::tFileDialogAnswer;

tFileDialogAnswer Chosen(const std::u16string& path)
{
    return tFileDialogAnswer{tFileDialogAnswer::kChosen, path, 0};
}

const char16_t kFilter[] = u"PNG Image (*.png)\0*.png\0Pictures\0*.bmp;*.JPG\0All Files (*.*)\0*.*\0";

class DialogTest : public HeadlessTest {
protected:
    w32::OPENFILENAMEW Dialog()
    {
        w32::OPENFILENAMEW dialog;
        dialog.lpstrFile = file;
        dialog.nMaxFile = 64;
        dialog.lpstrFilter = kFilter;
        dialog.nFilterIndex = 1;
        return dialog;
    }

    char16_t file[64] = u"/pictures/start.png";
};

TEST_F(DialogTest, TheDialogIsAskedWithTheFiltersAndStartingFile)
{
    w32::headless::ScriptFileDialog(Chosen(u"/pictures/sky.jpg"));
    w32::OPENFILENAMEW dialog = Dialog();
    dialog.Flags = w32::OFN_FILEMUSTEXIST;
    ASSERT_NE(w32::GetOpenFileNameW(&dialog), 0);
    EXPECT_EQ(std::u16string(file), u"/pictures/sky.jpg");
    // The filter is the one whose patterns match the chosen name, regardless of case.
    EXPECT_EQ(dialog.nFilterIndex, 2u);
    EXPECT_EQ(dialog.nFileExtension, 14);

    const auto requests = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].initialFile, u"/pictures/start.png");
    ASSERT_EQ(requests[0].filters.size(), 3u);
    EXPECT_EQ(requests[0].filters[1].name, u"Pictures");
    EXPECT_EQ(requests[0].filters[1].patterns, (std::vector<std::u16string>{u"*.bmp", u"*.JPG"}));
}

TEST_F(DialogTest, SavingAddsTheDefaultExtensionAndInfersTheFilter)
{
    w32::headless::ScriptFileDialog(Chosen(u"/pictures/untitled"));
    w32::headless::ScriptFileDialog(Chosen(u"/pictures/notes.txt"));
    w32::OPENFILENAMEW dialog = Dialog();
    dialog.Flags = w32::OFN_OVERWRITEPROMPT;
    dialog.lpstrDefExt = u"png";
    ASSERT_NE(w32::GetSaveFileNameW(&dialog), 0);
    EXPECT_EQ(std::u16string(file), u"/pictures/untitled.png");
    EXPECT_EQ(dialog.nFilterIndex, 1u);
    ASSERT_NE(w32::GetSaveFileNameW(&dialog), 0);
    EXPECT_EQ(std::u16string(file), u"/pictures/notes.txt");
    EXPECT_EQ(dialog.nFilterIndex, 3u);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests()[0].confirmOverwrite);
}

TEST_F(DialogTest, CancelAndFailuresLeaveTheNameAlone)
{
    w32::OPENFILENAMEW dialog = Dialog();
    EXPECT_EQ(w32::GetOpenFileNameW(&dialog), 0);
    EXPECT_EQ(w32::CommDlgExtendedError(), 0u);
    EXPECT_EQ(std::u16string(file), u"/pictures/start.png");

    w32::headless::ScriptFileDialog(Chosen(u"/" + std::u16string(80, u'x')));
    EXPECT_EQ(w32::GetOpenFileNameW(&dialog), 0);
    EXPECT_EQ(w32::CommDlgExtendedError(), w32::FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(std::u16string(file), u"/pictures/start.png");

    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kFailed, u"", w32::CDERR_DIALOGFAILURE});
    EXPECT_EQ(w32::GetSaveFileNameW(&dialog), 0);
    EXPECT_EQ(w32::CommDlgExtendedError(), w32::CDERR_DIALOGFAILURE);

    // A name buffer without its terminator is refused before anything is shown.
    std::fill(std::begin(file), std::end(file), u'a');
    EXPECT_EQ(w32::GetOpenFileNameW(&dialog), 0);
    EXPECT_EQ(w32::CommDlgExtendedError(), w32::FNERR_INVALIDFILENAME);
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 3u);
}

// The desktop's dialog program (a stand-in alone on PATH) for a user whose home, configuration
// and other folders are the test's own.
class DialogFolderTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        w32::desktop::UseScriptedAnswers(false);
        for (const char* made : {"home/Papers", "config", "other", "third"})
            std::filesystem::create_directories(folder.Path() / made);
        environment.Set("HOME", folder.File("home"));
        environment.Set("XDG_CONFIG_HOME", folder.File("config"));
        environment.Unset("XDG_DOCUMENTS_DIR");
    }
    // The argument the dialog program was started with that names where it starts.
    std::string StartOfDialog(bool save, const std::u16string& start)
    {
        char16_t file[w32::MAX_PATH] = {};
        start.copy(file, w32::MAX_PATH - 1);
        w32::OPENFILENAMEW dialog;
        dialog.lpstrFile = file;
        dialog.nMaxFile = w32::MAX_PATH;
        EXPECT_NE(save ? w32::GetSaveFileNameW(&dialog) : w32::GetOpenFileNameW(&dialog), 0);
        const std::vector<std::string> arguments = standIns.TakeArguments();
        const auto named = std::find_if(arguments.begin(), arguments.end(),
                                        [](const std::string& a) { return a.rfind("--filename=", 0) == 0; });
        return named == arguments.end() ? "(none)" : named->substr(11);
    }
    std::string Documents()
    {
        char16_t path[w32::MAX_PATH];
        if (w32::SHGetFolderPathW(nullptr, w32::CSIDL_PERSONAL, nullptr, 0, path) != w32::S_OK)
            return "(none)";
        const std::u16string wide(path);
        return std::string(wide.begin(), wide.end());
    }

    TempFolder folder;
    ScopedEnvironment environment;
    DialogStandIns standIns{true};
};

TEST_F(DialogFolderTest, ANameWithoutAFolderStartsWhereTheLastFileWasNotedElseInTheDocuments)
{
    const std::string dirs = folder.File("config/user-dirs.dirs");
    WriteWholeFile(dirs, "# xdg-user-dirs\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    standIns.Install("zenity", "printf '%s\\n' '" + folder.File("other/preset.kcp") + "'");
    EXPECT_EQ(StartOfDialog(true, u"Untitled.ptg"), folder.File("home/Papers/Untitled.ptg"));
    // A file chosen in a dialog (a preset, say) moves nothing: only noted files do.
    EXPECT_EQ(StartOfDialog(false, u""), folder.File("home/Papers") + "/");
    EXPECT_EQ(StartOfDialog(true, u"pic.ptg"), folder.File("home/Papers/pic.ptg"));
    const std::string opened = folder.File("third/start.ptg");
    w32::SHAddToRecentDocs(w32::SHARD_PATHW, std::u16string(opened.begin(), opened.end()).c_str());
    EXPECT_EQ(StartOfDialog(true, u"start.ptg"), opened);
    EXPECT_EQ(StartOfDialog(false, u""), folder.File("third") + "/");
    EXPECT_EQ(StartOfDialog(true, u"/elsewhere/given.ptg"), "/elsewhere/given.ptg");

    // The documents: the file's folder where it names one, else the environment's, else home.
    std::filesystem::create_directories(folder.Path() / "home/My \"Papers\"");
    const std::string other = folder.File("other");
    const struct {
        std::string text, variable, expected;
    } cases[] = {
        {"XDG_DOCUMENTS_DIR=\"" + other + "\"\n", "", other},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Papers\\\"\"", "", folder.File("home/My \"Papers\"")},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\nXDG_DOCUMENTS_DIR=\"$HOME/Missing\"\n", "", folder.File("home/Papers")},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Papers", other, other},
        {"XDG_DOCUMENTS_DIR=\"Papers\"\n", other, other},
        {"XDG_DOCUMENTS_DIR=\"$HOMEPapers\"\n", "", folder.File("home")},
        {"XDG_DOCUMENTS_DIR=$HOME/Papers\n", "Papers", folder.File("home")},
        {"(pipe)", other, other},
        {"(missing)", "", folder.File("home")},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dirs);
        if (c.text == "(pipe)")
            ASSERT_EQ(mkfifo(dirs.c_str(), 0600), 0);
        else if (c.text != "(missing)")
            WriteWholeFile(dirs, c.text);
        c.variable.empty() ? environment.Unset("XDG_DOCUMENTS_DIR") : environment.Set("XDG_DOCUMENTS_DIR", c.variable);
        EXPECT_EQ(Documents(), c.expected) << c.text;
    }
}

TEST_F(DialogFolderTest, WithoutAUsableHomeTheDialogsStartInTheHomeOfThePasswordDatabase)
{
    const passwd* user = getpwuid(getuid());
    ASSERT_TRUE(user && std::filesystem::is_directory(user->pw_dir)) << "the test needs a user with a home folder";
    standIns.Install("zenity", "printf '%s\\n' '" + folder.File("other/pic.ptg") + "'");
    for (const char* home : {"(unset)", "", "home", "/no/such/home"}) {
        home == std::string("(unset)") ? environment.Unset("HOME") : environment.Set("HOME", home);
        EXPECT_EQ(Documents(), user->pw_dir) << home;
        EXPECT_EQ(StartOfDialog(true, u"Untitled.ptg"), std::string(user->pw_dir) + "/Untitled.ptg") << home;
    }
}

TEST_F(HeadlessTest, ShellOpensAreScripted)
{
    EXPECT_EQ(w32::ShellExecuteW(nullptr, u"open", u"https://example.org/", nullptr, nullptr, 1), 33);
    w32::headless::ScriptShellOpen(w32::SE_ERR_NOASSOC);
    EXPECT_EQ(w32::ShellExecuteW(nullptr, nullptr, u"/tmp/a.pdf", nullptr, nullptr, 1), w32::SE_ERR_NOASSOC);
    EXPECT_EQ(w32::ShellExecuteW(nullptr, u"print", u"/tmp/a.pdf", nullptr, nullptr, 1), w32::SE_ERR_NOASSOC);
    EXPECT_EQ(w32::ShellExecuteW(nullptr, u"open", u"", nullptr, nullptr, 1), w32::SE_ERR_FNF);
    EXPECT_EQ(w32::headless::TakeShellOpens(), (std::vector<std::u16string>{u"https://example.org/", u"/tmp/a.pdf"}));
}

TEST(DesktopOpen, MissingFilesAreReportedBeforeAnythingStarts)
{
    // Without the headless platform the desktop opener runs: a missing file never reaches it.
    EXPECT_EQ(w32::ShellExecuteW(nullptr, u"open", u"/no/such/folder/a.png", nullptr, nullptr, 1), w32::SE_ERR_PNF);
    EXPECT_EQ(w32::ShellExecuteW(nullptr, u"open", u"/tmp/kostrel-no-such-file.png", nullptr, nullptr, 1),
              w32::SE_ERR_FNF);
}

// The desktop's opener may run the web browser until the user closes it: it is not waited for,
// each open answers a number of its own above 32, and a failure the opener reports later comes to
// the owner with that number, an end by a signal too; a success says nothing.
TEST_F(HeadlessTest, TheDesktopsOpenerIsNotWaitedForAndItsLateFailureComesToTheOwner)
{
    DialogStandIns standIns(false);
    const std::string release = standIns.File("release");
    standIns.Install("xdg-open", "case \"$1\" in *fail) while [ ! -e " + release +
                                     " ]; do sleep 0.05; done; exit 3;; *killed) kill -KILL $$;; esac");
    const w32::HWND owner = MakeTestWindow(u"OpenerOwner", {0, 0, 100, 100});
    w32::desktop::UseScriptedAnswers(false);
    const intptr_t opened = w32::ShellExecuteW(owner, u"open", u"https://example.org/opened", nullptr, nullptr, 1);
    const intptr_t failing = w32::ShellExecuteW(owner, u"open", u"https://example.org/fail", nullptr, nullptr, 1);
    EXPECT_GT(opened, 32);
    const intptr_t killed = w32::ShellExecuteW(owner, u"open", u"https://example.org/killed", nullptr, nullptr, 1);
    EXPECT_GT(failing, opened);
    EXPECT_GT(killed, failing);
    // The failing open ends once the other has started: both have told their arguments then.
    for (int wait = 0; wait < 2000 && ReadWholeFile(standIns.File("arguments")).find("opened") == std::string::npos;
         ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    WriteWholeFile(release, "");

    // The failures told, as (answer, failure).
    std::vector<std::pair<intptr_t, intptr_t>> told;
    for (int wait = 0; wait < 2000 && told.size() < 2; ++wait) {
        w32::MSG message{};
        if (w32::PeekMessageW(&message, owner, w32::kMsgShellOpenFailed, w32::kMsgShellOpenFailed, w32::PM_REMOVE))
            told.emplace_back(intptr_t(message.lParam), intptr_t(message.wParam));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::sort(told.begin(), told.end());
    EXPECT_EQ(told, (std::vector<std::pair<intptr_t, intptr_t>>{{failing, w32::SE_ERR_NOASSOC},
                                                                {killed, w32::SE_ERR_DDEFAIL}}));
    w32::MSG message{};
    EXPECT_FALSE(w32::PeekMessageW(&message, owner, w32::kMsgShellOpenFailed, w32::kMsgShellOpenFailed, w32::PM_REMOVE));
    std::vector<std::string> arguments = standIns.TakeArguments();
    std::sort(arguments.begin(), arguments.end());
    EXPECT_EQ(arguments, (std::vector<std::string>{"https://example.org/fail", "https://example.org/killed",
                                                   "https://example.org/opened"}));
}

TEST(Process, ProgramsRunWithAnArgumentVector)
{
    EXPECT_TRUE(w32::process::IsOnPath("sh"));
    EXPECT_FALSE(w32::process::IsOnPath("no-such-program-here"));
    EXPECT_FALSE(w32::process::IsOnPath("/bin/sh"));
    // The argument reaches the program whole, quotes and semicolons included.
    const auto echoed = w32::process::RunForOutput({"printf", "%s", "a b'; exit 3"});
    EXPECT_TRUE(echoed.finished);
    EXPECT_EQ(echoed.exitCode, 0);
    EXPECT_EQ(echoed.output, "a b'; exit 3");
    const auto failed = w32::process::RunForExitCode({"sh", "-c", "exit 4"}, 5000);
    EXPECT_TRUE(failed.finished);
    EXPECT_EQ(failed.exitCode, 4);
    const auto slow = w32::process::RunForExitCode({"sleep", "2"}, 50);
    EXPECT_TRUE(slow.started);
    EXPECT_FALSE(slow.finished);
    EXPECT_FALSE(w32::process::RunForOutput({"no-such-program-here"}).started);
}

// A service whose descriptor is a pipe that the program writes into as it runs.
struct PipeService : w32::process::IWaitService {
    PipeService() { EXPECT_EQ(pipe(ends), 0); }
    ~PipeService() override
    {
        close(ends[0]);
        close(ends[1]);
    }
    void Started(int processId) override { started = processId; }
    std::vector<int> Descriptors() override { return {ends[0]}; }
    bool IsWaiting(int) override { return waiting; }
    void Serve(int descriptor) override
    {
        ++served;
        waiting = false;
        char buffer[64];
        pollfd readable{descriptor, POLLIN, 0};
        if (poll(&readable, 1, 0) == 1)
            heard.append(buffer, size_t(std::max<ssize_t>(read(descriptor, buffer, sizeof buffer), 0)));
    }

    int ends[2] = {-1, -1};
    int started = 0;
    int served = 0;
    bool waiting = true;
    std::string heard;
};

// While the program runs, what comes on the service's descriptor is served as it comes, and what
// the service holds already is served without waiting; at idle nothing is.
TEST(Process, AWaitServesWhatComesBesideTheOutput)
{
    PipeService service;
    const std::string writer = " >&" + std::to_string(service.ends[1]);
    const auto result = w32::process::RunForOutput(
        {"sh", "-c", "printf $$; sleep 0.3; echo one" + writer + "; sleep 0.3; echo two" + writer + "; sleep 0.3"},
        &service);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(std::to_string(service.started), result.output);
    EXPECT_EQ(service.heard, "one\ntwo\n");
    EXPECT_GE(service.served, 3);
    EXPECT_LE(service.served, 5) << "served while nothing came";
}

// Stand-ins for the dialog programs, alone on PATH, that end with the code given.
class DesktopMessageBoxTest : public ::testing::Test {
protected:
    void Install(const std::string& program, int exitCode)
    {
        standIns.Install(program, "exit " + std::to_string(exitCode));
    }

    DialogStandIns standIns{true};
};

TEST_F(DesktopMessageBoxTest, TheDesktopsDialogProgramShowsTheTextAsItIs)
{
    EXPECT_FALSE(w32::desktop::RunDesktopMessageBox(u"Title", u"Text", false)) << "no program on PATH";
    // The stand-ins need nothing else from PATH: sh by its full path, printf built in.
    Install("zenity", 0);
    EXPECT_TRUE(w32::desktop::RunDesktopMessageBox(u"Unreadable File", u"Not <b>a</b> painting & more", false));
    EXPECT_EQ(standIns.TakeArguments(), (std::vector<std::string>{"--info", "--no-markup", "--title=Unreadable File",
                                                                  "--text=Not <b>a</b> painting & more"}));
    Install("zenity", 1);
    EXPECT_TRUE(w32::desktop::RunDesktopMessageBox(u"T", u"closed by its window button", true));
    EXPECT_EQ(standIns.TakeArguments().front(), "--error");
    Install("zenity", 255);
    EXPECT_FALSE(w32::desktop::RunDesktopMessageBox(u"T", u"no display", false));
    EXPECT_EQ(standIns.TakeArguments().front(), "--info");

    Install("kdialog", 0);
    standIns.SetDesktop("KDE");
    EXPECT_TRUE(w32::desktop::RunDesktopMessageBox(u"Title", u"Text", true));
    EXPECT_EQ(standIns.TakeArguments(), (std::vector<std::string>{"--title", "Title", "--error", "Text"}));
    EXPECT_TRUE(w32::desktop::RunDesktopMessageBox(u"Title", u"Text", false));
    EXPECT_EQ(standIns.TakeArguments(), (std::vector<std::string>{"--title", "Title", "--msgbox", "Text"}));
}

bool IsGone(const std::string& pidText)
{
    const pid_t pid = pid_t(std::stol(pidText));
    return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
}

// Gone, or ended and waiting for a parent to collect it.
bool HasEnded(const std::string& pidText)
{
    const std::string stat = ReadWholeFile("/proc/" + std::to_string(std::stol(pidText)) + "/stat");
    const size_t name = stat.rfind(')');
    return IsGone(pidText) || (name != std::string::npos && stat.compare(name, 3, ") Z") == 0);
}

TEST(Process, ProgramsPastTheirTimeAreEndedAndReaped)
{
    // What it printed before its time ran out comes back; the program itself is gone. The time is
    // long enough for a shell to start and print on a loaded machine, far short of the sleep.
    constexpr uint32_t kTime = 2000;
    const auto listed = w32::process::RunForOutput({"sh", "-c", "echo $$; exec sleep 30"}, kTime);
    EXPECT_TRUE(listed.started);
    EXPECT_FALSE(listed.finished);
    ASSERT_FALSE(listed.output.empty());
    EXPECT_TRUE(IsGone(listed.output));

    // A program that closes its output but keeps running is ended too.
    const auto silent = w32::process::RunForOutput({"sh", "-c", "echo $$; exec sleep 30 >&-"}, kTime);
    EXPECT_FALSE(silent.finished);
    EXPECT_TRUE(IsGone(silent.output));

    // One that ignores the request to end is forced.
    TempFolder folder;
    const std::string pidFile = folder.File("pid");
    const auto stubborn =
        w32::process::RunToEnd({"sh", "-c", "trap '' TERM; echo $$ > " + pidFile + "; while :; do sleep 0.05; done"}, kTime);
    EXPECT_TRUE(stubborn.started);
    EXPECT_FALSE(stubborn.finished);
    EXPECT_TRUE(IsGone(ReadWholeFile(pidFile)));

    // Within their time both answer as the plain calls do.
    const auto quick = w32::process::RunForOutput({"sh", "-c", "printf ok; exit 3"}, 5000);
    EXPECT_TRUE(quick.finished);
    EXPECT_EQ(quick.exitCode, 3);
    EXPECT_EQ(quick.output, "ok");
    const auto done = w32::process::RunToEnd({"sh", "-c", "exit 5"}, 5000);
    EXPECT_TRUE(done.finished);
    EXPECT_EQ(done.exitCode, 5);
}

// A program waited for, a dialog, ends with the program however that ends: one ended while it
// waits leaves no dialog behind.
TEST(Process, AProgramWaitedForEndsWithTheProgram)
{
    TempFolder folder;
    const std::string pidFile = folder.File("pid");
    const pid_t program = fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        w32::process::RunForOutput({"sh", "-c", "echo $$ >" + pidFile + ".new; mv " + pidFile + ".new " + pidFile +
                                                    "; exec sleep 30"});
        _exit(0);
    }
    for (int i = 0; i < 500 && access(pidFile.c_str(), F_OK) != 0; ++i)
        usleep(10000);
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    const std::string dialog = ReadWholeFile(pidFile);
    ASSERT_FALSE(dialog.empty());
    bool ended = false;
    for (int i = 0; i < 200 && !(ended = HasEnded(dialog)); ++i)
        usleep(10000);
    EXPECT_TRUE(ended);
    if (!ended)
        kill(pid_t(std::stol(dialog)), SIGKILL);
}

}  // namespace
