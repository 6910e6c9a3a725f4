#include "plugin.h"

#include <algorithm>
#include <cctype>

#include "platform/module.h"

namespace oxhost {

std::string Plugin::Load(const std::string& path) {
  module = plat::LoadModule(path.c_str());
  if (!module) return "cannot load plugin " + path;
  auto bind = [&](auto& fn, const char* name) { fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(plat::GetExport(module, name)); };
  bind(openArchive, "OpenArchive");
  bind(readHeader, "ReadHeader");
  bind(processFile, "ProcessFile");
  bind(closeArchive, "CloseArchive");
  bind(packFiles, "PackFiles");
  bind(deleteFiles, "DeleteFiles");
  bind(getPackerCaps, "GetPackerCaps");
  bind(configurePacker, "ConfigurePacker");
  bind(setChangeVolProc, "SetChangeVolProc");
  bind(setProcessDataProc, "SetProcessDataProc");
  if (!openArchive || !readHeader || !processFile || !closeArchive)
    return "plugin " + path + " lacks the reading exports";
  return "";
}

namespace {
int OX_HOSTCALL ChangeVolume(char*, int) { return 0; }  // there is no other volume
int OX_HOSTCALL ProcessData(char*, int) { return 1; }   // go on
}  // namespace

void Plugin::SetCallbacks() {
  void* none = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
  if (setChangeVolProc) setChangeVolProc(none, ChangeVolume);
  if (setProcessDataProc) setProcessDataProc(none, ProcessData);
}

std::string PluginPathFor(const std::string& archive) {
  char self[4096];
  uint32_t n = plat::GetModulePath(nullptr, self, sizeof self);
  std::string dir = n > 0 && n < sizeof self ? std::string(self, n) : std::string();
  size_t cut = dir.find_last_of("/\\");
  dir = cut == std::string::npos ? "" : dir.substr(0, cut + 1);
  std::string ext;
  size_t dot = archive.find_last_of('.');
  if (dot != std::string::npos) ext = archive.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
#if defined(_WIN64)
  const char* suffix = ".wcx64";
#else
  const char* suffix = ".wcx";
#endif
  if (ext == "mbd") return dir + "Vorkel" + suffix;
  if (ext == "tap") return dir + "Nalmet" + suffix;
  return "";
}

std::string ResultText(int code) {
  switch (code) {
    case 0: return "success";
    case 1: return "failed (the plugin showed why)";
    case 10: return "no more files in archive";
    case 11: return "not enough memory";
    case 12: return "data is bad";
    case 13: return "archive data is bad";
    case 14: return "archive format unknown";
    case 15: return "cannot open existing file";
    case 16: return "cannot create file";
    case 17: return "error closing file";
    case 18: return "error reading from file";
    case 19: return "error writing to file";
    case 21: return "function aborted by user";
    case 24: return "function not supported";
    default: return "unknown result";
  }
}

}  // namespace oxhost
