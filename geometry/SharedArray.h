// A heap array that meshes of one scene may share: later states borrow the
// triangle lists and identifier tables of their topology source, and
// playback exchanges a mesh's lists with a stored pair. Copying a
// SharedArray shares the storage; the last holder frees it, once.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

template <typename T>
class SharedArray {
 public:
  SharedArray() = default;

  // Fresh storage of n value-initialised elements (n <= 0 gives none).
  void Allocate(std::ptrdiff_t n, const T& fill = T()) {
    data_ = n > 0 ? std::make_shared<std::vector<T>>(size_t(n), fill) : nullptr;
  }
  void Assign(std::vector<T> v) { data_ = std::make_shared<std::vector<T>>(std::move(v)); }
  void Reset() { data_.reset(); }

  // Gives this holder its own copy before writing into storage that others
  // may hold.
  void MakeUnique() {
    if (data_ && data_.use_count() > 1) data_ = std::make_shared<std::vector<T>>(*data_);
  }
  bool SharedWith(const SharedArray& o) const { return data_ && data_ == o.data_; }

  explicit operator bool() const { return data_ != nullptr; }
  size_t size() const { return data_ ? data_->size() : 0; }
  bool empty() const { return size() == 0; }
  T* data() { return data_ ? data_->data() : nullptr; }
  const T* data() const { return data_ ? data_->data() : nullptr; }
  T& operator[](size_t i) { return (*data_)[i]; }
  const T& operator[](size_t i) const { return (*data_)[i]; }
  std::vector<T>& vec() { return *data_; }
  const std::vector<T>& vec() const { return *data_; }

 private:
  std::shared_ptr<std::vector<T>> data_;
};
