#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

namespace report::pdf {

// Compresses streams on a second thread, in the order they are queued, so that laying out the
// next pages overlaps compressing the last ones.
class StreamCompressor {
public:
    struct Stream {
        int id = 0;
        std::string dictionary;
        std::string data;
        bool fixedCodes = false; // see ObjectWriter::writeStream
    };

    StreamCompressor();
    ~StreamCompressor();
    StreamCompressor(const StreamCompressor&) = delete;
    StreamCompressor& operator=(const StreamCompressor&) = delete;

    // Streams are handed over in batches: waking the thread for each page costs more than
    // compressing it.
    void push(Stream stream);
    int inFlight();
    // The next compressed stream; with `wait`, waits for it while any is still in flight.
    bool pop(Stream& stream, bool wait);

private:
    void work();

    static constexpr std::size_t batch = 8;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<Stream> m_in;
    std::deque<Stream> m_out;
    int m_inFlight = 0;
    bool m_flush = false; // the writer waits: work on short of a batch
    bool m_stop = false;
    std::exception_ptr m_error;
    std::thread m_thread; // last: starts once the rest is set up
};

} // namespace report::pdf
