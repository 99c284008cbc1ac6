#pragma once

#include "report/engine/pdf/StreamCompressor.h"

#include <QtGlobal>

#include <string>
#include <vector>

class QIODevice;

namespace report::pdf {

// What goes to the device, gathered in a large buffer: a write per object would cost more than
// the object.
class Output {
public:
    explicit Output(QIODevice& device);

    std::string& buffer() noexcept { return m_buffer; }
    qint64 position() const noexcept { return m_written + qint64(m_buffer.size()); }

    void flushIfFull()
    {
        if (m_buffer.size() >= (1u << 20))
            flush();
    }
    void flush();

private:
    QIODevice& m_device;
    std::string m_buffer;
    qint64 m_written = 0;
};

// The objects of a PDF file, written in any order, and the cross-reference table that finds
// them. Streams are compressed on a second thread and written once compressed, in the order
// they were handed over.
class ObjectWriter {
public:
    // Starts the file with its header.
    explicit ObjectWriter(QIODevice& device);

    // Numbers below `count` are taken by objects the caller numbers itself; newObject numbers
    // the others from there on.
    void reserve(int count);
    int newObject();

    // Starts an object at the end of the file; its body and "endobj" follow in buffer().
    void beginObject(int id);
    std::string& buffer() noexcept { return m_out.buffer(); }
    void flushIfFull() { m_out.flushIfFull(); }

    // A stream object, compressed with the dictionary's entries; `fixedCodes` for data whose
    // bytes are spread too evenly for codes of their own to pay (font programs).
    void writeStream(int id, std::string dictionary, std::string data, bool fixedCodes = false);
    // A buffer that a written stream no longer needs, for the content of another; empty when
    // none is left.
    std::string spareBuffer();

    // Waits for the streams still being compressed and writes them.
    void finishStreams();
    // The cross-reference table and the trailer, then everything to the device.
    void finish(int root, int info);

private:
    void writeReady(bool wait);
    void writeCompressed(const StreamCompressor::Stream& stream);

    Output m_out;
    StreamCompressor m_compressor;
    std::vector<qint64> m_offsets; // per object number
    std::vector<std::string> m_spare;
};

} // namespace report::pdf
