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
          "       oxhost [--plugin PATH] add ARCHIVE SOURCE-FOLDER [--sub-path PATH] [--move] [--save-paths] NAME...\n"
          "       oxhost [--plugin PATH] delete ARCHIVE NAME...\n"
          "       oxhost [--plugin PATH] new ARCHIVE\n"
          "The plugin defaults to Vorkel for .mbd and Nalmet for .tap, beside this program.\n"
          "add: NAMEs are relative to SOURCE-FOLDER; a NAME ending with a separator is a folder.\n"
          "delete: NAMEs as listed. new: makes an empty image where no file is yet.\n");
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

// Text as the writable, NUL-terminated buffer a host passes.
std::vector<char> Buffer(const std::string& text) {
  std::vector<char> b(text.begin(), text.end());
  b.push_back(0);
  return b;
}

// Names as a host lists them for PackFiles and DeleteFiles: each ended by a NUL, the
// list by an empty name; separators as this platform's hosts write them.
std::vector<char> NameList(const std::vector<std::string>& names) {
  std::vector<char> list;
  for (const std::string& name : names) {
    for (char c : name) list.push_back(c == '/' ? kSep : c);
    list.push_back(0);
  }
  list.push_back(0);
  return list;
}

int Report(const char* what, const std::string& archive, int result) {
  if (result == 0) return 0;
  fprintf(stderr, "oxhost: %s %s: %s (%d)\n", what, archive.c_str(), ResultText(result).c_str(), result);
  return 1;
}

// A host offers an operation only when the plugin has the export and reports the capability.
bool Refuse(const Plugin& plugin, bool exported, int capability, const char* what) {
  int caps = plugin.Caps();
  if (exported && caps >= 0 && (caps & capability)) return false;
  fprintf(stderr, "oxhost: the plugin cannot %s\n", what);
  return true;
}

// A file manager passes full paths; so does this host, since the plugins change the
// current directory while they work.
std::string Absolute(const std::string& path) {
#ifdef _WIN32
  bool absolute = path.size() >= 2 && (path[1] == ':' || path[0] == '\\' || path[0] == '/');
#else
  bool absolute = !path.empty() && path[0] == '/';
#endif
  if (absolute || path.empty()) return path;
  char cwd[4096];
  uint32_t n = plat::CurrentDir(cwd, sizeof cwd);
  if (n == 0 || n >= sizeof cwd) return path;
  std::string base(cwd, n);
  if (base.back() != '/' && base.back() != '\\') base += kSep;
  return base + path;
}

struct AddOptions {
  std::string source;
  std::string subPath;  // empty: the archive's root
  int flags = 0;
  std::vector<std::string> names;
};

int Add(Plugin& plugin, const std::string& archive, const AddOptions& options) {
  if (Refuse(plugin, plugin.packFiles, ox::host::kCapsModify, "add to an archive")) return 3;
  std::string source = options.source;
  if (source.empty() || (source.back() != '/' && source.back() != '\\')) source += kSep;
  std::vector<char> packed = Buffer(archive), src = Buffer(source), sub = Buffer(options.subPath);
  std::vector<char> list = NameList(options.names);
  plugin.SetCallbacks();
  int r = plugin.packFiles(packed.data(), options.subPath.empty() ? nullptr : sub.data(), src.data(), list.data(),
                           options.flags);
  return Report("adding to", archive, r);
}

int Delete(Plugin& plugin, const std::string& archive, const std::vector<std::string>& names) {
  if (Refuse(plugin, plugin.deleteFiles, ox::host::kCapsDelete, "delete")) return 3;
  std::vector<char> packed = Buffer(archive);
  std::vector<char> list;
  for (const std::string& name : names) list.insert(list.end(), name.c_str(), name.c_str() + name.size() + 1);
  list.push_back(0);
  plugin.SetCallbacks();
  return Report("deleting from", archive, plugin.deleteFiles(packed.data(), list.data()));
}

int New(Plugin& plugin, const std::string& archive) {
  if (Refuse(plugin, plugin.packFiles, ox::host::kCapsNew, "create archives")) return 3;
  if (plat::GetAttributes(archive.c_str()) != plat::kInvalidAttributes) {
    fprintf(stderr, "oxhost: %s exists already\n", archive.c_str());
    return 2;
  }
  char here[1024];
  uint32_t n = plat::CurrentDir(here, sizeof here);
  std::string source = n > 0 && n < sizeof here ? std::string(here, n) + kSep : std::string();
  std::vector<char> packed = Buffer(archive), src = Buffer(source);
  char empty[2] = {0, 0};
  plugin.SetCallbacks();
  return Report("creating", archive, plugin.packFiles(packed.data(), nullptr, src.data(), empty, 0));
}

int Walk(Plugin& plugin, const std::string& command, const std::string& archive, const std::string& folder) {
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
    const std::string command = args[0];
    const std::string archive = Absolute(args[1]);
    std::vector<std::string> rest(args.begin() + 2, args.end());
    AddOptions add;
    if (command == "add") {
      if (rest.empty()) return Usage();
      add.source = Absolute(rest[0]);
      for (size_t i = 1; i < rest.size(); ++i) {
        if (rest[i] == "--sub-path" && i + 1 < rest.size()) add.subPath = rest[++i];
        else if (rest[i] == "--move") add.flags |= ox::host::kPackMoveFiles;
        else if (rest[i] == "--save-paths") add.flags |= ox::host::kPackSavePaths;
        else add.names.push_back(rest[i]);
      }
      if (add.names.empty()) return Usage();
    }
    bool known = ((command == "list" || command == "test" || command == "new") && rest.empty()) ||
                 (command == "extract" && rest.size() == 1) || command == "add" ||
                 (command == "delete" && !rest.empty());
    if (!known) return Usage();
    if (pluginPath.empty()) pluginPath = PluginPathFor(archive);
    if (pluginPath.empty()) {
      fprintf(stderr, "oxhost: no plugin for %s (use --plugin)\n", archive.c_str());
      return 2;
    }
    Plugin plugin;
    std::string error = plugin.Load(pluginPath);
    if (!error.empty()) {
      fprintf(stderr, "oxhost: %s\n", error.c_str());
      return 3;
    }
    if (command == "add") return Add(plugin, archive, add);
    if (command == "delete") return Delete(plugin, archive, rest);
    if (command == "new") return New(plugin, archive);
    return Walk(plugin, command, archive, rest.empty() ? "" : Absolute(rest[0]));
  } catch (...) {
    fprintf(stderr, "oxhost: out of memory\n");
    return 1;
  }
}
