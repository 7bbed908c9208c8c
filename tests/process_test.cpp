// The program run as a process: exit status, standard error, and the report
// that the clock's second leads to.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "program_command.hpp"
#include "random_hex_generator.hpp"
#include "report_capture.hpp"

namespace {

// Where the program's standard output goes. dev_full_unbuffered also
// leaves the stream unbuffered, so each write fails as it is made and the
// close that ends the run has nothing left to fail on. broken_pipe is a
// pipe nobody reads; sigpipe_ignored is one too, to a program that starts
// with SIGPIPE ignored.
enum class output { pipe, dev_full, dev_full_unbuffered, closed, broken_pipe, sigpipe_ignored };

struct run_result {
  int wait_status = -1;
  std::string out;
  std::string err;
};

std::string read_all(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(fd);
  return text;
}

// Runs the program (under the cross-compiling emulator, if there is one)
// with its standard output sent where `to` says and its standard error
// captured. SIGPIPE is reset to its default action in the child, whatever
// the test runner does with it, unless `to` asks for it ignored.
run_result run_program(const std::vector<std::string>& args, output to = output::pipe) {
  std::vector<std::string> words(std::begin(program_command), std::end(program_command));
  if (to == output::dev_full_unbuffered) {
    words.assign(std::begin(unbuffered_program_command), std::end(unbuffered_program_command));
  }
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);

  const bool broken = to == output::broken_pipe || to == output::sigpipe_ignored;
  int out_pipe[2] = {-1, -1};
  int err_pipe[2] = {-1, -1};
  if (pipe2(err_pipe, O_CLOEXEC) != 0 ||
      ((to == output::pipe || broken) && pipe2(out_pipe, O_CLOEXEC) != 0)) {
    ADD_FAILURE() << "pipe2 failed";
    return {};
  }
  if (broken) {
    close(out_pipe[0]);  // nobody will ever read
    out_pipe[0] = -1;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  switch (to) {
    case output::pipe:
    case output::broken_pipe:
    case output::sigpipe_ignored:
      posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
      break;
    case output::dev_full:
    case output::dev_full_unbuffered:
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0);
      break;
    case output::closed:
      posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
      break;
  }
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);

  // A signal ignored in this process stays ignored in the child, through
  // exec, unless it is set back to its default there.
  const bool ignore_sigpipe = to == output::sigpipe_ignored;
  struct sigaction previous {};
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t default_signals;
  sigemptyset(&default_signals);
  if (ignore_sigpipe) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
  } else {
    sigaddset(&default_signals, SIGPIPE);
  }
  posix_spawnattr_setsigdefault(&attributes, &default_signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  if (ignore_sigpipe) {
    sigaction(SIGPIPE, &previous, nullptr);
  }
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(err_pipe[1]);
  if (out_pipe[1] >= 0) {
    close(out_pipe[1]);
  }
  run_result result;
  if (spawned != 0) {
    ADD_FAILURE() << "cannot run " << argv[0];
    return result;
  }
  if (out_pipe[0] >= 0) {
    result.out = read_all(out_pipe[0]);
  }
  result.err = read_all(err_pipe[0]);
  while (waitpid(pid, &result.wait_status, 0) < 0 && errno == EINTR) {
  }
  return result;
}

bool exited_with(const run_result& r, int status) {
  return WIFEXITED(r.wait_status) && WEXITSTATUS(r.wait_status) == status;
}

// What a run seeded with this clock value must print.
std::string expected_report(std::time_t now) {
  std::srand(static_cast<unsigned>(now));
  return report_of(draw_accepted());
}

TEST(Process, ExitsZeroWithNothingOnStandardError) {
  const run_result r = run_program({});
  EXPECT_TRUE(exited_with(r, 0)) << r.wait_status;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(r.out.starts_with("Random 8-byte Hex Value: ")) << r.out;
}

// Two runs in one second, one of them with arguments, print the same bytes,
// and those are the report of the value that second's seed leads to. A run
// whose second cannot be pinned down (the clock ticked during it) is tried
// again, so a slow machine or emulator cannot make this flaky.
TEST(Process, SameSecondSameReportWhateverTheArguments) {
  const std::vector<std::string> arguments[] = {{}, {"--help", "-x", "a b", ""}};
  for (const auto& args : arguments) {
    bool pinned = false;
    for (int attempt = 0; attempt < 20 && !pinned; ++attempt) {
      const std::time_t before = std::time(nullptr);
      const run_result r = run_program(args);
      if (std::time(nullptr) != before) {
        continue;
      }
      pinned = true;
      ASSERT_TRUE(exited_with(r, 0)) << r.wait_status;
      EXPECT_EQ(r.out, expected_report(before)) << "at " << before;
    }
    EXPECT_TRUE(pinned) << "no run fitted within one second of the clock";
  }

  // Back to back within one second.
  bool pinned = false;
  for (int attempt = 0; attempt < 20 && !pinned; ++attempt) {
    const std::time_t before = std::time(nullptr);
    const run_result a = run_program({});
    const run_result b = run_program({"ignored", "--version"});
    if (std::time(nullptr) == before) {
      pinned = true;
      EXPECT_EQ(a.out, b.out);
      EXPECT_EQ(a.err + b.err, "");
    }
  }
  EXPECT_TRUE(pinned) << "no two runs fitted within one second of the clock";
}

// A report that cannot be written fails the run with one line on standard
// error; one that can leaves standard error empty. A reader that has gone
// away is one such case where SIGPIPE is ignored. Each test is bounded by
// CTest's timeout, so a hang fails.
TEST(Process, WriteErrorsFailTheRun) {
  const struct {
    const char* name;
    output to;
    const char* message;  // nullptr: any reason
  } cases[] = {
      {"full device", output::dev_full,
       "random_hex_generator: write error: No space left on device\n"},
      {"full device, unbuffered", output::dev_full_unbuffered,
       "random_hex_generator: write error: No space left on device\n"},
      {"closed standard output", output::closed, nullptr},
      {"pipe without a reader, SIGPIPE ignored", output::sigpipe_ignored,
       "random_hex_generator: write error: Broken pipe\n"},
  };
  for (const auto& c : cases) {
    const run_result r = run_program({}, c.to);
    EXPECT_TRUE(exited_with(r, 1)) << c.name << ": " << r.wait_status;
    if (c.message != nullptr) {
      EXPECT_EQ(r.err, c.message) << c.name;
    } else {
      EXPECT_TRUE(r.err.starts_with("random_hex_generator: write error: "))
          << c.name << ": " << r.err;
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << c.name << ": " << r.err;
    }
  }
}

// A reader that has gone away ends the program by SIGPIPE, as with any
// filter, rather than by an error message.
TEST(Process, BrokenPipeEndsTheRunBySigpipe) {
  const run_result r = run_program({}, output::broken_pipe);
  EXPECT_TRUE(WIFSIGNALED(r.wait_status) && WTERMSIG(r.wait_status) == SIGPIPE) << r.wait_status;
  EXPECT_EQ(r.err, "");
}

}  // namespace
