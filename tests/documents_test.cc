// Properties shared by the five documents, and how their writers name and
// replace the files.
#include "documents/documents.h"

#include <gtest/gtest.h>

#include <set>

#include "builder/scenario_files.h"
#include "support/memory_file_system.h"
#include "support/test_support.h"

namespace sb {
namespace {

using test::split_crlf_lines;

struct document_case {
  const char* name;
  line_list (*text)();
  int lines;                    // lines in the file; the end marker sits in the entry after them
  std::set<int> trailing_blank; // 1-based lines that keep a trailing blank
};

const document_case documents[] = {
    {"line description", testo_linea, 161, {}},
    {"train description", testo_treno, 132, {5}},  // the clock line
    {"notes sheet", testo_note, 9, {1, 9}},
    {"slow-order form", testo_rallentamenti, 43, {}},
    {"timetable card", testo_scheda, 57, {9}},
};

TEST(Documents, LineListsAreClosedByTheMarkerAndRenderedAsCrLfAsciiLines) {
  for (const document_case& d : documents) {
    SCOPED_TRACE(d.name);
    const line_list list = d.text();
    for (int i = 0; i < d.lines; ++i) EXPECT_NE(list.at(i), end_marker) << "entry " << i;
    EXPECT_EQ(list.at(d.lines), end_marker);
    EXPECT_EQ(list.at(d.lines + 1), "");

    const std::string bytes = list.render();
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(bytes.find(end_marker), std::string::npos);
    for (size_t i = 0; i < bytes.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (c == '\r') {
        ASSERT_LT(i + 1, bytes.size());
        EXPECT_EQ(bytes[i + 1], '\n') << "byte " << i;
      } else if (c == '\n') {
        EXPECT_EQ(bytes[i - 1], '\r') << "byte " << i;
      } else {
        EXPECT_TRUE(c >= 32 && c <= 126) << "byte " << i << " is " << int(c);
      }
    }

    const std::vector<std::string> lines = split_crlf_lines(bytes);
    ASSERT_EQ(static_cast<int>(lines.size()), d.lines);
    std::set<int> trailing;
    for (int i = 0; i < d.lines; ++i) {
      const std::string& l = lines[static_cast<size_t>(i)];
      if (!l.empty() && l.back() == ' ') trailing.insert(i + 1);
    }
    EXPECT_EQ(trailing, d.trailing_blank);
  }
}

using writer = io_result (*)(const scenario_identity&, file_system&, const std::string&);

struct writer_case {
  writer write;
  std::string (*file_name)(const scenario_identity&);
  line_list (*text)();
};

const writer_case writers[] = {
    {dati_linea, line_file_name, testo_linea},
    {dati_treno, train_file_name, testo_treno},
    {dati_note, notes_file_name, testo_note},
    {dati_rallentamenti, slow_order_file_name, testo_rallentamenti},
    {dati_scheda, timetable_file_name, testo_scheda},
};

const scenario_identity shipped{"Ortesa-Vildoro", "418"};

TEST(Documents, EachWriterFillsItsOwnFileAndOnlyTheNameFollowsTheIdentity) {
  test::memory_file_system fs;
  for (const writer_case& w : writers) ASSERT_TRUE(w.write(shipped, fs, "/prog"));
  ASSERT_EQ(fs.files.size(), 5u);
  for (const writer_case& w : writers) {
    const std::string path = join_path("/prog", w.file_name(shipped));
    SCOPED_TRACE(path);
    ASSERT_EQ(fs.files.count(path), 1u);
    EXPECT_EQ(fs.files[path], w.text().render());
  }
  // The shipped names, spelled out, as the reader and the driver see them.
  for (const char* name : {"Ortesa-Vildoro_linea.txt", "Ortesa-Vildoro_418-.txt", "Ortesa-Vildoro_418_note.txt",
                           "Ortesa-Vildoro_418_rallentamenti.txt", "Ortesa-Vildoro_418_scheda_treno.txt"}) {
    EXPECT_EQ(fs.files.count(join_path("/prog", name)), 1u) << name;
  }

  // Another identity changes the names, never the contents.
  const scenario_identity other_id{"Altra-Linea", "7"};
  test::memory_file_system other_fs;
  for (const writer_case& w : writers) {
    ASSERT_TRUE(w.write(other_id, other_fs, "/prog"));
    EXPECT_EQ(other_fs.files[join_path("/prog", w.file_name(other_id))],
              fs.files[join_path("/prog", w.file_name(shipped))]);
  }
}

TEST(Documents, WritersReplaceAnOlderLongerFileWholeOnDisk) {
  test::temp_folder dir;
  disk_file_system fs;
  const std::string stale(200000, '#');
  for (const writer_case& w : writers) test::write_bytes(dir.file(w.file_name(shipped)), stale + "\r\n");

  for (int run = 0; run < 2; ++run) {
    for (const writer_case& w : writers) {
      ASSERT_TRUE(w.write(shipped, fs, dir.path()));
      const std::string written = test::read_bytes(dir.file(w.file_name(shipped)));
      EXPECT_EQ(written, w.text().render()) << w.file_name(shipped) << " run " << run;
      EXPECT_EQ(written.find('#'), std::string::npos);
    }
  }
  EXPECT_EQ(test::list_folder(dir.path()).size(), 5u);
}

// The papers are one set: one that cannot be written keeps the others from
// being replaced. The author's texts command keeps its texts durable.
TEST(Documents, ThePapersAreReplacedTogetherOrNotAtAll) {
  test::failing_file_system fs(join_path("/prog", timetable_file_name(shipped)));
  EXPECT_FALSE(write_papers(shipped, fs, "/prog", durability::with_next_set).ok());
  EXPECT_TRUE(fs.files.empty());

  test::memory_file_system ok_fs;
  ASSERT_TRUE(write_papers(shipped, ok_fs, "/prog", durability::with_next_set));
  ASSERT_TRUE(write_source_texts(shipped, ok_fs, "/prog", durability::transient));
  ASSERT_EQ(ok_fs.files.size(), 5u);
  for (const writer_case& w : writers) {
    EXPECT_EQ(ok_fs.files[join_path("/prog", w.file_name(shipped))], w.text().render()) << w.file_name(shipped);
  }
  ASSERT_TRUE(dati_linea(shipped, ok_fs, "/prog"));
  EXPECT_EQ(ok_fs.kept[join_path("/prog", line_file_name(shipped))], durability::durable);
}

TEST(Documents, AWriterFailsWhenTheFolderIsMissing) {
  test::temp_folder dir;
  disk_file_system fs;
  EXPECT_FALSE(dati_linea(shipped, fs, dir.file("missing")).ok());
  EXPECT_TRUE(test::list_folder(dir.path()).empty());
}

}  // namespace
}  // namespace sb
