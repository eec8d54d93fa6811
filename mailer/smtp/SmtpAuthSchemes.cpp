#include "mailer/smtp/SmtpAuthSchemes.h"

#include <algorithm>
#include <cctype>

namespace quill {
namespace {

void AddUnlessPresent(std::vector<std::string>& schemes, std::string entry) {
  if (std::find(schemes.begin(), schemes.end(), entry) == schemes.end()) {
    schemes.push_back(std::move(entry));
  }
}

}  // namespace

void AddAuthSchemes(const std::vector<std::string>& replyText, std::vector<std::string>& schemes) {
  for (std::string line : replyText) {
    for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (line.rfind("AUTH ", 0) != 0 && line.rfind("AUTH=", 0) != 0) continue;
    std::string rest = line.substr(4);
    std::replace(rest.begin(), rest.end(), '=', ' ');
    size_t from = 0;
    for (;;) {
      size_t blank = rest.find(' ', from);
      if (blank == std::string::npos) {
        if (from < rest.size()) AddUnlessPresent(schemes, rest.substr(from));
        break;
      }
      AddUnlessPresent(schemes, rest.substr(from, blank - from));
      from = blank + 1;
    }
  }
}

}  // namespace quill
