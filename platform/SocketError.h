#pragma once
// Socket failures as the system reports them: "Socket Error # " + number + CR LF + text, with
// the Winsock numbers and texts for the failures that users know by them.

#include <string>

#include "platform/Error.h"

namespace quill::platform {

inline constexpr int kSocketHostNotFound = 11001;
inline constexpr int kSocketConnectionRefused = 10061;
inline constexpr int kSocketTimedOut = 10060;
inline constexpr int kSocketConnectionReset = 10054;
inline constexpr int kSocketHostUnreachable = 10065;

/// The number reported for the errno value `err`: the Winsock number for a refused, timed-out
/// or reset connection and an unreachable host; `err` itself for anything else.
int SocketErrorNumber(int err);

/// The text for a number of SocketErrorNumber or kSocketHostNotFound: the Winsock text
/// ("Connection refused." ...) or, for an errno value, the system's English description.
std::string SocketErrorText(int number);

/// The error "Socket Error # <number>" CR LF <text>.
Error SocketError(int number);

/// Throws SocketError(SocketErrorNumber(err)).
[[noreturn]] void ThrowErrno(int err);

/// Throws the socket error 10060 "Connection timed out.", the error of every time limit.
[[noreturn]] void ThrowTimedOut();

}  // namespace quill::platform
