#include "runtime/Process.h"

namespace vrt {

Process::Process(RecordSource& source, std::function<Take()> onRecord)
    : m_source(source), m_onRecord(std::move(onRecord))
{
}

Process::Take Process::takeRecord() { return m_onRecord ? m_onRecord() : Take::Next; }

Process::Result Process::run(ProgressSink* sink)
{
    m_taken = m_read = 0;
    m_error.clear();
    if (!m_source.open()) {
        m_error = m_source.error();
        return Result::Failed;
    }
    if (sink)
        sink->start(m_title);
    const long long total = m_source.count();
    Result result = Result::Completed;
    auto percentNow = [&] {
        if (total <= 0)
            return total == 0 ? 100 : -1;
        return int(std::min<long long>(100, m_read * 100 / total));
    };
    while (true) {
        if (sink && !sink->progress(percentNow(), m_read)) {
            result = Result::Cancelled;
            break;
        }
        if (!m_source.next()) {
            m_error = m_source.error();
            if (!m_error.isEmpty())
                result = Result::Failed;
            break;
        }
        ++m_read;
        const Take take = takeRecord();
        if (take == Take::Next)
            ++m_taken;
        if (take == Take::Stop)
            break;
    }
    if (sink && result == Result::Completed)
        sink->progress(100, m_read);
    m_source.close();
    if (sink)
        sink->finish();
    return result;
}

} // namespace vrt
