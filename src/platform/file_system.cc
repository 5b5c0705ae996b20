// What every face of the file system shares: the writer of a set, the
// mending of a set a killed run left, and the wait for a folder's lock.
#include "platform/file_system.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "platform/file_system_face.h"

namespace sb {

io_result file_system::write_file(const std::string& path, std::string_view bytes) {
  const file_to_write one{path, [bytes](byte_sink& out) { out.append(bytes); }};
  return write_files(std::span<const file_to_write>(&one, 1));
}

namespace {

// One file of a set being replaced, by full path. `aside` is where the old
// file is kept; empty when there was none.
struct set_entry {
  std::string target, temp, aside;
};

// The intent record: which way a mend goes, then for each file its
// target's, its temporary's and its kept file's names, each as LENGTH:NAME
// so that any byte may stand in a name. It is written only once every new
// content is synced, so a record that says "forward" can always be rolled
// forward; a writer that fails turns it to "back" before it undoes anything.
constexpr std::string_view record_head = "scenario-builder set\n";

struct intent {
  bool forward = true;
  std::vector<set_entry> entries;
};

void put_name(std::string& out, const std::string& name) {
  out += std::to_string(name.size());
  out += ':';
  out += name;
  out += '\n';
}

std::string encode_intent(const intent& in) {
  std::string out(record_head);
  out += in.forward ? "forward\n" : "back\n";
  for (const set_entry& e : in.entries) {
    put_name(out, face::base_name(e.target));
    put_name(out, face::base_name(e.temp));
    put_name(out, e.aside.empty() ? std::string() : face::base_name(e.aside));
  }
  return out;
}

// A name as the record holds it; nothing when the bytes are not one, or
// when it would reach out of the folder.
std::optional<std::string> take_name(std::string_view& in, bool may_be_empty) {
  size_t length = 0, i = 0;
  while (i < in.size() && i < 8 && in[i] >= '0' && in[i] <= '9') length = length * 10 + static_cast<size_t>(in[i++] - '0');
  if (i == 0 || i >= in.size() || in[i] != ':' || in.size() - i - 1 < length + 1 || in[i + 1 + length] != '\n')
    return std::nullopt;
  std::string name(in.substr(i + 1, length));
  in.remove_prefix(i + 2 + length);
  if (name.empty() ? !may_be_empty : (name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos))
    return std::nullopt;
  return name;
}

std::optional<intent> decode_intent(std::string_view in, const std::string& folder) {
  if (!in.starts_with(record_head)) return std::nullopt;
  in.remove_prefix(record_head.size());
  intent out;
  if (in.starts_with("forward\n")) {
    in.remove_prefix(8);
  } else if (in.starts_with("back\n")) {
    out.forward = false;
    in.remove_prefix(5);
  } else {
    return std::nullopt;
  }
  while (!in.empty()) {
    const auto target = take_name(in, false);
    const auto temp = target ? take_name(in, false) : std::nullopt;
    const auto aside = temp ? take_name(in, true) : std::nullopt;
    if (!aside) return std::nullopt;
    // Only our own temporaries may be moved or removed by a mend.
    if (!temp->starts_with(temporary_prefix) || (!aside->empty() && !aside->starts_with(temporary_prefix)))
      return std::nullopt;
    out.entries.push_back({join_path(folder, *target), join_path(folder, *temp),
                           aside->empty() ? std::string() : join_path(folder, *aside)});
  }
  return out;
}

std::string record_path(const std::string& folder) { return join_path(folder, std::string(intent_record_name)); }

// Replaces the record whole. For a durable set its content is synced
// before any old file is touched; its name reaches the disk with the
// folder sync that ends the set, journaled before the renames it precedes.
// The record of a set that need not survive a power loss is not synced: a
// killed run is mended all the same.
io_result keep_intent(const std::string& folder, const intent& in, durability keep) {
  const std::string bytes = encode_intent(in);
  const file_to_write record{record_path(folder), [&bytes](byte_sink& out) { out.append(bytes); },
                             keep == durability::durable ? durability::with_next_set : durability::transient};
  std::vector<face::staged_file> staged;
  io_result r = face::stage(record, staged);
  if (r) r = face::replace(staged.back());
  if (!r) {
    for (const face::staged_file& s : staged) face::discard(s);
    return r;
  }
  return io_result::success();
}

// A record whose removal a power loss undoes names a set that is whole:
// its mend goes forward and changes nothing.
io_result drop_intent(const std::string& folder) { return face::remove(record_path(folder)); }

// Every old file back in place and every new one gone. Goes on past a
// failure, so that as much as can be is back; the first failure is told.
io_result roll_back(const std::string& folder, const std::vector<set_entry>& entries) {
  io_result first;
  const auto note = [&first](io_result r) {
    if (!r && first) first = std::move(r);
  };
  for (const set_entry& e : entries) {
    if (!e.aside.empty()) {
      if (face::exists(e.aside)) {
        // Moving a second name of the same file over the first leaves
        // both: the kept one goes after.
        io_result moved = face::move_over(e.aside, e.target);
        note(moved ? face::remove(e.aside) : std::move(moved));
      }
    } else if (!face::exists(e.temp)) {
      // The new file that had no old one went in: it goes.
      note(face::remove(e.target));
    }
    if (face::exists(e.temp)) note(face::remove(e.temp));
  }
  note(face::sync_folder(folder));
  return first;
}

// Every new file in place, and the kept old ones gone.
io_result roll_forward(const std::string& folder, const std::vector<set_entry>& entries) {
  for (const set_entry& e : entries) {
    if (face::exists(e.temp)) {
      if (io_result r = face::move_over(e.temp, e.target); !r) return r;
    }
  }
  if (io_result r = face::sync_folder(folder); !r) return r;
  for (const set_entry& e : entries) {
    if (!e.aside.empty()) {
      if (io_result r = face::remove(e.aside); !r) return r;
    }
  }
  return io_result::success();
}

// Finishes what a killed run left: the set its record names goes forward
// when every new file is still there to go in, else back. A record that
// cannot be read names nothing that could be mended.
io_result mend(const std::string& folder) {
  const std::string path = record_path(folder);
  if (!face::exists(path)) return io_result::success();
  disk_file_system reader;
  std::string bytes;
  if (io_result r = reader.read_file(path, bytes, 1 << 20); !r) return r;
  const std::optional<intent> in = decode_intent(bytes, folder);
  if (in) {
    bool forward = in->forward;
    for (const set_entry& e : in->entries) forward = forward && (face::exists(e.temp) || face::exists(e.target));
    io_result r = forward ? roll_forward(folder, in->entries) : roll_back(folder, in->entries);
    if (!r) {
      return io_result::failure(folder, "a set of files was left half replaced by a run that was stopped, and it "
                                        "cannot be finished (" + r.message + ")");
    }
  }
  if (io_result r = drop_intent(folder); !r) return r;
  return face::sync_folder(folder);
}

// What killed runs left: temporaries of any name. The caller holds the
// folder's lock alone, so no live run owns them.
void remove_stale_temporaries(const std::string& folder) {
  for (const std::string& name : face::folder_names(folder)) {
    if (name.starts_with(temporary_prefix)) (void)face::remove(join_path(folder, name));
  }
}

io_result after_step(const disk_file_system& fs, set_step step, size_t index) {
  return fs.step_hook ? fs.step_hook(step, index) : io_result::success();
}

// A failure of a step that touched the old files, once they are all back.
io_result nothing_replaced(io_result r) {
  r.outcome = io_result::state::failed;
  r.message += "; nothing was replaced";
  return r;
}

}  // namespace

io_result disk_file_system::write_files(std::span<const file_to_write> files) {
  std::vector<face::staged_file> ready;
  ready.reserve(files.size());
  const auto discard_all = [&ready] {
    for (const face::staged_file& s : ready) face::discard(s);
  };
  const std::string folder = files.empty() ? std::string() : folder_of_path(files.front().path);
  for (const file_to_write& f : files) {
    if (folder_of_path(f.path) != folder) return io_result::failure(f.path, "not in the folder of the rest of its set");
  }
  for (const file_to_write& f : files) {
    io_result r;
    try {
      r = face::stage(f, ready);
    } catch (const std::bad_alloc&) {
      // Producing a content may run out of memory: no temporary stays.
      r = io_result::failure(f.path, "out of memory");
    }
    if (!r) {
      discard_all();
      return r;
    }
  }
  if (io_result r = after_step(*this, set_step::staged, 0); !r) {
    discard_all();
    return r;
  }
  // Every new content is whole and on the disk: only now are old files
  // touched. One rename cannot leave a set mixed.
  if (ready.size() == 1) {
    if (io_result r = face::replace(ready[0]); !r) {
      discard_all();
      return nothing_replaced(r);
    }
    return face::finish(ready);
  }
  // Transient files live only while their writer holds the lock: nothing
  // is kept aside for them, and no record.
  const auto all_transient = std::all_of(files.begin(), files.end(),
                                         [](const file_to_write& f) { return f.keep == durability::transient; });
  if (all_transient) {
    for (size_t i = 0; i < ready.size(); ++i) {
      if (io_result r = face::replace(ready[i]); !r) {
        for (size_t k = i; k < ready.size(); ++k) face::discard(ready[k]);
        return r;
      }
    }
    return io_result::success();
  }
  const durability record_keep =
      std::any_of(files.begin(), files.end(), [](const file_to_write& f) { return f.keep == durability::durable; })
          ? durability::durable
          : durability::with_next_set;

  intent in;
  for (const face::staged_file& s : ready)
    in.entries.push_back({s.target, s.temp, face::exists(s.target) ? s.temp + ".old" : std::string()});
  if (io_result r = keep_intent(folder, in, record_keep); !r) {
    discard_all();
    (void)face::remove(record_path(folder));
    return r;
  }
  const auto undo = [&](io_result why) {
    in.forward = false;
    io_result r = keep_intent(folder, in, record_keep);
    if (r) r = after_step(*this, set_step::putting_back, 0);
    if (r) r = roll_back(folder, in.entries);
    if (r) r = drop_intent(folder);
    if (!r) {
      why.message += "; the old files could not all be put back (" + r.message +
                     "), the next run in this folder finishes that";
      return why;
    }
    return nothing_replaced(std::move(why));
  };
  if (io_result r = after_step(*this, set_step::intent_kept, 0); !r) return undo(r);
  for (size_t i = 0; i < in.entries.size(); ++i) {
    const set_entry& e = in.entries[i];
    io_result r = e.aside.empty() ? io_result::success() : face::keep_aside(e.target, e.aside);
    if (r) r = after_step(*this, set_step::old_kept, i + 1);
    if (!r) return undo(r);
  }
  for (size_t i = 0; i < ready.size(); ++i) {
    io_result r = face::replace(ready[i]);
    if (r) r = after_step(*this, set_step::moved_in, i);
    if (!r) return undo(r);
  }
  if (io_result r = face::finish(ready); !r) return undo(r);
  // The new set is on the disk: what is left only tidies, and a run killed
  // now leaves a record that goes forward.
  for (const set_entry& e : in.entries) {
    if (!e.aside.empty()) (void)face::remove(e.aside);
  }
  return drop_intent(folder);
}

namespace {

std::string holder_words(const std::string& holder) {
  return holder.empty() ? "another run" : holder;
}

// Waits for the lock as asked: speaks once after a second, gives up when
// the time is out.
io_result take(face::lock_slot& slot, const std::string& folder, bool shared, const lock_request& how,
               std::chrono::steady_clock::time_point start) {
  using clock = std::chrono::steady_clock;
  bool told = false;
  auto pause = std::chrono::milliseconds(10);
  for (;;) {
    io_result failure;
    switch (slot.try_take(shared, failure)) {
      case face::lock_slot::outcome::taken: return io_result::success();
      case face::lock_slot::outcome::failed: return failure;
      case face::lock_slot::outcome::busy: break;
    }
    const auto waited = clock::now() - start;
    if (waited >= std::chrono::duration<double>(how.wait_seconds)) {
      std::string seconds = std::to_string(how.wait_seconds);
      seconds.erase(seconds.find_last_not_of('0') + 1);
      if (seconds.back() == '.') seconds.pop_back();
      return io_result::failure(folder, "gave up waiting for the folder lock after " + seconds +
                                            " s; it is held by " + holder_words(slot.holder()));
    }
    if (!told && waited >= std::chrono::seconds(1)) {
      told = true;
      if (how.waiting) how.waiting(folder, slot.holder());
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(100));
  }
}

}  // namespace

locked_folder disk_file_system::lock_folder(const std::string& folder) { return wait_for_folder(folder, {}); }

locked_folder disk_file_system::wait_for_folder(const std::string& folder, const lock_request& how) {
  const std::string at = folder.empty() ? "." : folder;
  const auto start = std::chrono::steady_clock::now();
  io_result r;
  std::unique_ptr<face::lock_slot> slot = face::open_lock(at, r);
  if (!slot) return {r, nullptr};
  // A writer, and a reader that finds a set half replaced, first finish
  // what a killed run left, holding the lock alone.
  bool alone = !how.shared;
  if (how.shared) {
    if (r = take(*slot, at, true, how, start); !r) return {r, nullptr};
    if (face::exists(record_path(at))) {
      slot->release();
      alone = true;
    }
  }
  if (alone) {
    if (r = take(*slot, at, false, how, start); !r) return {r, nullptr};
    if (r = mend(at); !r) return {r, nullptr};
    remove_stale_temporaries(at);
    if (how.shared) {
      slot->release();
      if (r = take(*slot, at, true, how, start); !r) return {r, nullptr};
    }
  }
  return {io_result::success(), std::move(slot)};
}

std::string temporary_stem(std::string_view file_name) {
  // FNV-1a: fixed on every platform, so a later run finds the leftovers.
  uint64_t h = 0xcbf29ce484222325u;
  for (const char c : file_name) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3u;
  }
  static constexpr char digits[] = "0123456789abcdef";
  std::string stem(temporary_prefix);
  for (int shift = 60; shift >= 0; shift -= 4) stem += digits[(h >> shift) & 15];
  return stem;
}

}  // namespace sb
