#include "mailer/addresses/AddressCheck.h"

#include <array>
#include <cstdint>

namespace quill {
namespace {

constexpr unsigned char kPairLead = 0x81;
constexpr unsigned char kPairTrail = 0x40;

bool IsPairAt(std::string_view s, std::size_t i) {
  return i + 1 < s.size() && static_cast<unsigned char>(s[i]) == kPairLead &&
         static_cast<unsigned char>(s[i + 1]) == kPairTrail;
}

constexpr std::array<std::uint8_t, 256> MakeClassTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& c : table) c = 5;
  for (int b = '0'; b <= '9'; ++b) table[b] = 0;
  for (int b = 'A'; b <= 'Z'; ++b) table[b] = 0;
  for (int b = 'a'; b <= 'z'; ++b) table[b] = 0;
  table['-'] = 0;
  table['_'] = 0;
  table['.'] = 1;
  table['@'] = 2;
  table[' '] = 3;
  table[','] = 4;
  return table;
}
constexpr std::array<std::uint8_t, 256> kClass = MakeClassTable();

constexpr std::array<bool, 256> MakeSeparatorStartTable() {
  std::array<bool, 256> table{};
  table[','] = true;
  table[' '] = true;
  table[kPairLead] = true;
  return table;
}
constexpr std::array<bool, 256> kMaySeparate = MakeSeparatorStartTable();

// Next state for each state (row) and byte class 0..4 (column); a negative entry -N ends the
// check with reason code N. Class 5 ends it with 25 in every state.
constexpr int kStates = 11;
constexpr std::int8_t kNext[kStates][5] = {
    {1, -1, -6, -9, -17},   // 0 start
    {1, 2, 4, -10, -18},    // 1 in the local part's first run
    {3, -2, -7, -11, -19},  // 2 after a dot in the local part
    {3, 2, 4, -12, -20},    // 3 in a later run of the local part
    {5, -3, -8, -13, -21},  // 4 after '@'
    {5, 6, -8, -14, -22},   // 5 in the first domain label
    {7, -4, -8, -15, -23},  // 6 after the domain's first dot
    {7, 8, -8, 10, 10},     // 7 in the second domain label
    {9, -5, -8, -16, -24},  // 8 after a later dot of the domain
    {9, 8, -8, 10, 10},     // 9 in a later domain label
    {10, 10, -8, 10, 10},   // 10 after a blank or comma behind a whole address
};
constexpr int kOtherByte = 25;
constexpr int kEndedTooEarly = 26;

// The table above with the byte's class folded in: one look-up per byte on the path from one
// state to the next, which is what the check of a long list waits for.
using StepTable = std::array<std::array<std::int8_t, 256>, kStates>;
constexpr StepTable MakeStepTable() {
  StepTable table{};
  for (int state = 0; state < kStates; ++state) {
    for (int byte = 0; byte < 256; ++byte) {
      const int cls = kClass[static_cast<std::size_t>(byte)];
      table[state][byte] = cls == 5 ? static_cast<std::int8_t>(-kOtherByte) : kNext[state][cls];
    }
  }
  return table;
}
constexpr StepTable kStep = MakeStepTable();

}  // namespace

std::string_view SkipLeadingSeparators(std::string_view line) {
  const std::size_t length = line.size();
  if (length == 0) return line;
  std::size_t i = 0;
  do {
    if (line[i] == ',' || line[i] == ' ') {
      i += 1;
    } else if (IsPairAt(line, i)) {
      i += 2;
    } else {
      break;
    }
  } while (i + 1 < length);
  return i >= length ? std::string_view() : line.substr(i);
}

std::string_view CutAtSeparator(std::string_view line) {
  // One table look-up per byte finds the candidates; only 0x81 needs a look at the next byte.
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (!kMaySeparate[byte]) continue;
    if (byte != kPairLead || IsPairAt(line, i)) return line.substr(0, i);
  }
  return line;
}

std::string_view FirstField(std::string_view line) {
  return CutAtSeparator(SkipLeadingSeparators(line));
}

int CharClass(std::string_view text) {
  return text.empty() ? kClass[0] : kClass[static_cast<unsigned char>(text[0])];
}

int CheckAddress(std::string_view address) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(address.data());
  const std::size_t n = address.size();
  int state = 0;
  for (std::size_t i = 0; i < n;) {
    const int next = kStep[static_cast<std::size_t>(state)][bytes[i++]];
    if (next < 0) return -next;
    state = next;
    // Inside a run of word bytes the state stays as it is, so the run is skipped by class
    // alone, without waiting for each step's state before the next look-up.
    if (kNext[state][0] == state)
      while (i < n && kClass[bytes[i]] == 0) ++i;
  }
  return (state < 7 || state == 8) ? kEndedTooEarly : 0;
}

}  // namespace quill
