#include "process.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace oxtest {

namespace {
std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

#ifdef _WIN32

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                         const std::vector<std::pair<std::string, std::string>>& env) {
  ProcessResult result;
  TempDir outDir;
  std::string outPath = outDir / "output";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return result;
  std::string commandLine = "\"" + program + "\"";
  for (const auto& a : args) commandLine += " " + a;
  // The child inherits the environment; the extra variables are set around its start.
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
  for (const auto& [name, value] : env) {
    char old[4096];
    DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
    saved.emplace_back(name, n && n < sizeof old ? std::optional<std::string>(std::string(old, n)) : std::nullopt);
    SetEnvironmentVariableA(name.c_str(), value.c_str());
  }
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = out;
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, cwd.c_str(), &si, &pi);
  for (const auto& [name, value] : saved) SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
  CloseHandle(out);
  if (!started) return result;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(pi.hProcess, &code)) result.exitCode = static_cast<int>(code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // Windows programs write their text with CR LF line ends.
  for (char c : ReadAll(outPath)) {
    if (c == '\n' && !result.output.empty() && result.output.back() == '\r') result.output.back() = '\n';
    else result.output += c;
  }
  return result;
}

#else

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                         const std::vector<std::pair<std::string, std::string>>& env) {
  ProcessResult result;
  TempDir outDir;
  std::string outPath = outDir / "output";
  int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return result;
  // Everything the child needs is made before it starts.
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) {
    bool replaced = false;
    for (const auto& [name, value] : env) replaced |= std::string(*e).rfind(name + "=", 0) == 0;
    if (!replaced) envText.push_back(*e);
  }
  for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
  std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(127);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out);
  if (pid < 0) return result;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.output = ReadAll(outPath);
  return result;
}

#endif

}  // namespace oxtest
