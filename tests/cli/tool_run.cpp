#include "cli/tool_run.h"

#include "platform/syString.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

#ifdef _WIN32

namespace {

// One argument as the C run-time's parser reads it back: quoted when it
// holds blanks or quotes, backslashes doubled where a quote follows them.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

HANDLE inheritable(const std::string& name, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(syString::from_utf8(name).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

int run_tool(const std::vector<std::string>& args, const std::string& out_file, const std::string& err_file) {
    std::string tool = OMXML_TOOL;
    // Built on Linux and run under Wine, whose drive Z: is the Linux root.
    if (!tool.empty() && tool[0] == '/')
        tool = "Z:" + tool;
    std::wstring line = quoted(syString::from_utf8(tool).wstr());
    for (const std::string& arg : args)
        line += L" " + quoted(syString::from_utf8(arg).wstr());
    HANDLE in = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = inheritable(out_file, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = inheritable(err_file, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION child{};
    DWORD status = static_cast<DWORD>(-1);
    if (::CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        ::WaitForSingleObject(child.hProcess, INFINITE);
        ::GetExitCodeProcess(child.hProcess, &status);
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);
    }
    for (HANDLE h : {in, out, err})
        ::CloseHandle(h);
    return static_cast<int>(status);
}

#else

int run_tool(const std::vector<std::string>& args, const std::string& out_file, const std::string& err_file) {
    std::vector<std::string> words = {OMXML_TOOL};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    ::posix_spawn_file_actions_init(&files);
    ::posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&files, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::posix_spawn_file_actions_addopen(&files, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    int failed = ::posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&files);
    int status = 0;
    if (failed != 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif
