#include "support/FreedMemory.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

struct TBlock {
  unsigned char* Address;
  size_t Size;
};

const size_t MostHeld = 4096;  // beyond this, blocks go back to the heap at once
TBlock Blocks[MostHeld];       // no allocation inside operator delete
size_t HeldCount = 0;
bool Watching = false;

}  // namespace

// The sized form is what a virtual destructor's delete calls; the default
// operator new takes its memory from malloc.
void operator delete(void* address, std::size_t size) noexcept {
  if (address == nullptr) return;
  if (!Watching || size == 0 || HeldCount == MostHeld) {
    std::free(address);
    return;
  }
  std::memset(address, TFreedMemoryWatch::Pattern, size);
  Blocks[HeldCount++] = {static_cast<unsigned char*>(address), size};
}

// Its unsized partner, as the language asks for the pair: as the default.
void operator delete(void* address) noexcept { std::free(address); }

TFreedMemoryWatch::TFreedMemoryWatch() {
  HeldCount = 0;
  Watching = true;
}

TFreedMemoryWatch::~TFreedMemoryWatch() {
  Watching = false;
  for (size_t i = 0; i < HeldCount; ++i) std::free(Blocks[i].Address);
  HeldCount = 0;
}

size_t TFreedMemoryWatch::Held() const { return HeldCount; }

size_t TFreedMemoryWatch::Touched() const {
  size_t touched = 0;
  for (size_t i = 0; i < HeldCount; ++i) {
    for (size_t b = 0; b < Blocks[i].Size; ++b) {
      if (Blocks[i].Address[b] != Pattern) {
        ++touched;
        break;
      }
    }
  }
  return touched;
}
