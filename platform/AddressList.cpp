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

}  // namespace quill
