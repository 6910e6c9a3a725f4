#include "common/name_counter.h"

#include <cstring>

#include "common/alloc.h"

namespace ox {

struct NameCounter::Slot {
  uint64_t hash;
  const char* name;  // kept in the chunks; null for a free slot
  uint32_t count;
  uint8_t kind;
};

// Names are kept in large blocks rather than one allocation each.
struct NameCounter::Chunk {
  Chunk* next;
  uint32_t used;
  uint32_t size;
  char* bytes() { return reinterpret_cast<char*>(this + 1); }
};

namespace {
uint64_t Hash(uint8_t kind, const char* name, uint32_t length) {
  uint64_t h = 1469598103934665603ULL ^ kind;  // FNV-1a
  for (uint32_t i = 0; i < length; ++i) {
    h ^= static_cast<unsigned char>(name[i]);
    h *= 1099511628211ULL;
  }
  return h;
}
}  // namespace

NameCounter::~NameCounter() {
  Release(slots_);
  while (chunks_) Release(std::exchange(chunks_, chunks_->next));
}

Status NameCounter::Init(uint32_t expected) {
  uint32_t capacity = 16;
  while (capacity < 2 * static_cast<uint64_t>(expected) && capacity < (1u << 31)) capacity *= 2;
  slots_ = static_cast<Slot*>(AllocateZeroed(sizeof(Slot) * capacity));
  if (!slots_) return OutOfMemory();
  mask_ = capacity - 1;
  return Success();
}

char* NameCounter::Keep(const char* name, uint32_t length) {
  if (!chunks_ || chunks_->size - chunks_->used < length + 1) {
    uint32_t size = length + 1 > 65536 ? length + 1 : 65536;
    auto* chunk = static_cast<Chunk*>(Allocate(sizeof(Chunk) + size));
    if (!chunk) return nullptr;
    chunk->next = chunks_;
    chunk->used = 0;
    chunk->size = size;
    chunks_ = chunk;
  }
  char* kept = chunks_->bytes() + chunks_->used;
  memcpy(kept, name, length + 1);
  chunks_->used += length + 1;
  return kept;
}

Status NameCounter::Count(uint8_t kind, const char* name, uint32_t* earlier) {
  uint32_t length = static_cast<uint32_t>(strlen(name));
  uint64_t h = Hash(kind, name, length);
  for (uint32_t i = static_cast<uint32_t>(h) & mask_;; i = (i + 1) & mask_) {
    Slot& s = slots_[i];
    if (!s.name) {
      const char* kept = Keep(name, length);
      if (!kept) return OutOfMemory();
      s = Slot{h, kept, 1, kind};
      *earlier = 0;
      return Success();
    }
    if (s.hash == h && s.kind == kind && strcmp(s.name, name) == 0) {
      *earlier = s.count++;
      return Success();
    }
  }
}

}  // namespace ox
