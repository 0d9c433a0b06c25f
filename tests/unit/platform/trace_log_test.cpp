// The trace log: markers, line format, roll-over, and whole lines under concurrency.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/trace_log.h"
#include "platform/file_io.h"
#include "temp_dir.h"

namespace zor {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

const std::regex kStart(R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\] ========== TRACE START \(pid=\d+\) ==========)");
const std::regex kEnd(R"(\[\d{2}:\d{2}:\d{2}\] ==== TRACE END \(graceful\) ====)");

TEST(TraceLog, NothingIsWrittenBeforeTheLogIsOpened) {
  TempDir dir;
  closeTraceLog();
  traceLine("early %d", 1);
  EXPECT_FALSE(traceLogOpen());
  openTraceLog(dir.path());
  closeTraceLog();
  EXPECT_EQ(dir.read("zor_trace.log").find("early"), std::string::npos);
}

TEST(TraceLog, TwoRunsAppendTwoMarkedSections) {
  TempDir dir;
  for (int run = 0; run < 2; ++run) {
    openTraceLog(dir.path());
    traceLine("WinMain start, exeDir=%s build=%s APP_MODE=%d", dir.path().c_str(), "Release", 1);
    closeTraceLog();
  }
  std::vector<std::string> lines = linesOf(dir.read("zor_trace.log"));
  ASSERT_EQ(lines.size(), 8u);
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(lines[size_t(run * 4)], "");  // every start marker is preceded by an empty line
    EXPECT_TRUE(std::regex_match(lines[size_t(run * 4 + 1)], kStart)) << lines[size_t(run * 4 + 1)];
    EXPECT_TRUE(std::regex_match(lines[size_t(run * 4 + 3)], kEnd)) << lines[size_t(run * 4 + 3)];
  }
  std::string prefix = R"(\[\d{2}:\d{2}:\d{2}\.\d{3}\]\[T\d{4,5}\]\[)";
  std::regex line(prefix + std::regex_replace(dir.path(), std::regex(R"([\\^$.|?*+()\[\]{}])"), R"(\$&)") +
                  R"(\] WinMain start, exeDir=.* build=Release APP_MODE=1)");
  EXPECT_TRUE(std::regex_match(lines[2], line)) << lines[2];
}

TEST(TraceLog, RollsOverAtTheCapKeepingOneOlderFile) {
  TempDir dir;
  openTraceLog(dir.path(), 4096);
  for (int i = 0; i < 100; ++i) traceLine("line %03d %s", i, std::string(60, 'x').c_str());
  closeTraceLog();
  std::string current = dir.read("zor_trace.log");
  std::string previous = dir.read("zor_trace.log.1");
  EXPECT_LT(current.size(), 4096u + 200u);
  EXPECT_LT(previous.size(), 4096u);
  EXPECT_FALSE(previous.empty());
  // The new file starts with its own start marker; no line is lost or split across files.
  std::vector<std::string> cur = linesOf(current);
  ASSERT_GE(cur.size(), 2u);
  EXPECT_TRUE(std::regex_match(cur[1], kStart));
  EXPECT_NE(current.find("line 099"), std::string::npos);
  EXPECT_TRUE(std::regex_match(cur.back(), kEnd));
  for (const std::string& l : linesOf(current + previous)) {
    if (l.find("line ") != std::string::npos) {
      EXPECT_NE(l.find(std::string(60, 'x')), std::string::npos);
    }
  }
}

TEST(TraceLog, AFullLogAtStartRollsOver) {
  TempDir dir;
  dir.write("zor_trace.log", std::string(5000, 'o'));
  openTraceLog(dir.path(), 4096);
  closeTraceLog();
  EXPECT_EQ(dir.read("zor_trace.log.1"), std::string(5000, 'o'));
  std::vector<std::string> cur = linesOf(dir.read("zor_trace.log"));
  ASSERT_EQ(cur.size(), 3u);
  EXPECT_TRUE(std::regex_match(cur[1], kStart));
}

TEST(TraceLog, UnwritableDirectoryTurnsTracingOff) {
  openTraceLog("/nonexistent-folder-for-zor-tests/");
  EXPECT_FALSE(traceLogOpen());
  traceLine("ignored");  // must simply return
  closeTraceLog();
}

TEST(TraceLog, LinesOfThreadsNeverInterleave) {
  TempDir dir;
  openTraceLog(dir.path());
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 300; ++i) traceLine("thread=%d i=%d %s", t, i, std::string(40, char('a' + t)).c_str());
    });
  for (std::thread& th : threads) th.join();
  closeTraceLog();
  int count = 0;
  std::regex body(R"(.*\] thread=(\d) i=\d+ ([a-d]{40}))");
  for (const std::string& l : linesOf(dir.read("zor_trace.log"))) {
    if (l.find("thread=") == std::string::npos) continue;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, body)) << l;
    EXPECT_EQ(m[2].str(), std::string(40, char('a' + std::stoi(m[1].str()))));
    ++count;
  }
  EXPECT_EQ(count, 1200);
}

}  // namespace
}  // namespace zor
