#include "mailer/sendrun/SendRun.h"

#include <algorithm>
#include <exception>

#include "mailer/jconvert/jconvert.h"
#include "mailer/message/IdMessage.h"
#include "mailer/smtp/IdSMTP.h"
#include "platform/Error.h"
#include "platform/TextCodec.h"
#include "settings/Registory.h"
#include "settings/SmtpUnit.h"

namespace quill {
namespace {

using platform::Utf8ToSjis;

// The run's texts, in Shift_JIS as the run log and the status bar hold them.
struct RunTexts {
  std::string noText = Utf8ToSjis("＊＊＊ 送信するテキストがありません。");
  std::string noAddress = Utf8ToSjis("＊＊＊ 送信先のアドレスがありません。");
  std::string noAccount = Utf8ToSjis("＊＊＊ ＳＭＴＰの指定がありません。");
  std::string documentHead = Utf8ToSjis("文書　　 ");
  std::string addressHead = Utf8ToSjis("アドレス ");
  std::string opened = Utf8ToSjis(" を開きました。");
  std::string connectFailed = Utf8ToSjis("＊＊　接続に失敗しました。　＊＊");
  std::string authFailed = Utf8ToSjis("＊＊　認証形式で接続に失敗しました。　＊＊");
  std::string connectedPanel = Utf8ToSjis("接続しました。");
  std::string connectedTo = Utf8ToSjis(" に接続しました。");
  std::string stopped = Utf8ToSjis("＊＊　送信を中断しました。　＊＊");
  std::string sendError = Utf8ToSjis("＊＊　送信エラーです。　＊＊");
  std::string finished = Utf8ToSjis("送信完了");
  std::string noAuth = Utf8ToSjis("設定なし");
};

const RunTexts& Texts() {
  static const RunTexts texts;
  return texts;
}

// A server's text as the run log shows it: a NUL as a blank, so that the log stays plain
// text on screen and in its file; every other byte as it came.
std::string ShownInLog(std::string serverText) {
  std::replace(serverText.begin(), serverText.end(), '\0', ' ');
  return serverText;
}

class SendRun {
 public:
  SendRun(const SendRunParts& parts, const SendRunInput& input)
      : smtp_(parts.smtp),
        message_(parts.message),
        accounts_(parts.accounts),
        settings_(parts.settings),
        window_(parts.window),
        input_(input) {}

  void Run(std::vector<std::string>& bodyList, bool& logDirty) {
    window_.SetPanel(0, {});
    window_.SetPanel(1, {});
    if (!PreconditionsHold()) return;
    bodyList = window_.BodyLines();
    window_.ClearLog();
    window_.AppendLog(Texts().documentHead + input_.DocName + Texts().opened);
    window_.AppendLog(Texts().addressHead + input_.AddressFileName + Texts().opened);
    logDirty = true;
    SetUpClient(smtp_, accounts_);
    BuildMessage(bodyList);
    perGroup_ = std::clamp(accounts_.GetSendNum(), kMinSendNum, kMaxSendNum);
    waitSeconds_ = std::clamp(accounts_.GetWaitTime(), kMinWaitTime, kMaxWaitTime);
    while (RunGroup() && !AllProcessed()) {
      if (waitSeconds_ > 0 && !window_.CloseRequested()) window_.Wait(waitSeconds_);
      // A close asked for by the end of a group ends the run here: the next address would
      // stop it anyway, after the wait and on a connection that carries nothing.
      if (window_.CloseRequested()) {
        window_.AppendLog(Texts().stopped);
        break;
      }
    }
    if (AllProcessed()) window_.SetPanel(1, Texts().finished);
  }

 private:
  bool PreconditionsHold() {
    if (!input_.TextLoaded) {
      window_.SetPanel(1, Texts().noText);
    } else if (!input_.AddressLoaded) {
      window_.SetPanel(1, Texts().noAddress);
    } else if (accounts_.GetCurrent() < 0) {
      window_.SetPanel(1, Texts().noAccount);
    } else {
      return true;
    }
    return false;
  }

  void BuildMessage(const std::vector<std::string>& bodyList) {
    const std::vector<std::string> attachments = window_.AttachmentPaths();
    message_.Clear();
    message_.FromAddress = accounts_.GetFromAddress();
    message_.FromName = accounts_.GetFromName();
    message_.Subject = input_.DocName;
    message_.Body.clear();
    if (attachments.empty()) {
      // The message writer converts a body without attachments itself.
      message_.Body = bodyList;
    } else {
      std::string text;
      for (const std::string& line : bodyList) text += line + "\r\n";
      message_.Body = SplitAtLineEnds(ConvertKanjiCode(text, jcJis));
    }
    for (const std::string& path : attachments) message_.MessageParts.push_back({path, {}, {}, {}});
  }

  // One group on one connection. False when the run ends after it (connection or login
  // failed, stopped, a send error that ends the run, or no address left).
  bool RunGroup() {
    try {
      smtp_.Connect();
    } catch (const std::exception&) {
      window_.AppendLog(Texts().connectFailed);
      return false;
    }
    if (!Authenticate()) return false;
    window_.SetPanel(1, Texts().connectedPanel);
    window_.AppendLog(accounts_.GetName() + Texts().connectedTo);
    const bool goOn = SendGroup();
    if (smtp_.Connected()) smtp_.Disconnect();
    return goOn;
  }

  bool Authenticate() {
    if (!accounts_.GetAuthData().Auth || smtp_.AuthenticationType == atNone) return true;
    try {
      smtp_.Authenticate();
      return true;
    } catch (const std::exception&) {
      window_.AppendLog(Texts().authFailed);
      smtp_.Disconnect();
      return false;
    }
  }

  // Up to perGroup_ addresses; false when the run is to stop after this group.
  bool SendGroup() {
    for (int turns = perGroup_; turns > 0; --turns) {
      if (AllProcessed()) return false;
      if (StopAsked()) {
        window_.AppendLog(Texts().stopped);
        return false;
      }
      const std::string address(input_.DestList[position_]);
      message_.SetRecipients(address);
      try {
        smtp_.Send(message_);
      } catch (const std::exception& failure) {
        LogSendError(FailureText(failure), address);
        if (settings_.SendErrorBreak) return false;
      }
      window_.SetPanel(1, address);
      ++position_;
      window_.SetPanel(0, std::to_string(position_));
      window_.ProcessMessages();
    }
    return true;
  }

  bool StopAsked() {
    if (window_.CloseRequested()) return true;
    return window_.EscapeHeld() && window_.AskStop();
  }

  void LogSendError(const std::string& text, const std::string& address) {
    window_.AppendLog(Texts().sendError);
    const int errorDisp = settings_.ErrorDisp;
    if (errorDisp < 2) {
      // A reply of several lines shows as several lines.
      const std::vector<std::string> lines = SplitAtLineEnds(ShownInLog("ERROR: " + text));
      for (const std::string& line : lines) window_.AppendLog(line);
    }
    if (errorDisp < 1) window_.AppendLog(address);
  }

  bool AllProcessed() const { return position_ >= input_.DestList.size(); }

  TIdSMTP& smtp_;
  TIdMessage& message_;
  TSmtp& accounts_;
  const TRegistory& settings_;
  SendRunWindow& window_;
  const SendRunInput& input_;
  int perGroup_ = 0;
  int waitSeconds_ = 0;
  size_t position_ = 0;
};

}  // namespace

std::vector<std::string> SplitAtLineEnds(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

void SetUpClient(TIdSMTP& smtp, TSmtp& accounts) {
  smtp.Host = accounts.GetHost();
  smtp.Port = 25;
  const TAuthRec auth = accounts.GetAuthData();
  if (auth.Auth) {
    smtp.AuthenticationType = atLogin;
    smtp.Username = auth.UserName.Text();
    smtp.Password = auth.Password.Text();
  } else {
    smtp.AuthenticationType = atNone;
  }
}

void RunSend(const SendRunParts& parts, const SendRunInput& input,
             std::vector<std::string>& bodyList, bool& logDirty) {
  SendRun(parts, input).Run(bodyList, logDirty);
}

void CheckAuthSchemes(TIdSMTP& smtp, TSmtp& accounts, SendRunWindow& window) {
  window.SetPanel(0, {});
  window.SetPanel(1, {});
  if (accounts.GetCurrent() < 0) {
    window.SetPanel(1, Texts().noAccount);
    return;
  }
  window.ClearLog();
  SetUpClient(smtp, accounts);
  try {
    smtp.Connect();
  } catch (const std::exception&) {
    window.AppendLog(Texts().connectFailed);
    return;
  }
  try {
    if (smtp.AuthenticationType != atNone) {
      for (const std::string& scheme : smtp.AuthSchemesSupported())
        window.AppendLog(ShownInLog(scheme));
    } else {
      window.AppendLog(Texts().noAuth);
    }
  } catch (const std::exception&) {
    window.AppendLog(Texts().authFailed);
    smtp.Disconnect();
    return;
  }
  if (smtp.Connected()) smtp.Disconnect();
}

}  // namespace quill
