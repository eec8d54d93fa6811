#include "mailer/smtp/SmtpAuthSchemes.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>
#include <utility>

namespace quill {

void AddAuthSchemes(const std::vector<std::string>& replyText, std::vector<std::string>& schemes) {
  // The names listed so far, so that a repeat is found at once: an EHLO reply within the
  // reader's bounds can announce more than 100 000 names, and searching the list for each
  // would take seconds.
  std::unordered_set<std::string> listed(schemes.begin(), schemes.end());
  auto addUnlessPresent = [&](std::string entry) {
    if (listed.insert(entry).second) schemes.push_back(std::move(entry));
  };
  for (std::string line : replyText) {
    for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (line.rfind("AUTH ", 0) != 0 && line.rfind("AUTH=", 0) != 0) continue;
    std::string rest = line.substr(4);
    std::replace(rest.begin(), rest.end(), '=', ' ');
    size_t from = 0;
    for (;;) {
      size_t blank = rest.find(' ', from);
      if (blank == std::string::npos) {
        if (from < rest.size()) addUnlessPresent(rest.substr(from));
        break;
      }
      addUnlessPresent(rest.substr(from, blank - from));
      from = blank + 1;
    }
  }
}

}  // namespace quill
