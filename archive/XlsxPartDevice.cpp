#include "XlsxPartDevice.h"

#include <cstring>
#include <zip.h>

namespace {

// Text between two tags never comes near this in a workbook (a cell holds at
// most 32767 characters), while the XML reader would keep all of it in memory.
const qint64 maxTextRun = 4 * 1024 * 1024;

} // namespace

XlsxPartDevice::XlsxPartDevice(zip_file* file, qint64 partLimit, qint64* totalRead,
                               qint64 totalLimit, qint64 declaredSize)
    : m_file(file), m_partLimit(partLimit), m_totalRead(totalRead), m_totalLimit(totalLimit),
      m_declaredSize(declaredSize)
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
    const void* lastTag = memrchr(data, '<', size_t(n));
    if (lastTag)
        m_sinceMarkup = n - (static_cast<const char*>(lastTag) - data) - 1;
    else
        m_sinceMarkup += n;
    // A member that inflates past the size its directory entry gives is lying,
    // which is how zip bombs slip past a check of the declared sizes: stop at once.
    if (m_declaredSize >= 0 && m_partRead > m_declaredSize)
        m_overrun = DeclaredOverrun;
    else if (m_partRead > m_partLimit)
        m_overrun = PartOverrun;
    else if (*m_totalRead > m_totalLimit)
        m_overrun = TotalOverrun;
    else if (m_sinceMarkup > maxTextRun)
        m_overrun = TextOverrun;
    if (m_overrun != NoOverrun) {
        m_eof = true;
        return -1;
    }
    return n;
}
