// Failures of the disk and of the author's texts lose nothing: old compiled
// files stay whole, no temporary is left, the sources are never touched,
// and every failure names its path. Runs the real program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <iostream>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "builder/scenario_files.h"
#include "documents/documents.h"
#include "platform/file_system.h"
#include "support/golden.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::list_folder;
using test::read_bytes;
using test::temp_folder;
using test::write_bytes;

const std::string kRoute = "Ortesa-Vildoro";
const auto kCompiled = compiled_file_names(shipped_identity());
const std::vector<std::string> kPlainRunFiles = test::plain_run_files();

struct limits {
  rlim_t file_size = RLIM_INFINITY;
  bool as_nobody = false;
  rlim_t address_space = RLIM_INFINITY;
};

// Runs the program with a file-size limit and, when asked,
// as the unprivileged user. Exit status 127: the program could not start.
test::run_result run_limited(const std::vector<std::string>& args, const limits& l) {
  test::run_options o;
  o.in_child = [&l] {
    if (l.as_nobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
    // The signal as a shell leaves it: the program itself must turn an
    // oversized write into a reported failure.
    ::signal(SIGXFSZ, SIG_DFL);
    const rlimit fsize{l.file_size, l.file_size};
    const rlimit as{l.address_space, l.address_space};
    return ::setrlimit(RLIMIT_FSIZE, &fsize) == 0 && ::setrlimit(RLIMIT_AS, &as) == 0;
  };
  return test::run_program(test::program_path(), args, o);
}

// The immutable mark (chattr +i): not even root may rename, link or
// replace such a file. False when the system refuses it.
bool set_immutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return ok;
}

bool any_hidden_file(const std::string& folder) {
  for (const auto& name : list_folder(folder))
    if (name[0] == '.') return true;
  return false;
}

// Whichever file of the set fails (a size limit on the first or second,
// a read-only or a folder in the place of the second or third), the old
// set stays whole and no temporary is left.
TEST(FailureModes, AWriteThatFailsPartWayKeepsTheOldSet) {
  const struct {
    const char* what;
    bool compile_without_plan;
    rlim_t file_size;
    const char* blocked;  // made read-only, or a folder when `as_folder`, or immutable
    bool as_folder;
    std::string failing;
    const char* reason;
  } cases[] = {
      // Room for the papers (a few kilobytes) but not for the plan
      // (megabytes), the first compiled file.
      {"size limit, first file", false, 1 << 20, nullptr, false, "Ortesa-Vildoro_linea.dat", "File too large"},
      // Room for the table, not for the cells.
      {"size limit, second file", true, 64 << 10, nullptr, false, "Ortesa-Vildoro_418.dat", "File too large"},
      {"folder, second file", false, RLIM_INFINITY, "Ortesa-Vildoro_418.sim", true, "Ortesa-Vildoro_418.sim",
       "not a regular file"},
      {"read-only, third file", false, RLIM_INFINITY, "Ortesa-Vildoro_418.dat", false, "Ortesa-Vildoro_418.dat",
       "read-only file"},
      // Refuses the rename only once the plan and the table are moved in.
      {"immutable, third file", false, RLIM_INFINITY, "Ortesa-Vildoro_418.dat", false, "Ortesa-Vildoro_418.dat",
       "Operation not permitted; nothing was replaced"},
      // The folder's entries cannot change: no temporary can be made.
      {"immutable folder", true, RLIM_INFINITY, ".", false, "Ortesa-Vildoro_418.sim", "Operation not permitted"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    temp_folder dir;
    for (const auto& name : kCompiled) write_bytes(dir.file(name), "old " + name);
    std::vector<std::string> args{"--dir", dir.path()};
    if (c.compile_without_plan) {
      write_bytes(dir.file("Ortesa-Vildoro_linea.txt"), testo_linea().render());
      write_bytes(dir.file("Ortesa-Vildoro_418-.txt"), testo_treno().render());
      args = {"compile", "--route", kRoute, "--train", "418", "--no-plan", "--dir", dir.path()};
    }
    if (c.blocked != nullptr && c.as_folder) {
      ::unlink(dir.file(c.blocked).c_str());
      ASSERT_EQ(::mkdir(dir.file(c.blocked).c_str(), 0755), 0);
    } else if (c.reason == std::string("read-only file")) {
      ASSERT_EQ(::chmod(dir.file(c.blocked).c_str(), 0444), 0);
    } else if (c.blocked != nullptr && !set_immutable(dir.file(c.blocked), true)) {
      std::cout << "[  SKIPPED ] " << c.what << ": the file system refuses the immutable mark\n";
      continue;
    }
    const auto r = run_limited(args, {c.file_size, false});
    if (c.blocked != nullptr && !c.as_folder) set_immutable(dir.file(c.blocked), false);
    EXPECT_EQ(r.exit_status, 2) << r.err;
    EXPECT_EQ(r.err, "scenario-builder: " + dir.file(c.failing) + ": " + c.reason + "\n");
    for (const auto& name : kCompiled) {
      if (!(c.as_folder && name == c.blocked)) {
        EXPECT_EQ(read_bytes(dir.file(name)), "old " + name) << name;
      }
    }
    EXPECT_FALSE(any_hidden_file(dir.path())) << "a temporary file was left behind";
  }
}

std::string shell_quoted(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The program's arguments as one line for sh, then `redirect`.
test::run_result run_redirected(const std::vector<std::string>& args, const std::string& redirect) {
  std::string line = "exec " + shell_quoted(test::program_path());
  for (const auto& a : args) line += " " + shell_quoted(a);
  return test::run_program("/bin/sh", {"-c", line + " " + redirect});
}

// Output that cannot be written is a failure that says so, whatever the
// command and however much it writes; an error stream that cannot be
// written still fails the run.
TEST(FailureModes, OutputThatCannotBeWrittenFailsTheRun) {
  temp_folder dir, texts;
  ASSERT_EQ(test::run_program(test::program_path(), {"--dir", dir.path()}).exit_status, 0);
  const std::string scenario_dir = test::test_data("cases/comments_and_case");
  for (const char* name : {"Prova_linea.txt", "Prova_7-.txt"})
    write_bytes(dir.file(name), read_bytes(scenario_dir + "/" + name));
  const std::vector<std::string> prova = {"--route", "Prova", "--train", "7", "--dir", dir.path()};
  const auto with = [&prova](std::vector<std::string> first, std::vector<std::string> more = {}) {
    first.insert(first.end(), prova.begin(), prova.end());
    first.insert(first.end(), more.begin(), more.end());
    return first;
  };
  const std::vector<std::string> commands[] = {
      with({"check"}),
      with({"check"}, {"--format", "json"}),
      with({"compile"}),
      {"inspect", "--all", dir.file("Ortesa-Vildoro_418.sim")},
      {"inspect", "--format", "json", dir.file("Ortesa-Vildoro_418.dat")},
      {"plot", "--route", kRoute, "--train", "418", "--dir", dir.path(), "--svg", "-"},
      {"texts", "--dir", texts.path()},
      {"--help"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args.front() + " " + args.back());
    const auto r = run_redirected(args, ">/dev/full");
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_TRUE(r.err.ends_with("scenario-builder: standard output: No space left on device\n")) << r.err;
  }
  // Warnings on stderr, and a status of 0 had they been written.
  EXPECT_EQ(test::run_program(test::program_path(), with({"compile", "--quiet"})).exit_status, 0);
  EXPECT_EQ(run_redirected(with({"compile", "--quiet"}), "2>/dev/full").exit_status, 2);
}

// A run that waits for another's lock says whom it waits for, after a
// second, and gives up when --wait is out.
TEST(FailureModes, AWaitForTheFolderLockNamesTheHolderAndEnds) {
  temp_folder dir;
  disk_file_system fs;
  const locked_folder held = fs.lock_folder(dir.path());
  ASSERT_TRUE(held.result);
  const std::string holder = "unit_tests, pid " + std::to_string(::getpid());
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--dir", dir.path(), "--wait", "1.5"},
                                               {"inspect", dir.file("Ortesa-Vildoro_418.sim"), "--wait", "1.5"}}) {
    SCOPED_TRACE(args[0]);
    const auto r = test::run_program(test::program_path(), args);
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_EQ(r.err, "scenario-builder: " + dir.path() + ": waiting for the folder lock held by " + holder +
                         "\nscenario-builder: " + dir.path() +
                         ": gave up waiting for the folder lock after 1.5 s; it is held by " + holder + "\n");
  }
  EXPECT_TRUE(list_folder(dir.path()).empty());
}

// A name that is a link stays a link: refused, or, for the names of
// standard output, written to standard output.
TEST(FailureModes, LinksAtOutputNamesStayLinks) {
  temp_folder dir;
  ASSERT_EQ(test::run_program(test::program_path(), {"--dir", dir.path()}).exit_status, 0);
  write_bytes(dir.file("real.svg"), "old");
  ASSERT_EQ(::symlink("real.svg", dir.file("link.svg").c_str()), 0);
  const std::vector<std::string> plot = {"plot", "--route", kRoute, "--train", "418", "--dir", dir.path(), "--svg"};
  auto args = plot;
  args.push_back(dir.file("link.svg"));
  const auto refused = test::run_program(test::program_path(), args);
  EXPECT_EQ(refused.exit_status, 2);
  EXPECT_EQ(refused.err, "scenario-builder: " + dir.file("link.svg") +
                             ": a symbolic link; not replaced (name the file it points at)\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.svg")));
  EXPECT_EQ(read_bytes(dir.file("real.svg")), "old");

  for (const char* name : {"/dev/stdout", "/dev/fd/1"}) {
    SCOPED_TRACE(name);
    args = plot;
    args.push_back(name);
    const auto r = run_redirected(args, ">" + shell_quoted(dir.file("picture.svg")));
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_TRUE(read_bytes(dir.file("picture.svg")).starts_with("<?xml"));
    EXPECT_TRUE(std::filesystem::is_symlink(name));
  }
}

// Memory that runs out ends the run with a message and status 2, never an
// abort, and nothing of the set is written.
TEST(FailureModes, MemoryThatRunsOutIsAFailure) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  temp_folder dir;
  write_bytes(dir.file("R_linea.txt"), "[generale]\r\nlunghezza percorso, 1000000\r\n[curve]\r\n[fine]\r\n");
  write_bytes(dir.file("R_7-.txt"), "[generale]\r\n[fine]\r\n");
  const auto r = run_limited({"compile", "--route", "R", "--train", "7", "--dir", dir.path()},
                             {RLIM_INFINITY, false, rlim_t{20} << 20});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: out of memory\n");
  EXPECT_EQ(list_folder(dir.path()), (std::vector<std::string>{"R_7-.txt", "R_linea.txt"}));
}

// Eight plain runs into one folder at once take turns: all succeed and
// leave the six files of a lone run, byte for byte.
TEST(FailureModes, RunsSharingAFolderTakeTurns) {
  temp_folder alone, shared;
  ASSERT_EQ(test::run_program(test::program_path(), {"--dir", alone.path()}).exit_status, 0);
  std::vector<std::unique_ptr<test::child_program>> runs;
  for (int i = 0; i < 8; ++i)
    runs.push_back(std::make_unique<test::child_program>(test::program_path(),
                                                         std::vector<std::string>{"--dir", shared.path()}));
  for (const auto& run : runs) {
    const test::run_result r = run->wait();
    EXPECT_EQ(r.exit_status, 0) << r.err;
  }
  ASSERT_EQ(list_folder(shared.path()), kPlainRunFiles);
  for (const auto& name : kPlainRunFiles)
    EXPECT_TRUE(read_bytes(shared.file(name)) == read_bytes(alone.file(name))) << name;
}

// What stands at an input's name is read only when it is a regular file:
// pipes and devices end the tool at once, never wait or fill the memory.
TEST(FailureModes, InputsThatAreNoFilesEndAtOnce) {
  temp_folder dir;
  ASSERT_EQ(test::run_program(test::program_path(), {"--dir", dir.path()}).exit_status, 0);
  ASSERT_EQ(::mkfifo(dir.file("Ortesa-Vildoro_linea.txt").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("Ortesa-Vildoro_418-.txt").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.sim").c_str()), 0);
  ASSERT_EQ(::rename(dir.file("Ortesa-Vildoro_418.sim").c_str(), dir.file("kept.sim").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.file("Ortesa-Vildoro_418.sim").c_str(), 0644), 0);
  const std::vector<std::string> scenario{"--route", kRoute, "--train", "418", "--dir", dir.path()};
  const auto with = [&](std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const struct {
    std::vector<std::string> args;
    std::string not_regular;
  } cases[] = {
      {with({"compile"}, scenario), "Ortesa-Vildoro_linea.txt"},
      {with({"check"}, scenario), "Ortesa-Vildoro_linea.txt"},
      {{"inspect", dir.file("zero.sim")}, "zero.sim"},
      {{"inspect", dir.file("Ortesa-Vildoro_418.sim")}, "Ortesa-Vildoro_418.sim"},
      {with({"plot", "--svg", dir.file("x.svg")}, scenario), "Ortesa-Vildoro_418.sim"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const auto start = std::chrono::steady_clock::now();
    const auto r = test::run_program(test::program_path(), c.args);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_EQ(r.err, "scenario-builder: " + dir.file(c.not_regular) + ": not a regular file\n");
  }
}

// A folder the program cannot write into, one that does not exist, and a
// folder standing where an output file should be all end the same way:
// status 2 and one line naming the path and the reason.
TEST(FailureModes, ReadOnlyFolderFailsWithThePath) {
  temp_folder dir;
  write_bytes(dir.file("Ortesa-Vildoro_418.sim"), "old");
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  // Permission bits stop nothing for root: the program then runs as the
  // unprivileged user, for whom they do.
  const bool root = ::geteuid() == 0;
  const auto r = run_limited({"--dir", dir.path()}, {RLIM_INFINITY, root});
  if (root && r.exit_status == 127) GTEST_SKIP() << "running as root and the program cannot start as nobody";
  EXPECT_EQ(r.exit_status, 2) << r.err;
  EXPECT_EQ(r.err, "scenario-builder: " + dir.file("Ortesa-Vildoro_linea.txt") + ": Permission denied\n");
  EXPECT_EQ(read_bytes(dir.file("Ortesa-Vildoro_418.sim")), "old");
  EXPECT_EQ(list_folder(dir.path()), std::vector<std::string>{"Ortesa-Vildoro_418.sim"});
}

TEST(FailureModes, MissingFolderFailsWithThePath) {
  temp_folder dir;
  const std::string missing = dir.file("no-such-folder");
  const auto r = test::run_program(test::program_path(), {"--dir", missing});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: " + missing + ": No such file or directory\n");
  EXPECT_TRUE(list_folder(dir.path()).empty());
}

TEST(FailureModes, FolderInPlaceOfAnOutputFileFailsWithThePath) {
  temp_folder dir;
  write_bytes(dir.file("Ortesa-Vildoro_418.dat"), "old cells");
  ASSERT_EQ(::mkdir(dir.file("Ortesa-Vildoro_418.sim").c_str(), 0755), 0);
  const auto r = test::run_program(test::program_path(), {"--dir", dir.path()});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: " + dir.file("Ortesa-Vildoro_418.sim") + ": not a regular file\n");
  EXPECT_EQ(read_bytes(dir.file("Ortesa-Vildoro_418.dat")), "old cells");
  EXPECT_FALSE(any_hidden_file(dir.path()));
}

// `compile` reads the author's texts and never writes or deletes them,
// whatever they hold: good, faulty, unreadable or missing their partner.
TEST(FailureModes, CompileNeverTouchesTheSources) {
  std::mt19937 random(418);
  std::string noise(20000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string shipped_line = testo_linea().render(), shipped_train = testo_treno().render();
  struct sources {
    const char* what;
    std::string line;
    std::string train;  // "-": no train file
    int status;
  };
  const std::vector<sources> cases = {
      {"shipped", shipped_line, shipped_train, 0},
      {"faulty board", shipped_line + "cartello_indicatore, 208550, again\r\n[fine]\r\n", shipped_train, 1},
      {"noise", noise, noise, 1},
      {"empty", "", "", 1},
      {"route too long", "[generale]\r\nlunghezza percorso, 99999999\r\n[fine]\r\n", shipped_train, 1},
      {"no train file", shipped_line, "-", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    temp_folder dir;
    const std::string line = dir.file("Ortesa-Vildoro_linea.txt"), train = dir.file("Ortesa-Vildoro_418-.txt");
    write_bytes(line, c.line);
    if (c.train != "-") write_bytes(train, c.train);
    const auto r = test::run_program(test::program_path(),
                                     {"compile", "--route", kRoute, "--train", "418", "--dir", dir.path()});
    EXPECT_EQ(r.exit_status, c.status) << r.err;
    EXPECT_EQ(read_bytes(line), c.line);
    if (c.train != "-") {
      EXPECT_EQ(read_bytes(train), c.train);
    }
    EXPECT_FALSE(any_hidden_file(dir.path()));
  }
}

TEST(FailureModes, TwoRunsGiveTheSameBytes) {
  temp_folder a, b;
  // The second folder holds longer leftovers of an earlier run.
  for (const auto& name : kPlainRunFiles) write_bytes(b.file(name), std::string(9000000, 'x'));
  ASSERT_EQ(test::run_program(test::program_path(), {"--dir", a.path()}).exit_status, 0);
  ASSERT_EQ(test::run_program(test::program_path(), {"--dir", b.path()}).exit_status, 0);
  ASSERT_EQ(list_folder(a.path()), kPlainRunFiles);
  ASSERT_EQ(list_folder(b.path()), kPlainRunFiles);
  for (const auto& name : kPlainRunFiles) {
    const std::string bytes = read_bytes(a.file(name));
    EXPECT_FALSE(bytes.empty()) << name;
    EXPECT_TRUE(bytes == read_bytes(b.file(name))) << name << " differs between two runs";
  }
}

}  // namespace
}  // namespace sb
