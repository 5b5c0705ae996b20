// Failures of the disk and of the author's texts lose nothing: old compiled
// files stay whole, no temporary is left, the sources are never touched,
// and every failure names its path. Runs the real program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "documents/documents.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::list_folder;
using test::read_bytes;
using test::temp_folder;
using test::write_bytes;

const std::string kRoute = "Ortesa-Vildoro";
const std::vector<std::string> kCompiled = {"Ortesa-Vildoro_linea.dat", "Ortesa-Vildoro_418.sim",
                                            "Ortesa-Vildoro_418.dat"};
const std::vector<std::string> kPlainRunFiles = {
    "Ortesa-Vildoro_418.dat",        "Ortesa-Vildoro_418.sim",           "Ortesa-Vildoro_418_note.txt",
    "Ortesa-Vildoro_418_rallentamenti.txt", "Ortesa-Vildoro_418_scheda_treno.txt", "Ortesa-Vildoro_linea.dat"};

struct limits {
  rlim_t file_size = RLIM_INFINITY;
  bool as_nobody = false;
};

// Runs the program with a file-size limit (SIGXFSZ ignored, so an
// oversized write fails with EFBIG instead of killing it) and, when asked,
// as the unprivileged user. Exit status 127: the program could not start.
test::run_result run_limited(const std::vector<std::string>& args, const limits& l) {
  temp_folder scratch;
  const std::string err_path = scratch.file("err");
  ::chmod(scratch.path().c_str(), 0777);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(err, 2);
    if (l.as_nobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(127);
    ::unsetenv("DISPLAY");  // no window on the desktop tests' display
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit fsize{l.file_size, l.file_size};
    if (::setrlimit(RLIMIT_FSIZE, &fsize) != 0) ::_exit(127);
    const std::string program = test::program_path();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  test::run_result r;
  r.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.err = read_bytes(err_path);
  return r;
}

bool any_hidden_file(const std::string& folder) {
  for (const auto& name : list_folder(folder))
    if (name[0] == '.') return true;
  return false;
}

TEST(FailureModes, AWriteThatFailsHalfWayKeepsTheOldFiles) {
  temp_folder dir;
  for (const auto& name : kCompiled) write_bytes(dir.file(name), "old " + name);
  // Room for the five texts (a few kilobytes each) but not for the plan
  // file (several megabytes), the first compiled file written.
  const auto r = run_limited({"--dir", dir.path()}, {1 << 20, false});
  EXPECT_EQ(r.exit_status, 2) << r.err;
  const std::string plan = dir.file("Ortesa-Vildoro_linea.dat");
  EXPECT_EQ(r.err, "scenario-builder: " + plan + ": File too large\n");
  for (const auto& name : kCompiled) EXPECT_EQ(read_bytes(dir.file(name)), "old " + name) << name;
  EXPECT_FALSE(any_hidden_file(dir.path())) << "a temporary file was left behind";
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
  EXPECT_EQ(r.err, "scenario-builder: " + missing + "/Ortesa-Vildoro_linea.txt: No such file or directory\n");
  EXPECT_TRUE(list_folder(dir.path()).empty());
}

TEST(FailureModes, FolderInPlaceOfAnOutputFileFailsWithThePath) {
  temp_folder dir;
  write_bytes(dir.file("Ortesa-Vildoro_418.dat"), "old cells");
  ASSERT_EQ(::mkdir(dir.file("Ortesa-Vildoro_418.sim").c_str(), 0755), 0);
  const auto r = test::run_program(test::program_path(), {"--dir", dir.path()});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.err, "scenario-builder: " + dir.file("Ortesa-Vildoro_418.sim") + ": Is a directory\n");
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
