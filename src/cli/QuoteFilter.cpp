// SPDX-License-Identifier: MIT
#include "cli/QuoteFilter.h"

#include "core/Error.h"
#include "core/LineBreak.h"
#include "core/QuoteStream.h"
#include "core/Reflower.h"

#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace navrik {

namespace {

// Input is quoted a chunk at a time; a worker's output buffer holds about twice that, which a
// chunk of ordinary text does not fill, so a worker seldom waits for its turn before the end.
constexpr std::size_t kChunkSize = std::size_t(1) << 20;
constexpr std::size_t kSinkSize = 2 * kChunkSize + 4096;
constexpr unsigned kMaxWorkers = 4;

int parseWidth(const std::string& text)
{
    int value = 0;
    const char* const end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < kFilterMinWidth
        || value > kFilterMaxWidth) {
        throw Error("-w needs a whole number from " + std::to_string(kFilterMinWidth) + " to "
                    + std::to_string(kFilterMaxWidth) + ", not '" + text + "'");
    }
    return value;
}

void report(const std::string& message)
{
    const std::string line = "navrik-quote: " + message + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

// Memory for buffers, in huge pages where the system offers them: on a virtual machine a fault
// on each fresh 4 KiB page can cost more than reading the input.
class Memory {
public:
    explicit Memory(std::size_t size)
    {
        constexpr std::size_t kHugePage = std::size_t(2) << 20;
        m_size = (size + kHugePage - 1) / kHugePage * kHugePage + kHugePage;
        m_mapping = ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m_mapping == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = (reinterpret_cast<std::uintptr_t>(m_mapping) + kHugePage - 1) / kHugePage * kHugePage;
        m_data = reinterpret_cast<char*>(start);
        ::madvise(m_data, m_size - kHugePage, MADV_HUGEPAGE);
    }
    ~Memory() { ::munmap(m_mapping, m_size); }
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;

    char* data() const { return m_data; }

private:
    void* m_mapping;
    std::size_t m_size;
    char* m_data;
};

struct Buffer {
    char* data = nullptr; // not cleared: every byte used is read into it first
    std::size_t capacity = 0;
    std::unique_ptr<Memory> own; // for a buffer grown past the chunk size to hold a long line

    Buffer() = default;
    Buffer(char* data, std::size_t capacity)
        : data(data)
        , capacity(capacity)
    {
    }
    // A buffer has one holder at a time: the one it moved from holds none.
    Buffer(Buffer&& other) noexcept
        : data(std::exchange(other.data, nullptr))
        , capacity(std::exchange(other.capacity, 0))
        , own(std::move(other.own))
    {
    }
    Buffer& operator=(Buffer&& other) noexcept
    {
        data = std::exchange(other.data, nullptr);
        capacity = std::exchange(other.capacity, 0);
        own = std::move(other.own);
        return *this;
    }

    static Buffer grown(std::size_t capacity)
    {
        Buffer buffer;
        buffer.own = std::make_unique<Memory>(capacity);
        buffer.data = buffer.own->data();
        buffer.capacity = capacity;
        return buffer;
    }
};

// A stretch of input, quoted on its own and written in its turn.
struct Job {
    std::size_t index = 0;
    std::string_view text;
    // The text starts inside a line whose mark is already written: its bytes up to the first
    // break go out as they are. Only without line adjustment, where a line needs no splitting.
    bool midLine = false;
    std::string_view previousEnding = kLf; // the break of the line before the text
    Buffer buffer;                         // the read buffer holding the text
};

enum class Failure { None, Write, ClosedPipe };

// The quoting machinery: worker threads that quote jobs and write them in input order, each
// writing its own output once every job before it is written.
class Pipeline {
public:
    Pipeline(int out, const QuoteOptions& options);
    ~Pipeline();

    // Hands a job on, waiting while enough are in flight. False once the output has failed.
    bool dispatch(Job job);
    // Waits until every job handed on is written.
    void drain();
    // A read buffer of the chunk size, reused when one is free, and its return.
    Buffer takeBuffer();
    void giveBack(Buffer buffer);

    Failure failure() const { return m_failure.load(std::memory_order_acquire); }
    int failureErrno() const { return m_errno; }

private:
    class Sink;

    void work(Buffer& sinkBuffer);
    void run(Job& job, Buffer& sinkBuffer);
    bool waitTurn(std::size_t index);
    bool writeOut(std::string_view bytes);
    void finish(Job& job);

    const int m_out;
    const std::string m_mark;
    const std::int64_t m_budget;
    const BreakStyle m_style;
    const unsigned m_workerCount;
    const std::size_t m_maxInFlight;
    // The read buffers (as many as can be in use at once) and each worker's output buffer.
    Memory m_memory;
    std::vector<Buffer> m_sinkBuffers;
    std::vector<std::thread> m_workers;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_pending;
    std::vector<Buffer> m_freeBuffers;
    std::size_t m_nextIndex = 0;   // of the next job handed on
    std::size_t m_nextToWrite = 0; // the job whose turn it is
    bool m_stopping = false;
    // Set once, under the mutex; read without it by the reader to stop early.
    std::atomic<Failure> m_failure = Failure::None;
    int m_errno = 0;
};

// A worker's output buffer: when it is full, the worker waits for its job's turn and writes.
class Pipeline::Sink final : public QuoteSink {
public:
    Sink(Pipeline& pipeline, std::size_t index, Buffer& buffer)
        : m_pipeline(pipeline)
        , m_index(index)
        , m_capacity(buffer.capacity)
    {
        setBuffer(buffer.data, buffer.data, buffer.data + buffer.capacity);
    }

    bool flush()
    {
        if (!m_pipeline.waitTurn(m_index) || !m_pipeline.writeOut(held()))
            return false;
        clear();
        return true;
    }

private:
    void overflow(std::string_view bytes) override
    {
        if (!flush())
            return; // the output failed: the rest is dropped
        if (bytes.size() > m_capacity)
            m_pipeline.writeOut(bytes);
        else
            append(bytes);
    }

    Pipeline& m_pipeline;
    const std::size_t m_index;
    const std::size_t m_capacity;
};

// The processors this process may run on, as the affinity mask says (taskset, cgroups).
unsigned usableProcessors()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return unsigned(std::max(1, CPU_COUNT(&set)));
    return std::max(1u, std::thread::hardware_concurrency());
}

// On one processor, threads only take turns: the reading thread quotes each job itself.
Pipeline::Pipeline(int out, const QuoteOptions& options)
    : m_out(out)
    , m_mark(options.mark)
    , m_budget(lineBudget(options))
    , m_style(breakStyle(options))
    , m_workerCount(usableProcessors() > 1 ? std::min(usableProcessors(), kMaxWorkers) : 0)
    , m_maxInFlight(m_workerCount + 2)
    , m_memory((m_maxInFlight + 2) * kChunkSize + std::max(1u, m_workerCount) * kSinkSize)
{
    // Jobs in flight hold a read buffer each, the reader one more and the next.
    char* next = m_memory.data();
    for (std::size_t i = 0; i < m_maxInFlight + 2; ++i, next += kChunkSize)
        m_freeBuffers.emplace_back(next, kChunkSize);
    for (unsigned i = 0; i < std::max(1u, m_workerCount); ++i, next += kSinkSize)
        m_sinkBuffers.emplace_back(next, kSinkSize);
    for (unsigned i = 0; i < m_workerCount; ++i)
        m_workers.emplace_back([this, i] { work(m_sinkBuffers[i]); });
}

Pipeline::~Pipeline()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

Buffer Pipeline::takeBuffer()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_freeBuffers.empty()) {
            Buffer buffer = std::move(m_freeBuffers.back());
            m_freeBuffers.pop_back();
            return buffer;
        }
    }
    return Buffer::grown(kChunkSize);
}

void Pipeline::giveBack(Buffer buffer)
{
    if (buffer.data && !buffer.own) {
        std::lock_guard lock(m_mutex);
        m_freeBuffers.push_back(std::move(buffer));
    }
}

bool Pipeline::dispatch(Job job)
{
    if (m_workers.empty()) {
        job.index = m_nextIndex++;
        run(job, m_sinkBuffers.front());
        return m_failure == Failure::None;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] {
        return m_failure != Failure::None || m_nextIndex - m_nextToWrite < m_maxInFlight;
    });
    if (m_failure != Failure::None)
        return false;
    job.index = m_nextIndex++;
    m_pending.push_back(std::move(job));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

void Pipeline::drain()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_failure != Failure::None || m_nextToWrite == m_nextIndex; });
}

void Pipeline::work(Buffer& sinkBuffer)
{
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stopping || !m_pending.empty(); });
        if (m_pending.empty())
            return;
        Job job = std::move(m_pending.front());
        m_pending.pop_front();
        lock.unlock();
        run(job, sinkBuffer);
    }
}

void Pipeline::run(Job& job, Buffer& sinkBuffer)
{
    Sink sink(*this, job.index, sinkBuffer);
    std::string_view text = job.text;
    std::string_view previousEnding = job.previousEnding;
    if (job.midLine) {
        LineSplitter lines(text);
        TextLine first;
        if (lines.next(first) && !first.ending.empty())
            previousEnding = first.ending;
        const std::size_t head = lines.position();
        sink.append(text.substr(0, head));
        text.remove_prefix(head);
    }
    QuoteStream(m_mark, m_budget, previousEnding, m_style).quote(text, sink);
    if (sink.flush())
        finish(job);
}

// Waits until every job before index is written; false when the output has failed meanwhile.
bool Pipeline::waitTurn(std::size_t index)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_failure != Failure::None || m_nextToWrite == index; });
    return m_failure == Failure::None;
}

bool Pipeline::writeOut(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_out, bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(std::size_t(written));
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            pollfd ready{m_out, POLLOUT, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
        {
            std::lock_guard lock(m_mutex);
            if (m_failure == Failure::None) {
                m_errno = errno;
                m_failure.store(m_errno == EPIPE ? Failure::ClosedPipe : Failure::Write, std::memory_order_release);
            }
        }
        m_changed.notify_all();
        return false;
    }
    return true;
}

// The job is written: the next one's turn. Its read buffer goes back for reuse.
void Pipeline::finish(Job& job)
{
    {
        std::lock_guard lock(m_mutex);
        if (!job.buffer.own)
            m_freeBuffers.push_back(std::move(job.buffer));
        ++m_nextToWrite;
    }
    m_changed.notify_all();
}

// Reads the input files as one text and hands it to the pipeline in jobs of whole lines
// (without line adjustment, a line longer than a chunk is handed on in chunk-sized parts).
class Reader {
public:
    Reader(Pipeline& pipeline, bool unlimited, bool reflow)
        : m_pipeline(pipeline)
        , m_unlimited(unlimited)
        , m_reflow(reflow)
    {
    }

    // Quotes one file ("-": standard input). False when it could not be read (reported).
    bool readFile(const std::string& name);
    // Hands on what is left at the end of the text.
    void finish();
    bool outputFailed() const { return m_pipeline.failure() != Failure::None; }

private:
    bool readStream(int fd, bool regular, const std::string& name);
    void handOnComplete(bool full);
    void handOn(std::size_t length, bool endsMidLine);
    void grow(std::size_t capacity);

    Pipeline& m_pipeline;
    const bool m_unlimited;
    const bool m_reflow; // jobs are whole sections of re-flow, not just whole lines
    SectionScan m_sections;
    // Read but not yet handed on: the start of a line whose break is not read yet.
    Buffer m_buffer;
    std::size_t m_filled = 0;
    std::size_t m_searched = 0; // m_buffer[0, m_searched) holds no break that ends a line
    bool m_midLine = false;     // m_buffer starts inside a line whose mark is written
    std::string_view m_previousEnding = kLf;
};

bool Reader::readFile(const std::string& name)
{
    const bool standardInput = name == "-";
    const std::string shown = standardInput ? "standard input" : name;
    // The input is read, not mapped: faults on mapped pages cost more than the copy, and a
    // file that shrinks while mapped would end the program.
    const int fd = standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        report(shown + ": " + std::strerror(errno));
        return false;
    }
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    const bool ok = readStream(fd, regular, shown);
    if (!standardInput)
        ::close(fd);
    return ok;
}

bool Reader::readStream(int fd, bool regular, const std::string& name)
{
    for (;;) {
        if (outputFailed())
            return true;
        if (!m_buffer.data || m_filled == m_buffer.capacity)
            handOnComplete(true);
        const ssize_t got = ::read(fd, m_buffer.data + m_filled, m_buffer.capacity - m_filled);
        if (got > 0) {
            m_filled += std::size_t(got);
            // A slow feed comes out line by line: when no more is waiting, quote what is whole.
            if (!regular) {
                pollfd ready{fd, POLLIN, 0};
                if (::poll(&ready, 1, 0) == 0)
                    handOnComplete(false);
            }
            continue;
        }
        if (got == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A non-blocking input: quote what is whole, then wait for more.
            handOnComplete(false);
            pollfd ready{fd, POLLIN, 0};
            ::poll(&ready, 1, -1);
            continue;
        }
        report(name + ": " + std::strerror(errno));
        return false;
    }
}

// Hands on the complete lines read so far. With full, the buffer is full: without any complete
// line, a line without adjustment is handed on in part, else the buffer grows to hold the line.
void Reader::handOnComplete(bool full)
{
    if (!m_buffer.data) {
        m_buffer = m_pipeline.takeBuffer();
        return;
    }
    const std::string_view text(m_buffer.data, m_filled);
    const std::size_t complete = m_reflow ? m_sections.wholeSectionsLength(text) : completeLinesLength(text, m_searched);
    if (complete > 0) {
        handOn(complete, false);
    } else if (full && m_unlimited && m_filled > 1) {
        handOn(text.back() == '\r' ? m_filled - 1 : m_filled, true);
    } else if (full) {
        m_searched = text.back() == '\r' ? m_filled - 1 : m_filled;
        grow(m_buffer.capacity * 2);
    }
}

// Hands on the first length bytes read, keeping the rest for the next job.
void Reader::handOn(std::size_t length, bool endsMidLine)
{
    Buffer next = m_pipeline.takeBuffer();
    const std::size_t rest = m_filled - length;
    if (rest > next.capacity) {
        m_pipeline.giveBack(std::move(next));
        next = Buffer::grown(rest + kChunkSize);
    }
    std::memcpy(next.data, m_buffer.data + length, rest);
    Job job;
    job.text = std::string_view(m_buffer.data, length);
    job.midLine = m_midLine;
    job.previousEnding = m_previousEnding;
    job.buffer = std::move(m_buffer);
    if (!endsMidLine)
        m_previousEnding = finalBreak(job.text);
    m_midLine = endsMidLine;
    m_buffer = std::move(next);
    m_filled = rest;
    m_searched = 0;
    m_pipeline.dispatch(std::move(job));
}

void Reader::grow(std::size_t capacity)
{
    if (m_buffer.data && capacity <= m_buffer.capacity)
        return;
    Buffer bigger = Buffer::grown(capacity);
    if (m_filled > 0)
        std::memcpy(bigger.data, m_buffer.data, m_filled);
    m_pipeline.giveBack(std::move(m_buffer));
    m_buffer = std::move(bigger);
}

void Reader::finish()
{
    if (m_filled == 0 || outputFailed())
        return;
    Job job;
    job.text = std::string_view(m_buffer.data, m_filled);
    job.midLine = m_midLine;
    job.previousEnding = m_previousEnding;
    job.buffer = std::move(m_buffer);
    m_filled = 0;
    m_pipeline.dispatch(std::move(job));
}

} // namespace

QuoteFilterAction parseQuoteFilterArguments(const std::vector<std::string>& arguments,
                                            QuoteOptions& options, std::vector<std::string>& files)
{
    static const option longOptions[] = {
        {"mark", required_argument, nullptr, 'm'},
        {"width", required_argument, nullptr, 'w'},
        {"no-wrap", no_argument, nullptr, 'W'},
        {"smart", no_argument, nullptr, 's'},
        {"no-smart", no_argument, nullptr, 'S'},
        {"reflow", no_argument, nullptr, 'r'},
        {"no-reflow", no_argument, nullptr, 'R'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    // getopt_long wants writable C strings and a program name in front.
    std::vector<std::string> copies{"navrik-quote"};
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& copy : copies)
        argv.push_back(copy.data());
    argv.push_back(nullptr);
    const int argc = int(copies.size());
    optind = 0; // start afresh
    opterr = 0; // errors are thrown, and shown on one line by the caller
    for (;;) {
        const int option = getopt_long(argc, argv.data(), ":m:w:WsSrRh", longOptions, nullptr);
        if (option == -1)
            break;
        // The argument getopt_long stopped at, for messages: a long option by its name, a
        // short one by its letter.
        std::string current = argv[std::size_t(std::clamp(optind - 1, 1, argc - 1))];
        if (current.starts_with("--"))
            current = current.substr(0, current.find('='));
        else if (optopt)
            current = std::string("-") + char(optopt);
        switch (option) {
        case 'm':
            options.mark = optarg;
            break;
        case 'w':
            options.charactersPerLine = parseWidth(optarg);
            options.adjustLines = true;
            break;
        case 'W':
            options.adjustLines = false;
            break;
        case 's':
            options.smartBreaks = true;
            break;
        case 'S':
            options.smartBreaks = false;
            options.reflow = false; // re-flow breaks smartly or not at all
            break;
        case 'r':
            options.reflow = true;
            options.smartBreaks = true;
            break;
        case 'R':
            options.reflow = false;
            break;
        case 'h':
            return QuoteFilterAction::ShowHelp;
        case 'V':
            return QuoteFilterAction::ShowVersion;
        case ':':
            throw Error("option " + current + " needs a value");
        default:
            throw Error("unknown option '" + current + "', or one that takes no value (see --help)");
        }
    }
    // The options are moved in front of the file names, which keep their order.
    files.assign(argv.begin() + optind, argv.begin() + argc);
    return QuoteFilterAction::Quote;
}

std::string quoteFilterUsage()
{
    return "Usage: navrik-quote [OPTION]... [FILE]...\n"
           "Puts a quote mark in front of every line of the files, read in order as one text,\n"
           "and writes the result to standard output. With no FILE, or where FILE is -, reads\n"
           "standard input. Every line keeps its own line break.\n"
           "\n"
           "  -m, --mark=MARK   the quote mark (default: the one saved by Navrik, else \"> \")\n"
           "  -w, --width=N     break lines so no quoted line is wider than N columns,\n"
           "                    quote mark included; a full-width character takes two columns\n"
           "                    (N from 1 to 100000; default: Navrik's setting, else 70)\n"
           "  -W, --no-wrap     do not break lines\n"
           "  -s, --smart       break where a reader expects: between words, by the Japanese\n"
           "                    line-breaking rules (no line starts with 。 or 」, none ends\n"
           "                    with 「), never inside a link, keeping a line's own quote\n"
           "                    marks (\">\") on its continuations (default: Navrik's setting,\n"
           "                    else off)\n"
           "  -S, --no-smart    break at the width, whole characters kept (and no re-flow)\n"
           "  -r, --reflow      re-flow: join the lines the sender's mailer wrapped in each\n"
           "                    paragraph, then break smartly; blank lines, lists, tables,\n"
           "                    addressee and greeting lines and signatures keep their breaks\n"
           "                    (default: Navrik's setting, else off)\n"
           "  -R, --no-reflow   keep every line break of the text\n"
           "      --help        show this help and exit\n"
           "      --version     show the version and exit\n"
           "\n"
           "Without -w or -W, lines are broken when line adjustment is on in Navrik's settings.\n"
           "Exit status: 0 when all went well, 1 when a file could not be read or the output\n"
           "could not be written, 2 for a wrong option.\n";
}

int runQuoteFilter(const std::vector<std::string>& files, int out, const QuoteOptions& options)
{
    Pipeline pipeline(out, options);
    Reader reader(pipeline, lineBudget(options) == kUnlimitedLineBudget, breakStyle(options) == BreakStyle::Reflow);
    bool ok = true;
    const std::vector<std::string> names = files.empty() ? std::vector<std::string>{"-"} : files;
    for (const std::string& name : names) {
        if (!reader.readFile(name))
            ok = false;
        if (reader.outputFailed())
            break;
    }
    reader.finish();
    pipeline.drain();
    switch (pipeline.failure()) {
    case Failure::None:
        return ok ? 0 : 1;
    case Failure::ClosedPipe:
        return 1; // the reader went away: nothing more to say
    case Failure::Write:
        report(std::string("cannot write the output: ") + std::strerror(pipeline.failureErrno()));
        return 1;
    }
    return 1;
}

} // namespace navrik
