#pragma once
// The mailer's address file rules written out plainly, one step after another, with none of
// the reader's shortcuts: a reference that the tests hold the fast code against.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quill::test {

/// The lines of `bytes`: a line ends at LF or CR LF; a lone CR is dropped and the line goes
/// on; a Ctrl-Z that begins a line (dropped CRs before it do not count) ends the text, one
/// inside a line ends its text up to the line's LF.
std::vector<std::string> ModelLines(std::string_view bytes);

/// The walk over the leading separators by 1-based positions, stopping once the position
/// reaches the line's length.
std::string ModelSkipLeadingSeparators(const std::string& line);

/// The bytes before the earliest of the first ',', the first ' ' and the first 0x81 0x40.
std::string ModelCutAtSeparator(const std::string& line);

/// The state table of the address check, byte by byte.
int ModelCheckAddress(const std::string& address);

/// The non-empty first fields of the lines of `bytes`, in order.
std::vector<std::string> ModelEntries(std::string_view bytes);

/// The duplicate pass as every first occurrence compared with every entry.
struct ModelPass {
  std::vector<std::int32_t> counts;  ///< one per entry
  std::vector<int> positions;        ///< progress position of each first occurrence, in order
  std::vector<std::string> kept;     ///< the entries whose count is 1
};
ModelPass ModelDuplicatePass(const std::vector<std::string>& list);

}  // namespace quill::test
