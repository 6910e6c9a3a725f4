// oxhost: drives a packer plugin from the command line exactly as a file manager does.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
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
          "       oxhost [--plugin PATH] new ARCHIVE\n"
          "       oxhost [--plugin PATH] add ARCHIVE SOURCEFOLDER [--into SUBPATH] [--save-paths] [--move] NAME...\n"
          "       oxhost [--plugin PATH] delete ARCHIVE NAME...\n"
          "The plugin defaults to Vorkel for .mbd and Nalmet for .tap, beside this program.\n"
          "add: NAMEs are relative to SOURCEFOLDER; a folder is added with everything in it.\n"
          "delete: NAMEs are paths as listed; a whole folder is FOLDER/*.* (FOLDER\\*.* on Windows).\n");
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

// A list of NUL-terminated names ended by an empty one, as the host interface passes it.
std::vector<char> NameList(const std::vector<std::string>& names) {
  std::vector<char> list;
  for (const std::string& n : names) {
    list.insert(list.end(), n.begin(), n.end());
    list.push_back(0);
  }
  list.push_back(0);
  return list;
}

std::vector<char> Text(const std::string& s) {
  std::vector<char> text(s.begin(), s.end());
  text.push_back(0);
  return text;
}

// The plugin keeps the archive's path while it changes the current directory.
std::string Absolute(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.string();
}

// As a file manager passes a folder: the folder with its separator, then everything in it.
void AddWithContents(const std::filesystem::path& source, const std::string& name, std::vector<std::string>* names) {
  std::error_code ec;
  std::filesystem::path full = source / name;
  if (!std::filesystem::is_directory(full, ec)) {
    names->push_back(name);
    return;
  }
  names->push_back(name + kSep);
  std::vector<std::string> inside;
  for (const auto& e : std::filesystem::directory_iterator(full, ec)) inside.push_back(e.path().filename().string());
  std::sort(inside.begin(), inside.end());
  for (const std::string& child : inside) AddWithContents(source, name + kSep + child, names);
}

int Report(const char* what, int r) {
  if (r != 0) fprintf(stderr, "oxhost: %s: %s (%d)\n", what, ResultText(r).c_str(), r);
  return r == 0 ? 0 : 1;
}

int Change(const Plugin& plugin, const std::string& command, const std::string& archive,
           std::vector<std::string> args) {
  std::vector<char> packed = Text(Absolute(archive));
  if (command == "delete") {
    if (!plugin.deleteFiles) return Report("the plugin cannot delete", 24);
    std::vector<char> list = NameList(args);
    return Report("delete", plugin.deleteFiles(packed.data(), list.data()));
  }
  if (!plugin.packFiles) return Report("the plugin cannot pack", 24);
  if (command == "new") {
    std::error_code ec;
    if (std::filesystem::exists(packed.data(), ec)) {
      fprintf(stderr, "oxhost: %s exists already\n", archive.c_str());
      return 1;
    }
    std::vector<char> source = Text(Absolute("."));
    std::vector<char> list = NameList({});
    return Report("new", plugin.packFiles(packed.data(), nullptr, source.data(), list.data(), 0));
  }
  std::string subPath;
  int flags = 0;
  std::vector<std::string> names;
  std::filesystem::path source = Absolute(args.at(0));
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--into" && i + 1 < args.size()) subPath = args[++i];
    else if (args[i] == "--save-paths") flags |= ox::host::kPackSavePaths;
    else if (args[i] == "--move") flags |= ox::host::kPackMoveFiles;
    else AddWithContents(source, args[i], &names);
  }
  std::vector<char> sub = Text(subPath), src = Text(source.string() + kSep), list = NameList(names);
  return Report("add", plugin.packFiles(packed.data(), subPath.empty() ? nullptr : sub.data(), src.data(),
                                        list.data(), flags));
}

int Run(const std::string& pluginPath, const std::string& command, const std::string& archive,
        const std::vector<std::string>& rest) {
  Plugin plugin;
  std::string error = plugin.Load(pluginPath);
  if (!error.empty()) {
    fprintf(stderr, "oxhost: %s\n", error.c_str());
    return 3;
  }
  if (command == "new" || command == "add" || command == "delete") return Change(plugin, command, archive, rest);
  const std::string folder = rest.empty() ? "" : rest[0];
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
    bool known = command == "list" || command == "test" || command == "new" ||
                 (command == "extract" && args.size() == 3) || (command == "add" && args.size() >= 4) ||
                 (command == "delete" && args.size() >= 3);
    if (!known) return Usage();
    if (pluginPath.empty()) pluginPath = PluginPathFor(archive);
    if (pluginPath.empty()) {
      fprintf(stderr, "oxhost: no plugin for %s (use --plugin)\n", archive.c_str());
      return 2;
    }
    return Run(pluginPath, command, archive, std::vector<std::string>(args.begin() + 2, args.end()));
  } catch (...) {
    fprintf(stderr, "oxhost: out of memory\n");
    return 1;
  }
}
