// Converts a Shift_JIS file to JIS as the mailer converts a body, as a whole process:
//   jconvert <input file>      writes the converted bytes to standard output
#include "mailer/jconvert/jconvert.h"

#include <unistd.h>

#include <cstdio>

#include "platform/Error.h"
#include "platform/FileIO.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: jconvert <Shift_JIS file>\n");
    return 2;
  }
  try {
    const std::string text = quill::platform::ReadWholeFile(argv[1]);
    const std::string jis = quill::ConvertKanjiCode(text, quill::jcJis);
    for (size_t done = 0; done < jis.size();) {
      const ssize_t n = ::write(STDOUT_FILENO, jis.data() + done, jis.size() - done);
      if (n <= 0) return 1;
      done += static_cast<size_t>(n);
    }
  } catch (const quill::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
