#include "platform/SocketError.h"

#include <cerrno>
#include <cstring>

namespace quill::platform {

int SocketErrorNumber(int err) {
  switch (err) {
    case ECONNREFUSED:
      return kSocketConnectionRefused;
    case ETIMEDOUT:
      return kSocketTimedOut;
    case ECONNRESET:
    case EPIPE:  // a write after the peer reset the connection
      return kSocketConnectionReset;
    case EHOSTUNREACH:
      return kSocketHostUnreachable;
    default:
      return err;
  }
}

std::string SocketErrorText(int number) {
  switch (number) {
    case kSocketHostNotFound:
      return "Host not found.";
    case kSocketConnectionRefused:
      return "Connection refused.";
    case kSocketTimedOut:
      return "Connection timed out.";
    case kSocketConnectionReset:
      return "Connection reset by peer.";
    case kSocketHostUnreachable:
      return "No route to host.";
    default: {
      // The untranslated description: the text must stay ASCII whatever the user's locale.
      const char* text = strerrordesc_np(number);
      return text ? text : "Unknown error " + std::to_string(number);
    }
  }
}

Error SocketError(int number) {
  return Error("Socket Error # " + std::to_string(number) + "\r\n" + SocketErrorText(number));
}

void ThrowErrno(int err) { throw SocketError(SocketErrorNumber(err)); }

void ThrowTimedOut() { throw SocketError(kSocketTimedOut); }

}  // namespace quill::platform
