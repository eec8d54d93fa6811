#include "platform/AddressList.h"

namespace quill {

AddressList::AddressList(std::initializer_list<std::string_view> entries) {
  reserve(entries.size());
  for (std::string_view entry : entries) push_back(entry);
}

void AddressList::clear() {
  entries_.clear();
  storage_.reset();
}

void AddressList::push_back(std::string_view entry) { AppendView(Keep(std::string(entry))); }

std::string_view AddressList::Keep(std::string bytes) {
  if (!storage_) storage_ = std::make_shared<std::deque<std::string>>();
  return storage_->emplace_back(std::move(bytes));
}

void AddressList::Repack(std::size_t from, std::string_view bytes) {
  auto inBytes = [bytes](std::string_view entry) {
    return entry.data() >= bytes.data() && entry.data() < bytes.data() + bytes.size();
  };
  std::size_t total = 0;
  for (std::size_t i = from; i < entries_.size(); ++i)
    if (inBytes(entries_[i])) total += entries_[i].size();
  std::string packed;
  packed.reserve(total);
  for (std::size_t i = from; i < entries_.size(); ++i)
    if (inBytes(entries_[i])) packed.append(entries_[i]);
  const char* at = Keep(std::move(packed)).data();
  for (std::size_t i = from; i < entries_.size(); ++i) {
    if (!inBytes(entries_[i])) continue;
    entries_[i] = std::string_view(at, entries_[i].size());
    at += entries_[i].size();
  }
  if (storage_.use_count() != 1) return;
  for (std::string& stored : *storage_) {
    if (stored.data() == bytes.data()) std::string().swap(stored);
  }
}

}  // namespace quill
