#include "plugins.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace oxtest {

namespace {
// Windows programs under wine see the Unix root as drive Z:.
std::string HostPath(const std::string& unixPath) {
#ifdef _WIN32
  return "Z:" + unixPath;
#else
  return unixPath;
#endif
}
}  // namespace

std::string BuiltPluginPath(const std::string& name) {
  return HostPath(std::string(OX_BINARY_DIR) + "/" + name + OX_PLUGIN_SUFFIX);
}

const oxhost::Plugin& BuiltPlugin(const std::string& name) {
  static std::map<std::string, oxhost::Plugin> loaded;
  auto it = loaded.find(name);
  if (it == loaded.end()) {
    oxhost::Plugin plugin;
    std::string error = plugin.Load(BuiltPluginPath(name));
    EXPECT_EQ(error, "");
    it = loaded.emplace(name, plugin).first;
  }
  return it->second;
}

std::string SamplesDir() {
  std::string dir = HostPath(OX_SAMPLES_DIR);
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? dir : "";
}

}  // namespace oxtest
