// Child processes for the tests: fork and exec natively, CreateProcess on Windows.
#include "support/child_process.h"

#include <chrono>
#include <cstdio>

#include "support/texts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#endif

namespace {

using Clock = std::chrono::steady_clock;

long long ms_since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string sink_file_name(const ChildOptions& options, int which) {
    return options.capture_prefix + (which == 1 ? "-out.tmp" : "-err.tmp");
}

// Appends one read of the piped stream to text and notes when it came.
void take_chunk(ChildRun* run, std::string* text, const char* data, size_t count,
                Clock::time_point start) {
    run->arrivals.push_back({text->size(), ms_since(start)});
    text->append(data, count);
}

#ifdef _WIN32

// The child's end of one standard handle; *read_end gets the test's end of a pipe.
HANDLE open_sink(Sink sink, const std::string& name, HANDLE* read_end) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
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

bool past_limit(const ChildOptions& options, Clock::time_point start) {
    return options.time_limit_seconds > 0 && ms_since(start) > options.time_limit_seconds * 1000LL;
}

// Reads the pipe as data arrives (polling, so a stuck child can be ended) until the child
// has ended and the pipe is drained.
void collect(HANDLE pipe, std::string* text, HANDLE process, const ChildOptions& options,
             Clock::time_point start, ChildRun* run) {
    char buffer[4096];
    for (;;) {
        DWORD available = 0, count = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) break;
        if (available > 0 && ReadFile(pipe, buffer, sizeof buffer, &count, nullptr)) {
            take_chunk(run, text, buffer, count, start);
            continue;
        }
        if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0) continue;  // drain what is left
        if (past_limit(options, start)) TerminateProcess(process, 99);
    }
    CloseHandle(pipe);
}

void wait_for(HANDLE process, const ChildOptions& options, Clock::time_point start) {
    while (WaitForSingleObject(process, 10) == WAIT_TIMEOUT)
        if (past_limit(options, start)) TerminateProcess(process, 99);
}

std::string command_line(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : arguments) line += " \"" + argument + "\"";
    return line;
}

void start_and_collect(const std::string& program, const std::vector<std::string>& arguments,
                       const ChildOptions& options, ChildRun* run) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out_reader, err_reader = nullptr;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherit, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = open_sink(options.out, sink_file_name(options, 1), &out_reader);
    bool shared = options.err == Sink::kSameAsOutput;
    startup.hStdError = shared ? startup.hStdOutput
                               : open_sink(options.err, sink_file_name(options, 2), &err_reader);
    std::string line = command_line(program, arguments);
    const char* folder = options.working_folder.empty() ? nullptr : options.working_folder.c_str();
    PROCESS_INFORMATION process{};
    Clock::time_point start = Clock::now();
    BOOL started = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  folder, &startup, &process);
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    if (!shared) CloseHandle(startup.hStdError);
    HANDLE reader = out_reader ? out_reader : err_reader;
    if (!started) {
        if (reader) CloseHandle(reader);
        return;
    }
    if (reader) collect(reader, out_reader ? &run->out : &run->err, process.hProcess, options,
                        start, run);
    wait_for(process.hProcess, options, start);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    run->exit_code = static_cast<int>(code);
}

#else

// The child's descriptor for one standard handle; *read_end gets the test's end of a pipe.
int open_sink(Sink sink, const std::string& name, int* read_end) {
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

// Runs in the forked child: only calls that are safe between fork and exec.
[[noreturn]] void become_child(const char* program, char* const* argv, const ChildOptions& options,
                               const int (&handles)[3], int reader) {
    for (int fd = 0; fd < 3; ++fd) dup2(handles[fd], fd);
    if (reader >= 0) close(reader);
    if (options.detach_terminal) setsid();
    if (!options.working_folder.empty() && chdir(options.working_folder.c_str()) != 0) _exit(126);
    if (options.time_limit_seconds > 0) alarm(static_cast<unsigned>(options.time_limit_seconds));
    execv(program, argv);
    _exit(127);
}

void start_and_collect(const std::string& program, const std::vector<std::string>& arguments,
                       const ChildOptions& options, ChildRun* run) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int out_reader, err_reader = -1;
    int handles[3];
    handles[0] = open("/dev/null", O_RDONLY);
    handles[1] = open_sink(options.out, sink_file_name(options, 1), &out_reader);
    bool shared = options.err == Sink::kSameAsOutput;
    handles[2] = shared ? handles[1] : open_sink(options.err, sink_file_name(options, 2), &err_reader);
    int reader = out_reader >= 0 ? out_reader : err_reader;
    Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) become_child(program.c_str(), argv.data(), options, handles, reader);
    close(handles[0]);
    close(handles[1]);
    if (!shared) close(handles[2]);
    if (reader >= 0) {
        std::string* text = out_reader >= 0 ? &run->out : &run->err;
        char buffer[4096];
        ssize_t count;
        while ((count = read(reader, buffer, sizeof buffer)) > 0)
            take_chunk(run, text, buffer, static_cast<size_t>(count), start);
        close(reader);
    }
    if (child < 0) return;
    int status = 0;
    waitpid(child, &status, 0);
    run->exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

}  // namespace

ChildRun run_child(const std::string& program, const std::vector<std::string>& arguments,
                   const ChildOptions& options) {
    ChildRun run;
    start_and_collect(program, arguments, options, &run);
    for (int which : {1, 2}) {
        Sink sink = which == 1 ? options.out : options.err;
        std::string name = sink_file_name(options, which);
        if (sink == Sink::kFile) (which == 1 ? run.out : run.err) = read_file(name);
        if (sink == Sink::kFile || sink == Sink::kReadOnlyFile) std::remove(name.c_str());
    }
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

std::string program_folder() {
#ifdef _WIN32
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
#else
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    std::string folder(path, length > 0 ? static_cast<size_t>(length) : 0);
    return folder.substr(0, folder.find_last_of('/') + 1);
#endif
}

std::string executable(const std::string& name) {
#ifdef _WIN32
    return name + ".exe";
#else
    return name;
#endif
}
