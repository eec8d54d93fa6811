#pragma once
// The send run: one message to every address of the loaded list, one recipient each, in
// groups of the account's size over one connection per group, with a wait between two
// groups; and the check that lists the server's AUTH schemes. No Qt: the main window is
// reached through SendRunWindow.

#include <string>
#include <vector>

#include "platform/AddressList.h"

namespace quill {

class TIdSMTP;
class TIdMessage;
class TSmtp;
class TRegistory;

/// What the run needs of the window it runs in. Every text is Shift_JIS bytes.
class SendRunWindow {
 public:
  virtual ~SendRunWindow() = default;
  /// Status bar panel 0 (a number) or 1 (a message).
  virtual void SetPanel(int index, const std::string& text) = 0;
  virtual void ClearLog() = 0;
  /// Appends `line` (no line end inside) to the run log.
  virtual void AppendLog(const std::string& line) = 0;
  /// The body editor's lines as it shows them at this moment (a wrapped piece is a line).
  virtual std::vector<std::string> BodyLines() = 0;
  /// The native paths of the attachment list, in list order.
  virtual std::vector<std::string> AttachmentPaths() = 0;
  /// Called once per processed address: lets waiting window messages through.
  virtual void ProcessMessages() = 0;
  /// Whether the Escape key is held down at this moment.
  virtual bool EscapeHeld() = 0;
  /// The stop question; true when the user chose to stop.
  virtual bool AskStop() = 0;
  /// The timed wait between two groups; it may end at once when the window is asked to
  /// close just before it.
  virtual void Wait(int seconds) = 0;
  /// True once the window was asked to close: the run stops at the next address, or at the
  /// end of its group, before the wait.
  virtual bool CloseRequested() = 0;
};

/// The main window's state that one run reads; it must stay in place until the run ends.
/// Texts are Shift_JIS, the address file's name included.
struct SendRunInput {
  bool TextLoaded;
  bool AddressLoaded;
  const std::string& DocName;
  const std::string& AddressFileName;
  const AddressList& DestList;
};

/// The objects a run drives: the client and the message (kept by the window between runs),
/// the account store and the settings (read where they apply, at that moment).
struct SendRunParts {
  TIdSMTP& smtp;
  TIdMessage& message;
  TSmtp& accounts;
  const TRegistory& settings;
  SendRunWindow& window;
};

/// The bounds of the account dialog, applied to an account file written by other means, so
/// that a run always ends and a wait always ends.
inline constexpr int kMinSendNum = 1;
inline constexpr int kMaxSendNum = 9999;
inline constexpr int kMinWaitTime = 0;
inline constexpr int kMaxWaitTime = 300;

/// One click of "送信". `bodyList` is refilled with the body's lines; `logDirty` is set once
/// the run has written its heading lines. Failures of connecting, authenticating and
/// sending are logged; a failure of Disconnect leaves the run.
void RunSend(const SendRunParts& parts, const SendRunInput& input,
             std::vector<std::string>& bodyList, bool& logDirty);

/// The AUTH scheme check: connects to the current account's server and logs the schemes it
/// announces, or "設定なし" for an account without authentication.
void CheckAuthSchemes(TIdSMTP& smtp, TSmtp& accounts, SendRunWindow& window);

/// `text` cut at its line ends (CR LF, a lone CR or a lone LF); a line end at the very end
/// makes no empty last line.
std::vector<std::string> SplitAtLineEnds(const std::string& text);

/// The client's settings for the current account: host, port 25, and AUTH LOGIN with the
/// account's credentials when the account asks for it (otherwise none, the user name and
/// password left as they were).
void SetUpClient(TIdSMTP& smtp, TSmtp& accounts);

}  // namespace quill
