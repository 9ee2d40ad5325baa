// What the benchmark programs share: a clock, medians, the result table, a
// hidden window that receives the task messages and the loop that pumps
// messages until a task has ended, a bare zip extractor built on zlib alone,
// and the generator of benchmark data.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "tasks/AbstractTaskBase.h"

namespace bench {

// Seconds since an arbitrary start, from the performance counter.
double Now();

double Median(std::vector<double> values);

// The figures of one benchmark, printed as one table.
class Table {
public:
    explicit Table(std::string title) : m_title(std::move(title)) {}
    void Note(const std::string& text) { m_notes.push_back(text); }
    // A line among the figures that heads the rows after it.
    void Section(const std::string& text) { m_rows.push_back(text); }
    // A measured figure: its median and the single runs.
    void Figure(const std::string& label, double median, const std::vector<double>& runs, const std::string& unit);
    // A ratio and its goal (a lower bound); goal <= 0 prints no goal.
    void Ratio(const std::string& label, double ratio, double goal);
    // A figure against its goal (a lower bound) in the figure's own unit.
    void Threshold(const std::string& label, double value, double goal, const std::string& unit);
    // A figure against its goal (an upper bound) in the figure's own unit.
    void Ceiling(const std::string& label, double value, double goal, const std::string& unit);
    void Print() const;
    // True when every ratio with a goal meets it.
    bool AllMet() const noexcept { return m_allMet; }

private:
    std::string m_title;
    std::vector<std::string> m_notes;
    std::vector<std::string> m_rows;
    bool m_allMet = true;
};

// True when this build serves its archive on a port of its own, not the
// tests' and the demo's; otherwise says so, naming the benchmark.
bool UsesOwnPort(const char* benchmark);

// "12.3 MB" (MB = 10^6 bytes).
std::string Megabytes(double bytes);
std::string Format(const char* format, double value);

// The notification window of a task run: hidden, counts the three task
// messages and remembers the last error text.
class TaskWindow : public Win32xx::CWnd {
public:
    TaskWindow() { Create(); }
    void Reset();
    bool Ended() const noexcept { return m_finished || m_failed; }
    bool Finished() const noexcept { return m_finished; }
    int ProgressCount() const noexcept { return m_progress; }
    const std::wstring& Error() const noexcept { return m_error; }

protected:
    void PreCreate(CREATESTRUCTW& cs) override { cs.style &= ~WS_VISIBLE; }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool m_finished = false;
    bool m_failed = false;
    int m_progress = 0;
    std::wstring m_error;
};

// Starts `task` and handles this thread's messages, as the program's dialogs
// do, until the window has received the finish or the error message.
// Returns the seconds from Start to that message; negative on failure.
double RunTask(AbstractTaskBase& task, TaskWindow& window, DWORD timeoutMs);

struct BareResult {
    bool ok = false;
    unsigned long long bytes = 0;  // uncompressed bytes written
    int files = 0;
};

// Extracts every entry of the zip archive at `archive` into `folder` with
// zlib alone: the archive mapped into memory, each entry's local header
// read, its data inflated through a buffer of `bufferSize` bytes and written
// with WriteFile, the CRC checked. `flush` flushes each file before closing
// it. No data descriptors, no zip64 (the benchmarks' archives have neither).
BareResult BareExtract(const std::wstring& archive, const std::wstring& folder, unsigned bufferSize, bool flush);
// The same extraction through minizip (its file functions over a mapped
// archive, as the program opens archives): no task, no
// window; each file flushed before it is closed, as the task does. Shows how
// much of a gap the archive reading layer makes.
BareResult MinizipExtract(const std::wstring& archive, const std::wstring& folder, unsigned bufferSize);
// The same inflate into one memory buffer only: no files at all.
BareResult BareInflateToMemory(const std::string& archive, unsigned bufferSize);

// `size` bytes that deflate compresses to roughly 70 percent: blocks of
// random bytes alternating with blocks of text over a small alphabet.
std::string MixedBytes(size_t size, unsigned long long seed);

// A new folder under `parent`.
std::wstring NewFolder(const std::wstring& parent, const std::wstring& name);
unsigned long long FolderBytes(const std::wstring& folder);

}  // namespace bench
