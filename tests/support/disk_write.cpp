#include "disk_write.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "common/bytes.h"
#include "disk/delete_files.h"
#include "disk/disk_image.h"
#include "disk/entry_listing.h"
#include "disk/pack_files.h"
#include "platform/file.h"

namespace oxtest {

std::string HostForm(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::vector<char> NameList(const std::vector<std::string>& names) {
  std::vector<char> list;
  for (const std::string& n : names) {
    list.insert(list.end(), n.begin(), n.end());
    list.push_back(0);
  }
  list.push_back(0);
  return list;
}

ox::disk::DiskModule ModuleIn(const TempDir& dir, int view) {
  ox::disk::DiskModule m;
  m.loaded = true;
  m.settings.DirStructViewMode = view;
  std::string config = HostForm(dir / "Oxwen.cfg"), boots = HostForm(dir / "boots") + "\\";
  strncpy(m.paths.ConfigFilePath, config.c_str(), sizeof m.paths.ConfigFilePath - 1);
  strncpy(m.paths.BootsDirPath, boots.c_str(), sizeof m.paths.BootsDirPath - 1);
  return m;
}

void PrintTo(const Outcome& o, std::ostream* os) { *os << "{" << o.code << ", \"" << o.shown << "\"}"; }

namespace {

// Message boxes reach standard error in test runs; only their texts are kept.
std::string ShownTexts(const std::string& captured) {
  std::string texts;
  const std::string title = "Vorkel Error: ";
  for (size_t at = captured.find(title); at != std::string::npos; at = captured.find(title, at)) {
    at += title.size();
    size_t end = captured.find('\n', at);
    texts += captured.substr(at, end - at) + "\n";
  }
  return texts;
}

}  // namespace

Outcome Pack(ox::disk::DiskModule& module, const std::string& image, const std::string& srcDir,
             const std::vector<std::string>& names, int flags, const char* subPath) {
  std::string packed = HostForm(image), src = HostForm(srcDir);
  std::vector<char> list = NameList(names);
  testing::internal::CaptureStderr();
  int code = ox::disk::PackFiles(packed.c_str(), subPath, src.c_str(), list.data(), flags, module);
  return Outcome{code, ShownTexts(testing::internal::GetCapturedStderr())};
}

Outcome Delete(const ox::disk::DiskModule& module, const std::string& image, const std::vector<std::string>& names) {
  std::string packed = HostForm(image);
  std::vector<char> list = NameList(names);
  testing::internal::CaptureStderr();
  int code = ox::disk::DeleteFiles(packed.c_str(), list.data(), module.settings);
  return Outcome{code, ShownTexts(testing::internal::GetCapturedStderr())};
}

std::vector<std::string> ListNames(const std::string& image, int view) {
  ox::DiskSettings settings = ox::DefaultDiskSettings();
  settings.DirStructViewMode = view;
  std::vector<char> name(image.begin(), image.end());
  name.push_back(0);
  ox::host::OpenArchiveRecord record = {};
  record.archiveName = name.data();
  std::vector<std::string> names;
  ox::disk::DiskImage* opened = ox::disk::OpenArchive(&record, settings);
  EXPECT_EQ(record.openResult, 0) << image;
  if (!opened) return names;
  for (uint32_t i = 0; i < opened->entries.count(); ++i) {
    const auto* listed = opened->entries.ptr<ox::disk::ListedEntry>(i);
    names.push_back(std::string(listed->header.fileName) + (listed->header.fileAttributes & 0x10 ? "\\" : ""));
  }
  ox::disk::CloseArchive(opened);
  return names;
}

void MakeFile(const std::string& path, const std::vector<uint8_t>& bytes, int64_t unixTime) {
  namespace fs = std::filesystem;
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
  if (unixTime) {
    plat::Handle file;
    ASSERT_TRUE(plat::OpenFile(path.c_str(), plat::kAccessWrite, plat::kShareNone, plat::Disposition::kOpenExisting,
                               0, &file));
    plat::SetFileLastWriteTime(file, 116444736000000000ULL + static_cast<uint64_t>(unixTime) * 10000000ULL);
    plat::CloseFile(file);
  }
}

KeepCurrentDir::KeepCurrentDir() : saved_(std::filesystem::current_path().string()) {}
KeepCurrentDir::~KeepCurrentDir() {
  std::error_code ignored;
  std::filesystem::current_path(saved_, ignored);
}

std::string Numbered(const char* prefix, int n) {
  std::string text = prefix;
  text += std::to_string(n);
  return text;
}

uint16_t FatOf(const std::vector<uint8_t>& image, uint32_t sector) { return ox::ReadU16(image.data() + 2048 + 2 * sector); }

}  // namespace oxtest
