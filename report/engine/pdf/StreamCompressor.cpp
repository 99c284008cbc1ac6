#include "report/engine/pdf/StreamCompressor.h"

#include "report/engine/ReportError.h"

#include <zlib.h>

#include <string_view>

namespace report::pdf {

namespace {

class Deflater {
public:
    explicit Deflater(int strategy)
    {
        if (deflateInit2(&m_z, Z_BEST_SPEED, Z_DEFLATED, 15, 8, strategy) != Z_OK)
            throw ReportError(QStringLiteral("Não foi possível iniciar a compressão do PDF."));
    }
    ~Deflater() { deflateEnd(&m_z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Reuses one stream: setting up zlib's tables for every page would cost more than the
    // compression itself.
    const std::string& compress(std::string_view in)
    {
        deflateReset(&m_z);
        m_out.resize(deflateBound(&m_z, uLong(in.size())));
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        m_z.avail_in = uInt(in.size());
        m_z.next_out = reinterpret_cast<Bytef*>(m_out.data());
        m_z.avail_out = uInt(m_out.size());
        if (deflate(&m_z, Z_FINISH) != Z_STREAM_END)
            throw ReportError(QStringLiteral("Falha na compressão do PDF."));
        m_out.resize(m_out.size() - m_z.avail_out);
        return m_out;
    }

private:
    z_stream m_z{};
    std::string m_out;
};

} // namespace

StreamCompressor::StreamCompressor()
    : m_thread([this] { work(); })
{
}

StreamCompressor::~StreamCompressor()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void StreamCompressor::push(Stream stream)
{
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        m_in.push_back(std::move(stream));
        ++m_inFlight;
        wake = m_in.size() >= batch;
    }
    if (wake)
        m_wake.notify_one();
}

int StreamCompressor::inFlight()
{
    const std::lock_guard lock(m_mutex);
    return m_inFlight;
}

bool StreamCompressor::pop(Stream& stream, bool wait)
{
    std::unique_lock lock(m_mutex);
    if (wait && m_out.empty()) {
        m_flush = true;
        m_wake.notify_one();
        m_done.wait(lock, [this] { return !m_out.empty() || m_inFlight == 0 || m_error; });
    }
    if (m_error)
        std::rethrow_exception(m_error);
    if (m_out.empty())
        return false;
    stream = std::move(m_out.front());
    m_out.pop_front();
    --m_inFlight;
    return true;
}

void StreamCompressor::work()
{
    Deflater deflater(Z_DEFAULT_STRATEGY);
    Deflater fixed(Z_FIXED);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(
            lock, [this] { return m_stop || m_in.size() >= batch || (m_flush && !m_in.empty()); });
        if (m_stop)
            return;
        Stream s = std::move(m_in.front());
        m_in.pop_front();
        if (m_in.empty())
            m_flush = false;
        lock.unlock();
        try {
            s.data = (s.fixedCodes ? fixed : deflater).compress(s.data);
        } catch (...) {
            lock.lock();
            m_error = std::current_exception();
            m_done.notify_all();
            return;
        }
        lock.lock();
        m_out.push_back(std::move(s));
        if (m_in.empty() || m_out.size() >= batch)
            m_done.notify_one();
    }
}

} // namespace report::pdf
