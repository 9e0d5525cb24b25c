#pragma once
#include <QString>
#include <functional>
#include <memory>

namespace vrt {

// Where a process or a report takes its records from: each next() loads one more record into
// the buffers the caller reads; false after the last one (or on an error, then error() says).
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual bool open() { return true; }
    virtual bool next() = 0;
    virtual void close() {}
    // How many records next() will give, when known (-1: not known).
    virtual long long count() const { return -1; }
    virtual QString error() const { return {}; }
};

// A record source over a function (tests, queues, query results already in memory).
class FunctionSource : public RecordSource {
public:
    FunctionSource(std::function<bool()> next, long long count = -1)
        : m_next(std::move(next)), m_count(count) {}
    bool next() override { return m_next(); }
    long long count() const override { return m_count; }

private:
    std::function<bool()> m_next;
    long long m_count;
};

// What the user sees of a running process: the percentage and a way to cancel.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void start(const QString& title) {}
    // Asked before every record, so a cancel is honoured at once: percent 0..100, or -1
    // while the total is not known; answers false to cancel.
    virtual bool progress(int percent, long long done) = 0;
    virtual void finish() {}
};

// Walks a record source, hands each record to takeRecord and reports progress.
class Process {
public:
    enum class Take { Next, Skip, Stop }; // Skip: the record does not count as taken
    enum class Result { Completed, Cancelled, Failed };

    // `onRecord` takes each record when takeRecord is not overridden; none takes them all.
    explicit Process(RecordSource& source, std::function<Take()> onRecord = {});
    virtual ~Process() = default;

    void setTitle(const QString& title) { m_title = title; }
    QString title() const { return m_title; }

    // Runs to the end, a Stop, a cancel from the sink, or a source error.
    Result run(ProgressSink* sink = nullptr);

    long long taken() const { return m_taken; }
    long long read() const { return m_read; }
    QString error() const { return m_error; }

protected:
    virtual Take takeRecord();

private:
    RecordSource& m_source;
    std::function<Take()> m_onRecord;
    QString m_title;
    QString m_error;
    long long m_taken = 0;
    long long m_read = 0;
};

// The progress window the program shows ("Progress...", "Cancel"); tests use their own sink.
std::unique_ptr<ProgressSink> makeProgressWindow(const QString& title = QStringLiteral("Progress..."),
                                                const QString& cancelText = QStringLiteral("Cancel"));

} // namespace vrt
