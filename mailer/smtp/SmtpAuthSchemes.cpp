#include "mailer/smtp/SmtpAuthSchemes.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

namespace quill {
namespace {

// The list with an index of its entries beside it, so that the repeat check of each entry
// takes constant time: an EHLO reply within the reader's bounds can announce more than
// 100 000 names, and a search of the list for each would take seconds.
//
// The index is a table of slots holding an entry's position in the list and its hash, found
// by linear probing and kept at most half full. Growing it moves slots only, never reading a
// string, and a name costs no allocation of its own: a node-based hash set, with one node
// per name, took two to three times as long for a large announcement.
class SchemeList {
 public:
  explicit SchemeList(std::vector<std::string>& schemes) : schemes_(schemes), slots_(64) {
    for (size_t i = 0; i < schemes.size(); ++i) Index(Hash(schemes[i]), i);
  }

  void AddUnlessPresent(std::string entry) {
    const uint32_t hash = Hash(entry);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot slot = slots_[i];
      if (slot.position == 0) break;
      if (slot.hash == hash && schemes_[slot.position - 1] == entry) return;
    }
    schemes_.push_back(std::move(entry));
    Index(hash, schemes_.size() - 1);
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t position = 0;  // in the list, plus 1; 0 for a free slot
  };

  static uint32_t Hash(std::string_view entry) {
    return static_cast<uint32_t>(std::hash<std::string_view>{}(entry));
  }

  // Records that the list holds an entry of `hash` at `position`.
  void Index(uint32_t hash, size_t position) {
    if (2 * (used_ + 1) > slots_.size()) Grow();
    Place({hash, static_cast<uint32_t>(position + 1)});
    ++used_;
  }

  // Puts `slot` into the first free slot from its hash on.
  void Place(Slot slot) {
    const size_t mask = slots_.size() - 1;
    size_t i = slot.hash & mask;
    while (slots_[i].position != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }

  void Grow() {
    const std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(2 * slots_.size()));
    for (const Slot& slot : old)
      if (slot.position != 0) Place(slot);
  }

  std::vector<std::string>& schemes_;
  std::vector<Slot> slots_;
  size_t used_ = 0;
};

}  // namespace

void AddAuthSchemes(const std::vector<std::string>& replyText, std::vector<std::string>& schemes) {
  SchemeList list(schemes);
  for (std::string line : replyText) {
    for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (line.rfind("AUTH ", 0) != 0 && line.rfind("AUTH=", 0) != 0) continue;
    std::string rest = line.substr(4);
    std::replace(rest.begin(), rest.end(), '=', ' ');
    size_t from = 0;
    for (;;) {
      size_t blank = rest.find(' ', from);
      if (blank == std::string::npos) {
        if (from < rest.size()) list.AddUnlessPresent(rest.substr(from));
        break;
      }
      list.AddUnlessPresent(rest.substr(from, blank - from));
      from = blank + 1;
    }
  }
}

}  // namespace quill
