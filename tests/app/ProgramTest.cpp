// The program itself on a real X server that the test starts (Xvfb with
// -displayfd, so it picks a free display) and stops: the program ends without
// a crash when the server goes, and of two copies started together one runs.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/TempFiles.h"

namespace {

using namespace std::chrono_literals;

// Starts the program, its output in the file; the environment is the test's
// with the given variables set.
pid_t Spawn(const std::vector<std::string>& command, const std::vector<std::string>& settings,
            const std::string& output) {
  std::vector<std::string> environment = settings;
  for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
  std::vector<char*> argv, envp;
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  for (const std::string& variable : environment) envp.push_back(const_cast<char*>(variable.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);  // the first of a name wins: the settings above the test's own
  const pid_t pid = fork();
  if (pid == 0) {
    if (!output.empty() && freopen(output.c_str(), "w", stdout) != nullptr) dup2(fileno(stdout), STDERR_FILENO);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  return pid;
}

// The wait status once the process ended within the time, else -1.
int WaitFor(pid_t pid, std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) return -1;
    std::this_thread::sleep_for(50ms);
  }
  return status;
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(ends[1]), "-nolisten", "tcp"}, {}, temp_ + "/xvfb.log");
    close(ends[1]);
    pollfd ready{ends[0], POLLIN, 0};
    char number[16] = {};
    if (poll(&ready, 1, 30000) == 1 && read(ends[0], number, sizeof number - 1) > 0) display_ = std::stoi(number);
    close(ends[0]);
    ASSERT_GE(display_, 0) << ReadFile(temp_ + "/xvfb.log");
  }
  void TearDown() override {
    for (pid_t pid : programs_) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    StopServer();
    std::filesystem::remove(std::filesystem::path(PROGRAM_COMMAND).parent_path() / "tunewarden.ini");
  }

  // The program on the server; the lock and socket of the running copy lie
  // in the test's folder, the temporary folder is the one given.
  pid_t StartProgram(const std::string& tmp, const std::string& output) {
    std::filesystem::create_directories(tmp);
    const pid_t pid = Spawn({PROGRAM_COMMAND},
                            {"DISPLAY=:" + std::to_string(display_), "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + temp_,
                             "TMPDIR=" + tmp, "TUNEWARDEN_PLAYER=" + temp_ + "/no-player",
                             // An end by exit() leaves everything allocated; leaks are not the question.
                             "ASAN_OPTIONS=detect_leaks=0"},
                            output);
    programs_.push_back(pid);
    return pid;
  }
  // True once a copy listens, with its window made.
  bool WaitForListeningCopy() {
    for (int i = 0; i < 600 && !std::filesystem::exists(temp_ + "/Tunewarden.socket"); ++i)
      std::this_thread::sleep_for(50ms);
    return std::filesystem::exists(temp_ + "/Tunewarden.socket");
  }
  void StopServer() {
    if (xvfb_ > 0) kill(xvfb_, SIGTERM), waitpid(xvfb_, nullptr, 0);
    xvfb_ = -1;
  }
  int Finished(pid_t pid, std::chrono::milliseconds time) {
    const int status = WaitFor(pid, time);
    if (status != -1) std::erase(programs_, pid);
    return status;
  }

  TempFolder folder_;
  const std::string temp_ = folder_.Path();
  pid_t xvfb_ = -1;
  int display_ = -1;
  std::vector<pid_t> programs_;
};

TEST_F(ProgramTest, EndsWithoutACrashWhenItsXServerGoes) {
  const pid_t program = StartProgram(temp_ + "/tmp", temp_ + "/program.log");
  ASSERT_TRUE(WaitForListeningCopy()) << ReadFile(temp_ + "/program.log");
  std::this_thread::sleep_for(500ms);  // the window shown
  StopServer();
  const int status = Finished(program, 60s);
  const std::string log = ReadFile(temp_ + "/program.log");
  ASSERT_NE(status, -1) << "still running";
  EXPECT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status) << "\n" << log;
  EXPECT_EQ(log.find("AddressSanitizer"), std::string::npos) << log;
  EXPECT_EQ(log.find("runtime error"), std::string::npos) << log;
}

// Each with a temporary folder of its own, as two shells may have.
TEST_F(ProgramTest, OfTwoCopiesStartedTogetherOneRuns) {
  const pid_t one = StartProgram(temp_ + "/tmp-one", temp_ + "/one.log");
  const pid_t two = StartProgram(temp_ + "/tmp-two", temp_ + "/two.log");
  ASSERT_TRUE(WaitForListeningCopy());
  int status = -1;
  pid_t ended = -1;
  for (int i = 0; i < 300 && status == -1; ++i) {
    for (pid_t pid : {one, two})
      if (status == -1 && (status = Finished(pid, 50ms)) != -1) ended = pid;
  }
  ASSERT_NE(status, -1) << "both run";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Finished(ended == one ? two : one, 1s), -1) << "the other still runs";
}

}  // namespace
