// A packer plugin loaded the way a file manager loads it: by path, exports bound by name.
#pragma once
#include <string>

#include "common/host_api.h"

namespace oxhost {

struct Plugin {
  void* module = nullptr;
  ox::host::OpenArchiveFn openArchive = nullptr;
  ox::host::ReadHeaderFn readHeader = nullptr;
  ox::host::ProcessFileFn processFile = nullptr;
  ox::host::CloseArchiveFn closeArchive = nullptr;
  ox::host::PackFilesFn packFiles = nullptr;
  ox::host::DeleteFilesFn deleteFiles = nullptr;
  ox::host::GetPackerCapsFn getPackerCaps = nullptr;
  ox::host::ConfigurePackerFn configurePacker = nullptr;
  ox::host::SetChangeVolProcFn setChangeVolProc = nullptr;
  ox::host::SetProcessDataProcFn setProcessDataProc = nullptr;

  // Capability flags, or -1 when the plugin does not report them.
  int Caps() const { return getPackerCaps ? getPackerCaps() : -1; }
  // Before packing and deleting a host hands over its callbacks, with no archive open (handle -1).
  void SetCallbacks();

  // Loads the plugin; returns an error text, empty on success.
  std::string Load(const std::string& path);
};

// The plugin for an archive: Vorkel for .mbd, Nalmet for .tap, beside this program.
std::string PluginPathFor(const std::string& archive);

// A host result code as a clear message.
std::string ResultText(int code);

}  // namespace oxhost
