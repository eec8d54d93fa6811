#pragma once
// The outgoing message as the send run fills it: sender, subject, body lines, one recipient
// and the file attachment parts.

#include <string>
#include <vector>

namespace quill {

/// One file attachment part. It keeps only the path; the file is read at every send.
struct TIdAttachment {
  std::string FileName;  ///< native path of the file, as the attachment list holds it
  // Header values of the part, filled in at the first send and kept afterwards.
  std::string ContentType;
  std::string ContentTransfer;
  std::string ContentDisposition;
};

/// The message. Texts are Shift_JIS bytes.
class TIdMessage {
 public:
  /// Empties every field, the recipients, the body and the parts.
  void Clear();

  std::string FromAddress;
  std::string FromName;
  std::string Subject;
  std::vector<std::string> Body;        ///< body lines, without line ends
  std::vector<std::string> Recipients;  ///< "To" addresses; the send run sets exactly one
  std::vector<TIdAttachment> MessageParts;

  /// Replaces every earlier recipient by the one address `address`.
  void SetRecipients(const std::string& address) { Recipients.assign(1, address); }
};

}  // namespace quill
