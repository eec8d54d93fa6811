#pragma once
// The text of a registry export file holding the HKEY_CURRENT_USER hive.
//
// Format, as written (UTF-8, CR LF line ends; registry editors write the same text in UTF-16LE
// with a byte-order mark, which is read as well):
//
//   Windows Registry Editor Version 5.00
//   <blank>
//   [HKEY_CURRENT_USER]                        one section per key, parents first,
//   <blank>                                    each section followed by a blank line
//   [HKEY_CURRENT_USER\Software\Korvane\Quill2]
//   "Status"=dword:00000001                    REG_DWORD, eight lower-case hex digits
//   "LogFile"="/home/user/log.txt"             REG_SZ, with \\ for \ and \" for "
//   "Path"=hex(2):25,00,48,00,...,00,00        REG_EXPAND_SZ as UTF-16LE bytes with the
//   <blank>                                    terminating NUL, wrapped with ",\" after
//                                              column 77, continued after two blanks
//
// A value name is quoted and escaped like a REG_SZ text; "@" is the key's default value.
// A REG_SZ text that holds a CR, an LF or a NUL cannot stand in quotes and is written as
// hex(1): like REG_EXPAND_SZ.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/RegistryHive.h"

namespace quill::platform {

/// Every key is written as its own section headed by its whole path, so a key line whose
/// parents the text does not name adds a section for each of them to the next written text:
/// a deep path would grow it with the square of its depth. Over a whole text, the sections
/// so added may come to at most the size of the bytes read plus this allowance, so that
/// missing parents at most double what is written back (beyond the allowance); a key line
/// whose missing parents would go past that is damage. The allowance holds the parents of
/// one exported key of ordinary depth in a file that holds nothing else: the mailer's own key
/// needs 72 bytes; a key 32 levels deep in a path of 500 characters needs about
/// 31 * (250 + 24) = 8.5 KB, within the allowance and the 1 KB that its own key line takes in
/// a registry editor's UTF-16 export.
inline constexpr std::size_t kMissingParentAllowance = 8192;

/// What the section of the key at `path` adds to the written text: its key line and the
/// blank line after it (values not counted).
std::size_t SectionBytes(std::string_view path);

/// Reads the bytes of an export file: UTF-8, with or without its BOM, or UTF-16LE with its
/// BOM. Never fails: a line that is damaged or of a kind it does not hold (another root, a
/// deletion, a value of another type) is ignored, and so are the values of a section that is
/// ignored. LF and CR LF line ends are accepted; a value given twice keeps the last one.
/// `intact`, when given, tells whether the bytes are wholly an export text: false when they
/// hold something, but not the header line first, or a damaged line, or an odd number of
/// UTF-16 bytes. Lines of a kind that is not held are not damage. A key line is damaged when
/// its path goes past the registry's limits (IsValidKeyPath) or when the keys above it that
/// the text has not named would go past the bound above.
/// Takes time near-linear in the size of `bytes`.
RegistryHive ParseRegistryText(std::string_view bytes, bool* intact = nullptr);

/// The text of an export file holding `hive`, in the format above. Takes time linear in the
/// size of the text.
std::string FormatRegistryText(const RegistryHive& hive);

}  // namespace quill::platform
