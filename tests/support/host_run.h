// Runs kumo_host.exe as a separate process under Wine and captures its exit code, standard output and
// standard error (both as the UTF-8 the host program prints).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

struct HostRun {
    DWORD exit_code;
    std::string out;
    std::string err;
};

inline std::string read_all(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void write_all(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh name for every use: under Wine a finished child's handles may close a moment after it is signalled.
inline std::string temporary_path(const char* name) {
    static int use_count = 0;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "kumo_host_run_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(++use_count) + "_" + name;
}

inline HANDLE inheritable_file(const std::string& path) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs kumo_host.exe with `arguments`; when `script` is given it goes to a file whose path is appended.
inline HostRun run_host(const std::string& arguments, const std::string* script = nullptr) {
    std::string command_line = "\"" KUMO_BIN_DIR "/kumo_host.exe\" " + arguments;
    std::string script_path = temporary_path("script.txt");
    if (script) {
        write_all(script_path, *script);
        command_line += " \"" + script_path + "\"";
    }
    std::string out_path = temporary_path("out.txt"), err_path = temporary_path("err.txt");
    HANDLE out = inheritable_file(out_path), err = inheritable_file(err_path);
    HostRun run = {9999, {}, {}};
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create " << out_path << " or " << err_path;
        return run;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start " << command_line;
    } else {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 90000)) << command_line;
        GetExitCodeProcess(process.hProcess, &run.exit_code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = read_all(out_path);
    run.err = read_all(err_path);
    DeleteFileA(out_path.c_str());
    DeleteFileA(err_path.c_str());
    DeleteFileA(script_path.c_str());
    return run;
}
