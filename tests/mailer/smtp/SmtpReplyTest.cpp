#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "mailer/smtp/SmtpAuthSchemes.h"
#include "mailer/smtp/SmtpReply.h"
#include "platform/Error.h"

namespace quill {
namespace {

// Feeds `chunks` one after the other and collects every reply as "code|text1|text2..." and
// every failure as "!" + its text.
std::vector<std::string> ReadAll(const std::vector<std::string>& chunks) {
  SmtpReplyReader reader;
  std::vector<std::string> out;
  for (const auto& chunk : chunks) {
    reader.Feed(chunk);
    for (;;) {
      try {
        auto reply = reader.Next();
        if (!reply) break;
        std::string s = std::to_string(reply->Code);
        for (const auto& line : reply->Text) s += "|" + line;
        out.push_back(s);
      } catch (const Error& e) {
        out.push_back(std::string("!") + e.what());
      }
    }
  }
  return out;
}

TEST(SmtpReplyReader, CutsBytesIntoReplies) {
  const std::string longText(16384 - 4, 'x');  // "250 " + text = 16384 bytes before LF
  struct Row {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::string> replies;
  };
  const Row rows[] = {
      {"one line", {"220 mail ready\r\n"}, {"220|mail ready"}},
      {"bare LF", {"220 ready\n"}, {"220|ready"}},
      {"split over reads", {"2", "50 o", "k\r", "\n"}, {"250|ok"}},
      {"trimmed both ends", {" \t250 ok \t\x01\r\n"}, {"250|ok"}},
      {"blank lines skipped", {"\r\n  \r\n\n250 ok\r\n"}, {"250|ok"}},
      {"two replies in one read", {"250 a\r\n354 b\r\n"}, {"250|a", "354|b"}},
      {"multi-line", {"250-host\r\n250-AUTH LOGIN\r\n250 HELP\r\n"}, {"250|host|AUTH LOGIN|HELP"}},
      {"multi-line with bare LF and blank lines",
       {"250-host\n\n250-SIZE\n   \r\n250 HELP\n"},
       {"250|host|SIZE|HELP"}},
      {"multi-line ends at a line shorter than 4 bytes", {"250-a\r\n25\r\n"}, {"250|a|"}},
      {"end line compared without case", {"25a-x\r\n25A y\r\n"}, {"0|x|y"}},
      {"another code does not end it", {"250-a\r\n251 b\r\n250 c\r\n"}, {"250|a|b|c"}},
      {"dash after 3 bytes only", {"25-x\r\n"}, {"0|"}},
      {"code of a short line", {"2\r\n"}, {"2|"}},
      {"code not a number", {"abc def\r\n"}, {"0|def"}},
      {"no blank after the code", {"250ok\r\n"}, {"0|k"}},
      {"longest line", {"250 " + longText + "\n"}, {"250|" + longText}},
      {"CR counts before the LF", {"250 " + longText + "\r\n"}, {"!Max line length exceeded."}},
      {"line over the limit without LF yet",
       {"250 " + longText + "x", "yyy", "zzz\r\n250 next\r\n"},
       {"!Max line length exceeded.", "250|next"}},
      {"overlong line drops its reply",
       {"250-first\r\n250-" + longText + "xx\r\n250 last\r\n"},
       {"!Max line length exceeded.", "250|last"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ReadAll(row.chunks), row.replies) << row.name;
  }
}

// Replies are bounded in lines and in bytes, blank lines included; a reply past either bound
// fails with a text of its own as soon as the line that crosses it arrives.
TEST(SmtpReplyReader, RepliesAreBoundedInLinesAndBytes) {
  auto multiLine = [](size_t lines, const std::string& text) {
    std::string reply;
    for (size_t i = 1; i < lines; ++i) reply += "250-" + text + "\n";
    return reply + "250 " + text + "\n";
  };
  const std::string thousand = multiLine(1000, "x");
  ASSERT_EQ(ReadAll({thousand}).size(), 1u);
  EXPECT_EQ(ReadAll({thousand}).front().substr(0, 6), "250|x|");
  EXPECT_EQ(ReadAll({"250-x\n" + thousand}), std::vector<std::string>{"!Max reply size exceeded."});

  // 64 lines of 16384 bytes each, LF included, are 1 MiB exactly.
  const std::string mebibyte = multiLine(64, std::string(16384 - 5, 'y'));
  ASSERT_EQ(mebibyte.size(), SmtpReplyReader::kMaxReplyBytes);
  EXPECT_EQ(ReadAll({mebibyte}).size(), 1u);
  EXPECT_EQ(ReadAll({"\n", mebibyte}), std::vector<std::string>{"!Max reply size exceeded."});
  // What follows a dropped reply is read afresh; the next reply starts with nothing counted.
  EXPECT_EQ(ReadAll({"\n" + mebibyte + "220 next\r\n", mebibyte}),
            (std::vector<std::string>{"!Max reply size exceeded.", "220|next",
                                      ReadAll({mebibyte}).front()}));
}

TEST(SmtpReplyReader, ResetForgetsPartialReplies) {
  SmtpReplyReader reader;
  reader.Feed("250-a\r\n250 b");
  EXPECT_FALSE(reader.Next());
  reader.Reset();
  reader.Feed("220 new\r\n");
  auto reply = reader.Next();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->Code, 220);
  EXPECT_EQ(reply->Text, std::vector<std::string>{"new"});
}

TEST(SmtpReply, ErrorTextIsEveryLineWithCrLf) {
  EXPECT_EQ(ReplyErrorText({550, {"No such user"}}), "No such user\r\n");
  EXPECT_EQ(ReplyErrorText({550, {"a", "", "b"}}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(ReplyErrorText({0, {}}), "");
}

TEST(SmtpReply, CodeOfFirstLine) {
  const std::pair<const char*, int> rows[] = {
      {"250 ok", 250}, {"250-ok", 250}, {"250", 250}, {"9", 9},    {"", 0},
      {"x50 ok", 0},   {"2 5 x", 0},    {"25-", 0},   {"-25 ", 0}, {"0042 x", 42},
  };
  for (const auto& [line, code] : rows) EXPECT_EQ(ReplyCode(line), code) << line;
}

TEST(SmtpAuthSchemes, CollectsAnnouncedSchemes) {
  struct Row {
    const char* name;
    std::vector<std::string> text;
    std::vector<std::string> schemes;
  };
  const Row rows[] = {
      {"none", {"mail.example", "SIZE 100", "HELP"}, {}},
      {"blank and equals forms",
       {"host", "AUTH LOGIN PLAIN", "AUTH=LOGIN"},
       {"", "LOGIN", "PLAIN"}},
      {"lower case upper-cased", {"auth login cram-md5"}, {"", "LOGIN", "CRAM-MD5"}},
      {"equals inside becomes a cut", {"AUTH=LOGIN=PLAIN"}, {"", "LOGIN", "PLAIN"}},
      {"AUTH alone is no announcement", {"AUTH"}, {}},
      {"AUTHX is none", {"AUTHX LOGIN"}, {}},
      {"double blank", {"AUTH  LOGIN"}, {"", "LOGIN"}},
  };
  for (const auto& row : rows) {
    std::vector<std::string> schemes;
    AddAuthSchemes(row.text, schemes);
    EXPECT_EQ(schemes, row.schemes) << row.name;
  }
}

// The list read the plain way, one step of the rule at a time: the text taken from the
// 5th byte on, "=" as blanks, the part before the first blank cut off, added unless the list
// already holds it (a search of the whole list).
std::vector<std::string> PlainReading(const std::vector<std::string>& text,
                                      std::vector<std::string> schemes) {
  for (std::string line : text) {
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (line.substr(0, 5) != "AUTH " && line.substr(0, 5) != "AUTH=") continue;
    std::string taken = line.substr(4);
    while (!taken.empty()) {
      std::replace(taken.begin(), taken.end(), '=', ' ');
      const size_t blank = taken.find(' ');
      const std::string cut = taken.substr(0, blank);
      taken = blank == std::string::npos ? "" : taken.substr(blank + 1);
      if (std::find(schemes.begin(), schemes.end(), cut) == schemes.end()) schemes.push_back(cut);
    }
  }
  return schemes;
}

TEST(SmtpAuthSchemes, ALargeAnnouncementWithRepeatsGivesThePlainReadingsList) {
  // Names in both cases from a pool small enough to repeat often, cut by blanks, runs of
  // blanks, "=" and blanks at the ends; lines without AUTH among them; and a list that
  // already holds entries, which are not added again.
  std::mt19937 random(20240601);
  std::vector<std::string> pool;
  for (int i = 0; i < 1500; ++i) {
    std::string name = "N" + std::to_string(i);
    if (random() % 2) name[0] = 'n';
    if (random() % 5 == 0) name += "-md5";
    pool.push_back(name);
  }
  const char* const heads[] = {"AUTH ", "auth=", "Auth ", "AUTH=", "AUTHX ", "SIZE ", ""};
  const char* const cuts[] = {" ", " ", " ", "  ", "=", "= ", " ="};
  std::vector<std::string> text;
  for (int line = 0; line < 400; ++line) {
    std::string bytes = heads[random() % std::size(heads)];
    const int names = static_cast<int>(random() % 60);
    for (int i = 0; i < names; ++i) {
      if (i > 0) bytes += cuts[random() % std::size(cuts)];
      bytes += pool[random() % pool.size()];
    }
    if (random() % 4 == 0) bytes += cuts[random() % std::size(cuts)];
    text.push_back(bytes);
  }
  const std::vector<std::string> before{"LOGIN", "N7", ""};
  std::vector<std::string> schemes = before;
  AddAuthSchemes(text, schemes);
  const std::vector<std::string> expected = PlainReading(text, before);
  EXPECT_EQ(schemes, expected);
  EXPECT_GT(expected.size(), 1000u);  // the pool's names did repeat, and most were listed
  // Each reply adds only what the list lacks: a second reading of the same text adds nothing.
  AddAuthSchemes(text, schemes);
  EXPECT_EQ(schemes, expected);
}

}  // namespace
}  // namespace quill
