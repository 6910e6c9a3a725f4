#include "disk/add_files.h"

#include <cstring>

#include "common/host_api.h"
#include "disk/directory_tree.h"
#include "disk/entry_listing.h"
#include "disk/file_entry.h"
#include "disk/owned_tree.h"
#include "disk/path_component.h"
#include "disk/target_directory.h"
#include "platform/file.h"
#include "platform/time.h"

namespace ox::disk {

namespace {

// A source file held open and mapped read-only while its entry is made.
class SourceFile {
 public:
  SourceFile() = default;
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  ~SourceFile() {
    if (view_) plat::UnmapView(mapping_, view_);
    if (mapping_ != plat::kNoHandle) plat::CloseMapping(mapping_);
    if (file_ != plat::kNoHandle) plat::CloseFile(file_);
  }

  Status Open(const char* name) {
    uint64_t writeTime;
    if (!plat::OpenFile(name, plat::kAccessRead, plat::kShareRead, plat::Disposition::kOpenExisting,
                        plat::kHintSequential, &file_) ||
        !plat::GetFileSize(file_, &size_) || !plat::GetFileLastWriteTime(file_, &writeTime) ||
        !plat::FileTimeToLocalFileTime(writeTime, &localTime_))
      return HostCode(kHostEOpen);
    // A body length has 32 bits, and no image holds a file of 4 GiB.
    if (size_ > 0xFFFFFFFFULL) return NoSpace();
    if (size_ > 0 && (!plat::CreateMapping(file_, false, &mapping_) || !plat::MapView(mapping_, false, &view_)))
      return HostCode(kHostEOpen);
    return Success();
  }
  const uint8_t* data() const { return view_; }
  uint32_t size() const { return static_cast<uint32_t>(size_); }
  uint64_t localTime() const { return localTime_; }

 private:
  plat::Handle file_ = plat::kNoHandle;
  plat::Handle mapping_ = plat::kNoHandle;
  uint8_t* view_ = nullptr;
  uint64_t size_ = 0;
  uint64_t localTime_ = 0;
};

class AddPass {
 public:
  AddPass(TreeNode* root, int32_t flags, const char* baseName, size_t baseLength, const DiskSettings& settings)
      : root_(root),
        start_(ListingRoot(root, settings.DirStructViewMode)),
        flags_(flags),
        baseName_(baseName),
        baseLength_(baseLength),
        settings_(settings) {}

  TreeNode* start() const { return start_; }

  Status AddName(const char* subPath, const char* name) {
    current_ = start_;
    index_ = 0;
    // The directories of the sub-path must exist; empty components (a leading or
    // trailing backslash) name nothing.
    for (const char* p = subPath; p && *p;) {
      size_t length = ComponentLength(p);
      if (length > 0) {
        ++index_;
        OX_TRY(Resolve(current_, p, length, true));
      }
      p += length;
      if (*p == '\\') ++p;
    }
    const char* last = name;
    for (size_t length = ComponentLength(last); last[length] == '\\'; length = ComponentLength(last)) {
      ++index_;
      if (flags_ & host::kPackSavePaths) OX_TRY(Resolve(current_, last, length, false));
      last += length + 1;
    }
    ++index_;
    size_t lastLength = ComponentLength(last);
    if (lastLength == 0) return Success();  // a directory given with its backslash
    uint32_t attributes = plat::GetAttributes(name);
    if (attributes != plat::kInvalidAttributes && (attributes & plat::kAttrDirectory))
      return Resolve(current_, last, lastLength, false);
    return AddFile(name, last, lastLength);
  }

 private:
  // The Simple view looks for directories among all of them, the Tree view below the current one.
  Status Resolve(TreeNode* parent, const char* component, size_t length, bool mustExist) {
    TreeNode* search = settings_.DirStructViewMode == kViewSimple ? start_ : current_;
    return ResolveDirectory(search, parent, component, length, mustExist, index_, settings_, &current_);
  }

  Status AddFile(const char* path, const char* name, size_t nameLength) {
    if (!current_->isDirectory || IsGone(current_)) return ShownMessage("ERROR 968");
    if (current_ == root_)
      OX_TRY(ResolveDirectory(root_, root_, baseName_, baseLength_, false, index_, settings_, &current_));
    if (!current_->hasRecord) return ShownMessage("Invalid target directory");
    SourceFile source;
    OX_TRY(source.Open(path));
    return CreateFileEntry(current_, name, nameLength, source.data(), source.size(), source.localTime(),
                           settings_.Naming);
  }

  TreeNode* root_;
  TreeNode* start_;
  int32_t flags_;
  const char* baseName_;
  size_t baseLength_;
  const DiskSettings& settings_;
  TreeNode* current_ = nullptr;
  uint32_t index_ = 0;
};

}  // namespace

Status AddFileList(DiskVolume* volume, const char* subPath, const char* srcPath, const char* addList, int32_t flags,
                   const char* baseName, size_t baseLength, const DiskSettings& settings) {
  if (srcPath && !plat::ChangeDir(srcPath)) return ShownMessage("Invalid target path");
  OwnedTree tree;
  OX_TRY(BuildDirectoryTree(settings.DirStructViewMode, volume, tree.out()));
  AddPass pass(tree.root(), flags, baseName, baseLength, settings);
  OX_TRY(NumberDuplicates(pass.start()->children, settings.Naming, settings.DirStructViewMode));
  for (const char* name = addList; name && *name; name += strlen(name) + 1) OX_TRY(pass.AddName(subPath, name));
  return Success();
}

}  // namespace ox::disk
