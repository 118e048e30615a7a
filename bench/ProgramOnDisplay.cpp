#include "bench/ProgramOnDisplay.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

int64_t CpuNanoseconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    int64_t total = 0;
    DIR* folder = opendir(tasks.c_str());
    if (!folder)
        return -1;
    while (const dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        int64_t running = 0;
        if (stat >> running)
            total += running;
    }
    closedir(folder);
    return total;
}

pid_t Spawn(const std::vector<std::string>& arguments, int keepOpen, bool quiet)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    if (quiet) {
        const int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDOUT_FILENO);
        close(nowhere);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepOpen)
            close(fd);
    execvp(argv[0], argv.data());
    _exit(127);
}

bool RunTool(const std::vector<std::string>& arguments)
{
    const pid_t pid = Spawn(arguments, -1, true);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

int StartDisplay(const std::string& size, pid_t* server)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    *server = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", size + "x24", "-nolisten", "tcp"},
                    fds[1]);
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    return number.empty() ? -1 : std::atoi(number.c_str());
}
