#pragma once
// An ordered list of addresses (byte strings) that holds its entries as views into byte
// storage it keeps alive, so that a list of a million addresses read from a file costs the
// file's bytes and one view per entry, not one heap string per address.

#include <algorithm>
#include <cstddef>
#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quill {

class AddressList {
 public:
  using value_type = std::string_view;
  using const_iterator = std::vector<std::string_view>::const_iterator;
  using iterator = const_iterator;

  AddressList() = default;
  /// A list of copies of `entries`, in order.
  AddressList(std::initializer_list<std::string_view> entries);

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  std::string_view operator[](std::size_t i) const { return entries_[i]; }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  /// The entries as views, valid while this list (or a copy of it) lives.
  const std::vector<std::string_view>& Entries() const { return entries_; }

  /// Drops every entry and the storage that only this list still needs.
  void clear();
  void reserve(std::size_t n) { entries_.reserve(n); }

  /// Appends a copy of `entry`.
  void push_back(std::string_view entry);

  /// Takes `bytes` into the list's storage and returns them where they now stay: entries may
  /// then be appended as views into them with AppendView.
  std::string_view Keep(std::string bytes);
  /// Appends `entry`, which must view bytes returned by Keep of this list (or storage that
  /// this list shares with the list it was copied from).
  void AppendView(std::string_view entry) { entries_.push_back(entry); }

  /// Copies the entries from index `from` on that view `bytes` (stored with Keep) into
  /// storage of their own, packed, and lets go of `bytes` unless a copy of the list still
  /// shares them: for a text of which the entries are a small part.
  void Repack(std::size_t from, std::string_view bytes);

  /// Keeps only the entries for which `keep(index)` is true, in order.
  template <class Predicate>
  void KeepWhere(Predicate keep) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (keep(i)) entries_[kept++] = entries_[i];
    entries_.resize(kept);
  }

  friend bool operator==(const AddressList& a, const AddressList& b) {
    return a.entries_ == b.entries_;
  }
  friend bool operator==(const AddressList& a, const std::vector<std::string>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  // Copies of a list share the storage (it only ever grows), so copying costs the views only.
  // A deque keeps each stored string in place while more are added.
  std::shared_ptr<std::deque<std::string>> storage_;
  std::vector<std::string_view> entries_;
};

}  // namespace quill
