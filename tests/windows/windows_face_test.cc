// What only the Windows face does: its command line, the letter case of
// names, and the resources the program carries. Run under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/tool_options.h"
#include "documents/documents.h"
#include "platform/command_line_win32.h"
#include "platform/file_system.h"
#include "platform/win32_text.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::temp_folder;

std::vector<std::wstring> system_split(const std::wstring& line) {
  std::vector<std::wstring> args;
  int n = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(line.c_str(), &n)) {
    args.assign(wide, wide + n);
    ::LocalFree(wide);
  }
  return args;
}

// Everywhere but a path option's closing quote, the line is cut as the
// system cuts it.
TEST(CommandLine, CutAsTheSystemCutsIt) {
  for (const wchar_t* line : {
           L"p", L"\"C:\\Program Files\\p.exe\" a b", L"p  a\tb  ", L"p \"a b\" c", L"p a\\\\b \\\\\"c d\"",
           L"p \"a \\\" b\"", L"p a\\\"b", L"p \"\" x", L"p \"a\"\"b\" c", L"p \"\"\"a\"\"\" b", L"p \"\"\"\" x",
           L"p --route \"a\\\" b\"", L"p --dir C:\\x\\\"", L"p --dir \"C:\\\\x\\\\\" --route R", L"p --dir=\"a b\" c",
           L"p --route \"a b\\\"", L"p \"unterminated a b",
       }) {
    SCOPED_TRACE(win32::narrow(line));
    EXPECT_EQ(win32::split_command_line(line, path_options), system_split(line));
  }
}

// A quoted folder ending in a backslash keeps it, and what follows stays
// options.
TEST(CommandLine, APathOptionEndsAtItsClosingQuote) {
  const struct {
    const wchar_t* line;
    std::vector<std::wstring> args;
  } cases[] = {
      {L"p --dir \"C:\\Scenari\\Citt\u00e0 progetto\\\" --route Valle --train 7",
       {L"p", L"--dir", L"C:\\Scenari\\Citt\u00e0 progetto\\", L"--route", L"Valle", L"--train", L"7"}},
      {L"p --dir \"C:\\Scenari\\\"", {L"p", L"--dir", L"C:\\Scenari\\"}},
      {L"p compile --dir=\"C:\\a b\\\"\t--route R", {L"p", L"compile", L"--dir=C:\\a b\\", L"--route", L"R"}},
      {L"p plot --svg \"C:\\out\\\" --dir x", {L"p", L"plot", L"--svg", L"C:\\out\\", L"--dir", L"x"}},
      // A quote inside the name, not before a blank, is the system's.
      {L"p --dir \"a\\\"b\" c", {L"p", L"--dir", L"a\"b", L"c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win32::narrow(c.line));
    EXPECT_EQ(win32::split_command_line(c.line, path_options), c.args);
  }
}

// As typed at cmd: the folder has a blank, a letter beyond ASCII and a
// closing backslash, and the options after it are read.
TEST(CommandLine, TheProgramTakesAFolderEndingInABackslash) {
  temp_folder parent;
  // The test's helpers take names in the ANSI code page; the product's
  // file system takes UTF-8.
  const std::string folder = parent.file("Citt\xc3\xa0 progetto");
  ASSERT_TRUE(::CreateDirectoryW(win32::widen(folder).c_str(), nullptr));
  disk_file_system disk;
  ASSERT_TRUE(disk.write_file(folder + "\\Prova_linea.txt", testo_linea().render()));
  ASSERT_TRUE(disk.write_file(folder + "\\Prova_7-.txt", testo_treno().render()));
  const auto r = test::run_command_line(test::program_path(),
                                        " compile --dir \"" + folder + "\\\" --route Prova --train 7 --quiet");
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  std::string bytes;
  EXPECT_TRUE(disk.read_file(folder + "\\Prova_7.sim", bytes, 1 << 20));
  EXPECT_FALSE(bytes.empty());
}

std::wstring version_value(const std::vector<char>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT size = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!::VerQueryValueW(info.data(), path.c_str(), &value, &size) || size == 0) return {};
  return static_cast<const wchar_t*>(value);
}

// The manifest, the version and the icon are in the program.
TEST(Resources, TheProgramCarriesItsManifestVersionAndIcon) {
  const std::wstring program = win32::widen(test::program_path());
  HMODULE image = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(image, found))),
                             ::SizeofResource(image, found));
  for (const char* part : {">true</longPathAware>", ">UTF-8</activeCodePage>", ">true</dpiAware>",
                           "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
                           "version=\"" SB_VERSION ".0\"", "level=\"asInvoker\""})
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
  ::FreeLibrary(image);

  DWORD ignored = 0;
  std::vector<char> info(::GetFileVersionInfoSizeW(program.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  EXPECT_EQ(version_value(info, L"FileVersion"), L"" SB_VERSION);
  EXPECT_EQ(version_value(info, L"ProductVersion"), L"" SB_VERSION);
  EXPECT_EQ(version_value(info, L"FileDescription"), L"Writes and compiles a train-driving simulator's scenario");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
  const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(version, SB_VERSION);
}

}  // namespace
}  // namespace sb
