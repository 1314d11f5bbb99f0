#include "XlsxPartDevice.h"

#include <zip.h>

XlsxPartDevice::XlsxPartDevice(zip_file* file, qint64 partLimit, qint64* totalRead,
                               qint64 totalLimit)
    : m_file(file), m_partLimit(partLimit), m_totalRead(totalRead), m_totalLimit(totalLimit)
{
    // Unbuffered: every read goes straight to the inflater, so the XML reader
    // keeps pulling until the member really ends.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

XlsxPartDevice::~XlsxPartDevice()
{
    zip_fclose(m_file);
}

qint64 XlsxPartDevice::readData(char* data, qint64 maxSize)
{
    if (m_eof || m_overrun != NoOverrun)
        return -1;
    const zip_int64_t n = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (n < 0) {
        m_failed = true;
        m_eof = true;
        return -1;
    }
    if (n == 0) {
        m_eof = true;
        return -1;
    }
    m_partRead += n;
    *m_totalRead += n;
    if (m_partRead > m_partLimit)
        m_overrun = PartOverrun;
    else if (*m_totalRead > m_totalLimit)
        m_overrun = TotalOverrun;
    if (m_overrun != NoOverrun) {
        m_eof = true;
        return -1;
    }
    return n;
}
