// Starting the crash driver with standard output in a file and standard error in a pipe.
#include "child_process.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// A driver still running after this long is stuck (a filter that never ends) and is killed.
constexpr int kChildLimitSeconds = 10;

long long ms_since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string read_whole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void take_chunk(ChildRun* run, const char* data, size_t count, Clock::time_point start) {
    run->arrivals.push_back({run->error.size(), ms_since(start)});
    run->error.append(data, count);
}

#ifdef _WIN32

std::string own_directory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::string(path, length)).parent_path().string();
}

std::string command_line(const std::string& program, const std::vector<std::string>& args) {
    std::string line = "\"" + program + "\"";
    for (const std::string& arg : args) line += " \"" + arg + "\"";
    return line;
}

// Reads the pipe as data arrives (polling, so a stuck child can be killed) until the child
// has ended and the pipe is drained.
void collect_until_exit(HANDLE pipe, HANDLE process, Clock::time_point start, ChildRun* run) {
    char buffer[4096];
    for (;;) {
        DWORD available = 0, count = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) break;
        if (available > 0 && ReadFile(pipe, buffer, sizeof buffer, &count, nullptr)) {
            take_chunk(run, buffer, count, start);
            continue;
        }
        if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0) continue;  // drain what is left
        if (ms_since(start) > kChildLimitSeconds * 1000) TerminateProcess(process, 99);
    }
    WaitForSingleObject(process, INFINITE);
}

void start_and_collect(const std::vector<std::string>& args, const std::string& work_dir,
                       const std::string& output_path, ChildRun* run) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read_end, write_end;
    CreatePipe(&read_end, &write_end, &inherit, 0);
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    HANDLE output = CreateFileA(output_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = write_end;
    std::string program = own_directory() + "\\crash_driver.exe";
    std::string line = command_line(program, args);
    PROCESS_INFORMATION process = {};
    Clock::time_point start = Clock::now();
    BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                  nullptr, work_dir.c_str(), &startup, &process);
    CloseHandle(write_end);
    CloseHandle(output);
    if (!started) return;
    collect_until_exit(read_end, process.hProcess, start, run);
    CloseHandle(read_end);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run->exit_code = static_cast<int>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

#else

std::string own_directory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

[[noreturn]] void become_driver(const std::vector<std::string>& args, const std::string& work_dir,
                                int output, int error) {
    dup2(output, 1);
    dup2(error, 2);
    alarm(kChildLimitSeconds);
    if (chdir(work_dir.c_str()) != 0) _exit(126);
    std::string program = own_directory() + "/crash_driver";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

void start_and_collect(const std::vector<std::string>& args, const std::string& work_dir,
                       const std::string& output_path, ChildRun* run) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return;
    int output = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) become_driver(args, work_dir, output, pipe_ends[1]);
    close(pipe_ends[1]);
    close(output);
    char buffer[4096];
    ssize_t count;
    while ((count = read(pipe_ends[0], buffer, sizeof buffer)) > 0)
        take_chunk(run, buffer, static_cast<size_t>(count), start);
    close(pipe_ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run->exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

}  // namespace

ChildRun run_driver(const std::vector<std::string>& args, const std::string& work_dir) {
    // The captured output lives beside the work directory, so the driver's files are alone.
    std::string output_path = work_dir + ".stdout";
    ChildRun run;
    start_and_collect(args, work_dir, output_path, &run);
    run.output = read_whole(output_path);
    return run;
}

long long arrival_ms(const ChildRun& run, size_t offset) {
    long long ms = -1;
    for (const Arrival& arrival : run.arrivals) {
        if (arrival.offset > offset) break;
        ms = arrival.ms;
    }
    return ms;
}
