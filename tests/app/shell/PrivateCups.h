#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/Process.h"
#include "toolkit/core/TempFolder.h"

extern char** environ;

// A CUPS scheduler of the test's own, without root: its configuration, spool and socket live in
// a temporary folder. Its queue "kostrel-test", the default, on A5 paper, has a file for its
// device; a queue without a filter never writes a file device, so the queue's one filter copies
// the job as it is and notes the job's title. The queue "kostrel-closed" accepts no jobs, and
// "-dash" has a name that dialog programs and lp could take for an option.
class PrivateCups {
public:
    static constexpr const char* kQueue = "kostrel-test";
    static constexpr const char* kClosedQueue = "kostrel-closed";
    static constexpr const char* kDashQueue = "-dash";

    ~PrivateCups() { Stop(); }

    std::string Socket() const { return m_folder.File("cups.sock"); }
    std::string Output() const { return m_folder.File("output.pdf"); }
    std::string Title() const { return m_folder.File("record/title"); }

    // Starts cupsd and waits until it lists the queue; false with the reason when it cannot.
    // CUPS_SERVER must name Socket() already.
    bool Start(std::string* why)
    {
        const std::string program = FindCupsd();
        if (program.empty()) {
            *why = "no cupsd is installed (Debian's cups-daemon)";
            return false;
        }
        WriteConfiguration();
        const std::string configuration = m_folder.File("cupsd.conf");
        const std::string files = m_folder.File("cups-files.conf");
        std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("-f"),
                                   const_cast<char*>("-c"), const_cast<char*>(configuration.c_str()),
                                   const_cast<char*>("-s"), const_cast<char*>(files.c_str()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (int descriptor : {0, 1, 2})
            posix_spawn_file_actions_addopen(&actions, descriptor, "/dev/null", O_RDWR, 0);
        const int spawned = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            m_pid = -1;
            *why = "cupsd could not be started";
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                *why = "cupsd ended at once; see " + m_folder.File("log/error_log");
                return false;
            }
            if (w32::process::RunForOutput({"lpstat", "-e"}).output.find(kQueue) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        *why = "cupsd did not answer on its socket";
        Stop();
        return false;
    }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    // Waits until the queue wrote `size` bytes and noted the title; false after 15 s.
    bool WaitForJob(size_t size) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code error;
            if (std::filesystem::exists(Title(), error) && std::filesystem::file_size(Output(), error) == size)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

private:
    static std::string FindCupsd()
    {
        if (access("/usr/sbin/cupsd", X_OK) == 0)
            return "/usr/sbin/cupsd";
        return w32::process::IsOnPath("cupsd") ? "cupsd" : "";
    }

    void WriteConfiguration()
    {
        const std::string root = m_folder.Path().string();
        for (const char* sub : {"spool", "cache", "state", "log", "ppd", "record"})
            std::filesystem::create_directories(m_folder.Path() / sub);
        // Filters run as an unprivileged user when cupsd runs as root.
        chmod(root.c_str(), 0755);
        chmod(m_folder.File("record").c_str(), 0777);
        WriteWholeFile(m_folder.File("cupsd.conf"), "Listen " + Socket() + "\nLogLevel info\nBrowsing No\n");
        WriteWholeFile(m_folder.File("cups-files.conf"),
                       "ServerRoot " + root + "\nStateDir " + root + "/state\nCacheDir " + root +
                           "/cache\nRequestRoot " + root + "/spool\nTempDir " + root + "/spool\nAccessLog " +
                           root + "/log/access_log\nErrorLog " + root + "/log/error_log\nPageLog " + root +
                           "/log/page_log\nFileDevice Yes\n");
        WriteWholeFile(m_folder.File("printers.conf"),
                       std::string("<DefaultPrinter ") + kQueue + ">\nDeviceURI file://" + Output() +
                           "\nState Idle\nAccepting Yes\nOption media iso_a5_148x210mm\n</DefaultPrinter>\n" +
                           "<Printer " + kClosedQueue + ">\nDeviceURI file:///dev/null\nState Idle\nAccepting No\n"
                           "</Printer>\n<Printer " + kDashQueue + ">\nDeviceURI file:///dev/null\nState Idle\n"
                           "Accepting Yes\n</Printer>\n");
        const std::string filter = m_folder.File("copy-filter");
        WriteWholeFile(filter, "#!/bin/sh\nprintf '%s' \"$3\" > " + Title() + "\nexec cat \"$6\"\n");
        chmod(filter.c_str(), 0755);
        WriteWholeFile(m_folder.File(std::string("ppd/") + kQueue + ".ppd"),
                       "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
                       "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"KOSTREL.PPD\"\n"
                       "*Manufacturer: \"Test\"\n*Product: \"(Test)\"\n*ModelName: \"Test\"\n"
                       "*ShortNickName: \"Test\"\n*NickName: \"Test\"\n*PSVersion: \"(3010.000) 0\"\n"
                       "*cupsFilter: \"application/pdf 0 " +
                           filter + "\"\n");
    }

    TempFolder m_folder;
    pid_t m_pid = -1;
};
