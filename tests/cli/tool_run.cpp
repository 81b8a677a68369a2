#include "cli/tool_run.h"

#include "platform/syString.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>

#include <sys/wait.h>
#endif

#ifdef _WIN32

namespace {

// One argument as the C run-time's parser reads it back: in quotes, with
// the backslashes before a quote (or the closing one) doubled.
std::wstring quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    for (std::size_t i = 0, backslashes = 0; i <= arg.size(); ++i) {
        wchar_t c = i < arg.size() ? arg[i] : L'"';
        if (c == L'"')
            out.append(backslashes + (i < arg.size()), L'\\');
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        out += c;
    }
    return out;
}

HANDLE inheritable(const std::string& name, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(syString::from_utf8(name).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

int run_program(const std::vector<std::string>& argv, const std::string& out_file, const std::string& err_file,
                const std::string& in_file, const std::string& dir) {
    std::wstring line;
    for (std::string arg : argv) {
        // Built on Linux and run under Wine, whose drive Z: is the Linux root.
        if (line.empty() && !arg.empty() && arg[0] == '/')
            arg = "Z:" + arg;
        line += (line.empty() ? L"" : L" ") + quoted(syString::from_utf8(arg).wstr());
    }
    const std::wstring start = syString::from_utf8(dir).wstr();
    HANDLE in = inheritable(in_file.empty() ? "NUL" : in_file, GENERIC_READ, OPEN_EXISTING);
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
    if (::CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, dir.empty() ? nullptr : start.c_str(),
                         &startup, &child)) {
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

int run_program(const std::vector<std::string>& argv, const std::string& out_file, const std::string& err_file,
                const std::string& in_file, const std::string& dir) {
    // Each word in single quotes, a quote inside as '\''.
    auto word = [](std::string text) {
        for (std::size_t at = text.find('\''); at != std::string::npos; at = text.find('\'', at + 4))
            text.replace(at, 1, "'\\''");
        return "'" + text + "'";
    };
    std::string command = dir.empty() ? "exec" : "cd " + word(dir) + " && exec";
    for (const std::string& arg : argv)
        command += " " + word(arg);
    command += " <" + word(in_file.empty() ? "/dev/null" : in_file) + " >" + word(out_file) + " 2>" + word(err_file);
    int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

#endif
