// Child processes for the platform tests: posix_spawn natively, CreateProcess on Windows.
#include "driver_runner.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

extern char** environ;
#endif

namespace {

std::string read_whole(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string sink_file_name(int which) {
    return which == 1 ? "platform-child-out.tmp" : "platform-child-err.tmp";
}

#ifdef _WIN32

std::string program_folder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// The child's end of one standard handle; *read_end gets the test's end of a pipe.
HANDLE open_sink(Sink sink, int which, HANDLE* read_end) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    std::string name = sink_file_name(which);
    *read_end = nullptr;
    switch (sink) {
        case Sink::kFile:
            return CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        case Sink::kReadOnlyFile:
            CloseHandle(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
            return CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        case Sink::kPipe:
        case Sink::kClosedPipe: {
            HANDLE reader, writer;
            CreatePipe(&reader, &writer, &inherit, 0);
            SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
            if (sink == Sink::kClosedPipe) CloseHandle(reader);
            else *read_end = reader;
            return writer;
        }
        case Sink::kFullDevice:
        case Sink::kSameAsOutput: break;
    }
    return nullptr;
}

std::string drain(HANDLE reader) {
    std::string text;
    char buffer[4096];
    DWORD got;
    while (ReadFile(reader, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(reader);
    return text;
}

ChildRun run_child(const std::string& program, const std::vector<std::string>& arguments,
                   Sink out, Sink err, bool) {
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : arguments) line += " \"" + argument + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out_reader, err_reader;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = open_sink(out, 1, &out_reader);
    startup.hStdError = err == Sink::kSameAsOutput ? startup.hStdOutput
                                                   : open_sink(err, 2, &err_reader);
    if (err == Sink::kSameAsOutput) err_reader = nullptr;
    PROCESS_INFORMATION process{};
    ChildRun run;
    BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    if (err != Sink::kSameAsOutput) CloseHandle(startup.hStdError);
    if (!started) return run;
    if (out_reader) run.out = drain(out_reader);
    if (err_reader) run.err = drain(err_reader);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    run.exit_code = static_cast<int>(code);
    return run;
}

const char* kExecutableSuffix = ".exe";

#else

std::string program_folder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    std::string folder(path, length > 0 ? static_cast<size_t>(length) : 0);
    return folder.substr(0, folder.find_last_of('/') + 1);
}

// The child's descriptor for one standard handle; *read_end gets the test's end of a pipe.
int open_sink(Sink sink, int which, int* read_end) {
    std::string name = sink_file_name(which);
    *read_end = -1;
    switch (sink) {
        case Sink::kFile: return open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        case Sink::kReadOnlyFile:
            close(open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
            return open(name.c_str(), O_RDONLY);
        case Sink::kPipe:
        case Sink::kClosedPipe: {
            int ends[2];
            if (pipe(ends) != 0) return -1;
            if (sink == Sink::kClosedPipe) close(ends[0]);
            else *read_end = ends[0];
            return ends[1];
        }
        case Sink::kFullDevice: return open("/dev/full", O_WRONLY);
        case Sink::kSameAsOutput: break;
    }
    return -1;
}

std::string drain(int reader) {
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(reader, buffer, sizeof buffer)) > 0) text.append(buffer, got);
    close(reader);
    return text;
}

ChildRun run_child(const std::string& program, const std::vector<std::string>& arguments,
                   Sink out, Sink err, bool detach_terminal) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int out_reader, err_reader = -1;
    int null_input = open("/dev/null", O_RDONLY);
    int out_fd = open_sink(out, 1, &out_reader);
    int err_fd = err == Sink::kSameAsOutput ? out_fd : open_sink(err, 2, &err_reader);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, null_input, 0);
    posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
    posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
    if (out_reader >= 0) posix_spawn_file_actions_addclose(&actions, out_reader);
    if (err_reader >= 0) posix_spawn_file_actions_addclose(&actions, err_reader);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (detach_terminal) posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child;
    int failed = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(null_input);
    close(out_fd);
    if (err != Sink::kSameAsOutput) close(err_fd);
    ChildRun run;
    if (out_reader >= 0) run.out = drain(out_reader);
    if (err_reader >= 0) run.err = drain(err_reader);
    if (failed) return run;
    int status = 0;
    waitpid(child, &status, 0);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

const char* kExecutableSuffix = "";

#endif

ChildRun run_program(const std::string& program, const std::vector<std::string>& arguments,
                     Sink out, Sink err, bool detach_terminal) {
    ChildRun run = run_child(program, arguments, out, err, detach_terminal);
    if (out == Sink::kFile) run.out = read_whole(sink_file_name(1));
    if (err == Sink::kFile) run.err = read_whole(sink_file_name(2));
    std::remove(sink_file_name(1).c_str());
    std::remove(sink_file_name(2).c_str());
    return run;
}

}  // namespace

ChildRun run_driver(const std::vector<std::string>& arguments, Sink out, Sink err,
                    bool detach_terminal) {
    return run_program(program_folder() + "platform_driver" + kExecutableSuffix, arguments, out,
                       err, detach_terminal);
}

ChildRun run_logtally(const std::vector<std::string>& arguments, Sink out, Sink err) {
    return run_program(program_folder() + "../logtally" + kExecutableSuffix, arguments, out, err,
                       false);
}
