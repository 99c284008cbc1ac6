#include "report/engine/pdf/ObjectWriter.h"

#include "report/engine/ReportError.h"
#include "report/engine/pdf/PdfSyntax.h"

#include <QIODevice>

#include <cstdio>

namespace report::pdf {

Output::Output(QIODevice& device)
    : m_device(device)
{
    m_buffer.reserve(1 << 20);
}

void Output::flush()
{
    if (m_buffer.empty())
        return;
    if (m_device.write(m_buffer.data(), qint64(m_buffer.size())) != qint64(m_buffer.size()))
        throw ReportError(
            QStringLiteral("Não foi possível gravar o PDF: %1").arg(m_device.errorString()));
    m_written += qint64(m_buffer.size());
    m_buffer.clear();
}

ObjectWriter::ObjectWriter(QIODevice& device)
    : m_out(device)
{
    m_out.buffer() += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
}

void ObjectWriter::reserve(int count)
{
    m_offsets.assign(std::size_t(count), 0);
}

int ObjectWriter::newObject()
{
    m_offsets.push_back(0);
    return int(m_offsets.size() - 1);
}

void ObjectWriter::beginObject(int id)
{
    m_offsets[std::size_t(id)] = m_out.position();
    std::string& b = m_out.buffer();
    appendInt(b, id);
    b += " 0 obj\n";
}

void ObjectWriter::writeStream(int id, std::string dictionary, std::string data, bool fixedCodes)
{
    // Enough in flight to keep the compressing thread busy, not so many that pages pile up.
    while (m_compressor.inFlight() >= 32)
        writeReady(true);
    m_compressor.push({id, std::move(dictionary), std::move(data), fixedCodes});
    writeReady(false);
}

std::string ObjectWriter::spareBuffer()
{
    if (m_spare.empty())
        return {};
    std::string spare = std::move(m_spare.back());
    m_spare.pop_back();
    return spare;
}

void ObjectWriter::writeReady(bool wait)
{
    StreamCompressor::Stream s;
    while (m_compressor.pop(s, wait)) {
        writeCompressed(s);
        wait = false;
        // The buffer goes round again for a later page's content.
        if (m_spare.size() < 64)
            m_spare.push_back(std::move(s.data));
    }
}

void ObjectWriter::writeCompressed(const StreamCompressor::Stream& stream)
{
    beginObject(stream.id);
    std::string& b = m_out.buffer();
    b += "<<";
    b += stream.dictionary;
    b += "/Filter/FlateDecode/Length ";
    appendInt(b, qint64(stream.data.size()));
    b += ">>\nstream\n";
    b += stream.data;
    b += "\nendstream\nendobj\n";
    m_out.flushIfFull();
}

void ObjectWriter::finishStreams()
{
    while (m_compressor.inFlight() > 0)
        writeReady(true);
}

void ObjectWriter::finish(int root, int info)
{
    std::string& b = m_out.buffer();
    const qint64 xref = m_out.position();
    b += "xref\n0 ";
    appendInt(b, qint64(m_offsets.size()));
    b += "\n0000000000 65535 f \n";
    for (std::size_t id = 1; id < m_offsets.size(); ++id) {
        char line[24];
        std::snprintf(line, sizeof line, "%010lld 00000 n \n",
                      static_cast<long long>(m_offsets[id]));
        b += line;
        m_out.flushIfFull();
    }
    b += "trailer\n<</Size ";
    appendInt(b, qint64(m_offsets.size()));
    b += "/Root ";
    appendInt(b, root);
    b += " 0 R/Info ";
    appendInt(b, info);
    b += " 0 R>>\nstartxref\n";
    appendInt(b, xref);
    b += "\n%%EOF\n";
    m_out.flush();
}

} // namespace report::pdf
