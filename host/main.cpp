// oxhost: drives a packer plugin from the command line exactly as a file manager does.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/file.h"
#include "plugin.h"

using namespace oxhost;
using ox::host::HeaderRecord;
using ox::host::OpenArchiveRecord;

namespace {

int Usage() {
  fprintf(stderr,
          "usage: oxhost [--plugin PATH] list ARCHIVE\n"
          "       oxhost [--plugin PATH] test ARCHIVE\n"
          "       oxhost [--plugin PATH] extract ARCHIVE FOLDER\n"
          "The plugin defaults to Vorkel for .mbd and Nalmet for .tap, beside this program.\n");
  return 2;
}

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

bool IsDirectory(const HeaderRecord& h) {
#ifdef _WIN32
  return (h.fileAttributes & ox::host::kAttrDirectory) != 0;
#else
  return (h.fileAttributes & 0170000) == 0040000;  // a Unix file mode
#endif
}

std::string TimeText(const HeaderRecord& h) {
  char text[32];
#ifdef _WIN32
  uint32_t dos = static_cast<uint32_t>(h.fileTime);
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", (dos >> 25) + 1980, (dos >> 21) & 15,
           (dos >> 16) & 31, (dos >> 11) & 31, (dos >> 5) & 63, (dos & 31) * 2);
#else
  time_t t = static_cast<uint32_t>(h.fileTime);
  struct tm tm;
  if (h.fileTime == 0 || !localtime_r(&t, &tm)) return "                   ";
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
#endif
  return text;
}

// Creates every folder of a path, as a file manager does before it extracts into it.
void MakeFolders(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i)
    if (path[i] == kSep) plat::MakeDir(path.substr(0, i).c_str());
  plat::MakeDir(path.c_str());
}

int Run(const std::string& pluginPath, const std::string& command, const std::string& archive,
        const std::string& folder) {
  Plugin plugin;
  std::string error = plugin.Load(pluginPath);
  if (!error.empty()) {
    fprintf(stderr, "oxhost: %s\n", error.c_str());
    return 3;
  }
  std::vector<char> name(archive.begin(), archive.end());
  name.push_back(0);
  OpenArchiveRecord open = {};
  open.archiveName = name.data();
  open.openMode = command == "list" ? 0 : 1;
  void* handle = plugin.openArchive(&open);
  if (!handle) {
    fprintf(stderr, "oxhost: cannot open %s: %s (%d)\n", archive.c_str(), ResultText(open.openResult).c_str(),
            open.openResult);
    return 1;
  }
  int failures = 0;
  for (;;) {
    HeaderRecord h;
    memset(&h, 0, sizeof h);
    int r = plugin.readHeader(handle, &h);
    if (r == 10) break;
    if (r != 0) {
      fprintf(stderr, "oxhost: cannot read the next header: %s (%d)\n", ResultText(r).c_str(), r);
      ++failures;
      break;
    }
    bool dir = IsDirectory(h);
    if (command == "list") {
      printf("%c %10u %s %s\n", dir ? 'd' : '-', static_cast<uint32_t>(h.unpackedSize), TimeText(h).c_str(),
             h.fileName);
      r = plugin.processFile(handle, ox::host::kSkip, nullptr, nullptr);
    } else if (command == "test") {
      r = plugin.processFile(handle, ox::host::kTest, nullptr, nullptr);
    } else {
      std::string target = folder + kSep + h.fileName;
      for (char& c : target)
        if (c == '/' || c == '\\') c = kSep;
      if (dir) {
        MakeFolders(target);
        r = plugin.processFile(handle, ox::host::kSkip, nullptr, nullptr);
      } else {
        size_t cut = target.find_last_of(kSep);
        if (cut != std::string::npos) MakeFolders(target.substr(0, cut));
        std::vector<char> dest(target.begin(), target.end());
        dest.push_back(0);
        r = plugin.processFile(handle, ox::host::kExtract, nullptr, dest.data());
      }
    }
    if (r != 0) {
      fprintf(stderr, "oxhost: %s: %s (%d)\n", h.fileName, ResultText(r).c_str(), r);
      ++failures;
    }
  }
  int closed = plugin.closeArchive(handle);
  if (closed != 0) {
    fprintf(stderr, "oxhost: closing %s: %s (%d)\n", archive.c_str(), ResultText(closed).c_str(), closed);
    ++failures;
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string pluginPath;
    if (args.size() >= 2 && args[0] == "--plugin") {
      pluginPath = args[1];
      args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() < 2) return Usage();
    const std::string& command = args[0];
    const std::string& archive = args[1];
    bool known = command == "list" || command == "test" || (command == "extract" && args.size() == 3);
    if (!known) return Usage();
    if (pluginPath.empty()) pluginPath = PluginPathFor(archive);
    if (pluginPath.empty()) {
      fprintf(stderr, "oxhost: no plugin for %s (use --plugin)\n", archive.c_str());
      return 2;
    }
    return Run(pluginPath, command, archive, args.size() > 2 ? args[2] : "");
  } catch (...) {
    fprintf(stderr, "oxhost: out of memory\n");
    return 1;
  }
}
