#pragma once
// The authentication schemes that a server announces in its reply to EHLO.

#include <string>
#include <vector>

namespace quill {

/// Adds to `schemes` the entries that the text lines `replyText` of a 250 reply to EHLO
/// announce. Each line is upper-cased; a line beginning "AUTH " or "AUTH=" is taken from its
/// blank or "=" on, every "=" becomes a blank, and the text is cut at each blank into entries,
/// each added unless present. So an AUTH line always adds an empty first entry:
/// "AUTH LOGIN PLAIN" gives "", "LOGIN", "PLAIN". Takes time linear in the size of the reply
/// and of `schemes`.
void AddAuthSchemes(const std::vector<std::string>& replyText, std::vector<std::string>& schemes);

}  // namespace quill
