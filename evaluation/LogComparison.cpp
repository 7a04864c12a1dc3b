#include "LogComparison.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <functional>

#include "Parallel.h"

namespace {

// One log read line by line, with the line number for messages. Lines are
// found in a large buffer that grows to the longest line, so a line is
// parsed where it was read, without a copy.
class LogReader {
 public:
  std::string path;
  int64_t number = 0;
  std::vector<int32_t> ids;
  std::string error;  // why the last line was refused, or empty

  explicit LogReader(const std::string& p) : path(p), f_(std::fopen(p.c_str(), "rb")) {}
  ~LogReader() {
    if (f_) std::fclose(f_);
  }
  LogReader(const LogReader&) = delete;
  LogReader& operator=(const LogReader&) = delete;
  bool Open() const { return f_ != nullptr; }

  // Next line's identifiers; false at the end. A refused line gives none
  // and leaves its reason in `error`.
  bool Next() {
    const char* begin;
    const char* end;
    if (!NextLine(&begin, &end)) return false;
    number++;
    error.clear();
    if (!ParseLogRange(begin, end, &ids, &error)) ids.clear();
    return true;
  }
  // The line naming the last line's refusal; empty when it was read.
  std::string Message() const {
    if (error.empty()) return "";
    return "ERROR: " + path + ":" + std::to_string(number) + ": " + error +
           "; the line counts as empty";
  }
  void Report(std::ostream& err) const {
    if (!error.empty()) err << Message() << std::endl;
  }

 private:
  // The next line in [*begin, *end), its '\n' replaced by a 0 so the
  // character after it is never a digit.
  bool NextLine(const char** begin, const char** end) {
    for (;;) {
      char* from = buf_.data() + pos_;
      char* nl = static_cast<char*>(std::memchr(from, '\n', fill_ - pos_));
      if (nl) {
        *nl = 0;
        *begin = from;
        *end = nl;
        pos_ = size_t(nl - buf_.data()) + 1;
        return true;
      }
      if (eof_) {
        if (pos_ == fill_) return false;
        // A last line without its end: the spare byte holds the 0.
        buf_[fill_] = 0;
        *begin = from;
        *end = buf_.data() + fill_;
        pos_ = fill_;
        return true;
      }
      // Keep the partial line, grow when it fills the buffer, read on.
      std::memmove(buf_.data(), from, fill_ - pos_);
      fill_ -= pos_;
      pos_ = 0;
      if (buf_.size() - fill_ < kChunk + 1) buf_.resize(std::max(buf_.size() * 2, fill_ + kChunk + 1));
      const size_t got = f_ ? std::fread(buf_.data() + fill_, 1, buf_.size() - 1 - fill_, f_) : 0;
      if (got == 0) eof_ = true;
      fill_ += got;
    }
  }

  static constexpr size_t kChunk = size_t(1) << 22;
  FILE* f_;
  std::vector<char> buf_ = std::vector<char>(kChunk + 1);
  size_t pos_ = 0, fill_ = 0;  // unread bytes are [pos_, fill_)
  bool eof_ = false;
};

// One bit per identifier: 1,000,000 identifiers take 125 KB, which stays
// in cache.
class IdBits {
 public:
  // Sets the bit; false when it was set already.
  bool Set(int32_t id) {
    const size_t w = size_t(id) >> 6;
    if (w >= bits_.size()) bits_.resize(std::max(w + 1, bits_.size() * 2), 0);
    const uint64_t m = uint64_t(1) << (id & 63);
    if (bits_[w] & m) return false;
    bits_[w] |= m;
    return true;
  }
  void Unset(int32_t id) { bits_[size_t(id) >> 6] &= ~(uint64_t(1) << (id & 63)); }
  bool Has(size_t id) const {
    const size_t w = id >> 6;
    return w < bits_.size() && (bits_[w] >> (id & 63) & 1);
  }
  size_t Size() const { return bits_.size() * 64; }

 private:
  std::vector<uint64_t> bits_;
};

// Identifiers seen in one step, each counted once, and added to the run's
// union; only the bits a step set are cleared for the next one.
class StepSet {
 public:
  void Clear() {
    for (int32_t id : distinct_) bits_.Unset(id);
    distinct_.clear();
  }
  void Add(int32_t id, IdBits* all) {
    if (!bits_.Set(id)) return;
    distinct_.push_back(id);
    all->Set(id);
  }
  const std::vector<int32_t>& Distinct() const { return distinct_; }

 private:
  IdBits bits_;
  std::vector<int32_t> distinct_;
};

// Steps of one log read ahead: per step its distinct identifiers and why
// its line was refused (empty when it was not). The vectors keep their
// room from batch to batch.
struct StepBatch {
  std::vector<std::vector<int32_t>> ids;
  std::vector<std::string> errors;
  size_t count = 0;
  bool ended = false;
};

// Up to `steps` more lines of the log into the batch, each one's
// identifiers also added to the log's union.
void ReadBatch(LogReader& log, size_t steps, StepSet* set, IdBits* all, StepBatch* batch) {
  batch->count = 0;
  while (batch->count < steps && !batch->ended) {
    if (!log.Next()) {
      batch->ended = true;
      break;
    }
    set->Clear();
    for (int32_t id : log.ids) set->Add(id, all);
    if (batch->ids.size() <= batch->count) {
      batch->ids.emplace_back();
      batch->errors.emplace_back();
    }
    batch->ids[batch->count].assign(set->Distinct().begin(), set->Distinct().end());
    batch->errors[batch->count] = log.Message();
    batch->count++;
  }
}

// Steps a batch takes: about kBatchIds identifiers on each side (16 MB),
// judged by the steps before, and at most kBatchSteps.
constexpr size_t kBatchIds = size_t(1) << 22;
constexpr size_t kBatchSteps = 256;

// The identifiers of `a` not marked in `b`, ascending, written each with
// ",".
int64_t WriteDifference(std::ostream& os, const std::vector<int32_t>& a, const IdBits& b,
                        std::vector<int32_t>* scratch) {
  scratch->clear();
  for (int32_t id : a)
    if (!b.Has(size_t(id))) scratch->push_back(id);
  std::sort(scratch->begin(), scratch->end());
  for (int32_t id : *scratch) os << id << ",";
  return int64_t(scratch->size());
}

void MarkAll(const std::vector<int32_t>& ids, IdBits* bits) {
  for (int32_t id : ids) bits->Set(id);
}

// Reads the digits at p that come before the first other character, when
// there are fewer than 8 of them, as one 8-byte word: most tokens are
// short numbers, and digit by digit the multiplications form a chain.
// Returns their number (8 when there are 8 or more: not read).
int EightDigits(const char* p, uint64_t* value) {
  uint64_t x;
  std::memcpy(&x, p, 8);  // first character in the lowest byte
  x ^= 0x3030303030303030u;  // digits become 0..9, every other byte above 9
  // High bit of each byte that is not a digit (a carry out of such a byte
  // only spoils bytes after it).
  const uint64_t other = ((x + 0x7676767676767676u) | x) & 0x8080808080808080u;
  if (other == 0) return 8;
  const int n = __builtin_ctzll(other) / 8;
  if (n == 0) {
    *value = 0;
    return 0;
  }
  // The n digits into the top bytes, zeros above them as leading digits,
  // then pairs, quads and the whole word combined.
  x <<= 8 * (8 - n);
  x = x * 10 + (x >> 8);
  x = (((x & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
       (((x >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >> 32;
  *value = x;
  return n;
}

}  // namespace

bool ParseLogLine(const std::string& line, std::vector<int32_t>* ids, std::string* error) {
  // A string's terminator follows its last character.
  return ParseLogRange(line.data(), line.data() + line.size(), ids, error);
}

bool ParseLogRange(const char* line, const char* lineEnd, std::vector<int32_t>* ids,
                   std::string* error) {
  ids->clear();
  const char* stop = lineEnd;
  if (stop > line && stop[-1] == '\r') stop--;
  if (stop == line) return true;
  const char* colon = static_cast<const char*>(std::memchr(line, ':', size_t(stop - line)));
  if (!colon) {
    *error = "a line without ':'";
    return false;
  }
  // Tokens between ','; the last one may lack its ',' and is read whole.
  const char* p = colon + 1;
  auto token = [&](const char* from) {
    const char* to = from;
    while (to < stop && *to != ',') to++;
    return std::string(from, to);
  };
  while (p < stop) {
    const char* from = p;
    uint64_t value = 0;
    int digits = stop - p >= 8 ? EightDigits(p, &value) : 8;
    if (digits < 8) {
      p += digits;
    } else {
      // Long tokens and the end of the line one character at a time. The
      // character at `stop` is the '\r' or the one after the line, never a
      // digit, so the loop needs no bound of its own.
      value = 0;
      while (unsigned(*p - '0') < 10u) value = value * 10 + unsigned(*p++ - '0');
    }
    if (p < stop && *p != ',') {
      *error = "'" + token(from) + "' is not an identifier";
      return false;
    }
    if (p - from > 18 || value >= uint64_t(kLogIdLimit)) {
      *error = "identifier " + token(from) + " is 10,000,000 or more";
      return false;
    }
    // An empty token (",,") names nothing.
    if (p > from) ids->push_back(int32_t(value));
    p++;
  }
  return true;
}

LogComparison CompareLogFiles(const std::string& pathA, const std::string& pathB,
                              const std::string& overallReport, const std::string& perStepReport,
                              std::ostream& out, std::ostream& err) {
  LogComparison c;
  LogReader a(pathA), b(pathB);
  c.readA = a.Open();
  c.readB = b.Open();
  std::ofstream steps(perStepReport);
  if (!steps) err << "ERROR: cannot write file: " << perStepReport << std::endl;
  IdBits unionA, unionB;
  // The steps both logs hold, then the rest of the longer one for the
  // whole-run union. The logs are read in batches of steps side by side
  // (A's on a second thread when there is one): the two share nothing
  // until the differences, and a batch starts one thread however many
  // steps it holds.
  StepSet setA, setB;
  StepBatch batchA, batchB;
  const int threads = std::min(2, WorkerThreads());
  size_t batchSteps = 16;
  IdBits marks;  // the other log's step, while a difference is written
  std::vector<int32_t> scratch;
  uint32_t n = 0;
  while (!batchA.ended && !batchB.ended) {
    RunOnThreads(threads, [&](int k) {
      if (k == threads - 1) ReadBatch(a, batchSteps, &setA, &unionA, &batchA);
      if (k == 0) ReadBatch(b, batchSteps, &setB, &unionB, &batchB);
    });
    const size_t both = std::min(batchA.count, batchB.count);
    size_t held = 0;
    for (size_t i = 0; i < std::max(batchA.count, batchB.count); i++) {
      if (i < batchA.count && !batchA.errors[i].empty()) err << batchA.errors[i] << std::endl;
      if (i < batchB.count && !batchB.errors[i].empty()) err << batchB.errors[i] << std::endl;
      if (i >= both) continue;
      const std::vector<int32_t>& idsA = batchA.ids[i];
      const std::vector<int32_t>& idsB = batchB.ids[i];
      held = std::max(held, idsA.size() + idsB.size());
      steps << "State #" << n << "\n";
      steps << "What in A is not in B: ";
      MarkAll(idsB, &marks);
      const int64_t m = WriteDifference(steps, idsA, marks, &scratch);
      for (int32_t id : idsB) marks.Unset(id);
      const int64_t base = int64_t(idsA.size());
      c.perStep.missing += m;
      c.perStep.totalA += base;
      steps << "\n";
      steps << "What in B is not in A: ";
      MarkAll(idsA, &marks);
      c.perStep.excessive += WriteDifference(steps, idsB, marks, &scratch);
      for (int32_t id : idsA) marks.Unset(id);
      steps << "\n";
      // A step without identifiers in A has the ratio 0 / 0, which is
      // never greater: it never becomes the worst step.
      if (double(c.worstMissing) / double(c.worstBase) < double(m) / double(base)) {
        c.worstMissing = m;
        c.worstBase = base;
        c.worstStep = n;
      }
      out << "Done with state " << n << std::endl;
      c.steps++;
      n++;
    }
    // The next batch holds about kBatchIds identifiers a side.
    batchSteps = std::min(kBatchSteps, std::max<size_t>(1, kBatchIds / std::max<size_t>(held, 1)));
  }
  for (LogReader* log : {&a, &b}) {
    if ((log == &a ? batchA : batchB).ended) continue;
    IdBits& all = log == &a ? unionA : unionB;
    while (log->Next()) {
      log->Report(err);
      MarkAll(log->ids, &all);
    }
  }

  const std::string totals[3] = {
      "Total Missing: " + std::to_string(c.perStep.missing) + "/" + std::to_string(c.perStep.totalA),
      "Total Excessive: " + std::to_string(c.perStep.excessive) + "/" +
          std::to_string(c.perStep.totalA),
      "Max Missing: " + std::to_string(c.worstMissing) + "/" + std::to_string(c.worstBase) +
          " at state " + std::to_string(c.worstStep)};
  for (const std::string& t : totals) steps << t << "\n";
  for (const std::string& t : totals) out << t << std::endl;

  // Whole run: the unions, ascending.
  std::ofstream all(overallReport);
  if (!all) err << "ERROR: cannot write file: " << overallReport << std::endl;
  all << "State All:\n";
  auto in = [](const IdBits& f, size_t i) { return f.Has(i); };
  all << "What in A is not in B: ";
  for (size_t i = 0; i < unionA.Size(); i++) {
    if (!in(unionA, i)) continue;
    c.overall.totalA++;
    if (!in(unionB, i)) {
      all << i << ",";
      c.overall.missing++;
    }
  }
  all << "\n";
  all << "What in B is not in A: ";
  for (size_t i = 0; i < unionB.Size(); i++)
    if (in(unionB, i) && !in(unionA, i)) {
      all << i << ",";
      c.overall.excessive++;
    }
  all << "\n";
  all << "Total Missing: " << c.overall.missing << "/" << c.overall.totalA << "\n";
  all << "Total Excessive: " << c.overall.excessive << "/" << c.overall.totalA << "\n";
  return c;
}
