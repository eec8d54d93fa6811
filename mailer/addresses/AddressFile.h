#pragma once
// Reading an address file into its list of addresses.
//
// The file is read line by line (platform/TextLines.h); the address of a line is its first
// field (FirstField in mailer/AddressCheck.h); lines whose first field is empty add nothing.

#include <string>

#include "platform/AddressList.h"

namespace quill {

/// Appends the non-empty first field of every line of `bytes` to `entries`, in order. The
/// list keeps `bytes` as the storage that its new entries view.
void AppendAddressEntries(std::string bytes, AddressList& entries);

/// Appends the entries of the regular file at `path` (native path) to `entries`. Throws
/// quill::Error when the file cannot be opened or read, is no regular file (a folder, a FIFO, a
/// device), or memory runs out; `entries` then keeps what was appended before the failure.
void ReadAddressFile(const std::string& path, AddressList& entries);

}  // namespace quill
