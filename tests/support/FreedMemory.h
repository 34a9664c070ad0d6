// A watch on freed memory. While one exists, every block deleted with its
// size (objects with a virtual destructor: TControl, TGlideStripbox, the
// framework's objects) is filled with a pattern and held back instead of
// going back to the heap, so that a read after the free sees the pattern
// and a write after it shows. The blocks are returned when the watch ends.
//
//   TFreedMemoryWatch watch;
//   ... a handler frees the object whose message it handles ...
//   EXPECT_EQ(watch.Touched(), 0u);   // no freed block was written to
#pragma once

#include <cstddef>

class TFreedMemoryWatch {
 public:
  TFreedMemoryWatch();
  ~TFreedMemoryWatch();
  TFreedMemoryWatch(const TFreedMemoryWatch&) = delete;
  TFreedMemoryWatch& operator=(const TFreedMemoryWatch&) = delete;

  // How many blocks freed while watching were held back.
  size_t Held() const;
  // How many of them were written to after their release.
  size_t Touched() const;

  static const unsigned char Pattern = 0xA5;
};
