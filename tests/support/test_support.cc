#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "builder/scenario_files.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32_text.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sb::test {

namespace fs = std::filesystem;

#ifdef _WIN32
temp_folder::temp_folder() {
  static unsigned counter = 0;
  const fs::path base = fs::temp_directory_path();
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    const fs::path p = base / ("sb-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p.string();
      return;
    }
  }
  ADD_FAILURE() << "no temporary folder";
}
#else
temp_folder::temp_folder() {
  std::string pattern = (fs::temp_directory_path() / "sb-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
}
#endif

temp_folder::~temp_folder() {
  std::error_code ec;
  // Restore write permission in case a test took it away.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> list_folder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> split_crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

#ifdef _WIN32
namespace {

// One argument as the C runtime splits a command line back into argv.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

// This process's environment with the changes applied, as CreateProcessW
// takes it.
std::wstring environment_block(const env_changes& env) {
  std::vector<std::pair<std::wstring, std::wstring>> vars;
  if (wchar_t* block = ::GetEnvironmentStringsW()) {
    for (const wchar_t* v = block; *v != L'\0'; v += std::wcslen(v) + 1) {
      const std::wstring entry = v;
      const size_t eq = entry.find(L'=', 1);
      if (eq != std::wstring::npos) vars.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
    }
    ::FreeEnvironmentStringsW(block);
  }
  auto set = [&vars](const std::wstring& name, const std::optional<std::wstring>& value) {
    std::erase_if(vars, [&name](const auto& v) { return _wcsicmp(v.first.c_str(), name.c_str()) == 0; });
    if (value) vars.emplace_back(name, *value);
  };
  set(L"DISPLAY", std::nullopt);
  for (const auto& [name, value] : env)
    set(win32::widen(name), value ? std::optional<std::wstring>(win32::widen(*value)) : std::nullopt);
  std::wstring block;
  for (const auto& [name, value] : vars) block += name + L"=" + value + L'\0';
  return block + L'\0';
}

HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(win32::widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

child_program::child_program(const std::string& program, const std::vector<std::string>& args,
                             const run_options& options)
    : scratch_(std::make_unique<temp_folder>()) {
  if (options.talk || options.in_child) ADD_FAILURE() << "talk and in_child are POSIX only";
  HANDLE out = inheritable(scratch_->file("out"), GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = inheritable(scratch_->file("err"), GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE in = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  std::wstring command = quoted(win32::widen(program));
  for (const auto& a : args) command += L" " + quoted(win32::widen(a));
  command += win32::widen(options.typed_arguments);
  std::wstring block = environment_block(options.env);
  const std::wstring folder = win32::widen(options.cwd);
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = in;
  start.hStdOutput = out;
  start.hStdError = err;
  PROCESS_INFORMATION child{};
  if (::CreateProcessW(win32::widen(program).c_str(), command.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), options.cwd.empty() ? nullptr : folder.c_str(),
                       &start, &child)) {
    ::CloseHandle(child.hThread);
    process_ = child.hProcess;
  } else {
    status_ = 127;
  }
  ::CloseHandle(in);
  ::CloseHandle(out);
  ::CloseHandle(err);
}

run_result run_command_line(const std::string& program, const std::string& arguments, const std::string& cwd,
                            const env_changes& env) {
  run_options o;
  o.cwd = cwd;
  o.env = env;
  o.typed_arguments = arguments;
  return run_program(program, {}, o);
}

child_program::~child_program() {
  if (process_ == nullptr) return;
  if (!status_) {
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, INFINITE);
  }
  ::CloseHandle(process_);
}

void child_program::close_input() {}

std::optional<int> child_program::status() {
  if (!status_ && process_ != nullptr && ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) {
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    status_ = static_cast<int>(code);
  }
  return status_;
}

run_result child_program::wait() {
  if (!status_ && process_ != nullptr) {
    ::WaitForSingleObject(process_, INFINITE);
    status();
  }
  run_result result;
  result.exit_status = *status_;
  result.out = read_bytes(scratch_->file("out"));
  result.err = read_bytes(scratch_->file("err"));
  return result;
}

#else
namespace {
std::string drain(int fd) {
  std::string s;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<size_t>(n));
  return s;
}

int status_of(int wait_status) {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
}

}  // namespace

child_program::child_program(const std::string& program, const std::vector<std::string>& args,
                             const run_options& options)
    : scratch_(std::make_unique<temp_folder>()) {
  const std::string out_path = scratch_->file("out"), err_path = scratch_->file("err");
  int to_child[2] = {-1, -1}, from_child[2] = {-1, -1};
  if (options.talk && (::pipe(to_child) != 0 || ::pipe(from_child) != 0)) {
    ADD_FAILURE() << "no pipe";
    status_ = 127;
    return;
  }
  // Everything the child needs is formed before the fork.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (options.talk) {
      ::dup2(to_child[0], 0);
      ::dup2(from_child[1], 1);
      ::close(to_child[1]);
      ::close(from_child[0]);
    } else {
      const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int in = ::open("/dev/null", O_RDONLY);
      ::dup2(in, 0);
      ::dup2(out, 1);
    }
    ::dup2(err, 2);
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(127);
    ::unsetenv("DISPLAY");
    for (const auto& [name, value] : options.env) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
    if (options.in_child && !options.in_child()) ::_exit(127);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  if (options.talk) {
    ::close(to_child[0]);
    ::close(from_child[1]);
    input_ = to_child[1];
    output_ = from_child[0];
  }
  if (pid_ < 0) status_ = 127;
}

child_program::~child_program() {
  if (pid_ > 0 && !status_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  close_input();
  if (output_ >= 0) ::close(output_);
}

void child_program::close_input() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

std::optional<int> child_program::status() {
  int s = 0;
  if (!status_ && pid_ > 0 && ::waitpid(pid_, &s, WNOHANG) == pid_) status_ = status_of(s);
  return status_;
}

run_result child_program::wait() {
  int s = 0;
  if (!status_ && pid_ > 0 && ::waitpid(pid_, &s, 0) == pid_) status_ = status_of(s);
  run_result result;
  result.exit_status = status_.value_or(-1);
  if (output_ < 0) {
    const int fd = ::open(scratch_->file("out").c_str(), O_RDONLY);
    result.out = drain(fd);
    if (fd >= 0) ::close(fd);
  }
  const int fd = ::open(scratch_->file("err").c_str(), O_RDONLY);
  result.err = drain(fd);
  if (fd >= 0) ::close(fd);
  return result;
}

#endif

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options) {
  return child_program(program, args, options).wait();
}

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& cwd, const env_changes& env) {
  return run_program(program, args, run_options{cwd, env, false, {}, {}});
}

std::string program_path() { return SB_PROGRAM_PATH; }

std::vector<std::string> plain_run_files() {
  const auto names = output_file_names(shipped_identity());
  std::vector<std::string> sorted(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

}  // namespace sb::test
