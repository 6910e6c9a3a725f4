// Runs a built program as a separate process, as a user or a script would start it.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace oxtest {

struct ProcessResult {
  int exitCode = -1;  // -1 when the program could not be started or did not end normally
  std::string output;  // standard output and standard error together
};

// Starts program with the arguments in the directory cwd, with the extra environment
// variables set for it, and waits for it to end. Windows: the arguments are joined with
// single spaces into the command line as they are, so they carry their own quoting.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
                         const std::vector<std::pair<std::string, std::string>>& env = {});

}  // namespace oxtest
