#include "disk/new_image.h"

#include <cstring>

#include "common/host_api.h"
#include "disk/add_files.h"
#include "disk/directory_scan.h"
#include "disk/new_image_dialog.h"
#include "platform/file.h"

namespace ox::disk {

namespace {

// Reads up to one sector of "bootsector" over the buffer; a missing or short file
// leaves the rest of the buffer as it was.
void ReadBootSector(uint8_t bootSector[kSectorSize]) {
  plat::Handle file;
  if (!plat::OpenFile("bootsector", plat::kAccessRead, plat::kShareRead, plat::Disposition::kOpenExisting, 0,
                      &file))
    return;
  uint32_t done;
  plat::ReadFile(file, bootSector, kSectorSize, &done);
  plat::CloseFile(file);
}

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix) {
    char a = *text, b = *prefix;
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;  // also at the end of text
  }
  return true;
}

bool EqualsIgnoringCase(const char* a, const char* b) { return strlen(a) == strlen(b) && StartsWithIgnoringCase(a, b); }

// The pass in which a boot file goes: the loader, then the system, then everything else.
int BootFilePass(const char* name) {
  if (StartsWithIgnoringCase(name, "masterboot.3 ")) return 0;
  if (StartsWithIgnoringCase(name, "BSdos308.3 ")) return 1;
  return 2;
}

// A name and the empty name that ends a list: 258 characters at most.
constexpr size_t kMaxBootFileName = 258;

Status AddBootFilesOfPass(int pass, DiskVolume* volume, const char* baseName, size_t baseLength,
                          const DiskSettings& settings) {
  plat::ChangeDir(".");
  DirectoryScan scan;
  scan.done = 1;
  BeginScan(&scan);
  Status s = Success();
  while (s.ok && NextEntry(&scan)) {
    const plat::FindData& f = scan.findData;
    if ((f.attributes & plat::kAttrDirectory) || EqualsIgnoringCase(f.name, "bootsector") || BootFilePass(f.name) != pass)
      continue;
    size_t n = strlen(f.name);
    if (n > kMaxBootFileName) {
      s = ShownMessage("File/directory name is too long");
      break;
    }
    char list[kMaxBootFileName + 2];
    memcpy(list, f.name, n);
    list[n] = list[n + 1] = '\0';
    s = AddFileList(volume, nullptr, nullptr, list, host::kPackSavePaths, baseName, baseLength, settings);
  }
  CloseScan(&scan);
  return s;
}

}  // namespace

Status ChooseNewImage(DiskModule& module, uint8_t bootSector[kSectorSize], NewImageChoice* choice) {
  *choice = NewImageChoice{};
  NewImageDialog dialog(module.settings, module.paths.BootsDirPath);
  intptr_t answer = plat::RunDialog(module.instance, kNewImageDialog, nullptr, dialog, kCreateButton);
  if (answer != kCreateButton && answer != kCreateEmptyButton) {
    choice->cancelled = true;
    return HostCode(kHostAborted);
  }
  // Saved before anything is checked, so the choice survives a failed creation.
  SaveSettings(module.paths.ConfigFilePath, &module.settings);
  choice->format = &DiskFormatAt(module.settings.NewImageFormat);
  choice->createEmpty = answer == kCreateEmptyButton;
  choice->bootable = memcmp(module.settings.BootConfig, kNotBootable, sizeof kNotBootable) != 0;
  if (choice->bootable) {
    if (!plat::ChangeDir(module.paths.BootsDirPath)) return ShownMessage("Boots directory not found");
    char config[kBootConfigSize];
    memcpy(config, module.settings.BootConfig, kBootConfigSize);
    config[kBootConfigSize - 1] = '\0';
    // Without its directory the image gets no boot files; a "bootsector" of the boots
    // directory itself still serves.
    if (!plat::ChangeDir(config)) choice->bootable = false;
    ReadBootSector(bootSector);
  }
  return Success();
}

Status AddBootFiles(DiskVolume* volume, const char* baseName, size_t baseLength, const DiskSettings& settings) {
  for (int pass = 0; pass < 3; ++pass) OX_TRY(AddBootFilesOfPass(pass, volume, baseName, baseLength, settings));
  return Success();
}

}  // namespace ox::disk
