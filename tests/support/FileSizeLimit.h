#pragma once
// Running a piece of a test while files may not grow beyond a size (a write beyond fails with
// EFBIG, even for root), to see how a writer handles a write cut short.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

namespace quill::test {

/// Runs `body` while files may grow to `limit` bytes at most.
template <class Body>
void WithFileSizeLimit(rlim_t limit, Body body) {
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = limit;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  body();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
}

}  // namespace quill::test
