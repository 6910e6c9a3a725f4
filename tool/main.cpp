// Dreskin's entry point. Windows: a GUI program without a main window that receives its
// command line as text. POSIX: a command-line program whose arguments are joined back
// into that text.
#include "tool/run.h"

#ifdef _WIN32
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return ox::tool::RunTool(instance, commandLine);
}

#else
#include "tool/command_line.h"
#include "tool/messages.h"

int main(int argc, char** argv) {
  ox::HeapBlock<char> commandLine = ox::tool::JoinArguments(argc - 1, argv + 1);
  if (!commandLine) {
    ox::tool::ToolMessage("Not enough memory");
    return ox::tool::kExitRefused;
  }
  return ox::tool::RunTool(nullptr, commandLine.get());
}
#endif
