// SPDX-License-Identifier: MIT
// The tool as a script sees it: run as a process, its standard output, its
// exit status, and silence on standard error.
#include "cli.h"
#include "helpers.h"

#include <errno.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest-spi.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

enum class Out { Pipe, DevFull, Closed, Terminal };

struct Outcome {
    std::string not_started; // why the tool could not be started, or empty
    int status;              // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

std::string read_all(int fd) {
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, (size_t)n);
    return text;
}

// The words to execute for the program with the given words (args[0] the
// name it is to see): under an emulator, the emulator's words, then qemu's
// "-0" to hand the name over, then the program and the rest. An emulator
// cannot start a program with no words at all: it always names it.
bool command_for(const char *program, const std::vector<std::string> &args,
                 std::vector<std::string> *words) {
    if (emulator[0] == nullptr) {
        words->assign(args.begin(), args.end());
        return true;
    }
    if (args.empty())
        return false;
    words->assign(emulator, emulator + sizeof emulator / sizeof *emulator - 1);
    words->insert(words->end(), {"-0", args[0], program});
    words->insert(words->end(), args.begin() + 1, args.end());
    return true;
}

// Starts program with the given words (args[0] is the name it sees) and
// waits for it. `meanwhile` runs in the test while the program does, given
// its process, for feeding a FIFO; it is not run when the program could not
// be started. Never blocks on a program that is not there.
Outcome launch(const char *program, const std::vector<std::string> &args, Out out = Out::Pipe,
               const std::function<void(pid_t)> &meanwhile = nullptr) {
    Outcome o{"", -1, "", ""};
    std::vector<std::string> words;
    if (!command_for(program, args, &words)) {
        o.not_started = "an emulator cannot start a program with no words at all";
        return o;
    }
    // Under an emulator, exec succeeds whether the program is there or not.
    if (access(program, X_OK) != 0) {
        o.not_started = std::string(program) + ": " + strerror(errno);
        return o;
    }
    const char *path = emulator[0] != nullptr ? emulator[0] : program;

    // A failed exec writes its errno to this pipe; a successful one closes it.
    int exec_pipe[2], out_pipe[2], err_pipe[2];
    EXPECT_EQ(pipe(exec_pipe), 0);
    EXPECT_EQ(fcntl(exec_pipe[1], F_SETFD, FD_CLOEXEC), 0);
    EXPECT_EQ(pipe(out_pipe), 0);
    EXPECT_EQ(pipe(err_pipe), 0);
    int tty = -1;
    if (out == Out::Terminal) {
        tty = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(tty, 0);
        EXPECT_EQ(grantpt(tty), 0);
        EXPECT_EQ(unlockpt(tty), 0);
    }

    pid_t pid = fork();
    if (pid == 0) {
        close(exec_pipe[0]);
        int fd = out_pipe[1];
        if (out == Out::DevFull)
            fd = open("/dev/full", O_WRONLY);
        if (out == Out::Terminal) {
            fd = open(ptsname(tty), O_RDWR | O_NOCTTY);
            termios raw;
            tcgetattr(fd, &raw);
            raw.c_oflag &= ~(tcflag_t)OPOST; // no "\r\n" for "\n": the bytes as written
            tcsetattr(fd, TCSANOW, &raw);
        }
        dup2(fd, 1);
        if (out == Out::Closed)
            close(1);
        dup2(err_pipe[1], 2);
        std::vector<char *> argv;
        for (const std::string &w : words)
            argv.push_back(const_cast<char *>(w.c_str()));
        argv.push_back(nullptr);
        execv(path, argv.data());
        int error = errno;
        ssize_t written = write(exec_pipe[1], &error, sizeof error);
        _exit(written == (ssize_t)sizeof error ? 127 : 126);
    }
    close(exec_pipe[1]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    int error = 0;
    if (read(exec_pipe[0], &error, sizeof error) == (ssize_t)sizeof error)
        o.not_started = std::string(path) + ": " + strerror(error);
    close(exec_pipe[0]);
    if (meanwhile && o.not_started.empty())
        meanwhile(pid);

    o.out = read_all(out == Out::Terminal ? tty : out_pipe[0]); // a pty ends in EIO
    o.err = read_all(err_pipe[0]);
    int ws;
    waitpid(pid, &ws, 0);
    if (o.not_started.empty())
        o.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
    close(out_pipe[0]);
    close(err_pipe[0]);
    if (tty >= 0)
        close(tty);
    return o;
}

// launch() for a program that must start: a test whose tool is missing, or
// cannot be executed here, fails at once and says why.
Outcome run_tool(const std::vector<std::string> &args, Out out = Out::Pipe,
                 const std::function<void(pid_t)> &meanwhile = nullptr,
                 const char *program = ADIFINFO_TOOL) {
    Outcome o = launch(program, args, out, meanwhile);
    if (!o.not_started.empty())
        ADD_FAILURE() << "could not start " << program << ": " << o.not_started;
    return o;
}

bool running(pid_t pid) {
    siginfo_t info;
    info.si_pid = 0;
    return waitid(P_PID, (id_t)pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// Writes bytes into a FIFO once the process pid has opened it for reading,
// and gives up, failing, if that process ends first: never a writer waiting
// for ever on a reader that is not coming.
void feed(const std::string &fifo, const Bytes &bytes, pid_t pid) {
    int fd;
    while ((fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0 && errno == ENXIO && running(pid)) {
        const timespec pause = {0, 1000000};
        nanosleep(&pause, nullptr);
    }
    ASSERT_GE(fd, 0) << "no reader opened " << fifo;
    EXPECT_EQ(fcntl(fd, F_SETFL, 0), 0);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), (ssize_t)bytes.size());
    close(fd);
}

std::string slurp(const std::string &path) {
    int fd = open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0) << path;
    std::string text = read_all(fd);
    close(fd);
    return text;
}

void spill(const std::string &path, const Bytes &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) { // an empty vector's data() may be null, which fwrite must not get
        EXPECT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size()) << path;
    }
    fclose(f);
}

class CommandLine : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        const char *tmp = getenv("TMPDIR");
        std::string tmpl =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/adifinfo-test-XXXXXX";
        ASSERT_NE(mkdtemp(&tmpl[0]), nullptr) << tmpl;
        dir = tmpl;
        spill(dir + "/worked.adif", worked_example);
        spill(dir + "/empty.adif", {});
        report = slurp("tests/golden/worked-example.expected");
    }
    static void TearDownTestSuite() {
        for (const char *f : {"/worked.adif", "/empty.adif", "/fifo", "/escapes.adif",
                              "/fifo-unread", "/not-a-program"})
            unlink((dir + f).c_str());
        rmdir(dir.c_str());
    }
    static std::string dir;
    static std::string report; // the worked example's report
};
std::string CommandLine::dir;
std::string CommandLine::report;

struct CliCase {
    const char *name;
    std::vector<std::string> args;
    std::string out;
    int status;
};

TEST_F(CommandLine, AnswersEveryShapeOfCommand) {
    const std::string worked_file = dir + "/worked.adif";
    const CliCase cases[] = {
        {"no file name", {"./adifinfo"}, "usage: ./adifinfo <filename>\n", 2},
        {"the name as invoked", {"/opt/x/adif"}, "usage: /opt/x/adif <filename>\n", 2},
        // The kernel hands an empty argument vector over as one empty word.
        {"no words at all", {}, "usage: adifinfo <filename>\n", 2},
        {"missing file", {"adifinfo", dir + "/nope.adif"}, "cant open " + dir + "/nope.adif\n", 2},
        {"empty name", {"adifinfo", ""}, "cant open \n", 2},
        {"two names: only the first is read", {"adifinfo", worked_file, dir + "/nope"}, report, 0},
        {"a complete file", {"adifinfo", worked_file}, report, 0},
        {"an empty file", {"adifinfo", dir + "/empty.adif"}, "Bad ADIF header ID\n", 1},
        // Reported as no bytes are, but a file that cannot be read is no
        // file without the magic: the status of one that cannot be opened.
        {"a directory", {"adifinfo", dir}, "Bad ADIF header ID\n", 2},
        {"every read fails (EIO)", {"adifinfo", "/proc/self/mem"}, "Bad ADIF header ID\n", 2},
    };
    for (const CliCase &c : cases) {
        if (c.args.size() > 1 && c.args[1] == "/proc/self/mem" &&
            access("/proc/self/mem", R_OK) != 0)
            continue; // Linux's alone
        // Some systems (FreeBSD), and any emulator, cannot start a program
        // with no words at all; NoWordsAtAllInProcess checks that case there.
        Outcome o = c.args.empty() ? launch(ADIFINFO_TOOL, c.args) : run_tool(c.args);
        if (c.args.empty() && !o.not_started.empty())
            continue;
        EXPECT_EQ(o.out, c.out) << c.name;
        EXPECT_EQ(o.status, c.status) << c.name;
        EXPECT_EQ(o.err, "") << c.name;
    }
}

TEST_F(CommandLine, NoWordsAtAllInProcess) {
    char *argv[] = {nullptr};
    int status = -1;
    std::string out = capture_stdout([&] { status = adifinfo_main(0, argv); });
    EXPECT_EQ(out, "usage: adifinfo <filename>\n");
    EXPECT_EQ(status, STATUS_FAILED);
}

TEST_F(CommandLine, ReadsAFifo) {
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Outcome o = run_tool({"adifinfo", fifo}, Out::Pipe,
                         [&](pid_t pid) { feed(fifo, worked_example, pid); });
    EXPECT_EQ(o.out, report);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
}

// A tool that is missing, or that this system cannot execute, fails its test
// at once, saying so, rather than leaving a FIFO's writer waiting on it.
TEST_F(CommandLine, AToolThatCannotStartFailsAtOnce) {
    const std::string fifo = dir + "/fifo-unread";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = dir + "/no-such-tool";
    // Executable, but no program: only exec itself can tell.
    const std::string not_a_program = dir + "/not-a-program";
    spill(not_a_program, worked_example);
    ASSERT_EQ(chmod(not_a_program.c_str(), 0700), 0);
    for (const std::string &program : {missing, not_a_program}) {
        if (program == not_a_program && emulator[0] != nullptr)
            continue; // the emulator is what is executed, and it starts
        SCOPED_TRACE(program);
        EXPECT_NONFATAL_FAILURE(run_tool(
                                    {"adifinfo", fifo}, Out::Pipe,
                                    [&](pid_t pid) { feed(fifo, worked_example, pid); },
                                    program.c_str()),
                                "could not start");
    }
}

TEST_F(CommandLine, AReportThatCannotBeWrittenFails) {
    const std::string worked_file = dir + "/worked.adif";
    struct {
        const char *name;
        std::vector<std::string> args;
        Out out;
    } cases[] = {
        {"report on a full disk", {"adifinfo", worked_file}, Out::DevFull},
        {"bad identification on a full disk", {"adifinfo", dir + "/empty.adif"}, Out::DevFull},
        {"usage on a full disk", {"adifinfo"}, Out::DevFull},
        {"report to a closed stream", {"adifinfo", worked_file}, Out::Closed},
    };
    for (const auto &c : cases) {
        if (c.out == Out::DevFull && access("/dev/full", W_OK) != 0)
            continue; // no such device on macOS, OpenBSD and NetBSD
        Outcome o = run_tool(c.args, c.out);
        EXPECT_EQ(o.status, 2) << c.name;
        EXPECT_EQ(o.err, "") << c.name;
    }
}

// Whatever comes from outside reaches a terminal escaped, and a pipe as it is:
// each row's output ends in `raw` when piped, and in `shown` on a terminal,
// with the same bytes before.
TEST_F(CommandLine, EscapesUntrustedBytesOnlyOnATerminal) {
    const std::string file = dir + "/escapes.adif";
    spill(file, with_comment("\x1b]0;owned\x07 back\\slash \xff"));
    // ESC, BEL, DEL, a backslash and a C1 byte in a name that cannot be opened.
    const std::string hostile = "\x1b]0;pwned\x07\x1b[2J\x7f\\\x9d";
    const std::string hostile_shown = "\\x1b]0;pwned\\x07\\x1b[2J\\x7f\\\\x9d";
    // A Windows path: the backslash is printable, and reads as it was typed.
    const std::string windows_path = "C:\\music\\nope.adif";
    const std::string windows_self = "C:\\Program Files\\adifinfo\\adifinfo.exe";
    const struct {
        const char *name;
        std::vector<std::string> args;
        std::string raw, shown;
        int status;
    } cases[] = {
        {"a comment",
         {"adifinfo", file},
         "Comment: \x1b]0;owned\x07 back\\slash \xff\n",
         "Comment: \\x1b]0;owned\\x07 back\\slash \\xff\n",
         0},
        {"a file name",
         {"adifinfo", dir + "/" + hostile},
         "cant open " + dir + "/" + hostile + "\n",
         "cant open " + dir + "/" + hostile_shown + "\n",
         2},
        {"the program name",
         {hostile},
         "usage: " + hostile + " <filename>\n",
         "usage: " + hostile_shown + " <filename>\n",
         2},
        {"a file name with backslashes",
         {"adifinfo", windows_path},
         "cant open " + windows_path + "\n",
         "cant open " + windows_path + "\n",
         2},
        {"a program name with backslashes",
         {windows_self},
         "usage: " + windows_self + " <filename>\n",
         "usage: " + windows_self + " <filename>\n",
         2},
    };
    for (const auto &c : cases) {
        Outcome piped = run_tool(c.args);
        Outcome shown = run_tool(c.args, Out::Terminal);
        ASSERT_GE(piped.out.size(), c.raw.size()) << c.name;
        const std::string before = piped.out.substr(0, piped.out.size() - c.raw.size());
        EXPECT_EQ(piped.out, before + c.raw) << c.name;
        EXPECT_EQ(shown.out, before + c.shown) << c.name;
        EXPECT_EQ(piped.status, c.status) << c.name;
        EXPECT_EQ(shown.status, c.status) << c.name;
        EXPECT_EQ(shown.err, "") << c.name;
    }
}

} // namespace
